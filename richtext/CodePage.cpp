#include "richtext/CodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <atomic>
#include <map>

namespace richtext::detail {

int codePageForCharset(int charset, int documentCodePage) {
    switch (charset) {
    case 0: // ANSI
    case 2: // Symbol: no better choice than the Latin page
        return 1252;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
    case 255:
        return 437;
    default:
        return documentCodePage;
    }
}

bool isLeadByte(int codePage, unsigned char b) {
    switch (codePage) {
    case 936:
    case 949:
    case 950:
        return b >= 0x81 && b <= 0xFE;
    case 932:
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    default:
        return false;
    }
}

namespace {

const char* codecName(int codePage) {
    switch (codePage) {
    case 936:
        return "GBK";
    case 950:
        return "Big5";
    case 932:
        return "windows-31j";
    case 949:
        return "windows-949";
    case 874:
        return "windows-874";
    case 1250:
        return "windows-1250";
    case 1251:
        return "windows-1251";
    case 1253:
        return "windows-1253";
    case 1254:
        return "windows-1254";
    case 1255:
        return "windows-1255";
    case 1256:
        return "windows-1256";
    case 1257:
        return "windows-1257";
    case 1258:
        return "windows-1258";
    case 10000:
        return "macintosh";
    case 437:
        return "IBM437";
    case 850:
        return "IBM850";
    case 65001:
        return "UTF-8";
    case 54936:
        return "GB18030";
    default:
        return "windows-1252";
    }
}

} // namespace

namespace {

QStringDecoder& decoderFor(int codePage) {
    thread_local std::map<int, QStringDecoder> decoders;
    auto it = decoders.find(codePage);
    if (it == decoders.end()) {
        QStringDecoder decoder(codecName(codePage), QStringConverter::Flag::Stateless);
        if (!decoder.isValid())
            decoder = QStringDecoder(QStringConverter::Latin1, QStringConverter::Flag::Stateless);
        it = decoders.emplace(codePage, std::move(decoder)).first;
    }
    return it->second;
}

} // namespace

QString decodeBytes(int codePage, QByteArrayView bytes) {
    if (bytes.isEmpty())
        return {};
    return decoderFor(codePage).decode(bytes);
}

bool decodeBytesStrictly(int codePage, QByteArrayView bytes, QString* out) {
    // Qt's ICU decoders keep their error flag even across resetState(), so validity is checked
    // here: complete lead/trail pairs, and no replacement character for an unmapped pair.
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (isLeadByte(codePage, b)) {
            if (i + 1 >= bytes.size() || static_cast<unsigned char>(bytes[i + 1]) < 0x40)
                return false;
            ++i;
        } else if (b >= 0x80 && codePage != 936) {
            return false; // only GBK has a single byte above 0x7f (0x80, the euro sign)
        }
    }
    QString text = decodeBytes(codePage, bytes);
    if (text.contains(QChar::ReplacementCharacter))
        return false;
    *out = text;
    return true;
}

namespace {

// 0 = not looked up yet, 1 = GBK lacks the character, otherwise the code. Filled lazily because
// ICU is slow per call and a document uses only a few hundred distinct characters.
std::array<std::atomic<unsigned short>, 65536> g_gbkCodes{};

unsigned lookUpGbk(char16_t c) {
    if (c >= 0xD800 && c <= 0xDFFF)
        return 1;
    thread_local QStringEncoder encoder("GBK", QStringConverter::Flag::Stateless);
    thread_local QStringDecoder decoder("GBK", QStringConverter::Flag::Stateless);
    const QChar ch(c);
    const QByteArray bytes = encoder.encode(QStringView(&ch, 1));
    // ICU substitutes '?' or 0x1A for what it cannot map, and maps some characters one way only:
    // only a code that decodes back to the same character is used.
    if (bytes.isEmpty() || bytes.size() > 2 || QString(decoder.decode(bytes)) != QStringView(&ch, 1))
        return 1;
    if (bytes.size() == 1)
        return static_cast<unsigned char>(bytes[0]);
    return static_cast<unsigned char>(bytes[0]) * 256u + static_cast<unsigned char>(bytes[1]);
}

} // namespace

unsigned gbkCode(char16_t c) {
    auto& slot = g_gbkCodes[c];
    unsigned code = slot.load(std::memory_order_relaxed);
    if (code == 0) {
        code = lookUpGbk(c);
        slot.store(static_cast<unsigned short>(code), std::memory_order_relaxed);
    }
    return code == 1 ? 0 : code;
}

void sanitizeText(QString& text, QChar lineBreak) {
    const auto special = [](char16_t c) {
        return c < 0x20 || c == QChar::ParagraphSeparator || c == 0xFDD0 || c == 0xFDD1;
    };
    if (std::none_of(text.cbegin(), text.cend(),
                     [&](QChar c) { return (special(c.unicode()) && c != u'\t') || c.isSurrogate(); }))
        return;
    QString clean;
    clean.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            clean += text[i];
            clean += text[++i];
            continue;
        }
        if (QChar::isSurrogate(c)) {
            clean += QChar::ReplacementCharacter; // half a pair (from \uN) is no character
            continue;
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue; // CR LF is one break
        if (c == '\n' || c == '\r' || c == QChar::ParagraphSeparator) {
            if (!lineBreak.isNull())
                clean += lineBreak;
        } else if (!special(c) || c == '\t') {
            clean += QChar(c);
        }
    }
    text = clean;
}

QString decodePlainBlob(QByteArrayView data) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(data);
    if (utf8.hasError())
        text = decodeBytes(936, data);
    sanitizeText(text, u'\n');
    return text;
}

} // namespace richtext::detail
