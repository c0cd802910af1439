#include "richtext/RtfWriter.h"

#include "richtext/CodePage.h"
#include "richtext/PictureSource.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

namespace richtext::detail {

namespace {

constexpr double kTwipsPerPixel = 15.0;
constexpr int kTableWidthTwips = 8306; // the text width of an A4 page with Word's default margins

int twips(double pixels) {
    return qRound(pixels * kTwipsPerPixel);
}

void appendNumber(QByteArray& out, const char* word, long long value) {
    out += word;
    out += QByteArray::number(value);
}

// Pictures are most of a large document: write their hex straight into the buffer.
void appendHex(QByteArray& out, QByteArrayView data) {
    static const char digits[] = "0123456789abcdef";
    const qsizetype start = out.size();
    out.resize(start + data.size() * 2 + (data.size() / 64) * 2);
    char* p = out.data() + start;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        *p++ = digits[b >> 4];
        *p++ = digits[b & 15];
        if (i % 64 == 63) {
            *p++ = '\r';
            *p++ = '\n';
        }
    }
    out.resize(p - out.data());
}

void appendHexByte(QByteArray& out, unsigned b) {
    static const char digits[] = "0123456789abcdef";
    out += "\\'";
    out += digits[(b >> 4) & 15];
    out += digits[b & 15];
}

bool isPng(QByteArrayView data) {
    return data.startsWith("\x89PNG\r\n\x1a\n");
}
bool isJpeg(QByteArrayView data) {
    return data.startsWith("\xFF\xD8\xFF");
}

// Qt's scale for FontSizeAdjustment (-1 .. 3 around the document font), as its text engine applies it.
double adjustedSize(double base, int adjustment) {
    static const double factors[] = {0.7, 0.8, 1.0, 1.2, 1.5, 2.0, 2.4};
    return base * factors[qBound(0, adjustment + 2, 6)];
}

} // namespace

RtfWriter::RtfWriter(const QTextDocument& doc) : m_doc(doc) {
    m_fonts.append(QStringLiteral("宋体"));
    const double size = doc.defaultFont().pointSizeF();
    if (size > 0)
        m_defaultPointSize = size;
}

QByteArray RtfWriter::write() {
    m_body.reserve(4096);
    writeFrame(m_doc.rootFrame(), false);

    QByteArray out;
    out.reserve(m_body.size() + 512);
    out += "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052\r\n{\\fonttbl";
    for (qsizetype i = 0; i < m_fonts.size(); ++i) {
        appendNumber(out, "{\\f", i);
        out += "\\fnil\\fcharset134 ";
        writeText(m_fonts[i], out);
        out += ";}";
    }
    out += "}\r\n";
    if (!m_colors.isEmpty()) {
        out += "{\\colortbl ;";
        for (const QColor& c : m_colors) {
            appendNumber(out, "\\red", c.red());
            appendNumber(out, "\\green", c.green());
            appendNumber(out, "\\blue", c.blue());
            out += ';';
        }
        out += "}\r\n";
    }
    out += "\\viewkind4\\uc1\r\n";
    out += m_body;
    out += "}\r\n";
    return out;
}

// Every paragraph outside tables ends in \par (or \page before a page break), the way word
// processors write them; the reader drops the empty paragraph a final \par would leave.
void RtfWriter::writeFrame(const QTextFrame* frame, bool inCell) {
    for (auto it = frame->begin(); !it.atEnd(); ++it) {
        if (const QTextFrame* child = it.currentFrame()) {
            const auto* table = qobject_cast<const QTextTable*>(child);
            if (table && !inCell)
                writeTable(table);
            else
                writeFrame(child, inCell); // nested tables and frames: their paragraphs in order
            continue;
        }
        const QTextBlock block = it.currentBlock();
        writeBlock(block, inCell);
        paragraphEnd(block);
    }
}

void RtfWriter::paragraphEnd(const QTextBlock& block) {
    const QTextBlock next = block.next();
    const bool pageBreak =
        (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter) ||
        (next.isValid() && (next.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) &&
         !QTextCursor(next).currentTable());
    m_body += pageBreak ? "\\page\r\n" : "\\par\r\n";
}

