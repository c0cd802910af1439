#pragma once

#include <QString>
#include <QVector>

// Process-wide values that carry context between windows.

// "800" for a screen 800 pixels wide or 600 high, otherwise "1024"; windows with two layouts choose by it.
extern QString ScreenMode;
// Kind of the mock paper last generated (1..5); 0 reads as 1.
extern int PaperKind;
// Subject chosen in the menu just before the chapter navigator opens (1..5).
extern int SubjectNumber;
// True once the main window has shown; switched by the settings window.
extern bool MusicOn;

// Per question type of the current paper kind: the practice timer interval in milliseconds, a hundredth
// of the minutes a question may take.
struct TQuestionTimeTable {
    QVector<qint32> TypeIds;
    QVector<qint32> Intervals;
    // The interval for a type; 600 ms (one minute per question) for a type not in the table.
    qint32 IntervalFor(int typeId) const;
};
extern TQuestionTimeTable QuestionTimeTable;

// Trunc(minutes * 600): 1.5 minutes -> 900 ms, 0.1 -> 60 ms.
qint32 TimerIntervalForMinutes(double minutes);

// ScreenMode for a screen size.
QString ScreenModeFor(int width, int height);
