#include "store/DataSet.h"

#include "store/JetSql.h"

#include <algorithm>
#include <cmath>

namespace store {

struct DataSet::Storage {
    QStringList columns;
    QHash<QString, int> index;  // lower-case name -> first column of that name
    QString table;              // where edits go; empty when the rows cannot be written back
    QVector<QString> writeName; // the table's column behind each column, or empty
    int rowidCol = -1;
    int keyCol = -1; // the row's key as read, beside the row id
    QString keyName; // the table's key column
    QList<QVector<QVariant>> rows;
    QVector<bool> deleted;
    quint64 generation = 1; // changes when rows come or go
    // Look-up indexes built on the first Locate of a text column: case-folded text -> rows.
    QHash<int, QMultiHash<QString, int>> lookup;

    static QString lookupKey(const QVariant& v) {
        return v.typeId() == QMetaType::QString ? static_cast<const QString*>(v.constData())->toCaseFolded()
                                                : QString();
    }
    // Keeps the indexes right when a row's values change from before to after.
    void reindex(int row, const QVector<QVariant>* before, const QVector<QVariant>* after) {
        for (auto it = lookup.begin(); it != lookup.end();) {
            const int c = it.key();
            if (before && after && (*before)[c] == (*after)[c]) {
                ++it;
                continue;
            }
            if (after && (*after)[c].isValid() && (*after)[c].typeId() != QMetaType::QString) {
                it = lookup.erase(it); // no longer a column of texts: look-ups scan it again
                continue;
            }
            if (before)
                it.value().remove(lookupKey((*before)[c]), row);
            if (after && (*after)[c].isValid())
                it.value().insert(lookupKey((*after)[c]), row);
            ++it;
        }
    }
};

namespace {

QVariant normalized(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
        return QVariant(v.toLongLong());
    case QMetaType::Float:
        return QVariant(v.toDouble());
    default:
        return v;
    }
}

bool nullish(const QVariant& v) {
    return !v.isValid() || v.isNull();
}

bool sameValue(const QVariant& a, const QVariant& b) {
    return nullish(a) ? nullish(b) : (!nullish(b) && a == b && a.typeId() == b.typeId());
}

// A name in the dialect's brackets (double quotes would read as a text there).
QString quoteName(const QString& n) {
    return u'[' + n + u']';
}

DbError rowGone() {
    return DbError(QStringLiteral("the row being changed is no longer there: nothing was written"));
}

DbError conflict() {
    return DbError(QStringLiteral("the row was changed or deleted elsewhere: nothing was written"));
}

} // namespace

DataSet::DataSet(Database* db) : m_db(db) {}

DataSet::~DataSet() = default;

void DataSet::setDatabase(Database* db) {
    close();
    m_db = db;
}

void DataSet::setCommandText(const QString& sql) {
    m_sql = sql;
    m_tableName.clear();
}

void DataSet::setTableName(const QString& table, const QString& orderBy) {
    m_tableName = table;
    m_sql = QStringLiteral("select * from ") + table;
    if (!orderBy.isEmpty())
        m_sql += QStringLiteral(" order by ") + orderBy;
}

void DataSet::requireActive() const {
    if (m_state == State::Inactive)
        throw DbError(QStringLiteral("the data set is closed"));
}

void DataSet::open() {
    if (active())
        return;
    if (!m_db)
        throw DbError(QStringLiteral("the data set has no connection"));
    QString table;
    QString keyName;
    QueryResult r;
    try {
        const QString withRowId = withSourceRowId(m_sql, &table, [&](const QString& t) {
            keyName = m_db->keyColumn(t);
            return keyName;
        });
        if (!table.isEmpty())
            r = m_db->query(withRowId, m_params);
    } catch (const DbError&) {
        // Rows that cannot carry a row id (a view, an unusual statement) are read as they are.
        table.clear();
    }
    if (table.isEmpty())
        r = m_db->query(m_sql, m_params);

    auto st = std::make_shared<Storage>();
    st->columns = r.columns;
    const bool hasRowId = !table.isEmpty() && !r.columns.isEmpty() && r.columns.first() == u"__rowid";
    st->rowidCol = hasRowId ? 0 : -1;
    st->table = hasRowId ? table : QString();
    if (hasRowId && !keyName.isEmpty() && r.columns.size() > 1 && r.columns[1] == u"__key") {
        st->keyCol = 1;
        st->keyName = keyName;
    }
    st->writeName.resize(r.columns.size());
    for (int c = 0; c < r.columns.size(); ++c) {
        if (c == st->rowidCol || c == st->keyCol)
            continue;
        st->index.insert(r.columns[c].toLower(), st->index.value(r.columns[c].toLower(), c));
        if (hasRowId && r.originTables.value(c).compare(table, Qt::CaseInsensitive) == 0)
            st->writeName[c] = r.originColumns.value(c);
    }
    st->rows = std::move(r.rows);
    st->deleted.fill(false, st->rows.size());
    m_store = std::move(st);
    m_state = State::Browse;
    m_viewGeneration = 0;
    parseSort();
    rebuildView(-1);
    moveTo(0);
}

