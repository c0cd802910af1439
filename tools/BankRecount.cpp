#include "tools/BankRecount.h"

#include "store/Database.h"
#include "store/TimeText.h"

#include <QHash>
#include <QSet>

namespace tools {

namespace {

struct Sums {
    qint64 questions = 0; // rows that name it (chapters: rows under it)
    qint64 answered = 0;  // of those, answered at least once
    qint64 answers = 0;   // answers given to them
};

QString key(const QString& s) {
    return s.trimmed().toCaseFolded();
}

qint64 integer(const QVariant& v) {
    return v.isNull() ? 0 : v.toLongLong();
}

void compare(QList<CounterDrift>& out, const QString& table, const QString& id, const QString& column,
             const QVariant& stored, const QVariant& recounted) {
    if (stored.isNull() || stored.toString() != recounted.toString())
        out.push_back({table, id, column, stored, recounted});
}

// Wrong answers: kept as stored unless they cannot be, then held within 0 and the answers.
void compareWrong(QList<CounterDrift>& out, const QString& table, const QString& id, const QString& column,
                  const QVariant& stored, qint64 answers) {
    const qint64 wrong = integer(stored);
    if (stored.isNull() || wrong < 0 || wrong > answers)
        out.push_back({table, id, column, stored, qBound<qint64>(0, wrong, answers)});
}

} // namespace

QList<CounterDrift> findCounterDrift(store::Database& db) {
    QHash<QString, Sums> chapters, points, catalogue;
    QHash<QString, qint64> catalogueQuestions; // every prefix of 1 to 6 characters of a named point
    const store::QueryResult q = db.query(
        QStringLiteral("select A10, E3, K3, K4, K5, K6, K7, K8, K9, K10, K11, K12 from tab_answ"));
    for (const auto& row : q.rows) {
        const qint64 e3 = qMax<qint64>(0, integer(row[1]));
        const bool answered = e3 > 0;
        const QString a10 = key(row[0].toString());
        for (qsizetype n : {1, 2, 4, 6}) {
            if (a10.size() < n)
                break;
            Sums& s = chapters[a10.left(n)];
            ++s.questions;
            s.answered += answered;
            s.answers += e3;
        }
        // Marking counts the points up to the first empty column; the count of questions takes them all.
        QSet<QString> named, marked, studied, prefixes;
        bool gap = false;
        for (int k = 2; k < 12; ++k) {
            const QString id = key(row[k].toString());
            if (id.isEmpty()) {
                gap = true;
                continue;
            }
            named << id;
            for (qsizetype w = 1; w <= qMin<qsizetype>(6, id.size()); ++w)
                prefixes << id.left(w);
            if (!gap) {
                marked << id;
                studied << id.left(6) << id.left(2);
            }
        }
        for (const QString& p : std::as_const(named))
            ++points[p].questions;
        for (const QString& p : std::as_const(marked)) {
            points[p].answered += answered;
            points[p].answers += e3;
        }
        for (const QString& c : std::as_const(studied)) {
            catalogue[c].answered += answered;
            catalogue[c].answers += e3;
        }
        for (const QString& c : std::as_const(prefixes))
            ++catalogueQuestions[c];
    }

    QList<CounterDrift> out;
    const QString kmmc = QStringLiteral("tab_kmmc");
    for (const auto& row : db.query(QStringLiteral("select C1, C3, C4, D1, D2, C6 from tab_kmmc")).rows) {
        const QString id = row[0].toString();
        const Sums s = chapters.value(key(id));
        compare(out, kmmc, id, QStringLiteral("C3"), row[1], s.questions);
        compare(out, kmmc, id, QStringLiteral("C4"), row[2], s.answered);
        compare(out, kmmc, id, QStringLiteral("D1"), row[3], s.answers);
        compareWrong(out, kmmc, id, QStringLiteral("D2"), row[4], s.answers);
        const qint64 wrong = qBound<qint64>(0, integer(row[4]), s.answers);
        compare(out, kmmc, id, QStringLiteral("C6"), row[5],
                store::PercentText(double(s.answers - wrong), double(s.answers)));
    }
    const auto pointRows = [&](const QString& table, const QString& idColumn, const QHash<QString, Sums>& sums,
                               const QHash<QString, qint64>* questions) {
        for (const auto& row :
             db.query(QStringLiteral("select %1, q, q1, q2, q4 from %2").arg(idColumn, table)).rows) {
            const QString id = row[0].toString();
            const Sums s = sums.value(key(id));
            compare(out, table, id, QStringLiteral("q"), row[1],
                    questions ? questions->value(key(id)) : s.questions);
            compare(out, table, id, QStringLiteral("q1"), row[2], s.answered);
            compare(out, table, id, QStringLiteral("q2"), row[3], s.answers);
            compareWrong(out, table, id, QStringLiteral("q4"), row[4], s.answers);
        }
    };
    pointRows(QStringLiteral("tab_rule"), QStringLiteral("ftid"), points, nullptr);
    pointRows(QStringLiteral("tab_fgmc"), QStringLiteral("id"), catalogue, &catalogueQuestions);
    return out;
}

int repairCounters(store::Database& db, const QList<CounterDrift>& drift) {
    store::Transaction tx(db);
    int changed = 0;
    for (const CounterDrift& d : drift) {
        const QString idColumn = d.table == u"tab_kmmc" ? QStringLiteral("C1")
                                 : d.table == u"tab_rule" ? QStringLiteral("ftid")
                                                          : QStringLiteral("id");
        changed += db.execute(QStringLiteral("update %1 set %2 = :v where %3 = :id").arg(d.table, d.column, idColumn),
                              {d.recounted, d.id}) > 0;
    }
    tx.commit();
    return changed;
}

QString driftText(const CounterDrift& d) {
    return QStringLiteral("%1 %2: %3 is %4, its questions give %5")
        .arg(d.table, d.id, d.column, d.stored.isNull() ? QStringLiteral("empty") : d.stored.toString(),
             d.recounted.toString());
}

} // namespace tools
