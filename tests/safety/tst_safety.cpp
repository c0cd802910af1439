// The safety net around the learner's bank: daily copies and their rotation, a copy taken while a
// practice holds its rows, the bank check that finds and repairs counter drift and damaged texts, and a
// damaged bank put right from a copy at start-up.
#include "app/Startup.h"
#include "app/start.h"
#include "practice/Marking.h"
#include "safety/BankSafety.h"
#include "safety/Usafety.h"
#include "store/BankKey.h"
#include "store/Clock.h"
#include "store/Database.h"
#include "store/dm.h"
#include "tests/exam/ExamBank.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"
#include "tools/BankRecount.h"
#include "ui/Services.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::whenModal;

namespace {

QStringList dailyCopies(const QString& bankPath) {
    return QDir(QFileInfo(bankPath).absoluteDir().filePath(QStringLiteral("backup")))
        .entryList({QStringLiteral("*-daily-*.mdb")}, QDir::Files, QDir::Name);
}

// Overwrites the file from its second page on with bytes no key decrypts.
void damagePages(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    const qint64 size = f.size();
    QVERIFY(size > 8192);
    f.seek(4096);
    f.write(QByteArray(int(size - 4096), '\x5a'));
}

} // namespace

class TestSafety : public QObject {
    Q_OBJECT

    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 1), QTime(8, 0))};
    QTemporaryDir m_dir;
    int m_banks = 0;

    QString newBank() {
        const QString dir = m_dir.filePath(QStringLiteral("b%1").arg(++m_banks));
        QDir().mkpath(dir);
        return testsupport::buildBank(dir, examtest::Content(examtest::KindQuestions(2)));
    }
    static QVariant scalar(const QString& sql) { return DM1->ADOCn1.scalar(sql); }

    // Answers the first n questions of the bank through the program's marking, wrong every third time.
    static void answer(int n) {
        // A practice starts with the per-practice answers cleared and ends with the study time written,
        // which brings every chapter's score up to date.
        DM1->ADOCn1.execute(QStringLiteral("Update tab_answ set E2_1= '' where E2_1 is not ''"));
        store::DataSet& set = DM1->Cn1Query_tm;
        set.close();
        set.setCommandText(QStringLiteral("select * from tab_answ order by A1"));
        set.open();
        int i = 0;
        for (set.first(); !set.eof() && i < n; set.next(), ++i) {
            const QString key = set.asString(QStringLiteral("A2"));
            SaveAnswerToRow(*DM1, set, i % 3 == 2 ? (key == u"A" ? QStringLiteral("B") : QStringLiteral("A")) : key);
        }
        set.close();
        DM1->RecordStudyTime(QStringLiteral("0:01:00"));
    }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() { store::setClock(nullptr); }
    void cleanup() {
        delete DM1;
        DM1 = nullptr;
    }

    void aCopyADayAndTheLastSevenKept() {
        const QString bank = newBank();
        DM1 = new TDM1(bank);
        QVERIFY(DM1->DataModuleConnected);
        // An upgrade's copy lies beside the daily ones and is never rotated away.
        QDir().mkpath(QFileInfo(bank).absoluteDir().filePath(QStringLiteral("backup")));
        const QString upgradeCopy = QFileInfo(bank).absoluteDir().filePath(
            QStringLiteral("backup/bank-upgrade-20261130-101010-x.mdb"));
        QVERIFY(QFile::copy(bank, upgradeCopy));
        for (int day = 0; day < 8; ++day) {
            ScopedMessages shown;
            m_clock.set(QDateTime(QDate(2026, 12, 1).addDays(day), QTime(8, 0)));
            answer(day + 1);
            RunDailyBackup();
            RunDailyBackup(); // a second start on the same day copies nothing
            QCOMPARE(shown->shown.size(), 0);
        }
        const QStringList copies = dailyCopies(bank);
        QCOMPARE(copies.size(), 7);
        QCOMPARE(copies.first(), QStringLiteral("bank-daily-20261202.mdb"));
        QCOMPARE(copies.last(), QStringLiteral("bank-daily-20261208.mdb"));
        QVERIFY(QFileInfo::exists(upgradeCopy));

        // Listed newest first with the answers each holds; the copy of the last day has every answer.
        const QList<safety::BackupEntry> list = safety::ListBackups(bank);
        QCOMPARE(list.size(), 8);
        QCOMPARE(list[0].made.date(), QDate(2026, 12, 8));
        QCOMPARE(list[0].answers, scalar(QStringLiteral("select sum(E3) from tab_answ")).toLongLong());
        QCOMPARE(list[0].answers, 1 + 2 + 3 + 4 + 5 + 6 + 7 + 8);
        QCOMPARE(list[1].answers, 1 + 2 + 3 + 4 + 5 + 6 + 7);
        QCOMPARE(list.last().kind, safety::BackupEntry::Kind::Upgrade);
        QCOMPARE(list.last().answers, 0);
    }

    void aCopyTakenWhileAPracticeHoldsItsRowsIsWhole() {
        const QString bank = newBank();
        DM1 = new TDM1(bank);
        answer(5);
        // A practice's query is open with its rows and a pending edit on another cursor.
        store::DataSet& practice = DM1->Cn1Query_tm;
        practice.setCommandText(QStringLiteral("select * from tab_answ order by A1"));
        practice.open();
        practice.next();
        m_clock.set(QDateTime(QDate(2026, 12, 20), QTime(9, 0)));
        const QString copy = safety::MakeDailyBackup(DM1->ADOCn1, m_clock.today());
        QVERIFY(practice.active());
        store::Database db;
        db.open(copy, store::BankKey(), store::Database::OpenMode::Existing, {QStringLiteral("tab_answ")});
        QCOMPARE(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        QCOMPARE(db.scalar(QStringLiteral("select sum(E3) from tab_answ")).toInt(), 5);
        QCOMPARE(db.scalar(QStringLiteral("select sum(D1) from tab_kmmc where length(C1)=1")).toInt(), 5);
        QVERIFY(tools::findCounterDrift(db).isEmpty());
        QVERIFY(!QFileInfo::exists(copy + QStringLiteral(".part")));
        practice.close();
    }

    void aCopyThatCannotBeWrittenIsToldOnceAndTheProgramGoesOn() {
        const QString bank = newBank();
        DM1 = new TDM1(bank);
        // A file where the backup folder should be.
        QFile blocker(QFileInfo(bank).absoluteDir().filePath(QStringLiteral("backup")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ScopedMessages shown;
        m_clock.set(QDateTime(QDate(2026, 12, 21), QTime(9, 0)));
        RunDailyBackup();
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].caption, QStringLiteral("警告"));
        QVERIFY(shown->shown[0].text.startsWith(QStringLiteral("今天的自动备份没有完成")));
        QVERIFY(DM1->DataModuleConnected);
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_answ")).toInt() > 0, true);
    }

    void theCheckFindsCounterDriftAndRepairsItAfterACopy() {
        const QString bank = newBank();
        DM1 = new TDM1(bank);
        answer(9);
        QVERIFY(tools::findCounterDrift(DM1->ADOCn1).isEmpty());
        const QVariantList logBefore = {scalar(QStringLiteral("select A2 from tab_rz")),
                                        scalar(QStringLiteral("select A3 from tab_rz"))};
        // Drift as a write cut short or an old fault could leave it.
        const QString chapter = scalar(QStringLiteral("select min(A10) from tab_answ where E3>0")).toString();
        const QString point =
            scalar(QStringLiteral("select min(K3) from tab_answ where E3>0 and K3<>''")).toString();
        DM1->ADOCn1.execute(QStringLiteral("update tab_kmmc set D1=D1+4, C4=C4-1, D2=D1+50 where C1=?"), {chapter});
        DM1->ADOCn1.execute(QStringLiteral("update tab_rule set q1=q1+2, q=q+1 where ftid=?"), {point});
        DM1->ADOCn1.execute(QStringLiteral("update tab_fgmc set q2=q2+7 where id=?"), {point.left(2)});
        const auto driftSet = [](store::Database& db) {
            QStringList found;
            for (const tools::CounterDrift& d : tools::findCounterDrift(db))
                found << d.table + u' ' + d.id + u' ' + d.column;
            found.sort();
            return found;
        };
        QStringList expected{QStringLiteral("tab_kmmc %1 C4"), QStringLiteral("tab_kmmc %1 C6"),
                             QStringLiteral("tab_kmmc %1 D1"), QStringLiteral("tab_kmmc %1 D2")};
        expected.replaceInStrings(QStringLiteral("%1"), chapter);
        expected << QStringLiteral("tab_rule %1 q").arg(point) << QStringLiteral("tab_rule %1 q1").arg(point);
        if (scalar(QStringLiteral("select count(*) from tab_fgmc where id='%1'").arg(point.left(2))).toInt() == 1)
            expected << QStringLiteral("tab_fgmc %1 q2").arg(point.left(2));
        expected.sort();
        QCOMPARE(driftSet(DM1->ADOCn1), expected);

        ScopedMessages shown;
        shown->answerPrompt(1);
        bool checked = false;
        {
            TFrmBankCheck check;
            QVERIFY(!check.IntegrityFailed());
            QCOMPARE(check.DriftCount(), expected.size());
            QVERIFY(check.RepairButton->isEnabled());
            QVERIFY(!check.RestoreButton->isEnabled());
            QVERIFY(check.Report->toPlainText().contains(QStringLiteral("可以修复")));
            QVERIFY(check.Report->toPlainText().contains(QStringLiteral("tab_kmmc ") + chapter + QStringLiteral(": D1")));
            QTest::mouseClick(check.RepairButton, Qt::LeftButton);
            QCOMPARE(check.DriftCount(), 0);
            QVERIFY(!check.RepairButton->isEnabled());
            QVERIFY(!check.Report->toPlainText().contains(QStringLiteral(": counter: ")));
            QVERIFY(check.Report->toPlainText().contains(QStringLiteral("学习统计：与题目记录一致。")));
            checked = true;
        }
        QVERIFY(checked);
        QCOMPARE(shown->shown.size(), 2); // the question, then where the copy went
        QVERIFY(shown->shown[1].text.startsWith(QStringLiteral("已修复")));
        QVERIFY(tools::findCounterDrift(DM1->ADOCn1).isEmpty());
        // The impossible wrong-answer count came back within the answers; the log is untouched.
        QVERIFY(scalar(QStringLiteral("select D2 from tab_kmmc where C1='%1'").arg(chapter)).toInt() <=
                scalar(QStringLiteral("select D1 from tab_kmmc where C1='%1'").arg(chapter)).toInt());
        QCOMPARE(QVariantList({scalar(QStringLiteral("select A2 from tab_rz")), scalar(QStringLiteral("select A3 from tab_rz"))}),
                 logBefore);
        // The copy made first still holds the drift.
        const QList<safety::BackupEntry> copies = safety::ListBackups(bank);
        QCOMPARE(copies.size(), 1);
        QCOMPARE(copies[0].kind, safety::BackupEntry::Kind::Repair);
        store::Database before;
        before.open(copies[0].path, store::BankKey());
        QCOMPARE(driftSet(before), expected);
    }

    void aStemCutShortByAZeroPageIsReported() {
        const QString bank = newBank();
        DM1 = new TDM1(bank);
        const QString id = scalar(QStringLiteral("select min(A1) from tab_exer")).toString();
        QByteArray stem = scalar(QStringLiteral("select A15 from tab_exer where A1='%1'").arg(id)).toByteArray();
        stem = stem.left(stem.size() / 2) + QByteArray(64, '\0');
        DM1->ADOCn1.execute(QStringLiteral("update tab_exer set A15=? where A1=?"), {stem, id});
        ScopedMessages shown;
        TFrmBankCheck check;
        QVERIFY(!check.IntegrityFailed());
        QVERIFY(check.Report->toPlainText().contains(QStringLiteral("无法完整读出的题目内容：1 处")));
        QVERIFY(check.Report->toPlainText().contains(id));
        QVERIFY(check.RestoreButton->isEnabled());
        // Cut short without the zeros: the missing closing brace tells.
        DM1->ADOCn1.execute(QStringLiteral("update tab_exer set A15=? where A1=?"), {stem.left(stem.size() - 64), id});
        check.RunCheck();
        QVERIFY(check.Report->toPlainText().contains(QStringLiteral("无法完整读出的题目内容：1 处")));
    }

    void aDamagedBankIsRestoredFromACopyAtStart() {
        const QString bank = newBank();
        DM1 = new TDM1(bank);
        answer(4);
        m_clock.set(QDateTime(QDate(2026, 12, 22), QTime(9, 0)));
        RunDailyBackup();
        answer(2); // answers after the copy are what the damage costs
        DM1->CloseConnection();
        delete DM1;
        DM1 = nullptr;
        damagePages(bank);

        ScopedMessages shown;
        StartOptions o;
        o.bankPath = bank;
        o.menuFile = QFINDTESTDATA("../../pic/main.menu");
        o.singleInstance = false;
        bool offered = false;
        whenModal<TFrmRestore>([&](TFrmRestore* w) {
            offered = true;
            QCOMPARE(w->List->rowCount(), 1);
            QCOMPARE(w->List->item(0, 2)->text(), QStringLiteral("4"));
            QVERIFY(w->RestoreButton->isEnabled());
            QTest::mouseClick(w->RestoreButton, Qt::LeftButton);
        });
        QCOMPARE(StartProgram(o), StartResult::Running);
        QVERIFY(offered);
        QCOMPARE(scalar(QStringLiteral("select sum(E3) from tab_answ")).toInt(), 4);
        QCOMPARE(scalar(QStringLiteral("PRAGMA quick_check")).toString(), QStringLiteral("ok"));
        const QStringList kept = QFileInfo(bank).absoluteDir().entryList({QStringLiteral("bank-damaged-*.mdb")});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(QFileInfo(QFileInfo(bank).absoluteDir().filePath(kept[0])).size(), QFileInfo(bank).size());
        FinishProgram();

        // Declining, or no copy at all: the message and the end, nothing moved.
        damagePages(bank);
        whenModal<TFrmRestore>([&](TFrmRestore* w) { QTest::mouseClick(w->CancelButton, Qt::LeftButton); });
        QCOMPARE(StartProgram(o), StartResult::NoDatabase);
        QCOMPARE(shown->shown.last().text, QStringLiteral("无法连接数据库！"));
        QCOMPARE(QFileInfo(bank).absoluteDir().entryList({QStringLiteral("bank-damaged-*.mdb")}).size(), 1);
        QDir(QFileInfo(bank).absoluteDir().filePath(QStringLiteral("backup"))).removeRecursively();
        shown->clear();
        QCOMPARE(StartProgram(o), StartResult::NoDatabase);
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("无法连接数据库！"));
    }
};

QTEST_MAIN(TestSafety)
#include "tst_safety.moc"
