// A reviewed paper exported to a document and read back: title, sections with their ordinals and
// headings, numbered questions with shared stems repeated, pictures, the page break, "答案：" and every
// question's answer, explanation and exam points; judgement papers, the sixth section, unknown types,
// missing catalogue and exam-point rows; and "生成文档" in the exam window, with its failures.
#include "exam/PaperExport.h"
#include "exam/PaperGeneration.h"
#include "exam/PaperRandom.h"
#include "exam/Uexam.h"
#include "export/DocumentFile.h"
#include "platform/Desktop.h"
#include "richtext/RichText.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "tests/exam/ExamBank.h"
#include "tests/export/DocxRead.h"
#include "tests/support/ModalDriver.h"
#include "ui/AppState.h"
#include "ui/FileDialogs.h"
#include "ui/Services.h"

#include <QBuffer>
#include <QImage>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

#include "export/DocxWriter.h"

namespace {

class RecordingOpener : public DocumentOpener {
public:
    RecordingOpener() { setDocumentOpener(this); }
    ~RecordingOpener() override { setDocumentOpener(nullptr); }
    RecordingOpener(const RecordingOpener&) = delete;
    RecordingOpener& operator=(const RecordingOpener&) = delete;
    bool openDocument(const QString& path) override {
        opened << path;
        return answer;
    }
    QStringList opened;
    bool answer = true;
};

// A stem with a picture, as a learner pastes one: text, a PNG, more text.
QByteArray stemWithPicture(const QString& text, const QColor& color) {
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(text);
    c.insertImage(richtext::addPicture(&doc, docxtest::png(60, 30, color)));
    c.insertText(QStringLiteral("（见图）"));
    return richtext::writeRtf(doc);
}

} // namespace

class TestPaperExport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    store::FixedClock m_clock{QDateTime(QDate(2026, 12, 9), QTime(9, 0))};
    SeededRandom m_random{11};
    TDM1* m_dm = nullptr;

    QStringList paperIds(const QString& table) {
        QStringList ids;
        for (const auto& r :
             m_dm->ADOCn1
                 .query(QStringLiteral("select A1 from ") + table + QStringLiteral(" order by A13,A1"))
                 .rows)
            ids << r[0].toString();
        return ids;
    }
    void drawPaper(int kind) {
        PaperKind = kind;
        CreatePaperTable(*m_dm, QStringLiteral("tab_exam1"));
        ComposePaper(*m_dm, kind, QStringLiteral("tab_exam1"), m_random);
        WriteArchiveRow(*m_dm, {QStringLiteral("tab_exam1"), 1}, QStringLiteral("测试试卷[1]"));
        m_dm->Cn1Table_cj.close();
    }
    docxtest::Package exported(int kind) {
        QTextDocument doc;
        BuildPaperDocument(*m_dm, QStringLiteral("tab_exam1"), QStringLiteral("测试试卷[1]"), kind, &doc);
        return docxtest::readPackage(docx::docxPackage(doc, {}));
    }
    static int indexOf(const QStringList& texts, const QString& text, int from = 0) {
        return int(texts.indexOf(text, from));
    }

