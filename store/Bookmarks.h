#pragma once

#include <QString>

namespace store {

class Database;

// Questions the learner marked with a star (收藏), kept in a table of their own (tab_sc: the question's
// id and the day it was marked) that no other table refers to: an upgrade or a repair leaves it alone.
// The table is made by the first bookmark.
bool IsBookmarked(Database& db, const QString& questionId);
// Marks or unmarks; throws DbError with nothing changed.
void SetBookmarked(Database& db, const QString& questionId, bool on);
// Bookmarked questions of the chapters under code (its first characters), voided ones left out.
int CountBookmarked(Database& db, const QString& chapterCode);
// The condition that keeps bookmarked questions, for a statement over tab_answ; "1=0" without the table.
QString BookmarkedCondition(Database& db);

} // namespace store
