#include "richtext/RtfReader.h"
#include "richtext/RtfTokenizer.h"

#include <algorithm>

namespace richtext::detail {

namespace {

constexpr qsizetype kMaxFontName = 128; // characters; real names are a few dozen at most

constexpr int kMaxRowTwips = Limits::kMaxTwips * Limits::kMaxColumns;

int clampTwips(int value) {
    return qBound(-Limits::kMaxTwips, value, Limits::kMaxTwips);
}

} // namespace

bool looksLikeRtf(QByteArrayView data) {
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    qsizetype i = 0;
    while (i < data.size() && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
        ++i;
    return data.sliced(i).startsWith("{\\rtf");
}

RtfReader::RtfReader(QByteArrayView data, RtfSink& sink)
    : m_tokens(data.first(qMin(data.size(), Limits::kMaxInputBytes))), m_mainSink(sink), m_sink(&sink) {
    m_tables.colors.append(QColor());
    m_sink->start(m_tables);
}

void RtfReader::read() {
    for (;;) {
        const RtfToken token = m_tokens.next();
        if (token.kind == RtfToken::End || m_finished)
            break;
        if (token.kind == RtfToken::GroupOpen) {
            openGroup();
            continue;
        }
        if (token.kind == RtfToken::GroupClose) {
            closeGroup();
            continue;
        }
        if (m_overflow > 0 || m_groups.empty())
            continue; // too deep, or outside the document group
        const bool star = m_starPending;
        m_starPending = false;
        switch (token.kind) {
        case RtfToken::Word:
            // Converters write footnotes as an optional destination ({\*\footnote ...}).
            if (star && m_cur.dest != Dest::Skip && lookUpKeyword(token.word).keyword != KwShpPict &&
                lookUpKeyword(token.word).keyword != KwFootnote) {
                m_cur.dest = Dest::Skip; // an optional destination we do not know
                break;
            }
            word(token);
            break;
        case RtfToken::Symbol:
            symbol(token.value);
            break;
        case RtfToken::Hex:
            hexByte(token.value);
            break;
        case RtfToken::Text:
            textBytes(token.word);
            break;
        case RtfToken::Binary:
            if (m_cur.dest == Dest::Picture && !m_pictureTooBig) {
                if (m_picture.data.size() + token.word.size() > Limits::kMaxPictureBytes)
                    m_pictureTooBig = true;
                else
                    m_picture.data.append(token.word);
            } else if (m_skip > 0) {
                --m_skip;
            }
            break;
        default:
            break;
        }
    }
    finish();
}

void RtfReader::openGroup() {
    m_skip = 0;
    m_skipTrail = false;
    m_starPending = false;
    if (m_overflow > 0 || static_cast<int>(m_groups.size()) >= Limits::kMaxDepth) {
        ++m_overflow;
        return;
    }
    m_groups.push_back(m_cur);
}

void RtfReader::closeGroup() {
    m_skip = 0;
    m_skipTrail = false;
    m_starPending = false;
    if (m_overflow > 0) {
        --m_overflow;
        return;
    }
    if (m_groups.empty())
        return;
    const Dest closing = m_cur.dest;
    if (closing == Dest::FontTable)
        commitFont();
    if (closing == Dest::Picture && static_cast<int>(m_groups.size()) == m_pictureDepth)
        finishPicture();
    if (static_cast<int>(m_groups.size()) == m_footnoteDepth)
        endFootnote();
    if (m_groups.size() == 1) {
        finish(); // the document group ends; anything after it is not part of the document
        return;
    }
    m_cur = m_groups.back();
    m_groups.pop_back();
}

bool RtfReader::skipFallback(unsigned char byte, bool isHex) {
    if (m_skipTrail) {
        m_skipTrail = false;
        if (isHex)
            return true; // the second half of a double-byte fallback counted as one character
    }
    if (m_skip <= 0)
        return false;
    --m_skip;
    if (m_skip == 0 && isHex && isLeadByte(currentCodePage(), byte))
        m_skipTrail = true;
    return true;
}

void RtfReader::textBytes(QByteArrayView bytes) {
    switch (m_cur.dest) {
    case Dest::Skip:
        return;
    case Dest::Picture:
        if (m_pictureTooBig)
            return;
        readPictureHex(bytes);
        return;
    case Dest::FontTable:
        for (const char ch : bytes) {
            if (ch == '\r' || ch == '\n')
                continue;
            if (m_skip > 0) {
                --m_skip;
                continue;
            }
            if (ch == ';')
                commitFont();
            else if (m_fontOpen && m_fontBytes.size() < 1024)
                m_fontBytes.append(ch);
        }
        return;
    case Dest::ColorTable:
        for (const char ch : bytes) {
            if (ch != ';')
                continue;
            if (m_tables.colors.size() < Limits::kMaxColors)
                m_tables.colors.append(m_colorSet ? QColor(m_red, m_green, m_blue) : QColor());
            m_red = m_green = m_blue = 0;
            m_colorSet = false;
        }
        return;
    case Dest::Normal:
        break;
    }
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b == '\r' || b == '\n')
            continue;
        if (m_skipTrail)
            m_skipTrail = false;
        if (m_skip > 0) {
            --m_skip;
            continue;
        }
        addByte(b);
    }
}

