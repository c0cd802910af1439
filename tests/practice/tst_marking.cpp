// Marking one answer: the question's history, the daily log, the chapter and exam-point counters, and
// the page each question is answered on.
#include "practice/Marking.h"
#include "practice/QuestionView.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/support/TestSupport.h"
#include "tools/BankSource.h"

#include <QAbstractButton>
#include <QTemporaryDir>
#include <QtTest>

class TestMarking : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};
    std::unique_ptr<TDM1> m_dm;

    // The practice set holding one question, on its row.
    store::DataSet& question(const QString& id) {
        store::DataSet& s = m_dm->Cn1Query_tm;
        s.close();
        s.setCommandText(QStringLiteral("select * from tab_answ where A1=:A1"));
        s.setParams({id});
        s.open();
        return s;
    }
    QVariant scalar(const QString& sql) { return m_dm->ADOCn1.scalar(sql); }
    QVariantList row(const QString& sql) {
        const auto r = m_dm->ADOCn1.query(sql);
        return r.rows.isEmpty() ? QVariantList() : QVariantList(r.rows[0].begin(), r.rows[0].end());
    }
    // A practice opening clears the per-practice answers.
    void newPractice() { m_dm->ADOCn1.execute(QStringLiteral("Update tab_answ set E2_1= ''")); }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() { store::setClock(nullptr); }
    void init() {
        m_dm.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
        m_clock.set(QDateTime(QDate(2026, 12, 9), QTime(9, 0)));
        m_dm = std::make_unique<TDM1>(
            testsupport::buildBank(m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus()));
        QVERIFY(m_dm->DataModuleConnected);
    }

    void firstAnswersOfTheDay() {
        QCOMPARE(SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0001")), QStringLiteral("A")),
                 SaveOutcome::Marked);
        QCOMPARE(row(QStringLiteral("select A2,A3,B1,B2 from tab_rz")), QVariantList({1, 1, 1, 1}));
        QCOMPARE(row(QStringLiteral("select E1,E2,E2_1,E3,E4 from tab_answ where A1='Q0001'")),
                 QVariantList({"2026-12-09", "A", "A", 1, -3}));

        init();
        QCOMPARE(SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0001")), QStringLiteral("B")),
                 SaveOutcome::Marked);
        QCOMPARE(row(QStringLiteral("select A2,A3,B1,B2 from tab_rz")),
                 QVariantList({1, QVariant(), 1, QVariant()}));
        QCOMPARE(row(QStringLiteral("select E3,E4 from tab_answ where A1='Q0001'")), QVariantList({1, 0}));
    }

    void wrongThenRightOnOneDay() {
        SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0001")), QStringLiteral("C"));
        SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0001")),
                        QStringLiteral("B")); // changed in the practice
        QCOMPARE(row(QStringLiteral("select A2,A3,B1,B2 from tab_rz")), QVariantList({2, 1, 1, 0}));
        // The same answer again counts nothing; a new practice counts it again.
        QCOMPARE(SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0001")), QStringLiteral("B")),
                 SaveOutcome::Unchanged);
        QCOMPARE(scalar(QStringLiteral("select A2 from tab_rz")).toInt(), 2);
        newPractice();
        QCOMPARE(SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0001")), QStringLiteral("B")),
                 SaveOutcome::Marked);
        QCOMPARE(row(QStringLiteral("select A2,A3,B1,B2 from tab_rz")), QVariantList({3, 1, 1, 0}));
        // The next day the question is new to the day's log again.
        m_clock.advanceDays(1);
        newPractice();
        SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0001")), QStringLiteral("D"));
        QCOMPARE(row(QStringLiteral("select A2,A3,B1,B2 from tab_rz where A1='2026-12-10'")),
                 QVariantList({1, 1, 1, 1}));
        QCOMPARE(row(QStringLiteral("select E3,E4 from tab_answ where A1='Q0001'")), QVariantList({4, -2}));
    }

    void emptyAnswerClearsOnlyThePracticeAnswer() {
        SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0003")), QStringLiteral("A"));
        QCOMPARE(SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0003")), QString()), SaveOutcome::Empty);
        QCOMPARE(row(QStringLiteral("select E2,E2_1,E3 from tab_answ where A1='Q0003'")),
                 QVariantList({"A", "", 1}));
        QCOMPARE(scalar(QStringLiteral("select A2 from tab_rz")).toInt(), 1);
    }

    void chapterPathWithAMissingRow() {
        m_dm->ADOCn1.execute(QStringLiteral("delete * from tab_kmmc where C1='0501'"));
        SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0001")), QStringLiteral("A"));
        const auto counts = m_dm->ADOCn1.query(QStringLiteral(
            "select C1,C4,D1,D2 from tab_kmmc where C1 in ('0','05','050101','050102') order by C1"));
        QCOMPARE(counts.rows.size(), 4);
        for (const auto& r : counts.rows) {
            const bool onPath = r[0].toString() != u"050102";
            QCOMPARE(r[1].toInt(), onPath ? 1 : 0);
            QCOMPARE(r[2].toInt(), onPath ? 1 : 0);
            QCOMPARE(r[3].toInt(), onPath ? 1 : 0);
        }
        // A later answer is no longer the first one ever.
        newPractice();
        SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0001")), QStringLiteral("B"));
        QCOMPARE(row(QStringLiteral("select C4,D1,D2 from tab_kmmc where C1='05'")), QVariantList({1, 2, 1}));
    }

    void examPointsOfCoincidingSections() {
        // Q0001 lists two points of section 050101.
        SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0001")), QStringLiteral("C"));
        QCOMPARE(row(QStringLiteral("select q1,q2,q4 from tab_rule where ftid='050101-001'")),
                 QVariantList({1, 1, 1}));
        QCOMPARE(row(QStringLiteral("select q1,q2,q4 from tab_rule where ftid='050101-002'")),
                 QVariantList({1, 1, 1}));
        QCOMPARE(row(QStringLiteral("select q1,q2,q4 from tab_fgmc where id='050101'")),
                 QVariantList({1, 1, 1}));
        QCOMPARE(row(QStringLiteral("select q1,q2,q4 from tab_fgmc where id='05'")), QVariantList({1, 1, 1}));
        QCOMPARE(row(QStringLiteral("select q2 from tab_fgmc where id='050102'")), QVariantList({0}));
    }

    void listsStopAtTheFirstEmptyPoint() {
        m_dm->ADOCn1.execute(QStringLiteral("update tab_answ set K3=NULL, K4='050101-001' where A1='Q0003'"));
        const ExamPointLists none = ExamPointListsOf(question(QStringLiteral("Q0003")));
        QVERIFY(none.isEmpty());
        SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0003")), QStringLiteral("A"));
        QCOMPARE(scalar(QStringLiteral("select sum(q2) from tab_rule")).toInt(), 0);
        const ExamPointLists two = ExamPointListsOf(question(QStringLiteral("Q0001")));
        QCOMPARE(two.points, QStringLiteral("('050101-001','050101-002')"));
        QCOMPARE(two.sections, QStringLiteral("('050101','050101')"));
        QCOMPARE(two.tops, QStringLiteral("('05','05')"));
    }

    void masteryScore() {
        int e4 = NextMasteryScore(false, 0, false);
        QCOMPARE(e4, -3);
        for (int expected : {-2, -1, 0}) {
            e4 = NextMasteryScore(true, e4, true);
            QCOMPARE(e4, expected);
        }
        QCOMPARE(NextMasteryScore(true, 0, true), 0);
        QCOMPARE(NextMasteryScore(true, 0, false), -1);
    }

    void studyTimeAndPercentages() {
        m_dm->RecordStudyTime(QStringLiteral("0:10:00")); // no log row today: only chapter scores
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_rz")).toInt(), 0);
        QCOMPARE(scalar(QStringLiteral("select C6 from tab_kmmc where C1='05'")).toString(),
                 QStringLiteral("0"));
        SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0001")), QStringLiteral("C"));
        m_dm->ADOCn1.execute(QStringLiteral("update tab_rz set D1='09:59:30'"));
        m_dm->Cn1Table_rz.close();
        m_dm->RecordStudyTime(QStringLiteral("0:00:45"));
        QCOMPARE(row(QStringLiteral("select D1,A4 from tab_rz")), QVariantList({"10:00:15", "0.00"}));
        QCOMPARE(scalar(QStringLiteral("select C6 from tab_kmmc where C1='05'")).toString(),
                 QStringLiteral("0.00"));
        newPractice();
        SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0001")), QStringLiteral("B"));
        newPractice();
        SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0003")), QStringLiteral("A"));
        m_dm->RecordStudyTime(QStringLiteral("0:00:00"));
        QCOMPARE(scalar(QStringLiteral("select A4 from tab_rz")).toString(), QStringLiteral("66.67"));
        QCOMPARE(scalar(QStringLiteral("select C6 from tab_kmmc where C1='050101'")).toString(),
                 QStringLiteral("50.00"));
        QCOMPARE(scalar(QStringLiteral("select C6 from tab_kmmc where C1='050102'")).toString(),
                 QStringLiteral("100.00"));
    }

    void aQuestionVoidedBeforeItsFirstAnswerCountsItAsTheFirst() {
        // Voiding writes "zero" over the last answer of a question never answered.
        const auto voidQuestion = [this] {
            m_dm->ADOCn1.execute(QStringLiteral("update tab_answ set E2='zero', F1=1 where A1='Q0001'"));
        };
        voidQuestion();
        QCOMPARE(SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0001")), QStringLiteral("C")),
                 SaveOutcome::Marked);
        QCOMPARE(row(QStringLiteral("select E3,E4 from tab_answ where A1='Q0001'")), QVariantList({1, -3}));
        QCOMPARE(row(QStringLiteral("select C4,D1,D2 from tab_kmmc where C1='0501'")),
                 QVariantList({1, 1, 1}));
        QCOMPARE(row(QStringLiteral("select q1,q2,q4 from tab_rule where ftid='050101-001'")),
                 QVariantList({1, 1, 1}));
        QCOMPARE(row(QStringLiteral("select q1 from tab_fgmc where id='05'")), QVariantList({1}));

        init();
        voidQuestion();
        SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0001")), QStringLiteral("B"));
        QCOMPARE(row(QStringLiteral("select E3,E4 from tab_answ where A1='Q0001'")), QVariantList({1, 0}));
        QCOMPARE(row(QStringLiteral("select C4,D1,D2 from tab_kmmc where C1='0'")), QVariantList({1, 1, 0}));
        // Voided after it was answered, a question's next answer is not a first one again.
        voidQuestion();
        newPractice();
        SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0001")), QStringLiteral("C"));
        QCOMPARE(row(QStringLiteral("select E3,E4 from tab_answ where A1='Q0001'")), QVariantList({2, -1}));
        QCOMPARE(row(QStringLiteral("select C4,D1,D2 from tab_kmmc where C1='0'")), QVariantList({1, 2, 1}));
        QCOMPARE(row(QStringLiteral("select q1,q2 from tab_rule where ftid='050101-002'")),
                 QVariantList({1, 2}));
    }

    void twoWritersNeverLoseAnAnswer() {
        // Another copy of the program on the same bank, its cursors read before this one answers.
        TDM1 other(m_dm->BankPath());
        QVERIFY(other.DataModuleConnected);
        other.Cn1Table_kmmc.open();
        other.Cn1Table_rz.open();
        store::DataSet& theirs = other.Cn1Query_tm;
        theirs.setCommandText(QStringLiteral("select * from tab_answ where A1='Q0001'"));
        theirs.open();

        SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0001")), QStringLiteral("C"));     // wrong
        QCOMPARE(SaveAnswerToRow(other, theirs, QStringLiteral("B")), SaveOutcome::Marked); // right
        QCOMPARE(row(QStringLiteral("select E3,E4 from tab_answ where A1='Q0001'")), QVariantList({2, -2}));
        QCOMPARE(row(QStringLiteral("select A2,A3,B1,B2 from tab_rz")), QVariantList({2, 1, 1, 0}));
        QCOMPARE(row(QStringLiteral("select C4,D1,D2 from tab_kmmc where C1='0'")), QVariantList({1, 2, 1}));
        QCOMPARE(row(QStringLiteral("select q1,q2,q4 from tab_rule where ftid='050101-001'")),
                 QVariantList({1, 2, 1}));
        // Each program's cursors show the counters as the bank holds them.
        QVERIFY(other.Cn1Table_kmmc.locate(QStringLiteral("C1"), QStringLiteral("0")));
        QCOMPARE(other.Cn1Table_kmmc.asInteger(QStringLiteral("D1")), 2);
        QCOMPARE(theirs.asInteger(QStringLiteral("E3")), 2);
    }

    void aLockedBankLosesNoAnswer() {
        TDM1 other(m_dm->BankPath());
        store::DataSet& set = question(QStringLiteral("Q0003"));
        m_dm->ADOCn1.setBusyTimeout(50);
        other.ADOCn1.beginTransaction();
        other.ADOCn1.execute(QStringLiteral("update tab_plan set PlanAmount=11"));
        try {
            SaveAnswerToRow(*m_dm, set, QStringLiteral("A"));
            QFAIL("an answer was marked on a locked bank");
        } catch (const store::DbError& e) {
            QVERIFY2(e.message().contains(QStringLiteral("locked")), qPrintable(e.message()));
        }
        QCOMPARE(set.state(), store::DataSet::State::Browse);
        QCOMPARE(set.asString(QStringLiteral("E2_1")), QString());
        other.ADOCn1.commit();
        QCOMPARE(SaveAnswerToRow(*m_dm, set, QStringLiteral("A")), SaveOutcome::Marked);
        QCOMPARE(row(QStringLiteral("select E3,E2 from tab_answ where A1='Q0003'")), QVariantList({1, "A"}));
        QCOMPARE(row(QStringLiteral("select A2,B1 from tab_rz")), QVariantList({1, 1}));
    }

    void aFailureMidwayLeavesTheBankAsBefore() {
        SaveAnswerToRow(*m_dm, question(QStringLiteral("Q0002")), QStringLiteral("A"));
        newPractice();
        const QStringList tables{"tab_answ", "tab_rz", "tab_kmmc", "tab_rule", "tab_fgmc"};
        QList<QList<QVector<QVariant>>> before;
        for (const QString& t : tables)
            before << m_dm->ADOCn1
                          .query(QStringLiteral("select * from ") + t + QStringLiteral(" order by 1,2"))
                          .rows;
        store::DataSet& set = question(QStringLiteral("Q0001"));
        m_dm->ADOCn1.failStatementsContaining(QStringLiteral("update tab_fgmc set q1"));
        QVERIFY_THROWS_EXCEPTION(store::DbError, SaveAnswerToRow(*m_dm, set, QStringLiteral("B")));
        m_dm->ADOCn1.failStatementsContaining(QString());
        for (int i = 0; i < tables.size(); ++i)
            QCOMPARE(
                m_dm->ADOCn1
                    .query(QStringLiteral("select * from ") + tables[i] + QStringLiteral(" order by 1,2"))
                    .rows,
                before[i]);
        // The cursors show the bank as it is, so the next answer counts exactly once.
        QCOMPARE(set.asString(QStringLiteral("E2")), QString());
        QCOMPARE(set.state(), store::DataSet::State::Browse);
        QCOMPARE(SaveAnswerToRow(*m_dm, set, QStringLiteral("B")), SaveOutcome::Marked);
        QCOMPARE(row(QStringLiteral("select A2,B1 from tab_rz")), QVariantList({2, 2}));
        QCOMPARE(row(QStringLiteral("select D1 from tab_kmmc where C1='0'")), QVariantList({2}));
    }

    void answerPages() {
        QuestionView view;
        view.putAnswer(1, QString(), 4);
        QVERIFY(!view.optionButton(1, 3)->isHidden());
        QVERIFY(view.optionButton(1, 4)->isHidden());
        view.setPage(1);
        view.optionButton(1, 2)->click();
        view.optionButton(1, 0)->click();
        QCOMPARE(view.readAnswer(1, 4), QStringLiteral("AC"));
        view.putAnswer(0, QStringLiteral("B"), 9); // more than six options still shows A..F
        QVERIFY(!view.optionButton(0, 5)->isHidden());
        view.setPage(0);
        view.optionButton(0, 3)->click();
        QCOMPARE(view.readAnswer(0, 9), QStringLiteral("D"));
        QVERIFY(view.pressLetter(u'a'));
        QCOMPARE(view.readAnswer(0, 9), QStringLiteral("A"));
        view.putAnswer(3, QStringLiteral("B"), 2);
        QCOMPARE(view.readAnswer(3, 2), QStringLiteral("B"));
        view.judgementButton(0)->click();
        QCOMPARE(view.readAnswer(3, 2), QStringLiteral("A"));
        view.putAnswer(4, QStringLiteral("1"), 1);
        QCOMPARE(view.readAnswer(4, 1), QStringLiteral("1"));
        view.putAnswer(4, QString(), 1);
        QCOMPARE(view.readAnswer(4, 1), QString());
        view.putAnswer(2, QStringLiteral("  TCP, UDP "), 1);
        QCOMPARE(view.readAnswer(2, 1), QStringLiteral("TCP, UDP"));
    }

    void everyDeliveredQuestionHasAFittingPage() {
        QStringList errors;
        const tools::BankSource src = tools::readBankSource(
            qEnvironmentVariable("VQ_SOURCE_DIR") + QStringLiteral("/content/bank"), &errors);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
        QHash<int, QString> names;
        for (const auto& t : src.types)
            names.insert(t.id, t.name);
        QVERIFY(!src.questions.isEmpty());
        for (const auto& q : src.questions) {
            const int page = AnswerPageForQuestion(q.type, names.value(q.type), q.answer);
            bool fits = false;
            if (page == 0 || page == 1 || page == 5) {
                fits = !q.answer.isEmpty() && (page != 0 || q.answer.size() == 1);
                for (QChar c : q.answer)
                    fits = fits && c >= u'A' && c < QChar(u'A' + qMin(q.options, 6));
            } else if (page == 3) {
                fits = q.answer == u"A" || q.answer == u"B";
            } else if (page == 4) {
                fits = q.answer == u"1" || q.answer == u"0";
            } else {
                fits = page == 2;
            }
            QVERIFY2(fits,
                     qPrintable(QStringLiteral("%1 (type %2) on page %3").arg(q.id).arg(q.type).arg(page)));
        }
        QCOMPARE(AnswerPageForQuestion(62, QStringLiteral("案例单选题"), QStringLiteral("C")), 0);
        QCOMPARE(AnswerPageForQuestion(64, QStringLiteral("案例多选题"), QStringLiteral("AB")), 1);
        QCOMPARE(AnswerPageForQuestion(70, QStringLiteral("判断题"), QStringLiteral("A")), 3);
        QCOMPARE(AnswerPageForQuestion(73, QStringLiteral("案例分析"), QStringLiteral("1")), 4);
        QCOMPARE(AnswerPageForQuestion(90, QString(), QStringLiteral("BD")), 1);
        QCOMPARE(AnswerPageForQuestion(90, QString(), QStringLiteral("传输层")), 2);
        QCOMPARE(AnswerPageForQuestion(65, QStringLiteral("判断题"), QStringLiteral("A")), 1);
    }
};

QTEST_MAIN(TestMarking)
#include "tst_marking.moc"
