// The exam-point practice window: what it does differently from the chapter practice, and what marking
// there does to the counters of the question's chapter and of every point it lists.
#include "practice/QuestionButton.h"
#include "practice/QuestionView.h"
#include "practice/uRulelxxt.h"
#include "reference/Laws.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/support/TestSupport.h"
#include "ui/AppState.h"
#include "ui/Services.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
// Questions of point 050101-001 written out of their practice order: a multiple-choice one first, a
// question of section 050102 before those of 050101.
QString ruleBank() {
    return testsupport::baseContent() + testsupport::smallSyllabus() + QStringLiteral(R"(
[question S001]
chapter: 050101
type: 65
options: 4
answer: AB
points: 050101-001
stem: |
  多选题
[question T001]
chapter: 050102
type: 61
options: 4
answer: C
points: 050101-001, 050101-002, 050102-001
stem: |
  三个考点的题
[question V001]
chapter: 050101
type: 61
options: 4
answer: A
points: 050101-001
stem: |
  作废过的题
[question G001]
chapter: 050101
type: 61
options: 4
answer: D
points: 050101-001
stem: |
  考点写在空栏之后的题
)");
}

// Room a window may take: the screen less a taskbar of 40 pixels and a frame of about 10 x 36.
QSize budget(const QString& mode) {
    return mode == u"800" ? QSize(800 - 10, 600 - 40 - 36) : QSize(1024 - 10, 768 - 40 - 36);
}
} // namespace

