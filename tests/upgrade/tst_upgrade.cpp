// Merging an upgrade file into the bank: identity checks, the backup first, one transaction, and the new
// rows used by practice afterwards.
#include "practice/Marking.h"
#include "store/BankKey.h"
#include "store/Clock.h"
#include "store/Database.h"
#include "store/dm.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"
#include "tools/BankBuilder.h"
#include "tools/BankCheck.h"
#include "tools/UpgradeBase.h"
#include "ui/AppState.h"
#include "ui/FileDialogs.h"
#include "ui/Services.h"
#include "upgrade/BankBackup.h"
#include "upgrade/ustxz.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// A new section 050103 with two questions and an exam point, for the test bank's product.
QString upgradeSource(const QString& sjbs, const QString& cpbs = QStringLiteral("TESTPRODUCT")) {
    return QStringLiteral(
               "[product]\ntitle: 升级\ncpbs: %1\nsjbs: %2\n\n"
               "[chapter 050103]\nname: 第三节 新增\ntitle: 第三节 新增\n\n[catalogue 050103]\nname: 3. "
               "新增\n\n"
               "[point 050103-001]\ntitle: 新考点\ntext: |\n  新考点的内容\n\n"
               "[question U0001]\nchapter: 050103\ntype: 61\noptions: 4\nanswer: C\n"
               "points: 050103-001\nstem: |\n  新题一\n"
               "[question U0002]\nchapter: 050103\ntype: 61\noptions: 4\nanswer: A\nstem: |\n  新题二\n")
        .arg(cpbs, sjbs);
}

QString buildUpgrade(const QString& path, const QString& source) {
    tools::BankSource src;
    QStringList errors;
    tools::parseBankSource(source, QStringLiteral("upgrade"), &src, &errors);
    if (errors.isEmpty())
        tools::buildBank(src, path, tools::BuildOptions{true, true, nullptr}, &errors);
    if (!errors.isEmpty())
        throw std::runtime_error(errors.join(u'\n').toStdString());
    return path;
}

QByteArray digest(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}
} // namespace

