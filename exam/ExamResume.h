#pragma once

#include <QString>

#include <optional>

class TDM1;
class QWidget;

// The clock of a paper being taken, stored every few seconds in a table of its own (tab_ksjs, a row per
// open paper), so that an exam cut short by a crash or a power cut can be taken up again where it was.
namespace examresume {

// Stores the seconds used on the paper (kind: the paper kind it was drawn for). Never inside another
// write: the caller skips the tick then. Throws store::DbError.
void StoreClock(TDM1& dm, const QString& table, int kind, qint64 seconds);
// Forgets the paper's clock (marked, thrown away or closed). Never throws.
void ClearClock(TDM1& dm, const QString& table);

struct UnfinishedExam {
    QString table;
    QString title;
    int kind = 1;
    qint64 seconds = 0; // used when the clock was last stored
    qint64 limit = 0;   // the time allowed, 0 when there is none
};

// The newest paper whose clock is still stored, whose table is there and whose archive row holds no mark
// yet. Rows of papers that were marked or whose table is gone are forgotten on the way.
std::optional<UnfinishedExam> FindUnfinishedExam(TDM1& dm);

// "剩余时间 0:41:05", or "不限时".
QString RemainingText(const UnfinishedExam& exam);

} // namespace examresume

// At start-up: when an exam was cut short, offers "继续上次未完成的考试" with the time left. Taking it up
// reopens the paper with every answer given so far and its clock; declining leaves the paper as ending it
// would have (unmarked in the archive, or thrown away when nothing on a large paper was answered).
void OfferUnfinishedExam(QWidget* owner);
