#pragma once

// Whether a window fits the screens it is laid out for: 800x600 and 1024x768, less a taskbar of 40
// pixels and a window frame of about 10 x 36.
#include "ui/Helpers.h"
#include "ui/Theme.h"

#include <QApplication>
#include <QWidget>
#include <QtTest>

namespace testsupport {

inline QSize windowBudget(const QString& screenMode) {
    return screenMode == u"800" ? QSize(800 - 10, 600 - 40 - 36) : QSize(1024 - 10, 768 - 40 - 36);
}

// Shows w and checks that what it takes on screen (at least what its layout needs) fits the budget.
inline void checkFits(QWidget* w, const QString& screenMode) {
    // The program's own look and font: padding and font sizes decide what the layouts need.
    if (qApp->styleSheet().isEmpty()) {
        ApplyChineseFont(*qApp);
        ApplyTheme(*qApp);
        QCoreApplication::processEvents();
    }
    w->show();
    QCoreApplication::processEvents();
    const QSize taken = w->size().expandedTo(w->minimumSizeHint());
    const QSize room = windowBudget(screenMode);
    QVERIFY2(taken.width() <= room.width() && taken.height() <= room.height(),
             qPrintable(QStringLiteral("%1 takes %2x%3 on the %4 screen")
                            .arg(w->objectName())
                            .arg(taken.width())
                            .arg(taken.height())
                            .arg(screenMode)));
}

} // namespace testsupport