// Pictures are most of a large document: decode their hex straight into the buffer.
void RtfReader::readPictureHex(QByteArrayView bytes) {
    QByteArray& data = m_picture.data;
    const qsizetype start = data.size();
    const qsizetype room = qMin(bytes.size() / 2 + 1, Limits::kMaxPictureBytes - start);
    data.resize(start + room);
    char* out = data.data() + start;
    char* const end = out + room;
    for (const char ch : bytes) {
        const int digit = hexValue(ch);
        if (digit < 0)
            continue;
        if (m_nibble < 0) {
            m_nibble = digit;
            continue;
        }
        if (out == end) {
            m_pictureTooBig = true;
            break;
        }
        *out++ = static_cast<char>(m_nibble * 16 + digit);
        m_nibble = -1;
    }
    data.resize(out - data.data());
}

void RtfReader::hexByte(unsigned char b) {
    switch (m_cur.dest) {
    case Dest::Normal:
        if (!skipFallback(b, true))
            addByte(b);
        return;
    case Dest::FontTable:
        if (skipFallback(b, true))
            return;
        if (m_fontOpen && m_fontBytes.size() < 1024)
            m_fontBytes.append(static_cast<char>(b));
        return;
    default:
        return;
    }
}

void RtfReader::symbol(unsigned char c) {
    if (c == '*') {
        m_starPending = true;
        return;
    }
    if (m_cur.dest == Dest::FontTable) {
        if (!m_fontOpen || skipFallback(c, false))
            return;
        if ((c == '\\' || c == '{' || c == '}') && m_fontBytes.size() < 1024)
            m_fontBytes.append(static_cast<char>(c));
        else if (c == '~')
            addFontChar(QChar::Nbsp);
        else if (c == '-')
            addFontChar(QChar::SoftHyphen);
        else if (c == '_')
            addFontChar(0x2011);
        return;
    }
    if (m_cur.dest != Dest::Normal)
        return;
    if (skipFallback(c, false))
        return;
    switch (c) {
    case '\\':
    case '{':
    case '}':
        addByte(c);
        break; // may be the trail byte of a double-byte character
    case '~':
        addChar(0x00A0);
        break;
    case '_':
        addChar(0x2011);
        break;
    case '-':
        addChar(QChar::SoftHyphen);
        break;
    case '\t':
        addChar('\t');
        break;
    default:
        break; // \: index entries, \| formulas
    }
}

void RtfReader::word(const RtfToken& token) {
    const KeywordInfo info = lookUpKeyword(token.word);
    const int keyword = info.keyword;
    switch (m_cur.dest) {
    case Dest::Skip:
        return;
    case Dest::Normal:
        break;
    case Dest::FontTable:
        fontTableWord(keyword, token);
        return;
    case Dest::Picture:
        pictureWord(keyword, token);
        return;
    case Dest::ColorTable: {
        const int value = qBound(0, token.param, 255);
        if (keyword == KwRed)
            m_red = value;
        else if (keyword == KwGreen)
            m_green = value;
        else if (keyword == KwBlue)
            m_blue = value;
        else
            return;
        m_colorSet = true;
        return;
    }
    }
    if (m_skip > 0 || m_skipTrail) {
        if (keyword != KwU && skipFallback(0, false))
            return;
    }
    normalWord(info, token);
}

