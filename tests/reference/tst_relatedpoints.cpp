// The related exam points of a question: what is listed, in which order, and which heading shows.
#include "reference/UanswFagui.h"
#include "store/DbError.h"
#include "store/dm.h"
#include "tests/support/TestSupport.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

#include <memory>

class RelatedPointsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TDM1> m_dm;

    // Gives question id the exam points k3, k4, ... (the rest null).
    void setPoints(const QString& id, QVariantList k) {
        k.resize(10);
        m_dm->ADOCn1.execute(
            QStringLiteral("update tab_answ set K3=?,K4=?,K5=?,K6=?,K7=?,K8=?,K9=?,K10=?,K11=?,"
                           "K12=? where A1=?"),
            k << id);
    }
    static QStringList titles(const TfrmAnswFagui& w) {
        QStringList t;
        for (int i = 0; i < w.ListBox1->count(); ++i)
            t << w.ListBox1->item(i)->text();
        return t;
    }
    static QString text(const TfrmAnswFagui& w) { return w.Re->toPlainText().trimmed(); }

private slots:
    void initTestCase() {
        // A second "要点一", filed under another heading than the first.
        const QString bank = testsupport::buildBank(
            m_dir.path(), testsupport::baseContent() + testsupport::smallSyllabus() +
                              QStringLiteral("[point 050102-002]\ntitle: 要点一\ntext: |\n  另一个要点一\n"));
        m_dm = std::make_unique<TDM1>(bank);
        DM1 = m_dm.get();
    }
    void cleanupTestCase() { DM1 = nullptr; }

    void questionsWithoutPointsShowNothing() {
        setPoints(QStringLiteral("Q0004"), {QStringLiteral(""), QVariant(), QStringLiteral("")});
        for (const QString& id : {QStringLiteral("Q0003"), QStringLiteral("Q0004"), QStringLiteral("NOPE"),
                                  QStringLiteral("Q0001' or '1'='1")}) {
            TfrmAnswFagui w;
            QVERIFY2(!w.LoadRelatedPoints(id), qPrintable(id));
            QCOMPARE(w.ListBox1->count(), 0);
        }
        // Gaps are skipped; the ids keep the order of K3..K12.
        setPoints(QStringLiteral("Q0005"), {QVariant(),
                                            QStringLiteral(""),
                                            QStringLiteral("050102-001"),
                                            {},
                                            {},
                                            {},
                                            {},
                                            {},
                                            {},
                                            QStringLiteral("050101-002")});
        TfrmAnswFagui w;
        QVERIFY(w.LoadRelatedPoints(QStringLiteral("Q0005")));
        QCOMPARE(w.pointIds(), QStringList({QStringLiteral("050102-001"), QStringLiteral("050101-002")}));
    }

    void pointsAreListedWithTextAndHeading() {
        TfrmAnswFagui w;
        QCOMPARE(w.windowTitle(), QStringLiteral("相关考点"));
        QCOMPARE(w.CloseButton->text(), QStringLiteral("关  闭"));
        QVERIFY(w.LoadRelatedPoints(QStringLiteral("Q0001")));
        QCOMPARE(w.ListBox1->currentRow(), 0);
        QCOMPARE(text(w), QStringLiteral("要点一的内容"));
        QCOMPARE(w.epLabel1->text(), QStringLiteral("1."));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::keyClick(w.ListBox1, Qt::Key_Down); // the keyboard selects like the mouse
        QCOMPARE(w.currentPoint(), 1);
        QCOMPARE(text(w), QStringLiteral("要点二的内容"));
    }

    void theBanksOrderAndTheFirstTitleFoundRule() {
        // Listed in the bank's order for the membership test, not in K3..K12 order.
        setPoints(QStringLiteral("Q0002"), {QStringLiteral("050102-002"), QStringLiteral("050102-001")});
        TfrmAnswFagui w;
        QVERIFY(w.LoadRelatedPoints(QStringLiteral("Q0002")));
        QCOMPARE(titles(w), QStringList({QStringLiteral("要点三"), QStringLiteral("要点一")}));
        QCOMPARE(w.epLabel1->text(), QStringLiteral("2."));
        // The text is the selected point's own, its heading that of the first point with its title.
        w.ListBox1->setCurrentRow(1);
        QCOMPARE(text(w), QStringLiteral("另一个要点一"));
        QCOMPARE(w.epLabel1->text(), QStringLiteral("1."));
        w.ListBox1->setCurrentRow(0);
        QCOMPARE(w.epLabel1->text(), QStringLiteral("2."));

        // Blanks and quotes belong to a title.
        m_dm->ADOCn1.execute(QStringLiteral("update tab_rule set sn='要点''三  ' where ftid='050102-001'"));
        QVERIFY(w.LoadRelatedPoints(QStringLiteral("Q0002")));
        w.ListBox1->setCurrentRow(1);
        w.ListBox1->setCurrentRow(0);
        QCOMPARE(w.epLabel1->text(), QStringLiteral("2."));
    }

    void pointsMissingFromTheBankOpenAnEmptyWindow() {
        setPoints(QStringLiteral("Q0004"), {QStringLiteral("999999-001")});
        TfrmAnswFagui w;
        QVERIFY(w.LoadRelatedPoints(QStringLiteral("Q0004")));
        QCOMPARE(w.ListBox1->count(), 0);
        QVERIFY(text(w).isEmpty() && w.epLabel1->text().isEmpty());

        m_dm->ADOCn1.failStatementsContaining(QStringLiteral("from tab_rule"));
        QVERIFY_THROWS_EXCEPTION(store::DbError, w.LoadRelatedPoints(QStringLiteral("Q0001")));
        m_dm->ADOCn1.failStatementsContaining(QString());
    }

    void closingReturnsToTheCaller() {
        QWidget practice;
        practice.show();
        QVERIFY(QTest::qWaitForWindowExposed(&practice));
        TfrmAnswFagui w(&practice);
        QVERIFY(w.LoadRelatedPoints(QStringLiteral("Q0001")));
        QTimer::singleShot(0, &w, [&w] { QTest::mouseClick(w.CloseButton, Qt::LeftButton); });
        QCOMPARE(w.exec(), int(QDialog::Accepted));
        QTRY_VERIFY(practice.isActiveWindow());
    }
};

QTEST_MAIN(RelatedPointsTest)
#include "tst_relatedpoints.moc"
