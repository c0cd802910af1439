#pragma once

#include "store/Database.h"
#include "store/Filter.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

namespace store {

// An in-memory cursor over the rows of one query (or of one table in an index order). Filters and sort
// orders work on the rows already fetched and never run the query again; edits, appends and deletes are
// written back to the table the rows came from, by row id and the table's key. Clones share the rows,
// not the position.
//
// An edit belongs to the row it started on: if that row is gone when it is posted (deleted through a
// clone, or undone by a rolled-back transaction), post() fails and writes nothing. A post writes only the
// columns the edit changed, and fails when the bank no longer holds the row (deleted or replaced
// elsewhere) instead of changing nothing or another row.
class DataSet {
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit DataSet(Database* db = nullptr);
    ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    void setDatabase(Database* db);
    Database* database() const { return m_db; }

    // The statement to run on open. Setting it closes nothing; it takes effect on the next open.
    void setCommandText(const QString& sql);
    const QString& commandText() const { return m_sql; }
    // Values for the statement's parameters, by position.
    void setParams(const QVariantList& params) { m_params = params; }
    // A table cursor: all rows of the table, in the given column order when one is given.
    void setTableName(const QString& table, const QString& orderBy = QString());
    const QString& tableName() const { return m_tableName; }

    void open();
    void close();
    bool active() const { return m_state != State::Inactive; }
    void setActive(bool on) { on ? open() : close(); }
    // Runs the statement again, keeping filter and sort; moves to the first row.
    void requery();
    // Shares other's rows with its own position, filter and sort.
    void cloneFrom(const DataSet& other);

    State state() const { return m_state; }
    void first();
    void next();
    void prior();
    void last();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty() const { return recordCount() == 0; }
    int recordCount() const;
    // 1-based position inside the filtered and sorted rows, 0 when there is none.
    int recNo() const;
    void setRecNo(int n);
    // Moves to the first row whose field equals value, ignoring letter case. False leaves the position.
    bool locate(const QString& field, const QVariant& value);

    QStringList fieldNames() const;
    int fieldIndex(const QString& name) const;
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }
    QVariant value(const QString& name) const;
    bool isNull(const QString& name) const;
    qint64 asInteger(const QString& name) const;
    double asFloat(const QString& name) const;
    QString asString(const QString& name) const;
    QDate asDate(const QString& name) const;
    QByteArray asBytes(const QString& name) const;
    // Puts the row in edit mode when it is not in edit or insert mode already.
    void setValue(const QString& name, const QVariant& value);

    void edit();
    void append();
    void post();
    void cancel();
    // Deletes the current row from the table and the rows. When the delete fails, a pending edit stays.
    void remove();
    // Reads the current row again from its table, so that it shows what the bank holds now (inside a
    // write transaction: what the transaction will change). Throws when the bank no longer holds it.
    void refreshRow();

    // A filter expression ("A13=61 and f1<>1"); applies while filtered is on. A filter that cannot be
    // read or applied throws and leaves the previous filter and rows.
    void setFilter(const QString& expression);
    const QString& filter() const { return m_filterText; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }
    // "A1 ASC, A3_1 DESC"; empty keeps the query's order.
    void setSort(const QString& sort);
    const QString& sort() const { return m_sortText; }

    // Called whenever the current row changes.
    void setAfterScroll(std::function<void(DataSet&)> fn) { m_afterScroll = std::move(fn); }

    struct Storage;

private:
    const QVector<QVariant>& currentRow() const;
    int column(const QString& name) const;
    int storageRow() const;
    bool isHidden(int c) const;
    QString whereRow(int r, QVariantList* values) const;
    void rebuildView(int keepRow);
    void syncView() const;
    void moveTo(int pos);
    void checkBrowse();
    void requireActive() const;
    void writeInsert();
    void writeUpdate();
    void scrolled();
    void parseSort();
    QList<QPair<int, bool>> sortKeysOf(const QString& sort) const;

    Database* m_db = nullptr;
    QString m_sql;
    QVariantList m_params;
    QString m_tableName;
    std::shared_ptr<Storage> m_store;
    mutable QVector<int> m_view;
    mutable quint64 m_viewGeneration = 0;
    QVector<int> m_rowPos; // storage row -> position in the view, for indexed look-ups
    quint64 m_viewVersion = 0;
    quint64 m_rowPosVersion = ~quint64(0);
    int m_pos = -1;
    bool m_eof = true;
    bool m_bof = true;
    State m_state = State::Inactive;
    QVector<QVariant> m_buffer;
    QVector<QVariant> m_original; // the row as it was at edit()
    int m_editRow = -1;           // the storage row the edit belongs to
    QString m_filterText;
    std::optional<Filter> m_filter;
    bool m_filtered = false;
    QString m_sortText;
    QList<QPair<int, bool>> m_sortKeys;
    std::function<void(DataSet&)> m_afterScroll;
};

} // namespace store
