// The data module: opening the bank, the shared cursors, and the small routines over durations.
#include "store/BankKey.h"
#include "store/Schema.h"
#include "store/TimeText.h"
#include "store/dm.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestDataModule : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_bank;

private slots:
    void initTestCase() {
        m_bank =
            testsupport::buildBank(m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus());
    }

    void opensTheBankAndSetsTheProgramFolder() {
        TDM1 dm(m_bank);
        QVERIFY(dm.DataModuleConnected);
        QVERIFY(ProgramFolder.endsWith(u'/'));
        QCOMPARE(TDM1::DefaultBankPath(), ProgramFolder + QStringLiteral("data/VELQUAR01.mdb"));
        dm.Cn1Table_plan.open();
        QCOMPARE(dm.Cn1Table_plan.asInteger(QStringLiteral("PlanAmount")), 10);
    }

    void missingOrForeignBanksDoNotConnect() {
        TDM1 missing(m_dir.filePath(QStringLiteral("missing.mdb")));
        QVERIFY(!missing.DataModuleConnected);
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("missing.mdb"))));

        // A plain file, a file of garbage: no connection, and both files stay as they were.
        const QString plain = testsupport::buildBank(m_dir.path(), testsupport::baseContent(), true,
                                                     QStringLiteral("plain.mdb"));
        const QString junk = m_dir.filePath(QStringLiteral("junk.mdb"));
        QFile j(junk);
        QVERIFY(j.open(QIODevice::WriteOnly));
        j.write(QByteArray(8192, 'x'));
        j.close();
        for (const QString& path : {plain, junk}) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray before = f.readAll();
            f.close();
            {
                TDM1 dm(path);
                QVERIFY(!dm.DataModuleConnected);
            }
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), before);
            f.close();
        }
    }

    void chapterCursorCarriesTheCurrentTitle() {
        TDM1 dm(m_bank);
        dm.Cn1Table_kmmc.open();
        QCOMPARE(CurrentChapterTitle, QStringLiteral("科目一"));
        QVERIFY(dm.Cn1Table_kmmc.locate(QStringLiteral("c1"), QStringLiteral("050101")));
        QCOMPARE(CurrentChapterTitle, QStringLiteral("第一节标题"));
        dm.Cn1Table_kmmc.next();
        QCOMPARE(CurrentChapterTitle, QStringLiteral("第二节")); // title defaults to the name
    }

    void typeTableFollowsThePaperKind() {
        TDM1 dm(m_bank);
        dm.Cn1Table_tx.open();
        QCOMPARE(dm.Cn1Table_tx.recordCount(), 3);
        dm.PointTypeTable(4);
        dm.Cn1Table_tx.open();
        QCOMPARE(dm.Cn1Table_tx.recordCount(), 2);
        QCOMPARE(dm.Cn1Table_tx.asInteger(QStringLiteral("A1")), 62);
        dm.PointTypeTable(0);
        QCOMPARE(dm.Cn1Table_tx.tableName(), QStringLiteral("tab_tx1"));
    }

    void paperTablesTakeEmptyTexts() {
        QTemporaryDir dir;
        TDM1 dm(testsupport::buildBank(dir.path(), testsupport::baseContent()));
        QVERIFY_THROWS_EXCEPTION(store::DbError, dm.AllowEmptyText(QStringLiteral("tab_exam1")));
        dm.ADOCn1.execute(store::PaperTableStatement(QStringLiteral("tab_exam1")));
        dm.AllowEmptyText(QStringLiteral("tab_exam1"));
        dm.ADOCn1.execute(QStringLiteral("insert into tab_exam1 (A1,E2_1) values ('a','')"));
        QCOMPARE(dm.ADOCn1.scalar(QStringLiteral("select count(*) from tab_exam1 where E2_1=''")).toInt(), 1);
    }

    void openingAPracticeClearsOnlyTheAnswersThereAre() {
        QTemporaryDir dir;
        const QString bank =
            testsupport::buildBank(dir.path(), testsupport::baseContent() + testsupport::smallSyllabus());
        {
            // A bank made before the index of answered rows existed gets it when the program opens it.
            store::Database db;
            db.open(bank, store::BankKey());
            db.execute(QStringLiteral("drop index ix_answ_e2_1"));
        }
        TDM1 dm(bank);
        QVERIFY(dm.DataModuleConnected);
        QCOMPARE(
            dm.ADOCn1.scalar(QStringLiteral("select count(*) from sqlite_master where name='ix_answ_e2_1'"))
                .toInt(),
            1);
        dm.ADOCn1.execute(QStringLiteral("update tab_answ set E2_1=NULL where A1='Q0001'"));
        dm.ADOCn1.execute(QStringLiteral("update tab_answ set E2_1='B' where A1='Q0002'"));
        dm.ADOCn1.execute(
            QStringLiteral("update tab_answ set E2_1='' where A1 in ('Q0003','Q0004','Q0005')"));
        dm.ResetPracticeAnswers();
        QCOMPARE(dm.ADOCn1.scalar(QStringLiteral("select count(*) from tab_answ where E2_1=''")).toInt(), 5);
        // The rows are found through the index of rows holding an answer, not by reading every question.
        const auto plan =
            dm.ADOCn1.query(QStringLiteral("explain query plan ") + store::PracticeAnswerReset());
        QVERIFY2(plan.rows.first().last().toString().contains(QStringLiteral("ix_answ_e2_1")),
                 qPrintable(plan.rows.first().last().toString()));
        QCOMPARE(dm.ADOCn1.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    }

    void durationTexts() {
        using store::TimeTextToSeconds;
        QCOMPARE(TimeTextToSeconds(QStringLiteral("0:07:05")), 425);
        QCOMPARE(TimeTextToSeconds(QStringLiteral("1:05:30")), 3930);
        QCOMPARE(TimeTextToSeconds(QString()), 0);
        QCOMPARE(TimeTextToSeconds(QStringLiteral("125")), 0);
        QCOMPARE(TimeTextToSeconds(QStringLiteral("12:00")), 12 * 3600);
        QCOMPARE(TimeTextToSeconds(QStringLiteral("1:02:03:04")), 3600 + 120);
        QCOMPARE(TimeTextToSeconds(QStringLiteral("100:00:00")), 360000);
        QVERIFY_THROWS_EXCEPTION(store::DbError, TimeTextToSeconds(QStringLiteral("a:00:00")));
        QCOMPARE(store::SecondsToTimeText(TimeTextToSeconds(QStringLiteral("09:59:30")) + 45),
                 QStringLiteral("10:00:15"));
        QCOMPARE(store::SecondsToTimeText(360000), QStringLiteral("100:00:00"));
        QCOMPARE(store::PercentText(2, 3), QStringLiteral("66.67"));
        QCOMPARE(store::PercentText(0, 4), QStringLiteral("0.00"));
        QCOMPARE(store::PercentText(0, 0), QStringLiteral("0"));
    }
};

QTEST_MAIN(TestDataModule)
#include "tst_datamodule.moc"
