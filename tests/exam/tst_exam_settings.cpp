// The exam settings: least mark and time allowed, shown in minutes and kept in seconds.
#include "exam/Ueset.h"
#include "store/dm.h"
#include "tests/exam/ExamBank.h"
#include "ui/AppState.h"
#include "ui/Services.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestExamSettings : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TDM1* m_dm = nullptr;

    QVariantList plan() {
        const auto r = m_dm->ADOCn1.query(QStringLiteral("select LeastMark, ExamTime from tab_plan"));
        return QVariantList(r.rows[0].begin(), r.rows[0].end());
    }
    void setPlan(int leastMark, int examTime) {
        m_dm->ADOCn1.execute(QStringLiteral("update tab_plan set LeastMark=?, ExamTime=?"),
                             {leastMark, examTime});
    }

private slots:
    void init() {
        m_dm = examtest::OpenBank(m_dir.path(), examtest::Content(examtest::KindQuestions(4)));
        QVERIFY(m_dm->DataModuleConnected);
        PaperKind = 4; // ten judgements of 10 points: a full score of 100
    }
    void cleanupTestCase() { examtest::CloseBank(); }

    void minutesShownAndStored() {
        ScopedMessages shown;
        setPlan(0, 150);
        TFrmEset w;
        w.show();
        QCOMPARE(w.FullScore(), 100);
        QCOMPARE(w.suiNumberEdit2->text(), QStringLiteral("2"));
        QCOMPARE(w.suiNumberEdit1->text(), QStringLiteral("0"));
        // Both boxes clear and "默认" enabled: pressing it changes nothing.
        QVERIFY(!w.suiCheckBox1->isChecked() && !w.suiCheckBox2->isChecked());
        QVERIFY(w.suiButton1->isEnabled());
        w.suiButton1->click();
        QCOMPARE(w.suiNumberEdit2->text(), QStringLiteral("2"));
        w.suiButton2->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(plan(), QVariantList({0, 120}));
        QVERIFY(shown->shown.isEmpty());

        setPlan(30, 7200);
        TFrmEset again;
        again.show();
        QCOMPARE(again.suiNumberEdit2->text(), QStringLiteral("120"));
        QCOMPARE(again.suiNumberEdit1->text(), QStringLiteral("30"));
    }

    void defaults() {
        ScopedMessages shown;
        setPlan(10, 600);
        TFrmEset w;
        w.show();
        w.suiCheckBox1->click();
        QVERIFY(w.suiButton1->isEnabled());
        w.suiCheckBox1->click();
        QVERIFY(!w.suiButton1->isEnabled());
        w.suiCheckBox1->click();
        w.suiButton1->click();
        QCOMPARE(w.suiNumberEdit1->text(), QStringLiteral("50"));
        QCOMPARE(w.suiNumberEdit2->text(), QStringLiteral("10"));
        w.suiCheckBox2->click();
        w.suiButton1->click();
        QCOMPARE(w.suiNumberEdit2->text(), QStringLiteral("120"));
        QCOMPARE(plan(), QVariantList({10, 600})); // nothing saved before closing
        w.close();
        QCOMPARE(plan(), QVariantList({50, 7200}));
    }

    void leastMarkNeverAboveTheFullScore() {
        ScopedMessages shown;
        setPlan(120, 3600); // already too high: the message comes as the window opens
        TFrmEset w;
        w.show();
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].caption, QStringLiteral("提示"));
        QCOMPARE(shown->shown[0].text, QStringLiteral("最低分数不能超过总分数！"));
        QCOMPARE(w.suiNumberEdit1->text(), QStringLiteral("100"));
        w.suiNumberEdit1->selectAll();
        QTest::keyClicks(w.suiNumberEdit1, QStringLiteral("101"));
        QCOMPARE(shown->shown.size(), 2);
        QCOMPARE(w.suiNumberEdit1->text(), QStringLiteral("100"));
        QTest::keyClicks(w.suiNumberEdit1, QStringLiteral("x5")); // digits only, three at most
        QCOMPARE(w.suiNumberEdit1->text(), QStringLiteral("100"));
        // Emptying the field shows "0" at once.
        w.suiNumberEdit1->selectAll();
        QTest::keyClick(w.suiNumberEdit1, Qt::Key_Backspace);
        QCOMPARE(w.suiNumberEdit1->text(), QStringLiteral("0"));
        w.close();
        QCOMPARE(plan(), QVariantList({0, 3600}));
    }

    void timeMustBeAtLeastAMinute() {
        ScopedMessages shown;
        setPlan(20, 3600);
        TFrmEset w;
        w.show();
        w.suiNumberEdit2->setText(QStringLiteral("0"));
        w.suiButton2->click();
        QVERIFY(w.isVisible()); // refused: the window stays for the learner to correct it
        QCOMPARE(shown->shown.last().text, QStringLiteral("模拟考试答题时间至少为1分钟！"));
        QCOMPARE(plan(), QVariantList({20, 3600}));
        w.suiNumberEdit2->setText(QStringLiteral("45"));
        w.suiButton2->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(plan(), QVariantList({20, 2700}));

        // An empty time cannot be saved: the window closes and the plan keeps its values.
        shown->clear();
        TFrmEset empty;
        empty.show();
        empty.suiNumberEdit1->setText(QStringLiteral("70"));
        empty.suiNumberEdit2->clear();
        empty.suiButton2->click();
        QVERIFY(!empty.isVisible());
        QCOMPARE(shown->shown.size(), 1);
        QCOMPARE(shown->shown[0].caption, QStringLiteral("警告"));
        QCOMPARE(shown->shown[0].text, QStringLiteral("保存设置失败！"));
        QCOMPARE(shown->shown[0].icon, MsgIcon::Critical);
        QCOMPARE(plan(), QVariantList({20, 2700}));
    }
};

QTEST_MAIN(TestExamSettings)
#include "tst_exam_settings.moc"
