// Readiness in the study plan: the estimate of each question's chance today, per subject, the weakest
// exam points and the daily target, checked against a hand computation on a small bank with a fixed clock;
// the plan window shows them and practises a weak point through the real modal loops.
#include "practice/uRulelxxt.h"
#include "records/Readiness.h"
#include "records/Uplan.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WindowFit.h"
#include "ui/AppState.h"
#include "ui/Services.h"

#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace records;

class TestReadiness : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2027, 1, 2), QTime(9, 0))};
    std::unique_ptr<TDM1> m_dm;

    // The small syllabus: subject 0 holds Q0001 (single, points 050101-001/-002), Q0002 (multiple, point
    // 050102-001) and Q0003 (single); subject 3 holds Q0004 (single) and Q0005 (indefinite, voided here).
    void openAnsweredBank() {
        if (DM1 == m_dm.get())
            DM1 = nullptr;
        m_dm.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
        m_dm = std::make_unique<TDM1>(
            testsupport::buildBank(m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus()));
        QVERIFY(m_dm->DataModuleConnected);
        DM1 = m_dm.get();
        const auto set = [this](const char* id, int e3, int e4, const char* e1) {
            m_dm->ADOCn1.execute(QStringLiteral("update tab_answ set E3=?, E4=?, E1=?, E2='A' where A1=?"),
                                 {e3, e4, QString::fromLatin1(e1), QString::fromLatin1(id)});
        };
        set("Q0001", 2, 0, "2027-01-02");  // right, today
        set("Q0002", 1, -3, "2026-12-26"); // wrong once, a week ago
        set("Q0004", 1, 0, "2026-12-03");  // right, thirty days ago
        m_dm->ADOCn1.execute(QStringLiteral("update tab_answ set F1=1 where A1='Q0005'"));
    }

    static double e1() { return std::exp(-1.0); }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() {
        DM1 = nullptr;
        store::setClock(nullptr);
    }

    void aQuestionsChanceFollowsItsMasteryAndItsAge() {
        const QDate today(2027, 1, 2);
        QCOMPARE(RecallChance({61, 4, 0, 0, {}}, today), 0.25);
        QCOMPARE(RecallChance({61, 5, 0, 0, {}}, today), 0.2);
        QCOMPARE(RecallChance({70, 2, 0, 0, {}}, today), 0.5);
        QCOMPARE(RecallChance({65, 5, 0, 0, {}}, today), 0.1);
        QCOMPARE(RecallChance({71, 1, 0, 0, {}}, today), 0.0);
        QCOMPARE(RecallChance({61, 4, 3, 0, today}, today), 0.95);
        QVERIFY(std::abs(RecallChance({61, 4, 3, 0, today.addDays(-30)}, today) - (0.25 + 0.70 * e1())) < 1e-12);
        // Still wrong: 0.6 + 0.1 x mastery, never below 0.25, fading over a week.
        QVERIFY(std::abs(RecallChance({70, 2, 1, -1, today}, today) - 0.5) < 1e-12);
        QVERIFY(std::abs(RecallChance({70, 2, 1, -3, today.addDays(-7)}, today) - (0.5 - 0.2 * e1())) < 1e-12);
        QVERIFY(std::abs(RecallChance({61, 4, 9, -8, today}, today) - 0.25) < 1e-12);
        // A date in the future counts as today.
        QCOMPARE(RecallChance({61, 4, 1, 0, today.addDays(3)}, today), 0.95);
    }

    void theDailyTarget() {
        QCOMPARE(DailyTarget(100, 30), 4); // 100 over 31 days, today included
        QCOMPARE(DailyTarget(100, 7), 13);
        QCOMPARE(DailyTarget(100, 0), 100); // the exam day itself
        QCOMPARE(DailyTarget(0, 30), 0);
        QCOMPARE(DailyTarget(5, -1), 0); // past, or no date
    }

    void theFiguresOfASmallBankMatchAHandComputation() {
        openAnsweredBank();
        const Readiness r = ReadReadiness(*m_dm, QDate(2027, 1, 2), QDate(2027, 2, 1));
        QCOMPARE(r.subjects.size(), 2);
        QCOMPARE(r.subjects[0].code, QStringLiteral("0"));
        QCOMPARE(r.subjects[0].name, QStringLiteral("科目一"));
        QCOMPARE(r.subjects[0].questions, 3);
        QCOMPARE(r.subjects[0].notMastered, 2); // Q0002 wrong, Q0003 never answered
        const double q2 = 0.1 + 0.2 * e1();
        QVERIFY(std::abs(r.subjects[0].share - (0.95 + q2 + 0.25) / 3) < 1e-12);
        QCOMPARE(r.subjects[1].code, QStringLiteral("3"));
        QCOMPARE(r.subjects[1].questions, 1); // the voided question does not count
        QCOMPARE(r.subjects[1].notMastered, 0);
        QVERIFY(std::abs(r.subjects[1].share - (0.25 + 0.7 * e1())) < 1e-12);
        QCOMPARE(r.notMastered, 2);
        QCOMPARE(r.daysLeft, 30);
        QCOMPARE(r.dailyTarget, 1);
        // Weakest first; only points with an answered question.
        QCOMPARE(r.weakest.size(), 3);
        QCOMPARE(r.weakest[0].ftid, QStringLiteral("050102-001"));
        QVERIFY(std::abs(r.weakest[0].share - q2) < 1e-12);
        QCOMPARE(r.weakest[1].ftid, QStringLiteral("050101-001"));
        QCOMPARE(r.weakest[2].ftid, QStringLiteral("050101-002"));
        QCOMPARE(r.weakest[2].title, QStringLiteral("要点二"));
        QCOMPARE(ReadReadiness(*m_dm, QDate(2027, 1, 2), QDate(2027, 2, 1), 1).weakest.size(), 1);
    }

    void thePlanWindowShowsTheEstimateAndPractisesAWeakPoint() {
        openAnsweredBank();
        m_dm->ADOCn1.execute(QStringLiteral("update tab_plan set ExamDate='2027-01-09'"));
        TFrmplan plan;
        plan.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plan));
        QCOMPARE(plan.SubjectTable()->rowCount(), 2);
        QCOMPARE(plan.SubjectTable()->item(0, 0)->text(), QStringLiteral("科目一"));
        QCOMPARE(plan.SubjectTable()->item(0, 1)->text(),
                 QString::asprintf("%.0f%%", (0.95 + 0.1 + 0.2 * e1() + 0.25) / 3 * 100));
        QCOMPARE(plan.SubjectTable()->item(0, 2)->text(), QStringLiteral("2"));
        QCOMPARE(plan.WeakPointList()->count(), 3);
        QVERIFY(plan.WeakPointList()->item(0)->text().startsWith(QStringLiteral("要点三")));
        QCOMPARE(plan.DailyTargetText(), QStringLiteral("还有 2 道题未掌握，距考试 7 天：每天约 1 道题。"));
        testsupport::checkFits(&plan, QStringLiteral("800"));

        // "练习此考点": the practice of the weakest point in its own loop, and back.
        ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
        bool practised = false;
        testsupport::whenModal<TFrmRuleLxxt>([&](TFrmRuleLxxt* w) {
            practised = true;
            QCOMPARE(w->HintBoard(), QStringLiteral("要点三"));
            w->close();
        });
        QTest::mouseClick(plan.PractisePointButton(), Qt::LeftButton);
        QVERIFY(practised);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);

        // Without an exam date the target asks for one; with no answer at all nothing is listed.
        m_dm->ADOCn1.execute(QStringLiteral("update tab_answ set E3=0, E4=0, E1=null, E2=''"));
        plan.UpdateReadiness();
        QCOMPARE(plan.WeakPointList()->count(), 1);
        QVERIFY(!plan.PractisePointButton()->isEnabled());
    }
};

QTEST_MAIN(TestReadiness)
#include "tst_readiness.moc"
