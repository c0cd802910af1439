#include "ui/AppState.h"

#include <cmath>

QString ScreenMode = QStringLiteral("1024");
int PaperKind = 0;
int SubjectNumber = 1;
bool MusicOn = false;
TQuestionTimeTable QuestionTimeTable;

qint32 TQuestionTimeTable::IntervalFor(int typeId) const {
    const qsizetype i = TypeIds.indexOf(typeId);
    return i >= 0 && i < Intervals.size() ? Intervals[i] : 600;
}

qint32 TimerIntervalForMinutes(double minutes) {
    // A small allowance keeps 0.3 minutes at 180 ms although 0.3 * 600 falls just short in binary.
    return qint32(std::trunc(minutes * 600.0 + 1e-7));
}

QString ScreenModeFor(int width, int height) {
    return (width == 800 || height == 600) ? QStringLiteral("800") : QStringLiteral("1024");
}
