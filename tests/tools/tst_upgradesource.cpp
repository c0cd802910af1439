// Content sources of upgrades: what they may leave to the learner's bank, what they may not carry, and
// where their rows are listed among the bank's.
#include "store/Database.h"
#include "tests/support/TestSupport.h"
#include "tools/BankBuilder.h"
#include "tools/UpgradeBase.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const char* product = "[product]\ncpbs: TESTPRODUCT\nsjbs: UP-1\n";

// A new section under chapter 0501 of the small syllabus, with its catalogue row, a point and a question.
const char* newSection = R"(
[chapter 050103]
name: 第三节
[catalogue 050103]
name: 3.
[point 050103-001]
title: 新要点
text: |
  新要点的内容
[question Q0100]
chapter: 050103
type: 61
options: 4
answer: C
points: 050103-001, 050101-001
stem: |
  新题
)";

tools::BankSource parse(const QString& text) {
    tools::BankSource src;
    QStringList errors;
    tools::parseBankSource(text, QStringLiteral("up"), &src, &errors);
    return src;
}

bool mentions(const QStringList& errors, const QString& fragment) {
    for (const QString& e : errors)
        if (e.contains(fragment))
            return true;
    return false;
}

} // namespace

class TestUpgradeSource : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    tools::BaseBank m_base;

