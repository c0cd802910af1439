#include "tools/BankCheck.h"

#include "tools/BankQuality.h"
#include "tools/BankRecount.h"
#include "tools/UpgradeBase.h"

#include "richtext/RichText.h"
#include "store/BankKey.h"
#include "store/Database.h"
#include "store/DrawPlan.h"
#include "store/Schema.h"
#include "tools/AnswerKey.h"

#include <sqlcipher/sqlite3.h>

#include <QHash>
#include <QSet>

namespace tools {

void CheckReport::add(CheckProblem::Severity severity, const QString& topic, const QString& text) {
    const bool isError = severity == CheckProblem::Severity::Error;
    (isError ? m_errors : m_warnings) += 1;
    int kept = 0;
    for (const CheckProblem& p : m_problems)
        if (p.severity == severity && p.topic == topic)
            ++kept;
    if (kept >= KeptPerTopic) {
        m_leftOut[(isError ? QStringLiteral("error: ") : QStringLiteral("warning: ")) + topic] += 1;
        return;
    }
    m_problems.push_back({severity, topic, text});
}

bool CheckReport::has(const QString& topic, const QString& fragment, CheckProblem::Severity severity) const {
    for (const CheckProblem& p : m_problems)
        if (p.severity == severity && p.topic == topic && p.text.contains(fragment))
            return true;
    return false;
}

QStringList CheckReport::lines() const {
    QStringList out;
    for (const CheckProblem& p : m_problems)
        out << (p.severity == CheckProblem::Severity::Error ? QStringLiteral("error: ")
                                                            : QStringLiteral("warning: ")) +
                   p.topic + QStringLiteral(": ") + p.text;
    for (auto it = m_leftOut.cbegin(); it != m_leftOut.cend(); ++it)
        out << it.key() + QStringLiteral(": %1 more of the same").arg(it.value());
    return out;
}

namespace {

// The rows of one statement, read one at a time: a bank of a million questions never sits in memory.
// The statements are written for the engine itself, not in the windows' dialect.
class Rows {
public:
    Rows(store::Database& db, const char* sql, const QStringList& params = {}) : m_db(db.handle()) {
        const int rc = sqlite3_prepare_v2(m_db, sql, -1, &m_st, nullptr);
        if (rc != SQLITE_OK)
            throw store::DbError(QString::fromUtf8(sqlite3_errmsg(m_db)) + QStringLiteral(" in: ") +
                                     QString::fromUtf8(sql),
                                 rc);
        for (int i = 0; i < params.size(); ++i) {
            const QByteArray v = params[i].toUtf8();
            sqlite3_bind_text(m_st, i + 1, v.constData(), int(v.size()), SQLITE_TRANSIENT);
        }
    }
    ~Rows() { sqlite3_finalize(m_st); }
    Rows(const Rows&) = delete;
    Rows& operator=(const Rows&) = delete;

    bool next() {
        const int rc = sqlite3_step(m_st);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        throw store::DbError(QString::fromUtf8(sqlite3_errmsg(m_db)), rc);
    }
    bool isNull(int c) const { return sqlite3_column_type(m_st, c) == SQLITE_NULL; }
    qint64 integer(int c) const { return sqlite3_column_int64(m_st, c); }
    double number(int c) const { return sqlite3_column_double(m_st, c); }
    QString text(int c) const {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_st, c)),
                                 sqlite3_column_bytes(m_st, c));
    }
    QByteArray blob(int c) const {
        const void* p = sqlite3_column_blob(m_st, c);
        return QByteArray(static_cast<const char*>(p), sqlite3_column_bytes(m_st, c));
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_st = nullptr;
};

qint64 count(store::Database& db, const char* sql, const QStringList& params = {}) {
    Rows r(db, sql, params);
    return r.next() ? r.integer(0) : 0;
}

// The columns of every table of a new bank, in order: an upgrade is copied with "select *".
const QList<QPair<QString, QStringList>>& referenceTables() {
    static const QList<QPair<QString, QStringList>> tables = [] {
        QList<QPair<QString, QStringList>> out;
        store::Database mem;
        mem.open(QStringLiteral(":memory:"), QByteArray(), store::Database::OpenMode::Create);
        store::CreateBankSchema(mem);
        for (const QString& t : mem.tableNames())
            out.push_back({t, mem.columnNames(t)});
        return out;
    }();
    return tables;
}

struct Row {
    QString code;
    QString parent;
};

