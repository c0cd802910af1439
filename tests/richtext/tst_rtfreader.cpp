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
    QCOMPARE(doc.toPlainText(), QStringLiteral("ablinkc1.\titem"));
    QCOMPARE(plainText(data), QStringLiteral("ablinkc1.\titem"));
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

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
