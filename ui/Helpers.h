#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <exception>
#include <type_traits>
#include <utility>

class QApplication;
class QTextDocument;

// Answer page of the practice and exam windows for a question type: 61 single choice (page 0),
// 65 multiple choice (page 1), 66 choice of several options (page 5); 99 for every other type.
int AnswerPageForType(int typeId);

// Puts w in the middle of the available area of the primary screen.
void CentreOnDesktop(QWidget* w);

// The shared windows have no owner; this keeps an ownerless w above the window the learner is
// working in, so that the window manager does not put it behind a modal window.
void KeepAboveActiveWindow(QWidget* w);

// The one cursor shape shown over the whole program. Qt::ArrowCursor means no override at all,
// so that each widget's own cursor shows again.
void SetScreenCursor(Qt::CursorShape shape);
Qt::CursorShape ScreenCursor();

// Shows the hourglass for a scope and puts back the cursor that was there before.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    // Puts the previous cursor back now instead of at the end of the scope.
    void release();

private:
    Qt::CursorShape m_previous;
    bool m_active = true;
};

enum class OpenCursor {
    Hourglass,        // hourglass from before creation until the window has closed
    ArrowAfterCreate, // hourglass while the window is created; arrow before it shows
    NoHourglass,      // the cursor is left alone
};

namespace detail {
// Shows w modally and returns its result (0 for a window that is not a dialog).
int ExecModal(QWidget* w);
} // namespace detail

// Opens a window the way every command does: hourglass, create (the factory gives the window its
// owner), show modally, then - also when creating or showing throws - the arrow cursor back, the
// window destroyed and *reference cleared. Exceptions travel on to the caller. Returns the modal
// result.
template <class Factory, class W = std::remove_pointer_t<std::invoke_result_t<Factory&>>>
int OpenWindow(Factory&& create, std::type_identity_t<W>** reference = nullptr,
               OpenCursor cursor = OpenCursor::Hourglass) {
    static_assert(std::is_base_of_v<QWidget, W>, "the factory must return a new window");
    const bool hourglass = cursor != OpenCursor::NoHourglass;
    QPointer<W> window;

    struct Cleanup {
        bool hourglass;
        QPointer<W>& window;
        W** reference;
        ~Cleanup() {
            if (hourglass)
                SetScreenCursor(Qt::ArrowCursor);
            delete window.data();
            if (reference)
                *reference = nullptr;
        }
    } cleanup{hourglass, window, reference};

    if (hourglass)
        SetScreenCursor(Qt::WaitCursor);
    window = create();
    if (reference)
        *reference = window.data();
    if (cursor == OpenCursor::ArrowAfterCreate)
        SetScreenCursor(Qt::ArrowCursor);
    return window ? detail::ExecModal(window.data()) : 0;
}

template <class Factory, class W = std::remove_pointer_t<std::invoke_result_t<Factory&>>>
int OpenWindowNoHourglass(Factory&& create, std::type_identity_t<W>** reference = nullptr) {
    return OpenWindow(std::forward<Factory>(create), reference, OpenCursor::NoHourglass);
}

// Shows message as an error prompt (caption "错误"). Used by Guarded.
void ReportHandlerError(const QString& message);

// Runs the work of an event handler. Qt cannot carry an exception through its event loop (it ends the
// program or unwinds a modal loop half-way), so an engine or other error is reported here with the
// window's own message and goes no further. Returns false when the work failed.
template <class Work> bool Guarded(const QString& message, Work&& work) {
    try {
        std::forward<Work>(work)();
        return true;
    } catch (const std::exception&) {
        ReportHandlerError(message);
        return false;
    }
}

// The notice for a button or menu command whose window is still to come.
void ShowNotYetAvailable();

// Simplified Chinese faces in order of preference; the first installed one wins.
QStringList ChineseFontFamilies();
// The installed face ApplyChineseFont chooses, empty when none of them is installed.
QString ChineseFontFamily();
// A document written for a word processor or a PDF: its text in that face at 10.5 points (五号).
void UseChineseDocumentFont(QTextDocument* doc);
// Without this, Chinese text falls back to a Japanese face under a C or English locale.
void ApplyChineseFont(QApplication& app);
