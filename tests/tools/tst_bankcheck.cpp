// The bank check: its rules on answer keys and the draw plan, synthetic banks that pass it, faults planted
// in a sound bank that it must find, and that it never changes the file it reads.
#include "store/BankKey.h"
#include "store/Database.h"
#include "store/DrawPlan.h"
#include "tools/AnswerKey.h"
#include "tools/BankBuilder.h"
#include "tools/BankCheck.h"
#include "tools/BankQuality.h"
#include "tools/SynthBank.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using tools::CheckProblem;

namespace {

QByteArray digest(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// A question planted in a bank for the quality figures: its key, its options and whether it has an
// explanation and an exam point.
struct Planted {
    int type = 61;
    QString key;
    QStringList options;
    bool explained = true;
    bool linked = true;
};

// Single-choice questions with these keys, the options of the same length but the one at `longest`
// (0-based), which is twice as long. -1: no option is longer than the others.
QList<Planted> singles(const QString& keys, const QList<int>& longest = {}) {
    QList<Planted> out;
    for (int i = 0; i < keys.size(); ++i) {
        Planted p;
        p.key = keys.mid(i, 1);
        p.options = {QStringLiteral("甲乙丙丁"), QStringLiteral("戊己庚辛"), QStringLiteral("子丑寅卯"),
                     QStringLiteral("辰巳午未")};
        const int at = longest.value(i, -1);
        if (at >= 0)
            p.options[at] += QStringLiteral("再长一些");
        out << p;
    }
    return out;
}

// Problems of one topic and severity.
QStringList problemsOf(const tools::CheckReport& r, const QString& topic,
                       CheckProblem::Severity severity = CheckProblem::Severity::Warning) {
    QStringList out;
    for (const CheckProblem& p : r.problems())
        if (p.topic == topic && p.severity == severity)
            out << p.text;
    return out;
}

// What the quality section shows and warns of, for a failing test to print.
QString said(const tools::CheckReport& r) {
    return (r.quality + problemsOf(r, QStringLiteral("quality")) +
            problemsOf(r, QStringLiteral("quality"), CheckProblem::Severity::Error))
        .join(u'\n');
}

// Everything but the quality figures.
QStringList besidesQuality(const tools::CheckReport& r) {
    QStringList out;
    for (const CheckProblem& p : r.problems())
        if (p.topic != u"quality" && p.topic != u"headroom")
            out << p.topic + QStringLiteral(": ") + p.text;
    return out;
}

} // namespace

class TestBankCheck : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_sound; // a synthetic bank that passes, copied before each planted fault
    int m_copies = 0;

    // Copies the sound bank, lets plant change it and returns what the check says of the copy.
    tools::CheckReport checkWith(const std::function<void(store::Database&)>& plant) {
        const QString copy = m_dir.filePath(QStringLiteral("fault%1.mdb").arg(++m_copies));
        QFile::copy(m_sound, copy);
        {
            store::Database db;
            db.open(copy, store::BankKey());
            plant(db);
        }
        return tools::checkBankFile(copy, false);
    }

    static QString first(store::Database& db, const QString& sql) { return db.scalar(sql).toString(); }