void RtfWriter::writeParagraphFormat(const QTextBlock& block, bool inCell) {
    const QTextBlockFormat f = block.blockFormat();
    m_body += "\\pard";
    if (inCell)
        m_body += "\\intbl";
    const Qt::Alignment align = f.alignment() & Qt::AlignHorizontal_Mask;
    if (align & Qt::AlignHCenter)
        m_body += "\\qc";
    else if (align & Qt::AlignJustify)
        m_body += "\\qj";
    else if ((align & Qt::AlignRight) || ((align & Qt::AlignTrailing) && !(align & Qt::AlignAbsolute)))
        m_body += "\\qr";
    int indent = f.indent();
    if (const QTextList* list = block.textList())
        indent += list->format().indent();
    const double left = f.leftMargin() + indent * m_doc.indentWidth();
    if (const int li = twips(left))
        appendNumber(m_body, "\\li", li);
    if (const int ri = twips(f.rightMargin()))
        appendNumber(m_body, "\\ri", ri);
    if (const int fi = twips(f.textIndent()))
        appendNumber(m_body, "\\fi", fi);
    if (const int sb = twips(f.topMargin()))
        appendNumber(m_body, "\\sb", sb);
    if (const int sa = twips(f.bottomMargin()))
        appendNumber(m_body, "\\sa", sa);
    switch (f.lineHeightType()) {
    case QTextBlockFormat::FixedHeight:
        appendNumber(m_body, "\\sl-", twips(f.lineHeight()));
        break;
    case QTextBlockFormat::MinimumHeight:
        appendNumber(m_body, "\\sl", twips(f.lineHeight()));
        break;
    case QTextBlockFormat::ProportionalHeight:
        if (qRound(f.lineHeight()) != 100) {
            appendNumber(m_body, "\\sl", qRound(f.lineHeight() * 240 / 100));
            m_body += "\\slmult1";
        }
        break;
    default:
        break;
    }
    for (const QTextOption::Tab& tab : f.tabPositions()) {
        switch (tab.type) {
        case QTextOption::RightTab:
            m_body += "\\tqr";
            break;
        case QTextOption::CenterTab:
            m_body += "\\tqc";
            break;
        case QTextOption::DelimiterTab:
            m_body += "\\tqdec";
            break;
        default:
            break;
        }
        appendNumber(m_body, "\\tx", qMax(0, twips(tab.position)));
    }
    m_body += ' ';
}

void RtfWriter::writeBlock(const QTextBlock& block, bool inCell) {
    writeParagraphFormat(block, inCell);
    if (const QTextList* list = block.textList()) {
        // Lists go out as their visible marker, which every reader shows.
        QString marker;
        switch (list->format().style()) {
        case QTextListFormat::ListDisc:
            marker = QString(QChar(0x2022));
            break;
        case QTextListFormat::ListCircle:
            marker = QString(QChar(0x25E6));
            break;
        case QTextListFormat::ListSquare:
            marker = QString(QChar(0x25AA));
            break;
        default:
            marker = list->itemText(block);
            break;
        }
        if (!marker.isEmpty()) {
            m_body += "{\\pntext ";
            writeText(marker, m_body);
            m_body += "\\tab}";
        }
    }
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        if (format.isImageFormat()) {
            const QTextImageFormat image = format.toImageFormat();
            for (qsizetype i = 0; i < fragment.length(); ++i)
                writeImage(image);
        } else {
            writeRun(fragment.text(), format);
        }
    }
}

