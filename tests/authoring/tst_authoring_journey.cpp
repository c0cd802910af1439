// A learner's own question, through the real modal loops: menu -> navigator -> entry (stem with a picture,
// key, exam point) -> navigator with one more question -> practice finds it -> 修改本题 -> editing, while
// the question's clock stands still -> practice shows it edited -> navigator -> menu. Then the question is
// drawn into a mock paper like any other.
#include "app/Startup.h"
#include "app/start.h"
#include "authoring/ExamPointList.h"
#include "authoring/RichTextEditor.h"
#include "authoring/UInPut.h"
#include "authoring/UselectFg.h"
#include "authoring/Utedit.h"
#include "exam/PaperExport.h"
#include "exam/PaperGeneration.h"
#include "exam/PaperRandom.h"
#include "platform/MenuPlayer.h"
#include "practice/QuestionView.h"
#include "practice/Ukmmc.h"
#include "practice/Ulxxt.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/authoring/AuthoringBank.h"
#include "tests/support/ModalDriver.h"
#include "ui/AppState.h"
#include "ui/FileDialogs.h"
#include "ui/Services.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTextDocument>
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

void clickChapter(TFrmkmmc* nav, const QString& code) {
    QTableWidget* grid = nav->Grid();
    for (int r = 0; r < grid->rowCount(); ++r) {
        if (grid->item(r, 0)->data(Qt::UserRole).toString() == code) {
            grid->scrollToItem(grid->item(r, 0));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                              grid->visualItemRect(grid->item(r, 1)).center());
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no row ") + code));
}

int gridCount(TFrmkmmc* nav, const QString& code) {
    for (int r = 0; r < nav->Grid()->rowCount(); ++r)
        if (nav->Grid()->item(r, 0)->data(Qt::UserRole).toString() == code)
            return nav->Grid()->item(r, 1)->text().toInt();
    return -1;
}
} // namespace

