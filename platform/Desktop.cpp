#include "platform/Desktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QWidget>

void ShowDesktop() {
    // A copy first: minimising may change the list of top-level widgets while we walk it.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        const Qt::WindowType type = w->windowType();
        // Menus, tool tips and splash screens vanish on their own; only real windows are minimised.
        if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen || type == Qt::Desktop)
            continue;
        if (w->isVisible() && !w->isMinimized())
            w->showMinimized();
    }
}

DocumentOpener::~DocumentOpener() = default;

namespace {

class DesktopDocumentOpener : public DocumentOpener {
public:
    bool openDocument(const QString& path) override {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
};

DesktopDocumentOpener g_desktopOpener;
DocumentOpener* g_opener = &g_desktopOpener;

} // namespace

DocumentOpener& documentOpener() {
    return *g_opener;
}

void setDocumentOpener(DocumentOpener* opener) {
    g_opener = opener ? opener : &g_desktopOpener;
}
