#pragma once

#include <QColor>
#include <QDate>
#include <QList>
#include <QString>

class TDM1;

// What the study-record windows show, read from the bank without any window.
namespace records {

// The totals under the study log: answers marked, wrong answers, and the score over all days.
struct LogTotals {
    qint64 answers = 0;
    qint64 wrong = 0;
    QString score = QStringLiteral("0");
};
LogTotals ReadLogTotals(TDM1& dm);
// "%2.2f" of the share right, "0" before the first answer.
QString ScoreText(qint64 answers, qint64 wrong);

// The countdown to the exam date.
struct Countdown {
    enum class Colour { None, Green, Red };
    QString heading;
    bool showsDays = false;
    QString days;
    Colour colour = Colour::None;
};
// An invalid date (no exam date set) asks for one instead of counting.
Countdown CountdownFor(const QDate& today, const QDate& examDate);
QColor CountdownColour(Countdown::Colour colour);

// One chapter drawn in the score charts.
struct ChartRow {
    QString name;
    qint64 questions = 0;         // C3
    qint64 answeredQuestions = 0; // C4
    qint64 answers = 0;           // D1
    qint64 wrong = 0;             // D2
};
QList<ChartRow> ReadChartRows(TDM1& dm);
qint64 ReadChartQuestionTotal(TDM1& dm);
// Questions answered at least once as a whole percentage, the fraction dropped; -1 for a chapter without
// questions, which gets no progress bar.
int ProgressPercent(const ChartRow& row);
// The colour of the i-th chart row: red first, then a step of 80000 in the bank's colour value (red in
// the low byte), kept inside the 24-bit range so that long chapter lists still get valid colours.
QColor RowColour(int i);

} // namespace records
