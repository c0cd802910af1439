#pragma once

#include <QDate>
#include <QList>
#include <QString>

class TDM1;

// How ready the learner is, estimated from every question's own record: the chance of answering it right
// today, what needs work most, and how many questions a day would still master everything by the exam.
namespace records {

struct QuestionRecord {
    int type = 61;
    int options = 4;
    qint64 answers = 0; // E3
    int mastery = 0;    // E4: 0 after right answers, below 0 while wrong
    QDate lastAnswered; // E1
};

// The chance of a right answer by guessing: 1/options for single choice, 1/2 for a judgement, 1/10 for
// multiple choice (a set of letters), 0 for the self-assessed types.
double GuessChance(int type, int options);

// The estimate for one question today. Never answered: the guessing chance. Answered: a recall strength
// from its mastery (0.95 when its last answers were right; 0.6 + 0.1 x mastery, at least 0.25, while it
// is wrong) that fades towards the guessing chance with the days since it was last answered, by
// exp(-days / S) with S = 30 days for a question answered right and 7 days for one still wrong.
double RecallChance(const QuestionRecord& q, const QDate& today);

// Not yet mastered: never answered, or wrong (mastery below 0).
bool NotMastered(const QuestionRecord& q);

// Questions a day to master the rest by the exam: the rest spread over the days left, today included
// (on the exam day itself, all of them); 0 when nothing is left or the exam is past.
int DailyTarget(int notMastered, int daysLeft);

struct SubjectReadiness {
    QString code;
    QString name;
    int questions = 0;
    int notMastered = 0;
    double share = 0; // the estimated share answered right today, 0..1
};

struct WeakPoint {
    QString ftid;
    QString title;
    int questions = 0;
    double share = 0;
};

struct Readiness {
    QList<SubjectReadiness> subjects;
    QList<WeakPoint> weakest; // the exam points with an answered question, weakest first
    int notMastered = 0;
    int daysLeft = -1;        // -1 without an exam date
    int dailyTarget = 0;
};

// Reads every question that counts (not voided) and the exam points; weakCount points at most.
Readiness ReadReadiness(TDM1& dm, const QDate& today, const QDate& examDate, int weakCount = 5);

} // namespace records
