// A mock exam through the real modal loops: the menu's "mnks2" -> the exam window -> answers with the
// mouse and the keyboard, notes, the second page of buttons -> "交卷" answered in the program's own
// dialog -> the marked review -> "关闭" -> the menu still answers. Then every table the exam wrote.
#include "app/Startup.h"
#include "app/start.h"
#include "exam/PaperRandom.h"
#include "exam/Ueset.h"
#include "exam/Uexam.h"
#include "platform/MenuPlayer.h"
#include "practice/QuestionButton.h"
#include "practice/QuestionView.h"
#include "practice/Ubj.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/exam/ExamBank.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"
#include "ui/AppState.h"
#include "ui/Services.h"
#include "ui/Udlg.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::whenModal;

namespace {

QPushButton* button(QWidget* w, const char* name) {
    return w->findChild<QPushButton*>(QLatin1String(name));
}

void clickMenu(const QString& command) {
    MenuPlayer* menu = FrmStart->Menu();
    const int index = menu->indexOfCommand(command);
    QVERIFY2(index >= 0, qPrintable(command));
    menu->stop();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->itemRect(index).center());
}

} // namespace

class TestExamJourney : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};
    SeededRandom m_random{21};

    QVariant scalar(const QString& sql) { return DM1->ADOCn1.scalar(sql); }
    QVariantList row(const QString& sql) {
        const auto r = DM1->ADOCn1.query(sql);
        return r.rows.isEmpty() ? QVariantList() : QVariantList(r.rows[0].begin(), r.rows[0].end());
    }
    // Clicks the key of the question on show (or a wrong answer) with the mouse.
    void clickAnswer(TFrmExam* w, bool right) {
        const QString key = DM1->Cn1Query_exam.asString(QStringLiteral("A2"));
        const QString given = right ? key : (key == u"A" ? QStringLiteral("B") : QStringLiteral("A"));
        for (QChar c : given)
            QTest::mouseClick(w->View()->optionButton(w->View()->page(), c.unicode() - u'A'), Qt::LeftButton);
    }

