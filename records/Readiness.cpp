#include "records/Readiness.h"

#include "store/dm.h"

#include <QHash>
#include <QMap>

#include <algorithm>
#include <cmath>

namespace records {

double GuessChance(int type, int options) {
    if (type == 70)
        return 0.5;
    if (type == 61 || type == 62)
        return 1.0 / std::max(2, options);
    if (type == 64 || type == 65 || type == 66)
        return 0.1;
    return 0.0;
}

double RecallChance(const QuestionRecord& q, const QDate& today) {
    const double guess = GuessChance(q.type, q.options);
    if (q.answers <= 0)
        return guess;
    const bool right = q.mastery >= 0;
    const double strength = right ? 0.95 : std::max(0.25, 0.6 + 0.1 * q.mastery);
    const double stability = right ? 30.0 : 7.0;
    const qint64 days = q.lastAnswered.isValid() ? std::max<qint64>(0, q.lastAnswered.daysTo(today)) : 0;
    return guess + (strength - guess) * std::exp(-double(days) / stability);
}

bool NotMastered(const QuestionRecord& q) {
    return q.answers <= 0 || q.mastery < 0;
}

int DailyTarget(int notMastered, int daysLeft) {
    if (notMastered <= 0 || daysLeft < 0)
        return 0;
    const int days = daysLeft + 1; // today counts
    return (notMastered + days - 1) / days;
}

Readiness ReadReadiness(TDM1& dm, const QDate& today, const QDate& examDate, int weakCount) {
    Readiness r;
    r.daysLeft = examDate.isValid() ? int(today.daysTo(examDate)) : -1;
    store::Database& db = dm.ADOCn1;

    QMap<QString, SubjectReadiness> subjects;
    struct PointSums {
        int questions = 0;
        int answered = 0;
        double chance = 0;
    };
    QHash<QString, PointSums> points;
    const store::QueryResult rows = db.query(QStringLiteral(
        "select A10, A13, A2_1, E3, E4, E1, K3, K4, K5, K6, K7, K8, K9, K10, K11, K12 from tab_answ "
        "where coalesce(F1,0) <> 1"));
    for (const auto& row : rows.rows) {
        QuestionRecord q;
        q.type = row[1].toInt();
        q.options = row[2].toInt();
        q.answers = row[3].toLongLong();
        q.mastery = row[4].toInt();
        q.lastAnswered = QDate::fromString(row[5].toString().left(10), Qt::ISODate);
        const double chance = RecallChance(q, today);
        const bool open = NotMastered(q);
        const QString code = row[0].toString().left(1);
        SubjectReadiness& s = subjects[code.toCaseFolded()];
        s.code = code;
        ++s.questions;
        s.notMastered += open;
        s.share += chance;
        r.notMastered += open;
        for (int k = 6; k < 16; ++k) {
            const QString ftid = row[k].toString().trimmed();
            if (ftid.isEmpty())
                continue;
            PointSums& p = points[ftid.toCaseFolded()];
            ++p.questions;
            p.answered += q.answers > 0;
            p.chance += chance;
        }
    }
    for (SubjectReadiness& s : subjects) {
        s.share = s.questions > 0 ? s.share / s.questions : 0;
        s.name = db.scalar(QStringLiteral("select C2 from tab_kmmc where C1=:C1"), {s.code}).toString().trimmed();
        r.subjects << s;
    }
    r.dailyTarget = DailyTarget(r.notMastered, r.daysLeft);

    const store::QueryResult titles = db.query(QStringLiteral("select ftid, sn from tab_rule"));
    for (const auto& row : titles.rows) {
        const PointSums p = points.value(row[0].toString().trimmed().toCaseFolded());
        if (p.answered == 0)
            continue;
        r.weakest << WeakPoint{row[0].toString().trimmed(), row[1].toString().trimmed(), p.questions,
                               p.chance / p.questions};
    }
    std::sort(r.weakest.begin(), r.weakest.end(), [](const WeakPoint& a, const WeakPoint& b) {
        return a.share != b.share ? a.share < b.share : a.ftid < b.ftid;
    });
    if (r.weakest.size() > weakCount)
        r.weakest.resize(weakCount);
    return r;
}

} // namespace records
