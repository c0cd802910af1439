#include "ui/Helpers.h"

#include "ui/Services.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QScreen>
#include <QTextDocument>
#include <QWindow>

int AnswerPageForType(int typeId) {
    switch (typeId) {
    case 61:
        return 0;
    case 65:
        return 1;
    case 66:
        return 5;
    default:
        return 99;
    }
}

void CentreOnDesktop(QWidget* w) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!w || !screen)
        return;
    const QRect area = screen->availableGeometry();
    QRect frame = w->frameGeometry();
    frame.moveCenter(area.center());
    w->move(frame.topLeft());
}

void KeepAboveActiveWindow(QWidget* w) {
    if (!w || w->parentWidget())
        return;
    QWidget* active = QApplication::activeWindow();
    if (!active || active == w)
        return;
    w->winId(); // the native window must exist to take a transient parent
    if (QWindow* handle = w->windowHandle())
        handle->setTransientParent(active->window()->windowHandle());
}

void SetScreenCursor(Qt::CursorShape shape) {
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    if (shape != Qt::ArrowCursor)
        QGuiApplication::setOverrideCursor(QCursor(shape));
}

Qt::CursorShape ScreenCursor() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c ? c->shape() : Qt::ArrowCursor;
}

BusyCursor::BusyCursor() : m_previous(ScreenCursor()) {
    SetScreenCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
    release();
}

void BusyCursor::release() {
    if (!m_active)
        return;
    m_active = false;
    SetScreenCursor(m_previous);
}

namespace detail {

namespace {

// Ends a local event loop when the watched window hides or closes.
class HideWatcher : public QObject {
public:
    HideWatcher(QWidget* w, QEventLoop* loop) : m_loop(loop) { w->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Hide || e->type() == QEvent::Close)
            m_loop->quit();
        return false;
    }

private:
    QEventLoop* m_loop;
};

} // namespace

int ExecModal(QWidget* w) {
    if (auto* dialog = qobject_cast<QDialog*>(w))
        return dialog->exec();

    // A plain widget: modal for the whole program until it hides, closes or is destroyed.
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    w->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    HideWatcher watcher(w, &loop);
    QObject::connect(w, &QObject::destroyed, &loop, &QEventLoop::quit);
    w->show();
    if (w->isVisible())
        loop.exec(QEventLoop::DialogExec);
    return 0;
}

} // namespace detail

QStringList ChineseFontFamilies() {
    return {QStringLiteral("Noto Sans CJK SC"),
            QStringLiteral("Source Han Sans SC"),
            QStringLiteral("WenQuanYi Micro Hei"),
            QStringLiteral("WenQuanYi Zen Hei"),
            QStringLiteral("Microsoft YaHei"),
            QStringLiteral("PingFang SC"),
            QStringLiteral("Hiragino Sans GB"),
            QStringLiteral("SimHei"),
            QStringLiteral("SimSun"),
            QStringLiteral("AR PL UMing CN")};
}

QString ChineseFontFamily() {
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : ChineseFontFamilies()) {
        if (installed.contains(family, Qt::CaseInsensitive))
            return family;
    }
    return {};
}

void UseChineseDocumentFont(QTextDocument* doc) {
    QFont font = doc->defaultFont();
    if (const QString family = ChineseFontFamily(); !family.isEmpty())
        font.setFamilies({family});
    font.setPointSizeF(10.5);
    doc->setDefaultFont(font);
}

void ApplyChineseFont(QApplication& app) {
    QFont font = app.font();
    QStringList families;
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : ChineseFontFamilies()) {
        if (installed.contains(family, Qt::CaseInsensitive))
            families << family;
    }
    if (families.isEmpty())
        return; // leave the platform's choice alone rather than name faces that are not there
    font.setFamilies(families);
    app.setFont(font);
}

void ReportHandlerError(const QString& message) {
    messages().prompt(QStringLiteral("错误"), message, 1, 2, QStringLiteral("NO"));
}

void ShowNotYetAvailable() {
    messages().prompt(QStringLiteral("提示"), QStringLiteral("该功能尚未开放，敬请期待。"), 1, 0,
                      QStringLiteral("NO"));
}
