// Storing and marking exam answers without the window: the paper row, the bank row and the counters
// in one transaction, the score, the archive row, and the rules for ending an exam.
#include "exam/ExamMarking.h"
#include "exam/PaperGeneration.h"
#include "exam/PaperRandom.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/exam/ExamBank.h"
#include "ui/AppState.h"

#include <QTemporaryDir>
#include <QtTest>

class TestExamMarking : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};
    TDM1* m_dm = nullptr;

    QVariant scalar(const QString& sql) { return m_dm->ADOCn1.scalar(sql); }
    QVariantList row(const QString& sql) {
        const auto r = m_dm->ADOCn1.query(sql);
        return r.rows.isEmpty() ? QVariantList() : QVariantList(r.rows[0].begin(), r.rows[0].end());
    }
    // A kind-2 paper in tab_exam1 with its archive row, opened as the exam window opens it.
    store::DataSet& paper() {
        SeededRandom random(3);
        PaperKind = 2;
        CreatePaperTable(*m_dm, QStringLiteral("tab_exam1"));
        ComposePaper(*m_dm, 2, QStringLiteral("tab_exam1"), random);
        WriteArchiveRow(*m_dm, {QStringLiteral("tab_exam1"), 1}, QStringLiteral("试卷[1]"));
        m_dm->ADOCn1.execute(QStringLiteral("Update tab_exam1 set E2_1= ''"));
        store::DataSet& p = m_dm->Cn1Query_exam;
        p.close();
        p.setCommandText(QStringLiteral("select * from tab_exam1 order by A13,A1"));
        p.open();
        return p;
    }
    // Moves the paper to the question of that id.
    void to(store::DataSet& p, const QString& id) { QVERIFY(p.locate(QStringLiteral("A1"), id)); }
    QList<QList<QVector<QVariant>>> snapshot(const QStringList& tables) {
        QList<QList<QVector<QVariant>>> out;
        for (const QString& t : tables)
            out << m_dm->ADOCn1.query(QStringLiteral("select * from ") + t + QStringLiteral(" order by 1,2"))
                       .rows;
        return out;
    }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() {
        store::setClock(nullptr);
        examtest::CloseBank();
    }
    void init() {
        m_clock.set(QDateTime(QDate(2026, 12, 9), QTime(9, 0)));
        m_dm = examtest::OpenBank(m_dir.path(), examtest::Content(examtest::KindQuestions(2)));
        QVERIFY(m_dm->DataModuleConnected);
    }

    void answersAreMarkedInPaperAndBank() {
        store::DataSet& p = paper();
        // Q61100101001 (key B) lists two exam points of section 100101.
        to(p, QStringLiteral("Q61100101001"));
        QCOMPARE(SaveExamAnswer(*m_dm, p, QStringLiteral("C")), SaveOutcome::Marked);
        QCOMPARE(row(QStringLiteral("select E1,E2,E2_1 from tab_exam1 where A1='Q61100101001'")),
                 QVariantList({"2026-12-09", "C", "C"}));
        QCOMPARE(row(QStringLiteral("select E1,E2,E2_1,E3,E4 from tab_answ where A1='Q61100101001'")),
                 QVariantList({"2026-12-09", "C", "C", 1, -3}));
        QCOMPARE(row(QStringLiteral("select A2,A3,B1,B2 from tab_rz")), QVariantList({1, 1, 1, 1}));
        for (const char* code : {"1", "10", "1001", "100101"})
            QCOMPARE(
                row(QStringLiteral("select C4,D1,D2 from tab_kmmc where C1='%1'").arg(QLatin1String(code))),
                QVariantList({1, 1, 1}));
        QCOMPARE(row(QStringLiteral("select q1,q2,q4 from tab_rule where ftid='100101-002'")),
                 QVariantList({1, 1, 1}));
        QCOMPARE(row(QStringLiteral("select q1,q2,q4 from tab_fgmc where id='100101'")),
                 QVariantList({1, 1, 1}));
        QCOMPARE(row(QStringLiteral("select q2 from tab_fgmc where id='10'")), QVariantList({1}));

        // Changing the answer counts again; passing through with the same answer counts nothing.
        QCOMPARE(SaveExamAnswer(*m_dm, p, QStringLiteral("B")), SaveOutcome::Marked);
        QCOMPARE(SaveExamAnswer(*m_dm, p, QStringLiteral("B")), SaveOutcome::Unchanged);
        QCOMPARE(row(QStringLiteral("select A2,A3,B1,B2 from tab_rz")), QVariantList({2, 1, 1, 0}));
        QCOMPARE(row(QStringLiteral("select E3,E4 from tab_answ where A1='Q61100101001'")),
                 QVariantList({2, -2}));
        QCOMPARE(row(QStringLiteral("select C4,D1,D2 from tab_kmmc where C1='10'")), QVariantList({1, 2, 1}));
        QCOMPARE(row(QStringLiteral("select q1,q2,q4 from tab_rule where ftid='100101-001'")),
                 QVariantList({1, 2, 1}));
        // An empty answer clears the paper's answer only.
        QCOMPARE(SaveExamAnswer(*m_dm, p, QString()), SaveOutcome::Empty);
        QCOMPARE(row(QStringLiteral("select E2,E2_1 from tab_exam1 where A1='Q61100101001'")),
                 QVariantList({"B", ""}));
        QCOMPARE(row(QStringLiteral("select E2,E3 from tab_answ where A1='Q61100101001'")),
                 QVariantList({"B", 2}));
        QCOMPARE(CountUnanswered(*m_dm, QStringLiteral("tab_exam1")), 100);

        // A right first answer, and a question that left the bank: the paper still takes the answer.
        to(p, QStringLiteral("Q61110101001"));
        SaveExamAnswer(*m_dm, p, QStringLiteral("B"));
        QCOMPARE(row(QStringLiteral("select E3,E4 from tab_answ where A1='Q61110101001'")),
                 QVariantList({1, 0}));
        m_dm->ADOCn1.execute(QStringLiteral("delete from tab_answ where A1='Q61110101002'"));
        to(p, QStringLiteral("Q61110101002"));
        QCOMPARE(SaveExamAnswer(*m_dm, p, QStringLiteral("A")), SaveOutcome::Marked);
        QCOMPARE(scalar(QStringLiteral("select E2_1 from tab_exam1 where A1='Q61110101002'")).toString(),
                 QStringLiteral("A"));
        QCOMPARE(CountUnanswered(*m_dm, QStringLiteral("tab_exam1")), 98);
    }

    void aQuestionVoidedBeforeItsFirstAnswer() {
        // Voided, then taken back, never answered: E2 holds "zero" but the next answer is the first.
        m_dm->ADOCn1.execute(QStringLiteral("update tab_answ set E2='zero', F1=0 where A1='Q61100101001'"));
        store::DataSet& p = paper();
        to(p, QStringLiteral("Q61100101001"));
        QCOMPARE(p.asString(QStringLiteral("E2")), QStringLiteral("zero"));
        SaveExamAnswer(*m_dm, p, QStringLiteral("B")); // right
        QCOMPARE(row(QStringLiteral("select E3,E4 from tab_answ where A1='Q61100101001'")),
                 QVariantList({1, 0}));
        QCOMPARE(row(QStringLiteral("select C4 from tab_kmmc where C1='100101'")), QVariantList({1}));
        QCOMPARE(row(QStringLiteral("select q1 from tab_rule where ftid='100101-001'")), QVariantList({1}));
        // "zero" was never the key: the day counts the question as wrong before and right now.
        QCOMPARE(row(QStringLiteral("select A2,A3,B1,B2 from tab_rz")),
                 QVariantList({1, QVariant(), 1, QVariant()}));
    }

    void aFailureAtAnyStatementChangesNothing_data() {
        QTest::addColumn<QString>("fragment");
        QTest::newRow("daily log") << QStringLiteral("tab_rz");
        QTest::newRow("chapters") << QStringLiteral("tab_kmmc");
        QTest::newRow("exam points") << QStringLiteral("tab_rule");
        QTest::newRow("catalogue") << QStringLiteral("tab_fgmc");
        QTest::newRow("bank row") << QStringLiteral("update tab_answ");
        QTest::newRow("paper row") << QStringLiteral("tab_exam1");
    }
    void aFailureAtAnyStatementChangesNothing() {
        QFETCH(QString, fragment);
        store::DataSet& p = paper();
        // A first answer opens every cursor the counters use, so the failure hits a write.
        to(p, QStringLiteral("Q61100101004"));
        SaveExamAnswer(*m_dm, p, QStringLiteral("A"));
        const QStringList tables{"tab_answ", "tab_rz",    "tab_kmmc", "tab_rule",
                                 "tab_fgmc", "tab_exam1", "tab_cj"};
        const auto before = snapshot(tables);
        to(p, QStringLiteral("Q61100101001"));
        m_dm->ADOCn1.failStatementsContaining(fragment);
        QVERIFY_THROWS_EXCEPTION(store::DbError, SaveExamAnswer(*m_dm, p, QStringLiteral("C")));
        m_dm->ADOCn1.failStatementsContaining(QString());
        const auto after = snapshot(tables);
        for (int i = 0; i < tables.size(); ++i)
            QVERIFY2(after[i] == before[i], qPrintable(tables[i]));
        // The cursors show the bank as it is: the same answer is marked once when saved again.
        QCOMPARE(p.state(), store::DataSet::State::Browse);
        QCOMPARE(p.asString(QStringLiteral("E2_1")), QString());
        QCOMPARE(SaveExamAnswer(*m_dm, p, QStringLiteral("C")), SaveOutcome::Marked);
        QCOMPARE(row(QStringLiteral("select A2,B1 from tab_rz")), QVariantList({2, 2}));
        QCOMPARE(row(QStringLiteral("select D1 from tab_kmmc where C1='1'")), QVariantList({2}));
        QCOMPARE(row(QStringLiteral("select q2 from tab_rule where ftid='100101-001'")), QVariantList({2}));
        QCOMPARE(row(QStringLiteral("select E3 from tab_answ where A1='Q61100101001'")), QVariantList({1}));
    }

    void scoreAndLeastMark() {
        paper();
        // Kind 2 scores 1 for single choice (61), 2 for case single choice (62) and multiple choice (65).
        m_dm->ADOCn1.execute(
            QStringLiteral("update tab_exam1 set E2_1=A2 where A13=61 and A1 like 'Q611001*'"));
        m_dm->ADOCn1.execute(QStringLiteral("update tab_exam1 set E2_1=A2 where A13=65"));
        m_dm->ADOCn1.execute(QStringLiteral("update tab_exam1 set E2_1='Z' where A13=62"));
        const int singles =
            scalar(QStringLiteral("select count(*) from tab_exam1 where A13=61 and E2_1=A2")).toInt();
        QVERIFY(singles > 0);
        const double expected = singles + 2 * 20;
        QCOMPARE(PaperScore(*m_dm, QStringLiteral("tab_exam1"), 2), expected);
        // Scored against another kind's table: only the types that table lists count, at its scores.
        m_dm->ADOCn1.execute(QStringLiteral("delete from tab_tx4 where A1=65"));
        QCOMPARE(PaperScore(*m_dm, QStringLiteral("tab_exam1"), 4), double(singles));

        m_dm->ADOCn1.execute(QStringLiteral("update tab_plan set LeastMark=%1").arg(int(expected)));
        m_clock.advanceSeconds(30);
        MarkResult r = MarkPaperData(*m_dm, QStringLiteral("tab_exam1"), 2, QStringLiteral("0:45:12"));
        QCOMPARE(r.score, expected);
        QVERIFY(!r.belowLeastMark); // equal to the least mark: kept
        QCOMPARE(row(QStringLiteral("select A6,D2 from tab_cj where A1='tab_exam1'")),
                 QVariantList({expected, "0:45:12"}));
        m_dm->ADOCn1.execute(QStringLiteral("update tab_plan set LeastMark=%1").arg(int(expected) + 1));
        r = MarkPaperData(*m_dm, QStringLiteral("tab_exam1"), 2, QStringLiteral("0:45:12"));
        QVERIFY(r.belowLeastMark);
    }

    void markingIsAllOrNothing() {
        store::DataSet& p = paper();
        to(p, QStringLiteral("Q61100101004"));
        SaveExamAnswer(*m_dm, p, QStringLiteral("A")); // today's log row exists
        const QVariantList logBefore = row(QStringLiteral("select D1,A4 from tab_rz"));
        for (const char* fragment : {"tab_kmmc", "tab_rz", "tab_cj"}) {
            m_dm->ADOCn1.failStatementsContaining(QLatin1String(fragment));
            QVERIFY_THROWS_EXCEPTION(store::DbError, MarkPaperData(*m_dm, QStringLiteral("tab_exam1"), 2,
                                                                   QStringLiteral("0:10:00")));
            m_dm->ADOCn1.failStatementsContaining(QString());
            QVERIFY(scalar(QStringLiteral("select A6 from tab_cj")).isNull());
            QVERIFY(scalar(QStringLiteral("select D2 from tab_cj")).isNull());
            QCOMPARE(row(QStringLiteral("select D1,A4 from tab_rz")), logBefore);
        }
        MarkPaperData(*m_dm, QStringLiteral("tab_exam1"), 2, QStringLiteral("0:10:00"));
        QCOMPARE(row(QStringLiteral("select D1 from tab_rz")), QVariantList({"00:10:00"}));
        // A paper without an archive row is still marked: the time is logged, the score has no row.
        m_dm->ADOCn1.execute(QStringLiteral("delete from tab_cj"));
        m_dm->Cn1Table_cj.close();
        MarkPaperData(*m_dm, QStringLiteral("tab_exam1"), 2, QStringLiteral("0:10:00"));
        QCOMPARE(row(QStringLiteral("select D1 from tab_rz")), QVariantList({"00:20:00"}));
    }

    void endingRules_data() {
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("unanswered");
        QTest::addColumn<bool>("deleteSilently");
        for (int total : {90, 100})
            for (int open : {0, 1, 89, 90, 100}) {
                if (open > total)
                    continue;
                // Only a paper with nothing answered at all goes without a question.
                QTest::addRow("%d of %d open", open, total) << total << open << (open >= 90 && open == total);
            }
        QTest::newRow("6 of 6 open") << 6 << 6 << false;
    }
    void endingRules() {
        QFETCH(int, total);
        QFETCH(int, unanswered);
        QFETCH(bool, deleteSilently);
        QCOMPARE(DeletesWithoutAsking(unanswered, total), deleteSilently);
        QCOMPARE(TimeUpMarks(unanswered, total), !deleteSilently);
    }

    void promptsAndNumbers() {
        QCOMPARE(SubmitQuestionText(0), QStringLiteral("恭喜你已经做完试卷，确定要交卷吗？"));
        QCOMPARE(SubmitQuestionText(6), QStringLiteral("你还有6道题未做，确定要交卷吗？"));
        QVERIFY(DiscardCountsStudyTime(49));
        QVERIFY(!DiscardCountsStudyTime(50));
        QCOMPARE(ShortNumber(78), QStringLiteral("78"));
        QCOMPARE(ShortNumber(1.5), QStringLiteral("1.5"));
        QCOMPARE(ShortNumber(0), QStringLiteral("0"));
    }

    void voidingAQuestion() {
        store::DataSet& p = paper();
        to(p, QStringLiteral("Q61100101003"));
        m_dm->ADOCn1.execute(QStringLiteral("update tab_answ set F1=2 where A1='Q61100101003'"));
        SetQuestionVoided(*m_dm, p, true);
        QCOMPARE(row(QStringLiteral("select F1,E2 from tab_exam1 where A1='Q61100101003'")),
                 QVariantList({1, "zero"}));
        QCOMPARE(row(QStringLiteral("select F1,E2 from tab_answ where A1='Q61100101003'")),
                 QVariantList({1, "zero"}));
        SetQuestionVoided(*m_dm, p, false);
        QCOMPARE(row(QStringLiteral("select F1,E2 from tab_exam1 where A1='Q61100101003'")),
                 QVariantList({0, ""}));
        QCOMPARE(row(QStringLiteral("select F1,E2 from tab_answ where A1='Q61100101003'")),
                 QVariantList({0, "zero"}));
    }
};

QTEST_MAIN(TestExamMarking)
#include "tst_exam_marking.moc"
