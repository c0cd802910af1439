#include "richtext/RtfTokenizer.h"

#include <climits>

namespace richtext::detail {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

namespace {

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

RtfToken RtfTokenizer::next() {
    const qsizetype size = m_data.size();
    while (m_pos < size) {
        const char c = m_data[m_pos];
        if (c == '{') {
            ++m_pos;
            return {RtfToken::GroupOpen};
        }
        if (c == '}') {
            ++m_pos;
            return {RtfToken::GroupClose};
        }
        if (c == '\\') {
            RtfToken token = readEscape();
            if (token.kind != RtfToken::End)
                return token;
            continue; // a malformed escape: nothing to report, go on after it
        }
        const qsizetype start = m_pos;
        while (m_pos < size && m_data[m_pos] != '{' && m_data[m_pos] != '}' && m_data[m_pos] != '\\')
            ++m_pos;
        RtfToken token{RtfToken::Text};
        token.word = m_data.sliced(start, m_pos - start);
        return token;
    }
    return {};
}

RtfToken RtfTokenizer::readEscape() {
    const qsizetype size = m_data.size();
    ++m_pos; // the backslash
    if (m_pos >= size)
        return {};
    const char c = m_data[m_pos];
    if (isLetter(c)) {
        const qsizetype start = m_pos;
        while (m_pos < size && isLetter(m_data[m_pos]))
            ++m_pos;
        RtfToken token{RtfToken::Word};
        token.word = m_data.sliced(start, m_pos - start);
        bool negative = false;
        if (m_pos + 1 < size && m_data[m_pos] == '-' && isDigit(m_data[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        if (m_pos < size && isDigit(m_data[m_pos])) {
            long long value = 0;
            while (m_pos < size && isDigit(m_data[m_pos])) {
                if (value <= INT_MAX)
                    value = value * 10 + (m_data[m_pos] - '0');
                ++m_pos;
            }
            if (value > INT_MAX)
                value = INT_MAX;
            token.param = static_cast<int>(negative ? -value : value);
            token.hasParam = true;
        }
        if (m_pos < size && m_data[m_pos] == ' ')
            ++m_pos;
        if (token.word == "bin" && token.hasParam) {
            const qsizetype length = qBound(qsizetype(0), qsizetype(token.param), size - m_pos);
            token.kind = RtfToken::Binary;
            token.word = m_data.sliced(m_pos, length);
            m_pos += length;
        }
        return token;
    }
    ++m_pos;
    if (c == '\'') {
        if (m_pos + 1 < size) {
            const int high = hexValue(m_data[m_pos]);
            const int low = hexValue(m_data[m_pos + 1]);
            if (high >= 0 && low >= 0) {
                m_pos += 2;
                RtfToken token{RtfToken::Hex};
                token.value = static_cast<unsigned char>(high * 16 + low);
                return token;
            }
        }
        return {}; // truncated or not hex: dropped
    }
    if (c == '\r' || c == '\n') {
        RtfToken token{RtfToken::Word};
        token.word = "par";
        return token;
    }
    RtfToken token{RtfToken::Symbol};
    token.value = static_cast<unsigned char>(c);
    return token;
}

} // namespace richtext::detail