void RtfReader::fontTableWord(int keyword, const RtfToken& token) {
    switch (keyword) {
    case KwF:
        commitFont();
        m_fontOpen = true;
        m_fontNumber = token.param;
        m_fontCharset = -1;
        m_fontCodePage = 0;
        break;
    case KwFCharset:
        m_fontCharset = token.param;
        break;
    case KwCpg:
        m_fontCodePage = token.param;
        break;
    case KwSkipDestination:
        m_cur.dest = Dest::Skip;
        break;
    case KwU:
        if (!token.hasParam)
            break;
        addFontChar(static_cast<char16_t>(token.param & 0xFFFF));
        m_skip = m_cur.skipCount;
        break;
    default:
        break;
    }
}

int RtfReader::fontCodePage() const {
    return m_fontCodePage > 0 ? m_fontCodePage : codePageForCharset(m_fontCharset, m_documentCodePage);
}

void RtfReader::addFontChar(char16_t c) {
    if (!m_fontOpen)
        return;
    m_fontName += detail::decodeBytes(fontCodePage(), m_fontBytes);
    m_fontBytes.clear();
    if (m_fontName.size() < kMaxFontName)
        m_fontName += QChar(c);
}

void RtfReader::commitFont() {
    if (!m_fontOpen)
        return;
    m_fontOpen = false;
    const int cp = fontCodePage();
    QString name = m_fontName + detail::decodeBytes(cp, m_fontBytes);
    sanitizeText(name, QChar());
    name.remove(u'\t');
    name.remove(QChar::LineSeparator); // a name is one line of plain characters
    name.truncate(kMaxFontName);
    m_fontName.clear();
    m_fontBytes.clear();
    if (m_tables.fonts.size() >= Limits::kMaxFonts && !m_tables.fonts.contains(m_fontNumber))
        return;
    m_tables.fonts.insert(m_fontNumber, FontEntry{name.trimmed(), cp});
    m_cpFont = -2; // font table changed: look the code page up again
}

void RtfReader::pictureWord(int keyword, const RtfToken& token) {
    const int value = token.param;
    switch (keyword) {
    case KwPicW:
        m_picture.widthPixels = value;
        break;
    case KwPicH:
        m_picture.heightPixels = value;
        break;
    case KwPicWGoal:
        m_picture.goalWidth = value;
        break;
    case KwPicHGoal:
        m_picture.goalHeight = value;
        break;
    case KwPicScaleX:
        m_picture.scaleX = value;
        break;
    case KwPicScaleY:
        m_picture.scaleY = value;
        break;
    case KwPngBlip:
        m_picture.kind = Picture::Png;
        break;
    case KwJpegBlip:
        m_picture.kind = Picture::Jpeg;
        break;
    case KwOtherBlip:
        m_picture.kind = Picture::Unknown;
        break;
    default:
        break;
    }
}

void RtfReader::finishPicture() {
    m_pictureDepth = -1;
    if (m_pictureTooBig || m_pictures >= Limits::kMaxPictures) {
        m_picture.kind = Picture::Unknown; // still shown, as a placeholder
        m_picture.data.clear();
    }
    ++m_pictures;
    // Closing the \pict group: m_cur still holds its state, which is that of the text around it.
    if (!m_cur.chars.hidden && m_groups.back().dest == Dest::Normal) {
        ensureContent();
        flushRun();
        m_sink->picture(m_picture, m_cur.chars);
    }
    m_picture = Picture{};
}

