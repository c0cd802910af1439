#include "authoring/QuestionSave.h"

#include "store/DataSet.h"
#include "store/Database.h"
#include "store/DbError.h"
#include "store/JetSql.h"
#include "store/Schema.h"

#include <QSet>

namespace authoring {

namespace {

// Distinct prefixes of the ids (width 0: the whole id), case-folded, in first-seen order with their
// spelling.
QStringList prefixes(const QStringList& ids, int width) {
    QStringList out;
    QSet<QString> seen;
    for (const QString& id : ids) {
        const QString p = (width > 0 ? id.left(width) : id).trimmed();
        if (!p.isEmpty() && !seen.contains(p.toCaseFolded())) {
            seen.insert(p.toCaseFolded());
            out << p;
        }
    }
    return out;
}

QStringList minus(const QStringList& a, const QStringList& b) {
    QSet<QString> drop;
    for (const QString& s : b)
        drop.insert(s.toCaseFolded());
    QStringList out;
    for (const QString& s : a)
        if (!drop.contains(s.toCaseFolded()))
            out << s;
    return out;
}

QString inList(const QStringList& values) {
    QStringList q;
    for (const QString& v : values)
        q << store::quoted(v);
    return u'(' + q.join(u',') + u')';
}

QStringList pointsOf(const store::DataSet& question) {
    QStringList points;
    for (int k = 3; k <= 12; ++k) {
        const QString p = question.asString(QStringLiteral("K%1").arg(k)).trimmed();
        if (!p.isEmpty())
            points << p;
    }
    return points;
}

} // namespace

QString QuestionIdFor(const QString& chapter, int typeId, int options, int serial) {
    QString s = QString::number(serial);
    if (s.size() < 4)
        s = QString(5 - s.size(), u'0') + s;
    return QStringLiteral("US") + chapter + QString::number(typeId) + QString::number(options) + s;
}

int NextSerial(store::Database& db) {
    // A range on the key: only learners' questions are read, however large the bank.
    const store::QueryResult r =
        db.query(QStringLiteral("select Right(A1,4) as r4 from tab_answ where A1 >= 'US' and A1 < 'UT'"));
    int largest = 0;
    for (const auto& row : r.rows) {
        const QString tail = row.value(0).toString();
        bool number = tail.size() == 4;
        for (const QChar c : tail)
            number = number && c >= u'0' && c <= u'9';
        if (number)
            largest = qMax(largest, tail.toInt());
    }
    return largest + 1;
}

void AdjustPointCounters(store::Database& db, const QStringList& before, const QStringList& after) {
    const struct {
        const char* table;
        const char* column;
        int width;
    } levels[] = {
        {"tab_rule", "ftid", 0}, {"tab_fgmc", "id", 6}, {"tab_fgmc", "id", 2}, {"tab_fgmc", "id", 1}};
    for (const auto& level : levels) {
        const QStringList was = prefixes(before, level.width);
        const QStringList now = prefixes(after, level.width);
        const QString table = QLatin1String(level.table);
        const QString column = QLatin1String(level.column);
        const QStringList lost = minus(was, now);
        const QStringList gained = minus(now, was);
        if (!lost.isEmpty())
            db.execute(QStringLiteral("update ") + table +
                       QStringLiteral(" set q=case when coalesce(q,0)>0 then q-1 else 0 end where ") +
                       column + QStringLiteral(" in ") + inList(lost));
        if (!gained.isEmpty())
            db.execute(QStringLiteral("update ") + table + QStringLiteral(" set q=coalesce(q,0)+1 where ") +
                       column + QStringLiteral(" in ") + inList(gained));
    }
}

QString SaveNewQuestion(store::Database& db, const NewQuestion& q) {
    if (q.points.size() > 10)
        throw store::DbError(QStringLiteral("a question carries at most ten exam points"));
    store::Transaction tx(db);
    const int serial = NextSerial(db);
    if (serial > MaxSerial)
        throw SerialsExhausted();
    const QString id = QuestionIdFor(q.chapter, q.typeId, q.options, serial);
    if (id.size() > store::QuestionIdLength || q.answer.size() > store::AnswerLength)
        throw store::DbError(QStringLiteral("question id or answer too long: ") + id);

    QString columns = QStringLiteral("(a1,a2,a2_1,a10,a13");
    QString values = QStringLiteral(" values (:a1,:a2,:a2_1,:a10,:a13");
    QVariantList params{id, q.answer, q.options, q.chapter, q.typeId};
    for (int i = 0; i < q.points.size(); ++i) {
        columns += QStringLiteral(",k%1").arg(i + 3);
        values += QStringLiteral(",:k%1").arg(i + 3);
        params << q.points[i];
    }
    db.execute(QStringLiteral("insert into tab_answ ") + columns + QStringLiteral(",f1)") + values +
                   QStringLiteral(",2)"),
               params);

    if (q.explanation.isEmpty())
        db.execute(QStringLiteral("insert into tab_exer (a1,a15) values(:a1,:A15)"), {id, q.stem});
    else
        db.execute(QStringLiteral("insert into tab_exer (a1,a15,jx) values(:a1,:A15,:jx)"),
                   {id, q.stem, q.explanation});

    // The chapter and its upper levels; for a chapter of four characters the first two conditions name
    // the same row, which still gains one.
    db.execute(QStringLiteral("update tab_kmmc set c3=coalesce(c3,0)+1 where (C1 = :c) or (C1 = :c4) or "
                              "(C1 = :c2) or (C1 = :c1)"),
               {q.chapter, q.chapter.left(4), q.chapter.left(2), q.chapter.left(1)});
    AdjustPointCounters(db, {}, q.points);
    tx.commit();
    return id;
}

void SaveQuestionEdit(store::Database& db, store::DataSet& question, store::DataSet& content,
                      store::DataSet* sharedStem, const QuestionEdit& e) {
    const QString id = question.asString(QStringLiteral("A1"));
    if (e.points.size() > 10)
        throw store::DbError(QStringLiteral("a question carries at most ten exam points"));
    if (e.answer.size() > store::AnswerLength)
        throw store::DbError(QStringLiteral("answer too long"));
    const QStringList before = pointsOf(question);
    store::Transaction tx(db);
    try {
        if (e.stem || e.explanation) {
            if (content.isEmpty()) {
                content.append();
                content.setValue(QStringLiteral("A1"), id);
            } else if (content.asString(QStringLiteral("A1")).compare(id, Qt::CaseInsensitive) != 0) {
                throw store::DbError(QStringLiteral("the content row is not the question's"));
            }
            if (e.stem)
                content.setValue(QStringLiteral("A15"), *e.stem);
            if (e.explanation)
                content.setValue(QStringLiteral("jx"),
                                 e.explanation->isEmpty() ? QVariant() : QVariant(*e.explanation));
            content.post();
        }

        if (question.asInteger(QStringLiteral("A2_1")) != e.options ||
            question.isNull(QStringLiteral("A2_1")))
            question.setValue(QStringLiteral("A2_1"), e.options);
        if (question.asString(QStringLiteral("A2")) != e.answer)
            question.setValue(QStringLiteral("A2"), e.answer);
        if (question.asInteger(QStringLiteral("A13")) != e.typeId || question.isNull(QStringLiteral("A13")))
            question.setValue(QStringLiteral("A13"), e.typeId);
        for (int k = 3; k <= 12; ++k) {
            const QString column = QStringLiteral("K%1").arg(k);
            const QString want = k - 3 < e.points.size() ? e.points[k - 3] : QString();
            if (question.asString(column) != want)
                question.setValue(column, want);
        }
        question.post();
        // Counted in the bank, then read back so that the practice shows the question as edited.
        if (db.execute(QStringLiteral("update tab_answ set ecount=coalesce(ecount,0)+1 where A1=:A1"),
                       {id}) != 1)
            throw store::DbError(QStringLiteral("the question is no longer in the bank: ") + id);
        question.refreshRow();

        if (sharedStem && e.sharedStem) {
            if (sharedStem->isEmpty())
                throw store::DbError(QStringLiteral("no shared stem to change"));
            sharedStem->setValue(QStringLiteral("A15"), *e.sharedStem);
            sharedStem->post();
        }
        AdjustPointCounters(db, before, e.points);
        tx.commit();
    } catch (...) {
        for (store::DataSet* ds : {&question, &content, sharedStem})
            if (ds && ds->active() && ds->state() != store::DataSet::State::Browse)
                ds->cancel();
        throw; // the transaction rolls back and the data sets undo what they had written
    }
}

} // namespace authoring
