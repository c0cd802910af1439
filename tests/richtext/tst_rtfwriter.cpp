#include "richtext/RichText.h"
#include "tests/richtext/DocumentQueries.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QtTest>

using richtext::readRtf;
using richtext::writeRtf;

namespace {

// Every fragment of the document in order: its text and the formats a round trip must keep.
struct Run {
    QString text;
    bool bold, italic, underline;
    bool operator==(const Run&) const = default;
};

QList<Run> runs(const QTextDocument& doc) {
    QList<Run> result;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat f = it.fragment().charFormat();
            result.append(
                {it.fragment().text(), f.fontWeight() >= QFont::DemiBold, f.fontItalic(), f.fontUnderline()});
        }
    }
    return result;
}

[[maybe_unused]] char* toString(const Run& r) {
    const QString s =
        QStringLiteral("[%1 b%2 i%3 u%4]").arg(r.text).arg(r.bold).arg(r.italic).arg(r.underline);
    return qstrdup(s.toUtf8().constData());
}

void roundTrip(const QTextDocument& source, QTextDocument* copy) {
    readRtf(writeRtf(source), copy);
}

QImage picture(const QTextDocument& doc, const QTextImageFormat& format) {
    return doc.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
}

QImage testImage() {
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int x = 0; x < 12; ++x)
        image.setPixelColor(x, 3, QColor(200, 10, 10));
    return image;
}

} // namespace

class TestRtfWriter : public QObject {
    Q_OBJECT
private slots:
    void markdownStemSurvives();
    void textOutsideGbkSurvives();
    void characterFormatsSurvive();
    void paragraphFormatsSurvive();
    void paragraphsAndPageBreaksSurvive();
    void imagesSurvive();
    void imageBytesAreKeptAsTheyWere();
    void markdownPictureFromFile();
    void tablesSurvive();
    void markdownHeadingsAndListsStayVisible();
    void emptyDocument();
    void pastedOfficeTextSurvives();
    void picturesAddedAndPastedKeepTheirBytes();
};

void TestRtfWriter::markdownStemSurvives() {
    QTextDocument source;
    source.setMarkdown(
        QStringLiteral("下列关于**增值税**的说法，*正确*的是（ ）。\n\nA. 选项一\n\nB. 选项二"));
    const QByteArray rtf = writeRtf(source);
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg936"));
    QVERIFY2(!QString::fromLatin1(rtf).contains(QRegularExpression(QStringLiteral("\\\\u-?\\d"))),
             "every character here exists in GBK");
    QTextDocument copy;
    readRtf(rtf, &copy);
    QCOMPARE(copy.toPlainText(), source.toPlainText());
    QCOMPARE(runs(copy), runs(source));
}

void TestRtfWriter::textOutsideGbkSurvives() {
    QTextDocument source;
    const QString text = QString::fromUtf8("emoji 😀, 𠀀 and ﬁ, tab\there {braces} \\ back");
    source.setPlainText(text);
    const QByteArray rtf = writeRtf(source);
    for (const char c : rtf)
        QVERIFY(static_cast<unsigned char>(c) < 0x80);
    QTextDocument copy;
    readRtf(rtf, &copy);
    QCOMPARE(copy.toPlainText(), text);
}

