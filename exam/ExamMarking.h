#pragma once

#include "practice/Marking.h"

#include <QString>

class TDM1;
namespace store {
class DataSet;
}

// Stores the answer given to the current row of an open paper. An empty answer only clears the row's
// answer. A changed answer is marked: the paper row, the question's row in the bank and the daily,
// chapter and exam-point counters change together in one transaction, or nothing changes at all.
SaveOutcome SaveExamAnswer(TDM1& dm, store::DataSet& paper, const QString& answer);

// Mirrors one marked answer into the question's row of the bank (mastery score, answer count, answers,
// date). A question no longer in the bank is left alone. The first answer ever is the one given while
// the bank's count of marked answers (E3) is 0 or empty.
void RecordAnswerInBank(TDM1& dm, const QString& id, const QString& answer);

// Questions of a paper without an answer.
int CountUnanswered(TDM1& dm, const QString& table);

// The score of a paper: the score of its type for every question answered right.
double PaperScore(TDM1& dm, const QString& table, int kind);

struct MarkResult {
    double score = 0;
    bool belowLeastMark = false;
};
// Marks a paper: the score and the time used go into its archive row and the time into today's study
// log, together or not at all.
MarkResult MarkPaperData(TDM1& dm, const QString& table, int kind, const QString& elapsed);

// What ending an exam does with a paper of total questions of which unanswered are still open.
// A paper nobody answered anything on is thrown away when it is large (90 questions or more left open);
// a paper with at least one answer is never thrown away without asking.
bool DeletesWithoutAsking(int unanswered, int total);
// When time runs out: marked, unless it would be thrown away without asking.
bool TimeUpMarks(int unanswered, int total);
// "作废" still adds the time to the study log when fewer than 50 questions were left open.
bool DiscardCountsStudyTime(int unanswered);
// The submit question.
QString SubmitQuestionText(int unanswered);

// Voids a question of a paper (in the paper and in the bank) or takes the void back.
void SetQuestionVoided(TDM1& dm, store::DataSet& paper, bool voided);

// "78", "1.5": a number as short as it can be written.
QString ShortNumber(double value);
