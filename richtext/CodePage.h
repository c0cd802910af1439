#pragma once

#include <QByteArrayView>
#include <QString>

namespace richtext::detail {

// Code page used when neither \ansicpg nor a font says otherwise: every text in the bank is GBK.
inline constexpr int kDefaultCodePage = 936;

// Windows code page for an RTF \fcharset value; DEFAULT_CHARSET and unknown sets use documentCodePage.
int codePageForCharset(int charset, int documentCodePage);

// True when b starts a two-byte character in a double-byte code page (GBK, Big5, Shift-JIS, UHC).
bool isLeadByte(int codePage, unsigned char b);

// Decodes a byte run in any code page a document names. Opening an ICU converter costs more than
// reading a whole stem, so each thread keeps the ones it has opened.
QString decodeBytes(int codePage, QByteArrayView bytes);

// Decodes only when every byte is valid in the code page; false (and out untouched) otherwise.
bool decodeBytesStrictly(int codePage, QByteArrayView bytes, QString* out);

// GBK bytes for one UTF-16 unit: 0 when GBK has no round-trip mapping for it, a value below 0x100
// for a single byte, otherwise lead byte * 256 + trail byte. c must be at least 0x80.
unsigned gbkCode(char16_t c);

// A blob that is not RTF: UTF-8 when it is valid UTF-8, otherwise GBK. Lines end in '\n'; other
// control characters, which no writer could give back, are dropped.
QString decodePlainBlob(QByteArrayView data);

// Makes decoded text safe to insert: QTextCursor turns line feeds, paragraph separators and
// frame marks inside inserted text into structure, which text from \u or a broken byte pair
// must not do. Line breaks become lineBreak (or are dropped when it is null); other control
// characters except tab are dropped, and half a surrogate pair becomes U+FFFD.
void sanitizeText(QString& text, QChar lineBreak);

} // namespace richtext::detail