// Rows listed in display order must each come inside the block of its parent; returns the rows that
// stand elsewhere.
QStringList outOfPlace(const QList<Row>& rows, const QSet<QString>& present) {
    QStringList out, path;
    for (const Row& r : rows) {
        if (r.parent.isEmpty()) {
            path = {r.code};
            continue;
        }
        while (!path.isEmpty() && path.last() != r.parent)
            path.removeLast();
        if (path.isEmpty() && present.contains(r.parent))
            out << r.code;
        if (path.isEmpty())
            path = {r.code};
        else
            path.push_back(r.code);
    }
    return out;
}

} // namespace

QString DamageOf(const QByteArray& blob) {
    if (blob.isEmpty())
        return {};
    // Rich text never holds a zero byte; a page of zeros in the middle of a blob is damage the engine's
    // own check does not see.
    if (blob.contains('\0'))
        return QStringLiteral("holds zero bytes (a damaged page)");
    if (blob.startsWith("{\\rtf")) {
        int depth = 0;
        for (qsizetype i = 0; i < blob.size(); ++i) {
            const char c = blob[i];
            if (c == '\\')
                ++i; // an escaped brace or backslash
            else if (c == '{')
                ++depth;
            else if (c == '}')
                --depth;
        }
        if (depth > 0)
            return QStringLiteral("is cut short (it ends before its last closing brace)");
    }
    if (richtext::plainText(blob).contains(QChar(0xFFFD)))
        return QStringLiteral("holds characters that cannot be read");
    return {};
}

namespace {

class Checker {
public:
    Checker(store::Database& db, const CheckOptions& options, CheckReport& report)
        : m_db(db), m_opt(options), m_rep(report) {}

    void run() {
        step("integrity", [this] { integrity(); });
        bool schemaOk = true;
        step("schema", [&] { schemaOk = schema(); });
        if (!schemaOk) {
            m_rep.error(QStringLiteral("schema"),
                        QStringLiteral("the tables differ from a bank's: nothing further "
                                       "was checked"));
            return;
        }
        step("identity", [this] { identity(); });
        step("types", [this] { types(); });
        step("chapter", [this] { chapters(); });
        step("catalogue", [this] { catalogue(); });
        step("question", [this] { questions(); });
        step("stem", [this] { contents(); });
        step("counter", [this] { counters(); });
        if (!m_opt.upgrade) {
            step("draw", [this] { drawPlan(); });
            if (!m_opt.learner)
                step("quality", [this] { quality(); });
        }
    }

private:
    template <class F> void step(const char* topic, F f) {
        try {
            f();
        } catch (const store::DbError& e) {
            m_rep.error(QString::fromLatin1(topic), QStringLiteral("could not be read: ") + e.message());
        }
    }

    void integrity() {
        Rows r(m_db, "PRAGMA integrity_check");
        while (r.next())
            if (r.text(0) != u"ok")
                m_rep.error(QStringLiteral("integrity"), r.text(0));
    }

    bool schema() {
        bool ok = true;
        for (const auto& [table, columns] : referenceTables()) {
            if (!m_db.hasTable(table)) {
                m_rep.error(QStringLiteral("schema"), QStringLiteral("table %1 is missing").arg(table));
                ok = false;
                continue;
            }
            const QStringList have = m_db.columnNames(table);
            if (have.join(u',').compare(columns.join(u','), Qt::CaseInsensitive) != 0) {
                m_rep.error(QStringLiteral("schema"), QStringLiteral("%1 has the columns %2, a bank's has %3")
                                                          .arg(table, have.join(u','), columns.join(u',')));
                ok = false;
            }
        }
        return ok;
    }

    void identity() {
        const qint64 rows = count(m_db, "select count(*) from tab_sj");
        const qint64 products = count(m_db, "select count(*) from tab_sj where trim(coalesce(cpbs,''))<>''");
        if (m_opt.upgrade) {
            if (rows != 1 || products != 1 ||
                count(m_db, "select count(*) from tab_sj where trim(coalesce(sjbs,''))<>''") != 1)
                m_rep.error(QStringLiteral("identity"),
                            QStringLiteral(
                                "an upgrade file holds one tab_sj row with its upgrade id and product id"));
            return;
        }
        if (products == 0)
            m_rep.error(QStringLiteral("identity"), QStringLiteral("tab_sj has no row with the product id"));
        m_upgradesApplied = rows > 1;
        if (count(m_db, "select count(*) from tab_plan") == 0)
            m_rep.error(QStringLiteral("identity"), QStringLiteral("tab_plan has no settings row"));
        else if (count(m_db, "select count(*) from tab_plan where coalesce(ExamTime,0) <= 0 or "
                             "coalesce(PlanMark,0) not in (0,1)") > 0)
            m_rep.error(QStringLiteral("identity"),
                        QStringLiteral("tab_plan: the exam time must be positive and PlanMark 0 or 1"));
    }

