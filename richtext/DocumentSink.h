#pragma once

#include "richtext/RtfSink.h"

#include <QTextCharFormat>
#include <QTextCursor>

class QTextDocument;
class QTextTable;

namespace richtext::detail {

// Builds a QTextDocument from what the reader reports.
class DocumentSink final : public RtfSink {
public:
    explicit DocumentSink(QTextDocument* doc);

    void start(const DocumentTables& tables) override;
    void text(const QString& text, const CharState& format) override;
    void picture(const Picture& picture, const CharState& format) override;
    void newParagraph() override;
    void paragraphFormat(const ParaState& format, bool pageBreakBefore) override;
    void beginTable(const QList<int>& cellRightEdges) override;
    void goToCell(int row, int column) override;
    void endTable() override;
    void finish() override;

private:
    const QTextCharFormat& charFormat(const CharState& state);
    QImage decode(const Picture& picture);
    QString placeholderName();

    QTextDocument* m_doc;
    const DocumentTables* m_tables = nullptr;
    QTextCursor m_cursor;
    QTextTable* m_table = nullptr;
    int m_usedRows = 0;
    CharState m_lastState;
    QTextCharFormat m_lastFormat;
    bool m_haveFormat = false;
    int m_images = 0;
    qint64 m_pixels = 0;
    QString m_placeholder;
};

// Collects the text only: paragraphs and rows end in '\n', table cells are separated by '\t'.
class PlainTextSink final : public RtfSink {
public:
    void start(const DocumentTables&) override {}
    void text(const QString& text, const CharState& format) override;
    void picture(const Picture& picture, const CharState& format) override;
    void newParagraph() override { append(u'\n'); }
    void paragraphFormat(const ParaState&, bool) override {}
    void beginTable(const QList<int>& cellRightEdges) override;
    void goToCell(int row, int column) override;
    void endTable() override;
    void finish() override;

    QString result() const { return m_text; }

private:
    void append(QChar c) {
        m_text.append(c);
        m_tableJustEnded = false;
    }

    QString m_text;
    int m_row = 0;
    int m_column = 0;
    bool m_tableJustEnded = false;
};

} // namespace richtext::detail
