// The exam window as a learner uses it: every question reachable and answerable on its page, the clock
// and its limit under open windows, submitting and throwing papers away, review and the least mark.
#include "exam/PaperGeneration.h"
#include "exam/PaperRandom.h"
#include "exam/Uexam.h"
#include "practice/QuestionButton.h"
#include "practice/QuestionView.h"
#include "practice/Ubj.h"
#include "store/Bookmarks.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/exam/ExamBank.h"
#include "ui/AppState.h"
#include "ui/Services.h"

#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Scripted answers, and something that happens while a prompt is open (a clock tick, say).
class PromptsWithHook : public ScriptedMessages {
public:
    std::function<void(const QString&)> whilePromptOpen;
    int prompt(const QString& caption, const QString& text, int buttonSet, int page,
               const QString& style) override {
        if (whilePromptOpen)
            std::exchange(whilePromptOpen, nullptr)(text);
        return ScriptedMessages::prompt(caption, text, buttonSet, page, style);
    }
};

class ScopedHookedMessages {
public:
    ScopedHookedMessages() { setMessageService(&script); }
    ~ScopedHookedMessages() { setMessageService(nullptr); }
    ScopedHookedMessages(const ScopedHookedMessages&) = delete;
    ScopedHookedMessages& operator=(const ScopedHookedMessages&) = delete;
    PromptsWithHook* operator->() { return &script; }
    PromptsWithHook script;
};

} // namespace

class TestExamWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};
    SeededRandom m_random{5};
    TDM1* m_dm = nullptr;

    QVariant scalar(const QString& sql) { return m_dm->ADOCn1.scalar(sql); }
    QVariantList row(const QString& sql) {
        const auto r = m_dm->ADOCn1.query(sql);
        return r.rows.isEmpty() ? QVariantList() : QVariantList(r.rows[0].begin(), r.rows[0].end());
    }
    void open(const QList<examtest::Questions>& questions) {
        m_dm = examtest::OpenBank(m_dir.path(), examtest::Content(questions));
        QVERIFY(m_dm->DataModuleConnected);
    }
    // A new paper of a kind as the menu makes it, in a window on screen (not in its own loop).
    std::unique_ptr<TFrmExam> newPaper(int kind) {
        PaperKind = kind;
        auto w = std::make_unique<TFrmExam>();
        CreatePaperTable(*m_dm, QStringLiteral("tab_exam1"));
        w->PreparePaper(QStringLiteral("tab_exam1"), QStringLiteral("测试试卷[1]"), QStringLiteral("new"), 0,
                        QStringLiteral("0:00:00"));
        WriteArchiveRow(*m_dm, {QStringLiteral("tab_exam1"), 1}, QStringLiteral("测试试卷[1]"));
        if (w->LoadPaper() != 1)
            return nullptr;
        w->show();
        return w;
    }
    bool paperExists() {
        return m_dm->ADOCn1.hasTable(QStringLiteral("tab_exam1")) ||
               scalar(QStringLiteral("select count(*) from tab_cj")).toInt() > 0;
    }
    // Presses the key of question q (the right one, or a wrong one) on the page it is shown on.
    void answer(TFrmExam* w, int q, bool right) {
        w->SelectQuestion(q);
        QCOMPARE(w->CurrentQuestion(), q);
        const QString key = m_dm->Cn1Query_exam.asString(QStringLiteral("A2"));
        QuestionView* v = w->View();
        const QString given = right ? key : (key == u"A" ? QStringLiteral("B") : QStringLiteral("A"));
        if (v->page() == 3) {
            v->judgementButton(given == u"A" ? 0 : 1)->click();
        } else {
            for (QChar c : given)
                v->optionButton(v->page(), c.unicode() - u'A')->click();
        }
    }
    QString paperAnswer(int q) {
        const auto r = m_dm->ADOCn1.query(
            QStringLiteral("select E2_1 from tab_exam1 order by A13,A1 limit 1 offset %1").arg(q - 1));
        return r.rows.value(0).value(0).toString();
    }