    void types() {
        for (int kind = 1; kind <= store::PaperKindCount; ++kind) {
            const QString table = store::TypeTableName(kind);
            const QByteArray sql = "select A1, B1, B2, B3, time from " + table.toLatin1() + " order by A1";
            Rows r(m_db, sql.constData());
            QSet<int> ids;
            while (r.next()) {
                const int id = int(r.integer(0));
                const QString name = r.text(1).trimmed();
                const int inPaper = int(r.integer(2));
                ids.insert(id);
                if (!m_typeNames.contains(id) || m_typeNames.value(id).isEmpty())
                    m_typeNames.insert(id, name);
                m_typeDrawn[kind].insert(id, inPaper);
                if (m_opt.upgrade)
                    continue;
                const QString at = QStringLiteral("%1 type %2").arg(table).arg(id);
                if (name.isEmpty())
                    m_rep.error(QStringLiteral("types"), at + QStringLiteral(" has no name"));
                if (id >= 71 && id <= 74 && !isSubjectiveTypeName(name))
                    m_rep.error(
                        QStringLiteral("types"),
                        at + QStringLiteral(" is answer-hidden but \"%1\" is no subjective name").arg(name));
                if (inPaper != store::DrawTotal(kind, id))
                    m_rep.error(QStringLiteral("types"),
                                at + QStringLiteral(": %1 in a paper, the draw plan has %2")
                                         .arg(inPaper)
                                         .arg(store::DrawTotal(kind, id)));
                if (inPaper > 0 && r.number(3) <= 0)
                    m_rep.error(QStringLiteral("types"), at + QStringLiteral(" is drawn but scores nothing"));
                if (r.number(4) < 0.1 - 1e-9 || r.number(4) > 30 + 1e-9)
                    m_rep.error(QStringLiteral("types"),
                                at +
                                    QStringLiteral(": %1 minutes per question (0.1 to 30)").arg(r.number(4)));
            }
            if (m_opt.upgrade)
                continue;
            for (const int id : store::DrawTypes(kind))
                if (!ids.contains(id))
                    m_rep.error(
                        QStringLiteral("types"),
                        QStringLiteral("%1 lacks type %2 that the draw plan draws").arg(table).arg(id));
            Rows used(m_db, "select A13, count(*) from tab_answ group by A13");
            while (used.next())
                if (!ids.contains(int(used.integer(0))))
                    m_rep.error(QStringLiteral("types"),
                                QStringLiteral("type %1 of %2 question(s) is not in %3")
                                    .arg(used.integer(0))
                                    .arg(used.integer(1))
                                    .arg(table));
        }
        if (m_opt.upgrade && !m_typeNames.isEmpty())
            m_rep.warning(QStringLiteral("types"),
                          QStringLiteral("an upgrade's question types are never copied"));
    }

    void chapters() {
        Rows r(m_db, "select C1 from tab_kmmc order by bh, rowid");
        QList<Row> rows;
        while (r.next()) {
            const QString code = r.text(0);
            const QString key = code.toLower();
            if (code != u"xx" && code.size() != 1 && code.size() != 2 && code.size() != 4 && code.size() != 6)
                m_rep.error(QStringLiteral("chapter"),
                            QStringLiteral("\"%1\": codes have 1, 2, 4 or 6 characters").arg(code));
            if (m_chapters.contains(key))
                m_rep.error(QStringLiteral("chapter"), QStringLiteral("%1 appears twice").arg(code));
            m_chapters.insert(key);
            if (code != u"xx")
                rows.push_back({key, chapterParentCode(key)});
        }
        if (m_opt.upgrade)
            return; // the parents are in the learner's bank, and so is the order around the new rows
        for (const Row& row : rows)
            if (!row.parent.isEmpty() && !m_chapters.contains(row.parent))
                m_rep.error(QStringLiteral("chapter"),
                            QStringLiteral("%1 has no parent %2").arg(row.code, row.parent));
        for (const QString& code : outOfPlace(rows, m_chapters))
            m_rep.warning(QStringLiteral("chapter"),
                          QStringLiteral("%1 is listed outside the rows of its parent (order bh)").arg(code));
    }

