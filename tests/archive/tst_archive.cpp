// The paper archive: its list and figures over marked and unmarked papers of every kind, deleting
// (also a row whose table is gone), and reviewing a paper, including one that cannot be opened.
#include "app/Uconfig.h"
#include "archive/PaperArchive.h"
#include "archive/Ucheck.h"
#include "exam/ExamResume.h"
#include "exam/PaperGeneration.h"
#include "exam/PaperRandom.h"
#include "exam/Uexam.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/exam/ExamBank.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/WindowFit.h"
#include "ui/AppState.h"
#include "ui/Services.h"

#include <QLCDNumber>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::whenModal;

class TestArchive : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};
    SeededRandom m_random{7};
    TDM1* m_dm = nullptr;

    QVariant scalar(const QString& sql) { return m_dm->ADOCn1.scalar(sql); }
    // An archive row without a paper table: enough for the list and its figures.
    void archiveRow(int number, const QVariant& score, const QString& time = QStringLiteral("0:30:00")) {
        m_dm->ADOCn1.execute(
            QStringLiteral("insert into tab_cj (A1, A3, A3_1, D1, A6, D2) values (?,?,?,?,?,?)"),
            {QStringLiteral("tab_exam%1").arg(number), QStringLiteral("试卷[%1]").arg(number), number,
             QStringLiteral("2026-12-09"), score, score.isNull() ? QVariant() : QVariant(time)});
    }
    // A real paper of kind 2 with its table and archive row.
    void paper(int number) {
        const QString table = QStringLiteral("tab_exam%1").arg(number);
        CreatePaperTable(*m_dm, table);
        ComposePaper(*m_dm, 2, table, m_random);
        WriteArchiveRow(*m_dm, {table, number}, QStringLiteral("网络试卷[%1]").arg(number));
        m_dm->Cn1Table_cj.close();
    }
    QPushButton* button(QWidget* w, const char* name) {
        return w->findChild<QPushButton*>(QLatin1String(name));
    }
    QStringList column(TFrmCheck& w, int c) {
        QStringList out;
        for (int r = 0; r < w.Grid()->rowCount(); ++r)
            out << w.Grid()->item(r, c)->text();
        return out;
    }
    void selectRow(TFrmCheck& w, int r) {
        QTest::mouseClick(w.Grid()->viewport(), Qt::LeftButton, {},
                          w.Grid()->visualItemRect(w.Grid()->item(r, 0)).center());
    }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() {
        examtest::CloseBank();
        store::setClock(nullptr);
    }
    void init() {
        m_dm = examtest::OpenBank(m_dir.path(), examtest::Content(examtest::KindQuestions(2)));
        PaperKind = 2;
        ScreenMode = QStringLiteral("1024");
    }

    void passMarkAndRounding() {
        QCOMPARE(PassMark(100), 60);
        QCOMPARE(PassMark(98), 57);
        QCOMPARE(PassMark(90), 54);
        QCOMPARE(PassMark(4), 0);
        QCOMPARE(RoundHalfToEven(60.5), 60);
        QCOMPARE(RoundHalfToEven(61.5), 62);
        QCOMPARE(RoundHalfToEven(61.49), 61);
        QCOMPARE(RoundHalfToEven(0.5), 0);
    }

    void anEmptyArchiveShowsZeroesAndReviewsNothing() {
        ScopedMessages shown;
        TFrmCheck w;
        w.show();
        QCOMPARE(w.Grid()->rowCount(), 0);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(w.FigureValue(i), 0);
        QCOMPARE(w.TipText(), QStringLiteral("[提示]：成绩少于 0 分的试卷，不被保留。"));
        QVERIFY(!button(&w, "Review")->isEnabled());
        QVERIFY(!button(&w, "Delete")->isEnabled());
        // A double-click on the empty grid opens nothing and asks nothing.
        QTest::mouseDClick(w.Grid()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(shown->shown.isEmpty());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    void figuresOverMarkedAndUnmarkedPapersOfEachKind() {
        ScopedMessages shown;
        m_dm->ADOCn1.execute(QStringLiteral("update tab_plan set LeastMark=45"));
        archiveRow(1, 60);
        archiveRow(2, 59.5);
        archiveRow(3, QVariant()); // never marked
        archiveRow(4, 85);
        archiveRow(5, QVariant());
        // Kind 4: a full score of 100, the pass mark 60.
        PaperKind = 4;
        {
            TFrmCheck w;
            QCOMPARE(column(w, 0), QStringList({"试卷[5]", "试卷[4]", "试卷[3]", "试卷[2]", "试卷[1]"}));
            QCOMPARE(column(w, 1), QStringList({"", "85", "", "59.5", "60"}));
            QCOMPARE(column(w, 2), QStringList({"", "0:30:00", "", "0:30:00", "0:30:00"}));
            QCOMPARE(w.FigureValue(0), 5);
            QCOMPARE(w.FigureValue(1), 2);  // 60 and 85; unmarked papers never pass
            QCOMPARE(w.FigureValue(2), 68); // (60 + 59.5 + 85) / 3 = 68.17, unmarked papers left out
            QCOMPARE(w.TipText(), QStringLiteral("[提示]：成绩少于 45 分的试卷，不被保留。"));
            QVERIFY(w.Grid()->item(0, 0)->isSelected());
            QVERIFY(button(&w, "Review")->isEnabled());
        }
        // Kind 5: a full score of 60, the pass mark 36: every marked paper passes.
        PaperKind = 5;
        {
            TFrmCheck w;
            QCOMPARE(w.FigureValue(1), 3);
        }
        // Kind 0 reads as kind 1: a full score of 150, the pass mark 90.
        PaperKind = 0;
        {
            TFrmCheck w;
            QCOMPARE(w.FigureValue(1), 0);
        }
        // An average of exactly one half goes to the even neighbour.
        m_dm->ADOCn1.execute(QStringLiteral("delete from tab_cj"));
        archiveRow(1, 60);
        archiveRow(2, 61);
        TFrmCheck even;
        QCOMPARE(even.FigureValue(2), 60);
    }

    void aThousandPapersStillShowOnTheCounter() {
        ScopedMessages shown;
        store::Transaction tx(m_dm->ADOCn1);
        for (int i = 1; i <= 1000; ++i)
            archiveRow(i, 70);
        tx.commit();
        TFrmCheck w;
        QCOMPARE(w.FigureValue(0), 1000);
        QVERIFY(!w.findChild<QLCDNumber*>(QStringLiteral("Figure0"))->checkOverflow(1000));
        QCOMPARE(w.Grid()->rowCount(), 1000);
    }

    void deleteAsksThenRemovesTableAndRowEvenWithoutTable() {
        paper(1);
        paper(2);
        archiveRow(3, 50); // its table was lost long ago
        ScopedMessages shown;
        TFrmCheck w;
        w.show();
        QCOMPARE(w.FigureValue(0), 3);

        // "取消" keeps everything.
        shown->answerBox(MsgAnswer::Cancel);
        QTest::mouseClick(button(&w, "Delete"), Qt::LeftButton);
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].caption, QStringLiteral("提示"));
        QCOMPARE(shown->shown[0].text, QStringLiteral("即将删除试卷，要继续么？"));
        QCOMPARE(shown->shown[0].icon, MsgIcon::Question);
        QCOMPARE(shown->shown[0].buttons, MsgButtons::OkCancel);
        QCOMPARE(w.Grid()->rowCount(), 3);

        // The row without a table goes from the bank and the list at once.
        shown->answerBox(MsgAnswer::Ok);
        QTest::mouseClick(button(&w, "Delete"), Qt::LeftButton);
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_cj where A1='tab_exam3'")).toInt(), 0);
        QCOMPARE(column(w, 0), QStringList({"网络试卷[2]", "网络试卷[1]"}));
        QCOMPARE(w.FigureValue(0), 2);
        QVERIFY(w.Grid()->item(0, 0)->isSelected());

        // The oldest paper, cut short once: its table, its row and its stored clock, nothing of the other.
        examresume::StoreClock(*m_dm, QStringLiteral("tab_exam1"), 2, 100);
        selectRow(w, 1);
        shown->answerBox(MsgAnswer::Ok);
        QTest::mouseClick(button(&w, "Delete"), Qt::LeftButton);
        QVERIFY(!m_dm->ADOCn1.hasTable(QStringLiteral("tab_exam1")));
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_ksjs where A1='tab_exam1'")).toInt(), 0);
        QVERIFY(m_dm->ADOCn1.hasTable(QStringLiteral("tab_exam2")));
        QCOMPARE(column(w, 0), QStringList({"网络试卷[2]"}));
        QVERIFY(w.Grid()->item(0, 0)->isSelected());

        // A name that is not a paper table's reaches no statement as text.
        m_dm->ADOCn1.execute(QStringLiteral("insert into tab_cj (A1, A3, A3_1) values (?,?,?)"),
                             {QStringLiteral("x' or '1'='1"), QStringLiteral("坏行"), 9});
        w.FormShow();
        QCOMPARE(w.Grid()->item(0, 0)->text(), QStringLiteral("坏行"));
        selectRow(w, 0);
        shown->answerBox(MsgAnswer::Ok);
        QTest::mouseClick(button(&w, "Delete"), Qt::LeftButton);
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_cj")).toInt(), 1);
        QCOMPARE(column(w, 0), QStringList({"网络试卷[2]"}));
    }

    void reviewShowsThePaperAndNeverDeletesIt() {
        paper(1);
        paper(2);
        m_dm->ADOCn1.execute(QStringLiteral("update tab_cj set A6=12, D2='0:45:12' where A1='tab_exam1'"));
        // Far below the least mark: a review from the archive still keeps the paper.
        m_dm->ADOCn1.execute(QStringLiteral("update tab_plan set LeastMark=100"));
        ScopedMessages shown;
        TFrmCheck w;
        w.show();
        // A double-click as the learner makes it: the press of its first click selects the row.
        selectRow(w, 1);
        bool reviewed = false;
        whenModal<TFrmExam>([&](TFrmExam* exam) {
            QCOMPARE(exam->Mode(), QStringLiteral("old"));
            QCOMPARE(exam->TableName(), QStringLiteral("tab_exam1"));
            QCOMPARE(exam->Heading(), QStringLiteral("网络试卷[1]"));
            QCOMPARE(exam->ScoreLine(), QStringLiteral("得分：12 分"));
            QCOMPARE(exam->QuestionCount(), 100);
            QVERIFY(w.isVisible()); // the archive keeps its loop under the review
            reviewed = true;
            QTest::mouseClick(button(exam, "Close"), Qt::LeftButton);
        });
        QTest::mouseDClick(w.Grid()->viewport(), Qt::LeftButton, {},
                           w.Grid()->visualItemRect(w.Grid()->item(1, 0)).center());
        QVERIFY(reviewed);
        QVERIFY(shown->shown.isEmpty());
        QVERIFY(m_dm->ADOCn1.hasTable(QStringLiteral("tab_exam1")));
        QCOMPARE(w.Grid()->rowCount(), 2);
        QVERIFY(w.Grid()->item(1, 0)->isSelected()); // the reviewed paper stays selected
    }

    void aPaperWhoseTableIsMissingOrEmptyCannotBeReviewedAndTheArchiveStays() {
        paper(1);
        archiveRow(2, 80);
        m_dm->ADOCn1.execute(QStringLiteral("delete from tab_exam1"));
        ScopedMessages shown;
        ScopedExit exit;
        TFrmCheck w;
        w.show();
        for (int r = 0; r < 2; ++r) {
            shown->clear();
            selectRow(w, r);
            QTest::mouseClick(button(&w, "Review"), Qt::LeftButton);
            QCOMPARE(shown->shown.size(), 1);
            QCOMPARE(shown->shown[0].caption, QStringLiteral("错误"));
            QCOMPARE(shown->shown[0].text, QStringLiteral("无法打开试卷！"));
            QVERIFY(!exit->requested);
            QVERIFY(w.isVisible());
            QCOMPARE(w.Grid()->rowCount(), 2);
        }
        QVERIFY(!QApplication::overrideCursor());
    }

    void settingsOpenInMusicModeAndTheArchiveStays() {
        ScopedMessages shown;
        archiveRow(1, 70);
        TFrmCheck w;
        w.show();
        ConfigMode = 1;
        bool opened = false;
        whenModal<TFrmConfig>([&](TFrmConfig* config) {
            opened = ConfigMode == 0;
            config->reject();
        });
        QTest::mouseClick(button(&w, "Settings"), Qt::LeftButton);
        QVERIFY(opened);
        QVERIFY(shown->shown.isEmpty());
        QVERIFY(w.isVisible());
        QCOMPARE(w.Grid()->rowCount(), 1);
    }

    void fitsBothScreens() {
        ScopedMessages shown;
        for (const QString& mode : {QStringLiteral("800"), QStringLiteral("1024")}) {
            ScreenMode = mode;
            archiveRow(mode.toInt(), 90);
            TFrmCheck w;
            testsupport::checkFits(&w, mode);
        }
    }
};

QTEST_MAIN(TestArchive)
#include "tst_archive.moc"
