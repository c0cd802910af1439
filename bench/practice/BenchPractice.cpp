// Times opening a practice, showing a question and marking an answer on a synthetic bank, each beside
// the same statements run raw on the engine in the same process, and prints the ratio.
//
//   bench_practice [questions=100000] [rounds=200]
#include "practice/Marking.h"
#include "practice/PracticeWindow.h"
#include "practice/Ukmmc.h"
#include "practice/Ulxxt.h"
#include "store/BankKey.h"
#include "store/JetSql.h"
#include "store/dm.h"
#include "tools/SynthBank.h"

#include <sqlcipher/sqlite3.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double medianMs(std::vector<qint64>& ns) {
    std::sort(ns.begin(), ns.end());
    return ns.empty() ? 0 : double(ns[ns.size() / 2]) / 1e6;
}

double timeIt(int rounds, const std::function<void(int)>& body) {
    std::vector<qint64> ns;
    for (int i = 0; i < rounds; ++i) {
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
    }
    ~Raw() { sqlite3_close(db); }
    int run(const QByteArray& sql, const QByteArray& bind = QByteArray()) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        if (!bind.isNull())
            sqlite3_bind_text(st, 1, bind.constData(), int(bind.size()), SQLITE_TRANSIENT);
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

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 200;

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
    ProgramFolder = QStringLiteral(VQ_SOURCE_DIR "/");
    Raw raw(bank);

    // The chapter or part whose question count is nearest 2,000.
    const auto pick = dm.ADOCn1.query(QStringLiteral(
        "select c, k from (select substr(A10,1,4) as c, count(*) as k from tab_answ group by substr(A10,1,4) "
        "union all select substr(A10,1,2), count(*) from tab_answ group by substr(A10,1,2)) order by "
        "abs(k-2000)"));
    const QString chapter = pick.rows.first()[0].toString();
    std::printf("chapter %s with %lld questions; journal %s, synchronous %lld\n\n", qPrintable(chapter),
                pick.rows.first()[1].toLongLong(),
                qPrintable(dm.ADOCn1.scalar(QStringLiteral("PRAGMA journal_mode")).toString()),
                dm.ADOCn1.scalar(QStringLiteral("PRAGMA synchronous")).toLongLong());

    const QString sql =
        TFrmkmmc::PracticeQuery(TFrmkmmc::Review, chapter)
            .replace(QStringLiteral("(E2 is not null and E2 <> '')"), QStringLiteral("(1=1)"));
    PracticeQueryText = sql;

    // Opening a practice: reset the per-practice answers, read the set, count each type for the tabs.
    TFrmLxxt window;
    const double openOurs = timeIt(std::max(3, rounds / 20), [&](int) { window.LoadPracticeSet(); });
    // The statement as the engine receives it (texts without case, the chapter also as a range of A10).
    const QByteArray rawSelect =
        store::translateJetSql(sql, {})
            .sql.replace(QStringLiteral("jet_left(A10,"), QStringLiteral("substr(A10,1,"))
            .toUtf8();
    const double openRaw = timeIt(std::max(3, rounds / 20), [&](int) {
        raw.run("Update tab_answ set E2_1= '' where E2_1 is not '' COLLATE NOCASE");
        raw.run(rawSelect);
        raw.run("select A1 from tab_tx1 order by A1");
    });
    report("open a practice (LoadPracticeSet)", openOurs, openRaw, 100);

    window.show();
    QApplication::processEvents();
    const int total = dm.Cn1Query_tm.recordCount();
    QStringList ids;
    for (int i = 1; i <= std::min(total, rounds + 1); ++i) {
        dm.Cn1Query_tm.setRecNo(i);
        ids << dm.Cn1Query_tm.asString(QStringLiteral("A1"));
    }
    const double showOurs = timeIt(std::min(rounds, total - 1),
                                   [&](int i) { window.ShowQuestion(0, i + 1, std::min(total, 20), 1); });
    const double showRaw = timeIt(std::min(rounds, total - 1), [&](int i) {
        const QByteArray id = ids[i].toUtf8();
        raw.run("select * from tab_exer where a1 = ?", id);
        raw.run("select * from tab_title where A1 = ?", id.left(16));
    });
    report("show a question (ShowQuestion)", showOurs, showRaw, 10);

    // Marking: a new answer each time, so every round writes the question row and all counters.
    store::DataSet& set = dm.Cn1Query_tm;
    const double markOurs = timeIt(std::min(rounds, total), [&](int i) {
        set.setRecNo(i + 1);
        SaveAnswerToRow(dm, set, i % 2 ? QStringLiteral("A") : QStringLiteral("B"));
    });
    const double markRaw = timeIt(std::min(rounds, total), [&](int i) {
        const QByteArray id = ids[i % ids.size()].toUtf8();
        raw.run("BEGIN");
        raw.run(
            "update tab_answ set E2_1='A', E2='A', E1='2026-12-09', E3=coalesce(E3,0)+1, E4=-1 where A1=?",
            id);
        raw.run("update tab_rz set A2=A2+1, A3=coalesce(A3,0)+1 where A1='2026-12-09'");
        for (int len : {6, 4, 2, 1})
            raw.run("update tab_kmmc set D1=D1+1, D2=D2+1 where C1=substr((select A10 from tab_answ where "
                    "A1=?),1," +
                        QByteArray::number(len) + ")",
                    id);
        for (const char* c : {"q2", "q1", "q4"}) {
            raw.run(QByteArray("update tab_rule set ") + c + "=" + c +
                        "+1 where ftid in (select K3 from tab_answ where A1=?)",
                    id);
            raw.run(QByteArray("update tab_fgmc set ") + c + "=" + c +
                        "+1 where id in (select substr(K3,1,6) from tab_answ where A1=?)",
                    id);
            raw.run(QByteArray("update tab_fgmc set ") + c + "=" + c +
                        "+1 where id in (select substr(K3,1,2) from tab_answ where A1=?)",
                    id);
        }
        raw.run("COMMIT");
    });
    report("mark an answer (SaveAnswer)", markOurs, markRaw, 2);
    window.close();
    DM1 = nullptr;
    return 0;
}