void TestRtfWriter::characterFormatsSurvive() {
    QTextDocument source;
    QTextCursor cursor(&source);
    auto add = [&](const QString& text, auto&& setUp) {
        QTextCharFormat f;
        setUp(f);
        cursor.insertText(text, f);
    };
    add("red", [](QTextCharFormat& f) { f.setForeground(QColor(200, 0, 0)); });
    add("bg", [](QTextCharFormat& f) { f.setBackground(QColor(255, 255, 0)); });
    add("big", [](QTextCharFormat& f) { f.setFontPointSize(15.5); });
    add("arial", [](QTextCharFormat& f) { f.setFontFamilies({"Arial"}); });
    add("sup", [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSuperScript); });
    add("sub", [](QTextCharFormat& f) { f.setVerticalAlignment(QTextCharFormat::AlignSubScript); });
    add("strike", [](QTextCharFormat& f) { f.setFontStrikeOut(true); });
    add("blue", [](QTextCharFormat& f) { f.setForeground(QColor(0, 0, 255)); });
    add("red2", [](QTextCharFormat& f) { f.setForeground(QColor(200, 0, 0)); });
    add("plain", [](QTextCharFormat&) {});

    const QByteArray rtf = writeRtf(source);
    QVERIFY2(rtf.count("\\red200\\green0\\blue0;") == 1, "a colour used twice has one table entry");
    QTextDocument copy;
    readRtf(rtf, &copy);
    QCOMPARE(copy.toPlainText(), source.toPlainText());
    for (int i = 0; i < source.characterCount() - 1; ++i) {
        const QTextCharFormat a = formatAt(source, i);
        const QTextCharFormat b = formatAt(copy, i);
        QCOMPARE(b.foreground().style() == Qt::NoBrush, a.foreground().style() == Qt::NoBrush);
        QCOMPARE(b.foreground().color(), a.foreground().color());
        QCOMPARE(b.background().color(), a.background().color());
        QCOMPARE(b.fontPointSize(), a.fontPointSize());
        QCOMPARE(b.fontFamilies().toStringList(), a.fontFamilies().toStringList());
        QCOMPARE(b.verticalAlignment(), a.verticalAlignment());
        QCOMPARE(b.fontStrikeOut(), a.fontStrikeOut());
    }
}

void TestRtfWriter::paragraphFormatsSurvive() {
    QTextDocument source;
    QTextCursor cursor(&source);
    const QList<Qt::Alignment> alignments = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight,
                                             Qt::AlignJustify};
    for (int i = 0; i < alignments.size(); ++i) {
        QTextBlockFormat f;
        f.setAlignment(alignments[i]);
        f.setLeftMargin(10 * i);
        f.setRightMargin(4 * i);
        f.setTextIndent(i == 2 ? -8 : 6 * i);
        f.setTopMargin(2 * i);
        f.setBottomMargin(3 * i);
        if (i == 1)
            f.setLineHeight(150, QTextBlockFormat::ProportionalHeight);
        if (i == 2)
            f.setLineHeight(20, QTextBlockFormat::FixedHeight);
        if (i == 3)
            f.setLineHeight(18, QTextBlockFormat::MinimumHeight);
        if (i > 0)
            cursor.insertBlock(f);
        else
            cursor.setBlockFormat(f);
        cursor.insertText(QStringLiteral("段落%1").arg(i));
    }
    QTextDocument copy;
    roundTrip(source, &copy);
    QCOMPARE(copy.blockCount(), source.blockCount());
    for (int i = 0; i < source.blockCount(); ++i) {
        const QTextBlockFormat a = source.findBlockByNumber(i).blockFormat();
        const QTextBlockFormat b = copy.findBlockByNumber(i).blockFormat();
        QCOMPARE(b.alignment() & Qt::AlignHorizontal_Mask, a.alignment() & Qt::AlignHorizontal_Mask);
        QCOMPARE(b.leftMargin(), a.leftMargin());
        QCOMPARE(b.rightMargin(), a.rightMargin());
        QCOMPARE(b.textIndent(), a.textIndent());
        QCOMPARE(b.topMargin(), a.topMargin());
        QCOMPARE(b.bottomMargin(), a.bottomMargin());
        QCOMPARE(b.lineHeightType(), a.lineHeightType());
        QCOMPARE(b.lineHeight(), a.lineHeight());
    }
}

