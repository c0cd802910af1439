#include "store/Database.h"

#include "store/JetFunctions.h"
#include "store/JetSql.h"

#include <sqlcipher/sqlite3.h>

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace store {

namespace {

QString engineMessage(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
}

// A prepared statement finalised on scope exit unless it came from the cache.
struct StatementGuard {
    sqlite3_stmt* st;
    bool cached;
    ~StatementGuard() {
        if (!st)
            return;
        if (cached) {
            sqlite3_reset(st);
            sqlite3_clear_bindings(st);
        } else {
            sqlite3_finalize(st);
        }
    }
};

} // namespace

QVariant fromEngine(sqlite3_stmt* st, int column) {
    switch (sqlite3_column_type(st, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(st, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, column));
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, column)),
                                          sqlite3_column_bytes(st, column)));
    case SQLITE_BLOB: {
        const void* p = sqlite3_column_blob(st, column);
        return QVariant(QByteArray(static_cast<const char*>(p), sqlite3_column_bytes(st, column)));
    }
    default:
        return QVariant();
    }
}

Database::Database() = default;

Database::~Database() {
    close();
}

void Database::execRaw(const char* sql) {
    char* err = nullptr;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const QString msg = QString::fromUtf8(err ? err : "engine error");
        sqlite3_free(err);
        throw DbError(msg, rc);
    }
}

void Database::fail(const QString& what, int rc) {
    QString text = what + QLatin1String(": ") + engineMessage(m_db);
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED)
        text += QLatin1String(" (another program is writing to the file)");
    throw DbError(text, rc);
}

void Database::open(const QString& path, const QByteArray& rawKey, OpenMode mode,
                    const QStringList& requiredTables) {
    close();
    if (mode == OpenMode::Existing && !QFileInfo(path).isFile())
        throw DbError(QStringLiteral("database file not found: ") + path, SQLITE_CANTOPEN);
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI;
    if (mode == OpenMode::Create)
        flags |= SQLITE_OPEN_CREATE;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg = engineMessage(db);
        sqlite3_close(db);
        throw DbError(QStringLiteral("cannot open database: ") + msg, rc);
    }
    m_db = db;
    try {
        registerJetFunctions(m_db);
        if (!rawKey.isEmpty()) {
            // A raw key skips the passphrase derivation, which would cost tens of milliseconds per open.
            const QByteArray pragma = "PRAGMA key = \"x'" + rawKey.toHex() + "'\"";
            execRaw(pragma.constData());
        }
        // The key is only tried by the first read: a wrong key or a damaged file fails here.
        execRaw("SELECT count(*) FROM sqlite_master");
        // Before anything could write to it: an empty file or another program's database is refused.
        for (const QString& table : requiredTables) {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(m_db,
                               "select 1 from sqlite_master where type='table' and lower(name)=lower(?)", -1,
                               &st, nullptr);
            const QByteArray name = table.toUtf8();
            sqlite3_bind_text(st, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
            const bool found = sqlite3_step(st) == SQLITE_ROW;
            sqlite3_finalize(st);
            if (!found)
                throw DbError(
                    QStringLiteral("%1 is not a question bank: it has no table %2").arg(path, table),
                    SQLITE_NOTADB);
        }
        sqlite3_busy_timeout(m_db, 5000);
        // A commit returns once it is on the disk.
        execRaw("PRAGMA synchronous=FULL");
        // Pages are decrypted when read: a cache large enough for the question tables keeps scans of a
        // big bank in memory.
        execRaw("PRAGMA cache_size=-65536");
    } catch (const DbError&) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw;
    }
    m_path = path;
}

void Database::backupTo(const QString& target, const QByteArray& rawKey,
                        const std::function<void(int done, int total)>& progress) {
    if (!m_db)
        throw DbError(QStringLiteral("the database is not open"));
    if (m_tx != TxState::None)
        throw DbError(QStringLiteral("a copy is not taken inside a write"));
    QFile::remove(target);
    Database copy;
    copy.open(target, rawKey, OpenMode::Create);
    sqlite3_backup* backup = sqlite3_backup_init(copy.m_db, "main", m_db, "main");
    if (!backup)
        throw DbError(QStringLiteral("cannot copy the database: ") + engineMessage(copy.m_db));
    int rc = SQLITE_OK;
    do {
        rc = sqlite3_backup_step(backup, 512);
        const int total = sqlite3_backup_pagecount(backup);
        if (progress)
            progress(total - sqlite3_backup_remaining(backup), total);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            sqlite3_sleep(20);
    } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        throw DbError(QStringLiteral("cannot copy the database: ") + QString::fromUtf8(sqlite3_errstr(rc)), rc);
    copy.close();
}

