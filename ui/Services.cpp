#include "ui/Services.h"

#include "ui/Udlg.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

MessageService::~MessageService() = default;
ExitService::~ExitService() = default;

namespace {

QMessageBox::Icon boxIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

class WindowMessages : public MessageService {
public:
    int prompt(const QString& caption, const QString& text, int buttonSet, int page,
               const QString& style) override {
        // Before start-up has created the shared dialog (or after it is gone) a temporary one serves.
        std::unique_ptr<TFrmDlg> temporary;
        TFrmDlg* dialog = FrmDlg;
        if (!dialog) {
            temporary = std::make_unique<TFrmDlg>();
            dialog = temporary.get();
        }
        return dialog->execPrompt(caption, text, buttonSet, page, style);
    }

    MsgAnswer box(const QString& caption, const QString& text, MsgIcon icon, MsgButtons buttons) override {
        QMessageBox box(boxIcon(icon), caption, text, QMessageBox::NoButton, QApplication::activeWindow());
        // Our own captions: the standard ones would follow the system language, not the program's.
        QPushButton* ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        QPushButton* cancel = nullptr;
        if (buttons == MsgButtons::OkCancel)
            cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(cancel ? cancel : ok);
        box.exec();
        return box.clickedButton() == ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
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

void setMessageService(MessageService* service) {
    g_messages = service ? service : &g_windowMessages;
}

void ScriptedMessages::clear() {
    shown.clear();
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
