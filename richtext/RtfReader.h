#pragma once

#include "richtext/CodePage.h"
#include "richtext/RecordingSink.h"
#include "richtext/RtfKeywords.h"
#include "richtext/RtfSink.h"
#include "richtext/RtfTokenizer.h"

#include <QByteArrayView>

#include <vector>

namespace richtext::detail {

// Bounds that keep hostile or broken input from taking unbounded time or memory.
struct Limits {
    static constexpr qsizetype kMaxInputBytes = 32 * 1024 * 1024;
    static constexpr int kMaxDepth = 200;
    static constexpr int kMaxParagraphs = 100'000;
    static constexpr int kMaxColumns = 64;
    static constexpr int kMaxRows = 10'000;
    static constexpr int kMaxTables = 200; // each new frame makes Qt rescan the document's frames
    static constexpr int kMaxFonts = 4096;
    static constexpr int kMaxColors = 4096;
    static constexpr qsizetype kMaxPictureBytes = 16 * 1024 * 1024;
    static constexpr int kMaxPictures = 500;
    static constexpr qint64 kMaxPicturePixels = 16'000'000;  // one picture (64 MB decoded)
    static constexpr qint64 kMaxDocumentPixels = 40'000'000; // all pictures of a document
    static constexpr int kMaxPictureSide = 4000;             // shown size in pixels
    static constexpr int kMaxTwips = 31680;                  // 22 inches, the largest page Word knows
    static constexpr int kMaxTabStops = 64;
    static constexpr int kMaxFootnotes = 1000;
};

// True when data starts like an RTF document ("{\rtf", after an optional BOM and white space).
bool looksLikeRtf(QByteArrayView data);

// Reads an RTF document and reports its content to a sink. One reader reads one document.
class RtfReader {
public:
    RtfReader(QByteArrayView data, RtfSink& sink);
    void read();
    const DocumentTables& tables() const { return m_tables; }

private:
    enum class Dest : unsigned char { Normal, Skip, FontTable, ColorTable, Picture };
    // The class of text that associated properties (\af, \ab, \ai, \afs) describe: the one \loch,
    // \hich, \dbch or \rtlch named last.
    enum class TextClass : unsigned char { Latin, DoubleByte, Complex };
    struct Group {
        CharState chars;
        ParaState para;
        Dest dest = Dest::Normal;
        unsigned char skipCount = 1; // \uc
        TextClass textClass = TextClass::Latin;
        // Double-byte text may have a font, weight, slant and size of its own (\dbch\af13\ab\afs28)
        // while \f, \b, \i and \fs describe the Latin text around it. -1 / 0: not given.
        int dbchFont = -1;
        signed char dbchBold = -1;
        signed char dbchItalic = -1;
        int dbchHalfPoints = 0;
    };
    // What a footnote interrupts and gives back when it ends.
    struct Structure {
        bool pending = false;
        bool pageBreakNext = false;
        bool blockPageBreak = false;
        bool inTable = false;
        int row = 0, col = 0, sinkRow = 0, sinkCol = 0;
        QList<int> cellEdges;
    };

    void openGroup();
    void closeGroup();
    void word(const RtfToken& token);
    void symbol(unsigned char c);
    void textBytes(QByteArrayView bytes);
    void hexByte(unsigned char b);
    void readPictureHex(QByteArrayView bytes);
    bool skipFallback(unsigned char byte, bool isHex);

    void normalWord(const KeywordInfo& info, const RtfToken& token);
    void fontTableWord(int keyword, const RtfToken& token);
    void pictureWord(int keyword, const RtfToken& token);

    void addByte(unsigned char b);
    void addChar(char16_t c);
    void addText(const QString& text);
    // The format of a character of the current group: double-byte ones take their own properties.
    CharState formatFor(bool doubleByte) const;
    void addUnicode(int value);
    void ensureContent(const CharState& format, bool forTable = false);
    void ensureContent(bool forTable = false) { ensureContent(m_cur.chars, forTable); }
    void flushRun();
    void decodePending();
    int currentCodePage();
    int codePageOfFont(int font) const;

    void endParagraph(bool pageBreak);
    void endCell();
    void endRow();
    void finishPicture();
    void beginFootnote();
    void endFootnote();
    void endStructure();
    void commitFont();
    void addFontChar(char16_t c);
    int fontCodePage() const;
    void finish();

    RtfTokenizer m_tokens;
    RtfSink& m_mainSink;
    RtfSink* m_sink; // the main sink, or the recorder of the footnote being read
    DocumentTables m_tables;

    std::vector<Group> m_groups;
    Group m_cur;
    int m_overflow = 0; // groups opened beyond kMaxDepth, ignored with their content
    bool m_starPending = false;
    bool m_finished = false;
    int m_documentCodePage = kDefaultCodePage;

    // Unicode fallback skipping (\ucN after \uN)
    int m_skip = 0;
    bool m_skipTrail = false;

    // The run of text not yet given to the sink
    CharState m_runState;
    QString m_runText;
    QByteArray m_bytes;
    int m_bytesCodePage = 0;
    int m_bytesDbcsCodePage = 0; // tried first when a double-byte font was named beside a Latin one
    bool m_expectTrail = false;
    int m_cpFont = -2;
    int m_cpValue = 0;

    // Structure
    bool m_pending = false; // a paragraph ended; the next one starts only when content arrives
    bool m_pageBreakNext = false;
    bool m_blockPageBreak = false;
    int m_paragraphs = 0;
    bool m_inTable = false;
    int m_tableCount = 0;
    int m_row = 0, m_col = 0, m_sinkRow = 0, m_sinkCol = 0;
    QList<int> m_cellEdges;
    TabStop::Kind m_tabKind = TabStop::Left; // of the next \tx

    // Footnotes: read aside and put after the document's text, numbered in order.
    std::vector<RecordingSink> m_footnotes;
    int m_footnoteDepth = -1; // group depth of the footnote being read
    Structure m_aroundFootnote;
    CharState m_runStateAroundFootnote;

    // Font table entry being read
    bool m_fontOpen = false;
    int m_fontNumber = 0;
    int m_fontCharset = -1;
    int m_fontCodePage = 0;
    QByteArray m_fontBytes;
    QString m_fontName;

    // Colour table entry being read
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSet = false;

    // Picture being read
    Picture m_picture;
    int m_pictureDepth = -1;
    int m_nibble = -1;
    bool m_pictureTooBig = false;
    int m_pictures = 0;
};

} // namespace richtext::detail