void Database::useRollbackJournal() {
    if (!m_db)
        throw DbError(QStringLiteral("the database is not open"));
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(m_db, "PRAGMA journal_mode=DELETE", -1, &st, nullptr);
    const int rc = sqlite3_step(st);
    const QString mode = rc == SQLITE_ROW
                             ? QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))
                             : QString();
    sqlite3_finalize(st);
    if (mode.compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0)
        fail(QStringLiteral("cannot switch to a rollback journal"), rc == SQLITE_ROW ? SQLITE_ERROR : rc);
    // A process killed as it began a write can leave a journal the engine judges empty (cold) and ignores;
    // it would stay beside the bank until the next write. Holding the write lock, no one else is writing
    // and a journal that still needed playing back has been played back, so what is left is removed.
    const QString journal = m_path.isEmpty() ? QString() : m_path + QStringLiteral("-journal");
    if (!journal.isEmpty() && QFileInfo::exists(journal)) {
        execRaw("BEGIN IMMEDIATE");
        QFile::remove(journal);
        execRaw("COMMIT");
    }
}

bool Database::isReadOnly() const {
    return m_db && sqlite3_db_readonly(m_db, "main") == 1;
}

void Database::setBusyTimeout(int ms) {
    if (m_db)
        sqlite3_busy_timeout(m_db, ms);
}

void Database::close() {
    if (!m_db)
        return;
    for (sqlite3_stmt* st : std::as_const(m_cache))
        sqlite3_finalize(st);
    m_cache.clear();
    if (m_tx == TxState::Active && !sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_tx = TxState::None;
    m_undo.clear();
    m_attached.clear();
    m_keys.clear();
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_path.clear();
}

QString Database::attach(const QString& file) {
    const QString key = QFileInfo(file).absoluteFilePath();
    auto it = m_attached.constFind(key);
    if (it != m_attached.constEnd())
        return it.value();
    if (m_tx == TxState::Active)
        throw DbError(QStringLiteral("another database file cannot be opened inside a running transaction"));
    if (!QFileInfo(key).isFile())
        throw DbError(QStringLiteral("database file not found: ") + file, SQLITE_CANTOPEN);
    const QString alias = QStringLiteral("ext%1").arg(++m_nextAlias);
    // Read-only, and with an explicit empty key: the other file is a plain one and must not be changed.
    const QString uri = QStringLiteral("file:") + QString::fromUtf8(QUrl::toPercentEncoding(key, "/")) +
                        QStringLiteral("?mode=ro");
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = "ATTACH DATABASE ? AS " + alias.toUtf8() + " KEY ''";
    int rc = sqlite3_prepare_v2(m_db, sql.constData(), -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray u = uri.toUtf8();
        sqlite3_bind_text(st, 1, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        rc = sqlite3_step(st);
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE && rc != SQLITE_OK)
        fail(QStringLiteral("cannot attach ") + file, rc);
    m_attached.insert(key, alias);
    return alias;
}

void Database::detachAll() {
    if (!m_db)
        return;
    for (const QString& alias : std::as_const(m_attached)) {
        const QByteArray sql = "DETACH DATABASE " + alias.toUtf8();
        sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr);
    }
    m_attached.clear();
}

void Database::detachUnlessInTransaction() {
    if (m_tx != TxState::Active && !m_attached.isEmpty())
        detachAll();
}

QStringList Database::columnsOf(const QString& schema, const QString& table) {
    QString s = schema, t = table;
    s.replace(u'"', QLatin1String("\"\""));
    t.replace(u'\'', QLatin1String("''"));
    const QByteArray sql =
        (QStringLiteral("PRAGMA \"") + s + QStringLiteral("\".table_info('") + t + QStringLiteral("')"))
            .toUtf8();
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        fail(QStringLiteral("cannot read the columns of ") + table, sqlite3_errcode(m_db));
    }
    QStringList names;
    while (sqlite3_step(st) == SQLITE_ROW)
        names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
    sqlite3_finalize(st);
    return names;
}