void DataSet::close() {
    m_state = State::Inactive;
    m_store.reset();
    m_view.clear();
    m_pos = -1;
    m_eof = m_bof = true;
    m_buffer.clear();
    m_original.clear();
    m_editRow = -1;
}

void DataSet::requery() {
    close();
    open();
}

void DataSet::cloneFrom(const DataSet& other) {
    other.requireActive();
    close();
    m_db = other.m_db;
    m_sql = other.m_sql;
    m_params = other.m_params;
    m_tableName = other.m_tableName;
    m_store = other.m_store;
    m_state = State::Browse;
    m_filtered = false;
    m_sortKeys.clear();
    m_sortText.clear();
    m_viewGeneration = 0;
    rebuildView(-1);
    moveTo(0);
}

// The visible rows: not deleted, passing the filter, in sort order. keepRow (a storage row) stays current
// when it is still visible.
void DataSet::rebuildView(int keepRow) {
    ++m_viewVersion;
    m_view.clear();
    if (!m_store)
        return;
    const Storage& st = *m_store;
    m_view.reserve(st.rows.size());
    for (int r = 0; r < st.rows.size(); ++r) {
        if (st.deleted[r])
            continue;
        if (m_filtered && m_filter) {
            const auto& row = st.rows[r];
            const bool pass = m_filter->accepts([&](const QString& name) -> QVariant {
                const int c = column(name);
                return row[c];
            });
            if (!pass)
                continue;
        }
        m_view.push_back(r);
    }
    if (!m_sortKeys.isEmpty()) {
        std::stable_sort(m_view.begin(), m_view.end(), [&](int a, int b) {
            for (const auto& [col, desc] : m_sortKeys) {
                const int c = compareValues(st.rows[a][col], st.rows[b][col]);
                if (c != 0)
                    return desc ? c > 0 : c < 0;
            }
            return false;
        });
    }
    m_viewGeneration = st.generation;
    m_pos = keepRow >= 0 ? int(m_view.indexOf(keepRow)) : -1;
}

void DataSet::syncView() const {
    if (m_store && m_viewGeneration != m_store->generation) {
        auto* self = const_cast<DataSet*>(this);
        const int oldPos = m_pos;
        const int keep = (m_pos >= 0 && m_pos < m_view.size()) ? m_view[m_pos] : -1;
        self->rebuildView(keep);
        // When the current row went away, the row that followed it takes its place, as after remove().
        if (self->m_pos < 0 && !m_view.isEmpty())
            self->m_pos = std::clamp(oldPos, 0, int(m_view.size()) - 1);
        self->m_eof = self->m_bof = m_view.isEmpty();
    }
}

void DataSet::scrolled() {
    if (m_afterScroll)
        m_afterScroll(*this);
}

void DataSet::moveTo(int pos) {
    syncView();
    const int n = int(m_view.size());
    if (n == 0) {
        m_pos = -1;
        m_eof = m_bof = true;
    } else {
        m_pos = std::clamp(pos, 0, n - 1);
        m_eof = m_bof = false;
    }
    scrolled();
}

void DataSet::checkBrowse() {
    requireActive();
    if (m_state == State::Edit || m_state == State::Insert)
        post();
}

void DataSet::first() {
    checkBrowse();
    moveTo(0);
    m_bof = true;
    m_eof = m_view.isEmpty();
}

void DataSet::last() {
    checkBrowse();
    syncView();
    moveTo(int(m_view.size()) - 1);
    m_eof = true;
    m_bof = m_view.isEmpty();
}

