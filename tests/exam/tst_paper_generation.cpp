// Drawing a mock paper: numbering, the draw of each share, the paper table and its archive row, and
// every way generation can fail without leaving half a paper behind.
#include "exam/MockExam.h"
#include "exam/PaperGeneration.h"
#include "exam/PaperRandom.h"
#include "exam/Uexam.h"
#include "practice/QuestionView.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/exam/ExamBank.h"
#include "ui/AppState.h"
#include "ui/Services.h"

#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using examtest::Questions;

class TestPaperGeneration : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2008, 3, 5), QTime(9, 0))};
    SeededRandom m_random{7};
    TDM1* m_dm = nullptr;

    void open(const QList<Questions>& questions, const QString& extra = QString()) {
        m_dm = examtest::OpenBank(m_dir.path(), examtest::Content(questions, extra));
        QVERIFY(m_dm->DataModuleConnected);
    }
    QVariant scalar(const QString& sql) { return m_dm->ADOCn1.scalar(sql); }
    int archiveRows() { return scalar(QStringLiteral("select count(*) from tab_cj")).toInt(); }
    QStringList paperTables() {
        QStringList out;
        for (const QString& t : m_dm->ADOCn1.tableNames())
            if (t.startsWith(QLatin1String("tab_exam"), Qt::CaseInsensitive))
                out << t;
        return out;
    }
    // Draws a paper of a kind into tab_exam1 the way the exam window does.
    PaperComposition compose(int kind) {
        CreatePaperTable(*m_dm, QStringLiteral("tab_exam1"));
        return ComposePaper(*m_dm, kind, QStringLiteral("tab_exam1"), m_random);
    }
    // Runs the menu's mock exam; inside the exam window's loop, act decides how it ends.
    void runExam(int kind, std::function<void(TFrmExam*)> act) {
        bool reached = false;
        QObject scope;
        examtest::WhenModal<TFrmExam>(&scope, [&](TFrmExam* w) {
            reached = true;
            act(w);
        });
        RunMockExam(kind, nullptr);
        QVERIFY(reached);
    }

