#include "ui/Services.h"

#include "ui/Udlg.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

MessageService::~MessageService() = default;
ExitService::~ExitService() = default;

namespace {

struct QueuedPrompt {
    QString caption;
    QString text;
    int buttonSet;
    int page;
    QString style;
};

int g_openMessages = 0;
QList<QueuedPrompt> g_queuedPrompts;

void showNextQueuedSoon();

// Counts a message as open for its lifetime; the last one to close lets the queue go on.
struct OpenMessage {
    OpenMessage() { ++g_openMessages; }
    ~OpenMessage() {
        if (--g_openMessages == 0 && !g_queuedPrompts.isEmpty())
            showNextQueuedSoon();
    }
    OpenMessage(const OpenMessage&) = delete;
    OpenMessage& operator=(const OpenMessage&) = delete;
};

void showNextQueuedSoon() {
    // Not from inside the closing message's call chain: the caller that waited for it goes on first.
    QTimer::singleShot(0, qApp, [] {
        if (g_openMessages == 0 && !g_queuedPrompts.isEmpty()) {
            const QueuedPrompt p = g_queuedPrompts.takeFirst();
            messages().prompt(p.caption, p.text, p.buttonSet, p.page, p.style);
        }
    });
}

// The system message box has the look of the program's own dialog: the same frame, icons and buttons.
int dialogPageFor(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Warning:
        return 1;
    case MsgIcon::Critical:
        return 2;
    case MsgIcon::Information:
    case MsgIcon::Question:
        break;
    }
    return 0;
}

class WindowMessages : public MessageService {
public:
    int prompt(const QString& caption, const QString& text, int buttonSet, int page,
               const QString& style) override {
        OpenMessage open;
        // Before start-up has created the shared dialog (or after it is gone), and for a message raised
        // while the shared one is on screen, a dialog of its own serves.
        std::unique_ptr<TFrmDlg> temporary;
        TFrmDlg* dialog = FrmDlg;
        if (!dialog || dialog->isVisible()) {
            temporary = std::make_unique<TFrmDlg>();
            dialog = temporary.get();
        }
        return dialog->execPrompt(caption, text, buttonSet, page, style);
    }

    MsgAnswer box(const QString& caption, const QString& text, MsgIcon icon, MsgButtons buttons) override {
        // OK and Cancel are the dialog's first two buttons; a lone OK is its right-hand one. Esc presses
        // the last visible button: Cancel, or the lone OK.
        const bool askOk = buttons == MsgButtons::OkCancel;
        const int pressed = prompt(caption, text, askOk ? 0 : 1, dialogPageFor(icon), QStringLiteral("NO"));
        return !askOk || pressed == 1 ? MsgAnswer::Ok : MsgAnswer::Cancel;
    }
};

WindowMessages g_windowMessages;
MessageService* g_messages = &g_windowMessages;

struct ExitHooks {
    std::map<int, std::function<void()>> hooks;
    int next = 1;
};

ExitHooks& exitHooks() {
    static ExitHooks h;
    return h;
}

class ProcessExit : public ExitService {
public:
    void endNow(int code) override {
        // Copy first: a hook may unregister itself (or another) while it runs.
        const auto hooks = exitHooks().hooks;
        for (const auto& [handle, hook] : hooks) {
            try {
                hook();
            } catch (...) {
                // Nothing can be reported any more; the rest still get their turn.
            }
        }
        std::fflush(nullptr);
        std::_Exit(code);
    }
};

ProcessExit g_processExit;
ExitService* g_exit = &g_processExit;

} // namespace

MessageService& messages() {
    return *g_messages;
}

bool MessageOpen() {
    return g_openMessages > 0;
}

void QueuePrompt(const QString& caption, const QString& text, int buttonSet, int page, const QString& style) {
    if (g_openMessages > 0)
        g_queuedPrompts.append({caption, text, buttonSet, page, style});
    else
        messages().prompt(caption, text, buttonSet, page, style);
}

void setMessageService(MessageService* service) {
    g_messages = service ? service : &g_windowMessages;
}

void ScriptedMessages::clear() {
    shown.clear();
    whileOpen = nullptr;
    m_promptAnswers.clear();
    m_boxAnswers.clear();
}

int ScriptedMessages::rightmostResult(int buttonSet, int previous) {
    switch (buttonSet) {
    case 0:
        return 2;
    case 1:
    case 2:
        return 3;
    case 3:
        return 1;
    default:
        return previous;
    }
}

int ScriptedMessages::prompt(const QString& caption, const QString& text, int buttonSet, int page,
                             const QString& style) {
    Shown s;
    s.kind = QStringLiteral("prompt");
    s.caption = caption;
    s.text = text;
    s.buttonSet = buttonSet;
    s.page = page;
    s.style = style;
    shown.append(s);
    OpenMessage open;
    if (whileOpen)
        whileOpen(s);
    m_lastRightmost = rightmostResult(buttonSet, m_lastRightmost);
    return m_promptAnswers.isEmpty() ? m_lastRightmost : m_promptAnswers.takeFirst();
}

MsgAnswer ScriptedMessages::box(const QString& caption, const QString& text, MsgIcon icon,
                                MsgButtons buttons) {
    Shown s;
    s.kind = QStringLiteral("box");
    s.caption = caption;
    s.text = text;
    s.icon = icon;
    s.buttons = buttons;
    shown.append(s);
    OpenMessage open;
    if (whileOpen)
        whileOpen(s);
    return m_boxAnswers.isEmpty() ? MsgAnswer::Ok : m_boxAnswers.takeFirst();
}

ScopedMessages::ScopedMessages() : m_previous(&messages()) {
    setMessageService(&m_script);
}

ScopedMessages::~ScopedMessages() {
    setMessageService(m_previous);
}

ExitService& exitService() {
    return *g_exit;
}

void setExitService(ExitService* service) {
    g_exit = service ? service : &g_processExit;
}

int addBeforeExitHook(std::function<void()> hook) {
    ExitHooks& h = exitHooks();
    const int handle = h.next++;
    h.hooks.emplace(handle, std::move(hook));
    return handle;
}

void removeBeforeExitHook(int handle) {
    exitHooks().hooks.erase(handle);
}

void EndProgramNow(int code) {
    exitService().endNow(code);
    // An exit service must not return; if one does, the promise of [[noreturn]] still holds.
    std::fflush(nullptr);
    std::_Exit(code);
}

void ScriptedExit::endNow(int c) {
    requested = true;
    code = c;
    throw ProgramEnded{c};
}

ScopedExit::ScopedExit() : m_previous(&exitService()) {
    setExitService(&m_script);
}

ScopedExit::~ScopedExit() {
    setExitService(m_previous);
}