void DataSet::next() {
    checkBrowse();
    syncView();
    if (m_pos + 1 >= m_view.size()) {
        m_eof = true;
        return;
    }
    ++m_pos;
    m_bof = false;
    m_eof = false;
    scrolled();
}

void DataSet::prior() {
    checkBrowse();
    syncView();
    if (m_pos <= 0) {
        m_bof = true;
        return;
    }
    --m_pos;
    m_eof = false;
    m_bof = false;
    scrolled();
}

int DataSet::recordCount() const {
    requireActive();
    syncView();
    return int(m_view.size());
}

int DataSet::recNo() const {
    requireActive();
    syncView();
    return m_pos < 0 ? 0 : m_pos + 1;
}

void DataSet::setRecNo(int n) {
    checkBrowse();
    syncView();
    if (n < 1 || n > m_view.size())
        throw DbError(QStringLiteral("record number %1 is out of range").arg(n));
    moveTo(n - 1);
}

bool DataSet::locate(const QString& field, const QVariant& value) {
    checkBrowse();
    syncView();
    const int c = column(field);
    const QVariant want = normalized(value);
    Storage& st = *m_store;
    // Texts are found through an index of the column, built once: the counters locate chapter and log
    // rows for every answer.
    if (want.typeId() == QMetaType::QString) {
        auto it = st.lookup.find(c);
        if (it == st.lookup.end()) {
            bool allTexts = true;
            QMultiHash<QString, int> index;
            for (int r = 0; r < st.rows.size() && allTexts; ++r) {
                const QVariant& v = st.rows[r][c];
                if (v.typeId() == QMetaType::QString)
                    index.insert(Storage::lookupKey(v), r);
                else
                    allTexts = !v.isValid();
            }
            if (allTexts)
                it = st.lookup.insert(c, index);
        }
        if (it != st.lookup.end()) {
            if (m_rowPos.size() != st.rows.size() || m_rowPosVersion != m_viewVersion) {
                m_rowPos.fill(-1, st.rows.size());
                for (int i = 0; i < m_view.size(); ++i)
                    m_rowPos[m_view[i]] = i;
                m_rowPosVersion = m_viewVersion;
            }
            int best = -1;
            const auto range = it.value().equal_range(Storage::lookupKey(want));
            for (auto r = range.first; r != range.second; ++r) {
                const int pos = r.value() < m_rowPos.size() ? m_rowPos[r.value()] : -1;
                if (pos >= 0 && !st.deleted[r.value()] && (best < 0 || pos < best))
                    best = pos;
            }
            if (best < 0)
                return false;
            moveTo(best);
            return true;
        }
    }
    for (int i = 0; i < m_view.size(); ++i) {
        const QVariant& have = st.rows[m_view[i]][c];
        if (nullish(want) ? nullish(have) : (!nullish(have) && compareValues(have, want) == 0)) {
            moveTo(i);
            return true;
        }
    }
    return false;
}

QStringList DataSet::fieldNames() const {
    requireActive();
    QStringList names;
    for (int c = 0; c < m_store->columns.size(); ++c)
        if (!isHidden(c))
            names << m_store->columns[c];
    return names;
}

bool DataSet::isHidden(int c) const {
    return c == m_store->rowidCol || c == m_store->keyCol;
}

int DataSet::fieldIndex(const QString& name) const {
    if (!m_store)
        return -1;
    return m_store->index.value(name.toLower(), -1);
}

int DataSet::column(const QString& name) const {
    const int c = fieldIndex(name);
    if (c < 0)
        throw DbError(QStringLiteral("field '%1' not found").arg(name));
    return c;
}

int DataSet::storageRow() const {
    syncView();
    if (m_pos < 0 || m_pos >= m_view.size())
        throw DbError(QStringLiteral("no current record"));
    return m_view[m_pos];
}

const QVector<QVariant>& DataSet::currentRow() const {
    requireActive();
    if (m_state == State::Edit || m_state == State::Insert)
        return m_buffer;
    return m_store->rows[storageRow()];
}

QVariant DataSet::value(const QString& name) const {
    const int c = column(name);
    return currentRow()[c];
}

bool DataSet::isNull(const QString& name) const {
    return nullish(value(name));
}

