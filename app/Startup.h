#pragma once

#include <QString>
#include <QStringList>

// How the program was asked to start.
struct StartOptions {
    QString bankPath; // empty: data/VELQUAR01.mdb in the program folder
    QString menuFile; // empty: pic/main.menu in the program folder
    bool singleInstance = true;
};

enum class StartResult { Running, AnotherInstance, NoMenuPlayer, NoDatabase, LargeFonts };

// Reads --bank <file> from the arguments, or VELQUAR_BANK from the environment.
StartOptions StartOptionsFrom(const QStringList& arguments);

// The windows are laid out for text at 96 logical dpi. A high-dpi desktop scales the windows and the text
// together and keeps 96 (Qt's default), or less when it rounds the scale up (144 dpi at a factor of 2 is
// 72): the text then fits. Only text drawn larger than the layout (a large-fonts setting the scaling
// does not absorb) is refused at the start.
bool FontsFitTheWindows(qreal logicalDpi);

// Ties the windows to the desktop entry (Wayland's app id) and gives them the program's icon: the installed
// theme's, else the bitmaps built into the program (a portable copy, the build folder).
void ApplyDesktopIdentity();

// The product title shown on the task bar.
QString ProductTitle();

// The start sequence up to the main window on screen: single instance, menu player, data module, main
// window, progress window, message dialog. Anything but Running has shown its message and left nothing
// behind.
StartResult StartProgram(const StartOptions& options);

// Closes the main window's resources, the shared windows and the data module.
void FinishProgram();

// The program body: start, run the message loop, finish.
int RunProgram(int argc, char** argv);