QByteArray RtfWriter::charFormatCodes(const QTextCharFormat& f) {
    QByteArray codes;
    if (f.fontWeight() >= QFont::DemiBold)
        codes += "\\b";
    if (f.fontItalic())
        codes += "\\i";
    if (f.fontUnderline())
        codes += "\\ul";
    if (f.fontStrikeOut())
        codes += "\\strike";
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        codes += "\\super";
    else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
        codes += "\\sub";
    QString family = f.fontFamilies().toStringList().value(0);
    if (family.isEmpty())
        family = f.stringProperty(QTextFormat::FontFamily);
    if (family.isEmpty() && f.fontFixedPitch())
        family = QStringLiteral("Courier New");
    if (!family.isEmpty()) {
        if (const int index = fontIndex(family))
            appendNumber(codes, "\\f", index);
    }
    double points = 0;
    if (f.hasProperty(QTextFormat::FontPointSize))
        points = f.fontPointSize();
    else if (f.hasProperty(QTextFormat::FontPixelSize))
        points = f.intProperty(QTextFormat::FontPixelSize) * 72.0 / 96.0;
    else if (f.hasProperty(QTextFormat::FontSizeAdjustment))
        points = adjustedSize(m_defaultPointSize, f.intProperty(QTextFormat::FontSizeAdjustment));
    if (points > 0)
        appendNumber(codes, "\\fs", qBound(1, qRound(points * 2), 3276));
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        appendNumber(codes, "\\cf", colorIndex(f.foreground().color()));
    if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush)
        appendNumber(codes, "\\highlight", colorIndex(f.background().color()));
    return codes;
}

void RtfWriter::writeRun(const QString& text, const QTextCharFormat& format) {
    const QByteArray codes = charFormatCodes(format);
    if (codes.isEmpty()) {
        writeText(text, m_body);
        return;
    }
    m_body += '{';
    m_body += codes;
    m_body += ' ';
    writeText(text, m_body);
    m_body += '}';
}

void RtfWriter::writeText(QStringView text, QByteArray& out) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '{':
                out += "\\{";
                break;
            case '}':
                out += "\\}";
                break;
            case '\t':
                out += "\\tab ";
                break;
            case '\n':
            case '\r':
                out += "\\line ";
                break;
            default:
                if (c >= 0x20)
                    out += static_cast<char>(c);
                break;
            }
            continue;
        }
        switch (c) {
        case QChar::LineSeparator:
        case QChar::ParagraphSeparator:
            out += "\\line ";
            continue;
        case QChar::Nbsp:
            out += "\\~";
            continue;
        case QChar::SoftHyphen:
            out += "\\-";
            continue;
        default:
            break;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            // \u takes a signed 16-bit number: a pair goes out as two of them
            appendNumber(out, "\\u", static_cast<short>(c));
            out += '?';
            appendNumber(out, "\\u", static_cast<short>(text[++i].unicode()));
            out += '?';
            continue;
        }
        if (QChar::isSurrogate(c)) {
            appendNumber(out, "\\u", static_cast<short>(QChar::ReplacementCharacter));
            out += '?';
            continue;
        }
        if (const unsigned code = gbkCode(c)) {
            if (code > 0xFF)
                appendHexByte(out, code >> 8);
            appendHexByte(out, code & 0xFF);
        } else {
            appendNumber(out, "\\u", static_cast<short>(c));
            out += '?';
        }
    }
}

const RtfWriter::EncodedImage* RtfWriter::image(const QString& name) {
    auto it = m_images.find(name);
    if (it != m_images.end())
        return it->data.isEmpty() ? nullptr : &*it;
    EncodedImage encoded;
    const QUrl url(name);
    QVariant value = m_doc.resource(QTextDocument::ImageResource, url);
    if (isReaderPicture(url)) {
        const QVariant source = m_doc.resource(QTextDocument::ImageResource, pictureSourceUrl(url));
        if (source.typeId() == QMetaType::QByteArray)
            value = source;
    }
    QImage decoded;
    if (value.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        if (isPng(bytes) || isJpeg(bytes)) {
            QBuffer buffer;
            buffer.setData(bytes);
            buffer.open(QIODevice::ReadOnly);
            const QSize size = QImageReader(&buffer).size();
            if (size.isValid()) {
                encoded.data = bytes;
                encoded.jpeg = isJpeg(bytes);
                encoded.width = size.width();
                encoded.height = size.height();
            }
        }
        if (encoded.data.isEmpty())
            decoded = QImage::fromData(bytes);
    } else if (value.typeId() == QMetaType::QImage) {
        decoded = value.value<QImage>();
    } else if (value.typeId() == QMetaType::QPixmap) {
        decoded = value.value<QPixmap>().toImage();
    }
    if (encoded.data.isEmpty() && !decoded.isNull()) {
        QBuffer buffer(&encoded.data);
        buffer.open(QIODevice::WriteOnly);
        decoded.save(&buffer, "PNG");
        encoded.width = decoded.width();
        encoded.height = decoded.height();
    }
    it = m_images.insert(name, encoded);
    return it->data.isEmpty() ? nullptr : &*it;
}