class TestRulePractice : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};
    std::unique_ptr<TDM1> m_dm;
    int m_banks = 0;

    QVariant scalar(const QString& sql) { return m_dm->ADOCn1.scalar(sql); }
    std::unique_ptr<TFrmRuleLxxt> open(const QString& ftid, const QString& title) {
        PracticeQueryText = TfrmLawsFaGui::PracticeQuery(ftid); // as the browser writes it
        auto w = std::make_unique<TFrmRuleLxxt>();
        if (!w->LoadPracticeSet())
            return nullptr;
        w->SetHintBoard(title);
        w->show();
        return w;
    }
    QStringList setIds() {
        QStringList ids;
        store::DataSet& set = DM1->Cn1Query_tm;
        const int keep = set.recNo();
        for (int i = 1; i <= set.recordCount(); ++i) {
            set.setRecNo(i);
            ids << set.asString(QStringLiteral("A1"));
        }
        if (keep > 0)
            set.setRecNo(keep); // the window works on the current row
        return ids;
    }
    int positionOf(const QString& id) { return int(setIds().indexOf(id)) + 1; }
    QList<int> pointCounters(const QString& ftid) {
        const auto r =
            m_dm->ADOCn1.query(QStringLiteral("select q1,q2,q4 from tab_rule where ftid=:f"), {ftid});
        return {r.rows[0][0].toInt(), r.rows[0][1].toInt(), r.rows[0][2].toInt()};
    }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() {
        DM1 = nullptr;
        store::setClock(nullptr);
        ScreenMode = QStringLiteral("1024");
    }
    void init() {
        DM1 = nullptr;
        m_dm.reset();
        m_dm = std::make_unique<TDM1>(testsupport::buildBank(m_dir.path(), ruleBank(), false,
                                                             QStringLiteral("rule%1.mdb").arg(++m_banks)));
        QVERIFY(m_dm->DataModuleConnected);
        DM1 = m_dm.get();
        // The data module points the program folder at the test; the pictures are in the sources.
        ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
        ScreenMode = QStringLiteral("1024");
        m_dm->ADOCn1.execute(QStringLiteral("update tab_answ set F1=1 where A1='V001'"));
        m_dm->ADOCn1.execute(
            QStringLiteral("update tab_answ set K3='', K4=null, K5='050101-001' where A1='G001'"));
    }

    void setInAFixedOrderWithVoidedAndGappedQuestions() {
        ScopedMessages shown;
        auto w = open(QStringLiteral("050101-001"), QStringLiteral("要点一"));
        QVERIFY(w);
        // Single choice before multiple choice, then chapter, then the bank's own order.
        QCOMPARE(setIds(), QStringList({"Q0001", "V001", "G001", "T001", "S001"}));
        QCOMPARE(w->GroupText(), QStringLiteral("共1组5道题　第1组"));
        QVERIFY(shown->shown.isEmpty());
        w->close();
    }

    void whatDiffersFromChapterPractice() {
        CurrentChapterTitle = QStringLiteral("某章节标题");
        ScopedMessages shown;
        auto w = open(QStringLiteral("050101-001"), QStringLiteral("要点一"));
        QVERIFY(w);
        QCoreApplication::processEvents();
        QVERIFY(w->windowTitle().trimmed().isEmpty());
        QCOMPARE(w->HintBoard(), QStringLiteral("要点一")); // showing left the opener's title
        QVERIFY(!w->ActionButton(QStringLiteral("Edit")));
        QCOMPARE(w->ActionButton(QStringLiteral("Void"))->text(), QStringLiteral("本题作废"));
        QVERIFY(w->StatusLine(1).isEmpty());

        w->ActionButton(QStringLiteral("Done"))->click();
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].caption, QStringLiteral("提示"));
        QCOMPARE(shown->shown[0].text, QStringLiteral("题还没做呢！"));
        QCOMPARE(shown->shown[0].buttonSet, 1);
        QCOMPARE(shown->shown[0].page, 1);
        QCOMPARE(shown->shown[0].style, QStringLiteral("NO"));

        // The self-assessment page keeps its label whatever tab is pressed.
        w->PressTypeTab(2); // 65
        QCOMPARE(setIds(), QStringList({"S001"}));
        QCOMPARE(w->View()->subjectiveLabel(), QStringLiteral("主观"));
        w->close();
    }

    void voidedQuestionCanBeAnsweredAndUnvoided() {
        ScopedMessages shown;
        auto w = open(QStringLiteral("050101-001"), QStringLiteral("要点一"));
        QVERIFY(w);
        w->PressQuestionButton(positionOf(QStringLiteral("V001")) - 1);
        QPushButton* voidButton = w->ActionButton(QStringLiteral("Void"));
        QCOMPARE(w->StatusLine(0), QStringLiteral("本题已被您作废！"));
        QCOMPARE(voidButton->text(), QStringLiteral("取消作废"));
        voidButton->click();
        QCOMPARE(w->StatusLine(0), QStringLiteral("本题曾被作废，现已被您取消！"));
        QCOMPARE(voidButton->text(), QStringLiteral("本题作废"));
        QCOMPARE(scalar(QStringLiteral("select F1 from tab_answ where A1='V001'")).toInt(), 0);
        w->View()->pressLetter(u'A');
        w->ActionButton(QStringLiteral("Done"))->click();
        QCOMPARE(w->Button(positionOf(QStringLiteral("V001")) - 1)->state(), QuestionState::Right);
        QCOMPARE(scalar(QStringLiteral("select E2 from tab_answ where A1='V001'")).toString(),
                 QStringLiteral("A"));
        // Voided once more: "zero" again, and nothing counted for it.
        voidButton->click();
        QCOMPARE(voidButton->text(), QStringLiteral("取消作废"));
        QCOMPARE(scalar(QStringLiteral("select F1 from tab_answ where A1='V001'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select E2 from tab_answ where A1='V001'")).toString(),
                 QStringLiteral("zero"));
        QCOMPARE(pointCounters(QStringLiteral("050101-001")), QList<int>({1, 1, 0}));
        QVERIFY(shown->shown.isEmpty());
        w->close();
    }

    // Marking counts for the question's own chapter and for every point it lists, up to the first empty
    // column, not only for the point practised.
    void markingCountsEveryPointListed() {
        ScopedMessages shown;
        auto w = open(QStringLiteral("050101-001"), QStringLiteral("要点一"));
        QVERIFY(w);
        const int t001 = positionOf(QStringLiteral("T001"));
        w->PressQuestionButton(t001 - 1);
        w->View()->pressLetter(u'A'); // wrong: the key is C
        w->ActionButton(QStringLiteral("Done"))->click();
        QCOMPARE(w->Button(t001 - 1)->state(), QuestionState::Wrong);
        for (const QString& p :
             {QStringLiteral("050101-001"), QStringLiteral("050101-002"), QStringLiteral("050102-001")})
            QCOMPARE(pointCounters(p), QList<int>({1, 1, 1}));
        QCOMPARE(scalar(QStringLiteral("select q2 from tab_fgmc where id='050101'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select q2 from tab_fgmc where id='050102'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select q2 from tab_fgmc where id='05'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select D1 from tab_kmmc where C1='050102'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select D1 from tab_kmmc where C1='050101'")).toInt(), 0);

        // G001 lists the point only after an empty K3: it is practised, but no point counts it.
        const int g001 = positionOf(QStringLiteral("G001"));
        w->PressQuestionButton(g001 - 1);
        w->View()->pressLetter(u'D');
        w->ActionButton(QStringLiteral("Done"))->click();
        QCOMPARE(w->Button(g001 - 1)->state(), QuestionState::Right);
        QCOMPARE(pointCounters(QStringLiteral("050101-001")), QList<int>({1, 1, 1}));
        QCOMPARE(scalar(QStringLiteral("select D1 from tab_kmmc where C1='050101'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select A2 from tab_rz")).toInt(), 2);
        QVERIFY(shown->shown.isEmpty());
        w->close();
    }

    void fitsBothScreens_data() {
        QTest::addColumn<QString>("mode");
        QTest::newRow("800x600") << "800";
        QTest::newRow("1024x768") << "1024";
    }
    void fitsBothScreens() {
        QFETCH(QString, mode);
        ScreenMode = mode;
        ScopedMessages shown;
        auto w = open(QStringLiteral("050101-001"),
                      QStringLiteral("一个相当长的考点标题，足以占满提示板的一整行"));
        QVERIFY(w);
        QCoreApplication::processEvents();
        const QSize taken = w->size().expandedTo(w->minimumSizeHint());
        const QSize room = budget(mode);
        QVERIFY2(
            taken.width() <= room.width() && taken.height() <= room.height(),
            qPrintable(
                QStringLiteral("%1x%2 on the %3 screen").arg(taken.width()).arg(taken.height()).arg(mode)));
        w->close();
        QVERIFY(shown->shown.isEmpty());
    }
};

QTEST_MAIN(TestRulePractice)
#include "tst_rule_practice.moc"
