// Edits reach the row they were made on or nothing at all: rows that went away through a clone, a
// rolled-back transaction or another statement, row ids used again by new rows, clones editing one row,
// and the filters and deletes that fail half-way.
#include "store/BankKey.h"
#include "store/DataSet.h"
#include "store/Database.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace store;

class TestWriteBack : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    Database m_db;

    QVariant scalar(const QString& sql) { return m_db.scalar(sql); }
    int count(const QString& sql) { return m_db.scalar(sql).toInt(); }
    void addPapers(int n) {
        for (int i = 1; i <= n; ++i)
            m_db.execute(QStringLiteral("insert into tab_cj (A1,A3,A3_1,A6) values (:A1,'x',:n,:s)"),
                         {QStringLiteral("tab_exam%1").arg(i), i, 70 + i});
    }

private slots:
    void init() {
        m_db.close();
        QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
        m_db.open(
            testsupport::buildBank(m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus()),
            BankKey());
    }

    void anEditWhoseRowWasDeletedThroughACloneWritesNothing() {
        DataSet a(&m_db);
        a.setCommandText(QStringLiteral("select * from tab_answ order by A1"));
        a.open();
        DataSet b;
        b.cloneFrom(a);
        b.setRecNo(3);
        b.setValue(QStringLiteral("A14"), QStringLiteral("笔记"));
        a.setRecNo(3);
        QCOMPARE(a.asString(QStringLiteral("A1")), QStringLiteral("Q0003"));
        a.remove();
        QVERIFY_THROWS_EXCEPTION(DbError, b.post());
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where A14 is not null")), 0);
        QCOMPARE(b.state(), DataSet::State::Edit); // the learner's text is still there to be dealt with
        b.cancel();
        // The row that followed the deleted one is current, as in the set that deleted it.
        QCOMPARE(b.asString(QStringLiteral("A1")), QStringLiteral("Q0004"));
        QCOMPARE(b.recordCount(), 4);
    }

    void anAppendUndoneByARollbackIsNeverPostedOverAnotherRow() {
        addPapers(1);
        DataSet cj(&m_db);
        cj.setTableName(QStringLiteral("tab_cj"));
        cj.open();
        m_db.beginTransaction();
        cj.append();
        cj.setValue(QStringLiteral("A1"), QStringLiteral("tab_exam2"));
        cj.setValue(QStringLiteral("A3_1"), 2);
        cj.post();
        cj.setValue(QStringLiteral("A6"), 90);
        m_db.rollback();
        QVERIFY_THROWS_EXCEPTION(DbError, cj.post());
        cj.cancel();
        QCOMPARE(scalar(QStringLiteral("select A6 from tab_cj where A1='tab_exam1'")).toInt(), 71);
        QCOMPARE(count(QStringLiteral("select count(*) from tab_cj")), 1);
        QCOMPARE(cj.recordCount(), 1);
        QCOMPARE(cj.asString(QStringLiteral("A1")), QStringLiteral("tab_exam1"));
    }

    void aRowDeletedElsewhereIsAConflict() {
        DataSet q(&m_db);
        q.setCommandText(QStringLiteral("select * from tab_answ where A1 in ('Q0002','Q0003')"));
        q.open();
        q.setValue(QStringLiteral("A14"), QStringLiteral("x"));
        m_db.execute(QStringLiteral("delete from tab_answ where A1='Q0002'"));
        QVERIFY_THROWS_EXCEPTION(DbError, q.post());
        q.cancel();
        QVERIFY_THROWS_EXCEPTION(DbError, q.remove());
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where A14 is not null")), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ")), 4);
        // Reading the row again tells the set that it is gone.
        QVERIFY_THROWS_EXCEPTION(DbError, q.refreshRow());
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q.asString(QStringLiteral("A1")), QStringLiteral("Q0003"));
    }

    void aRowIdUsedAgainDoesNotTakeAnotherPapersScore() {
        addPapers(2);
        DataSet cj(&m_db);
        cj.setTableName(QStringLiteral("tab_cj"));
        cj.open();
        QVERIFY(cj.locate(QStringLiteral("A1"), QStringLiteral("tab_exam2")));
        const qint64 rowid =
            scalar(QStringLiteral("select rowid from tab_cj where A1='tab_exam2'")).toLongLong();
        m_db.execute(QStringLiteral("delete from tab_cj where A1='tab_exam2'"));
        m_db.execute(QStringLiteral("insert into tab_cj (A1,A3,A3_1) values ('tab_exam3','y',3)"));
        QCOMPARE(scalar(QStringLiteral("select rowid from tab_cj where A1='tab_exam3'")).toLongLong(), rowid);
        cj.setValue(QStringLiteral("A6"), 88);
        QVERIFY_THROWS_EXCEPTION(DbError, cj.post());
        cj.cancel();
        QVERIFY(scalar(QStringLiteral("select A6 from tab_cj where A1='tab_exam3'")).isNull());
        QVERIFY_THROWS_EXCEPTION(DbError, cj.remove());
        QCOMPARE(count(QStringLiteral("select count(*) from tab_cj")), 2);
        // A row found by its key is written as before.
        QVERIFY(cj.locate(QStringLiteral("A1"), QStringLiteral("TAB_EXAM1")));
        cj.setValue(QStringLiteral("A6"), 95.5);
        cj.post();
        QCOMPARE(scalar(QStringLiteral("select A6 from tab_cj where A1='tab_exam1'")).toDouble(), 95.5);
    }

    void clonesWriteOnlyWhatTheyChanged() {
        DataSet a(&m_db);
        a.setCommandText(QStringLiteral("select * from tab_answ order by A1"));
        a.open();
        DataSet b;
        b.cloneFrom(a);
        b.setValue(QStringLiteral("A14"), QStringLiteral("b 的笔记"));
        a.setValue(QStringLiteral("E2"), QStringLiteral("C"));
        a.setValue(QStringLiteral("E3"), 1);
        a.post();
        b.post();
        QCOMPARE(m_db.query(QStringLiteral("select E2,E3,A14 from tab_answ where A1='Q0001'")).rows.first(),
                 QVector<QVariant>({QStringLiteral("C"), 1, QStringLiteral("b 的笔记")}));
        // Both sets show the row as the bank holds it.
        for (DataSet* s : {&a, &b}) {
            QCOMPARE(s->asString(QStringLiteral("E2")), QStringLiteral("C"));
            QCOMPARE(s->asString(QStringLiteral("A14")), QStringLiteral("b 的笔记"));
        }
        // A rollback gives back exactly what the transaction changed.
        m_db.beginTransaction();
        b.setValue(QStringLiteral("E2"), QStringLiteral("D"));
        b.post();
        a.setValue(QStringLiteral("A14"), QString());
        a.post();
        m_db.rollback();
        QCOMPARE(a.asString(QStringLiteral("E2")), QStringLiteral("C"));
        QCOMPARE(b.asString(QStringLiteral("A14")), QStringLiteral("b 的笔记"));
    }

    void changingTheKeyKeepsTheRowWritable() {
        DataSet q(&m_db);
        q.setCommandText(QStringLiteral("select A1, A14 from tab_answ where A1='Q0005'"));
        q.open();
        q.setValue(QStringLiteral("A1"), QStringLiteral("Q0006"));
        q.post();
        q.setValue(QStringLiteral("A14"), QStringLiteral("改号以后"));
        q.post();
        QCOMPARE(scalar(QStringLiteral("select A14 from tab_answ where A1='Q0006'")).toString(),
                 QStringLiteral("改号以后"));
        QVERIFY(!q.fieldNames().contains(QStringLiteral("__key")));
        QVERIFY(!q.fieldNames().contains(QStringLiteral("__rowid")));
    }

    void aFailedDeleteKeepsThePendingEdit() {
        DataSet q(&m_db);
        q.setTableName(QStringLiteral("tab_answ"));
        q.open();
        q.setValue(QStringLiteral("A14"), QStringLiteral("还没存"));
        m_db.failStatementsContaining(QStringLiteral("delete from"));
        QVERIFY_THROWS_EXCEPTION(DbError, q.remove());
        m_db.failStatementsContaining(QString());
        QCOMPARE(q.state(), DataSet::State::Edit);
        QCOMPARE(q.asString(QStringLiteral("A14")), QStringLiteral("还没存"));
        QCOMPARE(q.recordCount(), 5);
        q.post();
        QCOMPARE(scalar(QStringLiteral("select A14 from tab_answ where A1='Q0001'")).toString(),
                 QStringLiteral("还没存"));
    }

    void aFilterOrSortThatFailsKeepsThePreviousOnes() {
        DataSet q(&m_db);
        q.setCommandText(QStringLiteral("select * from tab_answ order by A1"));
        q.open();
        q.setFilter(QStringLiteral("A13=61"));
        q.setFiltered(true);
        q.setRecNo(2);
        const auto unchanged = [&] {
            QCOMPARE(q.filter(), QStringLiteral("A13=61"));
            QCOMPARE(q.recordCount(), 3);
            QCOMPARE(q.asString(QStringLiteral("A1")), QStringLiteral("Q0003"));
        };
        QVERIFY_THROWS_EXCEPTION(DbError, q.setFilter(QStringLiteral("c1<>'xx'"))); // no such column
        unchanged();
        QVERIFY_THROWS_EXCEPTION(DbError, q.setFilter(QStringLiteral("A13="))); // not an expression
        unchanged();
        QVERIFY_THROWS_EXCEPTION(DbError, q.setSort(QStringLiteral("nope DESC")));
        QCOMPARE(q.sort(), QString());
        unchanged();
        // Switched on later, a filter that cannot be applied leaves the rows unfiltered.
        q.setFiltered(false);
        q.setFilter(QStringLiteral("nope=1"));
        QVERIFY_THROWS_EXCEPTION(DbError, q.setFiltered(true));
        QVERIFY(!q.filtered());
        QCOMPARE(q.recordCount(), 5);
    }

    void refreshingARowShowsTheBank() {
        DataSet kmmc(&m_db);
        kmmc.setTableName(QStringLiteral("tab_kmmc"), QStringLiteral("bh"));
        kmmc.open();
        QVERIFY(kmmc.locate(QStringLiteral("C1"), QStringLiteral("0501")));
        m_db.execute(QStringLiteral("update tab_kmmc set D1=D1+4 where C1='0501'"));
        QCOMPARE(kmmc.asInteger(QStringLiteral("D1")), 0);
        kmmc.refreshRow();
        QCOMPARE(kmmc.asInteger(QStringLiteral("D1")), 4);
        // What a rolled-back transaction changed and the set read again is forgotten with it.
        m_db.beginTransaction();
        m_db.execute(QStringLiteral("update tab_kmmc set D1=D1+1 where C1='0501'"));
        kmmc.refreshRow();
        QCOMPARE(kmmc.asInteger(QStringLiteral("D1")), 5);
        m_db.rollback();
        QCOMPARE(kmmc.asInteger(QStringLiteral("D1")), 4);
        kmmc.edit();
        QVERIFY_THROWS_EXCEPTION(DbError, kmmc.refreshRow()); // an edit in progress is never overwritten
    }
};

QTEST_MAIN(TestWriteBack)
#include "tst_writeback.moc"
