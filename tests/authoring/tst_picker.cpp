// The exam-point picker: headings and their points, pre-ticks for points the question carries, the
// limit of seven, what the asking window receives, and the help page.
#include "authoring/ExamPointList.h"
#include "authoring/UInPut.h"
#include "authoring/UselectFg.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/authoring/AuthoringBank.h"
#include "tests/support/ModalDriver.h"
#include "ui/AppState.h"
#include "ui/Services.h"

#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// Ticks or unticks point row as a learner does, with the space bar on the selected entry.
void toggle(TFrmSelectFG& picker, int row) {
    picker.CheckListBox1->setCurrentRow(row);
    QTest::keyClick(picker.CheckListBox1, Qt::Key_Space);
}
bool ticked(const TFrmSelectFG& picker, int row) {
    return picker.CheckListBox1->item(row)->checkState() == Qt::Checked;
}
} // namespace

class TestPicker : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TDM1> m_dm;
    // Five points the question carries: two of section 050101, three of 050102.
    const QStringList m_carried{QStringLiteral("050101-001"), QStringLiteral("050101-002"),
                                QStringLiteral("050102-001"), QStringLiteral("050102-002"),
                                QStringLiteral("050102-003")};

    void openPicker(TFrmSelectFG& picker, const QStringList* carried) {
        picker.ShowPage(TFrmSelectFG::SelectionPage);
        picker.SetAsking(TFrmSelectFG::Editing, carried, int(carried->size()));
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
    }

