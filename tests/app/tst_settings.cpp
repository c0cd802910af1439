// The settings window from the menu, through its real modal loop: the answer times per question type
// (stored, rounded, refused, only what was changed written) and the background music with a fake player
// (play, stop, the first tune by default, no sound card, a missing tune).
#include "app/Startup.h"
#include "app/Uconfig.h"
#include "app/start.h"
#include "store/dm.h"
#include "tests/app/FakeMusicPlayer.h"
#include "tests/support/MenuClick.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WindowFit.h"
#include "ui/AppState.h"
#include "ui/Services.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::clickMenu;
using testsupport::ScopedFakeMusic;
using testsupport::whenModal;

namespace {

// Types into a box as the learner does: everything in it selected first, then the new text, then Enter.
void typeInto(QDoubleSpinBox* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return); // the box settles its value
}

void closeWindow(TFrmConfig* w) {
    QTest::mouseClick(w->epFocusButton3, Qt::LeftButton);
}

// Chooses a tune from the list as the learner does: the list reports the choice.
void chooseTune(TFrmConfig* w, int index) {
    w->FlatComboBox1->setCurrentIndex(index);
    emit w->FlatComboBox1->activated(index);
}

QString tunePath(int n) {
    return ProgramFolder + QStringLiteral("sound/乐曲%1.mid").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ScopedFakeMusic> m_music;

    void start() {
        FinishProgram();
        QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
        StartOptions o;
        o.bankPath = testsupport::buildBank(m_dir.path(), testsupport::baseContent());
        o.menuFile = QFINDTESTDATA("../../pic/main.menu");
        o.singleInstance = false;
        PaperKind = 0;
        QCOMPARE(StartProgram(o), StartResult::Running);
        ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
        QVERIFY(QTest::qWaitForWindowExposed(FrmStart));
        // The mock exam only stores its kind here: these tests are about the settings.
        FrmStart->SetWindowOpener(QStringLiteral("mnks"), [] {});
    }
    QVariant scalar(const QString& sql) { return DM1->ADOCn1.scalar(sql); }

private slots:
    void init() {
        m_music = std::make_unique<ScopedFakeMusic>();
        MusicFile.clear();
    }
    void cleanup() {
        FinishProgram();
        m_music.reset();
    }

    void answerTimesOfTheLastPaperKindAreEditedAndStored() {
        ScopedMessages shown;
        start();
        // Kind 2 gets seven types, one name with spaces around it.
        DM1->ADOCn1.execute(
            QStringLiteral("insert into tab_tx2 (A1,B1,time) values "
                           "(62,' 案例单选题 ',1.5),(64,'案例多选题',2),(65,'多项选择题',1.5),"
                           "(66,'不定项选择题',2),(70,'判断题',0.5),(80,'填空题',1)"));
        clickMenu(QStringLiteral("mnks2"));
        QCOMPARE(PaperKind, 2);

        bool seen = false;
        whenModal<TFrmConfig>([&](TFrmConfig* w) {
            seen = true;
            QCOMPARE(w->windowTitle(), QStringLiteral("系统设置"));
            QCOMPARE(ConfigMode, 1);
            QVERIFY(w->Label4->isVisible() && w->ScrollBox1->isVisible());
            QVERIFY(!w->Label1->isVisible() && !w->RxSwitch1->isVisible() && !w->Label5->isVisible() &&
                    !w->FlatComboBox1->isVisible());
            QCOMPARE(w->TypeCount(), 7);
            QVERIFY(w->TimeBox(6) && !w->TimeBox(7));
            QCOMPARE(w->TimeBox(1)->property("tag").toInt(), 62);
            bool trimmed = false;
            for (QLabel* l : w->ScrollBox1->widget()->findChildren<QLabel*>())
                trimmed = trimmed || l->text() == u"案例单选题";
            QVERIFY(trimmed);
            for (int i = 0; i < 7; ++i) {
                QCOMPARE(w->TimeBox(i)->minimum(), 0.1);
                QCOMPARE(w->TimeBox(i)->maximum(), 30.0);
            }
            // Below 0.1 and above 30 are refused: the box keeps the value it had.
            typeInto(w->TimeBox(3), QStringLiteral("0"));
            QCOMPARE(w->TimeBox(3)->value(), 1.5);
            typeInto(w->TimeBox(4), QStringLiteral("31")); // the "1" that would pass 30 is not taken
            QCOMPARE(w->TimeBox(4)->value(), 3.0);
            typeInto(w->TimeBox(0), QStringLiteral("1.5"));
            typeInto(w->TimeBox(5), QStringLiteral("0.1"));
            closeWindow(w);
        });
        clickMenu(QStringLiteral("sztime"));
        QVERIFY(seen);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(shown->shown.isEmpty());

        // tab_tx2 in A1 order: 61, 62, 64, 65, 66, 70, 80.
        QCOMPARE(scalar(QStringLiteral("select time from tab_tx2 where A1=61")).toDouble(), 1.5);
        QCOMPARE(scalar(QStringLiteral("select time from tab_tx2 where A1=65")).toDouble(), 1.5);
        QCOMPARE(scalar(QStringLiteral("select time from tab_tx2 where A1=66")).toDouble(), 3.0);
        QCOMPARE(scalar(QStringLiteral("select time from tab_tx2 where A1=70")).toDouble(), 0.1);
        QCOMPARE(scalar(QStringLiteral("select time from tab_tx2 where A1=62")).toDouble(), 1.5);
        QCOMPARE(QuestionTimeTable.TypeIds, QVector<qint32>({61, 62, 64, 65, 66, 70, 80}));
        QCOMPARE(QuestionTimeTable.IntervalFor(61), 900);
        QCOMPARE(QuestionTimeTable.IntervalFor(70), 60);
        QCOMPARE(QuestionTimeTable.IntervalFor(80), 600);
        // Kind 1 was not touched.
        QCOMPARE(scalar(QStringLiteral("select time from tab_tx1 where A1=61")).toDouble(), 1.0);
        QCOMPARE(scalar(QStringLiteral("select time from tab_tx1 where A1=65")).toDouble(), 1.5);
    }

    void onlyTheBoxesTheLearnerChangedAreWritten() {
        ScopedMessages shown;
        start();
        // Values a box can only show rounded or held within its limits.
        DM1->ADOCn1.execute(QStringLiteral("update tab_tx1 set time=0.05 where A1=61"));
        DM1->ADOCn1.execute(QStringLiteral("update tab_tx1 set time=45 where A1=65"));
        DM1->ADOCn1.execute(QStringLiteral("update tab_tx1 set time=1.25 where A1=66"));
        whenModal<TFrmConfig>([&](TFrmConfig* w) {
            QCOMPARE(w->TimeBox(0)->value(), 0.1);
            QCOMPARE(w->TimeBox(1)->value(), 30.0);
            closeWindow(w);
        });
        clickMenu(QStringLiteral("sztime"));
        QCOMPARE(scalar(QStringLiteral("select time from tab_tx1 where A1=61")).toDouble(), 0.05);
        QCOMPARE(scalar(QStringLiteral("select time from tab_tx1 where A1=65")).toDouble(), 45.0);
        QCOMPARE(scalar(QStringLiteral("select time from tab_tx1 where A1=66")).toDouble(), 1.25);
        // The practice timer goes by what the bank holds, as when the program starts.
        QCOMPARE(QuestionTimeTable.Intervals, QVector<qint32>({30, 27000, 750}));

        // One box changed: that one is written, the others stay as they were.
        whenModal<TFrmConfig>([&](TFrmConfig* w) {
            typeInto(w->TimeBox(1), QStringLiteral("20"));
            QTest::keyClick(w, Qt::Key_Escape); // closing by Esc saves the same way
        });
        clickMenu(QStringLiteral("sztime"));
        QCOMPARE(scalar(QStringLiteral("select time from tab_tx1 where A1=61")).toDouble(), 0.05);
        QCOMPARE(scalar(QStringLiteral("select time from tab_tx1 where A1=65")).toDouble(), 20.0);
        QCOMPARE(scalar(QStringLiteral("select time from tab_tx1 where A1=66")).toDouble(), 1.25);
        QCOMPARE(QuestionTimeTable.Intervals, QVector<qint32>({30, 12000, 750}));
        QVERIFY(shown->shown.isEmpty());
    }

    void aTimeThatCannotBeSavedIsReportedAndTheWindowCloses() {
        ScopedMessages shown;
        start();
        const TQuestionTimeTable before = QuestionTimeTable;
        whenModal<TFrmConfig>([&](TFrmConfig* w) {
            typeInto(w->TimeBox(0), QStringLiteral("3"));
            typeInto(w->TimeBox(2), QStringLiteral("4"));
            DM1->ADOCn1.failStatementsContaining(QStringLiteral("update "));
            closeWindow(w);
        });
        clickMenu(QStringLiteral("sztime"));
        DM1->ADOCn1.failStatementsContaining(QString());
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].kind, QStringLiteral("prompt"));
        QCOMPARE(shown->shown[0].caption, QStringLiteral("错误"));
        QCOMPARE(shown->shown[0].text, QStringLiteral("保存设置失败！"));
        QCOMPARE(shown->shown[0].buttonSet, 1);
        QCOMPARE(shown->shown[0].page, 2);
        // Nothing was written, and the timer table keeps its old intervals.
        QCOMPARE(scalar(QStringLiteral("select time from tab_tx1 where A1=61")).toDouble(), 1.0);
        QCOMPARE(scalar(QStringLiteral("select time from tab_tx1 where A1=66")).toDouble(), 2.0);
        QCOMPARE(QuestionTimeTable.Intervals, before.Intervals);
        // The cursor is usable again: the next visit saves.
        whenModal<TFrmConfig>([&](TFrmConfig* w) {
            typeInto(w->TimeBox(2), QStringLiteral("4"));
            closeWindow(w);
        });
        clickMenu(QStringLiteral("sztime"));
        QCOMPARE(scalar(QStringLiteral("select time from tab_tx1 where A1=66")).toDouble(), 4.0);
        QCOMPARE(QuestionTimeTable.IntervalFor(66), 2400);
    }

    void aTuneChosenPlaysAndGoesOnAfterTheWindowCloses() {
        ScopedMessages shown;
        start();
        auto log = m_music->log;
        MusicOn = false;
        whenModal<TFrmConfig>([&](TFrmConfig* w) {
            QCOMPARE(ConfigMode, 0);
            QVERIFY(w->RxSwitch1->isVisible() && w->FlatComboBox1->isVisible());
            QVERIFY(!w->ScrollBox1->isVisible() && !w->Label4->isVisible());
            QVERIFY(w->RxSwitch1->isChecked()); // on when the window opens, whatever MusicOn holds
            QCOMPARE(w->FlatComboBox1->currentIndex(), -1);
            QCOMPARE(w->FlatComboBox1->count(), 6);
            QCOMPARE(w->FlatComboBox1->itemText(0), QStringLiteral("乐曲01"));
            QCOMPARE(w->FlatComboBox1->itemText(5), QStringLiteral("乐曲06"));
            QVERIFY(log->calls.isEmpty()); // nothing plays before a choice

            chooseTune(w, 2);
            QCOMPARE(MusicFile, tunePath(3));
            QCOMPARE(log->calls, QStringList({QStringLiteral("play ") + tunePath(3)}));
            // Off stops, on plays the tune showing again from its start.
            QTest::mouseClick(w->RxSwitch1, Qt::LeftButton);
            QVERIFY(!MusicOn);
            QCOMPARE(log->calls.last(), QStringLiteral("stop"));
            QTest::mouseClick(w->RxSwitch1, Qt::LeftButton);
            QVERIFY(MusicOn);
            QCOMPARE(log->calls.last(), QStringLiteral("play ") + tunePath(3));
            // With the switch off, choosing a tune plays nothing.
            QTest::mouseClick(w->RxSwitch1, Qt::LeftButton);
            log->calls.clear();
            chooseTune(w, 4);
            QCOMPARE(log->calls, QStringList({QStringLiteral("stop")}));
            QTest::mouseClick(w->RxSwitch1, Qt::LeftButton);
            QCOMPARE(log->calls.last(), QStringLiteral("play ") + tunePath(5));
            closeWindow(w);
        });
        clickMenu(QStringLiteral("music"));
        QVERIFY(shown->shown.isEmpty());
        QCOMPARE(log->playing, tunePath(5));
        QCOMPARE(log->calls.last(), QStringLiteral("play ") + tunePath(5));
        // Closing the music window changed nothing in the bank.
        QCOMPARE(scalar(QStringLiteral("select time from tab_tx1 where A1=65")).toDouble(), 1.5);
    }

    void turningTheSwitchOnWithoutATunePlaysTheFirst() {
        ScopedMessages shown;
        start();
        auto log = m_music->log;
        whenModal<TFrmConfig>([&](TFrmConfig* w) {
            QTest::mouseClick(w->RxSwitch1, Qt::LeftButton);
            QTest::keyClick(w->RxSwitch1, Qt::Key_Space); // the keyboard works the switch too
            closeWindow(w);
        });
        clickMenu(QStringLiteral("music"));
        QCOMPARE(log->calls, QStringList({QStringLiteral("stop"), QStringLiteral("play ") + tunePath(1)}));
        QCOMPARE(MusicFile, tunePath(1));
        QVERIFY(MusicOn);
    }

    void noSoundCardAndMissingTunesAreTold() {
        ScopedMessages shown;
        start();
        auto log = m_music->log;
        log->soundCard = false;
        whenModal<TFrmConfig>([&](TFrmConfig* w) {
            chooseTune(w, 0);
            QCOMPARE(shown->shown.size(), 1);
            QCOMPARE(shown->shown[0].caption, QStringLiteral("提示"));
            QCOMPARE(shown->shown[0].text, QStringLiteral("没发现声卡！"));
            QCOMPARE(shown->shown[0].buttonSet, 1);
            QCOMPARE(shown->shown[0].page, 1);
            QVERIFY(log->calls.isEmpty());

            // A sound card, but the tunes are not where they should be.
            log->soundCard = true;
            ProgramFolder = m_dir.path() + u'/';
            shown->clear();
            chooseTune(w, 1);
            QCOMPARE(shown->shown.size(), 1);
            QCOMPARE(shown->shown[0].text, QStringLiteral("无法播放背景音乐！"));
            QCOMPARE(shown->shown[0].page, 1);
            QVERIFY(log->playing.isEmpty());
            closeWindow(w);
        });
        clickMenu(QStringLiteral("music"));
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(FrmStart->isVisible());
    }

    void theWindowFitsBothScreensInBothModes_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<int>("mode");
        for (const char* s : {"800", "1024"})
            for (int mode : {0, 1})
                QTest::addRow("%s mode %d", s, mode) << QString::fromLatin1(s) << mode;
    }
    void theWindowFitsBothScreensInBothModes() {
        QFETCH(QString, screen);
        QFETCH(int, mode);
        ScopedMessages shown;
        start();
        DM1->ADOCn1.execute(
            QStringLiteral("insert into tab_tx1 (A1,B1,time) values "
                           "(62,'案例单选题',1.5),(64,'案例多选题',2),(70,'判断题',0.5),"
                           "(71,'填空题',1),(72,'自我评价题',1),(73,'简答题',3),(74,'论述题',5)"));
        ScreenMode = screen;
        ConfigMode = mode;
        TFrmConfig w(FrmStart);
        testsupport::checkFits(&w, screen);
        QCOMPARE(w.TypeCount(), mode == 1 ? 10 : 0);
        w.reject();
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
