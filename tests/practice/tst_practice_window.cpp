// The chapter navigator and the practice window, driven as a learner drives them.
#include "practice/QuestionButton.h"
#include "practice/Ubj.h"
#include "practice/Ukmmc.h"
#include "practice/Ulxxt.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/support/TestSupport.h"
#include "ui/AppState.h"
#include "ui/Services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {
// Section 050101 with n single-choice questions P001.. (keys cycling A..D) on top of the small syllabus.
QString bankWithQuestions(int n) {
    QString text = testsupport::baseContent() + testsupport::smallSyllabus();
    for (int i = 1; i <= n; ++i)
        text += QStringLiteral("[question P%1]\nchapter: 050101\ntype: 61\noptions: 4\nanswer: %2\n"
                               "points: 050101-002\nstem: |\n  题%1\n")
                    .arg(i, 3, 10, QLatin1Char('0'))
                    .arg(QChar(u'A' + (i - 1) % 4));
    return text;
}
} // namespace

class TestPracticeWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};
    std::unique_ptr<TDM1> m_dm;

    void openBank(int questions) {
        if (DM1 == m_dm.get())
            DM1 = nullptr;
        m_dm.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
        m_dm = std::make_unique<TDM1>(testsupport::buildBank(m_dir.path(), bankWithQuestions(questions)));
        QVERIFY(m_dm->DataModuleConnected);
        DM1 = m_dm.get();
        ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
    }
    std::unique_ptr<TFrmLxxt> practice(const QString& chapter) {
        PracticeQueryText = TFrmkmmc::PracticeQuery(TFrmkmmc::NewQuestions, chapter);
        auto w = std::make_unique<TFrmLxxt>();
        if (!w->LoadPracticeSet())
            return nullptr;
        w->show();
        return w;
    }
    QVariant scalar(const QString& sql) { return m_dm->ADOCn1.scalar(sql); }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() {
        store::setClock(nullptr);
        DM1 = nullptr;
    }

    void groupsOfTwenty() {
        openBank(39);
        ScopedMessages shown;
        auto w = practice(QStringLiteral("050101"));
        QVERIFY(w);
        // 39 questions P001.. and Q0001, Q0002 of the section: 41 questions, groups of 20, 20 and 1.
        QCOMPARE(w->GroupCount(), 3);
        QCOMPARE(w->GroupText(), QStringLiteral("共3组41道题　第1组"));
        QCOMPARE(w->CurrentPosition(), 1);
        QVERIFY(w->Button(0)->isChecked());
        QVERIFY(!w->ActionButton(QStringLiteral("Previous"))->isEnabled());
        QVERIFY(!w->ActionButton(QStringLiteral("PreviousGroup"))->isEnabled());
        w->ActionButton(QStringLiteral("NextGroup"))->click();
        w->ActionButton(QStringLiteral("NextGroup"))->click();
        QCOMPARE(w->CurrentGroup(), 3);
        QCOMPARE(w->GroupSize(), 1);
        QVERIFY(w->Button(0)->isEnabled());
        QVERIFY(!w->Button(1)->isEnabled());
        QVERIFY(!w->ActionButton(QStringLiteral("NextGroup"))->isEnabled());
        w->ActionButton(QStringLiteral("PreviousGroup"))->click();
        QCOMPARE(w->CurrentGroup(), 2);
        QCOMPARE(w->CurrentPosition(), 21);
        // "上一题" on the first question of group 2 goes to question 1 of group 1.
        w->ActionButton(QStringLiteral("Previous"))->click();
        QCOMPARE(w->CurrentGroup(), 1);
        QCOMPARE(w->CurrentPosition(), 1);
        // "下一题" from the last question of group 1 opens group 2.
        w->PressQuestionButton(19);
        QCOMPARE(w->CurrentPosition(), 20);
        QTest::keyClick(w.get(), Qt::Key_Return);
        QCOMPARE(w->CurrentGroup(), 2);
        QCOMPARE(w->CurrentPosition(), 21);
        QVERIFY(shown->shown.isEmpty());
        w->close();
    }

    void typeTabsFilterAndRenumber() {
        openBank(3);
        ScopedMessages shown;
        auto w = practice(QStringLiteral("0501")); // Q0001..Q0003 and P001..P003: types 61 and 65
        QVERIFY(w);
        QCOMPARE(w->TypeTabCount(), 4);       // 任意 and the three types of the test bank
        QVERIFY(w->TypeTab(1)->isEnabled());  // 61
        QVERIFY(w->TypeTab(2)->isEnabled());  // 65
        QVERIFY(!w->TypeTab(3)->isEnabled()); // 66 has none here
        QCOMPARE(w->GroupText(), QStringLiteral("共1组6道题　第1组"));
        // Answer the question on show, then switch tabs: the answer is kept silently.
        w->View()->pressLetter(u'B');
        w->TypeTab(2)->click();
        QCOMPARE(w->GroupText(), QStringLiteral("共1组1道题　第1组"));
        QCOMPARE(w->View()->page(), 1);
        QCOMPARE(scalar(QStringLiteral("select E2 from tab_answ where A1='Q0001'")).toString(),
                 QStringLiteral("B"));
        QVERIFY(shown->shown.isEmpty());
        w->close();
    }

    void navigatorToPracticeAndBack() {
        openBank(2);
        ScopedMessages shown;
        SubjectNumber = 1;
        TFrmkmmc nav;
        nav.show();
        QCOMPARE(nav.Grid()->rowCount(), 9); // "xx" is never listed
        QCOMPARE(nav.ScoreText(), QStringLiteral("分数"));
        QCOMPARE(nav.StatisticsValue(0), 7);

        // A part heading is refused.
        QVERIFY(nav.SelectChapter(QStringLiteral("05")));
        nav.findChild<QPushButton*>(QStringLiteral("PracticeNew"))->click();
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("请选择具体章节目录！"));
        shown->clear();

        QVERIFY(nav.SelectChapter(QStringLiteral("050101")));
        bool drove = false;
        QTimer::singleShot(0, this, [&] {
            auto* w = qobject_cast<TFrmLxxt*>(QApplication::activeModalWidget());
            QVERIFY(w);
            QVERIFY(nav.isVisible()); // the navigator keeps its modal loop under the practice
            QCOMPARE(w->HintBoard(), QStringLiteral("第一节标题"));
            // Questions in type order: Q0001 (61, key B), P001 (61, A), P002 (61, B), Q0002 (65, ACE).
            QCOMPARE(w->GroupText(), QStringLiteral("共1组4道题　第1组"));
            w->View()->pressLetter(u'B');
            w->ActionButton(QStringLiteral("Done"))->click();
            QCOMPARE(w->Button(0)->state(), QuestionState::Right);
            QVERIFY(w->ActionButton(QStringLiteral("Answer"))->isEnabled());
            w->ActionButton(QStringLiteral("Answer"))->click();
            QVERIFY(w->View()->answerPanelText().startsWith(QStringLiteral("恭喜你，做对了！")));
            QTest::keyClick(w, Qt::Key_Return); // next question closes the panel
            QVERIFY(!w->View()->answerPanelOpen());
            QCOMPARE(w->CurrentPosition(), 2);
            w->View()->pressLetter(u'D'); // P001's key is A
            w->ActionButton(QStringLiteral("Done"))->click();
            QCOMPARE(w->Button(1)->state(), QuestionState::Wrong);
            w->ActionButton(QStringLiteral("Done"))->click(); // again: nothing more is counted
            w->PressQuestionButton(2);
            w->ActionButton(QStringLiteral("Done"))->click(); // no answer
            QCOMPARE(shown->shown.last().text, QStringLiteral("请先做出答案！"));
            // Notes are written into the question row through the notes window.
            QTimer::singleShot(0, w, [] {
                auto* notes = qobject_cast<TFrmBj*>(QApplication::activeModalWidget());
                QVERIFY(notes);
                notes->Memo1->setPlainText(QStringLiteral("记住：控制器负责译码"));
                notes->close();
            });
            w->ActionButton(QStringLiteral("Notes"))->click();
            QCOMPARE(w->ActionButton(QStringLiteral("Notes"))->text(), QStringLiteral("有内容"));
            w->PressQuestionButton(3);
            QCOMPARE(w->View()->page(), 1);
            w->View()->pressLetter(u'E');
            w->View()->pressLetter(u'A');
            w->View()->pressLetter(u'C');
            m_clock.advanceSeconds(95);
            drove = true;
            w->close(); // the answer on the page is kept when the window closes
        });
        nav.findChild<QPushButton*>(QStringLiteral("PracticeNew"))->click();
        QVERIFY(drove);
        QVERIFY(nav.isVisible());

        QCOMPARE(scalar(QStringLiteral("select E2 from tab_answ where A1='Q0001'")).toString(),
                 QStringLiteral("B"));
        QCOMPARE(scalar(QStringLiteral("select E2 from tab_answ where A1='P001'")).toString(),
                 QStringLiteral("D"));
        QCOMPARE(scalar(QStringLiteral("select E4 from tab_answ where A1='P001'")).toInt(), -3);
        QVERIFY(scalar(QStringLiteral("select E2 from tab_answ where A1='P002'")).isNull());
        QCOMPARE(scalar(QStringLiteral("select E2 from tab_answ where A1='Q0002'")).toString(),
                 QStringLiteral("ACE"));
        const auto rz = m_dm->ADOCn1.query(QStringLiteral("select A2,A3,B1,B2,D1,A4 from tab_rz")).rows;
        QCOMPARE(rz.size(), 1);
        QCOMPARE(QVariantList(rz[0].begin(), rz[0].end()),
                 QVariantList({3, 1, 3, 1, QStringLiteral("00:01:35"), QStringLiteral("66.67")}));
        QCOMPARE(scalar(QStringLiteral("select D1 from tab_kmmc where C1='050101'")).toInt(), 3);
        QCOMPARE(scalar(QStringLiteral("select D2 from tab_kmmc where C1='0'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select C6 from tab_kmmc where C1='0501'")).toString(),
                 QStringLiteral("66.67"));
        QCOMPARE(scalar(QStringLiteral("select q2 from tab_rule where ftid='050101-002'")).toInt(), 2);
        QCOMPARE(scalar(QStringLiteral("select q4 from tab_fgmc where id='05'")).toInt(), 1);

        // The navigator is back on the chapter with the new counters.
        QCOMPARE(nav.RememberedChapter(), QStringLiteral("050101"));
        const int row = nav.Grid()->currentRow();
        QCOMPARE(nav.Grid()->item(row, 0)->data(Qt::UserRole).toString(), QStringLiteral("050101"));
        QCOMPARE(nav.Grid()->item(row, 3)->text(), QStringLiteral("3"));
        QCOMPARE(nav.Grid()->item(row, 5)->text(), QStringLiteral("66.67"));
        QCOMPARE(nav.StatisticsValue(1), 3);
        QCOMPARE(nav.ScoreText(), QStringLiteral("66.67"));

        // Wrong-question practice now finds P001; a chapter with nothing left says so.
        QCOMPARE(shown->shown.size(), 1);
        QVERIFY(nav.SelectChapter(QStringLiteral("050102")));
        m_dm->ADOCn1.execute(QStringLiteral("update tab_answ set F1=1 where A1='Q0003'"));
        nav.findChild<QPushButton*>(QStringLiteral("PracticeNew"))->click();
        QCOMPARE(shown->shown.last().text, QStringLiteral("恭喜，习题已做完！"));
        nav.findChild<QPushButton*>(QStringLiteral("PracticeWrong"))->click();
        QCOMPARE(shown->shown.last().text, QStringLiteral("本章节下没有错题！"));
    }

    void timeRunsOutAndVoiding() {
        openBank(2);
        ScopedMessages shown;
        auto w = practice(QStringLiteral("050101")); // Q0001, P001, P002, Q0002
        QVERIFY(w);
        for (int i = 0; i < 100; ++i)
            w->QuestionTimerTick();
        QCOMPARE(w->Gauge(), 100);
        QVERIFY(shown->shown.isEmpty());
        w->QuestionTimerTick();
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("到时间了"));
        QCOMPARE(scalar(QStringLiteral("select csbs from tab_answ where A1='Q0001'")).toString(),
                 QStringLiteral("Y"));
        QVERIFY(scalar(QStringLiteral("select E2 from tab_answ where A1='Q0001'")).isNull()); // not marked

        // Voiding keeps the question in the open set; later new practices leave it out, review offers it.
        w->PressQuestionButton(1);
        QPushButton* voidButton = w->ActionButton(QStringLiteral("Void"));
        voidButton->click();
        QCOMPARE(voidButton->text(), QStringLiteral("取消作废"));
        QCOMPARE(w->StatusLine(0), QStringLiteral("本题已被您作废！"));
        QCOMPARE(scalar(QStringLiteral("select F1 from tab_answ where A1='P001'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select E2 from tab_answ where A1='P001'")).toString(),
                 QStringLiteral("zero"));
        w->PressQuestionButton(0);
        w->PressQuestionButton(1);
        QCOMPARE(w->StatusLine(0), QStringLiteral("本题已被您作废！"));
        QCOMPARE(w->GroupText(), QStringLiteral("共1组4道题　第1组"));
        w->close();
        const auto count = [&](TFrmkmmc::Mode mode) {
            return m_dm->ADOCn1.query(TFrmkmmc::PracticeQuery(mode, QStringLiteral("050101"))).rows.size();
        };
        QCOMPARE(count(TFrmkmmc::NewQuestions), 3);
        QCOMPARE(count(TFrmkmmc::Review), 1);
        // Un-voiding lets the question count again but leaves its history at "zero".
        m_dm->ADOCn1.execute(QStringLiteral("update tab_answ set F1=0 where A1='P001'"));
        QCOMPARE(count(TFrmkmmc::NewQuestions), 3);
    }

    void practiceQueries() {
        QCOMPARE(TFrmkmmc::PracticeQuery(TFrmkmmc::NewQuestions, QStringLiteral("0501")),
                 QStringLiteral(
                     "select a1 ,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1,xx,"
                     "csbs,ecount from tab_answ where (left(A10,4) = '0501') and (E2 = '' or E2 is null)  "
                     "and (f1<>1)  order by a13,a10,xx,a1"));
        openBank(0);
        // A null F1 is never offered by new or wrong practice, but review offers it once answered.
        m_dm->ADOCn1.execute(QStringLiteral("update tab_answ set F1=NULL, E2='C', E4=-1 where A1='Q0004'"));
        const auto count = [&](TFrmkmmc::Mode mode) {
            return m_dm->ADOCn1.query(TFrmkmmc::PracticeQuery(mode, QStringLiteral("300101"))).rows.size();
        };
        QCOMPARE(count(TFrmkmmc::NewQuestions), 1); // Q0005
        QCOMPARE(count(TFrmkmmc::WrongQuestions), 0);
        QCOMPARE(count(TFrmkmmc::Review), 1);
    }
};

QTEST_MAIN(TestPracticeWindow)
#include "tst_practice_window.moc"
