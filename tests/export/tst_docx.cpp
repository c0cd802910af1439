// The .docx writer read back: paragraphs, headings, runs and their formats, Chinese text and its face,
// tables with merged cells, pictures, page breaks, texts XML cannot carry; the PDF; and files that are
// either complete or not there at all.
#include "export/DocumentFile.h"
#include "export/DocxWriter.h"
#include "export/PdfWriter.h"
#include "export/ZipPackage.h"
#include "richtext/RichText.h"
#include "tests/export/DocxRead.h"

#include <QBuffer>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QtTest>

namespace {

// A device that takes limit bytes and then fails, as a full disk does.
class FullDisk : public QIODevice {
public:
    explicit FullDisk(qint64 limit) : m_limit(limit) { open(QIODevice::WriteOnly); }
    QByteArray written;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override {
        const qint64 n = qMin(len, m_limit - written.size());
        if (n <= 0)
            return -1;
        written.append(data, n);
        return n;
    }

private:
    qint64 m_limit;
};

} // namespace

class TestDocx : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // Title, a formatted paragraph, a table with a merged cell, a picture, a page break.
    void sample(QTextDocument* doc) {
        QTextCursor c(doc);
        QTextBlockFormat heading;
        heading.setHeadingLevel(1);
        heading.setAlignment(Qt::AlignHCenter);
        c.setBlockFormat(heading);
        c.insertText(QStringLiteral("试卷标题 & <测试>"));
        c.insertBlock(QTextBlockFormat(), QTextCharFormat());
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        c.insertText(QStringLiteral("粗体"), bold);
        QTextCharFormat red;
        red.setForeground(QColor(255, 0, 0));
        red.setFontItalic(true);
        red.setFontUnderline(true);
        red.setFontPointSize(14);
        red.setFontFamilies({QStringLiteral("黑体")});
        c.insertText(QStringLiteral("红色斜体"), red);
        QTextCharFormat latin;
        latin.setFontFamilies({QStringLiteral("Arial")});
        c.insertText(QStringLiteral(" Latin"), latin);
        c.insertText(QStringLiteral("\tA") + QChar(QChar::LineSeparator) + QStringLiteral("B") +
                         QChar(0x0001) + QChar(0xFFFF),
                     QTextCharFormat());
        c.insertBlock(QTextBlockFormat(), QTextCharFormat());
        QTextTable* table = c.insertTable(2, 3);
        table->cellAt(0, 0).firstCursorPosition().insertText(QStringLiteral("甲"));
        table->mergeCells(0, 1, 1, 2);
        table->cellAt(0, 1).firstCursorPosition().insertText(QStringLiteral("乙丙"));
        table->cellAt(1, 2).firstCursorPosition().insertText(QStringLiteral("丁"));
        c.movePosition(QTextCursor::End);
        c.insertText(QStringLiteral("图："));
        c.insertImage(richtext::addPicture(doc, docxtest::png(40, 20, Qt::blue)));
        // A picture the document has only as an image, and the same one twice.
        doc->addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("plain-image")),
                         QImage(3000, 10, QImage::Format_RGB32));
        QTextImageFormat wide;
        wide.setName(QStringLiteral("plain-image"));
        c.insertImage(wide);
        c.insertImage(wide);
        c.insertBlock(QTextBlockFormat(), QTextCharFormat());
        QTextBlockFormat broken;
        broken.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        c.setBlockFormat(broken);
        c.insertText(QStringLiteral("答案："));
    }