sqlite3_stmt* Database::prepare(const QString& sql, bool* cached, QList<QString>* attached) {
    if (!m_db)
        throw DbError(QStringLiteral("the database is not open"));
    if (!m_failFragment.isEmpty() && sql.contains(m_failFragment, Qt::CaseInsensitive))
        throw DbError(QStringLiteral("injected failure: ") + sql, SQLITE_IOERR);
    *cached = false;
    if (sqlite3_stmt* st = m_cache.value(sql)) {
        *cached = true;
        return st;
    }
    TranslatedSql t;
    try {
        // Files are attached as the translation names them, so that the same file named twice gets one
        // alias and the copy of a table can name the file's columns.
        t = translateJetSql(
            sql,
            [this, attached](const QString& f) {
                const QString alias = attach(f);
                if (!attached->contains(alias))
                    attached->push_back(alias);
                return alias;
            },
            [this](const QString& schema, const QString& table) { return columnsOf(schema, table); });
    } catch (const DbError&) {
        detachUnlessInTransaction();
        throw;
    }
    sqlite3_stmt* st = nullptr;
    const QByteArray text = t.sql.toUtf8();
    const int rc = sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &st, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(st);
        const DbError error(
            QStringLiteral("cannot run \"") + sql + QStringLiteral("\": ") + engineMessage(m_db), rc);
        detachUnlessInTransaction();
        throw error;
    }
    // Pragmas are answered when prepared, so a kept one would go on giving the old answer.
    const bool pragma = sql.trimmed().startsWith(QLatin1String("pragma"), Qt::CaseInsensitive);
    if (t.sources.isEmpty() && !pragma) {
        // Texts with pasted values make many one-off statements: start the cache afresh when it is full.
        if (m_cache.size() >= 256) {
            for (sqlite3_stmt* old : std::as_const(m_cache))
                sqlite3_finalize(old);
            m_cache.clear();
        }
        m_cache.insert(sql, st);
        *cached = true;
    }
    // A changed table may change its key.
    if (sqlite3_stmt_readonly(st) == 0) {
        const QString head = sql.trimmed().left(6).toLower();
        if (head == u"create" || head.startsWith(u"drop") || head.startsWith(u"alter"))
            m_keys.clear();
    }
    return st;
}

