#pragma once

#include <QByteArrayView>

namespace richtext::detail {

// The value of a hexadecimal digit, or -1.
int hexValue(char c);

struct RtfToken {
    enum Kind { End, GroupOpen, GroupClose, Word, Symbol, Hex, Text, Binary };
    Kind kind = End;
    QByteArrayView word; // Word: the letters; Text and Binary: the bytes
    int param = 0;       // Word: the numeric parameter, saturated to the int range
    bool hasParam = false;
    unsigned char value = 0; // Symbol: the character; Hex: the byte
};

// Splits RTF bytes into tokens. Never reads past the end: a truncated escape yields nothing, and
// \binN takes at most the bytes that are left.
class RtfTokenizer {
public:
    explicit RtfTokenizer(QByteArrayView data) : m_data(data) {}

    RtfToken next();
    qsizetype position() const { return m_pos; }

private:
    RtfToken readEscape();

    QByteArrayView m_data;
    qsizetype m_pos = 0;
};

} // namespace richtext::detail