private slots:
    void initTestCase() {
        const QString bank =
            testsupport::buildBank(m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus());
        QString error;
        QVERIFY2(tools::readBaseBank(bank, &m_base, &error), qPrintable(error));
        QVERIFY(m_base.hasChapter(QStringLiteral("0501")));
    }

    void rowsMayHangOnTheLearnersBank() {
        const tools::BankSource src = parse(QLatin1String(product) + QLatin1String(newSection));
        QStringList errors = tools::validateBankSource(src);
        QVERIFY(mentions(errors, QStringLiteral("chapter 050103 has no parent 0501")));
        QVERIFY(mentions(errors, QStringLiteral("no exam point 050101-001")));
        QVERIFY(mentions(errors, QStringLiteral("catalogue 050103 has no upper row 05")));
        QVERIFY2(tools::validateBankSource(src, true).isEmpty(),
                 qPrintable(tools::validateBankSource(src, true).join(u'\n')));
        errors = tools::validateBankSource(src, true, &m_base);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));

        // Against the bank it is made for, a parent the bank lacks is still missing.
        const tools::BankSource orphan =
            parse(QLatin1String(product) + QStringLiteral("[chapter 090101]\nname: 无处安放\n"));
        QVERIFY(tools::validateBankSource(orphan, true).isEmpty());
        QVERIFY(mentions(tools::validateBankSource(orphan, true, &m_base), QStringLiteral("no parent 0901")));
    }

    void upgradesCarryOnlyWhatIsCopied() {
        QString text = QString::fromLatin1(product).replace(QStringLiteral("sjbs: UP-1\n"), QString()) +
                       QStringLiteral("[plan]\nPlanAmount: 5\n[types 1]\n61 | 单项选择题 | 1 | 1 | 1\n"
                                      "[group 0501010000000009]\nstem: |\n  共同题干\n");
        const QStringList errors = tools::validateBankSource(parse(text), true);
        QVERIFY(mentions(errors, QStringLiteral("sjbs")));
        QVERIFY(mentions(errors, QStringLiteral("[types]")));
        QVERIFY(mentions(errors, QStringLiteral("[plan]")));
        QVERIFY(mentions(errors, QStringLiteral("[group]")));
    }

    void rowsTheBankHasAlreadyAreRefused() {
        // The copy would fail on the bank's keys: a question, point or chapter it already holds.
        const QString text =
            QLatin1String(product) +
            QStringLiteral("[chapter 050101]\nname: 又一个\n[point 050101-001]\ntitle: 重复\n"
                           "[question Q0001]\nchapter: 050101\ntype: 61\noptions: 4\nanswer: A\n"
                           "stem: |\n  重复的题\n");
        const QStringList errors = tools::validateBankSource(parse(text), true, &m_base);
        QVERIFY(mentions(errors, QStringLiteral("chapter 050101 appears twice")));
        QVERIFY(mentions(errors, QStringLiteral("point 050101-001 appears twice")));
        QVERIFY(mentions(errors, QStringLiteral("Q0001 appears twice")));
    }

    void newRowsAreListedAfterTheirSiblings() {
        const QString file = m_dir.filePath(QStringLiteral("up.mdb"));
        QStringList errors;
        QVERIFY2(tools::buildBank(parse(QLatin1String(product) + QLatin1String(newSection)), file,
                                  tools::BuildOptions{true, true, &m_base}, &errors),
                 qPrintable(errors.join(u'\n')));
        int after050102 = 0, next = 0;
        for (int i = 0; i < m_base.chapters.size(); ++i)
            if (m_base.chapters[i].first == u"050102") {
                after050102 = m_base.chapters[i].second;
                next = m_base.chapters.value(i + 1).second;
            }
        QVERIFY(next > after050102);
        store::Database db;
        db.open(file, QByteArray());
        const int bh = db.scalar(QStringLiteral("select bh from tab_kmmc where C1='050103'")).toInt();
        QVERIFY2(bh > after050102 && bh < next, qPrintable(QString::number(bh)));
        QVERIFY(db.scalar(QStringLiteral("select xx from tab_answ where A1='Q0100'")).toInt() >
                m_base.lastQuestionOrder);
        QCOMPARE(db.scalar(QStringLiteral("select q from tab_rule where ftid='050103-001'")).toInt(), 1);
        QCOMPARE(db.scalar(QStringLiteral("select C3 from tab_kmmc where C1='050103'")).toInt(), 1);
    }

    void placingRowsInAnOrderedTree() {
        const QList<QPair<QString, int>> rows{{QStringLiteral("0"), 10},
                                              {QStringLiteral("05"), 20},
                                              {QStringLiteral("0501"), 30},
                                              {QStringLiteral("050101"), 40},
                                              {QStringLiteral("3"), 50}};
        QStringList errors;
        auto placed = tools::placeRows(rows, {QStringLiteral("050102")}, tools::chapterParentCode, &errors);
        QCOMPARE(placed.value(QStringLiteral("050102")), 45);

        // A new chapter with its own section: after the whole block of part 05, sharing the gap in order.
        placed = tools::placeRows(rows, {QStringLiteral("0502"), QStringLiteral("050201")},
                                  tools::chapterParentCode, &errors);
        QCOMPARE(placed.value(QStringLiteral("0502")), 43);
        QCOMPARE(placed.value(QStringLiteral("050201")), 46);

        placed = tools::placeRows(rows, {QStringLiteral("4")}, tools::chapterParentCode, &errors);
        QCOMPARE(placed.value(QStringLiteral("4")), 60);
        QVERIFY(errors.isEmpty());

        // No gap left between two rows, or nothing to hang on: said, not guessed.
        const QList<QPair<QString, int>> tight{
            {QStringLiteral("0"), 10}, {QStringLiteral("05"), 11}, {QStringLiteral("1"), 12}};
        placed = tools::placeRows(tight, {QStringLiteral("0501")}, tools::chapterParentCode, &errors);
        QVERIFY(!placed.contains(QStringLiteral("0501")));
        QVERIFY(mentions(errors, QStringLiteral("no room")));
        errors.clear();
        tools::placeRows(rows, {QStringLiteral("0801")}, tools::chapterParentCode, &errors);
        QVERIFY(mentions(errors, QStringLiteral("no row 08")));
    }

    void sourceRulesOfTheBuilder() {
        // A subjective question keyed like a choice, a point named twice, a judgement out of range.
        const QString text = testsupport::baseContent() + testsupport::smallSyllabus() + QStringLiteral(R"(
[types 2]
73 | 案例分析 | 0 | 10 | 20
[question Q0201]
chapter: 050101
type: 73
options: 4
answer: A
stem: |
  案例
[question Q0202]
chapter: 050101
type: 61
options: 4
answer: B
points: 050101-001, 050101-001
stem: |
  重复的考点
[question Q0203]
chapter: 050101
type: 70
options: 2
answer: C
stem: |
  判断
)");
        const QStringList errors = tools::validateBankSource(parse(text));
        QVERIFY(mentions(errors, QStringLiteral("Q0201: a subjective question")));
        QVERIFY(mentions(errors, QStringLiteral("Q0202: exam point 050101-001 twice")));
        QVERIFY(mentions(errors, QStringLiteral("Q0203: \"C\" is not one of the 2 options")));
    }
};

QTEST_MAIN(TestUpgradeSource)
#include "tst_upgradesource.moc"