    void catalogue() {
        QList<Row> rows;
        Rows r(m_db, "select id from tab_fgmc order by bh, rowid");
        while (r.next()) {
            const QString id = r.text(0);
            const QString key = id.toLower();
            if (id.size() != 1 && id.size() != 2 && id.size() != 6)
                m_rep.error(QStringLiteral("catalogue"),
                            QStringLiteral("\"%1\": ids have 1, 2 or 6 characters").arg(id));
            if (m_catalogue.contains(key))
                m_rep.error(QStringLiteral("catalogue"), QStringLiteral("%1 appears twice").arg(id));
            m_catalogue.insert(key);
            rows.push_back({key, catalogueParentId(key)});
        }
        if (!m_opt.upgrade) {
            for (const Row& row : rows)
                if (!row.parent.isEmpty() && !m_catalogue.contains(row.parent))
                    m_rep.error(QStringLiteral("catalogue"),
                                QStringLiteral("%1 has no upper row %2").arg(row.code, row.parent));
            for (const QString& id : outOfPlace(rows, m_catalogue))
                m_rep.warning(
                    QStringLiteral("catalogue"),
                    QStringLiteral("%1 is listed outside the rows of its upper row (order bh)").arg(id));
        }

        Rows p(m_db, "select id, ftid, sn, n from tab_rule");
        while (p.next()) {
            const QString section = p.text(0), ftid = p.text(1);
            const QString key = ftid.toLower();
            if (ftid.size() < 7 || ftid.size() > store::PointIdLength)
                m_rep.error(QStringLiteral("point"),
                            QStringLiteral("\"%1\": ids have 7 to 12 characters").arg(ftid));
            if (m_points.contains(key))
                m_rep.error(QStringLiteral("point"), QStringLiteral("%1 appears twice").arg(ftid));
            m_points.insert(key);
            if (section.compare(ftid.left(6), Qt::CaseInsensitive) != 0)
                m_rep.error(QStringLiteral("point"),
                            QStringLiteral("%1 is filed under %2, not under its first six characters")
                                .arg(ftid, section));
            else if (!m_catalogue.contains(section.toLower()) && !m_opt.upgrade)
                m_rep.error(QStringLiteral("point"),
                            QStringLiteral("%1: no catalogue section %2").arg(ftid, section));
            if (p.text(2).trimmed().isEmpty())
                m_rep.error(QStringLiteral("point"), QStringLiteral("%1 has no title").arg(ftid));
            if (richtext::plainText(p.blob(3)).trimmed().isEmpty())
                m_rep.warning(QStringLiteral("point"), QStringLiteral("%1 has no text").arg(ftid));
        }
    }

    void questions() {
        Rows t(m_db, "select A1 from tab_title");
        while (t.next())
            m_groups.insert(t.text(0).toLower());
        m_learnerAdded = count(m_db, "select count(*) from tab_answ where F1=2") > 0;
        m_edited = count(m_db, "select count(*) from tab_answ where coalesce(ecount,0)<>0") > 0;

        Rows r(m_db, "select A1, A2, A2_1, K3, K4, K5, K6, K7, K8, K9, K10, K11, K12, A10, A13, F1 "
                     "from tab_answ");
        while (r.next()) {
            const QString id = r.text(0);
            const QString key = id.toLower();
            const QString at = QStringLiteral("question ") + id;
            if (id.isEmpty() || id.size() > store::QuestionIdLength)
                m_rep.error(QStringLiteral("question"),
                            QStringLiteral("\"%1\": ids have 1 to 20 characters").arg(id));
            if (m_questions.contains(key))
                m_rep.error(QStringLiteral("question"), at + QStringLiteral(" appears twice"));
            m_questions.insert(key);

            const QString chapter = r.text(13);
            if (chapter.size() != 4 && chapter.size() != 6)
                m_rep.error(QStringLiteral("question"),
                            at + QStringLiteral(": \"%1\" is not a chapter or section code").arg(chapter));
            else if (!m_chapters.contains(chapter.toLower()) && !m_opt.upgrade)
                m_rep.error(QStringLiteral("question"), at + QStringLiteral(": no chapter %1").arg(chapter));

            const int type = int(r.integer(14));
            const QString problem = answerKeyProblem(type, isSubjectiveType(type, m_typeNames.value(type)),
                                                     r.text(1), r.isNull(2) ? 0 : int(r.integer(2)));
            if (!problem.isEmpty())
                m_rep.error(QStringLiteral("answer"),
                            at + QStringLiteral(" (type %1): ").arg(type) + problem);

            links(r, at);

            if (r.isNull(15))
                m_rep.warning(QStringLiteral("question"),
                              at + QStringLiteral(": F1 is empty, so no paper draws it"));
            else if (r.integer(15) < 0 || r.integer(15) > 2)
                m_rep.error(QStringLiteral("question"),
                            at + QStringLiteral(": state F1 %1 (0, 1 or 2)").arg(r.integer(15)));

            if (id.contains(u'-') && !m_groups.contains(key.left(16))) {
                if (m_opt.upgrade)
                    m_rep.warning(QStringLiteral("group"),
                                  at + QStringLiteral(": the learner's bank must already hold group %1")
                                           .arg(id.left(16)));
                else
                    m_rep.error(QStringLiteral("group"),
                                at + QStringLiteral(": no shared stem %1").arg(id.left(16)));
            }
        }
    }

