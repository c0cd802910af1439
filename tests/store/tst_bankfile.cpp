// The bank as a file: one file outside a write, refused untouched when it is not a bank or cannot be
// written, and writers that wait for each other instead of failing.
#include "store/BankKey.h"
#include "store/Clock.h"
#include "store/DataSet.h"
#include "store/Database.h"
#include "store/dm.h"
#include "tests/support/TestSupport.h"

#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

using namespace store;

namespace {

// Every file of a folder with its bytes.
QMap<QString, QByteArray> snapshot(const QString& dir) {
    QMap<QString, QByteArray> files;
    for (const QFileInfo& fi : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile f(fi.absoluteFilePath());
        files.insert(fi.fileName(), f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("unreadable"));
    }
    return files;
}

// A second connection that holds the bank's write lock until released.
struct OtherWriter {
    sqlite3* db = nullptr;
    explicit OtherWriter(const QString& path) {
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        const QByteArray key = "PRAGMA key = \"x'" + BankKey().toHex() + "'\"";
        sqlite3_exec(db, key.constData(), nullptr, nullptr, nullptr);
    }
    ~OtherWriter() { sqlite3_close(db); }
    int run(const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
};

} // namespace

class TestBankFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};

    QString freshBank(const QString& folder) {
        QDir().mkpath(folder);
        QFile::remove(QDir(folder).filePath(QStringLiteral("bank.mdb")));
        return testsupport::buildBank(folder, testsupport::baseContent() + testsupport::smallSyllabus());
    }

