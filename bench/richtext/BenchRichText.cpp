// Times the RTF reader and writer on a typical stem and on a 1 MB document with a picture, each
// beside Qt's own HTML import and export of the same document as the baseline, and prints the
// medians and their ratio. Run a Release build: bench_richtext [rounds]
#include "richtext/RichText.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double medianMicroseconds(int rounds, const std::function<void()>& work) {
    std::vector<double> times;
    times.reserve(rounds);
    work(); // warm-up: codecs, image plug-ins, caches
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void report(const char* what, qsizetype bytes, double ours, double baseline) {
    std::printf("%-34s %9lld B %10.1f us   Qt HTML %10.1f us   ratio %5.2f\n", what,
                static_cast<long long>(bytes), ours, baseline, ours / baseline);
}

// A single-choice stem the way the bank holds them: a sentence with a bold phrase, four options
// and a coloured hint. About 2 KB of RTF.
QTextDocument* makeStem() {
    auto* doc = new QTextDocument;
    QTextCursor c(doc);
    QTextCharFormat plain;
    plain.setFontPointSize(10.5);
    QTextCharFormat bold = plain;
    bold.setFontWeight(QFont::Bold);
    c.insertText(QStringLiteral("某企业为增值税一般纳税人，2023年5月发生下列业务："), plain);
    c.insertText(QStringLiteral("销售货物取得不含税收入100万元"), bold);
    c.insertText(
        QStringLiteral("，另收取包装物押金2万元，逾期未退还。该企业当月应纳增值税的计税依据是（  ）。"),
        plain);
    for (const char* option : {"A．100万元", "B．101.77万元", "C．102万元", "D．102.26万元"}) {
        c.insertBlock();
        c.insertText(QString::fromUtf8(option), plain);
    }
    c.insertBlock();
    QTextCharFormat red = plain;
    red.setForeground(QColor(192, 0, 0));
    c.insertText(QStringLiteral("提示："), red);
    c.insertText(
        QStringLiteral(
            "押金逾期未退还的，应换算为不含税收入并入销售额；"
            "包装物租金属于价外费用，同样应当换算后并入销售额计算销项税额。"
            "本题考查销售额的确定，注意含税与不含税的换算公式：不含税销售额＝含税销售额÷（1＋税率）。"),
        plain);
    return doc;
}

QByteArray noisePng(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = random.generate() | 0xFF000000u;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// About 1 MB of RTF: a picture of about 440 KB (twice that in hex) and some pages of text.
QTextDocument* makeLargeDocument() {
    auto* doc = new QTextDocument;
    doc->addResource(QTextDocument::ImageResource, QUrl("figure.png"), noisePng(380, 380));
    QTextCursor c(doc);
    for (int i = 0; i < 80; ++i) {
        c.insertText(
            QStringLiteral(
                "第%1段：根据企业所得税法的规定，下列各项中，在计算应纳税所得额时准予扣除的是哪些项目？")
                .arg(i + 1));
        c.insertBlock();
        if (i == 10) {
            QTextImageFormat image;
            image.setName("figure.png");
            image.setWidth(480);
            image.setHeight(360);
            c.insertImage(image);
            c.insertBlock();
        }
    }
    return doc;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? qMax(1, atoi(argv[1])) : 200;
    const int largeRounds = qMax(1, rounds / 10);

    std::printf("rich text benchmark, median of %d rounds (%d for the large document)\n", rounds,
                largeRounds);

    QScopedPointer<QTextDocument> stem(makeStem());
    const QByteArray stemRtf = richtext::writeRtf(*stem);
    const QString stemHtml = stem->toHtml();
    QTextDocument target;

    const double readStem = medianMicroseconds(rounds, [&] { richtext::readRtf(stemRtf, &target); });
    const double readStemHtml = medianMicroseconds(rounds, [&] { target.setHtml(stemHtml); });
    report("read stem", stemRtf.size(), readStem, readStemHtml);

    QTextDocument stemBack;
    richtext::readRtf(stemRtf, &stemBack);
    const double writeStem = medianMicroseconds(rounds, [&] { (void)richtext::writeRtf(stemBack); });
    const double writeStemHtml = medianMicroseconds(rounds, [&] { (void)stemBack.toHtml(); });
    report("write stem", stemRtf.size(), writeStem, writeStemHtml);

    const double plainStem = medianMicroseconds(rounds, [&] { (void)richtext::plainText(stemRtf); });
    const double plainStemQt = medianMicroseconds(rounds, [&] {
        QTextDocument doc;
        doc.setHtml(stemHtml);
        (void)doc.toPlainText();
    });
    report("plain text of stem", stemRtf.size(), plainStem, plainStemQt);

    QScopedPointer<QTextDocument> large(makeLargeDocument());
    const QByteArray largeRtf = richtext::writeRtf(*large);
    QTextDocument largeBack;
    richtext::readRtf(largeRtf, &largeBack);
    // Qt's HTML cannot carry the picture inline; its baseline reads the same text with an image
    // reference whose resource is already decoded, so it is cheaper than the work done here.
    const QString largeHtml = largeBack.toHtml();
    const double readLarge = medianMicroseconds(largeRounds, [&] { richtext::readRtf(largeRtf, &target); });
    const double readLargeHtml = medianMicroseconds(largeRounds, [&] { target.setHtml(largeHtml); });
    report("read 1 MB with picture", largeRtf.size(), readLarge, readLargeHtml);

    const double writeLarge = medianMicroseconds(largeRounds, [&] { (void)richtext::writeRtf(largeBack); });
    const double writeLargeHtml = medianMicroseconds(largeRounds, [&] { (void)largeBack.toHtml(); });
    report("write 1 MB read from RTF", largeRtf.size(), writeLarge, writeLargeHtml);

    // A picture that exists only decoded (pasted into an editor) has to be encoded as PNG.
    QTextDocument pasted;
    pasted.addResource(QTextDocument::ImageResource, QUrl("pasted"), QImage::fromData(noisePng(240, 180)));
    QTextCursor(&pasted).insertImage(QStringLiteral("pasted"));
    const double writePasted = medianMicroseconds(largeRounds, [&] { (void)richtext::writeRtf(pasted); });
    const double writePastedHtml = medianMicroseconds(largeRounds, [&] { (void)pasted.toHtml(); });
    report("write decoded picture (PNG)", richtext::writeRtf(pasted).size(), writePasted, writePastedHtml);
    return 0;
}
