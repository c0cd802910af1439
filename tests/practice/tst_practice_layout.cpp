// The practice windows on the two screens they are laid out for, the panes of a case question, and a
// question's time running out while a prompt is open.
#include "practice/Ubj.h"
#include "practice/Ujx.h"
#include "practice/Ukmmc.h"
#include "practice/Ulxxt.h"
#include "reference/UanswFagui.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WindowFit.h"
#include "ui/AppState.h"
#include "ui/Services.h"
#include "ui/Udlg.h"

#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

namespace {
// Eleven question types, as many type tabs as the delivered bank shows, and a case group whose shared
// stem is long.
QString layoutBank() {
    QString text = testsupport::baseContent();
    text.replace(
        QStringLiteral("[types 1]\n61 | 单项选择题 | 2 | 1 | 1\n65 | 多项选择题 | 2 | 2 | 1.5\n66 | "
                       "不定项选择题 | 1 | 2 | 2\n"),
        QStringLiteral("[types 1]\n61 | 单项选择题 | 2 | 1 | 1\n62 | 案例单选题 | 2 | 1 | 1\n"
                       "63 | 案例多选题 | 2 | 1 | 1\n64 | 判断题 | 2 | 1 | 1\n65 | 多项选择题 | 2 | 2 | 1.5\n"
                       "66 | 不定项选择题 | 1 | 2 | 2\n70 | 是非题 | 1 | 1 | 1\n71 | 简答 | 1 | 1 | 1\n"
                       "72 | 论述 | 1 | 1 | 1\n73 | 案例分析 | 1 | 1 | 1\n74 | 计算 | 1 | 1 | 1\n"));
    text += testsupport::smallSyllabus();
    text += QStringLiteral("[group CASE000000000001]\nstem: |\n");
    for (int i = 0; i < 6; ++i)
        text += QStringLiteral(
            "  某单位的网络管理员在检查日志时发现若干异常记录，需要逐条分析原因并给出处理建议。\n\n");
    text += QStringLiteral(
        "[question CASE000000000001-1]\nchapter: 050101\ntype: 62\noptions: 4\nanswer: C\n"
        "stem: |\n  根据材料，最先应当采取的措施是：\n\n  A. 甲\n\n  B. 乙\n\n  C. 丙\n\n  D. 丁\n");
    return text;
}

} // namespace

using testsupport::checkFits;

class TestPracticeLayout : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};
    std::unique_ptr<TDM1> m_dm;

    std::unique_ptr<TFrmLxxt> practice(const QString& chapter) {
        PracticeQueryText = TFrmkmmc::PracticeQuery(TFrmkmmc::NewQuestions, chapter);
        auto w = std::make_unique<TFrmLxxt>();
        if (!w->LoadPracticeSet())
            return nullptr;
        w->show();
        return w;
    }

