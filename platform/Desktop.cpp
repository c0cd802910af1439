#include "platform/Desktop.h"

#include <QApplication>
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
