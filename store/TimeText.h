#pragma once

#include <QString>

namespace store {

// Seconds of a duration text such as "1:05:30" as the clocks and the daily log write it. With one ":"
// the first part counts as hours and the rest is ignored; with three or more only hours and minutes
// count; a text without ":" is 0. A part that is not a whole number throws DbError.
qint64 TimeTextToSeconds(const QString& text);

// "hh:mm:ss" with at least two digits each: 3930 -> "01:05:30", 360000 -> "100:00:00".
QString SecondsToTimeText(qint64 seconds);

// "%2.2f" of value, or "0" when base is 0 or less: the percentage texts of the log and chapter rows.
QString PercentText(double value, double base);

} // namespace store