qint64 DataSet::asInteger(const QString& name) const {
    const QVariant v = value(name);
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return 0;
    case QMetaType::LongLong:
        return v.toLongLong();
    case QMetaType::Double:
        return qint64(std::nearbyint(v.toDouble()));
    case QMetaType::QString: {
        const QString s = v.toString().trimmed();
        if (s.isEmpty())
            return 0;
        bool ok = false;
        const qint64 i = s.toLongLong(&ok);
        if (ok)
            return i;
        const double d = s.toDouble(&ok);
        if (ok)
            return qint64(std::nearbyint(d));
        throw DbError(QStringLiteral("'%1' is not a valid integer value").arg(s));
    }
    default:
        throw DbError(QStringLiteral("field '%1' is not a number").arg(name));
    }
}

double DataSet::asFloat(const QString& name) const {
    const QVariant v = value(name);
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return 0;
    case QMetaType::LongLong:
    case QMetaType::Double:
        return v.toDouble();
    case QMetaType::QString: {
        const QString s = v.toString().trimmed();
        if (s.isEmpty())
            return 0;
        bool ok = false;
        const double d = s.toDouble(&ok);
        if (!ok)
            throw DbError(QStringLiteral("'%1' is not a valid floating point value").arg(s));
        return d;
    }
    default:
        throw DbError(QStringLiteral("field '%1' is not a number").arg(name));
    }
}

QString DataSet::asString(const QString& name) const {
    const QVariant v = value(name);
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return QString();
    case QMetaType::Double:
        return QString::number(v.toDouble(), 'g', 15);
    case QMetaType::QByteArray:
        return QString::fromUtf8(v.toByteArray());
    default:
        return v.toString();
    }
}