    // K3..K12: exam points filled from K3 upward, each an existing point, none twice.
    void links(const Rows& r, const QString& at) {
        bool gap = false;
        QSet<QString> own;
        for (int k = 0; k < 10; ++k) {
            const QString point = r.text(3 + k).trimmed();
            const QString column = QStringLiteral("K%1").arg(k + 3);
            if (point.isEmpty()) {
                gap = true;
                continue;
            }
            if (gap)
                m_rep.error(QStringLiteral("link"),
                            at + QStringLiteral(": %1 is filled after an empty column").arg(column));
            gap = false;
            const QString key = point.toLower();
            if (own.contains(key))
                m_rep.error(QStringLiteral("link"), at + QStringLiteral(": exam point %1 twice").arg(point));
            own.insert(key);
            if (m_points.contains(key))
                continue;
            if (!m_opt.upgrade || point.size() < 7 || point.size() > store::PointIdLength)
                m_rep.error(QStringLiteral("link"),
                            at + QStringLiteral(": %1 names no exam point (%2)").arg(column, point));
        }
    }

    void contents() {
        QSet<QString> seen;
        Rows r(m_db, "select A1, A15, jx from tab_exer");
        while (r.next()) {
            const QString id = r.text(0);
            for (int column : {1, 2}) {
                const QString damage = DamageOf(r.blob(column));
                if (!damage.isEmpty())
                    m_rep.error(QStringLiteral("stem"), QStringLiteral("question %1: the %2 %3")
                                                            .arg(id, column == 1 ? QStringLiteral("stem")
                                                                                 : QStringLiteral("explanation"),
                                                                 damage));
            }
            const QString key = id.toLower();
            seen.insert(key);
            if (!m_questions.contains(key))
                m_rep.error(QStringLiteral("stem"),
                            QStringLiteral("content %1 belongs to no question").arg(id));
            if (richtext::plainText(r.blob(1)).trimmed().isEmpty())
                m_rep.error(QStringLiteral("stem"),
                            QStringLiteral("question %1: the stem shows no text").arg(id));
        }
        for (const QString& key : std::as_const(m_questions))
            if (!seen.contains(key))
                m_rep.error(QStringLiteral("stem"),
                            QStringLiteral("question %1 has no content row").arg(key));

        Rows g(m_db, "select A1, A15 from tab_title");
        while (g.next()) {
            const QString damage = DamageOf(g.blob(1));
            if (!damage.isEmpty())
                m_rep.error(QStringLiteral("group"), QStringLiteral("shared stem %1 %2").arg(g.text(0), damage));
            if (richtext::plainText(g.blob(1)).trimmed().isEmpty())
                m_rep.error(QStringLiteral("group"),
                            QStringLiteral("shared stem %1 shows no text").arg(g.text(0)));
        }
    }

