#include "app/start.h"

#include "app/Startup.h"
#include "app/Uconfig.h"

#include "exam/MockExam.h"
#include "exam/Ueset.h"
#include "platform/MenuPlayer.h"
#include "platform/MusicPlayer.h"
#include "store/Clock.h"
#include "store/Schema.h"
#include "store/TimeText.h"
#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/Helpers.h"
#include "ui/Services.h"
#include "ui/Udlg.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

TFrmStart* FrmStart = nullptr;

TFrmStart::TFrmStart(const QString& menuFile, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_menu(new MenuPlayer(this)),
      m_music(CreateMusicPlayer()), m_menuFile(menuFile) {
    setObjectName(QStringLiteral("FrmStart"));
    setWindowTitle(ProductTitle());
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->size() : QSize(1024, 768);
    ScreenMode = ScreenModeFor(size.width(), size.height());
    resize(ScreenMode == u"800" ? QSize(800, 600) : QSize(1024, 768));
    m_menu->setObjectName(QStringLiteral("MenuPlayer"));
    connect(m_menu, &MenuPlayer::command, this,
            [this](const QString& command, const QString&) { Dispatch(command); });
    // The mock exam: "mnks".."mnks5" draw a paper of the kind mnks stored; "szks" edits its settings.
    SetWindowOpener(QStringLiteral("mnks"), [this] { RunMockExam(PaperKind, this); });
    SetWindowOpener(QStringLiteral("szks"), [this] { OpenWindow([this] { return new TFrmEset(this); }); });
    SetBackgroundMusicRoutine([this](const QString& file, bool on) { PlayBackgroundMusic(file, on); });
}

TFrmStart::~TFrmStart() {
    SetBackgroundMusicRoutine({});
}

void TFrmStart::PlayBackgroundMusic(const QString& file, bool on) {
    if (!m_music->soundDevicePresent()) {
        ShowPrompt(QStringLiteral("提示"), QStringLiteral("没发现声卡！"), 1, 1, QStringLiteral("NO"));
        return;
    }
    if (!on)
        m_music->stop();
    else if (!m_music->play(file))
        ShowPrompt(QStringLiteral("提示"), QStringLiteral("无法播放背景音乐！"), 1, 1, QStringLiteral("NO"));
}

void TFrmStart::SetWindowOpener(const QString& command, std::function<void()> open) {
    m_openers.insert(command, std::move(open));
}

void TFrmStart::Open(const QString& command) {
    const auto it = m_openers.constFind(command);
    if (it == m_openers.constEnd() || !it.value()) {
        // A menu item whose window is still to come says so instead of doing nothing.
        ShowNotYetAvailable();
        return;
    }
    // A window that fails has already been destroyed and the cursor restored; the learner sees why and
    // the menu goes on running.
    try {
        it.value()();
    } catch (const store::DbError& e) {
        messages().box(QStringLiteral("错误"), e.message(), MsgIcon::Critical, MsgButtons::Ok);
    } catch (const std::exception& e) {
        messages().box(QStringLiteral("错误"), QString::fromLocal8Bit(e.what()), MsgIcon::Critical,
                       MsgButtons::Ok);
    }
}

void TFrmStart::Dispatch(const QString& command) {
    static const QStringList subjects = {QStringLiteral("lx"), QStringLiteral("lx2"), QStringLiteral("lx3"),
                                         QStringLiteral("lx4"), QStringLiteral("lx5")};
    static const QStringList kinds = {QStringLiteral("mnks"), QStringLiteral("mnks2"),
                                      QStringLiteral("mnks3"), QStringLiteral("mnks4"),
                                      QStringLiteral("mnks5")};
    static const QStringList windows = {
        QStringLiteral("szjh"), QStringLiteral("szks"),  QStringLiteral("rz"),     QStringLiteral("tj"),
        QStringLiteral("sj"),   QStringLiteral("music"), QStringLiteral("sztime"), QStringLiteral("fg"),
        QStringLiteral("lxfs"), QStringLiteral("help"),  QStringLiteral("about"),  QStringLiteral("cj")};
    if (const qsizetype s = subjects.indexOf(command); s >= 0) {
        SubjectNumber = int(s) + 1;
        Open(QStringLiteral("lx"));
    } else if (const qsizetype k = kinds.indexOf(command); k >= 0) {
        mnks(int(k) + 1);
        PaperKind = int(k) + 1;
    } else if (command == u"ksdg" || command == u"zsd") {
        Open(QStringLiteral("ksdg"));
    } else if (command == u"quit") {
        Quit();
    } else if (windows.contains(command)) {
        Open(command);
    }
}

void TFrmStart::mnks(int kind) {
    PaperKind = kind;
    Open(QStringLiteral("mnks"));
}

void TFrmStart::LoadQuestionTimeTable(TDM1& dm) {
    store::DataSet& q = dm.Cn1Query1;
    q.close();
    q.setCommandText(QStringLiteral("select * from tab_tx") + QString::number(PaperKind));
    q.open();
    if (q.recordCount() > 0) {
        TQuestionTimeTable table;
        for (q.first(); !q.eof(); q.next()) {
            table.TypeIds.push_back(qint32(q.asInteger(QStringLiteral("A1"))));
            table.Intervals.push_back(TimerIntervalForMinutes(q.asFloat(QStringLiteral("time"))));
        }
        QuestionTimeTable = table;
    }
    q.close();
}

void TFrmStart::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TFrmStart::FormShow() {
    if (const QScreen* screen = this->screen())
        setGeometry(screen->geometry());
    MusicOn = true;
    if (PaperKind == 0)
        PaperKind = 1;
    if (DM1) {
        try {
            LoadQuestionTimeTable(*DM1);
        } catch (const store::DbError&) {
            // A damaged type table leaves every type at one minute per question.
        }
    }
    if (m_menu->load(m_menuFile))
        m_menu->play();
    m_menu->setFocus();
}

void TFrmStart::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_menu->setGeometry(rect());
}

