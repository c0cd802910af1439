// Times merging an upgrade of synthetic questions into a synthetic bank, and refusing one already
// applied, beside the same statements run raw on the engine.
//
//   bench_upgrade [bank questions=100000] [upgrade questions=10000]
#include "store/BankKey.h"
#include "store/BankUpgrade.h"
#include "store/Database.h"
#include "tools/SynthBank.h"

#include <sqlcipher/sqlite3.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

void exec(sqlite3* db, const QByteArray& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql.constData(), error ? error : "?");
        std::exit(1);
    }
}

sqlite3* openRaw(const QString& path, bool keyed) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (keyed)
        exec(db, "PRAGMA key = \"x'" + store::BankKey().toHex() + "'\"");
    exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL");
    return db;
}

void report(const char* what, double ours, double raw, double aimMs) {
    std::printf("%-34s %9.1f ms   raw %9.1f ms   ratio %5.2f   aim < %.0f ms\n", what, ours, raw,
                raw > 0 ? ours / raw : 0.0, aimMs);
}

} // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int m = argc > 2 ? std::atoi(argv[2]) : 10000;
    QTemporaryDir dir;
    const QString bank = dir.filePath(QStringLiteral("bank.mdb"));
    const QString rawBank = dir.filePath(QStringLiteral("raw.mdb"));
    const QString upgrade = dir.filePath(QStringLiteral("upgrade.mdb"));
    QStringList errors;
    if (!tools::synthBank(n, bank, false, &errors) || !tools::synthBank(m, upgrade, true, &errors)) {
        std::fprintf(stderr, "%s\n", qPrintable(errors.join(u'\n')));
        return 1;
    }
    // The upgrade carries new questions only, under new ids, for the bank's product.
    {
        sqlite3* up = openRaw(upgrade, false);
        exec(up, "update tab_answ set A1 = 'UP' || A1; update tab_exer set A1 = 'UP' || A1;"
                 "delete from tab_kmmc; delete from tab_rule; delete from tab_fgmc; delete from tab_sj;");
        sqlite3_close(up);
        store::Database b;
        b.open(bank, store::BankKey());
        const QString cpbs = b.scalar(QStringLiteral("select cpbs from tab_sj")).toString();
        b.close();
        sqlite3* up2 = openRaw(upgrade, false);
        exec(up2, "insert into tab_sj (sjbs, cpbs) values ('BENCH-1', '" + cpbs.toUtf8() + "')");
        sqlite3_close(up2);
    }
    QFile::copy(bank, rawBank);
    std::printf("bank of %d questions, upgrade of %d questions with rich text\n", n, m);

    // Ours: the identity and layout checks, then the merge by column name in one transaction.
    store::Database db;
    db.open(bank, store::BankKey());
    db.useRollbackJournal();
    store::Database file;
    store::UpgradeIdentity id;
    QElapsedTimer t;
    t.start();
    if (store::CheckUpgrade(db, file, upgrade, &id) != store::UpgradeCheck::Ready) {
        std::fprintf(stderr, "the upgrade was refused\n");
        return 1;
    }
    store::MergeUpgrade(db, upgrade, id);
    const double ours = double(t.nsecsElapsed()) / 1e6;
    t.restart();
    const bool refused = store::CheckUpgrade(db, file, upgrade, &id) == store::UpgradeCheck::AlreadyApplied;
    const double oursRefusal = double(t.nsecsElapsed()) / 1e6;

    // Raw: the same copies by column name and the identity row, on a copy of the same bank.
    sqlite3* raw = openRaw(rawBank, true);
    t.restart();
    exec(raw, "ATTACH DATABASE '" + upgrade.toUtf8() + "' AS up KEY ''");
    QByteArray merge = "BEGIN IMMEDIATE;";
    for (const QString& table : store::UpgradeTables()) {
        const QString cols = db.columnNames(table).join(u',');
        merge += "insert into " + table.toUtf8() + " (" + cols.toUtf8() + ") select " + cols.toUtf8() +
                 " from up." + table.toUtf8() + ";";
    }
    merge += "insert into tab_sj (sjbs, cpbs) values ('BENCH-1', 'x'); COMMIT;";
    exec(raw, merge);
    const double rawMs = double(t.nsecsElapsed()) / 1e6;
    exec(raw, "DETACH DATABASE up");
    t.restart();
    {
        sqlite3* up = openRaw(upgrade, false);
        exec(up, "select * from tab_sj");
        sqlite3_close(up);
        exec(raw, "select * from tab_sj where sjbs='BENCH-1'");
    }
    const double rawRefusal = double(t.nsecsElapsed()) / 1e6;
    sqlite3_close(raw);

    report("merge the upgrade", ours, rawMs, 5000);
    report(refused ? "refuse it the second time" : "refusal (NOT refused!)", oursRefusal, rawRefusal, 100);
    return 0;
}
