#include "richtext/RichText.h"
#include "tests/richtext/DocumentQueries.h"

#include <QBuffer>
#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QtTest>

using richtext::plainText;
using richtext::readRtf;

namespace {

// A stem the way a Chinese word processor stores it.
const QByteArray kHeader =
    "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}"
    "{\\f1\\fswiss\\fcharset0 Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}\r\n";

QByteArray rtf(const QByteArray& body) {
    return kHeader + body + "}";
}

QByteArray encodeImage(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage testImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(20, 120, 220));
    return image;
}

QString cellText(QTextTable* table, int row, int column) {
    const QTextTableCell cell = table->cellAt(row, column);
    QTextCursor cursor = cell.firstCursorPosition();
    cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

} // namespace

class TestRtfReader : public QObject {
    Q_OBJECT
private slots:
    void decodesGbkPairsAndUnicode_data();
    void decodesGbkPairsAndUnicode();
    void characterFormats();
    void moreCharacterFormats();
    void paragraphStructure_data();
    void paragraphStructure();
    void paragraphFormats();
    void destinationsAreSkipped();
    void tables();
    void tableRowsOfDifferentWidth();
    void pictures();
    void picturesThatCannotBeShown_data();
    void picturesThatCannotBeShown();
    void plainBlobs_data();
    void plainBlobs();
    // What text pasted from office suites and document converters carries.
    void associatedEastAsianProperties();
    void raisedAndLoweredText();
    void tabStops();
    void footnotesFollowTheText();
    void paragraphMarkBeforeCellEnd();
    void loneSurrogatesBecomeReplacementCharacters_data();
    void loneSurrogatesBecomeReplacementCharacters();
};

void TestRtfReader::decodesGbkPairsAndUnicode_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("gbk pairs") << QByteArray("\\f0 \\'c4\\'e3\\'ba\\'c3") << QStringLiteral("你好");
    QTest::newRow("unicode with fallback") << QByteArray("\\u20320?\\u22909?") << QStringLiteral("你好");
    QTest::newRow("uc2 gbk fallback") << QByteArray("\\uc2\\u20320\\'c4\\'e3A") << QStringLiteral("你A");
    QTest::newRow("uc1 but gbk pair fallback")
        << QByteArray("\\uc1\\u20320\\'c4\\'e3A") << QStringLiteral("你A");
    QTest::newRow("uc0 no fallback") << QByteArray("\\uc0\\u20320\\u22909 A") << QStringLiteral("你好A");
    QTest::newRow("negative u") << QByteArray("\\u-3913?") << QString(QChar(0xF0B7));
    QTest::newRow("surrogates") << QByteArray("\\u-10179?\\u-8704?") << QString::fromUtf8("😀");
    QTest::newRow("latin font") << QByteArray("\\f1 caf\\'e9") << QString::fromUtf8("café");
    QTest::newRow("font switch") << QByteArray("{\\f1 \\'e9}{\\f0 \\'c4\\'e3}") << QString::fromUtf8("é你");
    QTest::newRow("double-byte font beside a latin one")
        << QByteArray("{\\f1\\loch\\f1\\hich\\af1\\dbch\\af0 \\'d6\\'d0 caf\\'e9}")
        << QString::fromUtf8("中 café");
    QTest::newRow("literal trail byte") << QByteArray("\\'81@") << QString::fromUtf8("丂");
    QTest::newRow("escapes") << QByteArray("a\\\\b\\{c\\}") << QStringLiteral("a\\b{c}");
}

void TestRtfReader::decodesGbkPairsAndUnicode() {
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QTextDocument doc;
    readRtf(rtf(body), &doc);
    QCOMPARE(doc.toPlainText(), text);
    QCOMPARE(plainText(rtf(body)), text);
}

