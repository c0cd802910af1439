// Times opening the practice of one exam point on a synthetic bank, as the exam-point browser does it,
// beside the same statements run raw on the engine in the same process, and prints the ratio.
//
//   bench_rule_practice [questions=100000] [rounds=40]
#include "practice/uRulelxxt.h"
#include "reference/Laws.h"
#include "store/BankKey.h"
#include "store/dm.h"
#include "tools/SynthBank.h"
#include "ui/AppState.h"

#include <sqlcipher/sqlite3.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

double timeIt(int rounds, const std::function<void()>& body) {
    std::vector<qint64> ns;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        body();
        ns.push_back(t.nsecsElapsed());
    }
    std::sort(ns.begin(), ns.end());
    return double(ns[ns.size() / 2]) / 1e6;
}

void report(const char* what, double ours, double raw, double aimMs) {
    std::printf("%-44s %9.3f ms   raw %9.3f ms   ratio %5.2f   aim < %.0f ms\n", what, ours, raw,
                raw > 0 ? ours / raw : 0.0, aimMs);
}

// The raw engine: a second connection with the bank's key and journal, statements stepped by hand.
struct Raw {
    sqlite3* db = nullptr;
    explicit Raw(const QString& path) {
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        const QByteArray key = "PRAGMA key = \"x'" + store::BankKey().toHex() + "'\"";
        sqlite3_exec(db, key.constData(), nullptr, nullptr, nullptr);
        sqlite3_exec(db, "PRAGMA synchronous=FULL; PRAGMA cache_size=-65536", nullptr, nullptr, nullptr);
    }
    ~Raw() { sqlite3_close(db); }
    int run(const QByteArray& sql) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "raw: %s\n", sqlite3_errmsg(db));
            return -1;
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

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int rounds = argc > 2 ? std::max(3, std::atoi(argv[2])) : 40;

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
    PaperKind = 1;
    Raw raw(bank);

    // The point most questions carry in K3, the one the learner waits longest for.
    const auto pick = dm.ADOCn1.query(QStringLiteral(
        "select K3, count(*) as k from tab_answ where K3 is not null group by K3 order by k desc"));
    if (pick.rows.isEmpty()) {
        std::fprintf(stderr, "no exam point in the bank\n");
        return 1;
    }
    const QString ftid = pick.rows.first()[0].toString();
    const QString sql = TfrmLawsFaGui::PracticeQuery(ftid);
    std::printf("exam point %s, %d points in K3, practice set of ", qPrintable(ftid), int(pick.rows.size()));
    const int setSize = int(dm.ADOCn1.query(sql).rows.size());
    std::printf("%d questions\n\n", setSize);

    // Opening as the browser does: the practice window is created, its set loaded (the per-practice answers
    // of the bank reset, the set read, the type tabs built).
    PracticeQueryText = sql;
    const double openOurs = timeIt(rounds, [&] {
        auto w = std::make_unique<TFrmRuleLxxt>();
        w->LoadPracticeSet();
    });
    const double loadOurs = [&] {
        TFrmRuleLxxt w;
        return timeIt(rounds, [&] { w.LoadPracticeSet(); });
    }();
    // The same statements, with the collation the dialect gives the quoted id written out.
    QStringList columns;
    for (int k = 3; k <= 12; ++k)
        columns << QStringLiteral("k%1='%2' COLLATE NOCASE").arg(k).arg(ftid);
    const QByteArray rawSelect =
        QStringLiteral(
            "select a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1, csbs "
            "from tab_answ where (%1) order by a13,a10,xx,a1")
            .arg(columns.join(QStringLiteral(" or ")))
            .toUtf8();
    const double openRaw = timeIt(rounds, [&] {
        raw.run("update tab_answ set E2_1='' where E2_1 is not '' COLLATE NOCASE");
        raw.run(rawSelect);
        raw.run("select * from tab_tx1 order by A1");
    });
    report("open an exam-point practice (window + load)", openOurs, openRaw, 150);
    report("load its set (LoadPracticeSet)", loadOurs, openRaw, 150);

    // The select alone, ours through a data set, against the raw one.
    const double selectOurs = timeIt(rounds, [&] {
        store::DataSet& q = dm.Cn1Query1;
        q.close();
        q.setCommandText(sql);
        q.open();
    });
    const double selectRaw = timeIt(rounds, [&] { raw.run(rawSelect); });
    report("read the set of one point (select)", selectOurs, selectRaw, 150);
    // For comparison: the membership test "id in (k3,...,k12)", which no index serves.
    const double scanRaw = timeIt(std::max(3, rounds / 4), [&] {
        raw.run(QStringLiteral("select a1 from tab_answ where '%1' COLLATE NOCASE in "
                               "(k3,k4,k5,k6,k7,k8,k9,k10,k11,k12) order by a13,a10,xx,a1")
                    .arg(ftid)
                    .toUtf8());
    });
    std::printf("%-44s %9s      raw %9.3f ms\n", "the same set by \"id in (k3,...,k12)\"", "", scanRaw);
    dm.Cn1Query1.close();
    DM1 = nullptr;
    return 0;
}