    // The sound bank with its questions replaced by these, listed in this order in one section.
    tools::CheckReport checkPlanted(const QList<Planted>& questions, bool delivered = false) {
        const QString copy = m_dir.filePath(QStringLiteral("planted%1.mdb").arg(++m_copies));
        QFile::copy(m_sound, copy);
        {
            store::Database db;
            db.open(copy, store::BankKey());
            const QString section = first(db, QStringLiteral("select min(C1) from tab_kmmc where len(C1)=6"));
            const QString point = first(db, QStringLiteral("select min(ftid) from tab_rule"));
            db.execute(QStringLiteral("delete from tab_answ"));
            db.execute(QStringLiteral("delete from tab_exer"));
            for (int i = 0; i < questions.size(); ++i) {
                const Planted& q = questions[i];
                const QString id =
                    section + QStringLiteral("%1%2").arg(q.type).arg(i + 1, 4, 10, QChar(u'0'));
                db.execute(QStringLiteral("insert into tab_answ (A1,A2,A2_1,K3,A10,A13,xx,F1,ecount) values "
                                          "(:A1,:A2,:A2_1,:K3,:A10,:A13,:xx,0,0)"),
                           {id, q.key, int(q.options.size()), q.linked ? QVariant(point) : QVariant(),
                            section, q.type, i + 1});
                QString stem = QStringLiteral("第 %1 题：").arg(i + 1);
                for (int o = 0; o < q.options.size(); ++o)
                    stem += QStringLiteral("\n\n%1. %2").arg(QChar(u'A' + o)).arg(q.options[o]);
                db.execute(QStringLiteral("insert into tab_exer (A1,A15,jx) values (:A1,:A15,:jx)"),
                           {id, tools::authorTextToRichText(stem),
                            q.explained ? QVariant(tools::authorTextToRichText(QStringLiteral("解析。")))
                                        : QVariant()});
            }
        }
        return tools::checkBankFile(copy, false, tools::CheckOptions{false, delivered});
    }

private slots:
    void initTestCase() {
        QStringList errors;
        m_sound = m_dir.filePath(QStringLiteral("sound.mdb"));
        QVERIFY2(tools::synthBank(1500, m_sound, false, &errors), qPrintable(errors.join(u'\n')));
    }

    void drawPlanMatchesThePaperKinds() {
        const QList<int> sizes{90, 100, 100, 10, 6};
        for (int kind = 1; kind <= store::PaperKindCount; ++kind)
            QCOMPARE(store::PaperQuestionCount(kind), sizes[kind - 1]);
        QCOMPARE(store::DrawTotal(2, 61), 50);
        QCOMPARE(store::DrawTotal(3, 65), 20);
        QCOMPARE(store::DrawTotal(4, 61), 0);
        QCOMPARE(store::DrawTypes(2), (QList<int>{61, 62, 65}));
        QCOMPARE(store::DrawShares(5).size(), 1);
        QCOMPARE(store::ChapterClause(1), QStringLiteral("(Left(A10,1) = '3') and"));
        QCOMPARE(store::ChapterClause(2),
                 QStringLiteral("(Left(A10,2) = '10' or Left(A10,2) = '11' or Left(A10,2) = '04') and"));
        QCOMPARE(store::ChapterClause(3),
                 QStringLiteral("(Left(A10,2) = '05' or Left(A10,2) = '08' or Left(A10,2) = '07') and"));
        QCOMPARE(store::ChapterClause(4),
                 QStringLiteral("(Left(A10,2) = '10' or Left(A10,2) = '11' or Left(A10,2) = '05' or "
                                "Left(A10,2) = '08' or Left(A10,2) = '07' or Left(A10,2) = '04') and"));
        QCOMPARE(store::ChapterClause(5), QStringLiteral("(Left(A10,2) = '05') and"));
    }