    // Stored counters against a recount. The program's own updates leave some of them behind on
    // purpose: an upgrade adds rows without touching existing counters, question entry raises the
    // catalogue rows of one and six characters only, and editing recounts only the points a question
    // keeps. Where the bank's history explains a difference, it is a warning.
    void counters() {
        m_rep.drift = findCounterDrift(m_db);
        for (const CounterDrift& d : std::as_const(m_rep.drift)) {
            const QString text = driftText(d);
            // Questions per chapter and per exam point: upgrades and edits leave these behind on purpose.
            const bool explained =
                d.structural() && (m_upgradesApplied || (d.table == u"tab_rule" && m_edited) ||
                                   (d.table == u"tab_fgmc" && (m_edited || m_learnerAdded)));
            if (explained)
                m_rep.warning(QStringLiteral("counter"),
                              text + QStringLiteral(" (left by the program's own updates)"));
            else if (d.column == u"C6")
                m_rep.warning(QStringLiteral("counter"),
                              text + QStringLiteral(" (a score is brought up to date when a practice closes)"));
            else
                m_rep.error(QStringLiteral("counter"), text);
        }
    }

    // Every share of a kind must find its questions: type, chapter prefix and not voided (F1 <> 1, which
    // an empty F1 does not pass either).
    void drawPlan() {
        for (const store::DrawShare& s : store::DrawPlan()) {
            if (m_typeDrawn.value(s.kind).value(s.type) <= 0)
                continue; // the kind's table does not draw the type; reported with the types
            const QString prefix = QString::fromLatin1(s.prefix);
            const qint64 n = count(m_db,
                                   "select count(*) from tab_answ where A13 = cast(?1 as integer) and "
                                   "lower(substr(A10,1,length(?2))) = lower(?2) and F1 <> 1",
                                   {QString::number(s.type), prefix});
            const QString text =
                QStringLiteral("kind %1, type %2, chapters %3*: %4 candidate(s) for %5 in a paper")
                    .arg(s.kind)
                    .arg(s.type)
                    .arg(prefix)
                    .arg(n)
                    .arg(s.count);
            m_rep.notes << text;
            m_shares.push_back({s.kind, s.type, prefix, s.count, n});
            if (n < s.count)
                m_rep.error(QStringLiteral("draw"), text);
            else if (2 * n < 3 * qint64(s.count))
                m_rep.warning(QStringLiteral("draw"),
                              text + QStringLiteral(", fewer than one and a half times"));
        }
    }

    // The answer cues of the bank's own questions (not those a learner added), in listing order.
    void quality() {
        QualityCounter counter(m_typeNames);
        Rows r(m_db, "select a.A1, a.A13, a.A2_1, a.A2, trim(coalesce(a.K3,''))<>'', e.A15, "
                     "e.jx from tab_answ a left join tab_exer e on "
                     "e.A1 = a.A1 where coalesce(a.F1,0) <> 2 order by a.xx, a.A1");
        while (r.next()) {
            QuestionFacts q;
            q.id = r.text(0);
            q.type = int(r.integer(1));
            q.options = int(r.integer(2));
            q.key = r.text(3).trimmed();
            q.linked = r.integer(4) != 0;
            q.explained = !r.isNull(6) && !richtext::plainText(r.blob(6)).trimmed().isEmpty();
            if (q.options >= 2 && QualityCounter::readsOptions(q.type))
                q.choices = optionTexts(richtext::plainText(r.blob(5)), q.options);
            counter.add(q);
        }
        counter.finish(m_shares, m_opt.delivered, m_rep);
    }

    store::Database& m_db;
    const CheckOptions& m_opt;
    QList<ShareRoom> m_shares;
    CheckReport& m_rep;
    QHash<int, QString> m_typeNames;
    QHash<int, QHash<int, int>> m_typeDrawn; // kind -> type -> questions in a paper
    QSet<QString> m_chapters, m_catalogue, m_points, m_groups, m_questions;
    bool m_upgradesApplied = false, m_learnerAdded = false, m_edited = false;
};

} // namespace

CheckReport checkBank(store::Database& db, const CheckOptions& options) {
    CheckReport report;
    Checker(db, options, report).run();
    return report;
}

CheckReport checkBankFile(const QString& path, bool plain, const CheckOptions& options) {
    CheckReport report;
    store::Database db;
    try {
        db.open(path, plain ? QByteArray() : store::BankKey());
        db.execute(QStringLiteral("PRAGMA query_only = 1"));
    } catch (const store::DbError& e) {
        report.error(QStringLiteral("open"),
                     path + QStringLiteral(": ") + e.message() +
                         (plain ? QString() : QStringLiteral(" (a plain file needs --plain)")));
        return report;
    }
    Checker(db, options, report).run();
    return report;
}

} // namespace tools
