// The statements the windows are written in, run on a real bank: each gives the result the program
// relies on.
#include "store/BankKey.h"
#include "store/DataSet.h"
#include "store/Database.h"
#include "store/JetSql.h"
#include "store/Schema.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace store;

class TestDialect : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_bank;
    Database m_db;

    int count(const QString& sql, const QVariantList& params = {}) {
        return m_db.scalar(sql, params).toInt();
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void init() {
        m_db.close();
        QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
        m_bank =
            testsupport::buildBank(m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus());
        m_db.open(m_bank, BankKey());
    }

    void joinsAliasesAndOrdering() {
        const QueryResult r = m_db.query(
            QStringLiteral("select a.A1 as id,b.jx from tab_answ a,tab_exer b where a.a1=b.a1 and (a.A13=61) "
                           "order by a.A10 desc,a.A1"));
        QCOMPARE(r.columns, QStringList({QStringLiteral("id"), QStringLiteral("jx")}));
        QStringList ids;
        for (const auto& row : r.rows)
            ids << row[0].toString();
        QCOMPARE(ids, QStringList({"Q0004", "Q0003", "Q0001"}));
    }

    void leftRightLenAndRtrim() {
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where Left(A10,2) = '05'")), 3);
        QCOMPARE(
            count(QStringLiteral("select count(*) from tab_answ where (Left(A10,1) = '3') and (f1 <> 1)")),
            2);
        QCOMPARE(m_db.scalar(QStringLiteral("select Right(A10,2) from tab_answ where A1='Q0003'")).toString(),
                 QStringLiteral("02"));
        QCOMPARE(count(QStringLiteral("select count(*) from tab_kmmc where len(c1)=6")), 3);
        // Titles with trailing blanks are found through Rtrim.
        m_db.execute(QStringLiteral("update tab_rule set sn='要点二   ' where ftid='050101-002'"));
        QCOMPARE(
            count(QStringLiteral("select count(*) from tab_rule where Rtrim(sn)='要点二' and id='050101'")),
            1);
    }

    void cintOverMixedSerials() {
        // Serials 1..999 are written with five characters, 1000 and up with four: Right(A1,4) reads both.
        for (const char* id : {"US050101614000099", "US05010161400998", "US05010161401000"})
            m_db.execute(QStringLiteral("insert into tab_answ (A1,A10,A13) values (:A1,'050101',61)"),
                         {QString::fromLatin1(id)});
        QCOMPARE(count(QStringLiteral(
                     "select MAX(CINT(Right(A1,4))) as r4m from tab_answ where Left(A1,1) = 'U'")),
                 1000);
        QCOMPARE(count(QStringLiteral("select CINT('2.5')")), 2); // half to even
        QCOMPARE(count(QStringLiteral("select CINT('3.5')")), 4);
        QVERIFY_THROWS_EXCEPTION(DbError, m_db.scalar(QStringLiteral("select CINT('xam1')")));
        QVERIFY_THROWS_EXCEPTION(DbError, m_db.scalar(QStringLiteral("select CINT(40000)")));
    }

    void aggregatesOverNoRowsReadAsZero() {
        DataSet q(&m_db);
        q.setCommandText(QStringLiteral("select MAX(CINT(Right(A1,4))) as r4m, sum(C3) as s from tab_answ, "
                                        "tab_kmmc where Left(A1,1) = 'U'"));
        q.open();
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q.asInteger(QStringLiteral("r4m")), 0);
        QCOMPARE(q.asInteger(QStringLiteral("S")), 0);
        q.close();
        q.setCommandText(QStringLiteral("select avg(A6) as a, count(*) as c from tab_cj"));
        q.open();
        QCOMPARE(q.asFloat(QStringLiteral("a")), 0.0);
        QCOMPARE(q.asInteger(QStringLiteral("c")), 0);
    }

    void likeTakesStarAndIgnoresCase() {
        QCOMPARE(count(QStringLiteral("select count(*) from tab_kmmc where C1 like '3*'")), 4);
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where a1 like 'q000?'")), 5);
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where A1 like 'Q%'")),
                 0); // % is no wildcard
        QCOMPARE(count(QStringLiteral("select count(*) from tab_kmmc where C1 like '05*1'")), 2);
        QVERIFY(jetLike(u"05##0[1-2]", u"050102"));
        QVERIFY(!jetLike(u"05[!0]*", u"0501"));
        QVERIFY(jetLike(u"*", u""));
        QVERIFY(!jetLike(u"a*b", u"acbc"));
    }

    void comparisonsNullsAndLists() {
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where A1='q0001'")),
                 1); // case-insensitive
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where K3 is null")), 3);
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where K4 is not null")), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where A2 <> 'B' and A13 >= 61")), 4);
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where A1 in ('Q0001','q0002','x')")), 2);
        QCOMPARE(count(QStringLiteral("select count(*) as c from tab_answ where '050101-002' in "
                                      "(k3,k4,k5,k6,k7,k8,k9,k10,k11,k12) ")),
                 1);
    }

    void updatesCountACatalogueRowOnce() {
        m_db.execute(QStringLiteral("update tab_fgmc set q2=q2+1 where id in ('050101','050101')"));
        QCOMPARE(count(QStringLiteral("select q2 from tab_fgmc where id='050101'")), 1);
        m_db.execute(QStringLiteral("Update tab_answ set E2_1= ''"));
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where E2_1=''")), 5);
    }

    void deleteStarFrom() {
        m_db.execute(QStringLiteral("insert into tab_cj (A1,A3,A3_1) values ('tab_exam1','x',1)"));
        QCOMPARE(m_db.execute(QStringLiteral("delete * from tab_cj where A1='TAB_EXAM1'")), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from tab_cj")), 0);
    }

    void boundValuesKeepQuotes() {
        const QString note = QStringLiteral("it's \"quoted\"; drop table tab_answ; --");
        m_db.execute(QStringLiteral("update tab_answ set A14=:A14 where A1=:A1"),
                     {note, QStringLiteral("Q0001")});
        QCOMPARE(
            m_db.scalar(QStringLiteral("select A14 from tab_answ where A1=:A1"), {QStringLiteral("Q0001")})
                .toString(),
            note);
        QCOMPARE(
            m_db.scalar(QStringLiteral("select count(*) from tab_answ where A14=") + quoted(note)).toInt(),
            1);
        QCOMPARE(quoted(QStringLiteral("O'Brien")), QStringLiteral("'O''Brien'"));
    }

    void insertFromAnotherFile() {
        // An upgrade file: plain, with new chapters, read through "in '<file>'", also inside a transaction.
        QTemporaryDir up;
        const QString content =
            testsupport::baseContent().replace(QStringLiteral("TEST-BASE"), QStringLiteral("UP1")) +
            QStringLiteral("[chapter 8]\nname: 新科目\n[chapter 80]\nname: 新部分\n");
        const QString file = testsupport::buildBank(up.path(), content, true, QStringLiteral("it's up.mdb"));
        const QByteArray before = [&] {
            QFile f(file);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        QString p = file;
        p.replace(u'\'', QLatin1String("''"));
        m_db.beginTransaction();
        m_db.execute(QStringLiteral("insert into tab_kmmc select * from tab_kmmc in '") + p + u'\'');
        m_db.execute(QStringLiteral("insert into tab_sj(sjbs,cpbs) values(:sjbs,:cpbs)"),
                     {QStringLiteral("UP1"), QStringLiteral("TESTPRODUCT")});
        m_db.rollback();
        QCOMPARE(count(QStringLiteral("select count(*) from tab_kmmc where C1 like '8*'")), 0);
        QCOMPARE(m_db.execute(QStringLiteral("insert into tab_kmmc select * from tab_kmmc in '") + p + u'\''),
                 2);
        QCOMPARE(count(QStringLiteral("select count(*) from tab_kmmc where C1 like '8*'")), 2);
        // Reading the identity row on a connection of its own leaves the file as it was too.
        {
            Database second;
            second.open(file, QByteArray());
            QCOMPARE(second.scalar(QStringLiteral("select sjbs from tab_sj")).toString(),
                     QStringLiteral("UP1"));
        }
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before); // the upgrade file is only read
        QVERIFY_THROWS_EXCEPTION(
            DbError,
            m_db.execute(QStringLiteral("insert into tab_kmmc select * from tab_kmmc in '/no/such.mdb'")));
        QVERIFY(!QFile::exists(QStringLiteral("/no/such.mdb")));
    }

    void paperTableTypesAndCatalogue() {
        m_db.execute(PaperTableStatement(QStringLiteral("tab_exam1")));
        for (const char* c : {"A2", "A14", "E2", "E2_1", "csbs"})
            m_db.allowZeroLength(QStringLiteral("tab_exam1"), QLatin1String(c));
        QVERIFY_THROWS_EXCEPTION(DbError,
                                 m_db.allowZeroLength(QStringLiteral("tab_exam1"), QStringLiteral("nope")));
        m_db.execute(QStringLiteral("insert into tab_exam1 (A1,A2,A14,E2,E2_1,csbs,E1,jx) values "
                                    "('Q1','','0123','','','','2026-12-09',:jx)"),
                     {QByteArray("{\\rtf1 x}")});
        const QueryResult r = m_db.query(QStringLiteral("select A2,A14,E1,jx from tab_exam1"));
        QCOMPARE(r.rows[0][0].toString(), QString());
        QCOMPARE(r.rows[0][1].typeId(), QMetaType::QString); // a memo keeps leading zeros
        QCOMPARE(r.rows[0][1].toString(), QStringLiteral("0123"));
        QCOMPARE(r.rows[0][2].toString(), QStringLiteral("2026-12-09"));
        QCOMPARE(r.rows[0][3].toByteArray(), QByteArray("{\\rtf1 x}"));
        QVERIFY(m_db.tableNames().contains(QStringLiteral("tab_exam1")));
        QVERIFY(m_db.hasTable(QStringLiteral("TAB_EXAM1")));
        m_db.dropTable(QStringLiteral("tab_exam1"));
        QVERIFY(!m_db.tableNames().contains(QStringLiteral("tab_exam1")));
    }

    void transactionsCommitAndRollBack() {
        {
            Transaction tx(m_db);
            m_db.execute(QStringLiteral("update tab_kmmc set D1=5 where C1='0'"));
        } // not committed
        QCOMPARE(count(QStringLiteral("select D1 from tab_kmmc where C1='0'")), 0);
        Transaction tx(m_db);
        m_db.execute(QStringLiteral("update tab_kmmc set D1=5 where C1='0'"));
        tx.commit();
        QCOMPARE(count(QStringLiteral("select D1 from tab_kmmc where C1='0'")), 5);
        m_db.beginTransaction();
        QVERIFY_THROWS_EXCEPTION(DbError, m_db.beginTransaction());
        m_db.rollback();
    }

    void errorsAreExceptions() {
        QVERIFY_THROWS_EXCEPTION(DbError, m_db.query(QStringLiteral("select * from tab_nothing")));
        QVERIFY_THROWS_EXCEPTION(DbError,
                                 m_db.execute(QStringLiteral("insert into tab_answ (A1) values ('Q0001')")));
    }

    void wrongKeyOrMissingFileLeavesTheFileAlone() {
        m_db.close();
        QFile f(m_bank);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        Database other;
        QByteArray wrong = BankKey();
        wrong[0] = char(wrong[0] ^ 1);
        try {
            other.open(m_bank, wrong);
            QFAIL("a wrong key opened the bank");
        } catch (const DbError& e) {
            QCOMPARE(e.code(), 26); // not a database
        }
        QVERIFY(!other.isOpen());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        QVERIFY(!QFile::exists(m_bank + QStringLiteral("-wal")));
        QVERIFY_THROWS_EXCEPTION(DbError, other.open(m_dir.filePath(QStringLiteral("none.mdb")), BankKey()));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("none.mdb"))));
    }

    void translationLeavesTextsAlone() {
        const auto t = translateJetSql(QStringLiteral("select Left(A1,2), 'left(' , [my col] from t where "
                                                      "x=\"a'b\""),
                                       {});
        QCOMPARE(t.sql,
                 QStringLiteral("select jet_left(A1,2), 'left(' COLLATE NOCASE , \"my col\" from t where "
                                "x='a''b' COLLATE NOCASE"));
        QCOMPARE(translateJetSql(QStringLiteral("delete * from tab_cj"), {}).sql,
                 QStringLiteral("delete from tab_cj"));
    }

    void textsCompareWithoutCaseWherever() {
        m_db.execute(QStringLiteral("update tab_answ set K3='AB-001' where A1='Q0003'"));
        m_db.execute(QStringLiteral("update tab_kmmc set C2='ＡＢＣ第一章' where C1='0501'"));
        // A text tested against a list of columns, a function's result against a text or a list.
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where 'ab-001' in "
                                      "(k3,k4,k5,k6,k7,k8,k9,k10,k11,k12)")),
                 1);
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where 'ab-001' not in "
                                      "(k3,k4,k5,k6,k7,k8,k9,k10,k11,k12)")),
                 0); // the others have null points: unknown, as in Jet
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where Left(A1,1)='q'")), 5);
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where Left(A1,1) in ('q','u')")), 5);
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where Left(A1,1) not in ('q')")), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where Right(A1,4) <> '0001' and "
                                      "Left(A1,1) = 'Q'")),
                 4);
        QCOMPARE(
            count(QStringLiteral("select count(*) from tab_answ where A1=:a"), {QStringLiteral("q0002")}), 1);
        // Full-width letters have a case too, in columns, texts and function results alike.
        QCOMPARE(count(QStringLiteral("select count(*) from tab_kmmc where C2='ａｂｃ第一章'")), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from tab_kmmc where Left(C2,3)='ａｂｃ'")), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from tab_kmmc where C2 like 'ａ*'")), 1);
        // Ids are still found through their index, in the order the index was built in.
        const QueryResult plan =
            m_db.query(QStringLiteral("explain query plan select * from tab_answ where A1='q0001'"));
        QVERIFY(plan.rows.first().last().toString().contains(QStringLiteral("INDEX")));
        QCOMPARE(m_db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        QStringList order;
        for (const auto& row : m_db.query(QStringLiteral("select C1 from tab_kmmc order by C1")).rows)
            order << row[0].toString();
        QCOMPARE(order.first(), QStringLiteral("0"));
        QCOMPARE(order.last(), QStringLiteral("xx"));
    }

    void chapterConditionsReadOnlyTheChapter() {
        for (const char* id : {"Q9001", "Q9002", "Q9003", "Q9004"})
            m_db.execute(
                QStringLiteral("insert into tab_answ (A1,A10,A13) values (:A1,:A10,61)"),
                {QString::fromLatin1(id), QString::fromLatin1(id).mid(1) == u"9001"   ? QStringLiteral("0509")
                                          : QString::fromLatin1(id).mid(1) == u"9002" ? QStringLiteral("05:1")
                                          : QString::fromLatin1(id).mid(1) == u"9003" ? QStringLiteral("0")
                                                                                      : QStringLiteral("3")});
        // The same rows as a look at every question, chapter codes ending in 9 and next to ':' included.
        for (const char* code : {"0", "05", "0501", "050101", "0509", "3", "30", "9", "x"}) {
            const QString c = QString::fromLatin1(code);
            const QString byLeft = QStringLiteral("select count(*) from tab_answ where (left(A10,%1) = '%2')")
                                       .arg(c.size())
                                       .arg(c);
            QCOMPARE(count(byLeft),
                     count(QStringLiteral("select count(*) from tab_answ where substr(A10,1,%1) = '%2'")
                               .arg(c.size())
                               .arg(c)));
        }
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where not left(A10,2) = '05'")), 4);
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ where A13=66 or left(A10,4) = '0509'")),
                 2);
        const QString practice = QStringLiteral("select a1 from tab_answ where (left(A10,4) = '0501') and "
                                                "(E2 = '' or E2 is null) order by a13,a10,xx,a1");
        QStringList ids;
        for (const auto& row : m_db.query(practice).rows)
            ids << row[0].toString();
        QCOMPARE(ids, QStringList({"Q0001", "Q0003", "Q0002"}));
        const QString plan =
            m_db.query(QStringLiteral("explain query plan ") + practice).rows.first().last().toString();
        QVERIFY2(plan.contains(QStringLiteral("ix_answ_a10")), qPrintable(plan));
        // Anything else is left as written.
        QVERIFY(!translateJetSql(QStringLiteral("select * from t where left(A10,3) = '05'"), {})
                     .sql.contains(u'>'));
        QVERIFY(!translateJetSql(QStringLiteral("select * from t where left(A10,2) = 'ab'"), {})
                     .sql.contains(u'>'));
        QVERIFY(!translateJetSql(QStringLiteral("select * from t where 1+left(A10,2) = '05'"), {})
                     .sql.contains(u'>'));
    }

    void copyingATableFromAFileNamesTheColumns() {
        // An upgrade file whose tab_kmmc lists the columns in another order.
        QTemporaryDir up;
        const QString file = up.filePath(QStringLiteral("up.mdb"));
        {
            Database u;
            u.open(file, QByteArray(), Database::OpenMode::Create);
            u.execute(
                QStringLiteral("CREATE TABLE tab_kmmc (jx IMAGE, C7 TEXT(2), C6 TEXT(10), D2 LONG, D1 LONG, "
                               "C4 LONG, C3 LONG, C2 TEXT(255), C1_1 TEXT(255), C1 TEXT(6), bh LONG)"));
            u.execute(QStringLiteral("insert into tab_kmmc (bh,C1,C1_1,C2,C3,C4,D1,D2,C6,C7) values "
                                     "(900,'8','新科目','新科目',7,0,0,0,'0','0')"));
            u.execute(QStringLiteral("CREATE TABLE tab_rule (id TEXT(6), ftid TEXT(12), sn TEXT(255))"));
            u.execute(QStringLiteral("insert into tab_rule values ('080101','080101-001','缺列')"));
        }
        QCOMPARE(
            m_db.execute(QStringLiteral("insert into tab_kmmc select * from tab_kmmc in '") + file + u'\''),
            1);
        QCOMPARE(m_db.query(QStringLiteral("select bh,C2,C3,C6 from tab_kmmc where C1='8'")).rows.first(),
                 QVector<QVariant>({900, QStringLiteral("新科目"), 7, QStringLiteral("0")}));
        // A file that lacks a column of the bank's table copies nothing.
        try {
            m_db.execute(QStringLiteral("insert into tab_rule select * from tab_rule in '") + file + u'\'');
            QFAIL("a table with missing columns was copied");
        } catch (const DbError& e) {
            QVERIFY(e.message().contains(QStringLiteral("no column")));
        }
        QCOMPARE(count(QStringLiteral("select count(*) from tab_rule where ftid='080101-001'")), 0);
        // The same file named twice in one statement is one attached file.
        QCOMPARE(count(QStringLiteral("select count(*) from tab_kmmc in '") + file +
                       QStringLiteral("' where C1 in (select C1 from tab_kmmc in '") + file +
                       QStringLiteral("')")),
                 1);
    }

    void statementsThatWouldMeanSomethingElseAreRefusedOrKeptApart() {
        // Minus minus one is plus one, not a comment that swallows the condition.
        m_db.execute(QStringLiteral("update tab_kmmc set D1=D1--1 where C1='0'"));
        QCOMPARE(count(QStringLiteral("select sum(D1) from tab_kmmc")), 1);
        QCOMPARE(count(QStringLiteral("select D1 from tab_kmmc where C1='0'")), 1);
        QCOMPARE(translateJetSql(QStringLiteral("a--1"), {}).sql, QStringLiteral("a- -1"));
        QCOMPARE(translateJetSql(QStringLiteral("a/*b"), {}).sql, QStringLiteral("a/ *b"));
        // A second statement or an unclosed quote never runs.
        QVERIFY_THROWS_EXCEPTION(
            DbError, m_db.execute(QStringLiteral("update tab_kmmc set D1=9; delete from tab_answ")));
        QVERIFY_THROWS_EXCEPTION(DbError,
                                 m_db.execute(QStringLiteral("update tab_kmmc set C2='x where C1='0'")));
        QVERIFY_THROWS_EXCEPTION(DbError, m_db.query(QStringLiteral("select [A1 from tab_answ")));
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ")), 5);
        QCOMPARE(count(QStringLiteral("select max(D1) from tab_kmmc")), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from tab_answ;  ")), 5); // one closing ; is fine
        // An error names what the engine found, also when another file was attached for the statement.
        QTemporaryDir up;
        const QString file =
            testsupport::buildBank(up.path(), testsupport::baseContent(), true, QStringLiteral("u.mdb"));
        try {
            m_db.query(QStringLiteral("select nosuch from tab_kmmc in '") + file + u'\'');
            QFAIL("a missing column was read");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("no such column")), qPrintable(e.message()));
        }
        try {
            m_db.query(QStringLiteral("select nosuch from tab_kmmc"));
            QFAIL("a missing column was read");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("no such column")), qPrintable(e.message()));
        }
    }

    void aKeptStatementFollowsATableMadeAnew() {
        m_db.execute(QStringLiteral("CREATE TABLE tab_exam1 (A1 TEXT(20), A2 TEXT(100))"));
        m_db.execute(QStringLiteral("insert into tab_exam1 values ('Q1','A')"));
        QCOMPARE(m_db.query(QStringLiteral("select * from tab_exam1")).columns.size(), 2);
        m_db.dropTable(QStringLiteral("tab_exam1"));
        m_db.execute(PaperTableStatement(QStringLiteral("tab_exam1")));
        m_db.execute(QStringLiteral("insert into tab_exam1 (A1,A2,F1) values ('Q2','B',1)"));
        const QueryResult r = m_db.query(QStringLiteral("select * from tab_exam1"));
        QCOMPARE(r.columns.size(), 24);
        QCOMPARE(r.columns.last(), QStringLiteral("F1"));
        QCOMPARE(r.rows.first().last().toInt(), 1);
        DataSet paper(&m_db);
        paper.setCommandText(QStringLiteral("select * from tab_exam1"));
        paper.open();
        paper.setValue(QStringLiteral("E2_1"), QStringLiteral("C"));
        paper.post();
        QCOMPARE(m_db.scalar(QStringLiteral("select E2_1 from tab_exam1")).toString(), QStringLiteral("C"));
    }
};

QTEST_MAIN(TestDialect)
#include "tst_dialect.moc"
