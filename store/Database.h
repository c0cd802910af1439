#pragma once

#include "store/DbError.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace store {

// The rows of one query with what is known of each column's origin.
struct QueryResult {
    QStringList columns;       // names as the statement gives them
    QStringList originTables;  // table each column was read from, or empty
    QStringList originColumns; // that table's column name, or empty
    QList<QVector<QVariant>> rows;
};

// One connection to a bank file through SQLCipher. Statements are written in the program's own dialect
// and translated on the way in; values are bound, never pasted into the text.
class Database {
public:
    enum class OpenMode { Existing, Create };

    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens path with a raw 32-byte key (empty: a plain file). The key is checked by a read at once, and
    // so is every table named in requiredTables (a file without them is not the database asked for); on
    // any failure the connection stays closed, the file is left untouched and DbError is thrown.
    // Every commit waits until it is on the disk. The file keeps its journal mode, so that opening it to
    // read changes nothing in it.
    void open(const QString& path, const QByteArray& rawKey, OpenMode mode = OpenMode::Existing,
              const QStringList& requiredTables = {});
    // Switches the file to a rollback journal, deleted at every commit: outside a write the file is then
    // all there is, and with the waits above a committed write survives a power cut. A file left in
    // write-ahead mode is brought back to one file here. Throws when the switch fails.
    void useRollbackJournal();
    void close();
    // Copies the whole database, as the engine sees it at this moment, into a new file at target written
    // with rawKey (an existing file there is replaced). Not inside a transaction of this connection.
    // progress(done, total) is called with pages after each step of the copy, so a window can stay
    // responsive; the copy is complete when this returns. Throws DbError, leaving target partial.
    void backupTo(const QString& target, const QByteArray& rawKey,
                  const std::function<void(int done, int total)>& progress = {});
    bool isOpen() const { return m_db != nullptr; }
    const QString& path() const { return m_path; }
    sqlite3* handle() const { return m_db; }
    // True when the engine could only open the file for reading.
    bool isReadOnly() const;
    // How long a statement waits for another connection's lock before it fails (SQLITE_BUSY).
    void setBusyTimeout(int ms);

    // Runs a statement; returns the rows it changed.
    int execute(const QString& sql, const QVariantList& params = {});
    QueryResult query(const QString& sql, const QVariantList& params = {});
    // The first column of the first row, or a null value.
    QVariant scalar(const QString& sql, const QVariantList& params = {});

    qint64 lastInsertRowId() const;

    // Catalogue.
    QStringList tableNames();
    bool hasTable(const QString& name);
    void dropTable(const QString& name);
    QStringList columnNames(const QString& table);
    // The column that identifies a row of the table besides its row id: the primary key, else a column
    // with a unique index of its own; empty when there is none.
    QString keyColumn(const QString& table);
    // Text columns take '' already; kept so that callers state what they rely on. Throws when the table
    // or the column does not exist.
    void allowZeroLength(const QString& table, const QString& column);

    // Transactions. BEGIN is issued with the first statement, so that a statement reading another file
    // can still attach it first. It takes the write lock at once (waiting for it as any statement waits),
    // so that a transaction that reads and then writes never fails half-way on another writer; with
    // another file attached (which is read-only) the lock is taken by the first write.
    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const { return m_tx != TxState::None; }
    // Called in reverse order when the running transaction rolls back (data sets undo their rows).
    void onRollback(std::function<void()> undo);

    // Test hook: the statement whose text contains this fragment fails with an engine error.
    void failStatementsContaining(const QString& fragment) { m_failFragment = fragment; }

private:
    enum class TxState { None, Pending, Active };
    sqlite3_stmt* prepare(const QString& sql, bool* cached, QList<QString>* attached);
    QStringList columnsOf(const QString& schema, const QString& table);
    void bind(sqlite3_stmt* st, const QVariantList& params);
    QString attach(const QString& file);
    void detachAll();
    void startPendingTransaction();
    [[noreturn]] void fail(const QString& what, int rc);
    // Detaches other files unless a transaction needs them; keeps the engine's last message.
    void detachUnlessInTransaction();
    void execRaw(const char* sql);

    sqlite3* m_db = nullptr;
    QString m_path;
    QHash<QString, sqlite3_stmt*> m_cache;
    QHash<QString, QString> m_attached; // file -> alias
    QHash<QString, QString> m_keys;     // lower-case table name -> key column
    int m_nextAlias = 0;
    TxState m_tx = TxState::None;
    QList<std::function<void()>> m_undo;
    QString m_failFragment;
};

// RAII transaction: rolls back unless committed.
class Transaction {
public:
    explicit Transaction(Database& db) : m_db(db) { m_db.beginTransaction(); }
    ~Transaction() {
        if (!m_done) {
            try {
                m_db.rollback();
            } catch (...) {
            }
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit() {
        m_db.commit();
        m_done = true;
    }

private:
    Database& m_db;
    bool m_done = false;
};

// Converts an engine value to the program's: integers, floats, texts, blobs or null.
QVariant fromEngine(sqlite3_stmt* st, int column);

} // namespace store