void RtfReader::normalWord(const KeywordInfo& info, const RtfToken& token) {
    const int keyword = info.keyword;
    const int param = token.param;
    const bool on = !token.hasParam || param != 0;
    CharState& ch = m_cur.chars;
    ParaState& para = m_cur.para;
    switch (keyword) {
    case KwAnsi:
        break;
    case KwMac:
        m_documentCodePage = 10000;
        m_cpFont = -2;
        break;
    case KwPc:
        m_documentCodePage = 437;
        m_cpFont = -2;
        break;
    case KwPca:
        m_documentCodePage = 850;
        m_cpFont = -2;
        break;
    case KwAnsiCpg:
        if (param > 0)
            m_documentCodePage = param;
        m_cpFont = -2;
        break;
    case KwDeff:
        m_tables.defaultFont = param;
        m_cpFont = -2;
        break;
    case KwFontTable:
        m_cur.dest = Dest::FontTable;
        break;
    case KwColorTable:
        m_cur.dest = Dest::ColorTable;
        m_tables.colors.clear();
        break;
    case KwPict:
        m_cur.dest = Dest::Picture;
        m_picture = Picture{};
        m_pictureDepth = static_cast<int>(m_groups.size());
        m_nibble = -1;
        m_pictureTooBig = false;
        break;
    case KwShpPict:
        break; // its \pict is read like any other
    case KwSkipDestination:
        m_cur.dest = Dest::Skip;
        break;
    case KwF:
        if (token.hasParam)
            ch.font = param;
        break;
    case KwB:
        ch.bold = on;
        break;
    case KwI:
        ch.italic = on;
        break;
    case KwUl:
        ch.underline = on;
        break;
    case KwUlNone:
        ch.underline = false;
        break;
    case KwStrike:
        ch.strike = on;
        break;
    case KwSub:
        ch.vertical = CharState::Sub;
        break;
    case KwSuper:
        ch.vertical = CharState::Super;
        break;
    case KwDn: // lowered or raised by N half points; shown as sub- and superscript
        ch.vertical = token.hasParam && param == 0 ? CharState::Baseline : CharState::Sub;
        break;
    case KwUp:
        ch.vertical = token.hasParam && param == 0 ? CharState::Baseline : CharState::Super;
        break;
    case KwNoSuperSub:
        ch.vertical = CharState::Baseline;
        break;
    case KwFs:
        ch.halfPoints = token.hasParam ? qBound(0, param, 3276) : 24;
        break;
    case KwCf:
        ch.foreground = qBound(0, param, Limits::kMaxColors);
        break;
    case KwCb:
    case KwHighlight:
        ch.background = qBound(0, param, Limits::kMaxColors);
        break;
    case KwPlain:
        ch = CharState{};
        m_cur.textClass = TextClass::Latin;
        m_cur.dbchFont = -1;
        m_cur.dbchBold = m_cur.dbchItalic = -1;
        m_cur.dbchHalfPoints = 0;
        break;
    case KwLoch:
    case KwHich:
    case KwLtrch:
        m_cur.textClass = TextClass::Latin;
        break;
    case KwDbch:
        m_cur.textClass = TextClass::DoubleByte;
        break;
    case KwRtlch:
        m_cur.textClass = TextClass::Complex; // right-to-left scripts: not ours to show
        break;
    case KwAf:
        if (m_cur.textClass == TextClass::DoubleByte && token.hasParam)
            m_cur.dbchFont = param;
        break;
    case KwAb:
        if (m_cur.textClass == TextClass::DoubleByte)
            m_cur.dbchBold = on ? 1 : 0;
        break;
    case KwAi:
        if (m_cur.textClass == TextClass::DoubleByte)
            m_cur.dbchItalic = on ? 1 : 0;
        break;
    case KwAfs:
        if (m_cur.textClass == TextClass::DoubleByte)
            m_cur.dbchHalfPoints = token.hasParam ? qBound(0, param, 3276) : 24;
        break;
    case KwV:
        ch.hidden = on;
        break;
    case KwPar:
        endParagraph(false);
        break;
    case KwPage:
        endParagraph(!para.inTable);
        break;
    case KwSect:
        endParagraph(false);
        break;
    case KwTqr:
        m_tabKind = TabStop::Right;
        break;
    case KwTqc:
        m_tabKind = TabStop::Center;
        break;
    case KwTqDec:
        m_tabKind = TabStop::Decimal;
        break;
    case KwTx:
        if (para.tabs.size() < Limits::kMaxTabStops && token.hasParam)
            para.tabs.append(TabStop{qBound(0, param, Limits::kMaxTwips), m_tabKind});
        m_tabKind = TabStop::Left;
        break;
    case KwTb: // a bar, not a stop
        m_tabKind = TabStop::Left;
        break;
    case KwFootnote:
        beginFootnote();
        break;
    case KwChFtn: // the number of the footnote it marks, or, inside a footnote, its own
        addText(
            QString::number(m_footnoteDepth >= 0 ? int(m_footnotes.size()) : int(m_footnotes.size()) + 1));
        break;
    case KwPard:
        para = ParaState{};
        m_tabKind = TabStop::Left;
        break;
    case KwLine:
        addChar(QChar::LineSeparator);
        break;
    case KwTab:
        addChar('\t');
        break;
    case KwQl:
        para.align = ParaState::Left;
        break;
    case KwQc:
        para.align = ParaState::Center;
        break;
    case KwQr:
        para.align = ParaState::Right;
        break;
    case KwQj:
        para.align = ParaState::Justify;
        break;
    case KwLi:
        para.leftIndent = clampTwips(param);
        break;
    case KwRi:
        para.rightIndent = clampTwips(param);
        break;
    case KwFi:
        para.firstIndent = clampTwips(param);
        break;
    case KwSb:
        para.spaceBefore = clampTwips(param);
        break;
    case KwSa:
        para.spaceAfter = clampTwips(param);
        break;
    case KwSl:
        para.lineSpacing = clampTwips(param);
        break;
    case KwSlMult:
        para.lineMultiple = on;
        break;
    case KwIntbl:
        para.inTable = true;
        break;
    case KwItap:
        para.inTable = param > 0;
        break;
    case KwTrowd:
        m_cellEdges.clear();
        break;
    case KwCellx:
        if (m_cellEdges.size() < Limits::kMaxColumns)
            m_cellEdges.append(qBound(-kMaxRowTwips, param, kMaxRowTwips));
        break;
    case KwCell:
        endCell();
        break;
    case KwRow:
        endRow();
        break;
    case KwNestCell:
        addChar('\t');
        break;
    case KwNestRow:
        addChar(QChar::LineSeparator);
        break;
    case KwU:
        if (token.hasParam)
            addUnicode(param);
        break;
    case KwUc:
        m_cur.skipCount = static_cast<unsigned char>(qBound(0, param, 10));
        break;
    case KwCharacter:
        addChar(info.character);
        break;
    default:
        break; // unknown control words are ignored, their group's text is kept
    }
}