private slots:
    void paragraphsRunsTablesPicturesAndPageBreakReadBack() {
        QTextDocument doc;
        sample(&doc);
        docx::Options options;
        options.eastAsiaFont = QStringLiteral("Noto Sans CJK SC");
        options.title = QStringLiteral("标题");
        const docxtest::Package p = docxtest::readPackage(docx::docxPackage(doc, options));
        QVERIFY2(p.ok, qPrintable(p.error));
        QCOMPARE(p.entries.first(), QStringLiteral("[Content_Types].xml"));

        const QStringList t = docxtest::texts(p);
        QCOMPARE(t.value(0), QStringLiteral("试卷标题 & <测试>"));
        QCOMPARE(p.paragraphs[0].style, QStringLiteral("Heading1"));
        QCOMPARE(p.paragraphs[0].align, QStringLiteral("center"));
        // Tab and line break as their own elements; characters XML cannot carry are left out.
        QCOMPARE(t.value(1), QStringLiteral("粗体红色斜体 Latin\tA\nB"));
        const QList<docxtest::Run>& runs = p.paragraphs[1].runs;
        QVERIFY(runs[0].bold && !runs[0].italic);
        QCOMPARE(runs[1].text, QStringLiteral("红色斜体"));
        QVERIFY(runs[1].italic && runs[1].underline && !runs[1].bold);
        QCOMPARE(runs[1].color, QStringLiteral("FF0000"));
        QCOMPARE(runs[1].halfPoints, 28);
        QCOMPARE(runs[1].eastAsiaFont, QStringLiteral("黑体")); // the face given to Chinese text
        QCOMPARE(runs[2].eastAsiaFont, QString());              // Latin text keeps the Chinese default
        QVERIFY(p.stylesXml.contains("w:eastAsia=\"Noto Sans CJK SC\""));
        QVERIFY(p.stylesXml.contains("w:eastAsia=\"zh-CN\""));

        // The table: 2 rows, the merged cell spans two grid columns, every cell ends in a paragraph.
        QCOMPARE(p.tables, 1);
        QCOMPARE(p.gridSpans, QStringList({"0,1:2"}));
        QStringList cells;
        for (const docxtest::Paragraph& para : p.paragraphs)
            if (para.inTable)
                cells << para.text;
        QCOMPARE(cells, QStringList({"甲", "乙丙", "", "", "丁"}));

        // Pictures: the PNG kept as it was, the image-only one once as PNG for both uses.
        const auto pictures = std::find_if(p.paragraphs.begin(), p.paragraphs.end(),
                                           [](const docxtest::Paragraph& x) { return x.pictures > 0; });
        QVERIFY(pictures != p.paragraphs.end());
        QCOMPARE(pictures->text, QStringLiteral("图："));
        QCOMPARE(pictures->pictures, 3);
        QCOMPARE(p.pictureTargets, QStringList({"media/image1.png", "media/image2.png", "media/image2.png"}));
        QVERIFY(p.entries.contains(QStringLiteral("word/media/image1.png")));
        QVERIFY(p.entries.contains(QStringLiteral("word/media/image2.png")));
        // The wide picture is scaled to the text width of an A4 page (17 cm), keeping its proportions.
        QVERIFY(p.documentXml.contains("cx=\"6120130\" cy=\"20400\""));
        QVERIFY(p.documentXml.contains("cx=\"381000\" cy=\"190500\"")); // 40x20 px at its own size

        QCOMPARE(p.paragraphs.last().text, QStringLiteral("答案："));
        QVERIFY(p.paragraphs.last().pageBreak);
        QCOMPARE(std::count_if(p.paragraphs.begin(), p.paragraphs.end(),
                               [](const docxtest::Paragraph& x) { return x.pageBreak; }),
                 1);
        QVERIFY(p.documentXml.contains("<w:pgSz w:w=\"11906\" w:h=\"16838\"/>"));
    }

    void aDeviceThatFailsIsReported() {
        QTextDocument doc;
        sample(&doc);
        FullDisk disk(1000);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, docx::writeDocx(doc, &disk, {}));
        QCOMPARE(disk.written.size(), 1000);
    }

    void theFileIsCompleteOrNotThere() {
        QTextDocument doc;
        sample(&doc);
        const QString path = m_dir.filePath(QStringLiteral("试卷.docx"));
        docx::saveDocument(doc, path, docx::DocumentFormat::Docx, {});
        QVERIFY(docxtest::readFile(path).ok);
        const QByteArray complete = [&] {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();

        // Writing the same name again fails half-way: the earlier file stays as it was, nothing else is left.
        for (const docx::DocumentFormat format : {docx::DocumentFormat::Docx, docx::DocumentFormat::Pdf}) {
            docx::failDocumentWritesAfter(500);
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, docx::saveDocument(doc, path, format, {}));
            docx::failDocumentWritesAfter(-1);
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), complete);
            QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList({"试卷.docx"}));
        }
        // A new name that fails leaves no file at all.
        const QString fresh = m_dir.filePath(QStringLiteral("新.pdf"));
        docx::failDocumentWritesAfter(10);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 docx::saveDocument(doc, fresh, docx::DocumentFormat::Pdf, {}));
        docx::failDocumentWritesAfter(-1);
        QVERIFY(!QFile::exists(fresh));
        // A folder that does not exist.
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 docx::saveDocument(doc, m_dir.filePath(QStringLiteral("no/such.docx")),
                                                    docx::DocumentFormat::Docx, {}));
    }

    void pdfOnA4PagesWithTheBreak() {
        QTextDocument doc;
        sample(&doc);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        docx::writePdf(doc, &buffer, QStringLiteral("试卷"), QStringLiteral("Noto Sans CJK SC"));
        QVERIFY(bytes.startsWith("%PDF-"));
        // Two pages (the break), each A4: 595 x 842 points.
        QCOMPARE(bytes.count("/MediaBox [0 0 595.000000 842.000000]"), 2);
        QRegularExpression baseFont(QStringLiteral("/BaseFont /([A-Za-z0-9+-]+)"));
        QStringList faces;
        for (auto m = baseFont.globalMatch(QString::fromLatin1(bytes)); m.hasNext();)
            faces << m.next().captured(1);
        // Chinese text in the Simplified Chinese face, also where a run names a face that is not installed.
        if (!QFontDatabase::families().contains(QStringLiteral("Noto Sans CJK SC")))
            QSKIP("Noto Sans CJK SC is not installed");
        QVERIFY2(faces.filter(QStringLiteral("CJKsc")).size() > 0, qPrintable(faces.join(u' ')));
        QVERIFY2(faces.filter(QStringLiteral("CJKjp")).isEmpty(), qPrintable(faces.join(u' ')));
    }

    void formatFromFilterOrName() {
        using docx::DocumentFormat;
        QCOMPARE(docx::formatForFile(QStringLiteral("a.docx"), QStringLiteral("PDF 文档 (*.pdf)")),
                 DocumentFormat::Pdf);
        QCOMPARE(docx::formatForFile(QStringLiteral("a.pdf"), QString()), DocumentFormat::Pdf);
        QCOMPARE(docx::formatForFile(QStringLiteral("a.PDF"), QString()), DocumentFormat::Pdf);
        QCOMPARE(docx::formatForFile(QStringLiteral("a"), QString()), DocumentFormat::Docx);
        QCOMPARE(docx::withExtension(QStringLiteral("a"), DocumentFormat::Pdf), QStringLiteral("a.pdf"));
        QCOMPARE(docx::withExtension(QStringLiteral("试卷[1].docx"), DocumentFormat::Pdf),
                 QStringLiteral("试卷[1].pdf"));
        QCOMPARE(docx::withExtension(QStringLiteral("a.b"), DocumentFormat::Docx),
                 QStringLiteral("a.b.docx"));
        QCOMPARE(docx::withExtension(QStringLiteral("a.DOCX"), DocumentFormat::Docx),
                 QStringLiteral("a.DOCX"));
    }

    void anUnreadableArchiveGivesNothing() {
        bool found = true;
        QCOMPARE(docx::unzipPart(QByteArray("not a zip"), QStringLiteral("x"), &found), QByteArray());
        QVERIFY(!found);
        QVERIFY(docx::zipEntryNames(QByteArray()).isEmpty());
    }
};

QTEST_MAIN(TestDocx)
#include "tst_docx.moc"
