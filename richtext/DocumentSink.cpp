#include "richtext/DocumentSink.h"

#include "richtext/PictureSource.h"
#include "richtext/RtfReader.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QTextDocument>
#include <QTextTable>

namespace richtext::detail {

namespace {

// Lengths in the document are pixels at 96 dpi: 15 twips each.
constexpr double kTwipsPerPixel = 15.0;

double pixels(int twips) {
    return twips / kTwipsPerPixel;
}

} // namespace

DocumentSink::DocumentSink(QTextDocument* doc) : m_doc(doc), m_cursor(doc) {}

// Outside an edit block every insertion lays its whole paragraph out again to place the cursor,
// which makes long paragraphs quadratic; inside one Qt leaves that until the block ends.
void DocumentSink::start(const DocumentTables& tables) {
    m_tables = &tables;
    m_cursor.beginEditBlock();
}

void DocumentSink::finish() {
    QTextCursor(m_doc).endEditBlock();
}

const QTextCharFormat& DocumentSink::charFormat(const CharState& state) {
    if (m_haveFormat && state == m_lastState)
        return m_lastFormat;
    QTextCharFormat f;
    if (state.bold)
        f.setFontWeight(QFont::Bold);
    if (state.italic)
        f.setFontItalic(true);
    if (state.underline)
        f.setFontUnderline(true);
    if (state.strike)
        f.setFontStrikeOut(true);
    if (state.vertical == CharState::Super)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (state.vertical == CharState::Sub)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (state.halfPoints > 0)
        f.setFontPointSize(state.halfPoints / 2.0);
    // The default font is left unset so that the program's own font shows the common text.
    if (state.font >= 0 && state.font != m_tables->defaultFont) {
        const FontEntry* font = m_tables->fontAt(state.font);
        if (font && !font->name.isEmpty())
            f.setFontFamilies(QStringList{font->name});
    }
    if (const QColor fg = m_tables->colorAt(state.foreground); fg.isValid())
        f.setForeground(fg);
    if (const QColor bg = m_tables->colorAt(state.background); bg.isValid())
        f.setBackground(bg);
    m_lastState = state;
    m_lastFormat = f;
    m_haveFormat = true;
    return m_lastFormat;
}

void DocumentSink::text(const QString& text, const CharState& format) {
    m_cursor.insertText(text, charFormat(format));
}

QImage DocumentSink::decode(const Picture& picture) {
    if (picture.kind == Picture::Unknown || picture.data.isEmpty())
        return {};
    // Only the two formats RTF names, chosen by the data itself since writers mix them up.
    const QByteArray& data = picture.data;
    const char* format = data.startsWith("\x89PNG")     ? "png"
                         : data.startsWith("\xFF\xD8")  ? "jpeg"
                         : picture.kind == Picture::Png ? "png"
                                                        : "jpeg";
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    const QSize size = reader.size();
    const qint64 area = qint64(size.width()) * size.height();
    if (!size.isValid() || area <= 0 || area > Limits::kMaxPicturePixels ||
        m_pixels + area > Limits::kMaxDocumentPixels)
        return {};
    QImage image = reader.read();
    if (!image.isNull())
        m_pixels += area;
    return image;
}

// One small grey box with a cross, drawn without a paint device so that no fonts are needed.
QString DocumentSink::placeholderName() {
    if (m_placeholder.isEmpty()) {
        QImage box(96, 72, QImage::Format_RGB32);
        box.fill(QColor(0xEE, 0xEE, 0xEE));
        const QRgb line = qRgb(0x99, 0x99, 0x99);
        for (int x = 0; x < box.width(); ++x) {
            box.setPixel(x, 0, line);
            box.setPixel(x, box.height() - 1, line);
            const int y = x * (box.height() - 1) / (box.width() - 1);
            box.setPixel(x, y, line);
            box.setPixel(x, box.height() - 1 - y, line);
        }
        for (int y = 0; y < box.height(); ++y) {
            box.setPixel(0, y, line);
            box.setPixel(box.width() - 1, y, line);
        }
        m_placeholder = QStringLiteral("rtf-picture-placeholder");
        m_doc->addResource(QTextDocument::ImageResource, QUrl(m_placeholder), box);
    }
    return m_placeholder;
}

void DocumentSink::picture(const Picture& picture, const CharState&) {
    const QImage image = decode(picture);
    const double scaleX = qBound(1, picture.scaleX, 1000) / 100.0;
    const double scaleY = qBound(1, picture.scaleY, 1000) / 100.0;
    double width = 0, height = 0;
    if (picture.goalWidth > 0 && picture.goalHeight > 0) {
        width = pixels(picture.goalWidth) * scaleX;
        height = pixels(picture.goalHeight) * scaleY;
    } else if (!image.isNull()) {
        width = image.width() * scaleX;
        height = image.height() * scaleY;
    } else {
        width = 96;
        height = 72;
    }
    const double maxSide = Limits::kMaxPictureSide;
    QTextImageFormat format;
    if (image.isNull()) {
        format.setName(placeholderName());
    } else {
        const QString name = readerPictureName(++m_images);
        m_doc->addResource(QTextDocument::ImageResource, QUrl(name), image);
        m_doc->addResource(QTextDocument::ImageResource, pictureSourceUrl(QUrl(name)), picture.data);
        format.setName(name);
    }
    format.setWidth(qBound(1.0, width, maxSide));
    format.setHeight(qBound(1.0, height, maxSide));
    m_cursor.insertImage(format);
}

void DocumentSink::newParagraph() {
    m_cursor.insertBlock(QTextBlockFormat());
}

void DocumentSink::paragraphFormat(const ParaState& para, bool pageBreakBefore) {
    QTextBlockFormat f;
    switch (para.align) {
    case ParaState::Left:
        break;
    case ParaState::Center:
        f.setAlignment(Qt::AlignHCenter);
        break;
    case ParaState::Right:
        f.setAlignment(Qt::AlignRight);
        break;
    case ParaState::Justify:
        f.setAlignment(Qt::AlignJustify);
        break;
    }
    if (para.leftIndent)
        f.setLeftMargin(pixels(para.leftIndent));
    if (para.rightIndent)
        f.setRightMargin(pixels(para.rightIndent));
    if (para.firstIndent)
        f.setTextIndent(pixels(para.firstIndent));
    if (para.spaceBefore)
        f.setTopMargin(pixels(para.spaceBefore));
    if (para.spaceAfter)
        f.setBottomMargin(pixels(para.spaceAfter));
    if (para.lineSpacing < 0)
        f.setLineHeight(pixels(-para.lineSpacing), QTextBlockFormat::FixedHeight);
    else if (para.lineSpacing > 0 && para.lineMultiple)
        f.setLineHeight(qBound(10.0, para.lineSpacing * 100.0 / 240, 1000.0),
                        QTextBlockFormat::ProportionalHeight);
    else if (para.lineSpacing > 0)
        f.setLineHeight(pixels(para.lineSpacing), QTextBlockFormat::MinimumHeight);
    if (pageBreakBefore)
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    if (!para.tabs.isEmpty()) {
        QList<QTextOption::Tab> tabs;
        for (const TabStop& t : para.tabs) {
            const QTextOption::TabType type = t.kind == TabStop::Right     ? QTextOption::RightTab
                                              : t.kind == TabStop::Center  ? QTextOption::CenterTab
                                              : t.kind == TabStop::Decimal ? QTextOption::DelimiterTab
                                                                           : QTextOption::LeftTab;
            tabs.append(QTextOption::Tab(pixels(t.position), type,
                                         t.kind == TabStop::Decimal ? QChar(u'.') : QChar()));
        }
        f.setTabPositions(tabs);
    }
    m_cursor.setBlockFormat(f);
}

void DocumentSink::beginTable(const QList<int>& edges) {
    QTextTableFormat format;
    format.setBorder(1);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderCollapse(true);
    format.setCellPadding(3);
    format.setCellSpacing(0);
    QList<QTextLength> widths;
    int left = 0;
    for (const int edge : edges) {
        if (edge <= left) {
            widths.clear();
            break;
        }
        widths.append(QTextLength(QTextLength::FixedLength, pixels(qMin(edge - left, Limits::kMaxTwips))));
        left = edge;
    }
    if (!widths.isEmpty())
        format.setColumnWidthConstraints(widths);
    m_table = m_cursor.insertTable(1, qMax(1, int(edges.size())), format);
    m_usedRows = 1;
    m_cursor = m_table->cellAt(0, 0).firstCursorPosition();
}

// Growing a QTextTable rebuilds its whole grid, so rows are added in doubling batches and the
// unused ones removed at the end; one row at a time would make long tables quadratic.
void DocumentSink::goToCell(int row, int column) {
    if (!m_table)
        return;
    if (row >= m_table->rows())
        m_table->appendRows(qMax(row - m_table->rows() + 1, m_table->rows()));
    if (column >= m_table->columns())
        m_table->appendColumns(column - m_table->columns() + 1);
    m_usedRows = qMax(m_usedRows, row + 1);
    m_cursor = m_table->cellAt(row, column).lastCursorPosition();
}

void DocumentSink::endTable() {
    if (!m_table)
        return;
    if (m_table->rows() > m_usedRows) {
        // Removing rows joins the last kept cell's paragraph with the removed ones, which takes
        // that paragraph's format away: put it back.
        const int lastRow = m_usedRows - 1;
        QList<QTextBlockFormat> formats;
        for (int c = 0; c < m_table->columns(); ++c)
            formats.append(m_table->cellAt(lastRow, c).lastCursorPosition().blockFormat());
        m_table->removeRows(m_usedRows, m_table->rows() - m_usedRows);
        for (int c = 0; c < m_table->columns(); ++c)
            m_table->cellAt(lastRow, c).lastCursorPosition().setBlockFormat(formats[c]);
    }
    m_cursor.setPosition(m_table->lastPosition() + 1);
    m_table = nullptr;
}

void PlainTextSink::text(const QString& text, const CharState&) {
    const qsizetype start = m_text.size();
    m_text += text;
    for (qsizetype i = start; i < m_text.size(); ++i) {
        const char16_t c = m_text[i].unicode();
        if (c == QChar::LineSeparator)
            m_text[i] = u'\n';
        else if (c == QChar::Nbsp)
            m_text[i] = u' ';
    }
    m_tableJustEnded = false;
}

void PlainTextSink::picture(const Picture&, const CharState&) {
    append(QChar::ObjectReplacementCharacter);
}

void PlainTextSink::beginTable(const QList<int>&) {
    if (!m_text.isEmpty() && !m_text.endsWith(u'\n'))
        append(u'\n');
    m_row = m_column = 0;
}

void PlainTextSink::goToCell(int row, int column) {
    if (row > m_row) {
        append(u'\n');
        m_row = row;
        m_column = 0;
    }
    for (; m_column < column; ++m_column)
        append(u'\t');
}

void PlainTextSink::endTable() {
    append(u'\n');
    m_tableJustEnded = true;
}

void PlainTextSink::finish() {
    if (m_tableJustEnded)
        m_text.chop(1);
}

} // namespace richtext::detail