private slots:
    void initTestCase() {
        store::setClock(&m_clock);
        setPaperRandom(&m_random);
    }
    void cleanupTestCase() {
        setPaperRandom(nullptr);
        store::setClock(nullptr);
        examtest::CloseBank();
    }

    void titlesAndNumbering() {
        QCOMPARE(PaperTitle(QDate(2008, 3, 5), 2, 3),
                 QStringLiteral("2008年03月05日网络与安全综合模拟卷[3]"));
        QSet<QString> titles;
        for (int k = 1; k <= 5; ++k) {
            QVERIFY(!PaperKindTitle(k).contains(u' '));
            titles.insert(PaperKindTitle(k));
        }
        QCOMPARE(titles.size(), 5);

        open({{QStringLiteral("050101"), 64, 6, true}});
        PaperSlot slot = NextPaperSlot(*m_dm);
        QCOMPARE(slot.name, QStringLiteral("tab_exam1"));
        QCOMPARE(slot.number, 1);
        // Papers 1..7, then 7 deleted: the next one is 7 again.
        for (int n = 1; n <= 7; ++n)
            m_dm->ADOCn1.execute(QStringLiteral("insert into tab_cj (A1, A3, A3_1) values (?, 't', ?)"),
                                 {QStringLiteral("tab_exam%1").arg(n), n});
        m_dm->ADOCn1.execute(QStringLiteral("delete from tab_cj where A3_1=7"));
        slot = NextPaperSlot(*m_dm);
        QCOMPARE(slot.name, QStringLiteral("tab_exam7"));
        QCOMPARE(slot.number, 7);
        // The newest row's name is followed, but a name another row still holds is not taken over.
        m_dm->ADOCn1.execute(QStringLiteral("update tab_cj set A1='tab_exam3x' where A3_1=3"));
        m_dm->ADOCn1.execute(QStringLiteral("update tab_cj set A1='tab_exam3', A3_1=9 where A3_1=6"));
        m_dm->ADOCn1.execute(QStringLiteral("update tab_cj set A1='TAB_EXAM5' where A3_1=5"));
        slot = NextPaperSlot(*m_dm);
        QCOMPARE(slot.number, 10);
        QCOMPARE(slot.name, QStringLiteral("tab_exam6")); // 4 and 5 still belong to papers
        QVERIFY(IsPaperTableName(QStringLiteral("tab_exam12")));
        QVERIFY(!IsPaperTableName(QStringLiteral("tab_exam1; drop table tab_answ")));
        QVERIFY(!IsPaperTableName(QStringLiteral("tab_answ")));
    }

    void drawingWithoutRepeats() {
        QStringList few{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        QCOMPARE(DrawFromCandidates(few, 5, m_random), few); // fewer than asked: all of them, at once
        QCOMPARE(DrawFromCandidates(few, 3, m_random), few); // exactly as many: all of them
        QVERIFY(DrawFromCandidates({}, 4, m_random).isEmpty());
        QVERIFY(DrawFromCandidates(few, 0, m_random).isEmpty());
        QStringList many;
        for (int i = 0; i < 60; ++i)
            many << QString::number(i);
        QSet<QString> seen;
        for (quint32 seed = 1; seed <= 200; ++seed) {
            SeededRandom r(seed);
            const QStringList picks = DrawFromCandidates(many, 20, r);
            QCOMPARE(picks.size(), 20);
            const QSet<QString> unique(picks.begin(), picks.end());
            QCOMPARE(unique.size(), 20);
            for (const QString& p : picks)
                QVERIFY(many.contains(p));
            seen.unite(unique);
        }
        QCOMPARE(seen.size(), 60); // every candidate can be drawn
        // One short of all: still bounded, still without repeats.
        const QStringList nearlyAll = DrawFromCandidates(many, 59, m_random);
        QCOMPARE(QSet<QString>(nearlyAll.begin(), nearlyAll.end()).size(), 59);
    }

    void sharesWithFewerExactAndNoCandidates() {
        // Kind 2: share 10/61 has 25 for 20, 11/61 exactly 17, 04/61 only 5 of 13, no 04/62 at all.
        QList<Questions> qs = examtest::KindQuestions(2);
        for (Questions& q : qs) {
            if (q.type == 61 && q.section.startsWith(QLatin1String("10")))
                q.count = 25;
            if (q.type == 61 && q.section.startsWith(QLatin1String("04")))
                q.count = 5;
        }
        qs.removeIf(
            [](const Questions& q) { return q.type == 62 && q.section.startsWith(QLatin1String("04")); });
        // Voided questions and questions with an empty F1 are never candidates.
        open(qs, QStringLiteral("\n"));
        m_dm->ADOCn1.execute(QStringLiteral("update tab_answ set F1=1 where A1='Q61100101001'"));
        m_dm->ADOCn1.execute(QStringLiteral("update tab_answ set F1=NULL where A1='Q61100101002'"));
        const PaperComposition paper = compose(2);
        QCOMPARE(paper.shares.size(), 9);
        QCOMPARE(paper.planned(), 100);
        QCOMPARE(paper.shares[0].candidates, 23);
        QCOMPARE(paper.shares[0].drawn, 20);
        QCOMPARE(paper.shares[1].drawn, 17);
        QCOMPARE(paper.shares[2].candidates, 5);
        QCOMPARE(paper.shares[2].drawn, 5);
        QCOMPARE(paper.shares[5].drawn, 0);
        QCOMPARE(paper.rows, 100 - 8 - 7);
        QCOMPARE(paper.shortShares().size(), 2);
        QVERIFY(ShortPaperNotice(paper).contains(QStringLiteral("85")));
        // Every question is there once, with its explanation, and none of the excluded ones.
        QCOMPARE(scalar(QStringLiteral("select count(distinct A1) from tab_exam1")).toInt(), 85);
        QCOMPARE(scalar(QStringLiteral(
                            "select count(*) from tab_exam1 where A1 in ('Q61100101001','Q61100101002')"))
                     .toInt(),
                 0);
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_exam1 where jx is null")).toInt(), 0);
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_exam1 e, tab_answ a where e.A1=a.A1 and "
                                       "(e.A2<>a.A2 or e.A13<>a.A13 or e.A10<>a.A10)"))
                     .toInt(),
                 0);
        // The same seed draws the same paper.
        const auto drawAgain = [&](quint32 seed) {
            m_random = SeededRandom(seed);
            m_dm->ADOCn1.dropTable(QStringLiteral("tab_exam1"));
            compose(2);
            return scalar(
                       QStringLiteral("select group_concat(A1) from (select A1 from tab_exam1 order by A1)"))
                .toString();
        };
        QCOMPARE(drawAgain(11), drawAgain(11));
        QVERIFY(drawAgain(11) != drawAgain(12));

        // A share with exactly as many candidates takes every one of them, and there is no notice.
        open(examtest::KindQuestions(5));
        const PaperComposition exact = compose(5);
        QCOMPARE(exact.rows, 6);
        QVERIFY(exact.shortShares().isEmpty());
        QVERIFY(ShortPaperNotice(exact).isEmpty());
    }

    void anIdWithAQuote() {
        open({{QStringLiteral("100101"), 70, 2, false, QStringLiteral("J'70")},
              {QStringLiteral("110101"), 70, 2, false, QStringLiteral("K'' or a.A1='")},
              {QStringLiteral("050101"), 70, 2, false},
              {QStringLiteral("080101"), 70, 1, false},
              {QStringLiteral("070101"), 70, 2, false},
              {QStringLiteral("040101"), 70, 1, false}});
        ScopedMessages shown;
        runExam(4, [&](TFrmExam* w) {
            QCOMPARE(w->QuestionCount(), 10);
            for (int q = 1; q <= 10; ++q) {
                w->SelectQuestion(q);
                QCOMPARE(w->View()->page(), 3);
                w->View()->judgementButton(0)->click();
            }
            shown->answerPrompt(1);
            w->ActionButton(QStringLiteral("Submit"))->click();
            QCOMPARE(w->Mode(), QStringLiteral("old"));
            w->ActionButton(QStringLiteral("Close"))->click();
        });
        QCOMPARE(scalar(QStringLiteral("select E2 from tab_answ where A1='J''70001'")).toString(),
                 QStringLiteral("A"));
        QCOMPARE(scalar(QStringLiteral("select E3 from tab_answ where A1='K'''' or a.A1=''001'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_exam1 where E2_1='A'")).toInt(), 10);
        QCOMPARE(archiveRows(), 1);
        for (const auto& s : shown->shown)
            QVERIFY2(s.caption != u"错误", qPrintable(s.text));
    }

    void failuresLeaveNoHalfPaper_data() {
        QTest::addColumn<QString>("fragment");
        QTest::addColumn<QString>("message");
        QTest::newRow("create") << QStringLiteral("CREATE TABLE tab_exam")
                                << QStringLiteral("建立数据表时发生错误！");
        QTest::newRow("copy") << QStringLiteral("insert into tab_exam")
                              << QStringLiteral("提取数据时发生错误！");
        QTest::newRow("draw") << QStringLiteral("A13, A10 from tab_answ")
                              << QStringLiteral("提取数据时发生错误！");
        QTest::newRow("archive row") << QStringLiteral("archive") << QStringLiteral("建立数据表时发生错误！");
        QTest::newRow("open") << QStringLiteral("order by A13,A1") << QStringLiteral("无法打开试卷！");
    }
    void failuresLeaveNoHalfPaper() {
        QFETCH(QString, fragment);
        QFETCH(QString, message);
        open(examtest::KindQuestions(5));
        ScopedMessages shown;
        ScopedExit exit;
        if (fragment == u"archive") {
            // An archive that refuses new rows.
            m_dm->ADOCn1.execute(QStringLiteral("drop table tab_cj"));
            m_dm->ADOCn1.execute(
                QStringLiteral("create table tab_cj (A1 TEXT(20) NOT NULL PRIMARY KEY, A3 TEXT(100), "
                               "A3_1 LONG, D1 DATETIME, A6 DOUBLE, D2 TEXT(20), X TEXT(1) NOT NULL)"));
        } else
            m_dm->ADOCn1.failStatementsContaining(fragment);
        // Should an exam window open after all, it is closed again so that the test fails instead of waiting.
        bool opened = false;
        QObject scope;
        examtest::WhenModal<TFrmExam>(&scope, [&](TFrmExam* w) {
            opened = true;
            w->QDialog::done(0);
        });
        RunMockExam(5, nullptr);
        m_dm->ADOCn1.failStatementsContaining(QString());
        QVERIFY(!opened);
        QVERIFY(!exit->requested);
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].caption, QStringLiteral("错误"));
        QCOMPARE(shown->shown[0].text, message);
        QCOMPARE(archiveRows(), 0);
        QVERIFY(paperTables().isEmpty());
        QCOMPARE(PaperKind, 5);
    }

    void noCandidates() {
        open(examtest::KindQuestions(5)); // nothing of subject 3
        ScopedMessages shown;
        ScopedExit exit;
        RunMockExam(1, nullptr);
        QVERIFY(!exit->requested);
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("没有发现题目！"));
        QCOMPARE(archiveRows(), 0);
        QVERIFY(paperTables().isEmpty());
    }

    void leftoverTableGivesWayToTheNewPaper() {
        open(examtest::KindQuestions(5));
        m_dm->ADOCn1.execute(QStringLiteral("create table tab_exam1 (A1 TEXT(20), junk TEXT(5))"));
        m_dm->ADOCn1.execute(QStringLiteral("insert into tab_exam1 values ('old', 'x')"));
        ScopedMessages shown;
        runExam(5, [&](TFrmExam* w) {
            QCOMPARE(w->TableName(), QStringLiteral("tab_exam1"));
            QCOMPARE(w->QuestionCount(), 6);
            QCOMPARE(w->Heading(), QStringLiteral("2008年03月05日计算机系统案例专项卷[1]"));
            shown->answerPrompt(1); // 确定: mark it, all six unanswered
            w->ActionButton(QStringLiteral("Submit"))->click();
            QCOMPARE(shown->shown.last().text, QStringLiteral("你还有6道题未做，确定要交卷吗？"));
            QCOMPARE(w->Mode(), QStringLiteral("old"));
            w->ActionButton(QStringLiteral("Close"))->click();
        });
        QCOMPARE(archiveRows(), 1);
        QCOMPARE(scalar(QStringLiteral("select A3 from tab_cj where A1='tab_exam1'")).toString(),
                 QStringLiteral("2008年03月05日计算机系统案例专项卷[1]"));
        QCOMPARE(scalar(QStringLiteral("select A6 from tab_cj")).toDouble(), 0.0);
        QCOMPARE(scalar(QStringLiteral("select D1 from tab_cj")).toString(), QStringLiteral("2008-03-05"));
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_exam1")).toInt(), 6);
        QVERIFY(!m_dm->ADOCn1.columnNames(QStringLiteral("tab_exam1")).contains(QStringLiteral("junk")));
    }

    void reviewOfAMissingTable() {
        open(examtest::KindQuestions(5));
        m_dm->ADOCn1.execute(QStringLiteral("insert into tab_cj (A1, A3, A3_1, A6, D2) values "
                                            "('tab_exam9', '试卷', 9, 80, '0:10:00')"));
        ScopedMessages shown;
        ScopedExit exit;
        QVERIFY(!ReviewArchivedPaper(nullptr, QStringLiteral("tab_exam9"), QStringLiteral("试卷"), 80,
                                     QStringLiteral("0:10:00")));
        QVERIFY(!exit->requested);
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("无法打开试卷！"));
        QCOMPARE(archiveRows(), 1); // the archive decides about its own rows
        // A name that is no paper table is never put into a statement.
        QVERIFY(!ReviewArchivedPaper(nullptr, QStringLiteral("tab_answ"), QString(), 0, QString()));
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_answ")).toInt(), 6);
    }
};

QTEST_MAIN(TestPaperGeneration)
#include "tst_paper_generation.moc"
