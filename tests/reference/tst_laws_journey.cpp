// A learner's way through the real modal loops: the menu's exam-point tile -> the browser -> a section ->
// the practice of one point -> an answer -> back in the browser -> back to the catalogue with the new
// counters -> exit -> the menu answers and opens the browser again.
#include "app/Startup.h"
#include "app/start.h"
#include "platform/MenuPlayer.h"
#include "practice/QuestionButton.h"
#include "practice/QuestionView.h"
#include "practice/uRulelxxt.h"
#include "reference/Laws.h"
#include "reference/details.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"
#include "ui/Services.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::whenModal;

namespace {
void clickMenu(const QString& command) {
    MenuPlayer* menu = FrmStart->Menu();
    const int index = menu->indexOfCommand(command);
    QVERIFY2(index >= 0, qPrintable(command));
    menu->stop(); // the tiles rest where itemRect says
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->itemRect(index).center());
}

void clickSection(TfrmLawsFaGui* w, const QString& id) {
    const int row = int(w->RowIds().indexOf(id));
    QVERIFY2(row >= 0, qPrintable(id));
    QTableWidget* grid = w->m_grid;
    grid->scrollToItem(grid->item(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualItemRect(grid->item(row, 1)).center());
    QCOMPARE(grid->currentRow(), row);
}
} // namespace

class TestLawsJourney : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};

    QVariant scalar(const QString& sql) { return DM1->ADOCn1.scalar(sql); }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() { store::setClock(nullptr); }
    void cleanup() { FinishProgram(); }

    void fromTheMenuToThePracticeOfOnePointAndBack() {
        ScopedMessages shown;
        StartOptions o;
        o.bankPath =
            testsupport::buildBank(m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus());
        o.menuFile = QFINDTESTDATA("../../pic/main.menu");
        o.singleInstance = false;
        QCOMPARE(StartProgram(o), StartResult::Running);
        ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
        QVERIFY(QTest::qWaitForWindowExposed(FrmStart));

        bool practised = false;
        whenModal<TfrmLawsFaGui>([&](TfrmLawsFaGui* browser) {
            QCOMPARE(browser->TitleText(), QStringLiteral("考点目录"));
            clickSection(browser, QStringLiteral("050101"));
            QTest::mouseClick(browser->m_btnSelect, Qt::LeftButton);
            QVERIFY(browser->InDetailView());
            QListWidget* list = browser->Detail()->m_LBmenu;
            QCOMPARE(list->count(), 2);
            // The second point, 要点二, is linked to Q0001 only.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(1)).center());
            QCOMPARE(browser->Detail()->m_pNote->text(),
                     QStringLiteral("相关题数：1题  已做题数：0题  已做道次：0次  做错道次：0次"));

            whenModal<TFrmRuleLxxt>([&](TFrmRuleLxxt* practice) {
                QVERIFY(browser->isVisible()); // the opener keeps its loop under the practice
                QCOMPARE(practice->HintBoard(), QStringLiteral("要点二"));
                QCOMPARE(practice->GroupText(), QStringLiteral("共1组1道题　第1组"));
                QTest::mouseClick(practice->View()->optionButton(0, 2), Qt::LeftButton); // C; the key is B
                QTest::mouseClick(practice->findChild<QPushButton*>(QStringLiteral("Done")), Qt::LeftButton);
                QCOMPARE(practice->Button(0)->state(), QuestionState::Wrong);
                practised = true;
                QTest::mouseClick(practice->findChild<QPushButton*>(QStringLiteral("Close")), Qt::LeftButton);
            });
            QTest::mouseClick(browser->m_btnQuestion, Qt::LeftButton);
            QCOMPARE(QApplication::activeModalWidget(), browser);
            QVERIFY(browser->isVisible());
            // The rows are not read again: the note line shows the counters as the section was opened.
            QCOMPARE(browser->Detail()->m_pNote->text(),
                     QStringLiteral("相关题数：1题  已做题数：0题  已做道次：0次  做错道次：0次"));

            // Back and select again: the counters the answer raised.
            QTest::mouseClick(browser->m_btnBack, Qt::LeftButton);
            QCOMPARE(browser->TitleText(), QStringLiteral("考 点 目 录"));
            const int row = int(browser->RowIds().indexOf(QStringLiteral("050101")));
            QCOMPARE(browser->m_grid->currentRow(), row);
            QCOMPARE(browser->m_grid->item(row, 3)->text(), QStringLiteral("        1"));
            QCOMPARE(browser->m_grid->item(row, 4)->text(), QStringLiteral("        1"));
            QTest::mouseClick(browser->m_btnSelect, Qt::LeftButton);
            browser->Detail()->m_LBmenu->setCurrentRow(1);
            QCOMPARE(browser->Detail()->m_pNote->text(),
                     QStringLiteral("相关题数：1题  已做题数：1题  已做道次：1次  做错道次：1次"));
            QTest::mouseClick(browser->m_btnExit, Qt::LeftButton);
        });
        clickMenu(QStringLiteral("ksdg"));
        QVERIFY(practised);
        QVERIFY(!QApplication::activeModalWidget());

        // Q0001 lists both points of section 050101: both count the answer, the section and its part once.
        for (const char* ftid : {"050101-001", "050101-002"})
            QCOMPARE(
                scalar(QStringLiteral("select q2 from tab_rule where ftid='%1'").arg(QLatin1String(ftid)))
                    .toInt(),
                1);
        QCOMPARE(scalar(QStringLiteral("select q4 from tab_fgmc where id='050101'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select q2 from tab_fgmc where id='05'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select D1 from tab_kmmc where C1='050101'")).toInt(), 1);
        // Today's log: the answer, and the practice's time (none passes on the test's fixed clock).
        QCOMPARE(scalar(QStringLiteral("select A2 from tab_rz")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select D1 from tab_rz")).toString(), QStringLiteral("00:00:00"));

        // The menu answers: its other tile opens the browser again.
        bool reopened = false;
        whenModal<TfrmLawsFaGui>([&](TfrmLawsFaGui* browser) {
            reopened = true;
            QCOMPARE(browser->m_grid->rowCount(), 4);
            QTest::keyClick(browser, Qt::Key_Escape);
        });
        clickMenu(QStringLiteral("zsd"));
        QVERIFY(reopened);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(shown->shown.isEmpty());
    }
};

QTEST_MAIN(TestLawsJourney)
#include "tst_laws_journey.moc"
