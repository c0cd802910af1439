#include "store/Bookmarks.h"

#include "store/Clock.h"
#include "store/Database.h"
#include "store/JetSql.h"

namespace store {

namespace {
const QString kTable = QStringLiteral("tab_sc");
}

bool IsBookmarked(Database& db, const QString& questionId) {
    if (!db.hasTable(kTable))
        return false;
    return db.scalar(QStringLiteral("select count(*) from tab_sc where A1=:A1"), {questionId}).toInt() > 0;
}

void SetBookmarked(Database& db, const QString& questionId, bool on) {
    if (!on) {
        if (db.hasTable(kTable))
            db.execute(QStringLiteral("delete from tab_sc where A1=:A1"), {questionId});
        return;
    }
    if (!db.hasTable(kTable))
        db.execute(QStringLiteral("CREATE TABLE tab_sc (A1 TEXT(50) NOT NULL PRIMARY KEY, D1 DATETIME)"));
    if (!IsBookmarked(db, questionId))
        db.execute(QStringLiteral("insert into tab_sc (A1, D1) values (:A1, :D1)"), {questionId, clock().today()});
}

int CountBookmarked(Database& db, const QString& chapterCode) {
    if (!db.hasTable(kTable))
        return 0;
    // The code written out, as the practice lists write it: the engine then reads only the chapter's rows.
    return db
        .scalar(QStringLiteral("select count(*) from tab_answ where left(A10,") + QString::number(chapterCode.size()) +
                QStringLiteral(") = ") + quoted(chapterCode) +
                QStringLiteral(" and (f1<>1) and A1 in (select A1 from tab_sc)"))
        .toInt();
}

QString BookmarkedCondition(Database& db) {
    return db.hasTable(kTable) ? QStringLiteral("(A1 in (select A1 from tab_sc))") : QStringLiteral("(1=0)");
}

} // namespace store