void TestRtfWriter::paragraphsAndPageBreaksSurvive() {
    QTextDocument source;
    source.setPlainText(QStringLiteral("一\n\n三\n"));
    QTextCursor cursor(source.findBlockByNumber(2));
    QTextBlockFormat f = cursor.blockFormat();
    f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    cursor.setBlockFormat(f);
    QTextDocument copy;
    roundTrip(source, &copy);
    QCOMPARE(copy.blockCount(), 4); // the empty paragraphs in the middle and at the end stay
    QCOMPARE(copy.toPlainText(), source.toPlainText());
    QCOMPARE(copy.findBlockByNumber(2).blockFormat().pageBreakPolicy(), QTextFormat::PageBreak_AlwaysBefore);
    QCOMPARE(copy.findBlockByNumber(1).blockFormat().pageBreakPolicy(), QTextFormat::PageBreak_Auto);
    QCOMPARE(copy.findBlockByNumber(3).blockFormat().pageBreakPolicy(), QTextFormat::PageBreak_Auto);
}

void TestRtfWriter::imagesSurvive() {
    QTextDocument source;
    source.addResource(QTextDocument::ImageResource, QUrl("mem://a"), testImage());
    QTextCursor cursor(&source);
    cursor.insertText(QStringLiteral("如图"));
    QTextImageFormat natural;
    natural.setName("mem://a");
    cursor.insertImage(natural);
    QTextImageFormat scaled;
    scaled.setName("mem://a");
    scaled.setWidth(48); // height follows the picture's proportions
    cursor.insertImage(scaled);
    QTextImageFormat missing;
    missing.setName("mem://nowhere");
    cursor.insertImage(missing);
    cursor.insertText(QStringLiteral("所示"));

    const QByteArray rtf = writeRtf(source);
    QCOMPARE(rtf.count("\\pngblip"), 2);
    QTextDocument copy;
    readRtf(rtf, &copy);
    QCOMPARE(copy.toPlainText(),
             QStringLiteral("如图\uFFFC\uFFFC所示")); // a picture that cannot be loaded is left out
    const QList<QTextImageFormat> found = images(copy);
    QCOMPARE(found.size(), 2);
    QCOMPARE(QSizeF(found[0].width(), found[0].height()), QSizeF(24, 16));
    QCOMPARE(QSizeF(found[1].width(), found[1].height()), QSizeF(48, 32));
    const QImage back = picture(copy, found[0]);
    QCOMPARE(back.size(), QSize(24, 16));
    QCOMPARE(back.pixelColor(5, 3), QColor(200, 10, 10));
    QCOMPARE(back.pixelColor(20, 3), QColor(Qt::white));
}

void TestRtfWriter::imageBytesAreKeptAsTheyWere() {
    // A JPEG from a file is not re-encoded: it goes out as \jpegblip with its own bytes, and a
    // document read from RTF writes its pictures back byte for byte.
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    testImage().save(&buffer, "JPEG", 90);
    QTextDocument source;
    source.addResource(QTextDocument::ImageResource, QUrl("photo.jpg"), jpeg);
    QTextCursor cursor(&source);
    QTextImageFormat f;
    f.setName("photo.jpg");
    cursor.insertImage(f);
    const QByteArray first = writeRtf(source);
    QVERIFY(first.contains("\\jpegblip"));
    QVERIFY(first.contains(jpeg.first(64).toHex()));
    QTextDocument copy;
    readRtf(first, &copy);
    QCOMPARE(images(copy).size(), 1);
    QCOMPARE(picture(copy, images(copy).first()).size(), QSize(24, 16));
    QCOMPARE(writeRtf(copy), first);
}

void TestRtfWriter::markdownPictureFromFile() {
    // How stems are built from their sources: Markdown with pictures beside it on disk.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(testImage().save(dir.filePath("fig.png")));
    QTextDocument source;
    source.setBaseUrl(QUrl::fromLocalFile(dir.path() + "/"));
    source.setMarkdown(QStringLiteral("如图所示：\n\n![图一](fig.png)\n"));
    const QByteArray rtf = writeRtf(source);
    QCOMPARE(rtf.count("\\pngblip"), 1);
    QTextDocument copy;
    readRtf(rtf, &copy);
    const QList<QTextImageFormat> found = images(copy);
    QCOMPARE(found.size(), 1);
    QCOMPARE(QSizeF(found[0].width(), found[0].height()), QSizeF(24, 16));
    QCOMPARE(picture(copy, found[0]).pixelColor(0, 3), QColor(200, 10, 10));
}

