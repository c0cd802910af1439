#pragma once

#include <QString>

class TDM1;
namespace store {
class DataSet;
}

// How one answer left a question.
enum class SaveOutcome {
    Empty,     // no answer on the page: the per-practice answer was cleared
    Unchanged, // the same answer as before in this practice: written again, nothing counted
    Marked     // a new answer: marked and counted
};

// Writes the answer given on a page to the current row of a practice set and, when it differs from the
// answer already given in this practice, marks it: the question's history (E1..E4) and the daily, chapter
// and exam-point counters change together in one transaction, or nothing changes at all. The first answer
// ever is the one given while E3 (the answers marked) is 0 or empty.
SaveOutcome SaveAnswerToRow(TDM1& dm, store::DataSet& set, const QString& answer);

// The three lists of the exam-point counters, "('050101-001','050101-002')" and so on, built from K3, K4,
// ... up to the first empty one; all empty when K3 is.
struct ExamPointLists {
    QString points, sections, tops;
    bool isEmpty() const { return points.isEmpty(); }
};
ExamPointLists ExamPointListsOf(const store::DataSet& set);

// Mastery score after an answer: E4 of a first answer is 0 when right and -3 when wrong; later a wrong
// answer subtracts 1 and a right one adds 1 while the score is below 0.
int NextMasteryScore(bool answeredBefore, int score, bool right);

// Question types whose correct answer is never shown.
bool IsAnswerHiddenType(int typeId);

// The answer page for a question. AnswerPageForType decides for single, multiple and indefinite choice;
// every other type gets the page its name or its key asks for, so that no question is left on the page
// of the question before.
int AnswerPageForQuestion(int typeId, const QString& typeName, const QString& key);
