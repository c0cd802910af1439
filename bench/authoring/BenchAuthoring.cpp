// Times saving a learner's new question and saving an edit of a question on a synthetic bank, each beside
// the same statements run raw on the engine in the same process, and prints the ratio.
//
//   bench_authoring [questions=100000] [rounds=200]
#include "authoring/QuestionSave.h"
#include "richtext/RichText.h"
#include "store/BankKey.h"
#include "store/dm.h"
#include "tools/SynthBank.h"

#include <sqlcipher/sqlite3.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double medianMs(std::vector<qint64>& ns) {
    std::sort(ns.begin(), ns.end());
    return ns.empty() ? 0 : double(ns[ns.size() / 2]) / 1e6;
}

// Runs prepare (not timed), then times body, rounds times; the median.
double timeIt(int rounds, const std::function<void(int)>& prepare, const std::function<void(int)>& body) {
    std::vector<qint64> ns;
    for (int i = 0; i < rounds; ++i) {
        if (prepare)
            prepare(i);
        QElapsedTimer t;
        t.start();
        body(i);
        ns.push_back(t.nsecsElapsed());
    }
    return medianMs(ns);
}

void report(const char* what, double ours, double raw, double aimMs) {
    std::printf("%-34s %9.3f ms   raw %9.3f ms   ratio %5.2f   aim < %.0f ms\n", what, ours, raw,
                raw > 0 ? ours / raw : 0.0, aimMs);
}

// The raw engine: one connection with the same key and journal settings, statements stepped by hand.
struct Raw {
    sqlite3* db = nullptr;
    explicit Raw(const QString& path) {
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        const QByteArray key = "PRAGMA key = \"x'" + store::BankKey().toHex() + "'\"";
        sqlite3_exec(db, key.constData(), nullptr, nullptr, nullptr);
        // The bank's journal: a rollback journal, each commit on the disk before it returns.
        sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL; PRAGMA cache_size=-65536",
                     nullptr, nullptr, nullptr);
        sqlite3_busy_timeout(db, 5000);
    }
    ~Raw() { sqlite3_close(db); }
    int run(const char* sql, const QVariantList& binds = {}) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "raw: %s: %s\n", sql, sqlite3_errmsg(db));
            return -1;
        }
        for (int i = 0; i < binds.size(); ++i) {
            const QVariant& v = binds[i];
            if (v.typeId() == QMetaType::Int)
                sqlite3_bind_int(st, i + 1, v.toInt());
            else if (v.typeId() == QMetaType::QByteArray) {
                const QByteArray b = v.toByteArray();
                sqlite3_bind_blob(st, i + 1, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            } else {
                const QByteArray t = v.toString().toUtf8();
                sqlite3_bind_text(st, i + 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            }
        }
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                sqlite3_column_value(st, c);
            ++rows;
        }
        sqlite3_finalize(st);
        return rows;
    }
};

// A stem as a learner enters one: a few sentences with a bold word, written by our writer.
QByteArray stemBlob(int i) {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("第%1题：下列关于信息系统项目管理的说法中，").arg(i));
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    c.insertText(QStringLiteral("正确"), bold);
    c.insertText(QStringLiteral("的是（  ）。"), QTextCharFormat());
    for (const char* option : {"A．项目范围说明书在规划阶段编制", "B．工作分解结构的最底层是工作包",
                               "C．里程碑是持续时间为零的活动", "D．关键路径上的活动总浮动时间最大"}) {
        c.insertBlock();
        c.insertText(QString::fromUtf8(option));
    }
    return richtext::writeRtf(doc);
}

