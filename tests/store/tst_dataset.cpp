// Data sets: the cursors every window reads and writes through.
#include "store/BankKey.h"
#include "store/DataSet.h"
#include "store/Database.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace store;

class TestDataSet : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    Database m_db;

private slots:
    void init() {
        m_db.close();
        QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
        m_db.open(testsupport::buildBank(m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus()),
                  BankKey());
    }

    void navigationAndRecordNumbers() {
        DataSet t(&m_db);
        t.setTableName(QStringLiteral("tab_kmmc"), QStringLiteral("bh"));
        QVERIFY_THROWS_EXCEPTION(DbError, t.recordCount());
        t.open();
        QCOMPARE(t.recordCount(), 10);
        QCOMPARE(t.recNo(), 1);
        int seen = 0;
        for (t.first(); !t.eof(); t.next())
            ++seen;
        QCOMPARE(seen, 10);
        QCOMPARE(t.recNo(), 10);
        t.setRecNo(3);
        QCOMPARE(t.asString(QStringLiteral("c1")), QStringLiteral("0501"));
        QVERIFY_THROWS_EXCEPTION(DbError, t.setRecNo(11));
        QVERIFY_THROWS_EXCEPTION(DbError, t.value(QStringLiteral("nope")));

        DataSet empty(&m_db);
        empty.setCommandText(QStringLiteral("select * from tab_rz"));
        empty.open();
        QVERIFY(empty.eof() && empty.bof());
        QCOMPARE(empty.recNo(), 0);
        QVERIFY(!empty.locate(QStringLiteral("A1"), QDate(2026, 12, 9)));
    }

    void locateIgnoresCaseAndKeepsPositionWhenNotFound() {
        DataSet t(&m_db);
        t.setTableName(QStringLiteral("tab_answ"));
        t.open();
        t.setRecNo(2);
        QVERIFY(t.locate(QStringLiteral("A1"), QStringLiteral("q0004")));
        QCOMPARE(t.asString(QStringLiteral("A1")), QStringLiteral("Q0004"));
        QVERIFY(!t.locate(QStringLiteral("a1"), QStringLiteral("Q9999")));
        QCOMPARE(t.asString(QStringLiteral("A1")), QStringLiteral("Q0004"));
        QVERIFY(t.locate(QStringLiteral("A13"), 66));
        QCOMPARE(t.asString(QStringLiteral("A1")), QStringLiteral("Q0005"));
    }

    void fieldsReadNullAsZeroOrEmpty() {
        DataSet t(&m_db);
        t.setCommandText(QStringLiteral("select * from tab_answ where A1='Q0003'"));
        t.open();
        QCOMPARE(t.asInteger(QStringLiteral("E3")), 0);
        QCOMPARE(t.asString(QStringLiteral("E2")), QString());
        QVERIFY(!t.asDate(QStringLiteral("E1")).isValid());
        QCOMPARE(t.asInteger(QStringLiteral("a2_1")), 4);
        t.setValue(QStringLiteral("E1"), QDate(2026, 12, 9));
        t.setValue(QStringLiteral("A2"), QStringLiteral("x"));
        QVERIFY_THROWS_EXCEPTION(DbError, t.asInteger(QStringLiteral("A2")));
        t.cancel();
        QCOMPARE(t.asString(QStringLiteral("A2")), QStringLiteral("A"));
    }

    void filtersFollowNullRulesAndNeverRequery() {
        m_db.execute(QStringLiteral("update tab_answ set F1=NULL where A1='Q0004'"));
        m_db.execute(QStringLiteral("update tab_answ set F1=1 where A1='Q0005'"));
        DataSet q(&m_db);
        q.setCommandText(QStringLiteral("select * from tab_answ order by A1"));
        q.open();
        q.setFilter(QStringLiteral("f1<>1"));
        q.setFiltered(true);
        QCOMPARE(q.recordCount(), 3); // null f1 is not "<> 1"
        q.setFilter(QStringLiteral("A13=61 and a10 like '3*' and f1<>1"));
        QCOMPARE(q.recordCount(), 0);
        q.setFilter(QStringLiteral("A13=61 and a10 like '05*' and F1<>1"));
        QCOMPARE(q.recordCount(), 2);
        QCOMPARE(q.recNo(), 1);
        q.next();
        QCOMPARE(q.recNo(), 2);
        QCOMPARE(q.asString(QStringLiteral("A1")), QStringLiteral("Q0003"));
        QVERIFY_THROWS_EXCEPTION(DbError, q.setFilter(QStringLiteral("c1<>'xx'"))); // no such column
        q.setFilter(QString());
        QCOMPARE(q.recordCount(), 5);

        // Rows answered after the query ran stay in the set: a filter looks at the rows held.
        DataSet fresh(&m_db);
        fresh.setCommandText(QStringLiteral("select * from tab_answ where E2 is null"));
        fresh.open();
        fresh.setValue(QStringLiteral("E2"), QStringLiteral("B"));
        fresh.post();
        fresh.setFilter(QStringLiteral("A13=61"));
        fresh.setFiltered(true);
        QCOMPARE(fresh.recordCount(), 3);
        QVERIFY_THROWS_EXCEPTION(DbError, Filter(QStringLiteral("A13=")));
        QVERIFY_THROWS_EXCEPTION(DbError, Filter(QStringLiteral("(A13=61")));
    }

    void filterAndSortForms() {
        m_db.execute(QStringLiteral("insert into tab_cj (A1,A3,A3_1,A6) values ('tab_exam1','一',1,75), "
                                    "('tab_exam2','二',2,NULL), ('tab_exam3','三',3,59.5)"));
        DataSet cj(&m_db);
        cj.setTableName(QStringLiteral("tab_cj"));
        cj.open();
        cj.setFilter(QStringLiteral("A6 >=60"));
        cj.setFiltered(true);
        QCOMPARE(cj.recordCount(), 1);
        cj.setFiltered(false);
        cj.setSort(QStringLiteral("A3_1 DESC"));
        QCOMPARE(cj.asString(QStringLiteral("A1")), QStringLiteral("tab_exam3"));
        cj.setSort(QStringLiteral("A6 ASC, A1 ASC"));
        QCOMPARE(cj.asString(QStringLiteral("A1")), QStringLiteral("tab_exam2")); // null first
        cj.last();
        QCOMPARE(cj.asString(QStringLiteral("A1")), QStringLiteral("tab_exam1"));

        DataSet fg(&m_db);
        fg.setTableName(QStringLiteral("tab_rule"));
        fg.open();
        m_db.execute(QStringLiteral("update tab_rule set q=3"));
        fg.requery();
        fg.setFilter(QStringLiteral("q >=3"));
        fg.setFiltered(true);
        QCOMPARE(fg.recordCount(), 3);
    }

    void postsAreWrittenBackAndSeenByNewQueries() {
        DataSet q(&m_db);
        q.setCommandText(QStringLiteral("select a.*, b.A15 from tab_answ a, tab_exer b where a.a1=b.a1 and a.A10='050101'"));
        q.open();
        QVERIFY(q.locate(QStringLiteral("A1"), QStringLiteral("Q0002")));
        q.edit();
        q.setValue(QStringLiteral("E2"), QStringLiteral("AC"));
        q.setValue(QStringLiteral("E3"), 1);
        q.setValue(QStringLiteral("E1"), QDate(2026, 12, 9));
        q.post();
        QCOMPARE(m_db.scalar(QStringLiteral("select E2 from tab_answ where A1='Q0002'")).toString(), QStringLiteral("AC"));
        QCOMPARE(m_db.scalar(QStringLiteral("select E1 from tab_answ where A1='Q0002'")).toString(), QStringLiteral("2026-12-09"));
        // A column of the other table cannot be written through this set.
        q.setValue(QStringLiteral("A15"), QByteArray("x"));
        QVERIFY_THROWS_EXCEPTION(DbError, q.post());
        q.cancel();

        DataSet again(&m_db);
        again.setCommandText(QStringLiteral("select * from tab_answ where A1='Q0002'"));
        again.open();
        QCOMPARE(again.asInteger(QStringLiteral("E3")), 1);
        QCOMPARE(again.asDate(QStringLiteral("E1")), QDate(2026, 12, 9));

        DataSet sums(&m_db);
        sums.setCommandText(QStringLiteral("select count(*) as c from tab_answ"));
        sums.open();
        sums.setValue(QStringLiteral("c"), 3);
        QVERIFY_THROWS_EXCEPTION(DbError, sums.post());
    }

    void appendAndDelete() {
        DataSet rz(&m_db);
        rz.setTableName(QStringLiteral("tab_rz"), QStringLiteral("A1"));
        rz.open();
        rz.append();
        rz.setValue(QStringLiteral("A1"), QDate(2026, 12, 9));
        rz.setValue(QStringLiteral("A2"), 1);
        rz.post();
        QCOMPARE(rz.recordCount(), 1);
        QVERIFY(rz.isNull(QStringLiteral("A3")));
        QVERIFY(rz.locate(QStringLiteral("A1"), QDate(2026, 12, 9)));
        QCOMPARE(m_db.scalar(QStringLiteral("select A2 from tab_rz where A1='2026-12-09'")).toInt(), 1);
        rz.remove();
        QCOMPARE(rz.recordCount(), 0);
        QCOMPARE(m_db.scalar(QStringLiteral("select count(*) from tab_rz")).toInt(), 0);
    }

    void clonesShareRowsNotPosition() {
        DataSet q(&m_db);
        q.setCommandText(QStringLiteral("select * from tab_answ order by A1"));
        q.open();
        q.setRecNo(2);
        DataSet c;
        c.cloneFrom(q);
        QCOMPARE(c.recNo(), 1);
        c.last();
        c.setValue(QStringLiteral("A14"), QStringLiteral("笔记"));
        c.post();
        QCOMPARE(q.recNo(), 2);
        QCOMPARE(q.asString(QStringLiteral("A1")), QStringLiteral("Q0002"));
        q.last();
        QCOMPARE(q.asString(QStringLiteral("A14")), QStringLiteral("笔记"));
    }

    void rolledBackEditsLeaveTheRowsAsTheBank() {
        DataSet t(&m_db);
        t.setTableName(QStringLiteral("tab_kmmc"), QStringLiteral("bh"));
        t.open();
        DataSet rz(&m_db);
        rz.setTableName(QStringLiteral("tab_rz"));
        rz.open();
        m_db.beginTransaction();
        t.setValue(QStringLiteral("D1"), 7);
        t.post();
        rz.append();
        rz.setValue(QStringLiteral("A1"), QDate(2026, 12, 9));
        rz.post();
        m_db.rollback();
        QCOMPARE(t.asInteger(QStringLiteral("D1")), 0);
        QCOMPARE(rz.recordCount(), 0);
        QCOMPARE(m_db.scalar(QStringLiteral("select D1 from tab_kmmc where C1='0'")).toInt(), 0);
    }

    void movingPostsPendingEdits() {
        DataSet t(&m_db);
        t.setTableName(QStringLiteral("tab_kmmc"), QStringLiteral("bh"));
        int scrolls = 0;
        t.setAfterScroll([&](DataSet&) { ++scrolls; });
        t.open();
        t.setValue(QStringLiteral("C4"), 2);
        t.next();
        QCOMPARE(t.state(), DataSet::State::Browse);
        QCOMPARE(m_db.scalar(QStringLiteral("select C4 from tab_kmmc where C1='0'")).toInt(), 2);
        QVERIFY(scrolls >= 2);
    }
};

QTEST_MAIN(TestDataSet)
#include "tst_dataset.moc"
