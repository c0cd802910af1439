#pragma once

// "Show the desktop" from the practice and exam windows: the learner wants the program out of the
// way for a moment. Every visible top-level window of the program is minimised; nothing else on the
// desktop is touched, which works the same on every platform and window manager.
void ShowDesktop();
