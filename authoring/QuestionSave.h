#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

namespace store {
class Database;
class DataSet;
} // namespace store

namespace authoring {

// Serials run from 1 to 9999; a bank that holds the 9999th refuses the next question.
inline constexpr int MaxSerial = 9999;

struct SerialsExhausted : std::runtime_error {
    SerialsExhausted() : std::runtime_error("no serial left for a learner's question") {}
};

// "US" + chapter + type + option count + serial, the serial padded to five digits below 1000.
QString QuestionIdFor(const QString& chapter, int typeId, int options, int serial);

// The serial the next learner's question takes: one more than the largest serial among the ids that start
// with "US" (their last four characters). Ids of that range whose tail is not a number are not ours and do
// not count. Read on db as it stands, so inside the saving transaction it sees what that holds.
int NextSerial(store::Database& db);

struct NewQuestion {
    QString chapter;
    int typeId = 0;
    int options = 0;
    QString answer;         // as checked by CheckAnswer
    QByteArray stem;        // rich text
    QByteArray explanation; // rich text; empty: none
    QStringList points;     // exam-point ids in list order, at most ten
};

// Saves a learner's question in one transaction: its question and content rows, one more question for
// its chapter and the chapter's upper levels, and for its exam points and their catalogue rows. Returns
// the new id. Throws SerialsExhausted (nothing written) or the engine's error (everything rolled back).
QString SaveNewQuestion(store::Database& db, const NewQuestion& question);

// A change to the question on show in a practice. The rich texts are given only when the learner
// changed them; an explanation given as empty is removed.
struct QuestionEdit {
    int options = 0;
    QString answer;
    int typeId = 0;
    QStringList points;
    std::optional<QByteArray> stem;
    std::optional<QByteArray> explanation;
    std::optional<QByteArray> sharedStem;
};

// Writes an edit in one transaction: the content row (added when the question had none), the question
// row with one more edit counted, the shared stem, and the question counters of the exam points the
// question lost or gained and of their catalogue rows. Only what changed is written. On any failure
// nothing is written and the data sets show what they showed before; the error is thrown.
// question is the practice's row of tab_answ, content its tab_exer row (opened on the question's id),
// sharedStem its tab_title row or null.
void SaveQuestionEdit(store::Database& db, store::DataSet& question, store::DataSet& content,
                      store::DataSet* sharedStem, const QuestionEdit& edit);

// Raises the question counter of the exam points in after but not in before, lowers that of the points
// in before but not in after (never below zero), and the same for their sections (6 characters) and the
// catalogue rows of 2 and 1 characters above them. Ids compare without regard to case.
void AdjustPointCounters(store::Database& db, const QStringList& before, const QStringList& after);

} // namespace authoring