private slots:
    void initTestCase() {
        store::setClock(&m_clock);
        setPaperRandom(&m_random);
        ScreenMode = QStringLiteral("1024");
    }
    void cleanupTestCase() {
        setPaperRandom(nullptr);
        store::setClock(nullptr);
        examtest::CloseBank();
    }
    void init() { m_clock.set(QDateTime(QDate(2026, 12, 9), QTime(9, 0))); }

    void everyQuestionOfAHundredIsReachable() {
        open(examtest::KindQuestions(2));
        ScopedMessages shown;
        auto w = newPaper(2);
        QVERIFY(w);
        QCOMPARE(w->QuestionCount(), 100);
        QCOMPARE(w->Mode(), QStringLiteral("new"));
        QCOMPARE(w->windowTitle(), QStringLiteral("正在答卷"));
        QCOMPARE(w->CurrentQuestion(), 1);
        QVERIFY(!w->ActionButton(QStringLiteral("Previous"))->isEnabled());
        QVERIFY(!w->ActionButton(QStringLiteral("Explain"))->isEnabled());
        QVERIFY(!w->ActionButton(QStringLiteral("Void"))->isEnabled());
        QCOMPARE(w->TypeText(), QStringLiteral("单项选择题 每题1分 共50分"));
        QVERIFY(w->ActionButton(QStringLiteral("NextPage"))->isVisible());
        // "下一题" on question 90 turns the button page and shows question 91.
        w->SelectQuestion(90);
        w->ActionButton(QStringLiteral("Next"))->click();
        QCOMPARE(w->CurrentQuestion(), 91);
        QCOMPARE(w->ButtonPage(), 1);
        QCOMPARE(w->Button(0)->text(), QStringLiteral("91"));
        QVERIFY(w->Button(0)->isChecked());
        QVERIFY(w->Button(9)->isEnabled());
        QVERIFY(!w->Button(10)->isEnabled());
        QCOMPARE(w->TypeText(), QStringLiteral("多项选择题 每题2分 共40分"));
        // Question 100: answered, saved when the learner moves on, counted in the bank.
        w->Button(9)->click();
        QCOMPARE(w->CurrentQuestion(), 100);
        QVERIFY(!w->ActionButton(QStringLiteral("Next"))->isEnabled());
        QCOMPARE(w->View()->page(), 1);
        w->View()->pressLetter(u'C');
        w->View()->pressLetter(u'A');
        const QString id = m_dm->Cn1Query_exam.asString(QStringLiteral("A1"));
        QTest::keyClick(w.get(), Qt::Key_Backspace);
        QCOMPARE(w->CurrentQuestion(), 99);
        QCOMPARE(paperAnswer(100), QStringLiteral("AC"));
        QCOMPARE(w->ButtonState(100), QStringLiteral("answered"));
        QCOMPARE(scalar(QStringLiteral("select E2 from tab_answ where A1='%1'").arg(id)).toString(),
                 QStringLiteral("AC"));
        // Back to the first page with "<".
        w->ActionButton(QStringLiteral("PreviousPage"))->click();
        QCOMPARE(w->ButtonPage(), 0);
        QCOMPARE(w->CurrentQuestion(), 99);
        QVERIFY(!w->Button(0)->isChecked());
        QVERIFY(shown->shown.isEmpty());
    }

    void judgementAndCasePapersAnsweredInFull() {
        QList<examtest::Questions> qs = examtest::KindQuestions(4);
        qs += examtest::KindQuestions(5);
        open(qs);
        ScopedMessages shown;
        // Kind 4: ten judgements on the "判断" page, each answered without carrying the one before.
        auto w = newPaper(4);
        QVERIFY(w);
        QCOMPARE(w->QuestionCount(), 10);
        QVERIFY(!w->ActionButton(QStringLiteral("NextPage"))->isVisible());
        QVERIFY(!w->Button(10)->isEnabled());
        QCOMPARE(w->Button(10)->text(), QStringLiteral("11"));
        for (int q = 1; q <= 10; ++q) {
            w->SelectQuestion(q);
            QCOMPARE(w->View()->page(), 3);
            QVERIFY(!w->View()->judgementButton(0)->isChecked());
            QVERIFY(!w->View()->judgementButton(1)->isChecked());
            answer(w.get(), q, q <= 7);
        }
        w->SelectQuestion(1);
        for (int q = 1; q <= 10; ++q)
            QVERIFY2(!paperAnswer(q).isEmpty(), qPrintable(QString::number(q)));
        QCOMPARE(w->View()->readAnswer(3, 2), paperAnswer(1)); // the stored answer is back on the page
        shown->answerPrompt(1);
        w->ActionButton(QStringLiteral("Submit"))->click();
        QCOMPARE(shown->shown.last().text, QStringLiteral("恭喜你已经做完试卷，确定要交卷吗？"));
        QCOMPARE(w->Mode(), QStringLiteral("old"));
        QCOMPARE(w->Score(), 70.0);
        QCOMPARE(w->ScoreLine(), QStringLiteral("得分：70 分"));
        QCOMPARE(w->ButtonState(7), QStringLiteral("right"));
        QCOMPARE(w->ButtonState(8), QStringLiteral("wrong"));
        w->ActionButton(QStringLiteral("Close"))->click();
        QVERIFY(!w->isVisible());
        w.reset();

        // Kind 5: six case questions with their shared stem, multiple choice on the "多选" page.
        m_dm->ADOCn1.execute(QStringLiteral("delete from tab_cj"));
        m_dm->ADOCn1.dropTable(QStringLiteral("tab_exam1"));
        w = newPaper(5);
        QVERIFY(w);
        QCOMPARE(w->QuestionCount(), 6);
        for (int q = 1; q <= 6; ++q) {
            w->SelectQuestion(q);
            QCOMPARE(w->View()->page(), 1);
            QVERIFY(w->View()->lowerPaneOpen());
            QVERIFY(w->View()->upperStemText().startsWith(QStringLiteral("共用题干")));
            QVERIFY(w->View()->lowerStemText().startsWith(QStringLiteral("题目")));
            QCOMPARE(w->View()->readAnswer(1, 4), QString()); // nothing carried over from the last question
            answer(w.get(), q, q % 2 == 0);
        }
        shown->answerPrompt(1);
        w->ActionButton(QStringLiteral("Submit"))->click();
        QCOMPARE(w->Score(), 30.0);
        for (int q = 1; q <= 6; ++q)
            QVERIFY(!paperAnswer(q).isEmpty());
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_answ where A13=64 and E3=1")).toInt(), 6);
    }

    void reviewShowsRightWrongAndUnanswered() {
        open(examtest::KindQuestions(2));
        ScopedMessages shown;
        auto w = newPaper(2);
        QVERIFY(w);
        QVERIFY(!w->BookmarkButton()->isVisible()); // no star while the paper is taken
        answer(w.get(), 1, true);
        answer(w.get(), 2, false);
        w->SelectQuestion(3);
        shown->answerPrompt(1);
        m_clock.advanceSeconds(125);
        w->ActionButton(QStringLiteral("Submit"))->click();
        QCOMPARE(shown->shown.last().text, QStringLiteral("你还有98道题未做，确定要交卷吗？"));
        QCOMPARE(w->windowTitle(), QStringLiteral("查阅试卷"));
        QCOMPARE(w->TimeFace(), 1);
        QCOMPARE(w->ScoreLine(), QStringLiteral("得分：1 分"));
        QVERIFY(!w->ActionButton(QStringLiteral("Submit"))->isEnabled());
        QVERIFY(!w->ActionButton(QStringLiteral("Pause"))->isVisible());
        QCOMPARE(row(QStringLiteral("select A6,D2 from tab_cj")), QVariantList({1.0, "0:02:05"}));
        QCOMPARE(row(QStringLiteral("select D1 from tab_rz")), QVariantList({"00:02:05"}));
        QCOMPARE(w->CurrentQuestion(), 1);
        QCOMPARE(w->ButtonState(1), QStringLiteral("right"));
        QCOMPARE(w->ButtonState(2), QStringLiteral("wrong"));
        QCOMPARE(w->ButtonState(3), QStringLiteral("wrong")); // unanswered counts as wrong
        QCOMPARE(w->Button(0)->state(), QuestionState::Right);
        // Answers cannot change in review; the panel shows both answers.
        QVERIFY(!w->View()->findChild<QWidget*>(QStringLiteral("AnswerPages"))->isEnabled());
        QTest::keyClick(w.get(), Qt::Key_D);
        QCOMPARE(paperAnswer(1), w->View()->readAnswer(0, 4));
        w->SelectQuestion(2);
        w->ActionButton(QStringLiteral("Answer"))->click();
        QVERIFY(w->View()->answerPanelText().startsWith(QStringLiteral("很遗憾，做错了，请继续努力！")));
        QCOMPARE(w->ActionButton(QStringLiteral("Answer"))->text(), QStringLiteral("返回"));
        w->SelectQuestion(1); // another question closes the panel
        QVERIFY(!w->View()->answerPanelOpen());
        QCOMPARE(w->ActionButton(QStringLiteral("Answer"))->text(), QStringLiteral("答案"));
        QVERIFY(w->ActionButton(QStringLiteral("Explain"))->isEnabled());
        // "考点" is there for questions with exam points only.
        int withPoints = 0;
        for (int q = 1; q <= w->QuestionCount() && !withPoints; ++q) {
            w->SelectQuestion(q);
            const bool has = !m_dm->Cn1Query_exam.asString(QStringLiteral("K3")).isEmpty();
            QCOMPARE(w->ActionButton(QStringLiteral("Points"))->isEnabled(), has);
            withPoints = has ? q : 0;
        }
        QVERIFY(withPoints > 1);
        w->SelectQuestion(1);
        // Voiding in review reaches the bank; taking it back clears the paper's history only.
        const QString id = m_dm->Cn1Query_exam.asString(QStringLiteral("A1"));
        w->ActionButton(QStringLiteral("Void"))->click();
        QCOMPARE(w->StatusText(), QStringLiteral("本题已被您作废！"));
        QCOMPARE(row(QStringLiteral("select F1,E2 from tab_answ where A1='%1'").arg(id)),
                 QVariantList({1, "zero"}));
        w->SelectQuestion(2);
        w->SelectQuestion(1);
        QCOMPARE(w->ActionButton(QStringLiteral("Void"))->text(), QStringLiteral("取消作废"));
        w->ActionButton(QStringLiteral("Void"))->click();
        QCOMPARE(w->StatusText(), QStringLiteral("本题曾被作废，现已被您取消！"));
        QCOMPARE(row(QStringLiteral("select F1 from tab_answ where A1='%1'").arg(id)), QVariantList({0}));
        QCOMPARE(w->Score(), 1.0);
        // The star is there in a review: S stars the question in the bank, the star follows the question.
        QVERIFY(w->BookmarkButton()->isVisible());
        QVERIFY(!w->BookmarkButton()->isChecked());
        QTest::keyClick(w.get(), Qt::Key_S);
        QVERIFY(w->BookmarkButton()->isChecked());
        QVERIFY(store::IsBookmarked(m_dm->ADOCn1, id));
        w->SelectQuestion(2);
        QVERIFY(!w->BookmarkButton()->isChecked());
        w->SelectQuestion(1);
        QVERIFY(w->BookmarkButton()->isChecked());
        QTest::mouseClick(w->BookmarkButton(), Qt::LeftButton);
        QVERIFY(!store::IsBookmarked(m_dm->ADOCn1, id));
        w->ActionButton(QStringLiteral("Close"))->click();
        QVERIFY(paperExists()); // LeastMark 0 keeps every paper
    }

    void timeRunsOutUnderTheSubmitQuestion() {
        open(examtest::KindQuestions(5));
        ScopedHookedMessages shown;
        auto w = newPaper(5);
        QVERIFY(w);
        answer(w.get(), 1, true);
        m_clock.advanceSeconds(3590);
        w->KZTimeCounter1Timer();
        QCOMPARE(w->ClockText(), QStringLiteral("0:59:50"));
        // The learner presses "确定" just as the time runs out under the question.
        shown->whilePromptOpen = [&](const QString& text) {
            if (!text.contains(QStringLiteral("交卷")))
                return;
            m_clock.advanceSeconds(15);
            w->KZTimeCounter1Timer();
            QCOMPARE(w->Mode(), QStringLiteral("new")); // nothing ends under an open question
        };
        shown->answerPrompt(1);
        w->ActionButton(QStringLiteral("Submit"))->click();
        QCOMPARE(w->Mode(), QStringLiteral("old"));
        QStringList texts;
        for (const auto& s : shown->shown)
            texts << s.text;
        QCOMPARE(texts, QStringList({"你还有5道题未做，确定要交卷吗？", "很遗憾，考试时间到了！"}));
        // Marked once: the time of the limit, logged once.
        QCOMPARE(row(QStringLiteral("select A6,D2 from tab_cj")), QVariantList({10.0, "1:00:05"}));
        QCOMPARE(row(QStringLiteral("select D1 from tab_rz")), QVariantList({"01:00:05"}));
        w->KZTimeCounter1Timer();
        QCOMPARE(row(QStringLiteral("select D1 from tab_rz")), QVariantList({"01:00:05"}));
    }

    void timeRunsOutUnderTheNotes() {
        open(examtest::KindQuestions(5));
        ScopedMessages shown;
        auto w = newPaper(5);
        QVERIFY(w);
        answer(w.get(), 2, true);
        answer(w.get(), 3, false);
        const QString id = m_dm->Cn1Query_exam.asString(QStringLiteral("A1"));
        bool inNotes = false;
        QTimer::singleShot(0, this, [&] {
            auto* notes = qobject_cast<TFrmBj*>(QApplication::activeModalWidget());
            QVERIFY(notes);
            inNotes = true;
            notes->Memo1->setPlainText(QStringLiteral("第三题的笔记"));
            m_clock.advanceSeconds(3600); // the limit is reached while the notes are open
            w->KZTimeCounter1Timer();
            QCOMPARE(w->Mode(), QStringLiteral("new"));
        });
        w->ActionButton(QStringLiteral("Notes"))->click();
        QVERIFY(inNotes);
        QCOMPARE(w->Mode(), QStringLiteral("old"));
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("很遗憾，考试时间到了！"));
        // The note is on the question it was written for, and nowhere else.
        QCOMPARE(scalar(QStringLiteral("select A14 from tab_exam1 where A1='%1'").arg(id)).toString(),
                 QStringLiteral("第三题的笔记"));
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_exam1 where A14 is not null and A14<>''"))
                     .toInt(),
                 1);
        QCOMPARE(row(QStringLiteral("select A6,D2 from tab_cj")), QVariantList({10.0, "1:00:00"}));
        QCOMPARE(row(QStringLiteral("select D1 from tab_rz")), QVariantList({"01:00:00"}));
        QVERIFY(!paperAnswer(3).isEmpty());
    }

    void submitThresholds_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("answered");
        QTest::addColumn<QString>("question"); // empty: thrown away without a question
        QTest::newRow("90 of 90 open") << 1 << 0 << QString();
        QTest::newRow("89 of 90 open") << 1 << 1 << QStringLiteral("你还有89道题未做，确定要交卷吗？");
        QTest::newRow("1 of 90 open") << 1 << 89 << QStringLiteral("你还有1道题未做，确定要交卷吗？");
        QTest::newRow("0 of 90 open") << 1 << 90 << QStringLiteral("恭喜你已经做完试卷，确定要交卷吗？");
        QTest::newRow("100 of 100 open") << 2 << 0 << QString();
        QTest::newRow("90 of 100 open") << 2 << 10 << QStringLiteral("你还有90道题未做，确定要交卷吗？");
        QTest::newRow("89 of 100 open") << 2 << 11 << QStringLiteral("你还有89道题未做，确定要交卷吗？");
    }
    void submitThresholds() {
        QFETCH(int, kind);
        QFETCH(int, answered);
        QFETCH(QString, question);
        open(examtest::KindQuestions(kind));
        ScopedMessages shown;
        auto w = newPaper(kind);
        QVERIFY(w);
        for (int q = 1; q <= answered; ++q)
            answer(w.get(), q, true);
        shown->answerPrompt(3); // "取消": the exam goes on
        w->ActionButton(QStringLiteral("Submit"))->click();
        if (question.isEmpty()) {
            QVERIFY(shown->shown.isEmpty());
            QVERIFY(!w->isVisible());
            QVERIFY(!paperExists());
            QVERIFY(scalar(QStringLiteral("select D1 from tab_rz")).isNull()); // no study time
            return;
        }
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, question);
        QCOMPARE(shown->shown[0].style, QStringLiteral("Exam"));
        QCOMPARE(shown->shown[0].buttonSet, 2);
        QVERIFY(w->isVisible());
        QCOMPARE(w->Mode(), QStringLiteral("new"));
        QVERIFY(paperExists());
    }

    void timeUpThresholds() {
        // Nothing answered on a 90-question paper: thrown away after the message.
        open(examtest::KindQuestions(1));
        ScopedMessages shown;
        auto w = newPaper(1);
        QVERIFY(w);
        m_clock.advanceSeconds(3605); // a late tick still ends it
        w->KZTimeCounter1Timer();
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].kind, QStringLiteral("box"));
        QCOMPARE(shown->shown[0].text, QStringLiteral("很遗憾，考试时间到了！"));
        QVERIFY(!w->isVisible());
        QVERIFY(!paperExists());
        w.reset();
        // Ten answered on a 100-question paper: marked.
        open(examtest::KindQuestions(2));
        shown->clear();
        w = newPaper(2);
        for (int q = 1; q <= 10; ++q)
            answer(w.get(), q, true);
        m_clock.advanceSeconds(3600);
        w->KZTimeCounter1Timer();
        QCOMPARE(w->Mode(), QStringLiteral("old"));
        QVERIFY(scalar(QStringLiteral("select A6 from tab_cj")).toDouble() > 0);
    }

    void discardCountsStudyTimeBelowFifty_data() {
        QTest::addColumn<int>("answered");
        QTest::addColumn<bool>("logged");
        QTest::newRow("49 open") << 51 << true;
        QTest::newRow("50 open") << 50 << false;
    }
    void discardCountsStudyTimeBelowFifty() {
        QFETCH(int, answered);
        QFETCH(bool, logged);
        open(examtest::KindQuestions(2));
        ScopedMessages shown;
        auto w = newPaper(2);
        QVERIFY(w);
        for (int q = 1; q <= answered; ++q)
            answer(w.get(), q, q % 2 == 0);
        m_clock.advanceSeconds(600);
        shown->answerPrompt(2); // "作废"
        w->ActionButton(QStringLiteral("Submit"))->click();
        QVERIFY(!w->isVisible());
        QVERIFY(!paperExists());
        QCOMPARE(scalar(QStringLiteral("select D1 from tab_rz")).toString(),
                 logged ? QStringLiteral("00:10:00") : QString());
        // The answers themselves stay counted in the bank.
        QCOMPARE(scalar(QStringLiteral("select A2 from tab_rz")).toInt(), answered);
    }

    void leastMark_data() {
        QTest::addColumn<int>("leastMark");
        QTest::addColumn<bool>("kept");
        QTest::newRow("equal") << 60 << true;
        QTest::newRow("one point more") << 61 << false;
    }
    void leastMark() {
        QFETCH(int, leastMark);
        QFETCH(bool, kept);
        open(examtest::KindQuestions(4));
        m_dm->ADOCn1.execute(QStringLiteral("update tab_plan set LeastMark=%1").arg(leastMark));
        ScopedMessages shown;
        auto w = newPaper(4);
        QVERIFY(w);
        for (int q = 1; q <= 10; ++q)
            answer(w.get(), q, q <= 6);
        shown->answerPrompt(1);
        w->ActionButton(QStringLiteral("Submit"))->click();
        QCOMPARE(w->Score(), 60.0);
        QCOMPARE(w->BelowLeastMark(), !kept);
        QVERIFY(paperExists()); // shown once with its score
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(!w->isVisible());
        QCOMPARE(paperExists(), kept);
    }

    void aFailedMarkingLeavesThePaperToBeTaken() {
        open(examtest::KindQuestions(5));
        ScopedMessages shown;
        auto w = newPaper(5);
        QVERIFY(w);
        answer(w.get(), 1, true);
        m_clock.advanceSeconds(60);
        m_dm->ADOCn1.failStatementsContaining(QStringLiteral("tab_cj"));
        shown->answerPrompt(1);
        w->ActionButton(QStringLiteral("Submit"))->click();
        m_dm->ADOCn1.failStatementsContaining(QString());
        QCOMPARE(shown->shown.last().caption, QStringLiteral("错误"));
        QCOMPARE(shown->shown.last().text, QStringLiteral("发生错误！"));
        QCOMPARE(w->Mode(), QStringLiteral("new"));
        QVERIFY(w->isVisible());
        QVERIFY(w->ActionButton(QStringLiteral("Submit"))->isEnabled());
        QVERIFY(scalar(QStringLiteral("select A6 from tab_cj")).isNull());
        QVERIFY(scalar(QStringLiteral("select D1 from tab_rz")).isNull());
        // The clock goes on from where the submit paused it, and a second submit marks the paper.
        m_clock.advanceSeconds(30);
        w->KZTimeCounter1Timer();
        QCOMPARE(w->ClockText(), QStringLiteral("0:01:30"));
        shown->answerPrompt(1);
        w->ActionButton(QStringLiteral("Submit"))->click();
        QCOMPARE(w->Mode(), QStringLiteral("old"));
        QCOMPARE(row(QStringLiteral("select A6,D2 from tab_cj")), QVariantList({10.0, "0:01:30"}));
    }

    void clockPauseCancelAndDesktop() {
        open(examtest::KindQuestions(5));
        ScopedMessages shown;
        auto w = newPaper(5);
        QVERIFY(w);
        m_clock.advanceSeconds(65);
        w->KZTimeCounter1Timer();
        QCOMPARE(w->ClockText(), QStringLiteral("0:01:05"));
        // Pausing covers the question and freezes the clock; paused time does not count.
        w->ActionButton(QStringLiteral("Pause"))->click();
        QCOMPARE(w->ActionButton(QStringLiteral("Pause"))->text(), QStringLiteral("继续考试"));
        QVERIFY(w->Paused());
        QVERIFY(!w->ActionButton(QStringLiteral("Submit"))->isEnabled());
        QVERIFY(!w->ActionButton(QStringLiteral("Next"))->isEnabled());
        QVERIFY(!w->Button(1)->isEnabled());
        QVERIFY(w->findChild<QWidget*>(QStringLiteral("PauseCover"))->isVisible());
        m_clock.advanceSeconds(500);
        w->KZTimeCounter1Timer();
        QCOMPARE(w->ClockText(), QStringLiteral("0:01:05"));
        w->ActionButton(QStringLiteral("Pause"))->click();
        QVERIFY(!w->findChild<QWidget*>(QStringLiteral("PauseCover"))->isVisible());
        QVERIFY(w->ActionButton(QStringLiteral("Next"))->isEnabled());
        QVERIFY(!w->ActionButton(QStringLiteral("Previous"))->isEnabled());
        m_clock.advanceSeconds(5);
        w->KZTimeCounter1Timer();
        QCOMPARE(w->ClockText(), QStringLiteral("0:01:10"));
        // "取消" on the submit question gives back the seconds the question was open.
        shown->answerPrompt(3);
        w->ActionButton(QStringLiteral("Submit"))->click();
        m_clock.advanceSeconds(40);
        w->KZTimeCounter1Timer();
        QCOMPARE(w->ClockText(), QStringLiteral("0:01:50"));
        // Coming back from "桌面" leaves clock, buttons and question as they were.
        answer(w.get(), 4, true);
        w->showMinimized();
        QApplication::processEvents();
        w->showNormal();
        QApplication::processEvents();
        QCOMPARE(w->CurrentQuestion(), 4);
        QCOMPARE(w->ClockText(), QStringLiteral("0:01:50"));
        w->SelectQuestion(5);
        QCOMPARE(w->ButtonState(4), QStringLiteral("answered"));
        // Esc and the window's close go through the submit question.
        shown->clear();
        shown->answerPrompt(3);
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QCOMPARE(shown->shown.size(), 1);
        QVERIFY(w->isVisible());
        shown->answerPrompt(3);
        w->close();
        QCOMPARE(shown->shown.size(), 2);
        QVERIFY(w->isVisible());
    }

    void keyboardOnChoicePages() {
        open(examtest::KindQuestions(2));
        ScopedMessages shown;
        auto w = newPaper(2);
        QVERIFY(w);
        QTest::keyClick(w.get(), Qt::Key_C);
        QTest::keyClick(w.get(), Qt::Key_Return);
        QCOMPARE(w->CurrentQuestion(), 2);
        QCOMPARE(paperAnswer(1), QStringLiteral("C"));
        QTest::keyClick(w.get(), Qt::Key_Backspace);
        QCOMPARE(w->CurrentQuestion(), 1);
        QCOMPARE(w->View()->readAnswer(0, 4), QStringLiteral("C"));
        QTest::keyClick(w.get(), Qt::Key_Backspace); // no question before the first
        QCOMPARE(w->CurrentQuestion(), 1);
        QVERIFY(shown->shown.isEmpty());
    }
};

QTEST_MAIN(TestExamWindow)
#include "tst_exam_window.moc"