QStringList column(store::Database& db, const QString& sql) {
    QStringList values;
    for (const auto& row : db.query(sql).rows)
        values << row.value(0).toString();
    return values;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int rounds = std::min(argc > 2 ? std::atoi(argv[2]) : 200, 4000);

    QTemporaryDir dir;
    const QString bank = dir.filePath(QStringLiteral("bench.mdb"));
    QStringList errors;
    QElapsedTimer built;
    built.start();
    if (!tools::synthBank(n, bank, false, &errors)) {
        std::fprintf(stderr, "%s\n", qPrintable(errors.join(u'\n')));
        return 1;
    }
    std::printf("synthetic bank of %d questions built in %.1f s\n", n, double(built.elapsed()) / 1000.0);

    TDM1 dm(bank);
    DM1 = &dm;
    store::Database& db = dm.ADOCn1;
    Raw raw(bank);
    std::printf("journal %s, synchronous %lld\n\n",
                qPrintable(db.scalar(QStringLiteral("PRAGMA journal_mode")).toString()),
                db.scalar(QStringLiteral("PRAGMA synchronous")).toLongLong());

    // The next serial reads the learners' range of the key only.
    for (const auto& row :
         db.query(QStringLiteral("explain query plan select Right(A1,4) as r4 from tab_answ "
                                 "where A1 >= 'US' and A1 < 'UT'"))
             .rows)
        std::printf("next serial: %s\n", qPrintable(row.value(3).toString()));

    const QStringList sections =
        column(db, QStringLiteral("select C1 from tab_kmmc where length(C1)=6 order by bh"));
    const QStringList points = column(db, QStringLiteral("select ftid from tab_rule order by ftid"));
    std::vector<QByteArray> stems;
    for (int i = 0; i < rounds; ++i)
        stems.push_back(stemBlob(i));

    // Saving a new question: the serial, the two rows and every counter in one transaction.
    const auto newQuestion = [&](int i) {
        authoring::NewQuestion q;
        q.chapter = sections[i % sections.size()];
        q.typeId = 65;
        q.options = 5;
        q.answer = QStringLiteral("ACD");
        q.stem = stems[i];
        q.explanation = stems[(i + 1) % rounds];
        q.points = {points[(i * 7) % points.size()], points[(i * 7 + 1) % points.size()]};
        return q;
    };
    const double entryOurs =
        timeIt(rounds, nullptr, [&](int i) { authoring::SaveNewQuestion(db, newQuestion(i)); });
    const double entryRaw = timeIt(rounds, nullptr, [&](int i) {
        const authoring::NewQuestion q = newQuestion(i);
        const QString id = QStringLiteral("UR%1").arg(i, 6, 10, QLatin1Char('0'));
        raw.run("BEGIN IMMEDIATE");
        raw.run("select substr(A1,-4) from tab_answ where A1 >= 'US' and A1 < 'UT'");
        raw.run("insert into tab_answ (a1,a2,a2_1,a10,a13,k3,k4,f1) values (?,?,?,?,?,?,?,2)",
                {id, q.answer, q.options, q.chapter, q.typeId, q.points[0], q.points[1]});
        raw.run("insert into tab_exer (a1,a15,jx) values (?,?,?)", {id, q.stem, q.explanation});
        raw.run("update tab_kmmc set c3=c3+1 where C1 in (?,?,?,?)",
                {q.chapter, q.chapter.left(4), q.chapter.left(2), q.chapter.left(1)});
        raw.run("update tab_rule set q=q+1 where ftid in (?,?)", {q.points[0], q.points[1]});
        for (int w : {6, 2, 1})
            raw.run("update tab_fgmc set q=q+1 where id in (?,?)",
                    {q.points[0].left(w), q.points[1].left(w)});
        raw.run("COMMIT");
    });
    report("save a new question", entryOurs, entryRaw, 50);

    // Saving an edit from a practice: a new stem, another key and one exam point swapped, on the practice's
    // own rows; the window has the question's content open already.
    store::DataSet& set = dm.Cn1Query_tm;
    set.setCommandText(QStringLiteral(
        "select a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1,xx,csbs,ecount "
        "from tab_answ where K3 is not null and K3 <> '' and A13 = 65 and A1 not like 'U*' order by a1"));
    set.open();
    const int editRounds = std::min(rounds, set.recordCount() / 2);
    QStringList editIds;
    for (int i = 1; i <= 2 * editRounds; ++i) {
        set.setRecNo(i);
        editIds << set.asString(QStringLiteral("A1"));
    }
    store::DataSet& content = dm.cn1query_nr;
    const auto editOf = [&](int i) {
        authoring::QuestionEdit e;
        e.options = int(set.asInteger(QStringLiteral("A2_1")));
        e.answer = set.asString(QStringLiteral("A2")) == u"AB" ? QStringLiteral("ABC") : QStringLiteral("AB");
        e.typeId = 65;
        for (int k = 3; k <= 12; ++k)
            if (!set.asString(QStringLiteral("K%1").arg(k)).isEmpty())
                e.points << set.asString(QStringLiteral("K%1").arg(k));
        e.points[0] = points[(i * 13) % points.size()];
        e.stem = stems[i];
        return e;
    };
    const double editOurs = timeIt(
        editRounds,
        [&](int i) {
            set.setRecNo(i + 1);
            content.close();
            content.setCommandText(QStringLiteral("select * from tab_exer where A1=:A1"));
            content.setParams({set.asString(QStringLiteral("A1"))});
            content.open();
        },
        [&](int i) { authoring::SaveQuestionEdit(db, set, content, nullptr, editOf(i)); });
    QString old;
    const double editRaw = timeIt(
        editRounds,
        [&](int i) {
            old = db.scalar(QStringLiteral("select K3 from tab_answ where A1=:a"), {editIds[editRounds + i]})
                      .toString();
        },
        [&](int i) {
            const QString id = editIds[editRounds + i];
            const QString now = points[(i * 17) % points.size()];
            raw.run("BEGIN IMMEDIATE");
            raw.run("update tab_exer set A15=? where A1=?", {stems[i], id});
            raw.run("update tab_answ set A2=?, K3=? where A1=?", {QStringLiteral("AB"), now, id});
            raw.run("update tab_answ set ecount=coalesce(ecount,0)+1 where A1=?", {id});
            raw.run(
                "select "
                "a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1,xx,csbs,ecount "
                "from tab_answ where A1=?",
                {id});
            raw.run("update tab_rule set q=q-1 where ftid in (?)", {old});
            raw.run("update tab_rule set q=q+1 where ftid in (?)", {now});
            for (int w : {6, 2, 1}) {
                raw.run("update tab_fgmc set q=q-1 where id in (?)", {old.left(w)});
                raw.run("update tab_fgmc set q=q+1 where id in (?)", {now.left(w)});
            }
            raw.run("COMMIT");
        });
    report("save an edit (practice row)", editOurs, editRaw, 50);

    DM1 = nullptr;
    return 0;
}