void TFrmStart::Quit() {
    if (!DM1 || StudyPlanReminder(*DM1))
        close();
}

void TFrmStart::closeEvent(QCloseEvent* event) {
    if (DM1) {
        try {
            DM1->CloseConnection();
        } catch (...) {
        }
    }
    event->accept();
}

bool StudyPlanReminder(TDM1& dm) {
    qint64 planMark = 0, planAmount = 0, planTime = 0, answers = 0, minutes = 0;
    try {
        store::DataSet& plan = dm.Cn1Table_plan;
        plan.close();
        plan.open();
        plan.first();
        if (!plan.isEmpty()) {
            planMark = plan.asInteger(QStringLiteral("PlanMark"));
            planAmount = plan.asInteger(QStringLiteral("PlanAmount"));
            planTime = plan.asInteger(QStringLiteral("PlanTime"));
        }
        store::DataSet& rz = dm.Cn1Table_rz;
        rz.close();
        rz.open();
        if (rz.locate(QStringLiteral("A1"), store::clock().today())) {
            answers = rz.asInteger(QStringLiteral("A2"));
            minutes = store::TimeTextToSeconds(rz.asString(QStringLiteral("D1"))) / 60;
        }
    } catch (const store::DbError&) {
        // Without a readable plan or log there is nothing to remind of; the learner still leaves.
        return true;
    }
    const qint64 done = planMark == 1 ? minutes : answers;
    const qint64 target = planMark == 1 ? planTime : planAmount;
    const QString caption = QStringLiteral("提示");
    if (done < target)
        return messages().box(caption, QStringLiteral("还未完成今日学习计划，要退出吗？"), MsgIcon::Question,
                              MsgButtons::OkCancel) == MsgAnswer::Ok;
    if (done == target)
        messages().box(caption, QStringLiteral("恭喜完成今日学习计划！"), MsgIcon::Information,
                       MsgButtons::Ok);
    else
        messages().box(caption, QStringLiteral("超额完成学习计划，要注意休息呦！"), MsgIcon::Information,
                       MsgButtons::Ok);
    return true;
}