private slots:
    void initTestCase() {
        m_dm = std::make_unique<TDM1>(testsupport::buildBank(m_dir.path(), testsupport::authoringBank()));
        QVERIFY(m_dm->DataModuleConnected);
        DM1 = m_dm.get();
        ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
        PaperKind = 1;
    }
    void cleanupTestCase() {
        DM1 = nullptr;
        m_dm.reset();
    }

    void headingsAndTheirPoints() {
        ScopedMessages shown;
        TFrmSelectFG picker;
        openPicker(picker, &m_carried);
        QCOMPARE(picker.windowTitle(), QStringLiteral("欢迎"));
        QVERIFY(!(picker.windowFlags() & Qt::WindowCloseButtonHint));
        // Catalogue rows of six and two characters; the first is chosen and shows its points unticked.
        QCOMPARE(picker.ComboBox1->count(), 3);
        QCOMPARE(picker.ComboBox1->currentText(), QStringLiteral("一（一）"));
        QCOMPARE(picker.CheckListBox1->count(), 0); // a heading of two characters files no points
        QTest::mouseClick(picker.OkButton, Qt::LeftButton);
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("请选择对应考点，退出请按关闭按钮！"));
        QVERIFY(picker.isVisible());

        // Choosing a heading lists its points, those the question carries ticked.
        picker.ChooseHeading(picker.ComboBox1->findText(QStringLiteral("1.")));
        QCOMPARE(picker.CheckListBox1->count(), 6);
        QCOMPARE(picker.CheckListBox1->item(0)->text(), QStringLiteral("要点一"));
        QVERIFY(ticked(picker, 0) && ticked(picker, 1));
        QVERIFY(!ticked(picker, 2));
        // Two new points: five and two make seven, accepted; the caller receives only the learner's ticks.
        toggle(picker, 2);
        toggle(picker, 3);
        QVERIFY(ticked(picker, 2) && ticked(picker, 3));
        QTest::mouseClick(picker.OkButton, Qt::LeftButton);
        QCOMPARE(picker.result(), int(QDialog::Accepted));
        QCOMPARE(picker.ChosenHeading(), QStringLiteral("1."));
        const QList<TFrmSelectFG::Point> points = picker.Points();
        QCOMPARE(points.size(), 6);
        QStringList received;
        for (const TFrmSelectFG::Point& p : points)
            if (p.ticked)
                received << p.ftid;
        QCOMPARE(received, (QStringList{QStringLiteral("050101-003"), QStringLiteral("050101-004")}));
        QCOMPARE(points[2].title, QStringLiteral("要点3"));
    }

    void theLimitOfSeven() {
        ScopedMessages shown;
        TFrmSelectFG picker;
        openPicker(picker, &m_carried);
        picker.ChooseHeading(picker.ComboBox1->findText(QStringLiteral("1.")));
        for (int row : {2, 3, 4})
            toggle(picker, row);
        QTest::mouseClick(picker.OkButton, Qt::LeftButton);
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].text, QStringLiteral("对应考点最多不能超过7条，已有考点5条！"));
        QCOMPARE(shown->shown[0].caption, QStringLiteral("提示"));
        QVERIFY(picker.isVisible());
        // Unticking a carried point removes nothing and frees no room; unticking a new one does.
        toggle(picker, 0);
        QTest::mouseClick(picker.OkButton, Qt::LeftButton);
        QCOMPARE(shown->shown.size(), 2);
        toggle(picker, 4);
        QTest::mouseClick(picker.OkButton, Qt::LeftButton);
        QCOMPARE(picker.result(), int(QDialog::Accepted));
        QCOMPARE(picker.Points()[0].ticked, false);
    }

    void ticksAreLostWithAnotherHeading() {
        ScopedMessages shown;
        const QStringList none;
        TFrmSelectFG picker;
        openPicker(picker, &none);
        picker.ChooseHeading(picker.ComboBox1->findText(QStringLiteral("1.")));
        toggle(picker, 0);
        picker.ChooseHeading(picker.ComboBox1->findText(QStringLiteral("2.")));
        QCOMPARE(picker.CheckListBox1->count(), 4);
        for (int i = 0; i < 4; ++i)
            QVERIFY(!ticked(picker, i));
        QTest::mouseClick(picker.CloseButton, Qt::LeftButton);
        QCOMPARE(picker.result(), int(QDialog::Rejected));
    }

    void theHelpPage() {
        TFrmSelectFG picker;
        picker.ShowPage(TFrmSelectFG::HelpPage);
        picker.show();
        QCOMPARE(picker.Pages->currentIndex(), int(TFrmSelectFG::HelpPage));
        const QStringList lines = picker.HelpText->toPlainText().split(u'\n');
        QCOMPARE(lines.size(), 21);
        QCOMPARE(lines[0], QStringLiteral("使用方法如下："));
        QCOMPARE(lines[7], QStringLiteral("   7月有几天？"));
        QCOMPARE(lines[17], QStringLiteral("   如果是判断题则答案正确填写A，答案错误填写B；"));
        QCOMPARE(lines[19], QStringLiteral("动填写1；"));
        QVERIFY(picker.HelpText->isReadOnly());
        QCOMPARE(picker.ComboBox1->count(), 0); // nothing is read for the help page
        QTest::mouseClick(picker.HelpCloseButton, Qt::LeftButton);
        QVERIFY(!picker.isVisible());
    }

    // Through the real modal loop from the entry window: a point already listed and two new ones ticked
    // add exactly the two new ones, written as heading[title].
    void entryAddsOnlyNewPoints() {
        ScopedMessages shown;
        TFrmInPut entry;
        entry.ListBox1->addPoint(QStringLiteral("050102-001"), QStringLiteral("2.[要点三]"));
        bool picked = false;
        testsupport::whenModal<TFrmSelectFG>([&](TFrmSelectFG* picker) {
            picker->ChooseHeading(picker->ComboBox1->findText(QStringLiteral("2.")));
            QVERIFY(ticked(*picker, 0)); // carried: shown ticked
            toggle(*picker, 0);
            toggle(*picker, 0); // ticked again by the learner
            toggle(*picker, 1);
            toggle(*picker, 2);
            picked = true;
            QTest::mouseClick(picker->OkButton, Qt::LeftButton);
        });
        QTest::mouseClick(entry.AddPointsButton, Qt::LeftButton);
        QVERIFY(picked);
        QCOMPARE(entry.ListBox1->ftids(),
                 (QStringList{QStringLiteral("050102-001"), QStringLiteral("050102-002"),
                              QStringLiteral("050102-003")}));
        QCOMPARE(entry.ListBox1->item(1)->text(), QStringLiteral("2.[条文2]"));
        QVERIFY(shown->shown.isEmpty());
        // Closing the picker adds nothing.
        testsupport::whenModal<TFrmSelectFG>(
            [&](TFrmSelectFG* picker) { QTest::mouseClick(picker->CloseButton, Qt::LeftButton); });
        QTest::mouseClick(entry.AddPointsButton, Qt::LeftButton);
        QCOMPARE(entry.ListBox1->count(), 3);
    }
};

QTEST_MAIN(TestPicker)
#include "tst_picker.moc"