void TestRtfWriter::tablesSurvive() {
    QTextDocument source;
    QTextCursor cursor(&source);
    cursor.insertText(QStringLiteral("表格如下"));
    cursor.insertBlock();
    QTextTableFormat tf;
    tf.setColumnWidthConstraints({QTextLength(QTextLength::FixedLength, 100),
                                  QTextLength(QTextLength::FixedLength, 60),
                                  QTextLength(QTextLength::FixedLength, 80)});
    QTextTable* table = cursor.insertTable(2, 3, tf);
    const QStringList texts = {"项目", "金额", "备注", "增值税", "100", ""};
    for (int i = 0; i < texts.size(); ++i) {
        QTextCursor c = table->cellAt(i / 3, i % 3).firstCursorPosition();
        c.insertText(texts[i]);
    }
    QTextCursor twoLines = table->cellAt(1, 2).firstCursorPosition();
    twoLines.insertText(QStringLiteral("第一行"));
    twoLines.insertBlock();
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    twoLines.insertText(QStringLiteral("第二行"), bold);
    QTextCursor after(&source);
    after.movePosition(QTextCursor::End);
    after.insertText(QStringLiteral("表后"));

    QTextDocument copy;
    roundTrip(source, &copy);
    QCOMPARE(copy.toPlainText(), source.toPlainText());
    QTextTable* back = firstTable(copy);
    QVERIFY(back);
    QCOMPARE(back->rows(), 2);
    QCOMPARE(back->columns(), 3);
    QCOMPARE(back->format().columnWidthConstraints(), tf.columnWidthConstraints());
    QTextCursor inCell = back->cellAt(1, 2).lastCursorPosition();
    QCOMPARE(inCell.block().text(), QStringLiteral("第二行"));
    QCOMPARE(inCell.charFormat().fontWeight(), int(QFont::Bold));
    QCOMPARE(copy.lastBlock().text(), QStringLiteral("表后"));
}

void TestRtfWriter::markdownHeadingsAndListsStayVisible() {
    QTextDocument source;
    source.setMarkdown(QStringLiteral("# 第一章\n\n- 甲\n- 乙\n\n1. 一\n2. 二\n"));
    QTextDocument copy;
    roundTrip(source, &copy);
    QCOMPARE(copy.toPlainText(), QString::fromUtf8("第一章\n•\t甲\n•\t乙\n1.\t一\n2.\t二"));
    const QTextCharFormat heading = formatAt(copy, 0);
    QCOMPARE(heading.fontWeight(), int(QFont::Bold));
    QVERIFY2(heading.fontPointSize() > source.defaultFont().pointSizeF(),
             "a heading stays larger than the text");
    QVERIFY(copy.findBlockByNumber(1).blockFormat().leftMargin() > 0);
}

void TestRtfWriter::emptyDocument() {
    QTextDocument source;
    QTextDocument copy;
    copy.setPlainText("x");
    roundTrip(source, &copy);
    QCOMPARE(copy.blockCount(), 1);
    QVERIFY(copy.isEmpty());
    QCOMPARE(richtext::plainText(writeRtf(source)), QString());
}