class TestAuthoringJourney : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};

    void start() {
        QFile::remove(m_dir.filePath(QStringLiteral("bank.mdb")));
        StartOptions o;
        o.bankPath = testsupport::buildBank(m_dir.path(), testsupport::authoringBank());
        o.menuFile = QFINDTESTDATA("../../pic/main.menu");
        o.singleInstance = false;
        QCOMPARE(StartProgram(o), StartResult::Running);
        ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
        QVERIFY(QTest::qWaitForWindowExposed(FrmStart));
    }
    QVariant scalar(const QString& sql, const QVariantList& params = {}) {
        return DM1->ADOCn1.scalar(sql, params);
    }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() { store::setClock(nullptr); }
    void cleanup() { FinishProgram(); }

    void enterFindEditAndComeBack() {
        ScopedMessages shown;
        ScopedFileDialogs files;
        start();
        QImage image(40, 24, QImage::Format_RGB32);
        image.fill(QColor(240, 160, 20));
        const QString picture = m_dir.filePath(QStringLiteral("figure.png"));
        QVERIFY(image.save(picture, "PNG"));

        QString id;
        bool entered = false, edited = false;
        int gaugeWhileEditing = -1;
        whenModal<TFrmkmmc>([&](TFrmkmmc* nav) {
            clickChapter(nav, QStringLiteral("050101"));
            const int total = nav->StatisticsValue(0);
            const int section = gridCount(nav, QStringLiteral("050101"));

            whenModal<TFrmInPut>([&](TFrmInPut* entry) {
                QVERIFY(nav->isVisible()); // the opener keeps its loop under the entry window
                QCOMPARE(entry->Lb_cap->text(), QStringLiteral("试题录入 [第一节]"));
                entry->Re1->setFocus();
                testsupport::typeWithInputMethod(entry->Re1, QStringLiteral("看图回答"));
                files->setNextFileName(picture);
                QTest::mouseClick(entry->findChild<QToolButton*>(QStringLiteral("InsertPicture")),
                                  Qt::LeftButton);
                QTest::keyClicks(entry->Edit1, QStringLiteral("d"));
                whenModal<TFrmSelectFG>([&](TFrmSelectFG* picker) {
                    picker->ChooseHeading(picker->ComboBox1->findText(QStringLiteral("1.")));
                    picker->CheckListBox1->setCurrentRow(2);
                    QTest::keyClick(picker->CheckListBox1, Qt::Key_Space);
                    QTest::mouseClick(picker->OkButton, Qt::LeftButton);
                });
                QTest::mouseClick(entry->AddPointsButton, Qt::LeftButton);
                QCOMPARE(entry->ListBox1->ftids(), QStringList{QStringLiteral("050101-003")});
                QTest::mouseClick(button(entry, "Save"), Qt::LeftButton);
                QCOMPARE(entry->SavedCount(), 1);
                id = entry->LastSavedId();
                entered = true;
                QTest::mouseClick(button(entry, "Close"), Qt::LeftButton);
            });
            QTest::mouseClick(button(nav, "Entry"), Qt::LeftButton);
            // Back in the navigator's own loop: the new question is counted.
            QCOMPARE(QApplication::activeModalWidget(), nav);
            QCOMPARE(nav->StatisticsValue(0), total + 1);
            QCOMPARE(gridCount(nav, QStringLiteral("050101")), section + 1);
            QCOMPARE(nav->Grid()->item(nav->Grid()->currentRow(), 0)->data(Qt::UserRole).toString(),
                     QStringLiteral("050101"));

            whenModal<TFrmLxxt>([&](TFrmLxxt* practice) {
                // Find the learner's question among the new ones of the section.
                store::DataSet& set = DM1->Cn1Query_tm;
                for (int i = 0; i < 20 && set.asString(QStringLiteral("A1")) != id; ++i)
                    QTest::mouseClick(button(practice, "Next"), Qt::LeftButton);
                QCOMPARE(set.asString(QStringLiteral("A1")), id);
                QCOMPARE(practice->StatusLine(0), QStringLiteral("本题是您加入的题目！"));
                QVERIFY(practice->View()->upperStemText().contains(QStringLiteral("看图回答")));
                QVERIFY(button(practice, "Edit")->isEnabled());

                whenModal<TfrmTedit>([&](TfrmTedit* edit) {
                    // The question's clock stands still while the learner edits.
                    const int gauge = practice->Gauge();
                    QTest::qWait(1500);
                    gaugeWhileEditing = practice->Gauge() - gauge;
                    QCOMPARE(edit->RxDBRichEdit1->toPlainText(), QStringLiteral("看图回答\uFFFC"));
                    QCOMPARE(edit->Edit1->text(), QStringLiteral("D"));
                    QCOMPARE(edit->ListBox1->count(), 1);
                    edit->RxDBRichEdit2->setFocus();
                    testsupport::typeWithInputMethod(edit->RxDBRichEdit2, QStringLiteral("看图中的第四项"));
                    edit->Edit1->setText(QStringLiteral("C"));
                    edited = true;
                    QTest::mouseClick(button(edit, "Save"), Qt::LeftButton);
                });
                const int before = practice->Gauge();
                QTest::mouseClick(button(practice, "Edit"), Qt::LeftButton);
                QCOMPARE(QApplication::activeModalWidget(), practice);
                QCOMPARE(practice->StatusLine(1), QStringLiteral("本题被您修改过"));
                QCOMPARE(set.asString(QStringLiteral("A2")), QStringLiteral("C"));
                QTRY_VERIFY_WITH_TIMEOUT(practice->Gauge() > before, 5000); // running again
                // The new key marks right.
                QTest::mouseClick(practice->View()->optionButton(0, 2), Qt::LeftButton);
                QTest::mouseClick(button(practice, "Done"), Qt::LeftButton);
                QTest::mouseClick(button(practice, "Close"), Qt::LeftButton);
            });
            QTest::mouseClick(button(nav, "PracticeNew"), Qt::LeftButton);
            QCOMPARE(QApplication::activeModalWidget(), nav);
            QTest::mouseClick(button(nav, "Close"), Qt::LeftButton);
        });
        clickMenu(QStringLiteral("lx"));
        QVERIFY(entered && edited);
        QCOMPARE(gaugeWhileEditing, 0);
        QVERIFY(!QApplication::activeModalWidget());

        QCOMPARE(scalar(QStringLiteral(
                            "select A2 || '/' || ecount || '/' || E2 || '/' || K3 from tab_answ where A1=:a"),
                        {id})
                     .toString(),
                 QStringLiteral("C/1/C/050101-003"));
        for (const ScriptedMessages::Shown& m : std::as_const(shown->shown))
            QVERIFY2(m.caption != u"错误" && m.text != u"保存试题出现错误！", qPrintable(m.text));

        // The menu still answers.
        bool reopened = false;
        whenModal<TFrmkmmc>([&](TFrmkmmc* nav) {
            reopened = true;
            QTest::keyClick(nav, Qt::Key_Escape);
        });
        clickMenu(QStringLiteral("lx"));
        QVERIFY(reopened);
    }

    void entryRefusesHeadingsAndReportsATreeThatCannotBeReadAgain() {
        ScopedMessages shown;
        start();
        bool entered = false;
        whenModal<TFrmkmmc>([&](TFrmkmmc* nav) {
            // A subject is a heading: no entry window.
            clickChapter(nav, QStringLiteral("0"));
            QTest::mouseClick(button(nav, "Entry"), Qt::LeftButton);
            QCOMPARE(shown->shown.size(), 1);
            QCOMPARE(shown->shown[0].text, QStringLiteral("请选择具体章节目录！"));
            QCOMPARE(QApplication::activeModalWidget(), nav);

            clickChapter(nav, QStringLiteral("0501"));
            const int total = nav->StatisticsValue(0);
            whenModal<TFrmInPut>([&](TFrmInPut* entry) {
                entry->Re1->setPlainText(QStringLiteral("章的题"));
                entry->Edit1->setText(QStringLiteral("A"));
                QVERIFY(entry->Save());
                entered = true;
                // The chapter tree cannot be read again once the window has closed.
                DM1->ADOCn1.failStatementsContaining(QStringLiteral("tab_kmmc"));
                QTest::mouseClick(button(entry, "Close"), Qt::LeftButton);
            });
            QTest::mouseClick(button(nav, "Entry"), Qt::LeftButton);
            DM1->ADOCn1.failStatementsContaining(QString());
            QCOMPARE(QApplication::activeModalWidget(), nav);
            QCOMPARE(shown->shown.size(), 2);
            QCOMPARE(shown->shown[1].text, QStringLiteral("录入试题后出现异常!"));
            QCOMPARE(shown->shown[1].icon, MsgIcon::Warning);
            QCOMPARE(nav->StatisticsValue(0), total + 1); // the saved question is still counted
            QTest::mouseClick(button(nav, "Close"), Qt::LeftButton);
        });
        clickMenu(QStringLiteral("lx"));
        QVERIFY(entered);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(scalar(QStringLiteral("select count(*) from tab_answ where A10='0501' and F1=2")).toInt(),
                 1);
    }

    void aLearnersQuestionIsDrawnIntoAPaper() {
        ScopedMessages shown;
        start();
        PaperKind = 4; // ten judgements, drawn from the parts the series covers
        QString id;
        {
            TFrmInPut entry;
            entry.SetChapter(QStringLiteral("050101"));
            const int judgement = entry.ComboBox1->findText(QStringLiteral("判断题"));
            QVERIFY(judgement >= 0);
            entry.ComboBox1->setCurrentIndex(judgement);
            emit entry.ComboBox1->activated(judgement);
            entry.Re1->setPlainText(QStringLiteral("学员的判断题"));
            entry.Edit1->setText(QStringLiteral("b"));
            QVERIFY(entry.Save());
            id = entry.LastSavedId();
        }
        CreatePaperTable(*DM1, QStringLiteral("tab_exam1"));
        SeededRandom random(7);
        const PaperComposition paper = ComposePaper(*DM1, 4, QStringLiteral("tab_exam1"), random);
        QVERIFY(paper.rows >= 1);
        QCOMPARE(scalar(QStringLiteral("select A2 from tab_exam1 where A1=:a"), {id}).toString(),
                 QStringLiteral("B"));
        // And exported with the paper: its stem, and its answer as a judgement reads.
        QTextDocument doc;
        BuildPaperDocument(*DM1, QStringLiteral("tab_exam1"), QStringLiteral("判断题自测"), 4, &doc);
        const QString text = doc.toPlainText();
        QVERIFY(text.contains(QStringLiteral("学员的判断题")));
        QVERIFY(text.contains(QStringLiteral("试题答案：错误")));
        PaperKind = 1;
    }
};

QTEST_MAIN(TestAuthoringJourney)
#include "tst_authoring_journey.moc"
