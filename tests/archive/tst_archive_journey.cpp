// The archive through the real modal loops: the menu's "cj" -> the archive -> a paper reviewed in the
// exam window -> back in the archive -> a paper deleted -> closed -> the menu answers and opens it again.
#include "app/Startup.h"
#include "app/start.h"
#include "archive/Ucheck.h"
#include "exam/PaperGeneration.h"
#include "exam/PaperRandom.h"
#include "exam/Uexam.h"
#include "platform/Desktop.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/exam/ExamBank.h"
#include "tests/export/DocxRead.h"
#include "tests/support/MenuClick.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TestSupport.h"
#include "ui/AppState.h"
#include "ui/FileDialogs.h"
#include "ui/Services.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::clickMenu;
using testsupport::whenModal;

namespace {
QPushButton* button(QWidget* w, const char* name) {
    return w->findChild<QPushButton*>(QLatin1String(name));
}

// Stands in for the desktop's word processor.
class RecordingOpener : public DocumentOpener {
public:
    bool openDocument(const QString& path) override {
        opened << path;
        return true;
    }
    QStringList opened;
};
} // namespace

class TestArchiveJourney : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};
    SeededRandom m_random{3};

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() {
        FinishProgram();
        store::setClock(nullptr);
    }

    void fromTheMenuThroughAReviewAndADeletionAndBack() {
        ScopedMessages shown;
        ScopedFileDialogs files;
        RecordingOpener opener;
        setDocumentOpener(&opener);
        StartOptions o;
        o.bankPath = testsupport::buildBank(m_dir.path(), examtest::Content(examtest::KindQuestions(2)));
        o.menuFile = QFINDTESTDATA("../../pic/main.menu");
        o.singleInstance = false;
        QCOMPARE(StartProgram(o), StartResult::Running);
        ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
        QVERIFY(QTest::qWaitForWindowExposed(FrmStart));
        PaperKind = 2;
        for (int n = 1; n <= 2; ++n) {
            const QString table = QStringLiteral("tab_exam%1").arg(n);
            CreatePaperTable(*DM1, table);
            ComposePaper(*DM1, 2, table, m_random);
            WriteArchiveRow(*DM1, {table, n}, QStringLiteral("试卷[%1]").arg(n));
        }
        DM1->ADOCn1.execute(QStringLiteral("update tab_cj set A6=75, D2='1:02:03' where A1='tab_exam2'"));

        int reviews = 0;
        whenModal<TFrmCheck>([&](TFrmCheck* archive) {
            QCOMPARE(archive->Grid()->rowCount(), 2);
            QCOMPARE(archive->Grid()->item(0, 1)->text(), QStringLiteral("75"));
            QCOMPARE(archive->FigureValue(2), 75);
            whenModal<TFrmExam>([&](TFrmExam* exam) {
                QCOMPARE(exam->windowTitle(), QStringLiteral("查阅试卷"));
                QCOMPARE(exam->Heading(), QStringLiteral("试卷[2]"));
                QVERIFY(archive->isVisible());
                QTest::mouseClick(button(exam, "Next"), Qt::LeftButton);
                QCOMPARE(exam->CurrentQuestion(), 2);
                // "生成文档": the paper as a Word document, opened on the desktop.
                const QString path = m_dir.filePath(QStringLiteral("试卷2.docx"));
                files->setNextFileName(path);
                QTest::mouseClick(button(exam, "Export"), Qt::LeftButton);
                QCOMPARE(opener.opened, QStringList({path}));
                const docxtest::Package doc = docxtest::readFile(path);
                QVERIFY2(doc.ok, qPrintable(doc.error));
                QCOMPARE(doc.paragraphs.value(0).text, QStringLiteral("试卷[2]"));
                QCOMPARE(QApplication::activeModalWidget(), exam);
                QCOMPARE(exam->CurrentQuestion(), 2);
                ++reviews;
                QTest::mouseClick(button(exam, "Close"), Qt::LeftButton);
            });
            QTest::mouseClick(button(archive, "Review"), Qt::LeftButton);
            // Back in the archive's own loop.
            QCOMPARE(QApplication::activeModalWidget(), archive);
            QVERIFY(archive->isVisible());
            QVERIFY(archive->Grid()->item(0, 0)->isSelected());
            // Delete the newest paper; the other one is selected.
            shown->answerBox(MsgAnswer::Ok);
            QTest::mouseClick(button(archive, "Delete"), Qt::LeftButton);
            QCOMPARE(archive->Grid()->rowCount(), 1);
            QCOMPARE(archive->Grid()->item(0, 0)->text(), QStringLiteral("试卷[1]"));
            QCOMPARE(archive->FigureValue(0), 1);
            QCOMPARE(archive->FigureValue(2), 0);
            QTest::mouseClick(button(archive, "Close"), Qt::LeftButton);
        });
        clickMenu(QStringLiteral("cj"));
        QCOMPARE(reviews, 1);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(!DM1->ADOCn1.hasTable(QStringLiteral("tab_exam2")));
        QVERIFY(DM1->ADOCn1.hasTable(QStringLiteral("tab_exam1")));

        // The menu answers: the archive opens again with what is left, and Esc closes it.
        bool again = false;
        whenModal<TFrmCheck>([&](TFrmCheck* archive) {
            again = archive->Grid()->rowCount() == 1;
            QTest::keyClick(archive, Qt::Key_Escape);
        });
        clickMenu(QStringLiteral("cj"));
        QVERIFY(again);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(FrmStart->isVisible());
        setDocumentOpener(nullptr);
    }
};

QTEST_MAIN(TestArchiveJourney)
#include "tst_archive_journey.moc"