private slots:
    void initTestCase() {
        store::setClock(&m_clock);
        m_dm = std::make_unique<TDM1>(testsupport::buildBank(m_dir.path(), layoutBank()));
        QVERIFY(m_dm->DataModuleConnected);
        DM1 = m_dm.get();
        ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
        PaperKind = 1;
    }
    void cleanupTestCase() {
        DM1 = nullptr;
        store::setClock(nullptr);
        ScreenMode = QStringLiteral("1024");
    }

    void everyWindowFitsBothScreens_data() {
        QTest::addColumn<QString>("mode");
        QTest::newRow("800x600") << "800";
        QTest::newRow("1024x768") << "1024";
    }
    void everyWindowFitsBothScreens() {
        QFETCH(QString, mode);
        ScreenMode = mode;
        ScopedMessages shown;
        {
            TFrmkmmc nav;
            checkFits(&nav, mode);
        }
        auto w = practice(QStringLiteral("0501"));
        QVERIFY(w);
        QCOMPARE(w->TypeTabCount(), 12);
        checkFits(w.get(), mode);
        TFrmBj notes;
        notes.bind(&DM1->Cn1Query_tm, QStringLiteral("A14"), QStringLiteral("lx"));
        checkFits(&notes, mode);
        notes.close();
        TFrmJx explanation;
        checkFits(&explanation, mode);
        TfrmAnswFagui related;
        checkFits(&related, mode);
        TFrmDlg dialog;
        dialog.preparePrompt(QStringLiteral("提示"), QString(200, u'长'), 2, 0, QStringLiteral("NO"));
        checkFits(&dialog, mode);
        w->close();
        QVERIFY(shown->shown.isEmpty());
    }

    void caseQuestionShowsItsOptionsAndStartsAtTheTop() {
        for (const QString& mode : {QStringLiteral("800"), QStringLiteral("1024")}) {
            ScreenMode = mode;
            ScopedMessages shown;
            auto w = practice(QStringLiteral("050101"));
            QVERIFY(w);
            QCoreApplication::processEvents();
            // The case question is the first of type 62, after the single-choice ones.
            w->PressTypeTab(2);
            QVERIFY(w->View()->lowerPaneOpen());
            QVERIFY(w->View()->lowerStemText().contains(QStringLiteral("D. 丁")));
            const QList<int> heights = w->View()->paneHeights();
            QCOMPARE(heights.size(), 2);
            // The question's own pane has room for its sentence and four options; the long shared stem
            // scrolls instead of taking the room.
            auto* lower = w->findChild<QWidget*>(QStringLiteral("LowerStem"));
            auto* upper = w->findChild<QWidget*>(QStringLiteral("UpperStem"));
            QVERIFY(lower && upper);
            const auto* lowerBrowser = qobject_cast<const QTextBrowser*>(lower);
            const auto* upperBrowser = qobject_cast<const QTextBrowser*>(upper);
            QVERIFY(lowerBrowser && upperBrowser);
            QVERIFY2(lowerBrowser->verticalScrollBar()->maximum() == 0,
                     qPrintable(QStringLiteral("own pane %1 px, %2 to scroll")
                                    .arg(heights[1])
                                    .arg(lowerBrowser->verticalScrollBar()->maximum())));
            QVERIFY2(heights[0] >= (heights[0] + heights[1]) * 3 / 10,
                     qPrintable(QStringLiteral("%1 / %2")
                                    .arg(heights[0])
                                    .arg(heights[1]))); // the shared stem keeps a fair share
            QCOMPARE(upperBrowser->verticalScrollBar()->value(), 0);
            w->close();
            QVERIFY(shown->shown.isEmpty());
        }
    }

    void timeRunningOutUnderAnOpenPromptIsShownAfterIt() {
        ScreenMode = QStringLiteral("1024");
        ScopedMessages shown;
        auto w = practice(QStringLiteral("050101"));
        QVERIFY(w);
        const QString id = DM1->Cn1Query_tm.asString(QStringLiteral("A1"));
        // While "请先做出答案！" is open the question's time runs out.
        shown->whileOpen = [&w](const ScriptedMessages::Shown& s) {
            if (s.text == u"请先做出答案！")
                for (int i = 0; i <= 100; ++i)
                    w->QuestionTimerTick();
        };
        w->ActionButton(QStringLiteral("Done"))->click();
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("请先做出答案！"));
        // The flag is written at once; the notice follows the open prompt instead of being lost.
        QCOMPARE(
            m_dm->ADOCn1.scalar(QStringLiteral("select csbs from tab_answ where A1=:a"), {id}).toString(),
            QStringLiteral("Y"));
        QTRY_COMPARE(shown->shown.size(), 2);
        QCOMPARE(shown->shown[1].text, QStringLiteral("到时间了"));
        shown->whileOpen = nullptr;
        w->close();
    }
};

QTEST_MAIN(TestPracticeLayout)
#include "tst_practice_layout.moc"
