#include "richtext/RichText.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

using richtext::plainText;
using richtext::readRtf;

namespace {

// A stem the way a Chinese word processor stores it.
const QByteArray kHeader = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}"
                           "{\\f1\\fswiss\\fcharset0 Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}\r\n";

QByteArray rtf(const QByteArray& body) { return kHeader + body + "}"; }

QTextCharFormat formatAt(const QTextDocument& doc, int position) {
    QTextCursor cursor(const_cast<QTextDocument*>(&doc));
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

} // namespace

class TestRtfReader : public QObject {
    Q_OBJECT
private slots:
    void decodesGbkPairsAndUnicode_data();
    void decodesGbkPairsAndUnicode();
    void characterFormats();
};

void TestRtfReader::decodesGbkPairsAndUnicode_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("gbk pairs") << QByteArray("\\f0 \\'c4\\'e3\\'ba\\'c3") << QStringLiteral("你好");
    QTest::newRow("unicode with fallback") << QByteArray("\\u20320?\\u22909?") << QStringLiteral("你好");
    QTest::newRow("uc2 gbk fallback") << QByteArray("\\uc2\\u20320\\'c4\\'e3A") << QStringLiteral("你A");
    QTest::newRow("uc1 but gbk pair fallback") << QByteArray("\\uc1\\u20320\\'c4\\'e3A") << QStringLiteral("你A");
    QTest::newRow("uc0 no fallback") << QByteArray("\\uc0\\u20320\\u22909 A") << QStringLiteral("你好A");
    QTest::newRow("negative u") << QByteArray("\\u-3913?") << QString(QChar(0xF0B7));
    QTest::newRow("surrogates") << QByteArray("\\u-10179?\\u-8704?") << QString::fromUtf8("😀");
    QTest::newRow("latin font") << QByteArray("\\f1 caf\\'e9") << QString::fromUtf8("café");
    QTest::newRow("font switch") << QByteArray("{\\f1 \\'e9}{\\f0 \\'c4\\'e3}") << QString::fromUtf8("é你");
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

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