private slots:
    void initTestCase() { setClock(&m_clock); }
    void cleanupTestCase() { setClock(nullptr); }

    void theBankIsOneFileOutsideAWrite() {
        const QString folder = m_dir.filePath(QStringLiteral("one"));
        const QString bank = freshBank(folder);
        {
            // A bank an earlier version left in write-ahead mode.
            Database old;
            old.open(bank, BankKey());
            QCOMPARE(old.scalar(QStringLiteral("PRAGMA journal_mode=WAL")).toString(), QStringLiteral("wal"));
        }
        TDM1 dm(bank);
        QVERIFY(dm.DataModuleConnected);
        QCOMPARE(dm.ADOCn1.scalar(QStringLiteral("PRAGMA journal_mode")).toString(),
                 QStringLiteral("delete"));
        QCOMPARE(dm.ADOCn1.scalar(QStringLiteral("PRAGMA synchronous")).toInt(), 2); // FULL
        {
            Transaction tx(dm.ADOCn1);
            dm.RecordDailyProgress(2, 2, 2);
            dm.RecordChapterAttempt(QStringLiteral("050101"), 2, 2);
            tx.commit();
        }
        dm.Cn1Table_plan.open();
        dm.Cn1Table_plan.setValue(QStringLiteral("PlanAmount"), 25);
        dm.Cn1Table_plan.post();
        // While the program still runs, the folder holds the bank alone, and a copy of it has every answer.
        QCOMPARE(snapshot(folder).keys(), QStringList({QStringLiteral("bank.mdb")}));
        const QString copy = m_dir.filePath(QStringLiteral("copy.mdb"));
        QVERIFY(QFile::copy(bank, copy));
        Database c;
        c.open(copy, BankKey());
        QCOMPARE(c.scalar(QStringLiteral("select A2 from tab_rz where A1='2026-12-09'")).toInt(), 1);
        QCOMPARE(c.scalar(QStringLiteral("select D1 from tab_kmmc where C1='05'")).toInt(), 1);
        QCOMPARE(c.scalar(QStringLiteral("select PlanAmount from tab_plan")).toInt(), 25);
    }

    // A process that dies in the middle of a write leaves its journal; the next start plays it back (or,
    // when the process died before the journal held anything, removes it) and the bank is one file again.
    void aWriteCutShortLeavesTheBankAsBeforeIt() {
        const QString folder = m_dir.filePath(QStringLiteral("cut"));
        const QString bank = freshBank(folder);
        {
            TDM1 dm(bank); // the bank as the program keeps it
        }
        const pid_t pid = fork();
        QVERIFY(pid >= 0);
        if (pid == 0) {
            // A cache of a few pages makes the engine write changed pages into the bank before the commit.
            OtherWriter w(bank);
            w.run("PRAGMA cache_size=2");
            w.run("BEGIN IMMEDIATE");
            for (int i = 0; i < 50; ++i)
                w.run("update tab_answ set A14=hex(randomblob(2000)), E3=7");
            _exit(0); // no commit, no rollback: as if the power went
        }
        int status = 0;
        waitpid(pid, &status, 0);
        QVERIFY(QFileInfo(bank + QStringLiteral("-journal")).size() > 0);
        {
            TDM1 dm(bank);
            QVERIFY(dm.DataModuleConnected);
            QCOMPARE(dm.ADOCn1.scalar(QStringLiteral("PRAGMA integrity_check")).toString(),
                     QStringLiteral("ok"));
            QCOMPARE(dm.ADOCn1.scalar(QStringLiteral("select count(*) from tab_answ where E3=7")).toInt(), 0);
        }
        QCOMPARE(snapshot(folder).keys(), QStringList({QStringLiteral("bank.mdb")}));

        // A journal left empty by a process killed as it began to write.
        QFile cold(bank + QStringLiteral("-journal"));
        QVERIFY(cold.open(QIODevice::WriteOnly));
        cold.close();
        {
            TDM1 dm(bank);
            QVERIFY(dm.DataModuleConnected);
            QCOMPARE(dm.ADOCn1.scalar(QStringLiteral("select count(*) from tab_answ")).toInt(), 5);
        }
        QCOMPARE(snapshot(folder).keys(), QStringList({QStringLiteral("bank.mdb")}));
    }

    void aFileThatIsNotABankIsRefusedUntouched() {
        const QString folder = m_dir.filePath(QStringLiteral("notabank"));
        QDir().mkpath(folder);
        const QString empty = QDir(folder).filePath(QStringLiteral("empty.mdb"));
        QFile e(empty);
        QVERIFY(e.open(QIODevice::WriteOnly));
        e.close();
        const QString other = QDir(folder).filePath(QStringLiteral("other.mdb"));
        {
            Database db;
            db.open(other, BankKey(), Database::OpenMode::Create);
            db.execute(QStringLiteral("create table tab_answ (A1 TEXT(20))"));
        }
        const auto before = snapshot(folder);
        for (const QString& path : {empty, other}) {
            TDM1 dm(path);
            QVERIFY2(!dm.DataModuleConnected, qPrintable(path));
            QVERIFY(dm.ConnectionError.contains(QStringLiteral("not a question bank")));
            QVERIFY(!dm.ADOCn1.isOpen());
        }
        QCOMPARE(snapshot(folder), before);
        QCOMPARE(QFileInfo(empty).size(), 0);
    }

    // Every window writes to the bank, so a bank that cannot be written is refused at the start, with the
    // same message as a missing one, rather than failing at the first answer.
    void aReadOnlyBankOrFolderIsRefusedUntouched() {
        QTemporaryDir shared(QDir::tempPath() + QStringLiteral("/vq-readonly-XXXXXX"));
        QVERIFY(shared.isValid());
        QVERIFY(QFile::setPermissions(shared.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                         QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                         QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                                         QFileDevice::ExeGroup));
        const QString fileFolder = shared.filePath(QStringLiteral("file"));
        const QString folderFolder = shared.filePath(QStringLiteral("folder"));
        const QString roFile = freshBank(fileFolder);
        const QString inRoFolder = freshBank(folderFolder);
        chmod(QFile::encodeName(fileFolder).constData(), 0777); // a file could be made here
        chmod(QFile::encodeName(roFile).constData(), 0444);
        chmod(QFile::encodeName(inRoFolder).constData(), 0666);
        chmod(QFile::encodeName(folderFolder).constData(), 0555);
        for (const QString& bank : {roFile, inRoFolder}) {
            const QString folder = QFileInfo(bank).absolutePath();
            const auto before = snapshot(folder);
            const int connected = testsupport::asOrdinaryUser([&] {
                TDM1 dm(bank);
                return dm.DataModuleConnected ? 1 : (dm.ConnectionError.isEmpty() ? 2 : 0);
            });
            if (connected < 0)
                QSKIP("no ordinary user to run as");
            QVERIFY2(connected == 0, qPrintable(bank));
            QCOMPARE(snapshot(folder), before);
        }
        chmod(QFile::encodeName(folderFolder).constData(), 0755);
    }

    void aWriterWaitsForAnotherWriter() {
        const QString bank = freshBank(m_dir.filePath(QStringLiteral("wait")));
        Database db;
        db.open(bank, BankKey());
        OtherWriter other(bank);
        QCOMPARE(other.run("BEGIN IMMEDIATE; update tab_kmmc set D1=D1+1 where C1='0'"), SQLITE_OK);
        std::thread release([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            other.run("COMMIT");
        });
        // Read, then write, in one transaction: the write must not fail on the other writer's lock.
        try {
            Transaction tx(db);
            const int d1 = db.scalar(QStringLiteral("select D1 from tab_kmmc where C1='0'")).toInt();
            db.execute(QStringLiteral("update tab_kmmc set D2=:d where C1='0'"), {d1 + 10});
            db.execute(QStringLiteral("update tab_kmmc set D1=D1+1 where C1='0'"));
            tx.commit();
        } catch (const DbError& e) {
            release.join();
            QFAIL(qPrintable(e.message()));
        }
        release.join();
        QCOMPARE(db.scalar(QStringLiteral("select D1 from tab_kmmc where C1='0'")).toInt(), 2);
        QCOMPARE(db.scalar(QStringLiteral("select D2 from tab_kmmc where C1='0'")).toInt(), 11);
    }

    void aBankLockedTooLongFailsAndChangesNothing() {
        const QString bank = freshBank(m_dir.filePath(QStringLiteral("locked")));
        TDM1 dm(bank);
        QVERIFY(dm.DataModuleConnected);
        dm.ADOCn1.setBusyTimeout(100);
        dm.Cn1Table_kmmc.open();
        OtherWriter other(bank);
        QCOMPARE(other.run("BEGIN IMMEDIATE"), SQLITE_OK);
        try {
            Transaction tx(dm.ADOCn1);
            dm.RecordChapterAttempt(QStringLiteral("050101"), 2, 1);
            tx.commit();
            QFAIL("wrote to a locked bank");
        } catch (const DbError& e) {
            QCOMPARE(e.code() & 0xff, SQLITE_BUSY);
            QVERIFY(e.message().contains(QStringLiteral("locked")));
        }
        QVERIFY(dm.Cn1Table_kmmc.locate(QStringLiteral("C1"), QStringLiteral("05")));
        QCOMPARE(dm.Cn1Table_kmmc.asInteger(QStringLiteral("D1")), 0);
        other.run("ROLLBACK");
        {
            Transaction tx(dm.ADOCn1);
            dm.RecordChapterAttempt(QStringLiteral("050101"), 2, 1);
            tx.commit();
        }
        QCOMPARE(dm.Cn1Table_kmmc.asInteger(QStringLiteral("D1")), 1);
        QCOMPARE(dm.ADOCn1.scalar(QStringLiteral("select D1 from tab_kmmc where C1='050101'")).toInt(), 1);
    }
};

QTEST_MAIN(TestBankFile)
#include "tst_bankfile.moc"
