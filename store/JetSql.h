#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace store {

// An external database named in a statement ("... from tab_kmmc in 'file'").
struct ExternalSource {
    QString file;
    QString alias;
};

// A statement of the program's own dialect rewritten for the engine.
struct TranslatedSql {
    QString sql;
    QList<ExternalSource> sources;
};

// Rewrites the Access-style dialect the windows are written in: Left(/Right( calls, "delete * from",
// "in '<file>'" sources, [bracketed] names, double-quoted texts and the column types of CREATE TABLE.
// Texts and function results compare without regard to case, as Jet compares them. aliasFor gives the
// schema alias of an external file; columnsOf(schema, table) the columns of a table, used to name the
// columns of "insert into T select * from T in '<file>'" (the file's columns are matched by name).
// Throws DbError on an unclosed quote or bracket and on a second statement.
TranslatedSql
translateJetSql(const QString& sql, const std::function<QString(const QString&)>& aliasFor,
                const std::function<QStringList(const QString&, const QString&)>& columnsOf = {});

// Quotes a text value for a statement, doubling embedded quotes: O'Brien -> 'O''Brien'.
QString quoted(const QString& value);

// True when text matches a pattern with * (any text), ? (one character), # (one digit) and
// [list] / [!list] classes, ignoring letter case.
bool jetLike(QStringView pattern, QStringView text);

} // namespace store

namespace store {

// For a plain "select ... from <table> ..." returns the statement with the source row id added as the
// first column "__rowid" (and the table's key column, which keyOf names, as "__key") and stores the
// table's name; otherwise returns sql unchanged and clears table. Data sets use it to write edits back
// to the row they were read from.
QString withSourceRowId(const QString& sql, QString* table,
                        const std::function<QString(const QString&)>& keyOf = {});

} // namespace store
