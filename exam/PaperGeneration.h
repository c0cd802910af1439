#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

class TDM1;
class RandomSource;

// The fixed title of a paper series (kinds outside 1..5 read as 1).
QString PaperKindTitle(int kind);
// "2008年03月05日" + the series title + "[number]", without blanks.
QString PaperTitle(const QDate& day, int kind, int number);

// Number and table name of the next paper.
struct PaperSlot {
    QString name;
    int number = 1;
};
// Follows the newest archive row (highest number): its number + 1, and the number in its table name + 1;
// "tab_exam1" and 1 for an empty archive. A name that another archive row still holds is never reused.
PaperSlot NextPaperSlot(TDM1& dm);

// Draws count of the candidates without repeating one, in time bounded by their number; every candidate
// when there are no more than count.
QStringList DrawFromCandidates(QStringList candidates, int count, RandomSource& random);

// Why a paper could not be made: the learner's message for each step.
struct PaperFailure {
    QString message;
};
inline const char* const TableFailureText = "建立数据表时发生错误！";
inline const char* const NoQuestionsText = "没有发现题目！";
inline const char* const DrawFailureText = "提取数据时发生错误！";
inline const char* const OpenFailureText = "无法打开试卷！";

// Drops a leftover table of that name (one without an archive row), creates the paper table and lets
// its text columns take empty texts. Throws PaperFailure.
void CreatePaperTable(TDM1& dm, const QString& name);

// One share of the plan as it was drawn.
struct ShareResult {
    int type = 0;
    QString prefix;
    int planned = 0;
    int candidates = 0;
    int drawn = 0;
};

struct PaperComposition {
    QList<ShareResult> shares;
    int rows = 0; // questions in the paper table (a question without content is not copied)
    int planned() const;
    int drawn() const;
    // Shares that found fewer candidates than they ask for, and so took every one.
    QList<ShareResult> shortShares() const;
};

// Draws every share of the kind's plan whose type the kind's composition table lists with a count above
// 0, and copies the drawn questions with their explanations into the paper table. Throws PaperFailure:
// no candidate at all for the kind, or an engine error while drawing and copying.
PaperComposition ComposePaper(TDM1& dm, int kind, const QString& table, RandomSource& random);

// True for the names paper tables are given: "tab_exam" and a number.
bool IsPaperTableName(const QString& name);

// Appends the paper's archive row: name, title, number, today's date.
void WriteArchiveRow(TDM1& dm, const PaperSlot& slot, const QString& title);

// The notice shown when a paper holds fewer questions than its plan, empty when it holds them all.
QString ShortPaperNotice(const PaperComposition& paper);
