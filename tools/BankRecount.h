#pragma once

#include <QList>
#include <QString>
#include <QVariant>

namespace store {
class Database;
}

namespace tools {

// A stored counter that differs from what the question rows give.
struct CounterDrift {
    QString table;  // tab_kmmc, tab_rule or tab_fgmc
    QString id;     // the row's C1, ftid or id as stored
    QString column; // C3, C4, D1, D2, C6, q, q1, q2 or q4
    QVariant stored;
    QVariant recounted;
    // A counter of the bank's structure (questions per chapter or per exam point), which upgrades and
    // question edits leave behind on purpose; the others are the learner's study counters.
    bool structural() const { return column == u"C3" || column == u"q"; }
};

// Every counter that can be computed again from the question rows, compared with the stored one:
// chapters (questions C3, questions answered C4, answers D1, score C6) and exam points and their
// catalogue rows (questions q, questions answered q1, answers q2). Wrong answers are not kept per
// question, so D2 and q4 are only brought back within 0 and the answers when they left that range.
// The daily log is never recounted. Reads only.
QList<CounterDrift> findCounterDrift(store::Database& db);

// Writes the recounted values in one transaction of db's; returns how many counters were changed.
// Throws store::DbError with nothing written.
int repairCounters(store::Database& db, const QList<CounterDrift>& drift);

// "tab_kmmc 0501: D1 is 7, its questions give 9".
QString driftText(const CounterDrift& d);

} // namespace tools
