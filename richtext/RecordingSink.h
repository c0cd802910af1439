#pragma once

#include "richtext/RtfSink.h"

#include <vector>

namespace richtext::detail {

// Keeps what a reader reports so that it can be given to another sink later: the reader collects a
// footnote here while it reads the text around it, and puts the footnotes after that text.
class RecordingSink final : public RtfSink {
public:
    void start(const DocumentTables&) override {}
    void text(const QString& text, const CharState& format) override;
    void picture(const Picture& picture, const CharState& format) override;
    void newParagraph() override;
    void paragraphFormat(const ParaState& format, bool pageBreakBefore) override;
    void beginTable(const QList<int>& cellRightEdges) override;
    void goToCell(int row, int column) override;
    void endTable() override;
    void finish() override {}

    // Gives everything recorded, in order, to sink (start and finish excepted).
    void replay(RtfSink& sink) const;

private:
    struct Event {
        enum Kind : unsigned char {
            Text,
            Picture,
            NewParagraph,
            ParagraphFormat,
            BeginTable,
            GoToCell,
            EndTable
        };
        Kind kind;
        QString text;
        CharState chars;
        ParaState para;
        detail::Picture picture;
        QList<int> edges;
        int row = 0;
        int column = 0;
        bool pageBreak = false;
    };
    std::vector<Event> m_events;
};

} // namespace richtext::detail
