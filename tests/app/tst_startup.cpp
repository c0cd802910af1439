// Start-up, menu dispatch and the study-plan reminder of the main window.
#include "app/Startup.h"
#include "app/start.h"
#include "platform/MenuPlayer.h"
#include "store/BankKey.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/support/TestSupport.h"
#include "ui/AppState.h"
#include "ui/Services.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestStartup : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_bank;
    QString m_menu;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(20, 0))};

    StartOptions options(const QString& bank) {
        StartOptions o;
        o.bankPath = bank;
        o.menuFile = m_menu;
        o.singleInstance = false;
        return o;
    }

    // A fresh bank with the given plan and, when d1 is not empty, a log row for today.
    void prepareBank(int planMark, int amount, int minutes, int answersToday, const QString& d1) {
        FinishProgram();
        QFile::remove(m_bank);
        m_bank = testsupport::buildBank(m_dir.path(), testsupport::baseContent());
        store::Database db;
        db.open(m_bank, store::BankKey());
        db.execute(QStringLiteral("update tab_plan set PlanMark=:a, PlanAmount=:b, PlanTime=:c"),
                   {planMark, amount, minutes});
        if (!d1.isEmpty())
            db.execute(QStringLiteral("insert into tab_rz (A1,A2,B1,D1) values ('2026-12-09',:a,:a,:d)"),
                       {answersToday, d1});
    }