int RtfReader::codePageOfFont(int font) const {
    const FontEntry* entry = m_tables.fontAt(font);
    return entry ? entry->codePage : m_documentCodePage;
}

int RtfReader::currentCodePage() {
    const int font = m_cur.chars.font < 0 ? m_tables.defaultFont : m_cur.chars.font;
    if (font != m_cpFont) {
        m_cpValue = codePageOfFont(font);
        m_cpFont = font;
    }
    return m_cpValue;
}

namespace {
// Characters that word processors set in the double-byte (East Asian) font and properties.
bool isDoubleByteChar(char16_t c) {
    return (c >= 0x2E80 && c <= 0xDFFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}
} // namespace

CharState RtfReader::formatFor(bool doubleByte) const {
    CharState f = m_cur.chars;
    if (!doubleByte)
        return f;
    if (m_cur.dbchBold >= 0)
        f.bold = m_cur.dbchBold > 0;
    if (m_cur.dbchItalic >= 0)
        f.italic = m_cur.dbchItalic > 0;
    if (m_cur.dbchHalfPoints > 0)
        f.halfPoints = m_cur.dbchHalfPoints;
    return f;
}

void RtfReader::addByte(unsigned char b) {
    if (m_cur.chars.hidden)
        return;
    if (m_expectTrail && !m_bytes.isEmpty() && m_runState == formatFor(true)) {
        m_bytes.append(static_cast<char>(b));
        m_expectTrail = false;
        return;
    }
    m_expectTrail = false;
    if (b < 0x80) {
        if (b >= 0x20 || b == '\t')
            addChar(b);
        return;
    }
    const int cp = currentCodePage();
    int dbcs = 0;
    if (m_cur.dbchFont >= 0 && !isLeadByte(cp, 0x81)) {
        dbcs = codePageOfFont(m_cur.dbchFont);
        if (!isLeadByte(dbcs, 0x81))
            dbcs = 0;
    }
    const bool lead = isLeadByte(dbcs ? dbcs : cp, b);
    ensureContent(formatFor(lead));
    if (!m_bytes.isEmpty() && (cp != m_bytesCodePage || dbcs != m_bytesDbcsCodePage))
        decodePending();
    m_bytesCodePage = cp;
    m_bytesDbcsCodePage = dbcs;
    m_bytes.append(static_cast<char>(b));
    m_expectTrail = lead;
}

void RtfReader::addChar(char16_t c) {
    if (m_cur.chars.hidden)
        return;
    ensureContent(formatFor(isDoubleByteChar(c)));
    if (!m_bytes.isEmpty())
        decodePending();
    m_runText.append(QChar(c));
}

void RtfReader::addText(const QString& text) {
    for (const QChar c : text)
        addChar(c.unicode());
}

void RtfReader::addUnicode(int value) {
    addChar(static_cast<char16_t>(value & 0xFFFF)); // negative values stand for code units above 32767
    m_skip = m_cur.skipCount;
    m_skipTrail = false;
}

void RtfReader::decodePending() {
    // Under a Latin font with a double-byte font beside it, bytes that make valid double-byte
    // characters are those; anything else is Latin text.
    QString text;
    if (m_bytesDbcsCodePage && decodeBytesStrictly(m_bytesDbcsCodePage, m_bytes, &text))
        m_runText += text;
    else
        m_runText += detail::decodeBytes(m_bytesCodePage, m_bytes);
    m_bytes.clear();
    m_expectTrail = false;
}

void RtfReader::flushRun() {
    if (!m_bytes.isEmpty())
        decodePending();
    if (!m_runText.isEmpty()) {
        sanitizeText(m_runText, QChar::LineSeparator);
        if (!m_runText.isEmpty())
            m_sink->text(m_runText, m_runState);
        m_runText.clear();
    }
}

// Settles the structure before content: leaves or enters a table, moves to the cell the reader is
// in, and opens the paragraph that a \par announced. Then makes sure the run has the current format.
void RtfReader::ensureContent(const CharState& format, bool forTable) {
    // Past the bounds no new table starts: the cells' text joins the paragraphs around them.
    const bool wantTable =
        (m_cur.para.inTable || forTable) &&
        (m_inTable || (m_tableCount < Limits::kMaxTables && m_paragraphs < Limits::kMaxParagraphs));
    if (m_inTable && !wantTable) {
        flushRun();
        m_sink->endTable();
        m_inTable = false;
        m_pending = false;
        m_blockPageBreak = m_pageBreakNext = false;
    }
    if (wantTable) {
        if (!m_inTable) {
            flushRun();
            m_sink->beginTable(m_cellEdges);
            ++m_tableCount;
            m_inTable = true;
            m_pending = false;
            m_blockPageBreak = m_pageBreakNext = false;
            m_row = m_col = m_sinkRow = m_sinkCol = 0;
        } else if (m_row != m_sinkRow || m_col != m_sinkCol) {
            flushRun();
            m_sink->goToCell(m_row, m_col);
            m_sinkRow = m_row;
            m_sinkCol = m_col;
            m_pending = false;
            m_blockPageBreak = m_pageBreakNext = false;
        }
    }
    if (m_pending) {
        flushRun();
        m_sink->newParagraph();
        ++m_paragraphs;
        m_pending = false;
        m_blockPageBreak = m_pageBreakNext;
        m_pageBreakNext = false;
    }
    if (!(m_runState == format)) {
        flushRun();
        m_runState = format;
    }
}

void RtfReader::endParagraph(bool pageBreak) {
    if (m_paragraphs >= Limits::kMaxParagraphs) {
        addChar(' ');
        return;
    }
    ensureContent();
    flushRun();
    m_sink->paragraphFormat(m_cur.para, m_blockPageBreak);
    m_pending = true;
    m_pageBreakNext = pageBreak;
}

void RtfReader::endCell() {
    if (m_pending && m_inTable && m_row == m_sinkRow && m_col == m_sinkCol) {
        // "text\par\cell": the mark ended the cell's last paragraph, which already has its format;
        // it does not open an empty one.
        m_pending = false;
        m_pageBreakNext = false;
    } else {
        ensureContent(true);
        flushRun();
        m_sink->paragraphFormat(m_cur.para, false);
    }
    ++m_paragraphs;
    if (m_col + 1 < Limits::kMaxColumns && m_paragraphs < Limits::kMaxParagraphs)
        ++m_col;
}

void RtfReader::endRow() {
    if (!m_inTable)
        return;
    flushRun();
    if (m_row + 1 < Limits::kMaxRows && m_paragraphs < Limits::kMaxParagraphs)
        ++m_row;
    m_col = 0;
    m_pending = false;
}

// Ends what is open in the current sink: the table, or the last paragraph with its format.
void RtfReader::endStructure() {
    flushRun();
    if (m_inTable) {
        m_sink->endTable();
        m_inTable = false;
    } else if (!m_pending) {
        m_sink->paragraphFormat(m_cur.para, m_blockPageBreak);
    }
}

// A footnote is read into a recorder of its own, from a fresh paragraph, while the text around it
// waits; it shows after the document's text. Footnotes inside footnotes are not kept.
void RtfReader::beginFootnote() {
    if (m_footnoteDepth >= 0 || static_cast<int>(m_footnotes.size()) >= Limits::kMaxFootnotes) {
        m_cur.dest = Dest::Skip;
        return;
    }
    flushRun();
    m_aroundFootnote = {m_pending, m_pageBreakNext, m_blockPageBreak, m_inTable,  m_row,
                        m_col,     m_sinkRow,       m_sinkCol,        m_cellEdges};
    m_runStateAroundFootnote = m_runState;
    m_pending = m_pageBreakNext = m_blockPageBreak = m_inTable = false;
    m_row = m_col = m_sinkRow = m_sinkCol = 0;
    m_cellEdges.clear();
    m_cur.chars = CharState{};
    m_cur.para = ParaState{};
    m_footnotes.emplace_back();
    m_sink = &m_footnotes.back();
    m_footnoteDepth = static_cast<int>(m_groups.size());
}

void RtfReader::endFootnote() {
    endStructure();
    const Structure& s = m_aroundFootnote;
    m_pending = s.pending;
    m_pageBreakNext = s.pageBreakNext;
    m_blockPageBreak = s.blockPageBreak;
    m_inTable = s.inTable;
    m_row = s.row;
    m_col = s.col;
    m_sinkRow = s.sinkRow;
    m_sinkCol = s.sinkCol;
    m_cellEdges = s.cellEdges;
    m_runState = m_runStateAroundFootnote;
    m_sink = &m_mainSink;
    m_footnoteDepth = -1;
}

void RtfReader::finish() {
    if (m_finished)
        return;
    m_finished = true;
    if (m_cur.dest == Dest::Picture)
        m_picture = Picture{}; // cut off inside a picture: the half picture is dropped
    if (m_footnoteDepth >= 0)
        endFootnote(); // cut off inside a footnote: what was read of it is kept
    // After a table the paragraph that follows it is still empty: the first footnote takes it.
    bool paragraphOpen = m_inTable;
    endStructure();
    for (const RecordingSink& note : m_footnotes) {
        if (!paragraphOpen)
            m_sink->newParagraph();
        paragraphOpen = false;
        note.replay(*m_sink);
    }
    m_sink->finish();
}

} // namespace richtext::detail