void TestRtfReader::characterFormats() {
    QTextDocument doc;
    readRtf(rtf("a{\\b b}{\\i c}{\\ul d\\ulnone e}{\\cf1\\fs36 f}g\\par\r\nsecond\\par }"), &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("abcdefg\nsecond"));
    QVERIFY(formatAt(doc, 0).fontWeight() < QFont::DemiBold);
    QCOMPARE(formatAt(doc, 1).fontWeight(), int(QFont::Bold));
    QVERIFY(formatAt(doc, 2).fontItalic());
    QVERIFY(formatAt(doc, 3).fontUnderline());
    QVERIFY(!formatAt(doc, 4).fontUnderline());
    QCOMPARE(formatAt(doc, 5).foreground().color(), QColor(255, 0, 0));
    QCOMPARE(formatAt(doc, 5).fontPointSize(), 18.0);
    QVERIFY(!formatAt(doc, 6).hasProperty(QTextFormat::FontPointSize));
    QCOMPARE(doc.blockCount(), 2);
}

void TestRtfReader::moreCharacterFormats() {
    QTextDocument doc;
    readRtf(rtf("{\\strike s}{\\super p}{\\sub b}{\\super\\nosupersub n}{\\highlight1 h}{\\b\\plain x}"
                "{\\f1 a}{\\v hidden}{\\b\\b0 z}"),
            &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("spbnhxaz"));
    QVERIFY(formatAt(doc, 0).fontStrikeOut());
    QCOMPARE(formatAt(doc, 1).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    QCOMPARE(formatAt(doc, 2).verticalAlignment(), QTextCharFormat::AlignSubScript);
    QCOMPARE(formatAt(doc, 3).verticalAlignment(), QTextCharFormat::AlignNormal);
    QCOMPARE(formatAt(doc, 4).background().color(), QColor(255, 0, 0));
    QVERIFY(formatAt(doc, 5).fontWeight() < QFont::DemiBold);
    QCOMPARE(formatAt(doc, 6).fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
    // the default font is left to the program, and a font table name in GBK is decoded
    QVERIFY(formatAt(doc, 5).fontFamilies().toStringList().isEmpty());
    QVERIFY(formatAt(doc, 7).fontWeight() < QFont::DemiBold);
}

void TestRtfReader::paragraphStructure_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("blocks");
    QTest::newRow("final par leaves no empty paragraph")
        << QByteArray("a\\par b\\par ") << QStringList{"a", "b"};
    QTest::newRow("no final par") << QByteArray("a\\par b") << QStringList{"a", "b"};
    QTest::newRow("empty paragraphs kept")
        << QByteArray("a\\par\\par b\\par\\par ") << QStringList{"a", "", "b", ""};
    QTest::newRow("leading par") << QByteArray("\\par a") << QStringList{"", "a"};
    QTest::newRow("empty document") << QByteArray("") << QStringList{""};
    QTest::newRow("line and tab") << QByteArray("a\\line b\\tab c") << QStringList{QString("a\u2028b\tc")};
    QTest::newRow("backslash newline is par") << QByteArray("a\\\nb") << QStringList{"a", "b"};
    QTest::newRow("line breaks in source ignored") << QByteArray("a\r\nb") << QStringList{"ab"};
    QTest::newRow("special characters")
        << QByteArray("\\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote\\~")
        << QStringList{QString::fromUtf8("—–•‘’“”\u00a0")};
    QTest::newRow("text after document ignored") << QByteArray("a}b{c") << QStringList{"a"};
}

void TestRtfReader::paragraphStructure() {
    QFETCH(QByteArray, body);
    QFETCH(QStringList, blocks);
    QTextDocument doc;
    readRtf(rtf(body), &doc);
    QStringList actual;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        actual.append(b.text());
    QCOMPARE(actual, blocks);
}

void TestRtfReader::paragraphFormats() {
    QTextDocument doc;
    readRtf(rtf("\\pard\\qc centre\\par\\qr right\\par\\pard\\qj\\li300\\ri150\\fi-150\\sb60\\sa120 just\\par"
                "\\pard\\sl-300 exact\\par\\pard\\sl360\\slmult1 multiple\\par\\pard left\\page next\\par"),
            &doc);
    QCOMPARE(doc.blockCount(), 7);
    auto block = [&](int n) { return doc.findBlockByNumber(n).blockFormat(); };
    QCOMPARE(block(0).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(block(1).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight); // \qr kept without \pard
    QCOMPARE(block(2).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
    QCOMPARE(block(2).leftMargin(), 20.0); // 15 twips to the pixel
    QCOMPARE(block(2).rightMargin(), 10.0);
    QCOMPARE(block(2).textIndent(), -10.0);
    QCOMPARE(block(2).topMargin(), 4.0);
    QCOMPARE(block(2).bottomMargin(), 8.0);
    QCOMPARE(block(3).lineHeightType(), int(QTextBlockFormat::FixedHeight));
    QCOMPARE(block(3).lineHeight(), 20.0);
    QCOMPARE(block(4).lineHeightType(), int(QTextBlockFormat::ProportionalHeight));
    QCOMPARE(block(4).lineHeight(), 150.0);
    QCOMPARE(block(5).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    QCOMPARE(block(5).leftMargin(), 0.0);
    QCOMPARE(block(5).pageBreakPolicy(), QTextFormat::PageBreak_Auto);
    QCOMPARE(block(6).pageBreakPolicy(), QTextFormat::PageBreak_AlwaysBefore);
}

void TestRtfReader::destinationsAreSkipped() {
    const QByteArray data =
        "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134{\\*\\panose 02010600030101010101}"
        "\\'cb\\'ce\\'cc\\'e5{\\*\\falt SimSun};}}{\\stylesheet{\\s1 heading 1;}}{\\info{\\title T}{\\author "
        "A}}"
        "{\\*\\generator Writer 1.0;}{\\header head}\\viewkind4 a{\\*\\unknown hidden}b"
        "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}{\\*\\bkmkstart m}c{\\footnote note}"
        "{\\pntext 1.\\tab}item}";
    QTextDocument doc;
    readRtf(data, &doc);
    // The footnote is kept, after the text.
    QCOMPARE(doc.toPlainText(), QStringLiteral("ablinkc1.\titem\nnote"));
    QCOMPARE(plainText(data), QStringLiteral("ablinkc1.\titem\nnote"));
}

void TestRtfReader::tables() {
    const QByteArray body = "before\\par\r\n"
                            "\\trowd\\trgaph108\\cellx1500\\cellx4500\r\n"
                            "\\pard\\intbl A1\\cell {\\b B1}\\par second\\cell\\row\r\n"
                            "\\trowd\\trgaph108\\cellx1500\\cellx4500\r\n"
                            "\\pard\\intbl\\cell B2\\cell\\row\r\n"
                            "\\pard after\\par ";
    QTextDocument doc;
    readRtf(rtf(body), &doc);
    QTextTable* table = firstTable(doc);
    QVERIFY(table);
    QCOMPARE(table->rows(), 2);
    QCOMPARE(table->columns(), 2);
    QCOMPARE(cellText(table, 0, 0), QStringLiteral("A1"));
    QCOMPARE(cellText(table, 0, 1), QStringLiteral("B1\u2029second"));
    QCOMPARE(cellText(table, 1, 0), QString());
    QCOMPARE(cellText(table, 1, 1), QStringLiteral("B2"));
    const QList<QTextLength> widths = table->format().columnWidthConstraints();
    QCOMPARE(widths.size(), 2);
    QCOMPARE(widths[0].rawValue(), 100.0);
    QCOMPARE(widths[1].rawValue(), 200.0);
    QCOMPARE(doc.begin().text(), QStringLiteral("before"));
    QCOMPARE(doc.lastBlock().text(), QStringLiteral("after"));
    QCOMPARE(plainText(rtf(body)), QStringLiteral("before\nA1\tB1\nsecond\n\tB2\nafter"));
}

void TestRtfReader::tableRowsOfDifferentWidth() {
    // Rows with more cells than the first widen the table.
    QTextDocument doc;
    readRtf(rtf("\\trowd\\cellx1000\\intbl a\\cell\\row\\trowd\\cellx1000\\cellx2000\\cellx3000"
                "\\intbl b\\cell c\\cell d\\cell\\row"),
            &doc);
    QTextTable* table = firstTable(doc);
    QVERIFY(table);
    QCOMPARE(table->rows(), 2);
    QCOMPARE(table->columns(), 3);
    QCOMPARE(cellText(table, 0, 0), QStringLiteral("a"));
    QCOMPARE(cellText(table, 1, 2), QStringLiteral("d"));
}

void TestRtfReader::pictures() {
    const QByteArray png = encodeImage(testImage(40, 20), "PNG");
    const QByteArray jpeg = encodeImage(testImage(30, 30), "JPEG");
    const QByteArray body =
        "x{\\pict\\pngblip\\picw40\\pich20\\picwgoal1200\\pichgoal600 " + png.toHex() +
        "}y{\\*\\shppict{\\pict{\\*\\blipuid 0123abcd}\\jpegblip\\picscalex50\\picscaley200 " + jpeg.toHex() +
        "}}{\\nonshppict{\\pict\\wmetafile8 0102}}" + "{\\pict\\pngblip\\bin" +
        QByteArray::number(png.size()) + " " + png + "}";
    QTextDocument doc;
    readRtf(rtf(body), &doc);
    const QList<QTextImageFormat> found = images(doc);
    QCOMPARE(found.size(), 3);
    QCOMPARE(found[0].width(), 80.0); // 1200 twips
    QCOMPARE(found[0].height(), 40.0);
    QCOMPARE(found[1].width(), 15.0); // no goal size: the picture's own pixels, scaled
    QCOMPARE(found[1].height(), 60.0);
    QCOMPARE(found[2].width(), 40.0);
    const QImage first = doc.resource(QTextDocument::ImageResource, QUrl(found[0].name())).value<QImage>();
    QCOMPARE(first.size(), QSize(40, 20));
    QCOMPARE(first.pixelColor(5, 5), QColor(20, 120, 220));
    QVERIFY(found[0].name() != found[2].name());
    QCOMPARE(plainText(rtf(body)), QStringLiteral("x\uFFFCy\uFFFC\uFFFC"));
}

void TestRtfReader::picturesThatCannotBeShown_data() {
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<QSizeF>("shownSize");
    QTest::newRow("metafile") << QByteArray("\\wmetafile8\\picwgoal1500\\pichgoal750 0100090000")
                              << QSizeF(100, 50);
    QTest::newRow("emf without size") << QByteArray("\\emfblip 01000000") << QSizeF(96, 72);
    QTest::newRow("broken png") << QByteArray("\\pngblip\\picwgoal300\\pichgoal300 89504e470d0a1a0a0000")
                                << QSizeF(20, 20);
    QTest::newRow("huge goal") << QByteArray("\\pngblip\\picwgoal2000000000\\pichgoal-5 00")
                               << QSizeF(96, 72);
    QTest::newRow("no data") << QByteArray("\\jpegblip\\picwgoal150\\pichgoal150") << QSizeF(10, 10);
}

void TestRtfReader::picturesThatCannotBeShown() {
    // Shown as a visible box of the intended size, never dropped and never an error.
    QFETCH(QByteArray, picture);
    QFETCH(QSizeF, shownSize);
    QTextDocument doc;
    readRtf(rtf("a{\\pict" + picture + "}b"), &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("a\uFFFCb"));
    const QList<QTextImageFormat> found = images(doc);
    QCOMPARE(found.size(), 1);
    QCOMPARE(QSizeF(found[0].width(), found[0].height()), shownSize);
    const QImage box = doc.resource(QTextDocument::ImageResource, QUrl(found[0].name())).value<QImage>();
    QVERIFY(!box.isNull());
}

void TestRtfReader::plainBlobs_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("text");
    QTest::newRow("utf-8") << QString::fromUtf8("增值税\n第二行").toUtf8()
                           << QString::fromUtf8("增值税\n第二行");
    QTest::newRow("utf-8 with bom") << QByteArray("\xEF\xBB\xBF") + QString::fromUtf8("税").toUtf8()
                                    << QString::fromUtf8("税");
    QTest::newRow("gbk") << QByteArray("\xd4\xf6\xd6\xb5\xcb\xb0\r\nA") << QString::fromUtf8("增值税\nA");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("rtf-like but not rtf") << QByteArray("{\\rt") << QStringLiteral("{\\rt");
    QTest::newRow("rtf after white space") << QByteArray(" \r\n{\\rtf1 x}") << QStringLiteral("x");
}

void TestRtfReader::plainBlobs() {
    QFETCH(QByteArray, data);
    QFETCH(QString, text);
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("left over from before"));
    readRtf(data, &doc);
    QCOMPARE(doc.toPlainText(), text);
    QCOMPARE(plainText(data), text);
}

void TestRtfReader::associatedEastAsianProperties() {
    // An office suite gives the weight and size of Chinese text as associated properties after \\dbch,
    // while \\b and \\fs describe the Latin text of the same run.
    QTextDocument doc;
    readRtf(rtf("{\\loch\\f1\\hich\\af1\\dbch\\af0\\ab\\afs32 \\'d6\\'d0x}"
                "{\\b\\fs20\\dbch\\ab0\\ai\\afs28 \\'ce\\'c4y}"
                "{\\rtlch\\ab\\afs40\\ltrch \\'d7\\'d6}"
                "{\\dbch\\ab\\afs30 \\u22269?\\uc1 z{\\plain \\'c3\\'c7}}"),
            &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("中x文y字国z们"));
    QCOMPARE(formatAt(doc, 0).fontWeight(), int(QFont::Bold));
    QCOMPARE(formatAt(doc, 0).fontPointSize(), 16.0);
    QVERIFY(formatAt(doc, 1).fontWeight() < QFont::DemiBold); // the Latin letter keeps its own format
    QVERIFY(!formatAt(doc, 1).hasProperty(QTextFormat::FontPointSize));
    QVERIFY(formatAt(doc, 2).fontWeight() < QFont::DemiBold); // \\ab0 for the Chinese beside \\b
    QVERIFY(formatAt(doc, 2).fontItalic());
    QCOMPARE(formatAt(doc, 2).fontPointSize(), 14.0);
    QCOMPARE(formatAt(doc, 3).fontWeight(), int(QFont::Bold));
    QCOMPARE(formatAt(doc, 3).fontPointSize(), 10.0);
    QVERIFY(!formatAt(doc, 3).fontItalic());
    // Associated properties of right-to-left text are not those of Chinese text.
    QVERIFY(formatAt(doc, 4).fontWeight() < QFont::DemiBold);
    QVERIFY(!formatAt(doc, 4).hasProperty(QTextFormat::FontPointSize));
    // A character given as \\u is Chinese text too; \\plain ends the associated properties.
    QCOMPARE(formatAt(doc, 5).fontWeight(), int(QFont::Bold));
    QCOMPARE(formatAt(doc, 5).fontPointSize(), 15.0);
    QVERIFY(formatAt(doc, 6).fontWeight() < QFont::DemiBold);
    QVERIFY(formatAt(doc, 7).fontWeight() < QFont::DemiBold);
}

void TestRtfReader::raisedAndLoweredText() {
    QTextDocument doc;
    readRtf(rtf("H{\\dn4 2}O x{\\up6 2}{\\up6\\up0 n}{\\dn 3}"), &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("H2O x2n3"));
    QCOMPARE(formatAt(doc, 1).verticalAlignment(), QTextCharFormat::AlignSubScript);
    QCOMPARE(formatAt(doc, 2).verticalAlignment(), QTextCharFormat::AlignNormal);
    QCOMPARE(formatAt(doc, 5).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    QCOMPARE(formatAt(doc, 6).verticalAlignment(), QTextCharFormat::AlignNormal);
    QCOMPARE(formatAt(doc, 7).verticalAlignment(), QTextCharFormat::AlignSubScript);
}

void TestRtfReader::tabStops() {
    QTextDocument doc;
    readRtf(rtf("\\pard\\tx720\\tqr\\tx4320\\tqc\\tldot\\tx2010\\tqdec\\tx3000\\tb\\tx600 a\\tab b\\par "
                "second\\par\\pard third\\par"),
            &doc);
    QCOMPARE(doc.blockCount(), 3);
    const QList<QTextOption::Tab> tabs = doc.firstBlock().blockFormat().tabPositions();
    QCOMPARE(tabs.size(), 5);
    QCOMPARE(tabs[0].position, 48.0); // 15 twips to the pixel
    QCOMPARE(tabs[0].type, QTextOption::LeftTab);
    QCOMPARE(tabs[1].position, 288.0);
    QCOMPARE(tabs[1].type, QTextOption::RightTab);
    QCOMPARE(tabs[2].position, 134.0);
    QCOMPARE(tabs[2].type, QTextOption::CenterTab);
    QCOMPARE(tabs[3].type, QTextOption::DelimiterTab);
    QCOMPARE(tabs[3].delimiter, QChar(u'.'));
    QCOMPARE(tabs[4].type, QTextOption::LeftTab); // \\tb marks a bar, not the kind of the next stop
    QCOMPARE(doc.findBlockByNumber(1).blockFormat().tabPositions().size(), 5); // kept until \\pard
    QVERIFY(doc.findBlockByNumber(2).blockFormat().tabPositions().isEmpty());
    QCOMPARE(doc.firstBlock().text(), QStringLiteral("a\tb"));
}

void TestRtfReader::footnotesFollowTheText() {
    // A word processor's footnotes: the reference mark in the text, the note after the text.
    const QByteArray word = rtf("Text{\\cs15\\super\\chftn}{\\footnote\\pard\\plain{\\cs15\\super\\chftn} "
                                "Note \\'d2\\'bb.}more{\\super\\chftn{\\footnote\\pard\\plain{\\super\\chftn}"
                                " Note two{\\footnote nested}.\\par Second paragraph.}}\\par ");
    QTextDocument doc;
    readRtf(word, &doc);
    QStringList blocks;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        blocks << b.text();
    QCOMPARE(blocks, (QStringList{QStringLiteral("Text1more2"), QStringLiteral("1 Note 一."),
                                  QStringLiteral("2 Note two."), QStringLiteral("Second paragraph.")}));
    QCOMPARE(formatAt(doc, 4).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    QCOMPARE(formatAt(doc, 5).verticalAlignment(), QTextCharFormat::AlignNormal);
    const int note = doc.findBlockByNumber(1).position();
    QCOMPARE(formatAt(doc, note).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    QCOMPARE(formatAt(doc, note + 2).verticalAlignment(), QTextCharFormat::AlignNormal);
    QCOMPARE(plainText(word), QStringLiteral("Text1more2\n1 Note 一.\n2 Note two.\nSecond paragraph."));

    // A document converter's: an optional destination; a footnote in a table cell; a table at the end.
    const QByteArray converter =
        rtf("{\\pard a{\\super\\chftn}{\\*\\footnote\\chftn\\~\\plain\\pard x}\\par}"
            "\\trowd\\cellx1000\\cellx2000\\pard\\intbl c{\\footnote\\pard y}\\cell d\\cell\\row");
    QTextDocument converted;
    readRtf(converter, &converted);
    QTextTable* table = firstTable(converted);
    QVERIFY(table);
    QCOMPARE(table->rows(), 1);
    QCOMPARE(cellText(table, 0, 0), QStringLiteral("c"));
    QCOMPARE(cellText(table, 0, 1), QStringLiteral("d"));
    QCOMPARE(converted.begin().text(), QStringLiteral("a1"));
    QCOMPARE(converted.lastBlock().previous().text(), QString(QStringLiteral("1\u00a0x")));
    QCOMPARE(converted.lastBlock().text(), QStringLiteral("y"));
    QCOMPARE(plainText(converter), QStringLiteral("a1\nc\td\n1 x\ny"));
}

void TestRtfReader::paragraphMarkBeforeCellEnd() {
    const QByteArray body =
        "\\trowd\\cellx1000\\cellx2000\\cellx3000\\pard\\intbl\\qc a\\par\\cell b\\par\\par\\cell"
        "\\par\\cell\\row\\pard after\\par";
    QTextDocument doc;
    readRtf(rtf(body), &doc);
    QTextTable* table = firstTable(doc);
    QVERIFY(table);
    QCOMPARE(cellText(table, 0, 0), QStringLiteral("a")); // no empty line under the text
    QCOMPARE(table->cellAt(0, 0).firstCursorPosition().blockFormat().alignment() & Qt::AlignHorizontal_Mask,
             Qt::AlignHCenter);
    QCOMPARE(cellText(table, 0, 1), QStringLiteral("b\u2029")); // two marks: one empty line
    QCOMPARE(cellText(table, 0, 2), QString());
    QCOMPARE(doc.lastBlock().text(), QStringLiteral("after"));
    QCOMPARE(plainText(rtf(body)), QStringLiteral("a\tb\n\t\nafter"));
    // The writer keeps a cell's last empty line.
    QTextDocument again;
    readRtf(richtext::writeRtf(doc), &again);
    QTextTable* copy = firstTable(again);
    QVERIFY(copy);
    for (int c = 0; c < 3; ++c)
        QCOMPARE(cellText(copy, 0, c), cellText(table, 0, c));
}

void TestRtfReader::loneSurrogatesBecomeReplacementCharacters_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("high alone") << QByteArray("\\u-10179?x") << QStringLiteral("\uFFFDx");
    QTest::newRow("low alone") << QByteArray("x\\u-8704?") << QStringLiteral("x\uFFFD");
    QTest::newRow("high at the end") << QByteArray("x\\u-10179?") << QStringLiteral("x\uFFFD");
    QTest::newRow("two highs, then a pair")
        << QByteArray("\\u-10179?\\u-10179?\\u-8704?") << QString(QChar(0xFFFD)) + QString::fromUtf8("😀");
    QTest::newRow("swapped pair") << QByteArray("\\u-8704?\\u-10179?") << QStringLiteral("\uFFFD\uFFFD");
    QTest::newRow("pair split by a paragraph")
        << QByteArray("\\u-10179?\\par\\u-8704?") << QStringLiteral("\uFFFD\n\uFFFD");
    QTest::newRow("in a font name") << QByteArray("{\\fonttbl{\\f5\\fnil A\\u-10179?B;}}\\f5 x")
                                    << QStringLiteral("x");
}

void TestRtfReader::loneSurrogatesBecomeReplacementCharacters() {
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QTextDocument doc;
    readRtf(rtf(body), &doc);
    QCOMPARE(doc.toPlainText(), text);
    QCOMPARE(plainText(rtf(body)), text);
    for (const QChar c : doc.toPlainText())
        QVERIFY(!c.isSurrogate() || text.contains(c));
    // Kept as they are through the writer.
    QTextDocument again;
    readRtf(richtext::writeRtf(doc), &again);
    QCOMPARE(again.toPlainText(), text);
    if (QTest::currentDataTag() == QByteArrayLiteral("in a font name")) {
        const QStringList families = formatAt(doc, 0).fontFamilies().toStringList();
        QCOMPARE(families, QStringList{QStringLiteral("A\uFFFDB")});
    }
}

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