private slots:
    void initTestCase() {
        store::setClock(&m_clock);
        m_menu = QFINDTESTDATA("../../pic/main.menu");
        QVERIFY(!m_menu.isEmpty());
        m_bank = testsupport::buildBank(m_dir.path(), testsupport::baseContent());
    }
    void cleanupTestCase() {
        FinishProgram();
        store::setClock(nullptr);
    }
    void cleanup() { FinishProgram(); }

    // What the screen reports on the desktops the program meets: plain, scaled by Qt (QT_SCALE_FACTOR,
    // Xft.dpi 144 or 192 with Qt's default rounding), scaled with the factor rounded up, and large fonts the
    // scaling leaves alone (a rounded-down factor, QT_FONT_DPI).
    void onlyFontsLargerThanTheLayoutAreRefused() {
        QVERIFY(FontsFitTheWindows(96));
        QVERIFY(FontsFitTheWindows(96.4));
        QVERIFY(FontsFitTheWindows(72)); // Xft.dpi 144, factor rounded up to 2
        QVERIFY(FontsFitTheWindows(64)); // Xft.dpi 192, factor 3
        QVERIFY(!FontsFitTheWindows(96.6));
        QVERIFY(!FontsFitTheWindows(120));
        QVERIFY(!FontsFitTheWindows(144)); // Xft.dpi 144, factor rounded down to 1
    }

    // Not installed (no theme icon here), the windows still carry the program's own icon.
    void theWindowsCarryTheProgramsIcon() {
        ApplyDesktopIdentity();
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("net.velquar.Velquar"));
        const QIcon icon = QApplication::windowIcon();
        QVERIFY(!icon.isNull());
        QVERIFY(icon.availableSizes().contains(QSize(48, 48)));
        QVERIFY(!icon.pixmap(32, 32).isNull());
    }

    void screenModes() {
        QCOMPARE(ScreenModeFor(800, 600), QStringLiteral("800"));
        QCOMPARE(ScreenModeFor(800, 768), QStringLiteral("800"));
        QCOMPARE(ScreenModeFor(1024, 600), QStringLiteral("800"));
        QCOMPARE(ScreenModeFor(1024, 768), QStringLiteral("1024"));
        QCOMPARE(ScreenModeFor(1280, 1024), QStringLiteral("1024"));
    }

    void startsWithTheMenuAndTheTimeTable() {
        ScopedMessages shown;
        PaperKind = 0;
        QCOMPARE(StartProgram(options(m_bank)), StartResult::Running);
        QVERIFY(shown->shown.isEmpty());
        QVERIFY(FrmStart && DM1 && DM1->DataModuleConnected);
        QVERIFY(QTest::qWaitForWindowExposed(FrmStart));
        QCOMPARE(PaperKind, 1);
        QVERIFY(MusicOn);
        QCOMPARE(ScreenMode, QStringLiteral("800")); // the offscreen screen is 800 x 800
        QVERIFY(FrmStart->Menu()->isPlaying());
        QCOMPARE(FrmStart->Menu()->geometry(), FrmStart->rect());
        // tab_tx1 of the test bank: 61 one minute, 65 one and a half, 66 two.
        QCOMPARE(QuestionTimeTable.TypeIds, QVector<qint32>({61, 65, 66}));
        QCOMPARE(QuestionTimeTable.Intervals, QVector<qint32>({600, 900, 1200}));
        QCOMPARE(QuestionTimeTable.IntervalFor(70), 600);
        QCOMPARE(TimerIntervalForMinutes(0.1), 60);
        QCOMPARE(TimerIntervalForMinutes(0.3), 180);
    }

    void databaseFailuresEndBeforeAnyWindow_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("wrong key") << "wrong key";
        QTest::newRow("not a bank") << "garbage";
    }
    void databaseFailuresEndBeforeAnyWindow() {
        QFETCH(QString, kind);
        QString path = m_dir.filePath(QStringLiteral("other.mdb"));
        QFile::remove(path);
        if (kind == u"wrong key") {
            store::Database db;
            db.open(path, QByteArray(32, 'k'), store::Database::OpenMode::Create);
            db.execute(QStringLiteral("create table t (a TEXT(5))"));
        } else if (kind == u"garbage") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, '\x5a'));
        }
        const QByteArray before = fileBytes(path);
        ScopedMessages shown;
        QCOMPARE(StartProgram(options(path)), StartResult::NoDatabase);
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].kind, QStringLiteral("box"));
        QCOMPARE(shown->shown[0].caption, QStringLiteral("错误"));
        QCOMPARE(shown->shown[0].text, QStringLiteral("无法连接数据库！"));
        QCOMPARE(shown->shown[0].icon, MsgIcon::Critical);
        QVERIFY(!DM1 && !FrmStart);
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(QFile::exists(path), kind != u"missing");
    }

    void missingMenuEndsTheProgram() {
        ScopedMessages shown;
        StartOptions o = options(m_bank);
        o.menuFile = m_dir.filePath(QStringLiteral("no.menu"));
        QCOMPARE(StartProgram(o), StartResult::NoMenuPlayer);
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("请安装Flash6插件文件！"));
        QCOMPARE(shown->shown[0].icon, MsgIcon::Warning);
        QVERIFY(!DM1 && !FrmStart);
    }

    void commandsMatchExactly() {
        ScopedMessages shown;
        QCOMPARE(StartProgram(options(m_bank)), StartResult::Running);
        QStringList opened;
        int kindWhenDrawn = 0;
        for (const char* c : {"lx", "ksdg", "szjh", "szks", "rz", "tj", "sj", "music", "sztime", "fg", "lxfs",
                              "help", "about", "cj"})
            FrmStart->SetWindowOpener(QLatin1String(c), [&opened, c] { opened << QLatin1String(c); });
        FrmStart->SetWindowOpener(QStringLiteral("mnks"), [&] { kindWhenDrawn = PaperKind; });

        SubjectNumber = 1;
        FrmStart->Dispatch(QStringLiteral("lx3"));
        QCOMPARE(SubjectNumber, 3);
        FrmStart->Dispatch(QStringLiteral("LX"));
        FrmStart->Dispatch(QStringLiteral("Lx2"));
        FrmStart->Dispatch(QStringLiteral("lx6"));
        QCOMPARE(SubjectNumber, 3);
        FrmStart->Dispatch(QStringLiteral("zsd"));
        FrmStart->Dispatch(QStringLiteral("Help"));
        FrmStart->Dispatch(QStringLiteral("help"));
        FrmStart->Dispatch(QStringLiteral(" rz"));
        FrmStart->Dispatch(QStringLiteral("Quit"));
        QCOMPARE(opened, QStringList({"lx", "ksdg", "help"}));
        QVERIFY(FrmStart->isVisible());
        QVERIFY(shown->shown.isEmpty());

        FrmStart->Dispatch(QStringLiteral("mnks3"));
        QCOMPARE(kindWhenDrawn, 3);
        QCOMPARE(PaperKind, 3);
        FrmStart->Dispatch(QStringLiteral("MNKS2"));
        QCOMPARE(PaperKind, 3);

        // A window that fails to open is reported and the menu keeps running.
        FrmStart->SetWindowOpener(QStringLiteral("cj"),
                                  [] { throw store::DbError(QStringLiteral("disk full")); });
        FrmStart->Dispatch(QStringLiteral("cj"));
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("disk full"));
        QVERIFY(FrmStart->isVisible());

        // Choosing a tile of the menu arrives as its command.
        opened.clear();
        MenuPlayer* menu = FrmStart->Menu();
        menu->choose(menu->indexOfCommand(QStringLiteral("tj")));
        QCOMPARE(opened, QStringList({"tj"}));

        // A command whose window is not there yet says so instead of doing nothing.
        FrmStart->SetWindowOpener(QStringLiteral("rz"), nullptr);
        shown->clear();
        FrmStart->Dispatch(QStringLiteral("rz"));
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].caption, QStringLiteral("提示"));
        QVERIFY(shown->shown[0].text.startsWith(QStringLiteral("该功能尚未开放")));
    }

    void quitReminder_data() {
        QTest::addColumn<int>("planMark");
        QTest::addColumn<int>("amount");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("answersToday");
        QTest::addColumn<QString>("d1");
        QTest::addColumn<QString>("expected");
        const QString below = QStringLiteral("还未完成今日学习计划，要退出吗？");
        const QString equal = QStringLiteral("恭喜完成今日学习计划！");
        const QString above = QStringLiteral("超额完成学习计划，要注意休息呦！");
        QTest::newRow("answers below") << 0 << 10 << 0 << 9 << "00:30:00" << below;
        QTest::newRow("answers at") << 0 << 10 << 0 << 10 << "00:00:10" << equal;
        QTest::newRow("answers above") << 0 << 10 << 0 << 11 << "00:00:10" << above;
        QTest::newRow("no log row, no target") << 0 << 0 << 30 << 0 << "" << equal;
        QTest::newRow("no log row, a target") << 0 << 5 << 0 << 0 << "" << below;
        QTest::newRow("59 seconds are 0 minutes") << 1 << 0 << 1 << 50 << "0:00:59" << below;
        QTest::newRow("59 seconds meet no target") << 1 << 0 << 0 << 50 << "0:00:59" << equal;
        QTest::newRow("minutes above") << 1 << 0 << 30 << 1 << "00:31:00" << above;
    }
    void quitReminder() {
        QFETCH(int, planMark);
        QFETCH(int, amount);
        QFETCH(int, minutes);
        QFETCH(int, answersToday);
        QFETCH(QString, d1);
        QFETCH(QString, expected);
        prepareBank(planMark, amount, minutes, answersToday, d1);
        ScopedMessages shown;
        QCOMPARE(StartProgram(options(m_bank)), StartResult::Running);
        FrmStart->Dispatch(QStringLiteral("quit"));
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].caption, QStringLiteral("提示"));
        QCOMPARE(shown->shown[0].text, expected);
        const bool asks = expected.endsWith(QStringLiteral("要退出吗？"));
        QCOMPARE(shown->shown[0].buttons, asks ? MsgButtons::OkCancel : MsgButtons::Ok);
        QCOMPARE(shown->shown[0].icon, asks ? MsgIcon::Question : MsgIcon::Information);
        QVERIFY(!FrmStart->isVisible()); // OK, the default answer, closes
        QVERIFY(!DM1->ADOCn1.isOpen());  // and the connection closes with the window
    }

    void cancellingTheReminderKeepsTheMenu() {
        prepareBank(0, 10, 0, 3, QStringLiteral("00:10:00"));
        ScopedMessages shown;
        QCOMPARE(StartProgram(options(m_bank)), StartResult::Running);
        shown->answerBox(MsgAnswer::Cancel);
        FrmStart->Dispatch(QStringLiteral("quit"));
        QVERIFY(FrmStart->isVisible());
        QVERIFY(DM1->ADOCn1.isOpen());
        shown->answerBox(MsgAnswer::Ok);
        FrmStart->Dispatch(QStringLiteral("quit"));
        QVERIFY(!FrmStart->isVisible());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
