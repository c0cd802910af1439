// The related exam points of a question: what is listed, in which order, and which heading shows.
#include "reference/UanswFagui.h"
#include "store/DbError.h"
#include "store/dm.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

// A second point titled like 050101-001 but filed under another heading.
const QString kMorePoints = QStringLiteral(R"(
[point 050102-002]
title: 要点一
text: |
  另一个要点一
)");

QStringList titles(const QListWidget* list) {
    QStringList t;
    for (int i = 0; i < list->count(); ++i)
        t << list->item(i)->text();
    return t;
}

} // namespace

class RelatedPointsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_bank;
    std::unique_ptr<TDM1> m_dm;

    void setPoints(const QString& id, const QVariantList& k3ToK12) {
        QVariantList values = k3ToK12;
        while (values.size() < 10)
            values << QVariant();
        values << id;
        m_dm->ADOCn1.execute(
            QStringLiteral("update tab_answ set K3=?,K4=?,K5=?,K6=?,K7=?,K8=?,K9=?,K10=?,K11=?,"
                           "K12=? where A1=?"),
            values);
    }

private slots:
    void initTestCase() {
        m_bank = testsupport::buildBank(m_dir.path(), testsupport::baseContent() +
                                                          testsupport::smallSyllabus() + kMorePoints);
        m_dm = std::make_unique<TDM1>(m_bank);
        QVERIFY(m_dm->DataModuleConnected);
        DM1 = m_dm.get();
    }
    void cleanupTestCase() {
        DM1 = nullptr;
        m_dm.reset();
    }

    void questionsWithoutPointsShowNothing() {
        setPoints(QStringLiteral("Q0004"), {QStringLiteral(""), QVariant(), QStringLiteral("")});
        for (const QString& id : {QStringLiteral("Q0003"), QStringLiteral("Q0004"), QStringLiteral("NOPE"),
                                  QStringLiteral("Q0001' or '1'='1"), QString()}) {
            TfrmAnswFagui w;
            QVERIFY2(!w.LoadRelatedPoints(id), qPrintable(id));
            QVERIFY(w.pointIds().isEmpty());
            QCOMPARE(w.ListBox1->count(), 0);
        }
    }

    void pointsAreCollectedFromK3ToK12SkippingGaps() {
        setPoints(QStringLiteral("Q0005"),
                  {QVariant(), QStringLiteral(""), QStringLiteral("050101-002"), QVariant(), QVariant(),
                   QVariant(), QVariant(), QVariant(), QVariant(), QStringLiteral("050102-001")});
        TfrmAnswFagui w;
        QVERIFY(w.LoadRelatedPoints(QStringLiteral("Q0005")));
        QCOMPARE(w.pointIds(), (QStringList{QStringLiteral("050101-002"), QStringLiteral("050102-001")}));
    }

    void aQuestionsPointsAreListedWithTextAndHeading() {
        TfrmAnswFagui w;
        QCOMPARE(w.windowTitle(), QStringLiteral("相关考点"));
        QCOMPARE(w.epLabel1->text(), QStringLiteral("考点："));
        QCOMPARE(w.CloseButton->text(), QStringLiteral("关  闭"));
        QVERIFY(w.LoadRelatedPoints(QStringLiteral("Q0001")));
        QCOMPARE(w.ListBox1->count(), 2);
        QCOMPARE(w.ListBox1->item(0)->text(), QStringLiteral("要点一"));
        QCOMPARE(w.ListBox1->currentRow(), 0);
        QCOMPARE(w.currentPoint(), 0);
        QCOMPARE(w.Re->toPlainText().trimmed(), QStringLiteral("要点一的内容"));
        QVERIFY(w.Re->isReadOnly());
        QCOMPARE(w.epLabel1->text(), QStringLiteral("1."));

        // Choosing the second title, by keyboard as by mouse, shows its text.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.ListBox1->setFocus();
        QTest::keyClick(w.ListBox1, Qt::Key_Down);
        QCOMPARE(w.currentPoint(), 1);
        QCOMPARE(w.Re->toPlainText().trimmed(), QStringLiteral("要点二的内容"));
        QCOMPARE(w.epLabel1->text(), QStringLiteral("1."));
    }

    void listFollowsTheBanksOrderNotTheQuestions() {
        setPoints(QStringLiteral("Q0002"), {QStringLiteral("050102-001"), QStringLiteral("050101-001")});
        TfrmAnswFagui w;
        QVERIFY(w.LoadRelatedPoints(QStringLiteral("Q0002")));
        QCOMPARE(w.pointIds().first(), QStringLiteral("050102-001"));
        const store::QueryResult bank = m_dm->ADOCn1.query(
            QStringLiteral("select sn from tab_rule where ftid in('050102-001','050101-001')"));
        QStringList expected;
        for (const auto& row : bank.rows)
            expected << row[0].toString();
        QCOMPARE(titles(w.ListBox1), expected);
        QCOMPARE(expected, (QStringList{QStringLiteral("要点一"), QStringLiteral("要点三")}));
        // Heading and text belong to the first row listed.
        QCOMPARE(w.epLabel1->text(), QStringLiteral("1."));
        QCOMPARE(w.Re->toPlainText().trimmed(), QStringLiteral("要点一的内容"));
    }

    void aSharedTitleShowsTheHeadingOfTheFirstPointWithIt() {
        setPoints(QStringLiteral("Q0003"), {QStringLiteral("050102-002"), QStringLiteral("050102-001")});
        TfrmAnswFagui w;
        QVERIFY(w.LoadRelatedPoints(QStringLiteral("Q0003")));
        QCOMPARE(titles(w.ListBox1), (QStringList{QStringLiteral("要点三"), QStringLiteral("要点一")}));
        QCOMPARE(w.epLabel1->text(), QStringLiteral("2."));
        w.ListBox1->setCurrentRow(1);
        // The text is the selected point's own, the heading that of 050101-001, found first by title.
        QCOMPARE(w.Re->toPlainText().trimmed(), QStringLiteral("另一个要点一"));
        QCOMPARE(w.epLabel1->text(), QStringLiteral("1."));
        w.ListBox1->setCurrentRow(0);
        QCOMPARE(w.epLabel1->text(), QStringLiteral("2."));
        setPoints(QStringLiteral("Q0003"), {});
    }

    void titlesAreLookedUpExactly() {
        // Blanks and quotes in a title are part of it.
        m_dm->ADOCn1.execute(QStringLiteral("update tab_rule set sn=? where ftid='050101-002'"),
                             {QStringLiteral("要点'二  ")});
        TfrmAnswFagui w;
        QVERIFY(w.LoadRelatedPoints(QStringLiteral("Q0001")));
        QCOMPARE(w.ListBox1->item(1)->text(), QStringLiteral("要点'二  "));
        w.ListBox1->setCurrentRow(1);
        QCOMPARE(w.epLabel1->text(), QStringLiteral("1."));
        w.ListBox1->setCurrentRow(0);
        QCOMPARE(w.epLabel1->text(), QStringLiteral("1."));
        m_dm->ADOCn1.execute(QStringLiteral("update tab_rule set sn='要点二' where ftid='050101-002'"));
    }

    void pointsMissingFromTheBankOpenAnEmptyWindow() {
        setPoints(QStringLiteral("Q0004"), {QStringLiteral("999999-001"), QStringLiteral("999999-002")});
        TfrmAnswFagui w;
        QVERIFY(w.LoadRelatedPoints(QStringLiteral("Q0004")));
        QCOMPARE(w.ListBox1->count(), 0);
        QCOMPARE(w.currentPoint(), -1);
        QVERIFY(w.Re->toPlainText().isEmpty());
        QVERIFY(w.epLabel1->text().isEmpty());
        setPoints(QStringLiteral("Q0004"), {});
    }

    void engineErrorsReachTheCaller() {
        m_dm->ADOCn1.failStatementsContaining(QStringLiteral("from tab_rule"));
        TfrmAnswFagui w;
        QVERIFY_THROWS_EXCEPTION(store::DbError, w.LoadRelatedPoints(QStringLiteral("Q0001")));
        m_dm->ADOCn1.failStatementsContaining(QString());
    }

    void closingReturnsToTheCaller() {
        QWidget practice;
        practice.show();
        QVERIFY(QTest::qWaitForWindowExposed(&practice));
        auto* w = new TfrmAnswFagui(&practice);
        QVERIFY(w->LoadRelatedPoints(QStringLiteral("Q0001")));
        QTimer::singleShot(0, w, [w] { QTest::mouseClick(w->CloseButton, Qt::LeftButton); });
        QCOMPARE(w->exec(), int(QDialog::Accepted));
        QVERIFY(!w->isVisible());
        QTRY_VERIFY(practice.isActiveWindow());
        delete w;
    }
};

QTEST_MAIN(RelatedPointsTest)
#include "tst_relatedpoints.moc"