QDate DataSet::asDate(const QString& name) const {
    const QVariant v = value(name);
    if (nullish(v))
        return QDate();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

QByteArray DataSet::asBytes(const QString& name) const {
    const QVariant v = value(name);
    if (v.typeId() == QMetaType::QString)
        return v.toString().toUtf8();
    return v.toByteArray();
}

void DataSet::setValue(const QString& name, const QVariant& value) {
    requireActive();
    const int c = column(name);
    if (m_state == State::Browse)
        edit();
    m_buffer[c] = normalized(value);
}

void DataSet::edit() {
    requireActive();
    if (m_state != State::Browse)
        return;
    const int r = storageRow();
    m_buffer = m_store->rows[r];
    m_original = m_buffer;
    m_editRow = r;
    m_state = State::Edit;
}

void DataSet::append() {
    checkBrowse();
    m_buffer = QVector<QVariant>(m_store->columns.size());
    m_original.clear();
    m_editRow = -1;
    m_state = State::Insert;
}

void DataSet::cancel() {
    requireActive();
    m_buffer.clear();
    m_original.clear();
    m_editRow = -1;
    m_state = State::Browse;
}

// "rowid=? and [key] is ?" for storage row r, with its values.
QString DataSet::whereRow(int r, QVariantList* values) const {
    const Storage& st = *m_store;
    QString where = QStringLiteral("rowid=?");
    values->push_back(st.rows[r][st.rowidCol]);
    if (st.keyCol >= 0) {
        where += QStringLiteral(" and ") + quoteName(st.keyName) + QStringLiteral(" is ?");
        values->push_back(st.rows[r][st.keyCol]);
    }
    return where;
}

void DataSet::refreshRow() {
    requireActive();
    if (m_state != State::Browse)
        throw DbError(QStringLiteral("a row being edited cannot be read again"));
    Storage& st = *m_store;
    if (st.table.isEmpty())
        throw DbError(QStringLiteral("these rows cannot be read again"));
    const int r = storageRow();
    QStringList names;
    QList<int> cols;
    for (int c = 0; c < st.columns.size(); ++c) {
        if (isHidden(c) || st.writeName[c].isEmpty())
            continue;
        names << quoteName(st.writeName[c]);
        cols << c;
    }
    QVariantList values;
    const QString where = whereRow(r, &values);
    const QueryResult q =
        m_db->query(QStringLiteral("select ") + (names.isEmpty() ? QStringLiteral("1") : names.join(u',')) +
                        QStringLiteral(" from ") + quoteName(st.table) + QStringLiteral(" where ") + where,
                    values);
    std::weak_ptr<Storage> weak = m_store;
    if (q.rows.isEmpty()) {
        st.deleted[r] = true;
        ++st.generation;
        m_db->onRollback([weak, r] {
            if (auto s = weak.lock()) {
                s->deleted[r] = false;
                ++s->generation;
            }
        });
        throw DbError(QStringLiteral("the row is no longer in the bank"));
    }
    const QVector<QVariant> before = st.rows[r];
    QVector<QVariant> after = before;
    bool changed = false;
    for (int i = 0; i < cols.size(); ++i) {
        if (!sameValue(after[cols[i]], q.rows.first()[i])) {
            after[cols[i]] = q.rows.first()[i];
            changed = true;
        }
    }
    if (!changed)
        return;
    st.reindex(r, &before, &after);
    st.rows[r] = after;
    m_db->onRollback([weak, r, before] {
        if (auto s = weak.lock()) {
            s->reindex(r, &s->rows[r], &before);
            s->rows[r] = before;
        }
    });
}

void DataSet::writeUpdate() {
    Storage& st = *m_store;
    const int r = m_editRow;
    if (r < 0 || r >= st.rows.size() || st.deleted[r])
        throw rowGone();
    // Only what this edit changed, compared with the row as it was at edit(): a clone's changes to other
    // columns since then stay.
    QStringList sets;
    QVariantList values;
    QList<int> changed;
    for (int c = 0; c < st.columns.size(); ++c) {
        if (isHidden(c) || sameValue(m_original[c], m_buffer[c]))
            continue;
        if (st.writeName[c].isEmpty())
            throw DbError(QStringLiteral("field '%1' cannot be changed").arg(st.columns[c]));
        sets.push_back(quoteName(st.writeName[c]) + QStringLiteral("=?"));
        values.push_back(m_buffer[c]);
        changed << c;
    }
    if (sets.isEmpty())
        return;
    const QString where = whereRow(r, &values);
    if (m_db->execute(QStringLiteral("update ") + quoteName(st.table) + QStringLiteral(" set ") +
                          sets.join(u',') + QStringLiteral(" where ") + where,
                      values) == 0)
        throw conflict();
    const QVector<QVariant> before = st.rows[r];
    QVector<QVariant> after = before;
    for (int c : std::as_const(changed)) {
        after[c] = m_buffer[c];
        if (st.keyCol >= 0 && st.writeName[c].compare(st.keyName, Qt::CaseInsensitive) == 0)
            after[st.keyCol] = m_buffer[c];
    }
    st.reindex(r, &before, &after);
    st.rows[r] = after;
    std::weak_ptr<Storage> weak = m_store;
    m_db->onRollback([weak, r, before] {
        if (auto s = weak.lock()) {
            s->reindex(r, &s->rows[r], &before);
            s->rows[r] = before;
        }
    });
}

void DataSet::writeInsert() {
    Storage& st = *m_store;
    QStringList names;
    QStringList marks;
    QVariantList values;
    for (int c = 0; c < st.columns.size(); ++c) {
        if (isHidden(c) || nullish(m_buffer[c]))
            continue;
        if (st.writeName[c].isEmpty())
            throw DbError(QStringLiteral("field '%1' cannot be changed").arg(st.columns[c]));
        names.push_back(quoteName(st.writeName[c]));
        marks.push_back(QStringLiteral("?"));
        values.push_back(m_buffer[c]);
    }
    const QString table = quoteName(st.table);
    if (names.isEmpty())
        m_db->execute(QStringLiteral("insert into ") + table + QStringLiteral(" default values"));
    else
        m_db->execute(QStringLiteral("insert into ") + table + u'(' + names.join(u',') +
                          QStringLiteral(") values(") + marks.join(u',') + u')',
                      values);
    const qint64 rowid = m_db->lastInsertRowId();
    // Read the row back so that defaults show as the table holds them.
    const QueryResult back =
        m_db->query(QStringLiteral("select * from ") + table + QStringLiteral(" where rowid=?"), {rowid});
    QVector<QVariant> row = m_buffer;
    row[st.rowidCol] = rowid;
    if (!back.rows.isEmpty()) {
        for (int c = 0; c < st.columns.size(); ++c) {
            const QString name = c == st.keyCol ? st.keyName : st.writeName[c];
            if (name.isEmpty())
                continue;
            for (int b = 0; b < back.columns.size(); ++b)
                if (back.columns[b].compare(name, Qt::CaseInsensitive) == 0)
                    row[c] = back.rows.first()[b];
        }
    }
    st.rows.push_back(row);
    st.deleted.push_back(false);
    ++st.generation;
    const int r = int(st.rows.size()) - 1;
    st.reindex(r, nullptr, &st.rows[r]);
    // The new row becomes current.
    rebuildView(r);
    if (m_pos < 0) {
        m_view.push_back(r);
        m_pos = int(m_view.size()) - 1;
    }
    std::weak_ptr<Storage> weak = m_store;
    m_db->onRollback([weak, r] {
        if (auto s = weak.lock()) {
            s->deleted[r] = true;
            ++s->generation;
        }
    });
}

void DataSet::post() {
    requireActive();
    if (m_state == State::Browse)
        return;
    if (m_store->table.isEmpty())
        throw DbError(QStringLiteral("these rows cannot be changed"));
    if (m_state == State::Edit)
        writeUpdate();
    else
        writeInsert();
    m_state = State::Browse;
    m_buffer.clear();
    m_original.clear();
    m_editRow = -1;
    m_eof = m_bof = false;
    scrolled();
}

void DataSet::remove() {
    requireActive();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    Storage& st = *m_store;
    if (st.table.isEmpty())
        throw DbError(QStringLiteral("these rows cannot be changed"));
    const int r = m_state == State::Edit ? m_editRow : storageRow();
    if (r < 0 || st.deleted[r])
        throw rowGone();
    QVariantList values;
    const QString where = whereRow(r, &values);
    // A pending edit is dropped only once the row is really gone.
    if (m_db->execute(QStringLiteral("delete from ") + quoteName(st.table) + QStringLiteral(" where ") +
                          where,
                      values) == 0)
        throw conflict();
    m_state = State::Browse;
    m_buffer.clear();
    m_original.clear();
    m_editRow = -1;
    st.deleted[r] = true;
    ++st.generation;
    const int pos = m_pos;
    rebuildView(-1);
    moveTo(pos);
    std::weak_ptr<Storage> weak = m_store;
    m_db->onRollback([weak, r] {
        if (auto s = weak.lock()) {
            s->deleted[r] = false;
            ++s->generation;
        }
    });
}

void DataSet::setFilter(const QString& expression) {
    std::optional<Filter> next;
    if (!expression.trimmed().isEmpty())
        next.emplace(expression); // a malformed expression throws here, before anything changed
    if (!(active() && m_filtered)) {
        m_filter = std::move(next);
        m_filterText = expression;
        return;
    }
    checkBrowse();
    const int keep = (m_pos >= 0 && m_pos < m_view.size()) ? m_view[m_pos] : -1;
    std::optional<Filter> previous = std::move(m_filter);
    const QString previousText = m_filterText;
    m_filter = std::move(next);
    m_filterText = expression;
    try {
        rebuildView(-1);
    } catch (...) {
        // A filter naming a column the rows lack: the previous filter and rows stay.
        m_filter = std::move(previous);
        m_filterText = previousText;
        rebuildView(keep);
        throw;
    }
    moveTo(0);
}

void DataSet::setFiltered(bool on) {
    if (m_filtered == on)
        return;
    if (!active()) {
        m_filtered = on;
        return;
    }
    checkBrowse();
    const int keep = (m_pos >= 0 && m_pos < m_view.size()) ? m_view[m_pos] : -1;
    m_filtered = on;
    try {
        rebuildView(-1);
    } catch (...) {
        m_filtered = !on;
        rebuildView(keep);
        throw;
    }
    moveTo(0);
}

void DataSet::setSort(const QString& sort) {
    if (active()) {
        checkBrowse();
        m_sortKeys = sortKeysOf(sort); // an unknown column throws before anything changed
    }
    m_sortText = sort;
    if (active()) {
        rebuildView(-1);
        moveTo(0);
    }
}

QList<QPair<int, bool>> DataSet::sortKeysOf(const QString& sort) const {
    QList<QPair<int, bool>> keys;
    for (const QString& part : sort.split(u',', Qt::SkipEmptyParts)) {
        const QStringList words = part.simplified().split(u' ');
        if (words.first().isEmpty())
            continue;
        const bool desc =
            words.size() > 1 && words[1].compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0;
        keys.push_back({column(words.first()), desc});
    }
    return keys;
}

void DataSet::parseSort() {
    m_sortKeys = sortKeysOf(m_sortText);
}

} // namespace store
