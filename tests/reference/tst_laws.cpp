// The exam-point browser: the catalogue, the search, a section's points with their key points, and the
// practice of exactly the point the learner selected.
#include "practice/uRulelxxt.h"
#include "reference/Laws.h"
#include "store/Bookmarks.h"
#include "reference/details.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/reference/LawsBank.h"
#include "tests/support/ModalDriver.h"
#include "ui/AppState.h"
#include "ui/Services.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

#include <memory>

using testsupport::whenModal;

namespace {
QStringList entries(const TfrmLawsFaGui& w) {
    QStringList e;
    for (int i = 0; w.Detail() && i < w.Detail()->m_LBmenu->count(); ++i)
        e << w.Detail()->m_LBmenu->item(i)->text();
    return e;
}

// Selects the catalogue row of a section, as a click on it does.
void selectSection(TfrmLawsFaGui& w, const QString& id) {
    const qsizetype row = w.RowIds().indexOf(id);
    QVERIFY2(row >= 0, qPrintable(id));
    w.m_grid->setCurrentCell(int(row), 1);
}

// Ids of the practice set in its order.
QStringList practiceIds() {
    QStringList ids;
    store::DataSet& set = DM1->Cn1Query_tm;
    for (int i = 1; i <= set.recordCount(); ++i) {
        set.setRecNo(i);
        ids << set.asString(QStringLiteral("A1"));
    }
    return ids;
}
} // namespace

