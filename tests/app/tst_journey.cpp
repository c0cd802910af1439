// A learner's journey through the real modal loops: menu -> chapter navigator -> practice -> answers ->
// close -> the navigator again with new counters -> another chapter -> close -> the menu still answers ->
// quit with the study-plan reminder. Also a question whose text cannot be read, met on the way.
#include "app/Startup.h"
#include "app/start.h"
#include "platform/MenuPlayer.h"
#include "practice/QuestionButton.h"
#include "practice/QuestionView.h"
#include "practice/Ukmmc.h"
#include "practice/Ulxxt.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/support/MenuClick.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"
#include "ui/AppState.h"
#include "ui/Services.h"

#include <QAbstractButton>
#include <QLCDNumber>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::clickMenu;
using testsupport::whenModal;

namespace {
QString journeyBank() {
    QString text = testsupport::baseContent() + testsupport::smallSyllabus();
    for (int i = 1; i <= 3; ++i)
        text += QStringLiteral(
                    "[question P%1]\nchapter: 050101\ntype: 61\noptions: 4\nanswer: %2\nstem: |\n  题%1\n")
                    .arg(i, 3, 10, QLatin1Char('0'))
                    .arg(QChar(u'A' + i));
    return text;
}

QPushButton* button(QWidget* w, const char* name) {
    return w->findChild<QPushButton*>(QLatin1String(name));
}

// Selects a chapter row of the navigator with the mouse.
void clickChapter(TFrmkmmc* nav, const QString& code) {
    QTableWidget* grid = nav->Grid();
    for (int r = 0; r < grid->rowCount(); ++r) {
        if (grid->item(r, 0)->data(Qt::UserRole).toString() == code) {
            grid->scrollToItem(grid->item(r, 0));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualItemRect(grid->item(r, 1)).center());
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no row ") + code));
}
} // namespace

class TestJourney : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};

    void start() {
        QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
        StartOptions o;
        o.bankPath = testsupport::buildBank(m_dir.path(), journeyBank());
        o.menuFile = QFINDTESTDATA("../../pic/main.menu");
        o.singleInstance = false;
        QCOMPARE(StartProgram(o), StartResult::Running);
        ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
        QVERIFY(QTest::qWaitForWindowExposed(FrmStart));
    }
    QVariant scalar(const QString& sql) { return DM1->ADOCn1.scalar(sql); }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() { store::setClock(nullptr); }
    void cleanup() { FinishProgram(); }

    void practiseCloseAndPractiseAgainThenQuit() {
        ScopedMessages shown;
        start();
        int rounds = 0;
        QString countersAfterFirst;

        // Inside the navigator's loop: practise section 050101, answer two questions, close.
        whenModal<TFrmkmmc>([&](TFrmkmmc* nav) {
            QVERIFY(nav->isVisible());
            clickChapter(nav, QStringLiteral("050101"));
            whenModal<TFrmLxxt>([&](TFrmLxxt* practice) {
                QVERIFY(nav->isVisible()); // the opener keeps its loop under the practice
                // Q0001 (key B), then P001 (key B), P002 (C), P003 (D), then Q0002 (multiple choice).
                QTest::mouseClick(practice->View()->optionButton(0, 1), Qt::LeftButton);
                QTest::mouseClick(button(practice, "Done"), Qt::LeftButton);
                QCOMPARE(practice->Button(0)->state(), QuestionState::Right);
                QTest::mouseClick(button(practice, "Next"), Qt::LeftButton);
                QTest::mouseClick(practice->View()->optionButton(0, 0), Qt::LeftButton);
                QTest::mouseClick(button(practice, "Next"), Qt::LeftButton); // marks P001 wrong on leaving
                QCOMPARE(practice->Button(1)->state(), QuestionState::Wrong);
                ++rounds;
                QTest::mouseClick(button(practice, "Close"), Qt::LeftButton);
            });
            QTest::mouseClick(button(nav, "PracticeNew"), Qt::LeftButton);
            // Back in the navigator's own loop, on the same chapter, with the counters the practice changed.
            QCOMPARE(QApplication::activeModalWidget(), nav);
            QVERIFY(nav->isVisible());
            const int row = nav->Grid()->currentRow();
            QCOMPARE(nav->Grid()->item(row, 0)->data(Qt::UserRole).toString(), QStringLiteral("050101"));
            QCOMPARE(nav->Grid()->item(row, 3)->text(), QStringLiteral("2"));
            QCOMPARE(nav->Grid()->item(row, 4)->text(), QStringLiteral("1"));
            QCOMPARE(nav->StatisticsValue(1), 2);
            countersAfterFirst = nav->ScoreText();

            // A second practice on another section, then close the navigator.
            clickChapter(nav, QStringLiteral("050102"));
            whenModal<TFrmLxxt>([&](TFrmLxxt* practice) {
                QTest::mouseClick(practice->View()->optionButton(0, 0), Qt::LeftButton);
                QTest::mouseClick(button(practice, "Done"), Qt::LeftButton);
                ++rounds;
                QTest::keyClick(practice, Qt::Key_Escape);
            });
            QTest::mouseClick(button(nav, "PracticeNew"), Qt::LeftButton);
            QCOMPARE(QApplication::activeModalWidget(), nav);
            QCOMPARE(nav->StatisticsValue(1), 3);
            QTest::mouseClick(button(nav, "Close"), Qt::LeftButton);
        });
        clickMenu(QStringLiteral("lx"));
        QCOMPARE(rounds, 2);
        QCOMPARE(countersAfterFirst, QStringLiteral("50.00"));

        // The menu answers again: the navigator opens and closes once more.
        QVERIFY(!QApplication::activeModalWidget());
        bool reopened = false;
        whenModal<TFrmkmmc>([&](TFrmkmmc* nav) {
            reopened = true;
            QCOMPARE(nav->StatisticsValue(1), 3);
            QTest::keyClick(nav, Qt::Key_Escape);
        });
        clickMenu(QStringLiteral("lx2"));
        QVERIFY(reopened);
        QCOMPARE(SubjectNumber, 2);

        QCOMPARE(scalar(QStringLiteral("select E2 from tab_answ where A1='Q0001'")).toString(),
                 QStringLiteral("B"));
        QCOMPARE(scalar(QStringLiteral("select E4 from tab_answ where A1='P001'")).toInt(), -3);
        QCOMPARE(scalar(QStringLiteral("select E2 from tab_answ where A1='Q0003'")).toString(),
                 QStringLiteral("A"));
        QCOMPARE(scalar(QStringLiteral("select A2 from tab_rz")).toInt(), 3);

        // Quit: the reminder compares today's three answers with the plan, and the program ends.
        shown->clear();
        clickMenu(QStringLiteral("quit"));
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].kind, QStringLiteral("box"));
        QVERIFY(shown->shown[0].text.contains(QStringLiteral("学习计划")));
        QVERIFY(!FrmStart->isVisible());
    }

    void aQuestionWhoseTextCannotBeReadIsReportedAndTheProgramGoesOn() {
        ScopedMessages shown;
        start();
        bool practised = false;
        whenModal<TFrmkmmc>([&](TFrmkmmc* nav) {
            clickChapter(nav, QStringLiteral("050101"));
            whenModal<TFrmLxxt>([&](TFrmLxxt* practice) {
                // From now on every read of a question's text fails, as on a damaged data page.
                DM1->ADOCn1.failStatementsContaining(QStringLiteral("from tab_exer"));
                shown->clear();
                QTest::mouseClick(practice->Button(2), Qt::LeftButton);
                QCOMPARE(shown->shown.size(), 1);
                QCOMPARE(shown->shown[0].caption, QStringLiteral("错误"));
                QCOMPARE(shown->shown[0].text, QStringLiteral("无法打开试题！"));
                QCOMPARE(practice->CurrentPosition(), 3); // still selectable and answerable
                QCOMPARE(practice->View()->upperStemText(), QString());
                QTest::mouseClick(practice->View()->optionButton(0, 2), Qt::LeftButton);
                QTest::mouseClick(button(practice, "Done"), Qt::LeftButton);
                QCOMPARE(practice->Button(2)->state(), QuestionState::Right);
                // Keyboard and the other buttons go on failing politely.
                QTest::keyClick(practice, Qt::Key_Backspace);
                QCOMPARE(practice->CurrentPosition(), 2);
                practised = true;
                DM1->ADOCn1.failStatementsContaining(QString());
                QTest::mouseClick(button(practice, "Close"), Qt::LeftButton);
            });
            QTest::mouseClick(button(nav, "PracticeNew"), Qt::LeftButton);
            QCOMPARE(QApplication::activeModalWidget(), nav);
            QTest::mouseClick(button(nav, "Close"), Qt::LeftButton);
        });
        clickMenu(QStringLiteral("lx"));
        QVERIFY(practised);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(scalar(QStringLiteral("select E2 from tab_answ where A1='P002'")).toString(),
                 QStringLiteral("C"));

        // A practice that cannot even be opened is reported; the navigator stays usable.
        DM1->ADOCn1.failStatementsContaining(QStringLiteral("= '050101')"));
        shown->clear();
        whenModal<TFrmkmmc>([&](TFrmkmmc* nav) {
            clickChapter(nav, QStringLiteral("050101"));
            QTest::mouseClick(button(nav, "PracticeNew"), Qt::LeftButton);
            QCOMPARE(QApplication::activeModalWidget(), nav);
            QTest::mouseClick(button(nav, "Close"), Qt::LeftButton);
        });
        clickMenu(QStringLiteral("lx"));
        DM1->ADOCn1.failStatementsContaining(QString());
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("无法打开练习！"));
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(TestJourney)
#include "tst_journey.moc"
