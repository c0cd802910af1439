#include "richtext/RecordingSink.h"

namespace richtext::detail {

void RecordingSink::text(const QString& text, const CharState& format) {
    Event e{Event::Text};
    e.text = text;
    e.chars = format;
    m_events.push_back(std::move(e));
}

void RecordingSink::picture(const detail::Picture& picture, const CharState& format) {
    Event e{Event::Picture};
    e.picture = picture;
    e.chars = format;
    m_events.push_back(std::move(e));
}

void RecordingSink::newParagraph() {
    m_events.push_back(Event{Event::NewParagraph});
}

void RecordingSink::paragraphFormat(const ParaState& format, bool pageBreakBefore) {
    Event e{Event::ParagraphFormat};
    e.para = format;
    e.pageBreak = pageBreakBefore;
    m_events.push_back(std::move(e));
}

void RecordingSink::beginTable(const QList<int>& cellRightEdges) {
    Event e{Event::BeginTable};
    e.edges = cellRightEdges;
    m_events.push_back(std::move(e));
}

void RecordingSink::goToCell(int row, int column) {
    Event e{Event::GoToCell};
    e.row = row;
    e.column = column;
    m_events.push_back(std::move(e));
}

void RecordingSink::endTable() {
    m_events.push_back(Event{Event::EndTable});
}

void RecordingSink::replay(RtfSink& sink) const {
    for (const Event& e : m_events) {
        switch (e.kind) {
        case Event::Text:
            sink.text(e.text, e.chars);
            break;
        case Event::Picture:
            sink.picture(e.picture, e.chars);
            break;
        case Event::NewParagraph:
            sink.newParagraph();
            break;
        case Event::ParagraphFormat:
            sink.paragraphFormat(e.para, e.pageBreak);
            break;
        case Event::BeginTable:
            sink.beginTable(e.edges);
            break;
        case Event::GoToCell:
            sink.goToCell(e.row, e.column);
            break;
        case Event::EndTable:
            sink.endTable();
            break;
        }
    }
}

} // namespace richtext::detail
