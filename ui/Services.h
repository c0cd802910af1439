#pragma once

#include <QList>
#include <QString>

#include <functional>

// Every message the program shows and every abrupt end goes through these services, so that a
// test can say beforehand what the learner presses and can see what was shown.

enum class MsgIcon { Information, Question, Warning, Critical };
enum class MsgButtons { Ok, OkCancel };
enum class MsgAnswer { Ok, Cancel };

class MessageService {
public:
    virtual ~MessageService();
    // The program's own message dialog; returns the modal result of the button pressed (1, 2 or 3).
    virtual int prompt(const QString& caption, const QString& text, int buttonSet, int page,
                       const QString& style) = 0;
    // The system message box.
    virtual MsgAnswer box(const QString& caption, const QString& text, MsgIcon icon, MsgButtons buttons) = 0;
};

MessageService& messages();

// True while a message (prompt or box) is on screen.
bool MessageOpen();
// Shows a prompt now, or, when another message is open, as soon as the open ones have closed. For
// messages a timer raises: they must never be dropped or shown recursively on the open dialog.
void QueuePrompt(const QString& caption, const QString& text, int buttonSet, int page, const QString& style);
// Installs service (not owned); nullptr restores the one that shows real windows.
void setMessageService(MessageService* service);

// Answers from a queue and records what was shown. With an empty queue a prompt is answered with
// its rightmost visible button and a box with Ok.
class ScriptedMessages : public MessageService {
public:
    struct Shown {
        QString kind; // "prompt" or "box"
        QString caption;
        QString text;
        int buttonSet = -1;
        int page = -1;
        QString style;
        MsgIcon icon = MsgIcon::Information;
        MsgButtons buttons = MsgButtons::Ok;
    };

    void answerPrompt(int result) { m_promptAnswers.append(result); }
    void answerBox(MsgAnswer answer) { m_boxAnswers.append(answer); }
    void clear();

    // Runs while a message is "open", after it was recorded and before it is answered: a test uses it
    // to let a timer fire under an open message.
    std::function<void(const Shown&)> whileOpen;

    int prompt(const QString& caption, const QString& text, int buttonSet, int page,
               const QString& style) override;
    MsgAnswer box(const QString& caption, const QString& text, MsgIcon icon, MsgButtons buttons) override;

    // The result of the rightmost button that buttonSet leaves visible.
    static int rightmostResult(int buttonSet, int previous);

    QList<Shown> shown;

private:
    QList<int> m_promptAnswers;
    QList<MsgAnswer> m_boxAnswers;
    int m_lastRightmost = 3; // the dialog starts with all three buttons visible
};

// Installs a ScriptedMessages for the lifetime of the guard and puts the previous service back.
class ScopedMessages {
public:
    ScopedMessages();
    ~ScopedMessages();
    ScopedMessages(const ScopedMessages&) = delete;
    ScopedMessages& operator=(const ScopedMessages&) = delete;

    ScriptedMessages& script() { return m_script; }
    ScriptedMessages* operator->() { return &m_script; }
    ScriptedMessages& operator*() { return m_script; }

private:
    ScriptedMessages m_script;
    MessageService* m_previous;
};

// Ending the program at once, without unwinding the windows.
class ExitService {
public:
    virtual ~ExitService();
    virtual void endNow(int code) = 0;
};

ExitService& exitService();
// Installs service (not owned); nullptr restores the one that ends the process.
void setExitService(ExitService* service);

// Runs before the process ends at once (the data module closes its connection here). Returns a
// handle for removeBeforeExitHook, for owners that go away before the program ends.
int addBeforeExitHook(std::function<void()> hook);
void removeBeforeExitHook(int handle);

[[noreturn]] void EndProgramNow(int code = 0);

// Thrown by ScriptedExit so that the code after EndProgramNow does not run in a test.
struct ProgramEnded {
    int code;
};

class ScriptedExit : public ExitService {
public:
    void endNow(int c) override;

    bool requested = false;
    int code = 0;
};

class ScopedExit {
public:
    ScopedExit();
    ~ScopedExit();
    ScopedExit(const ScopedExit&) = delete;
    ScopedExit& operator=(const ScopedExit&) = delete;

    ScriptedExit& script() { return m_script; }
    ScriptedExit* operator->() { return &m_script; }

private:
    ScriptedExit m_script;
    ExitService* m_previous;
};
