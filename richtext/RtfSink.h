#pragma once

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QList>
#include <QString>

namespace richtext::detail {

// Character formatting as RTF keeps it: indexes into the document's font and colour tables.
struct CharState {
    enum Vertical : unsigned char { Baseline, Super, Sub };
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    Vertical vertical = Baseline;
    int font = -1;      // -1: the document's default font
    int halfPoints = 0; // 0: no size given
    int foreground = 0; // 0: automatic colour
    int background = 0;
    bool operator==(const CharState&) const = default;
};

// A tab stop of a paragraph: its position from the left margin in twips and how text aligns on it.
struct TabStop {
    enum Kind : unsigned char { Left, Right, Center, Decimal };
    int position = 0;
    Kind kind = Left;
    bool operator==(const TabStop&) const = default;
};

// Paragraph formatting; lengths in twips.
struct ParaState {
    enum Align : unsigned char { Left, Center, Right, Justify };
    Align align = Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int lineSpacing = 0; // \sl: 0 auto, negative exact, positive at least (or a multiple with \slmult1)
    bool lineMultiple = false;
    bool inTable = false;
    QList<TabStop> tabs; // in the order given
    bool operator==(const ParaState&) const = default;
};

struct FontEntry {
    QString name;
    int codePage = 0;
};

// The tables a sink needs to turn states into formats.
struct DocumentTables {
    QHash<int, FontEntry> fonts; // by font number
    QList<QColor> colors;        // index 0 is the automatic colour (invalid)
    int defaultFont = 0;

    const FontEntry* fontAt(int number) const {
        const auto it = fonts.constFind(number);
        return it == fonts.cend() ? nullptr : &*it;
    }
    QColor colorAt(int index) const { return index > 0 && index < colors.size() ? colors[index] : QColor(); }
};

struct Picture {
    enum Kind { Unknown, Png, Jpeg };
    Kind kind = Unknown;
    QByteArray data;
    int widthPixels = 0; // \picw, \pich
    int heightPixels = 0;
    int goalWidth = 0; // \picwgoal, \pichgoal in twips
    int goalHeight = 0;
    int scaleX = 100; // \picscalex, \picscaley in percent
    int scaleY = 100;
};

// Receives the content of a document in reading order. The reader has already settled the
// structure: paragraphs are opened lazily, so a final \par never leaves an empty paragraph behind.
class RtfSink {
public:
    virtual ~RtfSink() = default;
    // Called once before any content; the tables live as long as the reader and fill as it reads.
    virtual void start(const DocumentTables& tables) = 0;
    virtual void text(const QString& text, const CharState& format) = 0;
    virtual void picture(const Picture& picture, const CharState& format) = 0;
    virtual void newParagraph() = 0;
    // The format of the paragraph being ended; pageBreakBefore when a \page preceded it.
    virtual void paragraphFormat(const ParaState& format, bool pageBreakBefore) = 0;
    virtual void beginTable(const QList<int>& cellRightEdges) = 0;
    virtual void goToCell(int row, int column) = 0;
    virtual void endTable() = 0;
    virtual void finish() = 0;
};

} // namespace richtext::detail