void RtfWriter::writeImage(const QTextImageFormat& format) {
    const EncodedImage* img = image(format.name());
    if (!img)
        return; // nothing to show: a picture the document could not load
    double width = format.width();
    double height = format.height();
    if (width <= 0 && height <= 0) {
        width = img->width;
        height = img->height;
    } else if (width <= 0) {
        width = img->height > 0 ? height * img->width / img->height : height;
    } else if (height <= 0) {
        height = img->width > 0 ? width * img->height / img->width : width;
    }
    m_body += img->jpeg ? "{\\pict\\jpegblip" : "{\\pict\\pngblip";
    appendNumber(m_body, "\\picw", img->width);
    appendNumber(m_body, "\\pich", img->height);
    appendNumber(m_body, "\\picwgoal", twips(width));
    appendNumber(m_body, "\\pichgoal", twips(height));
    m_body += "\r\n";
    appendHex(m_body, img->data);
    m_body += "}";
}

void RtfWriter::writeTable(const QTextTable* table) {
    const int rows = table->rows();
    const int columns = table->columns();
    QList<int> edges;
    const QList<QTextLength> widths = table->format().columnWidthConstraints();
    int edge = 0;
    for (int c = 0; c < columns; ++c) {
        const bool fixed = widths.size() == columns && widths[c].type() == QTextLength::FixedLength;
        edge += fixed ? twips(widths[c].rawValue()) : kTableWidthTwips / columns;
        edges.append(edge);
    }
    for (int r = 0; r < rows; ++r) {
        m_body += "\\trowd\\trgaph108";
        for (const int e : std::as_const(edges)) {
            m_body += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
                      "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10";
            appendNumber(m_body, "\\cellx", e);
        }
        m_body += "\r\n";
        for (int c = 0; c < columns; ++c) {
            const QTextTableCell cell = table->cellAt(r, c);
            if (cell.row() != r || cell.column() != c) {
                m_body += "\\pard\\intbl\\cell\r\n"; // covered by a merged cell: left empty
                continue;
            }
            bool first = true;
            bool lastEmpty = false;
            for (auto it = cell.begin(); !it.atEnd(); ++it) {
                if (const QTextFrame* nested = it.currentFrame()) {
                    writeFrame(nested, true);
                    continue;
                }
                if (!first)
                    m_body += "\\par\r\n";
                first = false;
                writeBlock(it.currentBlock(), true);
                lastEmpty = it.currentBlock().length() <= 1;
            }
            if (first)
                m_body += "\\pard\\intbl ";
            else if (lastEmpty && cell.firstCursorPosition().block() != cell.lastCursorPosition().block())
                m_body += "\\par\r\n"; // a mark right before \cell ends the paragraph without a new one
            m_body += "\\cell\r\n";
        }
        m_body += "\\row\r\n";
    }
}

// Font 0 stands for "no family given", which the reader gives back as no family, so an explicit
// family gets an entry of its own even when it names the default face.
int RtfWriter::fontIndex(const QString& family) {
    qsizetype i = m_fonts.indexOf(family, 1);
    if (i < 0) {
        m_fonts.append(family);
        i = m_fonts.size() - 1;
    }
    return static_cast<int>(i);
}

int RtfWriter::colorIndex(const QColor& color) {
    const QRgb rgb = color.rgb() & 0xFFFFFF;
    for (qsizetype i = 0; i < m_colors.size(); ++i) {
        if ((m_colors[i].rgb() & 0xFFFFFF) == rgb)
            return static_cast<int>(i + 1);
    }
    m_colors.append(QColor(rgb));
    return static_cast<int>(m_colors.size());
}

} // namespace richtext::detail