private slots:
    void initTestCase() { store::setClock(&m_clock); }
    void cleanupTestCase() {
        examtest::CloseBank();
        store::setClock(nullptr);
    }

    void aKindTwoPaperWithGroupsAndPictures() {
        m_dm = examtest::OpenBank(m_dir.path(), examtest::Content(examtest::KindQuestions(2)));
        drawPaper(2);
        const QStringList ids = paperIds(QStringLiteral("tab_exam1"));
        QCOMPARE(ids.size(), 100);
        // Pictures in the first question's stem and in a group's shared stem.
        const QString groupId = ids[50].left(16);
        m_dm->ADOCn1.execute(QStringLiteral("update tab_exer set A15=? where A1=?"),
                             {stemWithPicture(QStringLiteral("看图"), Qt::darkGreen), ids[0]});
        m_dm->ADOCn1.execute(QStringLiteral("update tab_title set A15=? where A1=?"),
                             {stemWithPicture(QStringLiteral("案例"), Qt::red), groupId});

        const docxtest::Package p = exported(2);
        QVERIFY2(p.ok, qPrintable(p.error));
        const QStringList t = docxtest::texts(p);
        QCOMPARE(t.mid(0, 4),
                 QStringList({"测试试卷[1]", "", "", "一、单项选择题[共50题，每题1分，总计50分]"}));
        QCOMPARE(p.paragraphs[0].style, QStringLiteral("Heading1"));
        QCOMPARE(p.paragraphs[3].style, QStringLiteral("Heading2"));
        QStringList headings;
        for (const docxtest::Paragraph& para : p.paragraphs)
            if (para.style == u"Heading2")
                headings << para.text;
        QCOMPARE(headings, QStringList({"一、单项选择题[共50题，每题1分，总计50分]",
                                        "二、案例单选题[共30题，每题2分，总计60分]",
                                        "三、多项选择题[共20题，每题2分，总计40分]", "答案："}));
        QCOMPARE(t[4], QStringLiteral("1、看图（见图）"));
        QCOMPARE(p.paragraphs[4].pictures, 1);

        // Every question numbered in the exam's order, a group's stem before each of its questions.
        int at = 4;
        for (int n = 1; n <= 100; ++n) {
            const QString id = ids[n - 1];
            if (n == 51 || n == 81)
                ++at; // the section heading
            if (id.contains(u'-')) {
                const QString stem = id.left(16) == groupId ? QStringLiteral("案例（见图）")
                                                            : QStringLiteral("共用题干") + id.left(16);
                QCOMPARE(t.value(at), stem);
                if (id.left(16) == groupId)
                    QCOMPARE(p.paragraphs[at].pictures, 1);
                ++at;
            }
            if (n > 1)
                QCOMPARE(t.value(at), QStringLiteral("%1、题目%2").arg(n).arg(id));
            ++at;
        }
        // The answers on a new page.
        QCOMPARE(t.value(at), QStringLiteral("答案："));
        QVERIFY(p.paragraphs[at].pageBreak);
        QCOMPARE(std::count_if(p.paragraphs.begin(), p.paragraphs.end(),
                               [](const auto& x) { return x.pageBreak; }),
                 1);
        QCOMPARE(t.mid(at + 1, 3), QStringList({"", "", "第1题"}));
        for (int n = 1; n <= 100; ++n) {
            const QString id = ids[n - 1];
            const int q = indexOf(t, QStringLiteral("第%1题").arg(n), at);
            QVERIFY2(q > 0, qPrintable(id));
            const QString key =
                m_dm->ADOCn1.scalar(QStringLiteral("select A2 from tab_exam1 where A1=?"), {id}).toString();
            QCOMPARE(t.value(q + 1), QStringLiteral("试题答案：") + key);
            QCOMPARE(t.value(q + 2), QStringLiteral("试题解析："));
            QCOMPARE(t.value(q + 3), QStringLiteral("解析") + id);
            const bool points =
                !m_dm->ADOCn1.scalar(QStringLiteral("select K3 from tab_exam1 where A1=?"), {id})
                     .toString()
                     .isEmpty();
            if (points) {
                // The catalogue section of the point names the line.
                QCOMPARE(t.mid(q + 4, 5), QStringList({"考点：", "网络要点 要点一；", "要点一的内容",
                                                       "网络要点 要点二；", "要点二的内容"}));
            } else {
                QVERIFY(t.value(q + 4).startsWith(u'第') || (n == 100 && t.mid(q + 4) == QStringList({""})));
            }
        }
        // Pictures travel as media of the package, Chinese in a Simplified Chinese face.
        // The shared stem's picture comes before each question of its group, and is stored once.
        const int inGroup = int(
            std::count_if(ids.begin(), ids.end(), [&](const QString& id) { return id.startsWith(groupId); }));
        QVERIFY(inGroup >= 2);
        QCOMPARE(p.pictureTargets.size(), 1 + inGroup);
        QCOMPARE(QSet<QString>(p.pictureTargets.begin(), p.pictureTargets.end()).size(), 2);
        for (const QString& target : p.pictureTargets)
            QVERIFY(p.entries.contains(QStringLiteral("word/") + target));
        QVERIFY(p.stylesXml.contains("w:eastAsia=\"zh-CN\""));
    }

    void aJudgementPaperWritesRightAndWrong() {
        m_dm = examtest::OpenBank(m_dir.path(), examtest::Content(examtest::KindQuestions(4)));
        drawPaper(4);
        const docxtest::Package p = exported(4);
        QVERIFY2(p.ok, qPrintable(p.error));
        const QStringList t = docxtest::texts(p);
        QCOMPARE(t[3], QStringLiteral("一、判断题[共10题，每题10分，总计100分]"));
        const QStringList ids = paperIds(QStringLiteral("tab_exam1"));
        QCOMPARE(ids.size(), 10);
        for (int n = 1; n <= 10; ++n) {
            const QString key =
                m_dm->ADOCn1.scalar(QStringLiteral("select A2 from tab_exam1 where A1=?"), {ids[n - 1]})
                    .toString();
            const int q = indexOf(t, QStringLiteral("第%1题").arg(n));
            QVERIFY(q > 0);
            QCOMPARE(t.value(q + 1),
                     key == u"A" ? QStringLiteral("试题答案：正确") : QStringLiteral("试题答案：错误"));
        }
    }

    void sectionsOrdinalsUnknownTypesAndMissingRows() {
        // Seven types in one paper: five ordinals, then "--"; a type the composition table lacks.
        QList<examtest::Questions> qs;
        for (int type : {61, 62, 64, 65, 66, 70})
            qs.push_back({QStringLiteral("300101"), type, 2, false, QString()});
        m_dm = examtest::OpenBank(m_dir.path(), examtest::Content(qs));
        PaperKind = 1;
        CreatePaperTable(*m_dm, QStringLiteral("tab_exam1"));
        m_dm->ADOCn1.execute(
            QStringLiteral("insert into tab_exam1 (a1,a2,a2_1,k3,k4,a10,a13,jx) select "
                           "a.a1,a2,a2_1,k3,k4,a10,a13,b.jx from tab_answ a, tab_exer b where a.a1=b.a1"));
        // An exam point whose own row is missing, one whose catalogue row is missing; no explanation.
        m_dm->ADOCn1.execute(QStringLiteral(
            "update tab_exam1 set K3='999999-001', K4='100101-002', jx=null where A1='Q61300101001'"));
        m_dm->ADOCn1.execute(QStringLiteral("delete from tab_fgmc where id='100101'"));
        m_dm->ADOCn1.execute(QStringLiteral("update tab_exam1 set A13=99 where A1='Q70300101002'"));
        const docxtest::Package p = exported(1);
        QVERIFY2(p.ok, qPrintable(p.error));
        QStringList headings;
        for (const docxtest::Paragraph& para : p.paragraphs)
            if (para.style == u"Heading2" && para.text != u"答案：")
                headings << para.text;
        QCOMPARE(headings,
                 QStringList(
                     {"一、单项选择题[共30题，每题1分，总计30分]", "二、案例单选题[共0题，每题2分，总计0分]",
                      "三、案例多选题[共0题，每题2分，总计0分]", "四、多项选择题[共40题，每题2分，总计80分]",
                      "五、不定项选择题[共20题，每题2分，总计40分]", "--判断题[共0题，每题1分，总计0分]",
                      "--未知题型[共0题，每题0分，总计0分]"}));
        const QStringList t = docxtest::texts(p);
        const int q = indexOf(t, QStringLiteral("第1题"));
        QCOMPARE(t.mid(q, 7), QStringList({"第1题", "试题答案：" + examtest::KeyFor(61, 1), "考点：", "；",
                                           "", "要点二；", "要点二的内容"}));
        QCOMPARE(ChineseOrdinal(0), QStringLiteral("--"));
        QCOMPARE(SectionHeading(2, QStringLiteral("案例单选题"), 30, 1.5),
                 QStringLiteral("二、案例单选题[共30题，每题1.5分，总计45分]"));
    }

    void theExamWindowWritesOpensAndReportsFailures() {
        m_dm = examtest::OpenBank(m_dir.path(), examtest::Content(examtest::KindQuestions(2)));
        drawPaper(2);
        ScopedMessages shown;
        ScopedFileDialogs files;
        RecordingOpener opener;
        TFrmExam w;
        w.PreparePaper(QStringLiteral("tab_exam1"), QStringLiteral("测试试卷[1]"), QStringLiteral("old"), 80,
                       QStringLiteral("0:40:00"));
        QCOMPARE(w.LoadPaper(), 1);
        w.show();
        QPushButton* exportButton = w.findChild<QPushButton*>(QStringLiteral("Export"));
        QVERIFY(exportButton->isEnabled());

        // The learner is offered the paper's title as a Word document, and PDF beside it.
        const QString docxPath = m_dir.filePath(QStringLiteral("导出.docx"));
        files->setNextFileName(docxPath);
        QTest::mouseClick(exportButton, Qt::LeftButton);
        QCOMPARE(files->asked.size(), 1);
        QVERIFY(files->asked[0].folder.endsWith(QStringLiteral("/测试试卷[1].docx")));
        QVERIFY(files->asked[0].filter.contains(QStringLiteral("*.docx")));
        QVERIFY(files->asked[0].filter.contains(QStringLiteral("*.pdf")));
        QCOMPARE(opener.opened, QStringList({docxPath}));
        QVERIFY(shown->shown.isEmpty());
        const docxtest::Package p = docxtest::readFile(docxPath);
        QVERIFY2(p.ok, qPrintable(p.error));
        QCOMPARE(p.paragraphs[0].text, QStringLiteral("测试试卷[1]"));
        QCOMPARE(w.Mode(), QStringLiteral("old"));
        QCOMPARE(w.CurrentQuestion(), 1); // the window's own question did not move

        // PDF chosen by its file type with the proposed name: the name follows the type.
        files->setNextFileName(docxPath, QStringLiteral("PDF 文档 (*.pdf)"));
        QTest::mouseClick(exportButton, Qt::LeftButton);
        QCOMPARE(opener.opened.last(), m_dir.filePath(QStringLiteral("导出.pdf")));
        QFile pdf(m_dir.filePath(QStringLiteral("导出.pdf")));
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QVERIFY(pdf.readAll().startsWith("%PDF-"));
        QVERIFY(shown->shown.isEmpty());
        // Again: that PDF exists now and the dialog asked about another name, so the program asks.
        shown->answerBox(MsgAnswer::Cancel);
        files->setNextFileName(docxPath, QStringLiteral("PDF 文档 (*.pdf)"));
        QTest::mouseClick(exportButton, Qt::LeftButton);
        QCOMPARE(shown->shown.size(), 1);
        QVERIFY(shown->shown[0].text.endsWith(QStringLiteral("导出.pdf 已存在，要替换吗？")));
        shown->clear();

        // Cancelled: nothing written, nothing opened.
        QTest::mouseClick(exportButton, Qt::LeftButton);
        QCOMPARE(opener.opened.size(), 2);

        // No application for the file: the learner is told where it is.
        opener.answer = false;
        files->setNextFileName(m_dir.filePath(QStringLiteral("再次.docx")));
        QTest::mouseClick(exportButton, Qt::LeftButton);
        QCOMPARE(shown->shown.size(), 1);
        QVERIFY(shown->shown[0].text.contains(QStringLiteral("再次.docx")));
        opener.answer = true;

        // A write that fails half-way and a bank that cannot be read: the warning, no file, no viewer.
        for (int failure = 0; failure < 2; ++failure) {
            shown->clear();
            const QString path = m_dir.filePath(QStringLiteral("失败%1.docx").arg(failure));
            if (failure == 0)
                docx::failDocumentWritesAfter(300);
            else
                m_dm->ADOCn1.failStatementsContaining(QStringLiteral("from tab_exer"));
            files->setNextFileName(path);
            QTest::mouseClick(exportButton, Qt::LeftButton);
            docx::failDocumentWritesAfter(-1);
            m_dm->ADOCn1.failStatementsContaining(QString());
            QCOMPARE(shown->shown.size(), 1);
            QCOMPARE(shown->shown[0].caption, QStringLiteral("警告"));
            QCOMPARE(shown->shown[0].text, QStringLiteral("导出试题发生错误，请退出后重试！"));
            QCOMPARE(shown->shown[0].icon, MsgIcon::Warning);
            QVERIFY(!QFile::exists(path));
            QCOMPARE(opener.opened.size(), 3);
        }
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("*.docx")}, QDir::Files),
                 QStringList({"再次.docx", "导出.docx"}));
    }
};

QTEST_MAIN(TestPaperExport)
#include "tst_paper_export.moc"
