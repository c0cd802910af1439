// The study features through the real modal loops from the menu and back: the settings window's
// 检查题库 and back to the settings; the study plan's practice of a weak exam point; the navigator's
// practice with its star and 背题, then 收藏题; and the menu still answers at the end.
#include "app/Startup.h"
#include "app/Uabout.h"
#include "app/Uconfig.h"
#include "app/start.h"
#include "practice/Ubeiti.h"
#include "practice/Ukmmc.h"
#include "practice/Ulxxt.h"
#include "practice/uRulelxxt.h"
#include "records/Uplan.h"
#include "safety/Usafety.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/support/MenuClick.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"
#include "ui/AppState.h"
#include "ui/Services.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using testsupport::clickMenu;
using testsupport::whenModal;

class TestStudyJourney : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};

    static QPushButton* button(QWidget* w, const char* name) {
        return w->findChild<QPushButton*>(QLatin1String(name));
    }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() { store::setClock(nullptr); }

    void fromTheMenuThroughTheStudyWindowsAndBack() {
        StartOptions o;
        o.bankPath = testsupport::buildBank(m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus());
        o.menuFile = QFINDTESTDATA("../../pic/main.menu");
        o.singleInstance = false;
        QCOMPARE(StartProgram(o), StartResult::Running);
        ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
        QVERIFY(QTest::qWaitForWindowExposed(FrmStart));
        // Q0001 of point 050101-001 answered wrong a week ago: the weakest point of the plan.
        DM1->ADOCn1.execute(QStringLiteral("update tab_answ set E3=1, E4=-3, E2='A', E1='2026-12-02' where A1='Q0001'"));

        // 背景音乐 -> 检查题库 in its own loop -> back in the settings -> closed.
        bool checked = false;
        whenModal<TFrmConfig>([&](TFrmConfig* config) {
            whenModal<TFrmBankCheck>([&](TFrmBankCheck* check) {
                checked = true;
                QVERIFY(config->isVisible());
                QVERIFY(!check->IntegrityFailed());
                QVERIFY(check->Report->toPlainText().contains(QStringLiteral("数据库完整性检查：通过。")));
                QTest::mouseClick(check->CloseButton, Qt::LeftButton);
            });
            QTest::mouseClick(config->CheckButton, Qt::LeftButton);
            QCOMPARE(QApplication::activeModalWidget(), config);
            QTest::mouseClick(config->epFocusButton3, Qt::LeftButton);
        });
        clickMenu(QStringLiteral("music"));
        QVERIFY(checked);
        QVERIFY(!QApplication::activeModalWidget());

        // 学习计划 -> 练习此考点 -> the practice of the weakest point -> back in the plan -> closed.
        bool practised = false;
        whenModal<TFrmplan>([&](TFrmplan* plan) {
            QVERIFY(plan->WeakPointList()->item(0)->text().startsWith(QStringLiteral("要点一")));
            whenModal<TFrmRuleLxxt>([&](TFrmRuleLxxt* p) {
                practised = true;
                QVERIFY(plan->isVisible());
                QCOMPARE(p->HintBoard(), QStringLiteral("要点一"));
                QTest::mouseClick(button(p, "Close"), Qt::LeftButton);
            });
            QTest::mouseClick(plan->PractisePointButton(), Qt::LeftButton);
            QCOMPARE(QApplication::activeModalWidget(), plan);
            QTest::mouseClick(button(plan, "Close"), Qt::LeftButton);
        });
        clickMenu(QStringLiteral("szjh"));
        QVERIFY(practised);
        QVERIFY(!QApplication::activeModalWidget());

        // 章节练习 -> a practice: the star (S) and 背题 in its own loop -> back -> 收藏题 -> closed.
        int practices = 0;
        whenModal<TFrmkmmc>([&](TFrmkmmc* nav) {
            QVERIFY(nav->SelectChapter(QStringLiteral("050102")));
            whenModal<TFrmLxxt>([&](TFrmLxxt* w) {
                ++practices;
                QTest::keyClick(w, Qt::Key_S);
                QVERIFY(w->BookmarkButton()->isChecked());
                whenModal<TFrmBeiti>([&](TFrmBeiti* b) {
                    QVERIFY(w->isVisible());
                    QVERIFY(b->KeyText().startsWith(QStringLiteral("答案：")));
                    QTest::mouseClick(button(b, "Close"), Qt::LeftButton);
                });
                QTest::mouseClick(w->StudyButton(), Qt::LeftButton);
                QCOMPARE(QApplication::activeModalWidget(), w);
                QTest::mouseClick(button(w, "Close"), Qt::LeftButton);
            });
            QTest::mouseClick(button(nav, "PracticeNew"), Qt::LeftButton);
            QCOMPARE(QApplication::activeModalWidget(), nav);
            QVERIFY(button(nav, "PracticeBookmarked")->isEnabled());
            whenModal<TFrmLxxt>([&](TFrmLxxt* w) {
                ++practices;
                QCOMPARE(w->GroupText(), QStringLiteral("共1组1道题　第1组"));
                QTest::keyClick(w, Qt::Key_Escape);
            });
            QTest::mouseClick(button(nav, "PracticeBookmarked"), Qt::LeftButton);
            QCOMPARE(QApplication::activeModalWidget(), nav);
            QTest::mouseClick(button(nav, "Close"), Qt::LeftButton);
        });
        clickMenu(QStringLiteral("lx"));
        QCOMPARE(practices, 2);
        QVERIFY(!QApplication::activeModalWidget());

        // The menu still answers.
        bool about = false;
        whenModal<TFrmAbout>([&](TFrmAbout* a) {
            about = true;
            QTest::mouseClick(a->Button1, Qt::LeftButton);
        });
        clickMenu(QStringLiteral("about"));
        QVERIFY(about);
        QVERIFY(!QApplication::activeModalWidget());
        FinishProgram();
    }
};

QTEST_MAIN(TestStudyJourney)
#include "tst_study_journey.moc"
