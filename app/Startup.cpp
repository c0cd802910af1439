#include "app/Startup.h"

#include "app/PageViewer.h"
#include "app/Uabout.h"
#include "app/Uconfig.h"
#include "app/start.h"
#include "archive/Ucheck.h"
#include "exam/ExamResume.h"
#include "platform/MenuPlayer.h"
#include "platform/SingleInstance.h"
#include "practice/Ukmmc.h"
#include "records/Uplan.h"
#include "records/Urz.h"
#include "records/uchart.h"
#include "reference/Laws.h"
#include "safety/Usafety.h"
#include "store/LearnerBank.h"
#include "store/dm.h"
#include "ui/Helpers.h"
#include "ui/Services.h"
#include "ui/Theme.h"
#include "ui/Udlg.h"
#include "upgrade/ustxz.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>

QString ProductTitle() {
    return QStringLiteral("信息技术管理师资格考试 习题练习系统");
}

StartOptions StartOptionsFrom(const QStringList& arguments) {
    StartOptions o;
    const qsizetype i = arguments.indexOf(QStringLiteral("--bank"));
    if (i >= 0 && i + 1 < arguments.size())
        o.bankPath = arguments[i + 1];
    else
        o.bankPath = qEnvironmentVariable("VELQUAR_BANK");
    return o;
}

namespace {
// What the menu commands open.
void RegisterWindows(TFrmStart& start) {
    start.SetWindowOpener(QStringLiteral("lx"),
                          [&start] { OpenWindow([&start] { return new TFrmkmmc(&start); }); });
    start.SetWindowOpener(QStringLiteral("ksdg"),
                          [&start] { OpenWindow([&start] { return new TfrmLawsFaGui(&start); }); });
    start.SetWindowOpener(QStringLiteral("rz"),
                          [&start] { OpenWindow([&start] { return new TFrmRz(&start); }); });
    start.SetWindowOpener(QStringLiteral("tj"),
                          [&start] { OpenWindow([&start] { return new Tfrmchart(&start); }); });
    start.SetWindowOpener(QStringLiteral("cj"),
                          [&start] { OpenWindow([&start] { return new TFrmCheck(&start); }); });
    start.SetWindowOpener(QStringLiteral("szjh"),
                          [&start] { OpenWindow([&start] { return new TFrmplan(&start); }); });
    start.SetWindowOpener(QStringLiteral("sj"),
                          [&start] { OpenWindow([&start] { return new Tfrmstxz(&start); }); });
    // Settings, about and the pages: no hourglass for the settings and the about window.
    start.SetWindowOpener(QStringLiteral("music"), [&start] { OpenConfig(&start, 0); });
    start.SetWindowOpener(QStringLiteral("sztime"), [&start] { OpenConfig(&start, 1); });
    start.SetWindowOpener(QStringLiteral("about"),
                          [&start] { OpenWindowNoHourglass([&start] { return new TFrmAbout(&start); }); });
    start.SetWindowOpener(QStringLiteral("fg"),
                          [&start] { OpenPage(&start, QString::fromUtf8(pages::Regulations)); });
    start.SetWindowOpener(QStringLiteral("lxfs"),
                          [&start] { OpenPage(&start, QString::fromUtf8(pages::Contacts)); });
    start.SetWindowOpener(QStringLiteral("help"),
                          [&start] { OpenPage(&start, QString::fromUtf8(pages::Guide)); });
}

// Open, and the engine's quick check finds no damage.
bool BankHealthy(TDM1& dm) {
    if (!dm.DataModuleConnected)
        return false;
    try {
        return dm.ADOCn1.scalar(QStringLiteral("PRAGMA quick_check")).toString() == u"ok";
    } catch (const store::DbError&) {
        return false;
    }
}

// A bank that is missing or damaged, in a folder the program may write to: a read-only bank is not
// damaged, and a copy could not be put in its place anyway.
bool MayOfferRestore(const QString& bankPath) {
    return store::WritableInPlace(bankPath); // also false when no learner's bank could be provided
}

bool SmallFontsActive() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return !screen || FontsFitTheWindows(screen->logicalDotsPerInch());
}
} // namespace

void ApplyDesktopIdentity() {
    const QString id = QStringLiteral("net.velquar.Velquar");
    QGuiApplication::setDesktopFileName(id);
    QIcon own;
    for (const int size : {16, 32, 48, 256})
        own.addFile(QStringLiteral(":/icons/velquar-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(QIcon::fromTheme(id, own));
}

bool FontsFitTheWindows(qreal logicalDpi) {
    return qRound(logicalDpi) <= 96;
}

StartResult StartProgram(const StartOptions& options) {
    // No application display name: the window system would append it to every caption ("提示 — ...").
    if (options.singleInstance && AnotherInstanceRunning())
        return StartResult::AnotherInstance;

    const QString menuFile = options.menuFile.isEmpty()
                                 ? TDM1::ProgramFolderOfExecutable() + QStringLiteral("pic/main.menu")
                                 : options.menuFile;
    if (!MoviePlayerInstalled(menuFile)) {
        messages().box(QStringLiteral("提示"), QStringLiteral("请安装Flash6插件文件！"), MsgIcon::Warning,
                       MsgButtons::Ok);
        return StartResult::NoMenuPlayer;
    }
    DM1 = new TDM1(options.bankPath);
    if (!BankHealthy(*DM1)) {
        // A bank that does not open or fails the quick check: a copy may be put in its place first.
        const QString bankPath = DM1->BankPath();
        delete DM1;
        DM1 = nullptr;
        if (MayOfferRestore(bankPath) && OfferRestoreAtStart(bankPath)) {
            DM1 = new TDM1(options.bankPath);
            if (!BankHealthy(*DM1)) {
                delete DM1;
                DM1 = nullptr;
            }
        }
    }
    if (!DM1) {
        messages().box(QStringLiteral("错误"), QStringLiteral("无法连接数据库！"), MsgIcon::Critical,
                       MsgButtons::Ok);
        return StartResult::NoDatabase;
    }
    if (!SmallFontsActive()) {
        messages().box(QStringLiteral("提示"),
                       QStringLiteral("推荐您在小字体下使用本软件，请在设置后重新运行！"), MsgIcon::Warning,
                       MsgButtons::Ok);
        delete DM1;
        DM1 = nullptr;
        return StartResult::LargeFonts;
    }
    RunDailyBackup();
    FrmStart = new TFrmStart(menuFile);
    RegisterWindows(*FrmStart);
    CreateSharedWindows();
    SetRaiseRequestHandler([] {
        if (FrmStart) {
            FrmStart->showMaximized();
            FrmStart->raise();
            FrmStart->activateWindow();
        }
    });
    FrmStart->showMaximized();
    // An exam cut short by a crash is offered once the menu is on screen.
    QTimer::singleShot(0, FrmStart, [] { OfferUnfinishedExam(FrmStart); });
    return StartResult::Running;
}

void FinishProgram() {
    SetRaiseRequestHandler({});
    delete FrmStart;
    FrmStart = nullptr;
    DestroySharedWindows();
    delete DM1;
    DM1 = nullptr;
}

int RunProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velquar"));
    ApplyDesktopIdentity();
    ApplyChineseFont(app);
    ApplyTheme(app);
    addBeforeExitHook([] {
        if (DM1)
            DM1->CloseConnection();
    });
    const StartResult started = StartProgram(StartOptionsFrom(QApplication::arguments()));
    if (started != StartResult::Running)
        return started == StartResult::AnotherInstance ? 0 : 1;
    const int code = QApplication::exec();
    FinishProgram();
    return code;
}