private slots:
    void initTestCase() {
        store::setClock(&m_clock);
        setPaperRandom(&m_random);
    }
    void cleanupTestCase() {
        setPaperRandom(nullptr);
        store::setClock(nullptr);
    }

    void fromTheMenuToAMarkedReviewAndBack() {
        QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
        StartOptions o;
        o.bankPath = testsupport::buildBank(m_dir.path(), examtest::Content(examtest::KindQuestions(2)));
        o.menuFile = QFINDTESTDATA("../../pic/main.menu");
        o.singleInstance = false;
        QCOMPARE(StartProgram(o), StartResult::Running);
        ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
        QVERIFY(QTest::qWaitForWindowExposed(FrmStart));

        QStringList answered; // ids answered right
        QString wrongId, noteId, lastId;
        bool reviewed = false;
        whenModal<TFrmExam>([&](TFrmExam* w) {
            QCOMPARE(w->Mode(), QStringLiteral("new"));
            QCOMPARE(w->Heading(), QStringLiteral("2026年12月09日网络与安全综合模拟卷[1]"));
            // The archive row and the paper are there before the first answer.
            QCOMPARE(row(QStringLiteral("select A1,A3_1,D1 from tab_cj")),
                     QVariantList({"tab_exam1", 1, "2026-12-09"}));
            QCOMPARE(scalar(QStringLiteral("select count(*) from tab_exam1")).toInt(), 100);
            // Three right answers with the mouse and "下一题", one wrong one with the keyboard.
            for (int i = 0; i < 3; ++i) {
                answered << DM1->Cn1Query_exam.asString(QStringLiteral("A1"));
                clickAnswer(w, true);
                QTest::mouseClick(button(w, "Next"), Qt::LeftButton);
            }
            QCOMPARE(w->CurrentQuestion(), 4);
            QCOMPARE(w->Button(0)->property("examState").toString(), QStringLiteral("answered"));
            wrongId = DM1->Cn1Query_exam.asString(QStringLiteral("A1"));
            const QString key = DM1->Cn1Query_exam.asString(QStringLiteral("A2"));
            QTest::keyClick(w, key == u"A" ? Qt::Key_B : Qt::Key_A);
            QTest::keyClick(w, Qt::Key_Return);
            // A note on question 5, written in the notes window's own loop.
            noteId = DM1->Cn1Query_exam.asString(QStringLiteral("A1"));
            whenModal<TFrmBj>([&](TFrmBj* notes) {
                QTest::keyClicks(notes->Memo1, QStringLiteral("note"));
                QTest::mouseClick(notes->CloseButton, Qt::LeftButton);
            });
            QTest::mouseClick(button(w, "Notes"), Qt::LeftButton);
            QCOMPARE(button(w, "Notes")->text(), QStringLiteral("有内容"));
            // Question 100 on the second page of buttons.
            QTest::mouseClick(button(w, "NextPage"), Qt::LeftButton);
            QTest::mouseClick(w->Button(9), Qt::LeftButton);
            QCOMPARE(w->CurrentQuestion(), 100);
            lastId = DM1->Cn1Query_exam.asString(QStringLiteral("A1"));
            clickAnswer(w, true);
            m_clock.advanceSeconds(754);
            // "交卷", answered "确定" in the program's own message dialog.
            whenModal<TFrmDlg>([&](TFrmDlg* dialog) {
                QCOMPARE(dialog->fcLabel1->text(), QStringLiteral("你还有95道题未做，确定要交卷吗？"));
                QCOMPARE(dialog->fcShapeBtn2->text(), QStringLiteral("作废"));
                QTest::mouseClick(dialog->fcShapeBtn1, Qt::LeftButton);
            });
            QTest::mouseClick(button(w, "Submit"), Qt::LeftButton);
            // The same window, in its own loop, now shows the review.
            QCOMPARE(QApplication::activeModalWidget(), w);
            QCOMPARE(w->Mode(), QStringLiteral("old"));
            QCOMPARE(w->windowTitle(), QStringLiteral("查阅试卷"));
            QCOMPARE(w->ScoreLine(), QStringLiteral("得分：%1 分").arg(w->Score()));
            QVERIFY(w->Score() >= 4);
            QVERIFY(w->isVisible());
            reviewed = true;
            QTest::mouseClick(button(w, "Close"), Qt::LeftButton);
        });
        clickMenu(QStringLiteral("mnks2"));
        QVERIFY(reviewed);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(PaperKind, 2);

        // The archive row: score and time.
        const double score = scalar(QStringLiteral("select A6 from tab_cj where A1='tab_exam1'")).toDouble();
        QVERIFY(score >= 4);
        QCOMPARE(scalar(QStringLiteral("select D2 from tab_cj")).toString(), QStringLiteral("0:12:34"));
        // The paper table: five answers, the note on its own question.
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_exam1 where E2_1<>''")).toInt(), 5);
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_exam1 where E2_1=A2")).toInt(), 4);
        QCOMPARE(
            DM1->ADOCn1.scalar(QStringLiteral("select A14 from tab_exam1 where A1=?"), {noteId}).toString(),
            QStringLiteral("note"));
        // The bank: every answer mirrored with its mastery score.
        for (const QString& id : std::as_const(answered) + QStringList{lastId})
            QCOMPARE(DM1->ADOCn1.query(QStringLiteral("select E3,E4,E1 from tab_answ where A1=?"), {id})
                         .rows.value(0),
                     QVector<QVariant>({1, 0, QStringLiteral("2026-12-09")}));
        QCOMPARE(DM1->ADOCn1.query(QStringLiteral("select E3,E4 from tab_answ where A1=?"), {wrongId})
                     .rows.value(0),
                 QVector<QVariant>({1, -3}));
        // Today's log: five answers, one wrong, and the exam's time.
        QCOMPARE(row(QStringLiteral("select A2,A3,B1,B2,D1,A4 from tab_rz")),
                 QVariantList({5, 1, 5, 1, "00:12:34", "80.00"}));
        // Chapters and exam points: the kind's parts counted on their paths.
        QCOMPARE(scalar(QStringLiteral("select sum(D1) from tab_kmmc where length(C1)=1")).toInt(), 5);
        QCOMPARE(scalar(QStringLiteral("select sum(D1) from tab_kmmc where length(C1)=6")).toInt(), 5);
        const int withPoints =
            scalar(
                QStringLiteral("select count(*) from tab_exam1 where E2_1<>'' and K3 is not null and K3<>''"))
                .toInt();
        QCOMPARE(scalar(QStringLiteral("select q2 from tab_rule where ftid='100101-001'")).toInt(),
                 withPoints);
        QCOMPARE(scalar(QStringLiteral("select q2 from tab_fgmc where id='10'")).toInt(), withPoints);

        // The menu still answers: the exam settings open and close in their own loop.
        bool settings = false;
        whenModal<TFrmEset>([&](TFrmEset* s) {
            settings = true;
            QCOMPARE(s->suiNumberEdit2->text(), QStringLiteral("60"));
            QTest::mouseClick(s->suiButton2, Qt::LeftButton);
        });
        clickMenu(QStringLiteral("szks"));
        QVERIFY(settings);
        QVERIFY(!QApplication::activeModalWidget());
        FinishProgram();
    }
};

QTEST_MAIN(TestExamJourney)
#include "tst_exam_journey.moc"
