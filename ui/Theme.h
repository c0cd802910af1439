#pragma once

class QApplication;

// The look shared by every window: colours, buttons, grids, the question view and its answer pages.
void ApplyTheme(QApplication& app);