    void answerKeysFitTheirType_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("options");
        QTest::addColumn<bool>("fits");
        QTest::newRow("single, last option") << 61 << "D" << 4 << true;
        QTest::newRow("single, one past the options") << 61 << "E" << 4 << false;
        QTest::newRow("single, two letters") << 61 << "AB" << 4 << false;
        QTest::newRow("case single, two letters") << 62 << "AC" << 4 << false;
        QTest::newRow("multiple, one letter") << 65 << "A" << 4 << false;
        QTest::newRow("multiple, first and last of five") << 65 << "AE" << 5 << true;
        QTest::newRow("multiple, out of order") << 65 << "BA" << 4 << false;
        QTest::newRow("multiple, repeated letter") << 65 << "AAB" << 4 << false;
        QTest::newRow("case multiple, one letter") << 64 << "C" << 4 << false;
        QTest::newRow("indefinite, one letter") << 66 << "C" << 4 << true;
        QTest::newRow("indefinite, lower case") << 66 << "ab" << 4 << false;
        QTest::newRow("judgement right") << 70 << "A" << 2 << true;
        QTest::newRow("judgement wrong") << 70 << "B" << 2 << true;
        QTest::newRow("judgement with a third option") << 70 << "C" << 3 << false;
        QTest::newRow("judgement past its options") << 70 << "B" << 1 << false;
        QTest::newRow("subjective") << 71 << "1" << 1 << true;
        QTest::newRow("subjective with a letter") << 72 << "A" << 1 << false;
        QTest::newRow("subjective with options") << 74 << "1" << 4 << false;
        QTest::newRow("seven options") << 61 << "A" << 7 << false;
        QTest::newRow("no options") << 61 << "A" << 0 << false;
        QTest::newRow("empty answer") << 66 << "" << 4 << false;
        QTest::newRow("six options, letter F") << 66 << "F" << 6 << true;
    }

    void answerKeysFitTheirType() {
        QFETCH(int, type);
        QFETCH(QString, answer);
        QFETCH(int, options);
        QFETCH(bool, fits);
        const bool subjective = tools::isSubjectiveType(type, QString());
        QCOMPARE(tools::answerKeyProblem(type, subjective, answer, options).isEmpty(), fits);
    }

    void subjectiveTypesAreKnownByIdOrName() {
        QVERIFY(tools::isSubjectiveType(73, QStringLiteral("案例分析")));
        QVERIFY(tools::isSubjectiveType(90, QStringLiteral(" 名词解释 ")));
        QVERIFY(tools::isSubjectiveType(71, QString()));
        QVERIFY(!tools::isSubjectiveType(61, QStringLiteral("单项选择题")));
        QVERIFY(!tools::isSubjectiveType(75, QStringLiteral("填空题")));
    }

    void synthesisedBankPassesTheCheck() {
        const QString file = m_dir.filePath(QStringLiteral("synth10k.mdb"));
        QStringList errors;
        tools::SynthSummary s;
        QVERIFY2(tools::synthBank(10000, file, false, &errors, &s), qPrintable(errors.join(u'\n')));
        QCOMPARE(s.questions, 10000);
        const tools::CheckReport r = tools::checkBankFile(file, false);
        QVERIFY2(r.errorCount() == 0 && besidesQuality(r).isEmpty(), qPrintable(r.lines().join(u'\n')));

        store::Database db;
        db.open(file, store::BankKey());
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from tab_answ")).toInt(), 10000);
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from tab_exer")).toInt(), 10000);
        for (int type : {61, 62, 64, 65, 66, 70, 71, 72, 73, 74})
            QVERIFY2(db.scalar(QStringLiteral("select count(*) from tab_answ where A13=:t"), {type}).toInt() >
                         0,
                     qPrintable(QString::number(type)));
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from tab_title")).toInt(), s.groups);
        QVERIFY(db.scalar(QStringLiteral("select count(*) from tab_answ where A1 like '*-*'")).toInt() >
                3 * s.groups);
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from tab_rule")).toInt(), s.points);
        const double explained =
            db.scalar(QStringLiteral("select count(*) from tab_exer where jx is not null")).toDouble() /
            10000;
        QVERIFY2(explained > 0.75 && explained < 0.95, qPrintable(QString::number(explained)));
        const int unlinked =
            db.scalar(QStringLiteral("select count(*) from tab_answ where K3 is null")).toInt();
        const int several =
            db.scalar(QStringLiteral("select count(*) from tab_answ where K4 is not null")).toInt();
        QVERIFY(unlinked > 300 && unlinked < 2000);
        QVERIFY(several > 1000);
        QVERIFY(db.scalar(QStringLiteral("select count(*) from tab_kmmc where C7='0'")).toInt() > 0);
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from tab_kmmc where C1='xx'")).toInt(), 1);
    }

    void soundBankHasNothingToReport() {
        // A synthetic bank draws its keys at random and leaves some questions without an explanation or
        // exam point: only the quality figures speak of it.
        const tools::CheckReport r = checkWith([](store::Database&) {});
        QVERIFY2(besidesQuality(r).isEmpty(), qPrintable(r.lines().join(u'\n')));
        QCOMPARE(r.errorCount(), 0);
        QVERIFY(!r.quality.isEmpty());
    }

    void findsWrongAnswerKeys() {
        QString id;
        auto r = checkWith([&](store::Database& db) {
            id = first(db, QStringLiteral("select min(A1) from tab_answ where A13=61"));
            db.execute(QStringLiteral("update tab_answ set A2='E', A2_1=4 where A1=:id"), {id});
        });
        QVERIFY2(r.has(QStringLiteral("answer"), id), qPrintable(r.lines().join(u'\n')));
        QCOMPARE(r.errorCount(), 1);

        r = checkWith([&](store::Database& db) {
            id = first(db, QStringLiteral("select min(A1) from tab_answ where A13=65"));
            db.execute(QStringLiteral("update tab_answ set A2='CA' where A1=:id"), {id});
        });
        QVERIFY(r.has(QStringLiteral("answer"), id));

        r = checkWith([&](store::Database& db) {
            id = first(db, QStringLiteral("select min(A1) from tab_answ where A13=70"));
            db.execute(QStringLiteral("update tab_answ set A2='C', A2_1=3 where A1=:id"), {id});
        });
        QVERIFY(r.has(QStringLiteral("answer"), id));

        r = checkWith([&](store::Database& db) {
            id = first(db, QStringLiteral("select min(A1) from tab_answ where A13=73"));
            db.execute(QStringLiteral("update tab_answ set A2='A' where A1=:id"), {id});
        });
        QVERIFY(r.has(QStringLiteral("answer"), id));
    }

    void findsBrokenLinksToExamPoints() {
        QString id;
        auto r = checkWith([&](store::Database& db) {
            id = first(db, QStringLiteral("select min(A1) from tab_answ where K3 is not null"));
            db.execute(QStringLiteral("update tab_answ set K3='999999-999' where A1=:id"), {id});
        });
        QVERIFY2(r.has(QStringLiteral("link"), id + QStringLiteral(": K3 names no exam point")),
                 qPrintable(r.lines().join(u'\n')));

        r = checkWith([&](store::Database& db) {
            id = first(db, QStringLiteral("select min(A1) from tab_answ where K4 is not null"));
            db.execute(QStringLiteral("update tab_answ set K3=null where A1=:id"), {id});
        });
        QVERIFY(r.has(QStringLiteral("link"), id + QStringLiteral(": K4 is filled after an empty column")));

        r = checkWith([&](store::Database& db) {
            id = first(db, QStringLiteral("select min(A1) from tab_answ where K4 is not null"));
            db.execute(QStringLiteral("update tab_answ set K4=K3 where A1=:id"), {id});
        });
        QVERIFY(r.has(QStringLiteral("link"), id + QStringLiteral(": exam point")));
    }

    void findsCountersOffByOne() {
        QString code, ftid, cat;
        const tools::CheckReport r = checkWith([&](store::Database& db) {
            code = first(db, QStringLiteral("select min(C1) from tab_kmmc where len(C1)=6"));
            ftid = first(db, QStringLiteral("select min(ftid) from tab_rule where q>0"));
            cat = first(db, QStringLiteral("select min(id) from tab_fgmc where len(id)=2"));
            db.execute(QStringLiteral("update tab_kmmc set C3=C3+1 where C1=:c"), {code});
            db.execute(QStringLiteral("update tab_rule set q=q-1 where ftid=:f"), {ftid});
            db.execute(QStringLiteral("update tab_fgmc set q=q+1 where id=:i"), {cat});
        });
        QVERIFY2(r.has(QStringLiteral("counter"), QStringLiteral("tab_kmmc %1:").arg(code)),
                 qPrintable(r.lines().join(u'\n')));
        QVERIFY(r.has(QStringLiteral("counter"), QStringLiteral("tab_rule %1:").arg(ftid)));
        QVERIFY(r.has(QStringLiteral("counter"), QStringLiteral("tab_fgmc %1:").arg(cat)));
        QCOMPARE(r.errorCount(), 3);
    }

    void countersLeftBehindByAnUpgradeAreOnlyWarnings() {
        QString code;
        const tools::CheckReport r = checkWith([&](store::Database& db) {
            code = first(db, QStringLiteral("select min(C1) from tab_kmmc where len(C1)=4"));
            db.execute(QStringLiteral("update tab_kmmc set C3=C3-5 where C1=:c"), {code});
            db.execute(QStringLiteral("insert into tab_sj (sjbs,cpbs) values ('UP-1','VELQUAR01')"));
        });
        QCOMPARE(r.errorCount(), 0);
        QVERIFY(r.has(QStringLiteral("counter"), code, CheckProblem::Severity::Warning));
    }

    void findsBrokenTreeStemsAndGroups() {
        QString chapter, stem, group;
        const tools::CheckReport r = checkWith([&](store::Database& db) {
            chapter = first(db, QStringLiteral("select min(C1) from tab_kmmc where len(C1)=4"));
            stem = first(db, QStringLiteral("select min(A1) from tab_answ"));
            group = first(db, QStringLiteral("select min(A1) from tab_title"));
            db.execute(QStringLiteral("delete from tab_kmmc where C1=:c"), {chapter});
            db.execute(QStringLiteral("update tab_exer set A15=:s where A1=:id"),
                       {QByteArray("{\\rtf1\\ansi {\\fonttbl{\\f0 SimSun;}}\\par }"), stem});
            db.execute(QStringLiteral("delete from tab_title where A1=:g"), {group});
        });
        QVERIFY2(r.has(QStringLiteral("chapter"),
                       QStringLiteral("%1 has no parent %2").arg(chapter + QStringLiteral("01"), chapter)),
                 qPrintable(r.lines().join(u'\n')));
        QVERIFY(r.has(QStringLiteral("stem"), stem));
        QVERIFY(r.has(QStringLiteral("group"), group));
    }

    void findsSharesShortOfCandidates() {
        // Kind 5 draws six case multiple-choice questions from part 05.
        const auto keep = [this](int left) {
            return checkWith([left](store::Database& db) {
                const QVariant last =
                    db.query(QStringLiteral("select A1 from tab_answ where A13=64 and A10 like "
                                            "'05*' order by A1"))
                        .rows.value(left - 1)
                        .value(0);
                db.execute(
                    QStringLiteral("update tab_answ set F1=1 where A13=64 and A10 like '05*' and A1>:a"),
                    {last});
            });
        };
        tools::CheckReport r = keep(5);
        QVERIFY2(
            r.has(QStringLiteral("draw"), QStringLiteral("kind 5, type 64, chapters 05*: 5 candidate(s)")),
            qPrintable(r.lines().join(u'\n')));
        r = keep(8);
        QCOMPARE(r.errorCount(), 0);
        QVERIFY(r.has(QStringLiteral("draw"), QStringLiteral("8 candidate(s) for 6"),
                      CheckProblem::Severity::Warning));
        r = keep(9);
        QVERIFY(problemsOf(r, QStringLiteral("draw")).isEmpty());
        QVERIFY(r.has(QStringLiteral("headroom"),
                      QStringLiteral("kind 5, type 64, chapters 05*: 9 candidate(s) for "
                                     "6 in a paper, fewer than 4 times"),
                      CheckProblem::Severity::Warning));
        QVERIFY(r.quality.contains(
            QStringLiteral("kind 5: the thinnest share holds 1.5 times its count (4 wanted)")));

        // A question whose state is empty is no candidate either.
        r = checkWith([](store::Database& db) {
            db.execute(QStringLiteral("update tab_answ set F1=null where A13=64 and A10 like '05*'"));
        });
        QVERIFY(
            r.has(QStringLiteral("draw"), QStringLiteral("kind 5, type 64, chapters 05*: 0 candidate(s)")));
        QVERIFY(r.has(QStringLiteral("question"), QStringLiteral("no paper draws it"),
                      CheckProblem::Severity::Warning));
    }

    void findsTypeTablesAndSchemaThatDisagree() {
        tools::CheckReport r = checkWith([](store::Database& db) {
            db.execute(QStringLiteral("update tab_tx2 set B2=49 where A1=61"));
            db.execute(QStringLiteral("delete from tab_tx3 where A1=74"));
        });
        QVERIFY(r.has(QStringLiteral("types"), QStringLiteral("tab_tx2 type 61: 49 in a paper")));
        QVERIFY(r.has(QStringLiteral("types"), QStringLiteral("type 74 of")));

        r = checkWith([](store::Database& db) {
            db.execute(QStringLiteral("alter table tab_rule add column extra TEXT"));
        });
        QVERIFY(r.has(QStringLiteral("schema"), QStringLiteral("tab_rule has the columns")));
        QVERIFY(r.has(QStringLiteral("schema"), QStringLiteral("nothing further")));
    }

    void optionsAreReadFromTheStem() {
        QCOMPARE(tools::optionTexts(QStringLiteral("题干：\n\nA. 一\n\nB．二\n\nC、三\n\nD. 四"), 4),
                 (QStringList{QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三"),
                              QStringLiteral("四")}));
        // A paragraph that is no option continues the option before it; a run that starts again at A
        // replaces the one before (a case stem may list its own items).
        QCOMPARE(tools::optionTexts(QStringLiteral("A. 旧\nB. 旧\n问题：\nA. 新\n接着\nB. 二"), 2),
                 (QStringList{QStringLiteral("新 接着"), QStringLiteral("二")}));
        // Letters out of order or too few options read as nothing.
        QVERIFY(tools::optionTexts(QStringLiteral("A. 一\nC. 三\nD. 四"), 3).isEmpty());
        QVERIFY(tools::optionTexts(QStringLiteral("A. 一\nB. 二"), 4).isEmpty());
        QVERIFY(tools::optionTexts(QStringLiteral("没有选项"), 2).isEmpty());
    }

    void longestOptionKeyedMoreThanChanceIsACue() {
        // Twenty questions keyed on their longest option.
        const QString keys = QStringLiteral("ABCDABCDBADCCDABDCBA");
        QList<int> longest;
        for (const QChar c : keys)
            longest << c.unicode() - u'A';
        tools::CheckReport r = checkPlanted(singles(keys, longest));
        QVERIFY2(r.has(QStringLiteral("quality"),
                       QStringLiteral("longest option is keyed in 100% of the "
                                      "questions, chance gives 25%"),
                       CheckProblem::Severity::Warning),
                 qPrintable(said(r)));
        QVERIFY(
            r.quality.join(u'\n').contains(QStringLiteral("longest option keyed in 100% of 20 (chance 25%); "
                                                          "where 1.5 times the next: 100% of 20")));

        // The longest option keyed in 5 of 20, as chance has it; questions without one longest option are
        // not counted.
        for (int i = 0; i < longest.size(); ++i)
            if (i % 4 != 0)
                longest[i] = (longest[i] + 1) % 4;
        QList<Planted> set = singles(keys, longest);
        set += singles(QStringLiteral("ABCD"));
        r = checkPlanted(set);
        QVERIFY2(r.quality.join(u'\n').contains(QStringLiteral("longest option keyed in 25% of 20")),
                 qPrintable(said(r)));
        QVERIFY(
            !r.has(QStringLiteral("quality"), QStringLiteral("longest"), CheckProblem::Severity::Warning));
    }

    void keyLettersAndRepeatsAreJudgedAgainstChance() {
        // Balanced letters, consecutive keys repeating 4 times in 19 pairs (chance 25%): nothing to say.
        const QString fair = QStringLiteral("AABCDDBACCBDABBCDACD");
        tools::CheckReport r = checkPlanted(singles(fair));
        QVERIFY2(problemsOf(r, QStringLiteral("quality")).isEmpty(), qPrintable(said(r)));
        QVERIFY2(r.quality.join(u'\n').contains(QStringLiteral("key letters: A 25%, B 25%, C 25%, D 25%")),
                 qPrintable(said(r)));
        QVERIFY2(r.quality.join(u'\n').contains(
                     QStringLiteral("consecutive questions share a key in 21% of 19 pairs (chance 25%)")),
                 qPrintable(said(r)));

        // Keys that never repeat are a cue too: a learner who saw B rules B out next time.
        r = checkPlanted(singles(QStringLiteral("ABCDABCDABCDABCDABCD")));
        QVERIFY(r.has(QStringLiteral("quality"),
                      QStringLiteral("share a key in 0% of the pairs, chance gives 25%"),
                      CheckProblem::Severity::Warning));

        // A keyed most often: the letter is named, and so are the letters keyed too rarely.
        r = checkPlanted(singles(QStringLiteral("AAAAAAAAAABBBCCCDDDA")));
        QVERIFY2(r.has(QStringLiteral("quality"),
                       QStringLiteral("A is the key of 55% of the questions, chance "
                                      "gives 25%"),
                       CheckProblem::Severity::Warning),
                 qPrintable(said(r)));
        // Ten points below chance is still within it.
        QVERIFY(!r.has(QStringLiteral("quality"), QStringLiteral("B is the key"),
                       CheckProblem::Severity::Warning));

        // Nine questions are too few to judge.
        r = checkPlanted(singles(QStringLiteral("AAAAAAAAA")));
        QVERIFY(problemsOf(r, QStringLiteral("quality")).isEmpty());
    }

    void multipleChoiceKeysSpreadOverLettersAndSizes() {
        const auto multiple = [](const QStringList& keys, int type = 65) {
            QList<Planted> out;
            for (const QString& k : keys)
                out << Planted{type,
                               k,
                               {QStringLiteral("一一"), QStringLiteral("二二"), QStringLiteral("三三"),
                                QStringLiteral("四四")}};
            return out;
        };
        // Every key "all but the last": D never keyed, A always, no key of two or four letters.
        tools::CheckReport r = checkPlanted(multiple(QStringList(12, QStringLiteral("ABC"))));
        const QStringList warned = problemsOf(r, QStringLiteral("quality"));
        for (const QString& fragment :
             {QStringLiteral("A is keyed in 100% of the four-option questions"),
              QStringLiteral("D is keyed in 0% of the four-option questions"),
              QStringLiteral("no key of 2 letters"), QStringLiteral("no key of 4 letters"),
              QStringLiteral("100% of the keys leaving one option out leave out the last")})
            QVERIFY2(warned.join(u'\n').contains(fragment),
                     qPrintable(fragment + u'\n' + warned.join(u'\n')));
        QVERIFY(r.quality.join(u'\n').contains(QStringLiteral("key sizes: 3 letters 12")));

        // Keys of every size, each letter in 50% to 75%, the left-out letter varying.
        const QStringList spread{QStringLiteral("AB"),  QStringLiteral("CD"),  QStringLiteral("ABCD"),
                                 QStringLiteral("ACD"), QStringLiteral("ABD"), QStringLiteral("BCD"),
                                 QStringLiteral("BC"),  QStringLiteral("AD"),  QStringLiteral("ABC"),
                                 QStringLiteral("BD"),  QStringLiteral("AC"),  QStringLiteral("ABCD")};
        r = checkPlanted(multiple(spread));
        QVERIFY2(problemsOf(r, QStringLiteral("quality")).isEmpty(), qPrintable(said(r)));
        QVERIFY(r.quality.join(u'\n').contains(
            QStringLiteral("four-option questions (12): A 67%, B 67%, C 67%, D 67%")));

        // Indefinite choice keys one letter too: its letters are judged against their mean, and a key of
        // one letter is expected among its sizes.
        QStringList indefinite = spread;
        indefinite.replaceInStrings(QStringLiteral("ABCD"), QStringLiteral("A"));
        r = checkPlanted(multiple(indefinite + QStringList{QStringLiteral("A"), QStringLiteral("A")}, 66));
        QVERIFY2(r.has(QStringLiteral("quality"),
                       QStringLiteral("A is keyed in 71% of the four-option questions, "
                                      "the letters 50% on average"),
                       CheckProblem::Severity::Warning),
                 qPrintable(said(r)));
        QVERIFY(r.has(QStringLiteral("quality"), QStringLiteral("no key of 4 letters"),
                      CheckProblem::Severity::Warning));
    }

    void absoluteWordsInOptionsAreATellWhenNeverKeyed() {
        // Twelve questions, each with one option saying "一定" that is never keyed.
        const auto planted = [](bool keyedToo) {
            QList<Planted> out;
            for (int i = 0; i < 12; ++i) {
                Planted p{65,
                          QStringLiteral("AB"),
                          {QStringLiteral("数据要备份"), QStringLiteral("密码要保密"),
                           QStringLiteral("补丁要及时"), QStringLiteral("口令一定要短")}};
                if (keyedToo && i % 2 == 0) {
                    p.options[0] = QStringLiteral("数据一定要备份");
                    p.options[3] = QStringLiteral("口令要短");
                }
                out << p;
            }
            return out;
        };
        tools::CheckReport r = checkPlanted(planted(false));
        QVERIFY2(r.has(QStringLiteral("quality"),
                       QStringLiteral("options with an absolute word are keyed in 0%, "
                                      "the rest in 67%"),
                       CheckProblem::Severity::Warning),
                 qPrintable(said(r)));
        // The word keyed in half of the questions, as often as the other options: no tell.
        r = checkPlanted(planted(true));
        QVERIFY2(
            !r.has(QStringLiteral("quality"), QStringLiteral("absolute"), CheckProblem::Severity::Warning),
            qPrintable(said(r)));
        QVERIFY(r.quality.join(u'\n').contains(QStringLiteral("keyed 50% of 12, the rest 50% of 36")));
    }

    void theDeliveredBankFailsOnQuestionsWithoutExplanationOrExamPoint() {
        QList<Planted> set = singles(QStringLiteral("ABCD"));
        set[1].explained = false;
        set[2].linked = false;
        set[3].explained = set[3].linked = false;
        // Any other bank says how many there are.
        tools::CheckReport r = checkPlanted(set);
        QCOMPARE(problemsOf(r, QStringLiteral("quality"), CheckProblem::Severity::Error).size(), 0);
        QVERIFY2(r.has(QStringLiteral("quality"),
                       QStringLiteral("2 question(s) have no explanation, the first "),
                       CheckProblem::Severity::Warning),
                 qPrintable(said(r)));
        QVERIFY(r.quality.contains(
            QStringLiteral("2 question(s) without an explanation, 2 without an exam point")));

        r = checkPlanted(set, true);
        const QStringList errors = problemsOf(r, QStringLiteral("quality"), CheckProblem::Severity::Error);
        QCOMPARE(errors.size(), 4);
        QVERIFY(errors.filter(QStringLiteral("0002 has no explanation")).size() == 1);
        QVERIFY(errors.filter(QStringLiteral("0003 has no exam point")).size() == 1);
        QVERIFY(errors.filter(QStringLiteral("0004 has no")).size() == 2);
    }

    void readsWithoutChangingAnything() {
        const QByteArray before = digest(m_sound);
        QVERIFY(!tools::checkBankFile(m_sound, false).hasErrors());
        QCOMPARE(digest(m_sound), before);
        QVERIFY(!QFile::exists(m_sound + QStringLiteral("-wal")));

        // Without the key, or without a file, the check says so and stops.
        tools::CheckReport r = tools::checkBankFile(m_sound, true);
        QVERIFY(r.has(QStringLiteral("open"), m_sound));
        QCOMPARE(digest(m_sound), before);
        r = tools::checkBankFile(m_dir.filePath(QStringLiteral("none.mdb")), false);
        QVERIFY(r.has(QStringLiteral("open"), QStringLiteral("none.mdb")));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("none.mdb"))));
    }

    void longListsKeepTheFirstProblemsOfEachRule() {
        tools::CheckReport r;
        for (int i = 0; i < tools::CheckReport::KeptPerTopic + 5; ++i)
            r.error(QStringLiteral("answer"), QStringLiteral("question %1").arg(i));
        r.warning(QStringLiteral("answer"), QStringLiteral("a warning"));
        QCOMPARE(r.errorCount(), tools::CheckReport::KeptPerTopic + 5);
        QCOMPARE(r.problems().size(), tools::CheckReport::KeptPerTopic + 1);
        QVERIFY(
            r.has(QStringLiteral("answer"), QStringLiteral("a warning"), CheckProblem::Severity::Warning));
        QCOMPARE(r.lines().last(), QStringLiteral("error: answer: 5 more of the same"));
    }
};

QTEST_MAIN(TestBankCheck)
#include "tst_bankcheck.moc"
