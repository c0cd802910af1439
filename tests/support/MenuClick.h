#pragma once

// Chooses a tile of the main menu with the mouse, as the learner does.
#include "app/start.h"
#include "platform/MenuPlayer.h"

#include <QtTest>

namespace testsupport {

inline void clickMenu(const QString& command) {
    MenuPlayer* menu = FrmStart->Menu();
    const int index = menu->indexOfCommand(command);
    QVERIFY2(index >= 0, qPrintable(command));
    menu->stop(); // the tiles rest where itemRect says
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->itemRect(index).center());
}

} // namespace testsupport