class TestUpgrade : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 10), QTime(10, 30))};
    std::unique_ptr<TDM1> m_dm;
    QString m_bank;

    void openBank() {
        if (DM1 == m_dm.get())
            DM1 = nullptr;
        m_dm.reset();
        QDir(m_dir.filePath(QStringLiteral("backup"))).removeRecursively();
        QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
        m_bank =
            testsupport::buildBank(m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus());
        m_dm = std::make_unique<TDM1>(m_bank);
        QVERIFY(m_dm->DataModuleConnected);
        DM1 = m_dm.get();
    }
    QVariant scalar(const QString& sql) { return m_dm->ADOCn1.scalar(sql); }
    // Runs one upgrade through the window as the learner does, returning the messages shown.
    QStringList upgradeThroughWindow(const QString& file) {
        ScopedMessages shown;
        Tfrmstxz w;
        w.show();
        w.FileBox()->setText(QStringLiteral("  ") + file + QStringLiteral(" "));
        QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("Start")), Qt::LeftButton);
        QStringList texts;
        for (const auto& s : shown->shown)
            texts << s.text;
        w.close();
        return texts;
    }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() {
        DM1 = nullptr;
        store::setClock(nullptr);
    }

    void mergesOnceWithABackupAndPractisesTheNewRows() {
        openBank();
        // A path with a quote, a #, a ?, a blank and Chinese.
        const QString folder = m_dir.filePath(QStringLiteral("下载 it's #1?"));
        QVERIFY(QDir().mkpath(folder));
        const QString file =
            buildUpgrade(folder + QStringLiteral("/升级.mdb"), upgradeSource(QStringLiteral("T-1")));
        const QByteArray before = digest(m_bank);
        const int questions = scalar(QStringLiteral("select count(*) from tab_answ")).toInt();
        // The practice cursor is open before the upgrade; it must not hide the new rows afterwards.
        m_dm->Cn1Table_kmmc.open();

        const QStringList texts = upgradeThroughWindow(file);
        QCOMPARE(texts.size(), 1);
        QVERIFY2(texts[0].startsWith(QStringLiteral("升级成功！\n")), qPrintable(texts[0]));
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_answ")).toInt(), questions + 2);
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_kmmc where C1='050103'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_rule where ftid='050103-001'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_sj where sjbs='T-1'")).toInt(), 1);
        QVERIFY(!m_dm->Cn1Table_kmmc.active());

        // The backup is the bank as it was, and it opens.
        const QStringList backups =
            QDir(upgrade::BackupFolder(m_bank)).entryList({QStringLiteral("*.mdb")}, QDir::Files);
        QCOMPARE(backups.size(), 1);
        QVERIFY(backups[0].contains(QStringLiteral("20261210-103000-T-1")));
        QVERIFY(texts[0].contains(backups[0]));
        const QString backup = QDir(upgrade::BackupFolder(m_bank)).filePath(backups[0]);
        QCOMPARE(digest(backup), before);
        {
            store::Database copy;
            copy.open(backup, store::BankKey());
            QCOMPARE(copy.scalar(QStringLiteral("select count(*) from tab_answ")).toInt(), questions);
        }

        // The same file again is refused and changes nothing.
        const QByteArray merged = digest(m_bank);
        QCOMPARE(upgradeThroughWindow(file), QStringList{QStringLiteral("您已升级过了！")});
        QCOMPARE(digest(m_bank), merged);

        // A new question of the new section is practised and counted in its chapter.
        store::DataSet& set = m_dm->Cn1Query_tm;
        set.close();
        set.setCommandText(QStringLiteral("select * from tab_answ where A1='U0001'"));
        set.open();
        QCOMPARE(SaveAnswerToRow(*m_dm, set, QStringLiteral("C")), SaveOutcome::Marked);
        QCOMPARE(scalar(QStringLiteral("select D1 from tab_kmmc where C1='050103'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select q2 from tab_rule where ftid='050103-001'")).toInt(), 1);
        set.close();

        // The bank check finds nothing wrong in the merged rows: parents, links, keys, stems, counters. (The
        // small test bank's type tables are not a full paper plan, so the type and draw topics are left out.)
        m_dm->ADOCn1.close();
        const auto errors = [](const tools::CheckReport& report) {
            QStringList lines;
            for (const QString& line : report.lines())
                if (line.startsWith(QStringLiteral("error")) &&
                    !line.startsWith(QStringLiteral("error: types:")) &&
                    !line.startsWith(QStringLiteral("error: draw:")))
                    lines << line;
            return lines;
        };
        const QStringList known = errors(tools::checkBankFile(backup, false));
        QStringList added;
        for (const QString& line : errors(tools::checkBankFile(m_bank, false)))
            if (!known.contains(line))
                added << line;
        QVERIFY2(added.isEmpty(), qPrintable(added.join(u'\n')));
    }

    void refusalsChangeNothing() {
        openBank();
        const QByteArray before = digest(m_bank);
        // Another product's upgrade.
        const QString other = buildUpgrade(m_dir.filePath(QStringLiteral("other.mdb")),
                                           upgradeSource(QStringLiteral("O-1"), QStringLiteral("ELSE")));
        // A plain database without an identity table.
        const QString noId = m_dir.filePath(QStringLiteral("noid.mdb"));
        {
            store::Database db;
            db.open(noId, QByteArray(), store::Database::OpenMode::Create);
            db.execute(QStringLiteral("create table tab_answ (A1 TEXT(20))"));
        }
        // Random bytes, an empty file, a missing file, and the bank itself.
        const QString random = m_dir.filePath(QStringLiteral("random.mdb"));
        {
            QFile f(random);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QByteArray bytes(8192, '\0');
            for (int i = 0; i < bytes.size(); ++i)
                bytes[i] = char((i * 7919 + 13) % 251);
            f.write(bytes);
        }
        const QString empty = m_dir.filePath(QStringLiteral("empty.mdb"));
        {
            QFile f(empty);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QCOMPARE(upgradeThroughWindow(other), QStringList{QStringLiteral("升级文件不属于本软件！")});
        QCOMPARE(upgradeThroughWindow(noId), QStringList{QStringLiteral("升级文件不属于本软件！")});
        QCOMPARE(upgradeThroughWindow(random), QStringList{QStringLiteral("无法打开升级文件！")});
        QCOMPARE(upgradeThroughWindow(empty), QStringList{QStringLiteral("升级文件不属于本软件！")});
        QCOMPARE(upgradeThroughWindow(m_dir.filePath(QStringLiteral("nothing-here.mdb"))),
                 QStringList{QStringLiteral("无法打开升级文件！")});
        QCOMPARE(upgradeThroughWindow(m_bank), QStringList{QStringLiteral("无法打开升级文件！")});
        QCOMPARE(upgradeThroughWindow(QStringLiteral("   ")),
                 QStringList{QStringLiteral("请点击文件夹按钮选择升级文件！")});
        QCOMPARE(digest(m_bank), before);
        QVERIFY(!QDir(upgrade::BackupFolder(m_bank)).exists());
        QVERIFY(!QFile::exists(empty) || QFileInfo(empty).size() == 0);
    }

    void columnsAreCopiedByNameAndAMissingOneIsRefused() {
        openBank();
        const QString file = buildUpgrade(m_dir.filePath(QStringLiteral("reordered.mdb")),
                                          upgradeSource(QStringLiteral("R-1")));
        {
            // The same rows with tab_answ's columns in another order.
            store::Database db;
            db.open(file, QByteArray());
            const QStringList cols = db.columnNames(QStringLiteral("tab_answ"));
            QStringList reversed(cols.rbegin(), cols.rend());
            db.execute(QStringLiteral("create table t2 as select ") + reversed.join(u',') +
                       QStringLiteral(" from tab_answ"));
            db.execute(QStringLiteral("drop table tab_answ"));
            db.execute(QStringLiteral("alter table t2 rename to tab_answ"));
        }
        QVERIFY(upgradeThroughWindow(file).value(0).startsWith(QStringLiteral("升级成功！")));
        QCOMPARE(scalar(QStringLiteral("select A2 from tab_answ where A1='U0001'")).toString(),
                 QStringLiteral("C"));
        QCOMPARE(scalar(QStringLiteral("select A10 from tab_answ where A1='U0001'")).toString(),
                 QStringLiteral("050103"));

        const QString lacking =
            buildUpgrade(m_dir.filePath(QStringLiteral("lacking.mdb")), upgradeSource(QStringLiteral("L-1")));
        {
            store::Database db;
            db.open(lacking, QByteArray());
            db.execute(QStringLiteral("create table t2 as select A1, A2 from tab_answ"));
            db.execute(QStringLiteral("drop table tab_answ"));
            db.execute(QStringLiteral("alter table t2 rename to tab_answ"));
        }
        const QByteArray before = digest(m_bank);
        QVERIFY(upgradeThroughWindow(lacking).value(0).contains(QStringLiteral("不符")));
        QCOMPARE(digest(m_bank), before);
    }

    void aFailureInTheFourthStatementRollsEverythingBack() {
        openBank();
        const QString file =
            buildUpgrade(m_dir.filePath(QStringLiteral("clash.mdb")), upgradeSource(QStringLiteral("C-1")));
        m_dm->ADOCn1.failStatementsContaining(QStringLiteral("insert into tab_rule"));
        const QStringList texts = upgradeThroughWindow(file);
        m_dm->ADOCn1.failStatementsContaining(QString());
        QCOMPARE(texts, QStringList{QStringLiteral("升级失败！")});
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_answ where A1 like 'U*'")).toInt(), 0);
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_kmmc where C1='050103'")).toInt(), 0);
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_sj where sjbs='C-1'")).toInt(), 0);
        // The bank is what its backup holds, and the file can still be merged.
        const QStringList backups =
            QDir(upgrade::BackupFolder(m_bank)).entryList({QStringLiteral("*.mdb")}, QDir::Files);
        QCOMPARE(backups.size(), 1);
        m_dm->ADOCn1.close();
        QCOMPARE(digest(m_bank), digest(QDir(upgrade::BackupFolder(m_bank)).filePath(backups[0])));
    }

    void keepsTheLastFiveBackups() {
        openBank();
        for (int i = 1; i <= 7; ++i) {
            m_clock.set(QDateTime(QDate(2026, 12, 10), QTime(11, i)));
            const QString file = buildUpgrade(m_dir.filePath(QStringLiteral("u%1.mdb").arg(i)),
                                              upgradeSource(QStringLiteral("K-%1").arg(i)));
            // Each file adds the same rows: after the first, the copy clashes and is rolled back, which
            // still leaves a backup.
            upgradeThroughWindow(file);
        }
        const QStringList backups =
            QDir(upgrade::BackupFolder(m_bank)).entryList({QStringLiteral("*.mdb")}, QDir::Files, QDir::Name);
        QCOMPARE(backups.size(), 5);
        QVERIFY(backups.first().contains(QStringLiteral("-110300-K-3")));
        QVERIFY(backups.last().contains(QStringLiteral("-110700-K-7")));
    }

    void theDeliveredUpgradeMergesIntoTheDeliveredBank() {
        if (DM1 == m_dm.get())
            DM1 = nullptr;
        m_dm.reset();
        const QString content = qEnvironmentVariable("VQ_SOURCE_DIR") + QStringLiteral("/content/");
        QStringList errors;
        const tools::BankSource bank = tools::readBankSource(content + QStringLiteral("bank"), &errors);
        m_bank = m_dir.filePath(QStringLiteral("delivered/VELQUAR01.mdb"));
        QVERIFY(QDir().mkpath(QFileInfo(m_bank).path()));
        QVERIFY2(tools::buildBank(bank, m_bank, false, &errors), qPrintable(errors.join(u'\n')));
        tools::BaseBank base;
        QString error;
        QVERIFY2(tools::readBaseBank(m_bank, &base, &error), qPrintable(error));
        const tools::BankSource up =
            tools::readBankSource(content + QStringLiteral("upgrades/2027-1"), &errors);
        const QString file = m_dir.filePath(QStringLiteral("delivered/upgrade-2027-1.mdb"));
        QVERIFY2(tools::buildBank(up, file, tools::BuildOptions{true, true, &base}, &errors),
                 qPrintable(errors.join(u'\n')));
        m_dm = std::make_unique<TDM1>(m_bank);
        QVERIFY(m_dm->DataModuleConnected);
        DM1 = m_dm.get();
        QVERIFY(upgradeThroughWindow(file).value(0).startsWith(QStringLiteral("升级成功！")));
        // Its first question is practised in its new section.
        store::DataSet& set = m_dm->Cn1Query_tm;
        set.close();
        set.setCommandText(QStringLiteral("select * from tab_answ where A10='200203' order by A1"));
        set.open();
        QVERIFY(!set.isEmpty());
        QCOMPARE(SaveAnswerToRow(*m_dm, set, set.asString(QStringLiteral("A2"))), SaveOutcome::Marked);
        QCOMPARE(scalar(QStringLiteral("select D1 from tab_kmmc where C1='200203'")).toInt(), 1);
        set.close();
        m_dm->ADOCn1.close();
        QVERIFY(!tools::checkBankFile(m_bank, false).hasErrors());
    }

    void theFolderButtonAsksForAnUpgradeFile() {
        openBank();
        ScopedFileDialogs files;
        files->setNextFileName(QStringLiteral("/tmp/x.MDB"));
        Tfrmstxz w;
        w.ChooseFile();
        QCOMPARE(w.FileBox()->text(), QStringLiteral("/tmp/x.MDB"));
        QCOMPARE(files->asked.size(), 1);
        QVERIFY(files->asked[0].filter.contains(QStringLiteral("*.mdb *.MDB")));
        w.ChooseFile(); // cancelled: the box keeps its text
        QCOMPARE(w.FileBox()->text(), QStringLiteral("/tmp/x.MDB"));
    }
};

QTEST_MAIN(TestUpgrade)
#include "tst_upgrade.moc"
