// Feeds arbitrary bytes to the RTF reader, and checks that what it read survives the writer:
// reading the written document gives the same text, and writing that again gives the same bytes.
#include "richtext/RichText.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    // Broken pictures make the image plug-ins complain on every run; the fuzzer's output is what counts.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

static void fail(const char* what) {
    std::fprintf(stderr, "round trip broken: %s\n", what);
    std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    QTextDocument doc;
    richtext::readRtf(input, &doc);
    (void)richtext::plainText(input);

    const QByteArray written = richtext::writeRtf(doc);
    for (const char c : written) {
        if (static_cast<unsigned char>(c) >= 0x80)
            fail("the writer produced a byte above 0x7f");
    }
    QTextDocument again;
    richtext::readRtf(written, &again);
    if (again.toPlainText() != doc.toPlainText())
        fail("text changed");
    if (richtext::writeRtf(again) != written)
        fail("writing the document read back gives other bytes");
    return 0;
}