class TestLaws : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};
    std::unique_ptr<TDM1> m_dm;
    int m_banks = 0;

    QVariant scalar(const QString& sql) { return m_dm->ADOCn1.scalar(sql); }
    void exec(const QString& sql) { m_dm->ADOCn1.execute(sql); }

    // Opens the practice of list entry `entry` in section `section` and runs `inside` in the practice's
    // own modal loop, which it then closes.
    void practise(TfrmLawsFaGui& w, int entry, const std::function<void(TFrmRuleLxxt*)>& inside) {
        w.Detail()->m_LBmenu->setCurrentRow(entry);
        bool ran = false;
        whenModal<TFrmRuleLxxt>([&](TFrmRuleLxxt* p) {
            ran = true;
            QVERIFY(w.isVisible()); // the browser keeps its place under the practice
            inside(p);
            p->close();
        });
        QTest::mouseClick(w.m_btnQuestion, Qt::LeftButton);
        QVERIFY(ran);
        QVERIFY(!QApplication::activeModalWidget() || QApplication::activeModalWidget() == &w);
    }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() {
        DM1 = nullptr;
        store::setClock(nullptr);
    }
    // Every test starts from a bank of its own.
    void init() {
        DM1 = nullptr;
        m_dm.reset();
        const QString name = QStringLiteral("laws%1.mdb").arg(++m_banks);
        m_dm = std::make_unique<TDM1>(testsupport::buildBank(m_dir.path(), lawsbank::content(), false, name));
        QVERIFY(m_dm->DataModuleConnected);
        DM1 = m_dm.get();
        // The data module points the program folder at the test; the pictures are in the sources.
        ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
        ScreenMode = QStringLiteral("1024");
        // R005 carries its point in lower case; R006 carries it twice.
        exec(QStringLiteral("update tab_answ set K3='050103-k01' where A1='R005'"));
        exec(QStringLiteral("update tab_answ set K3='050103-K01', K4='050103-k01' where A1='R006'"));
    }

    void catalogueRowsAndHeadings() {
        ScopedMessages shown;
        TfrmLawsFaGui w;
        QCOMPARE(w.windowTitle(), QStringLiteral("考点目录"));
        QCOMPARE(w.TitleText(), QStringLiteral("考点目录"));
        QCOMPARE(w.m_grid->horizontalHeaderItem(1)->text(), QStringLiteral("  题  数"));
        QCOMPARE(w.m_grid->horizontalHeaderItem(4)->text(), QStringLiteral(" 做错道次"));
        QCOMPARE(w.m_grid->rowCount(), 8);
        QCOMPARE(w.RowIds(),
                 QStringList({"0", "05", "050101", "050102", "050103", "050104", "050105", "050106"}));
        QCOMPARE(w.m_grid->item(4, 0)->text(), QStringLiteral("3. 同名与括号"));
        QCOMPARE(w.m_grid->item(4, 1)->text(), QStringLiteral("        6")); // nine characters
        QCOMPARE(w.m_grid->item(4, 2)->text(), QStringLiteral("        0"));
        QVERIFY(!w.m_btnMost->isEnabled());
        QVERIFY(!w.m_btnQuestion->isEnabled());
        QVERIFY(w.m_btnBack->isHidden());

        // An upper-level heading is no section.
        selectSection(w, QStringLiteral("05"));
        QTest::mouseClick(w.m_btnSelect, Qt::LeftButton);
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].kind, QStringLiteral("prompt"));
        QCOMPARE(shown->shown[0].caption, QStringLiteral("提示"));
        QCOMPARE(shown->shown[0].text, QStringLiteral("请选择具体章节!"));
        QCOMPARE(shown->shown[0].buttonSet, 3);
        QCOMPARE(shown->shown[0].page, 1);
        QCOMPARE(shown->shown[0].style, QString());
        QVERIFY(!w.InDetailView());
    }

    void emptyCatalogueSelectsNothing() {
        exec(QStringLiteral("delete from tab_fgmc"));
        ScopedMessages shown;
        TfrmLawsFaGui w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.m_grid->rowCount(), 0);
        QTest::mouseClick(w.m_btnSelect, Qt::LeftButton);
        QTest::mouseDClick(w.m_grid->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        QVERIFY(!w.InDetailView());
        QVERIFY(!w.Detail());
        QVERIFY(shown->shown.isEmpty());
        QVERIFY(w.m_btnSelect->isVisible());
    }

    void searchLandsOnTheFirstMatch() {
        TfrmLawsFaGui w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.m_grid->setCurrentCell(0, 0);
        // "考点" is in two headings: every search starts again at the top.
        w.m_editFind->setText(QStringLiteral("  考点 "));
        QTest::mouseClick(w.m_btnFind, Qt::LeftButton);
        QCOMPARE(w.m_grid->currentRow(), 5);
        QTest::mouseClick(w.m_btnFind, Qt::LeftButton);
        QCOMPARE(w.m_grid->currentRow(), 5);
        // Enter in the box searches, and only searches.
        w.m_editFind->setText(QStringLiteral("Point"));
        QTest::keyClick(w.m_editFind, Qt::Key_Return);
        QCOMPARE(w.m_grid->currentRow(), 7);
        QVERIFY(w.isVisible());
        QVERIFY(!w.InDetailView());
        // Blanks alone, a miss, and another letter case find nothing and leave the row.
        for (const QString& text :
             {QStringLiteral("   "), QStringLiteral("不存在"), QStringLiteral("point")}) {
            w.m_editFind->setText(text);
            w.Search();
            QCOMPARE(w.m_grid->currentRow(), 7);
        }
    }

    void keyPointsByThreshold() {
        // Two points and seven questions under the heading: key points have 7 div 2 = 3 or more.
        exec(QStringLiteral("update tab_fgmc set q=7 where id='050101'"));
        exec(QStringLiteral("update tab_rule set q=3 where ftid='050101-001'"));
        exec(QStringLiteral("update tab_rule set q=2 where ftid='050101-002'"));
        ScopedMessages shown;
        TfrmLawsFaGui w;
        selectSection(w, QStringLiteral("050101"));
        QTest::mouseClick(w.m_btnSelect, Qt::LeftButton);
        QVERIFY(w.InDetailView());
        QCOMPARE(w.TitleText(), QStringLiteral("1."));
        QCOMPARE(w.Threshold(), 3);
        QCOMPARE(TfrmLawsFaGui::KeyPointFilter(w.Threshold()), QStringLiteral("q >=3"));
        QCOMPARE(entries(w), QStringList({"要点一(3)", "要点二(2)"}));
        QVERIFY(!w.m_btnBack->isHidden());
        QVERIFY(w.m_grid->isHidden());
        QVERIFY(w.m_btnMost->isEnabled());

        QTest::mouseClick(w.m_btnMost, Qt::LeftButton);
        QCOMPARE(DM1->m_queryDetail.filter(), QStringLiteral("q >=3"));
        QCOMPARE(entries(w), QStringList({"要点一(3)"}));
        QCOMPARE(w.m_btnMost->text(), QStringLiteral("全部(&A)"));
        QCOMPARE(w.Detail()->Re->toPlainText().trimmed(), QStringLiteral("要点一的内容"));
        QCOMPARE(w.Detail()->m_pNote->text(),
                 QStringLiteral("相关题数：3题  已做题数：0题  已做道次：0次  做错道次：0次"));
        QTest::mouseClick(w.m_btnMost, Qt::LeftButton);
        QCOMPARE(entries(w), QStringList({"要点一(3)", "要点二(2)"}));
        QCOMPARE(w.m_btnMost->text(), QStringLiteral("重点(&M)"));
        QVERIFY(shown->shown.isEmpty());

        // Selecting the second entry shows its text and counters.
        w.Detail()->m_LBmenu->setCurrentRow(1);
        QCOMPARE(w.Detail()->Re->toPlainText().trimmed(), QStringLiteral("要点二的内容"));
        QVERIFY(w.Detail()->m_pNote->text().startsWith(QStringLiteral("相关题数：2题")));

        // The rules themselves at their edges.
        QCOMPARE(TfrmLawsFaGui::KeyPointThreshold(QStringLiteral("        7"), 2), 3);
        QCOMPARE(TfrmLawsFaGui::KeyPointThreshold(QStringLiteral("        1"), 2), 1);
        QCOMPARE(TfrmLawsFaGui::KeyPointThreshold(QStringLiteral("        9"), 0), 1);
        QCOMPARE(TfrmLawsFaGui::KeyPointThreshold(QStringLiteral("abc"), 2), 1);
        QCOMPARE(TfrmLawsFaGui::KeyPointThreshold(QStringLiteral("-8"), 2), 1);
    }

    void sectionWithoutQuestionsHasNoKeyPoints() {
        ScopedMessages shown;
        TfrmLawsFaGui w;
        selectSection(w, QStringLiteral("050104"));
        QTest::mouseClick(w.m_btnSelect, Qt::LeftButton);
        QCOMPARE(w.Threshold(), 1);
        QCOMPARE(entries(w), QStringList({"无题一", "无题二"}));
        QCOMPARE(w.Detail()->m_pNote->text(), QStringLiteral("虽然针对该内容的习题没有，您仍要仔细阅读！"));
        QVERIFY(!w.m_btnQuestion->isEnabled());
        QTest::mouseClick(w.m_btnMost, Qt::LeftButton);
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].kind, QStringLiteral("box"));
        QCOMPARE(shown->shown[0].caption, QStringLiteral("提示"));
        QCOMPARE(shown->shown[0].text, QStringLiteral("此考点暂无重点内容！"));
        QCOMPARE(shown->shown[0].icon, MsgIcon::Information);
        QCOMPARE(entries(w), QStringList({"无题一", "无题二"}));
        QCOMPARE(w.KeyPointMode(), 0);
        QCOMPARE(w.m_btnMost->text(), QStringLiteral("重点(&M)"));
        QVERIFY(!DM1->m_queryDetail.filtered());
        QVERIFY(!w.m_btnQuestion->isEnabled());
    }

    void sectionWithoutPointsAndBack() {
        ScopedMessages shown;
        TfrmLawsFaGui w;
        selectSection(w, QStringLiteral("050105"));
        QTest::mouseClick(w.m_btnSelect, Qt::LeftButton);
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("找不到考点!"));
        QCOMPARE(shown->shown[0].icon, MsgIcon::Information);
        QVERIFY(w.InDetailView());
        QCOMPARE(entries(w), QStringList());
        QVERIFY(!w.m_btnQuestion->isEnabled());
        QTest::mouseClick(w.m_btnQuestion, Qt::LeftButton); // nothing to practise, nothing happens
        QCOMPARE(shown->shown.size(), 1);

        QTest::mouseClick(w.m_btnBack, Qt::LeftButton);
        QVERIFY(!w.InDetailView());
        QVERIFY(!w.Detail());
        QCOMPARE(w.TitleText(), QStringLiteral("考 点 目 录"));
        QCOMPARE(w.m_grid->currentRow(), 6);
        QVERIFY(!w.m_btnMost->isEnabled());
        QVERIFY(!w.m_btnQuestion->isEnabled());
        QVERIFY(w.m_btnBack->isHidden());
        QVERIFY(!DM1->m_queryDetail.active());
    }

    // Two points titled alike in one section, and a title with a bracket: the practice is the point of
    // the selected entry, whatever its title.
    void practiceIsThePointSelected() {
        ScopedMessages shown;
        TfrmLawsFaGui w;
        w.show();
        selectSection(w, QStringLiteral("050103"));
        QTest::mouseClick(w.m_btnSelect, Qt::LeftButton);
        QCOMPARE(entries(w), QStringList({"同名要点(1)", "同名要点(2)", "带(括号)的要点(1)", "字母要点(2)"}));

        practise(w, 1, [](TFrmRuleLxxt* p) {
            QCOMPARE(practiceIds(), QStringList({"R002", "R003"}));
            QCOMPARE(p->HintBoard(), QStringLiteral("同名要点"));
            QVERIFY(p->windowTitle().trimmed().isEmpty());
        });
        practise(w, 0, [](TFrmRuleLxxt*) { QCOMPARE(practiceIds(), QStringList({"R001"})); });
        practise(w, 2, [](TFrmRuleLxxt* p) {
            QCOMPARE(practiceIds(), QStringList({"R004"}));
            QCOMPARE(p->HintBoard(), QStringLiteral("带(括号)的要点"));
        });
        // The id is compared without regard to case: R005 carries it in lower case.
        practise(w, 3, [](TFrmRuleLxxt*) { QCOMPARE(practiceIds(), QStringList({"R005", "R006"})); });
        QVERIFY(shown->shown.isEmpty());
        QCOMPARE(w.Detail()->m_LBmenu->currentRow(), 3);
        QVERIFY(w.m_btnQuestion->isEnabled());
    }

    // "收藏题" of a point: only when one of its questions is starred, and then exactly those.
    void theStarredQuestionsOfAPoint() {
        ScopedMessages shown;
        TfrmLawsFaGui w;
        w.show();
        selectSection(w, QStringLiteral("050103"));
        QTest::mouseClick(w.m_btnSelect, Qt::LeftButton);
        w.Detail()->m_LBmenu->setCurrentRow(1);
        QVERIFY(w.m_btnQuestion->isEnabled());
        QVERIFY(!w.m_btnStarred->isEnabled());
        store::SetBookmarked(m_dm->ADOCn1, QStringLiteral("R003"), true);
        w.Detail()->m_LBmenu->setCurrentRow(0);
        QVERIFY(!w.m_btnStarred->isEnabled()); // R001 is not starred
        w.Detail()->m_LBmenu->setCurrentRow(1);
        QVERIFY(w.m_btnStarred->isEnabled());
        bool ran = false;
        whenModal<TFrmRuleLxxt>([&](TFrmRuleLxxt* p) {
            ran = true;
            QCOMPARE(practiceIds(), QStringList({"R003"}));
            p->close();
        });
        QTest::mouseClick(w.m_btnStarred, Qt::LeftButton);
        QVERIFY(ran);
        store::SetBookmarked(m_dm->ADOCn1, QStringLiteral("R003"), false);
        w.Detail()->m_LBmenu->setCurrentRow(0);
        w.Detail()->m_LBmenu->setCurrentRow(1);
        QVERIFY(!w.m_btnStarred->isEnabled());
        QVERIFY(shown->shown.isEmpty());
    }

    // The set of one point is found through the indexes of the exam-point columns, not by reading every
    // question.
    void practiceReadsTheIndexesOfThePointColumns() {
        const auto plan = m_dm->ADOCn1.query(QStringLiteral("explain query plan ") +
                                             TfrmLawsFaGui::PracticeQuery(QStringLiteral("050103-k01")));
        QStringList steps;
        for (const auto& row : plan.rows)
            steps << row.last().toString();
        const QString text = steps.join(u'\n');
        QVERIFY2(!text.contains(QStringLiteral("SCAN TABLE tab_answ")), qPrintable(text));
        for (int k = 3; k <= 12; ++k)
            QVERIFY2(text.contains(QStringLiteral("ix_answ_k%1 ").arg(k)), qPrintable(text));
    }

    void samePointTwiceInAQuestionCountsOnce() {
        ScopedMessages shown;
        TfrmLawsFaGui w;
        w.show();
        selectSection(w, QStringLiteral("050103"));
        QTest::mouseClick(w.m_btnSelect, Qt::LeftButton);
        practise(w, 3, [](TFrmRuleLxxt* p) {
            p->PressQuestionButton(1); // R006: K3 and K4 name the same point
            QCOMPARE(DM1->Cn1Query_tm.asString(QStringLiteral("A1")), QStringLiteral("R006"));
            p->View()->pressLetter(u'B');
            p->ActionButton(QStringLiteral("Done"))->click();
        });
        QCOMPARE(scalar(QStringLiteral("select q2 from tab_rule where ftid='050103-K01'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select q1 from tab_rule where ftid='050103-K01'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select q4 from tab_rule where ftid='050103-K01'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select q2 from tab_fgmc where id='050103'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select q2 from tab_fgmc where id='05'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("select sum(q2) from tab_rule")).toInt(), 1);
        // The note line keeps the counters read when the section was opened.
        QCOMPARE(w.Detail()->m_pNote->text(),
                 QStringLiteral("相关题数：2题  已做题数：0题  已做道次：0次  做错道次：0次"));
        QVERIFY(shown->shown.isEmpty());
    }

    void pointWithoutQuestionsCongratulates() {
        exec(QStringLiteral("update tab_rule set q=2 where ftid='050106-001'"));
        exec(QStringLiteral("update tab_answ set E2_1='A' where A1='Q0003'"));
        ScopedMessages shown;
        TfrmLawsFaGui w;
        selectSection(w, QStringLiteral("050106"));
        QTest::mouseClick(w.m_btnSelect, Qt::LeftButton);
        QVERIFY(w.m_btnQuestion->isEnabled());
        QTest::mouseClick(w.m_btnQuestion, Qt::LeftButton);
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].kind, QStringLiteral("prompt"));
        QCOMPARE(shown->shown[0].caption, QStringLiteral("提示"));
        QCOMPARE(shown->shown[0].text, QStringLiteral("恭喜你，习题已做完！"));
        QCOMPARE(shown->shown[0].buttonSet, 1);
        QCOMPARE(shown->shown[0].page, 0);
        QCOMPARE(shown->shown[0].style, QStringLiteral("NO"));
        // Opening the practice cleared the per-practice answers of the whole bank all the same.
        QCOMPARE(scalar(QStringLiteral("select E2_1 from tab_answ where A1='Q0003'")).toString(), QString());
        QCOMPARE(w.Detail()->m_pNote->text(),
                 QStringLiteral("相关题数：2题  已做题数：0题  已做道次：0次  做错道次：0次"));
    }

    // A point whose id is empty would select every question with an empty exam-point column and raise
    // the counters of that question's other points: it is refused.
    void emptyPointIdIsRefused() {
        exec(QStringLiteral(
            "insert into tab_rule (id,ftid,sn,q,q1,q2,q4) values ('050106','','空编号',3,0,0,0)"));
        exec(QStringLiteral("update tab_answ set K3='', K4='050101-001' where A1='Q0003'"));
        exec(QStringLiteral("update tab_answ set E2_1='C' where A1='Q0004'"));
        ScopedMessages shown;
        TfrmLawsFaGui w;
        w.show();
        selectSection(w, QStringLiteral("050106"));
        QTest::mouseClick(w.m_btnSelect, Qt::LeftButton);
        QCOMPARE(entries(w), QStringList({"空编号(3)", "孤立要点"}));
        QVERIFY(w.m_btnQuestion->isEnabled());
        PracticeQueryText = QStringLiteral("unchanged");
        // Should a practice open after all, it is closed again and the test fails below.
        bool opened = false;
        QTimer watch;
        watch.setInterval(10);
        connect(&watch, &QTimer::timeout, [&] {
            if (auto* p = qobject_cast<TFrmRuleLxxt*>(QApplication::activeModalWidget())) {
                opened = true;
                p->close();
            }
        });
        watch.start();
        QTest::mouseClick(w.m_btnQuestion, Qt::LeftButton);
        watch.stop();
        QVERIFY(!opened);
        QCOMPARE(PracticeQueryText, QStringLiteral("unchanged"));
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("找不到考点!"));
        // Nothing was reset or counted.
        QCOMPARE(scalar(QStringLiteral("select E2_1 from tab_answ where A1='Q0004'")).toString(),
                 QStringLiteral("C"));
        QCOMPARE(scalar(QStringLiteral("select sum(q2) from tab_rule")).toInt(), 0);
    }

    // Ids and titles are quoted: a section id with a quote in it opens like any other.
    void quotesInIdsAndTitles() {
        exec(QStringLiteral(
            "insert into tab_fgmc (id,bh,n,q,q1,q2,q4) values ('05''A1',900,'引号节',4,0,0,0)"));
        exec(QStringLiteral("insert into tab_rule (id,ftid,sn,q,q1,q2,q4) values "
                            "('05''A1','05''A1-01','O''Brien 要点',2,0,0,0)"));
        exec(QStringLiteral(
            "insert into tab_rule (id,ftid,sn,q,q1,q2,q4) values ('05''A1','05''A1-02','第二个',1,0,0,0)"));
        exec(QStringLiteral("update tab_answ set K5='05''A1-01' where A1='Q0005'"));
        ScopedMessages shown;
        TfrmLawsFaGui w;
        w.show();
        selectSection(w, QStringLiteral("05'A1"));
        QTest::mouseClick(w.m_btnSelect, Qt::LeftButton);
        QVERIFY(shown->shown.isEmpty());
        QCOMPARE(w.Threshold(), 2);
        QCOMPARE(entries(w), QStringList({"O'Brien 要点(2)", "第二个(1)"}));
        practise(w, 0, [](TFrmRuleLxxt* p) {
            QCOMPARE(practiceIds(), QStringList({"Q0005"}));
            QCOMPARE(p->HintBoard(), QStringLiteral("O'Brien 要点"));
        });
        QVERIFY(shown->shown.isEmpty());
    }

    void fitsBothScreens_data() {
        QTest::addColumn<QString>("mode");
        QTest::newRow("800x600") << "800";
        QTest::newRow("1024x768") << "1024";
    }
    void fitsBothScreens() {
        QFETCH(QString, mode);
        ScreenMode = mode;
        // Room a window may take: the screen less a taskbar of 40 pixels and a frame of about 10 x 36.
        const QSize room = mode == u"800" ? QSize(800 - 10, 600 - 40 - 36) : QSize(1024 - 10, 768 - 40 - 36);
        ScopedMessages shown;
        TfrmLawsFaGui w;
        for (int view = 0; view < 2; ++view) {
            if (view == 1) {
                selectSection(w, QStringLiteral("050103"));
                QTest::mouseClick(w.m_btnSelect, Qt::LeftButton);
                QVERIFY(w.InDetailView());
            }
            w.show();
            QCoreApplication::processEvents();
            const QSize taken = w.size().expandedTo(w.minimumSizeHint());
            QVERIFY2(taken.width() <= room.width() && taken.height() <= room.height(),
                     qPrintable(QStringLiteral("%1x%2 on the %3 screen")
                                    .arg(taken.width())
                                    .arg(taken.height())
                                    .arg(mode)));
        }
        QVERIFY(shown->shown.isEmpty());
    }

    void engineErrorsAreReported() {
        ScopedMessages shown;
        TfrmLawsFaGui w;
        selectSection(w, QStringLiteral("050101"));
        DM1->ADOCn1.failStatementsContaining(QStringLiteral("from tab_rule where id="));
        QTest::mouseClick(w.m_btnSelect, Qt::LeftButton);
        DM1->ADOCn1.failStatementsContaining(QString());
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].caption, QStringLiteral("错误"));
        // Back still leads to the catalogue, and the section opens once the bank answers again.
        QTest::mouseClick(w.m_btnBack, Qt::LeftButton);
        QVERIFY(!w.InDetailView());
        QTest::mouseClick(w.m_btnSelect, Qt::LeftButton);
        QCOMPARE(entries(w), QStringList({"要点一(1)", "要点二(1)"}));

        DM1->ADOCn1.failStatementsContaining(QStringLiteral("from tab_answ where (k3="));
        shown->clear();
        QTest::mouseClick(w.m_btnQuestion, Qt::LeftButton);
        DM1->ADOCn1.failStatementsContaining(QString());
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("无法打开练习！"));
        QVERIFY(w.InDetailView());
    }
};

QTEST_MAIN(TestLaws)
#include "tst_laws.moc"