void Database::bind(sqlite3_stmt* st, const QVariantList& params) {
    const int n = sqlite3_bind_parameter_count(st);
    if (params.size() < n)
        throw DbError(QStringLiteral("%1 values given for %2 parameters").arg(params.size()).arg(n));
    for (int i = 0; i < n; ++i) {
        const QVariant& v = params[i];
        int rc = SQLITE_OK;
        switch (v.typeId()) {
        case QMetaType::UnknownType:
        case QMetaType::Nullptr:
            rc = sqlite3_bind_null(st, i + 1);
            break;
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            rc = sqlite3_bind_int64(st, i + 1, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(st, i + 1, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            rc = sqlite3_bind_blob(st, i + 1, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            QString s;
            if (v.typeId() == QMetaType::QDate)
                s = v.toDate().toString(Qt::ISODate);
            else if (v.typeId() == QMetaType::QDateTime)
                s = v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            else
                s = v.toString();
            const QByteArray u = s.toUtf8();
            rc = sqlite3_bind_text(st, i + 1, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        }
        }
        if (rc != SQLITE_OK)
            fail(QStringLiteral("cannot bind a value"), rc);
    }
}

void Database::startPendingTransaction() {
    if (m_tx == TxState::Pending) {
        // An attached file is read-only and cannot take a write lock: its transaction locks with its
        // first write instead.
        execRaw(m_attached.isEmpty() ? "BEGIN IMMEDIATE" : "BEGIN");
        m_tx = TxState::Active;
    }
}

QueryResult Database::query(const QString& sql, const QVariantList& params) {
    bool cached = false;
    QList<QString> attached;
    QueryResult r;
    {
        StatementGuard g{prepare(sql, &cached, &attached), cached};
        bind(g.st, params);
        startPendingTransaction();
        int rc = sqlite3_step(g.st);
        // The columns are read after the first step: a kept statement is prepared again there when its
        // table was made anew, and may then have other columns.
        const int cols = sqlite3_column_count(g.st);
        r.columns.reserve(cols);
        for (int c = 0; c < cols; ++c) {
            r.columns.push_back(QString::fromUtf8(sqlite3_column_name(g.st, c)));
            const char* table = sqlite3_column_table_name(g.st, c);
            const char* origin = sqlite3_column_origin_name(g.st, c);
            r.originTables.push_back(table ? QString::fromUtf8(table) : QString());
            r.originColumns.push_back(origin ? QString::fromUtf8(origin) : QString());
        }
        for (; rc == SQLITE_ROW; rc = sqlite3_step(g.st)) {
            QVector<QVariant> row(cols);
            for (int c = 0; c < cols; ++c)
                row[c] = fromEngine(g.st, c);
            r.rows.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE)
            fail(QStringLiteral("cannot run \"") + sql + u'"', rc);
    }
    if (!attached.isEmpty())
        detachUnlessInTransaction();
    return r;
}

int Database::execute(const QString& sql, const QVariantList& params) {
    bool cached = false;
    QList<QString> attached;
    int changed = 0;
    {
        StatementGuard g{prepare(sql, &cached, &attached), cached};
        bind(g.st, params);
        startPendingTransaction();
        int rc;
        while ((rc = sqlite3_step(g.st)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE)
            fail(QStringLiteral("cannot run \"") + sql + u'"', rc);
        changed = sqlite3_changes(m_db);
    }
    if (!attached.isEmpty())
        detachUnlessInTransaction();
    return changed;
}

QVariant Database::scalar(const QString& sql, const QVariantList& params) {
    const QueryResult r = query(sql, params);
    if (r.rows.isEmpty() || r.rows.first().isEmpty())
        return QVariant();
    return r.rows.first().first();
}

qint64 Database::lastInsertRowId() const {
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

QStringList Database::tableNames() {
    QStringList names;
    for (const auto& row : query(QStringLiteral("select name from sqlite_master where type='table' and "
                                                "substr(name,1,7)<>'sqlite_' order by name"))
                               .rows)
        names.push_back(row.first().toString());
    return names;
}

bool Database::hasTable(const QString& name) {
    return scalar(QStringLiteral(
                      "select count(*) from sqlite_master where type='table' and lower(name)=lower(:n)"),
                  {name})
               .toInt() > 0;
}

void Database::dropTable(const QString& name) {
    QString q = name;
    q.replace(u'"', QLatin1String("\"\""));
    // Statements kept for reuse may refer to the table; they are prepared again when next used.
    execute(QStringLiteral("DROP TABLE \"") + q + u'"');
}

QStringList Database::columnNames(const QString& table) {
    QString q = table;
    q.replace(u'\'', QLatin1String("''"));
    QStringList names;
    for (const auto& row : query(QStringLiteral("PRAGMA table_info('") + q + QStringLiteral("')")).rows)
        names.push_back(row.value(1).toString());
    return names;
}

QString Database::keyColumn(const QString& table) {
    const QString lower = table.toLower();
    auto it = m_keys.constFind(lower);
    if (it != m_keys.constEnd())
        return it.value();
    if (!m_db)
        throw DbError(QStringLiteral("the database is not open"));
    QString key;
    QStringList pk;
    QString pkType;
    QString q = table;
    q.replace(u'\'', QLatin1String("''"));
    for (const auto& row : query(QStringLiteral("PRAGMA table_info('") + q + QStringLiteral("')")).rows) {
        if (row.value(5).toInt() > 0) {
            pk << row.value(1).toString();
            pkType = row.value(2).toString();
        }
    }
    if (pk.size() == 1 && pkType.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) != 0) {
        key = pk.first(); // an INTEGER PRIMARY KEY is the row id itself
    } else if (pk.isEmpty()) {
        for (const auto& ix : query(QStringLiteral("PRAGMA index_list('") + q + QStringLiteral("')")).rows) {
            if (ix.value(2).toInt() != 1)
                continue;
            QString name = ix.value(1).toString();
            name.replace(u'\'', QLatin1String("''"));
            const auto cols = query(QStringLiteral("PRAGMA index_info('") + name + QStringLiteral("')")).rows;
            if (cols.size() == 1) {
                key = cols.first().value(2).toString();
                break;
            }
        }
    }
    m_keys.insert(lower, key);
    return key;
}

void Database::allowZeroLength(const QString& table, const QString& column) {
    const QStringList cols = columnNames(table);
    if (cols.isEmpty())
        throw DbError(QStringLiteral("no table ") + table);
    for (const QString& c : cols)
        if (c.compare(column, Qt::CaseInsensitive) == 0)
            return;
    throw DbError(QStringLiteral("no column %1 in %2").arg(column, table));
}

void Database::beginTransaction() {
    if (!m_db)
        throw DbError(QStringLiteral("the database is not open"));
    if (m_tx != TxState::None)
        throw DbError(QStringLiteral("a transaction is already running"));
    m_tx = TxState::Pending;
}

void Database::commit() {
    if (m_tx == TxState::Active)
        execRaw("COMMIT"); // on failure the transaction stays open for the caller to roll back
    m_tx = TxState::None;
    m_undo.clear();
    detachAll();
}

void Database::rollback() {
    if (m_tx == TxState::Active && !sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_tx = TxState::None;
    const auto undo = std::move(m_undo);
    m_undo.clear();
    for (auto it = undo.crbegin(); it != undo.crend(); ++it)
        (*it)();
    detachAll();
}

void Database::onRollback(std::function<void()> undo) {
    if (m_tx != TxState::None)
        m_undo.push_back(std::move(undo));
}

} // namespace store
