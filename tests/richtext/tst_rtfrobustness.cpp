#include "richtext/RichText.h"
#include "tests/richtext/DocumentQueries.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QtTest>

using richtext::plainText;
using richtext::readRtf;
using richtext::writeRtf;

namespace {

// What every input must give: a document whose text survives the writer, and the same text again
// when that is written and read once more.
void checkSurvivesRoundTrip(const QByteArray& data) {
    QTextDocument doc;
    readRtf(data, &doc);
    (void)plainText(data);
    const QByteArray written = writeRtf(doc);
    for (const char c : written)
        QVERIFY2(static_cast<unsigned char>(c) < 0x80, "the writer emits 7-bit RTF");
    QTextDocument again;
    readRtf(written, &again);
    QCOMPARE(again.toPlainText(), doc.toPlainText());
    QCOMPARE(writeRtf(again), written);
}

// CRC-32 as PNG chunks carry it, to forge a header that claims a giant picture.
quint32 crc32(const QByteArray& data) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= static_cast<unsigned char>(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngClaiming(quint32 width, quint32 height) {
    QByteArray ihdr("IHDR");
    for (const quint32 v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            ihdr.append(static_cast<char>((v >> shift) & 0xFF));
    ihdr.append("\x08\x02\x00\x00\x00", 5);
    QByteArray png("\x89PNG\r\n\x1a\n\x00\x00\x00\x0d", 12);
    png += ihdr;
    const quint32 crc = crc32(ihdr);
    for (int shift = 24; shift >= 0; shift -= 8)
        png.append(static_cast<char>((crc >> shift) & 0xFF));
    return png + QByteArray("\x00\x00\x00\x00IDAT\x00\x00\x00\x00", 12);
}

} // namespace

class TestRtfRobustness : public QObject {
    Q_OBJECT
private slots:
    void malformedInput_data();
    void malformedInput();
    void deepNestingIsBounded();
    void tableSizeIsBounded();
    void paragraphCountIsBounded();
    void pictureBombsBecomePlaceholders();
    void binaryGarbage();
    void samplesAndFoundCrashes_data();
    void samplesAndFoundCrashes();
};

void TestRtfRobustness::malformedInput_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("text");
    QTest::newRow("unclosed groups") << QByteArray("{\\rtf1 a{\\b b{\\i c") << QStringLiteral("abc");
    QTest::newRow("extra closing braces") << QByteArray("{\\rtf1 a}}}}b") << QStringLiteral("a");
    QTest::newRow("hex escape at the end") << QByteArray("{\\rtf1 a\\'") << QStringLiteral("a");
    QTest::newRow("half a hex escape") << QByteArray("{\\rtf1 a\\'4") << QStringLiteral("a4");
    QTest::newRow("not hex") << QByteArray("{\\rtf1 a\\'zzb}") << QStringLiteral("azzb");
    QTest::newRow("backslash at the end") << QByteArray("{\\rtf1 a\\") << QStringLiteral("a");
    QTest::newRow("lead byte at the end") << QByteArray("{\\rtf1\\ansicpg936 a\\'c4}") << QStringLiteral("a");
    QTest::newRow("u without number") << QByteArray("{\\rtf1 a\\u b\\u- c}") << QStringLiteral("ab- c");
    QTest::newRow("huge numbers")
        << QByteArray("{\\rtf1{\\colortbl;\\red99999999999999\\green-5\\blue300;}\\fs99999999999999999999 a"
                      "\\li-99999999999\\fi2147483648\\sl-2147483647\\cf99999999999 b\\uc99999999 \\u20320 c"
                      "\\f-2147483647 d\\cellx99999999999\\picwgoal99999999999\\par}")
        << QStringLiteral("ab你"); // \uc is capped at 10: "cd" and the words between are the fallback
    QTest::newRow("bin longer than the data")
        << QByteArray("{\\rtf1 a\\bin99999999999 xyz") << QStringLiteral("a");
    QTest::newRow("negative bin") << QByteArray("{\\rtf1 a\\bin-5 b}") << QStringLiteral("ab");
    QTest::newRow("nul bytes") << QByteArray("{\\rtf1 a\0b\\'00c}", 16) << QStringLiteral("abc");
    QTest::newRow("control characters from u")
        << QByteArray("{\\rtf1 a\\uc0\\u10 b\\u8233 c\\u64976 d\\u13 e\\u1 f}")
        << QStringLiteral("a\nb\nc"
                          "d\ne"
                          "f");
    QTest::newRow("broken pair with line feed")
        << QByteArray("{\\rtf1\\ansicpg936 \\'81\\'0ax}") << QStringLiteral("\uFFFD\nx");
    QTest::newRow("cell outside any table")
        << QByteArray("{\\rtf1 a\\cell b\\row c}") << QStringLiteral("a\n\nbc");
    QTest::newRow("row outside any table") << QByteArray("{\\rtf1 a\\row b}") << QStringLiteral("ab");
    QTest::newRow("pict cut off") << QByteArray("{\\rtf1 a{\\pict\\pngblip 89504e") << QStringLiteral("a");
    QTest::newRow("font table cut off") << QByteArray("{\\rtf1{\\fonttbl{\\f0 Sim") << QString();
    QTest::newRow("nothing after the magic") << QByteArray("{\\rtf") << QString();
    QTest::newRow("star without word") << QByteArray("{\\rtf1 {\\*}a{\\* b}c}") << QStringLiteral("a bc");
}

void TestRtfRobustness::malformedInput() {
    QFETCH(QByteArray, data);
    QFETCH(QString, text);
    QTextDocument doc;
    readRtf(data, &doc);
    QCOMPARE(doc.toPlainText().replace(QChar::LineSeparator, u'\n'), text);
    checkSurvivesRoundTrip(data);
}

void TestRtfRobustness::deepNestingIsBounded() {
    // Far deeper than any document; the text inside the excess groups is dropped, not the rest.
    const int depth = 100000;
    const QByteArray data =
        "{\\rtf1 start" + QByteArray(depth, '{') + "deep" + QByteArray(depth, '}') + "end}";
    QTextDocument doc;
    readRtf(data, &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("startend"));
    const QByteArray moderate = "{\\rtf1 " + QByteArray(150, '{') + "{\\b x}" + QByteArray(150, '}') + "}";
    readRtf(moderate, &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("x"));
    QCOMPARE(plainText(data), QStringLiteral("startend"));
}

void TestRtfRobustness::tableSizeIsBounded() {
    QByteArray wide = "{\\rtf1\\trowd";
    for (int i = 0; i < 500; ++i)
        wide += "\\cellx" + QByteArray::number(100 * (i + 1));
    wide += "\\intbl";
    for (int i = 0; i < 500; ++i)
        wide += "c\\cell ";
    wide += "\\row}";
    QTextDocument doc;
    readRtf(wide, &doc);
    QTextTable* table = firstTable(doc);
    QVERIFY(table);
    QCOMPARE(table->columns(), 64); // the rest of the row lands in the last cell
    QCOMPARE(table->rows(), 1);
    checkSurvivesRoundTrip(wide);

    QByteArray tall = "{\\rtf1";
    for (int i = 0; i < 10050; ++i)
        tall += "\\trowd\\cellx100\\intbl r\\cell\\row";
    tall += "}";
    readRtf(tall, &doc);
    QCOMPARE(firstTable(doc)->rows(), 10000);
}

void TestRtfRobustness::paragraphCountIsBounded() {
    // Past the bound paragraph marks become spaces and tables plain paragraphs; the text stays.
    QByteArray many = "{\\rtf1 ";
    for (int i = 0; i < 100010; ++i)
        many += "a\\par ";
    many += "\\trowd\\cellx100\\intbl b\\cell\\row}";
    QTextDocument doc;
    readRtf(many, &doc);
    QCOMPARE(doc.blockCount(), 100001);
    QVERIFY(!firstTable(doc));
    QCOMPARE(doc.lastBlock().text(), QStringLiteral("a a a a a a a a a a b"));

    QByteArray tables = "{\\rtf1 ";
    for (int i = 0; i < 210; ++i)
        tables += "\\trowd\\cellx100\\intbl t\\cell\\row\\pard p\\par ";
    tables += "}";
    readRtf(tables, &doc);
    int count = 0;
    for (auto it = doc.rootFrame()->begin(); !it.atEnd(); ++it)
        count += qobject_cast<QTextTable*>(it.currentFrame()) ? 1 : 0;
    QCOMPARE(count, 200);
    QCOMPARE(doc.toPlainText().count(u't'), 210);
}

void TestRtfRobustness::pictureBombsBecomePlaceholders() {
    // A few bytes that claim a 60000 x 60000 picture must not be decoded (14 GB).
    const QByteArray bomb =
        "{\\rtf1 a{\\pict\\pngblip\\picwgoal1500\\pichgoal1500 " + pngClaiming(60000, 60000).toHex() + "}b}";
    QTextDocument doc;
    readRtf(bomb, &doc);
    QCOMPARE(doc.toPlainText(), QStringLiteral("a\uFFFCb"));
    QTextCursor cursor(&doc);
    cursor.setPosition(2);
    const QTextImageFormat format = cursor.charFormat().toImageFormat();
    QCOMPARE(format.width(), 100.0);
    const QImage shown = doc.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
    QVERIFY(!shown.isNull());
    QVERIFY(shown.width() <= 200);

    // Many pictures: after the limit they are placeholders too, and reading still ends.
    QByteArray many = "{\\rtf1 ";
    for (int i = 0; i < 600; ++i)
        many += "{\\pict\\wmetafile8 01}";
    many += "}";
    readRtf(many, &doc);
    QCOMPARE(doc.characterCount(), 601);
}

void TestRtfRobustness::binaryGarbage() {
    QRandomGenerator random(20240607);
    for (int round = 0; round < 200; ++round) {
        QByteArray data = "{\\rtf1\\ansi\\ansicpg936 ";
        const int size = int(random.bounded(4000));
        for (int i = 0; i < size; ++i) {
            // Mostly RTF's own special characters, so that the garbage reaches deep into the reader.
            static const char special[] = "{}\\'*0123456789abcdef uc-";
            data += random.bounded(3) == 0 ? special[random.bounded(int(sizeof special) - 1)]
                                           : static_cast<char>(random.bounded(256));
        }
        checkSurvivesRoundTrip(data);
        if (QTest::currentTestFailed()) {
            qWarning() << "failing input" << data.toBase64();
            return;
        }
    }
}

void TestRtfRobustness::samplesAndFoundCrashes_data() {
    // The fuzzer's seed samples and every input it ever found a fault with.
    QTest::addColumn<QString>("path");
    const QString source = qEnvironmentVariable("VQ_SOURCE_DIR", QStringLiteral(VQ_SOURCE_DIR_FALLBACK));
    int count = 0;
    for (const QString& folder :
         {QStringLiteral("/fuzz/corpus/rtf"), QStringLiteral("/tests/richtext/regressions")}) {
        const QDir dir(source + folder);
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            QTest::newRow(qPrintable(name)) << dir.filePath(name);
            ++count;
        }
    }
    QVERIFY2(count >= 10, "the samples were not found");
}

void TestRtfRobustness::samplesAndFoundCrashes() {
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    QElapsedTimer timer;
    timer.start();
    checkSurvivesRoundTrip(data);
}

QTEST_MAIN(TestRtfRobustness)
#include "tst_rtfrobustness.moc"