void TestRtfWriter::pastedOfficeTextSurvives() {
    // What an office suite puts on the clipboard for a stem: Chinese text whose weight and size are
    // associated properties, a formula with lowered and raised digits, tab stops, a table whose cells end
    // in a paragraph mark, a footnote and a stray half surrogate.
    const QByteArray pasted =
        "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}{\\f1\\fswiss Arial;}}"
        "\\pard\\tx1440\\tqr\\tx6000 {\\loch\\f1\\hich\\af1\\dbch\\af0\\ab\\afs28 \\'d6\\'d0 A}\\tab H{\\dn4 "
        "2}O"
        "{\\up6 3}{\\super\\chftn}{\\footnote\\pard\\plain{\\super\\chftn} \\'d7\\'a2}\\u-10179?\\par "
        "\\trowd\\cellx2000\\cellx4000\\pard\\intbl x\\par\\cell y\\par\\cell\\row\\pard end\\par}";
    QTextDocument first;
    readRtf(pasted, &first);
    const QByteArray written = writeRtf(first);
    QTextDocument second;
    readRtf(written, &second);
    QCOMPARE(second.toPlainText(), first.toPlainText());
    QCOMPARE(runs(second), runs(first));
    QCOMPARE(writeRtf(second), written);

    QCOMPARE(formatAt(second, 0).fontWeight(), int(QFont::Bold)); // 中
    QCOMPARE(formatAt(second, 0).fontPointSize(), 14.0);
    QVERIFY(formatAt(second, 2).fontWeight() < QFont::DemiBold); // A
    const QString text = second.firstBlock().text();
    QCOMPARE(text, QStringLiteral("中 A\tH2O31\uFFFD"));
    QCOMPARE(formatAt(second, int(text.indexOf(u'2'))).verticalAlignment(), QTextCharFormat::AlignSubScript);
    QCOMPARE(formatAt(second, int(text.indexOf(u'3'))).verticalAlignment(),
             QTextCharFormat::AlignSuperScript);
    const QList<QTextOption::Tab> tabs = second.firstBlock().blockFormat().tabPositions();
    QCOMPARE(tabs.size(), 2);
    QCOMPARE(tabs[0].position, 96.0);
    QCOMPARE(tabs[1].type, QTextOption::RightTab);
    QCOMPARE(tabs[1].position, 400.0);
    QTextTable* table = firstTable(second);
    QVERIFY(table);
    QCOMPARE(table->cellAt(0, 0).lastCursorPosition().block(),
             table->cellAt(0, 0).firstCursorPosition().block());
    QCOMPARE(second.lastBlock().text(), QStringLiteral("1 注"));
    QCOMPARE(second.lastBlock().previous().text(), QStringLiteral("end"));
}

void TestRtfWriter::picturesAddedAndPastedKeepTheirBytes() {
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        testImage().save(&buffer, "JPEG", 40);
    }
    QTextDocument doc;
    QTextCursor cursor(&doc);
    cursor.insertText(QStringLiteral("图："));
    const QTextImageFormat added = richtext::addPicture(&doc, jpeg);
    QVERIFY(!added.name().isEmpty());
    QCOMPARE(added.width(), 24.0);
    cursor.insertImage(added);
    QVERIFY(richtext::addPicture(&doc, QByteArray("not a picture")).name().isEmpty());
    // The same document pasted into another that already holds a picture read from RTF.
    const QByteArray stored = writeRtf(doc);
    const auto hexOf = [](QByteArray rtf) { return rtf.replace("\r\n", ""); }; // lines of 64 bytes joined
    QVERIFY(hexOf(stored).contains(jpeg.toHex()));
    QTextDocument target;
    readRtf(stored, &target);
    QTextCursor at(&target);
    at.movePosition(QTextCursor::End);
    richtext::insertRtf(at, stored);
    const QList<QTextImageFormat> found = images(target);
    QCOMPARE(found.size(), 2);
    QVERIFY(found[0].name() != found[1].name());
    QCOMPARE(target.toPlainText(), QStringLiteral("图：\uFFFC图：\uFFFC"));
    const QByteArray again = writeRtf(target);
    QCOMPARE(hexOf(again).count(jpeg.toHex()), 2); // both written with the bytes they came with
}

QTEST_MAIN(TestRtfWriter)
#include "tst_rtfwriter.moc"
