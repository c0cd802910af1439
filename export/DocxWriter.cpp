#include "export/DocxWriter.h"

#include "export/ZipPackage.h"
#include "richtext/PictureSource.h"

#include <QBuffer>
#include <QHash>
#include <QIODevice>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <cmath>
#include <stdexcept>

namespace docx {

namespace {

// A4 with margins of 2 cm; lengths in the document are pixels at 96 dpi.
constexpr int kPageWidth = 11906, kPageHeight = 16838, kMargin = 1134;
constexpr int kTextWidth = kPageWidth - 2 * kMargin;
constexpr int kTwipsPerPixel = 15;
constexpr qint64 kEmuPerPixel = 9525;

const char* const kNamespaces =
    R"( xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main")"
    R"( xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")"
    R"( xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing")"
    R"( xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main")"
    R"( xmlns:pic="http://schemas.openxmlformats.org/drawingml/2006/picture")";

// Text for an XML text node or attribute: escaped, and without what XML 1.0 cannot carry.
void appendEscaped(QString& out, QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'&':
            out += QLatin1String("&amp;");
            continue;
        case u'<':
            out += QLatin1String("&lt;");
            continue;
        case u'>':
            out += QLatin1String("&gt;");
            continue;
        case u'"':
            out += QLatin1String("&quot;");
            continue;
        default:
            break;
        }
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
        } else if (c.isSurrogate() || c.unicode() == 0xFFFE || c.unicode() == 0xFFFF ||
                   (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')) {
            continue;
        } else {
            out += c;
        }
    }
}

QString escaped(QStringView text) {
    QString out;
    appendEscaped(out, text);
    return out;
}

QString hexColor(const QColor& c) {
    return QStringLiteral("%1%2%3")
        .arg(c.red(), 2, 16, QLatin1Char('0'))
        .arg(c.green(), 2, 16, QLatin1Char('0'))
        .arg(c.blue(), 2, 16, QLatin1Char('0'))
        .toUpper();
}

bool hasCjk(QStringView text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

struct Media {
    QString relId;
    QString target; // media/imageN.ext
    QSize pixels;
};

class Writer {
public:
    Writer(const QTextDocument& doc, const Options& options) : m_doc(doc), m_options(options) {}

    QByteArray package() {
        QString body;
        body.reserve(64 * 1024);
        writeFrame(body, m_doc.rootFrame());
        const QString document =
            QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)") +
            QStringLiteral("\n<w:document") + QLatin1String(kNamespaces) + QStringLiteral("><w:body>") +
            body +
            QStringLiteral(
                R"(<w:sectPr><w:pgSz w:w="%1" w:h="%2"/>)"
                R"(<w:pgMar w:top="%3" w:right="%3" w:bottom="%3" w:left="%3" w:header="567" w:footer="567" w:gutter="0"/>)"
                R"(</w:sectPr></w:body></w:document>)")
                .arg(kPageWidth)
                .arg(kPageHeight)
                .arg(kMargin);
        QList<PackagePart> parts;
        parts.push_back({QStringLiteral("[Content_Types].xml"), contentTypes(), true});
        parts.push_back({QStringLiteral("_rels/.rels"), rootRelationships(), true});
        parts.push_back({QStringLiteral("docProps/core.xml"), coreProperties(), true});
        parts.push_back({QStringLiteral("word/document.xml"), document.toUtf8(), true});
        parts.push_back({QStringLiteral("word/styles.xml"), styles(), true});
        parts.push_back({QStringLiteral("word/_rels/document.xml.rels"), documentRelationships(), true});
        for (const auto& [name, bytes] : std::as_const(m_mediaBytes))
            parts.push_back({QStringLiteral("word/") + name, bytes, false});
        return zipParts(parts);
    }

private:
    // ---- Body ----

    // Returns true when the last thing written was a paragraph (a table cell must end in one).
    bool writeFrame(QString& out, QTextFrame* frame) {
        bool endsInParagraph = false;
        for (auto it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame* child = it.currentFrame()) {
                if (auto* table = qobject_cast<QTextTable*>(child)) {
                    writeTable(out, table);
                    endsInParagraph = false;
                } else {
                    endsInParagraph = writeFrame(out, child);
                }
            } else if (const QTextBlock block = it.currentBlock(); block.isValid()) {
                writeParagraph(out, block);
                endsInParagraph = true;
            }
        }
        return endsInParagraph;
    }

    void writeParagraph(QString& out, const QTextBlock& block) {
        const QTextBlockFormat f = block.blockFormat();
        out += QLatin1String("<w:p>");
        QString pPr;
        if (const int level = f.headingLevel(); level >= 1 && level <= 3)
            pPr += QStringLiteral(R"(<w:pStyle w:val="Heading%1"/>)").arg(level);
        const int before = int(std::lround(f.topMargin() * kTwipsPerPixel));
        const int after = int(std::lround(f.bottomMargin() * kTwipsPerPixel));
        if (before > 0 || after > 0)
            pPr += QStringLiteral(R"(<w:spacing w:before="%1" w:after="%2"/>)").arg(before).arg(after);
        const int left = int(std::lround(f.leftMargin() * kTwipsPerPixel));
        const int right = int(std::lround(f.rightMargin() * kTwipsPerPixel));
        const int first = int(std::lround(f.textIndent() * kTwipsPerPixel));
        if (left || right || first) {
            pPr += QStringLiteral(R"(<w:ind w:left="%1" w:right="%2")").arg(left).arg(right);
            pPr += first >= 0 ? QStringLiteral(R"( w:firstLine="%1"/>)").arg(first)
                              : QStringLiteral(R"( w:hanging="%1"/>)").arg(-first);
        }
        const Qt::Alignment align = f.alignment() & Qt::AlignHorizontal_Mask;
        if (align & Qt::AlignHCenter)
            pPr += QLatin1String(R"(<w:jc w:val="center"/>)");
        else if (align & Qt::AlignRight)
            pPr += QLatin1String(R"(<w:jc w:val="right"/>)");
        else if (align & Qt::AlignJustify)
            pPr += QLatin1String(R"(<w:jc w:val="both"/>)");
        if (!pPr.isEmpty())
            out += QLatin1String("<w:pPr>") + pPr + QLatin1String("</w:pPr>");
        if (f.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            out += QLatin1String(R"(<w:r><w:br w:type="page"/></w:r>)");
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid())
                writeFragment(out, fragment);
        }
        if (f.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysAfter)
            out += QLatin1String(R"(<w:r><w:br w:type="page"/></w:r>)");
        out += QLatin1String("</w:p>");
    }

    QString runProperties(const QTextCharFormat& f, QStringView text) const {
        QString r;
        const QStringList families = f.fontFamilies().toStringList();
        if (!families.isEmpty() && !families.first().isEmpty()) {
            const QString family = escaped(families.first());
            // A face given to Chinese text is its East Asian face; Latin text keeps the Chinese default.
            r += QStringLiteral(R"(<w:rFonts w:ascii="%1" w:hAnsi="%1" w:cs="%1")").arg(family);
            r += hasCjk(text) ? QStringLiteral(R"( w:eastAsia="%1"/>)").arg(family) : QStringLiteral("/>");
        }
        if (f.fontWeight() >= QFont::DemiBold)
            r += QLatin1String("<w:b/><w:bCs/>");
        if (f.fontItalic())
            r += QLatin1String("<w:i/><w:iCs/>");
        if (f.fontStrikeOut())
            r += QLatin1String("<w:strike/>");
        if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
            r += QStringLiteral(R"(<w:color w:val="%1"/>)").arg(hexColor(f.foreground().color()));
        if (const double pt = f.fontPointSize(); pt > 0) {
            const int half = qBound(2, int(std::lround(pt * 2)), 3276);
            r += QStringLiteral(R"(<w:sz w:val="%1"/><w:szCs w:val="%1"/>)").arg(half);
        }
        if (f.fontUnderline())
            r += QLatin1String(R"(<w:u w:val="single"/>)");
        if (f.hasProperty(QTextFormat::BackgroundBrush) && f.background().style() != Qt::NoBrush)
            r += QStringLiteral(R"(<w:shd w:val="clear" w:color="auto" w:fill="%1"/>)")
                     .arg(hexColor(f.background().color()));
        if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            r += QLatin1String(R"(<w:vertAlign w:val="superscript"/>)");
        else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
            r += QLatin1String(R"(<w:vertAlign w:val="subscript"/>)");
        return r.isEmpty() ? r : QLatin1String("<w:rPr>") + r + QLatin1String("</w:rPr>");
    }

    void writeFragment(QString& out, const QTextFragment& fragment) {
        const QString text = fragment.text();
        const QTextCharFormat format = fragment.charFormat();
        const QString rPr = runProperties(format, text);
        QString pending;
        const auto flush = [&] {
            if (pending.isEmpty())
                return;
            out += QLatin1String("<w:r>") + rPr + QLatin1String(R"(<w:t xml:space="preserve">)");
            appendEscaped(out, pending);
            out += QLatin1String("</w:t></w:r>");
            pending.clear();
        };
        for (const QChar c : text) {
            switch (c.unicode()) {
            case QChar::ObjectReplacementCharacter:
                flush();
                if (format.isImageFormat())
                    writePicture(out, format.toImageFormat());
                break;
            case QChar::LineSeparator:
            case u'\n':
                flush();
                out += QLatin1String("<w:r>") + rPr + QLatin1String("<w:br/></w:r>");
                break;
            case u'\t':
                flush();
                out += QLatin1String("<w:r>") + rPr + QLatin1String("<w:tab/></w:r>");
                break;
            default:
                pending += c;
            }
        }
        flush();
    }

    // The picture's own PNG or JPEG bytes when the reader kept them, otherwise the image as PNG.
    const Media* media(const QString& name) {
        if (const auto it = m_media.constFind(name); it != m_media.constEnd())
            return &*it;
        const QUrl url(name);
        QByteArray bytes =
            m_doc.resource(QTextDocument::ImageResource, richtext::detail::pictureSourceUrl(url))
                .toByteArray();
        const QVariant resource = m_doc.resource(QTextDocument::ImageResource, url);
        QImage image = resource.value<QImage>();
        if (image.isNull() && resource.canConvert<QPixmap>())
            image = resource.value<QPixmap>().toImage();
        if (image.isNull() && !bytes.isEmpty())
            image.loadFromData(bytes);
        if (image.isNull())
            return nullptr;
        QString extension;
        if (bytes.startsWith("\x89PNG")) {
            extension = QStringLiteral("png");
        } else if (bytes.startsWith("\xFF\xD8")) {
            extension = QStringLiteral("jpeg");
        } else {
            bytes.clear();
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            if (!image.save(&buffer, "PNG"))
                return nullptr;
            extension = QStringLiteral("png");
        }
        // A picture met again under another name (a shared stem before each question of its group) is
        // stored once.
        if (const auto same = m_mediaByBytes.constFind(bytes); same != m_mediaByBytes.constEnd())
            return &*m_media.insert(name, *same);
        const int n = int(m_mediaBytes.size()) + 1;
        Media m{QStringLiteral("rIdImage%1").arg(n), QStringLiteral("media/image%1.%2").arg(n).arg(extension),
                image.size()};
        m_mediaBytes.push_back({m.target, bytes});
        m_mediaByBytes.insert(bytes, m);
        return &*m_media.insert(name, m);
    }

    void writePicture(QString& out, const QTextImageFormat& f) {
        const Media* m = media(f.name());
        if (!m)
            return;
        double w = f.width() > 0 ? f.width() : m->pixels.width();
        double h = f.height() > 0 ? f.height() : m->pixels.height();
        if (f.width() > 0 && f.height() <= 0 && m->pixels.width() > 0)
            h = w * m->pixels.height() / m->pixels.width();
        const double room = double(kTextWidth) / kTwipsPerPixel;
        if (w > room) {
            h = h * room / w;
            w = room;
        }
        const qint64 cx = qMax<qint64>(1, std::llround(w * kEmuPerPixel));
        const qint64 cy = qMax<qint64>(1, std::llround(h * kEmuPerPixel));
        const int id = ++m_drawings;
        out +=
            QStringLiteral(
                R"(<w:r><w:drawing><wp:inline distT="0" distB="0" distL="0" distR="0"><wp:extent cx="%1" cy="%2"/>)"
                R"(<wp:docPr id="%3" name="图片 %3"/><a:graphic><a:graphicData uri="http://schemas.openxmlformats.org/drawingml/2006/picture">)"
                R"(<pic:pic><pic:nvPicPr><pic:cNvPr id="%3" name="%4"/><pic:cNvPicPr/></pic:nvPicPr>)"
                R"(<pic:blipFill><a:blip r:embed="%5"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill>)"
                R"(<pic:spPr><a:xfrm><a:off x="0" y="0"/><a:ext cx="%1" cy="%2"/></a:xfrm><a:prstGeom prst="rect"><a:avLst/></a:prstGeom></pic:spPr>)"
                R"(</pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r>)")
                .arg(cx)
                .arg(cy)
                .arg(id)
                .arg(m->target.section(u'/', -1), m->relId);
    }

    QList<int> columnWidths(const QTextTable* table) const {
        const int columns = table->columns();
        const QList<QTextLength> constraints = table->format().columnWidthConstraints();
        QList<int> widths;
        for (int c = 0; c < columns; ++c) {
            int w = kTextWidth / qMax(1, columns);
            if (c < constraints.size()) {
                const QTextLength& l = constraints[c];
                if (l.type() == QTextLength::FixedLength)
                    w = int(std::lround(l.rawValue() * kTwipsPerPixel));
                else if (l.type() == QTextLength::PercentageLength)
                    w = int(std::lround(l.rawValue() * kTextWidth / 100.0));
            }
            widths << qMax(120, w);
        }
        return widths;
    }

    void writeTable(QString& out, QTextTable* table) {
        const QList<int> widths = columnWidths(table);
        out += QLatin1String(R"(<w:tbl><w:tblPr><w:tblW w:w="0" w:type="auto"/><w:tblBorders>)");
        for (const char* side : {"top", "left", "bottom", "right", "insideH", "insideV"})
            out += QStringLiteral(R"(<w:%1 w:val="single" w:sz="4" w:space="0" w:color="000000"/>)")
                       .arg(QLatin1String(side));
        out += QLatin1String("</w:tblBorders></w:tblPr><w:tblGrid>");
        for (const int w : widths)
            out += QStringLiteral(R"(<w:gridCol w:w="%1"/>)").arg(w);
        out += QLatin1String("</w:tblGrid>");
        for (int r = 0; r < table->rows(); ++r) {
            out += QLatin1String("<w:tr>");
            for (int c = 0; c < table->columns();) {
                const QTextTableCell cell = table->cellAt(r, c);
                const int span = qMax(1, cell.columnSpan());
                int width = 0;
                for (int k = c; k < c + span && k < widths.size(); ++k)
                    width += widths[k];
                out += QStringLiteral(R"(<w:tc><w:tcPr><w:tcW w:w="%1" w:type="dxa"/>)").arg(width);
                if (span > 1)
                    out += QStringLiteral(R"(<w:gridSpan w:val="%1"/>)").arg(span);
                const bool covered = cell.row() != r; // below the first row of a cell spanning rows
                if (cell.rowSpan() > 1)
                    out += covered ? QLatin1String("<w:vMerge/>")
                                   : QLatin1String(R"(<w:vMerge w:val="restart"/>)");
                out += QLatin1String("</w:tcPr>");
                bool endsInParagraph = false;
                if (!covered) {
                    for (auto it = cell.begin(); !it.atEnd(); ++it) {
                        if (QTextFrame* child = it.currentFrame()) {
                            if (auto* inner = qobject_cast<QTextTable*>(child)) {
                                writeTable(out, inner);
                                endsInParagraph = false;
                            } else {
                                endsInParagraph = writeFrame(out, child);
                            }
                        } else if (it.currentBlock().isValid()) {
                            writeParagraph(out, it.currentBlock());
                            endsInParagraph = true;
                        }
                    }
                }
                if (!endsInParagraph)
                    out += QLatin1String("<w:p/>");
                out += QLatin1String("</w:tc>");
                c += span;
            }
            out += QLatin1String("</w:tr>");
        }
        out += QLatin1String("</w:tbl>");
    }

    // ---- The other parts ----

    QByteArray contentTypes() const {
        return QByteArrayLiteral(
            R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
            "\n"
            R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
            R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
            R"(<Default Extension="xml" ContentType="application/xml"/>)"
            R"(<Default Extension="png" ContentType="image/png"/>)"
            R"(<Default Extension="jpeg" ContentType="image/jpeg"/>)"
            R"(<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
            R"(<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>)"
            R"(<Override PartName="/docProps/core.xml" ContentType="application/vnd.openxmlformats-package.core-properties+xml"/>)"
            R"(</Types>)");
    }

    QByteArray rootRelationships() const {
        return QByteArrayLiteral(
            R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
            "\n"
            R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
            R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>)"
            R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties" Target="docProps/core.xml"/>)"
            R"(</Relationships>)");
    }

    QByteArray coreProperties() const {
        return (QStringLiteral(
                    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                    "\n"
                    R"(<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" xmlns:dc="http://purl.org/dc/elements/1.1/">)"
                    R"(<dc:title>)") +
                escaped(m_options.title) + QStringLiteral("</dc:title></cp:coreProperties>"))
            .toUtf8();
    }

    QByteArray documentRelationships() const {
        QString out = QStringLiteral(
            R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
            "\n"
            R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
            R"(<Relationship Id="rIdStyles" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)");
        for (const Media& m : m_mediaByBytes)
            out +=
                QStringLiteral(
                    R"(<Relationship Id="%1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/image" Target="%2"/>)")
                    .arg(m.relId, m.target);
        return (out + QStringLiteral("</Relationships>")).toUtf8();
    }

    QByteArray styles() const {
        const QString latin = escaped(m_options.latinFont);
        const QString eastAsia = escaped(m_options.eastAsiaFont);
        const int half = qBound(2, int(std::lround(m_options.pointSize * 2)), 3276);
        QString out =
            QStringLiteral(
                R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                "\n"
                R"(<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
                R"(<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii="%1" w:hAnsi="%1" w:eastAsia="%2" w:cs="%1"/>)"
                R"(<w:sz w:val="%3"/><w:szCs w:val="%3"/><w:lang w:val="en-US" w:eastAsia="zh-CN"/></w:rPr></w:rPrDefault>)"
                R"(<w:pPrDefault><w:pPr><w:spacing w:after="0" w:line="300" w:lineRule="auto"/></w:pPr></w:pPrDefault></w:docDefaults>)"
                R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/><w:qFormat/></w:style>)")
                .arg(latin, eastAsia)
                .arg(half);
        const int sizes[] = {36, 30, 26};
        for (int level = 1; level <= 3; ++level)
            out +=
                QStringLiteral(
                    R"(<w:style w:type="paragraph" w:styleId="Heading%1"><w:name w:val="heading %1"/><w:basedOn w:val="Normal"/>)"
                    R"(<w:next w:val="Normal"/><w:qFormat/><w:pPr><w:keepNext/><w:spacing w:before="120" w:after="120"/><w:outlineLvl w:val="%2"/></w:pPr>)"
                    R"(<w:rPr><w:rFonts w:eastAsia="%3"/><w:b/><w:bCs/><w:sz w:val="%4"/><w:szCs w:val="%4"/></w:rPr></w:style>)")
                    .arg(level)
                    .arg(level - 1)
                    .arg(eastAsia)
                    .arg(sizes[level - 1]);
        return (out + QStringLiteral("</w:styles>")).toUtf8();
    }

    const QTextDocument& m_doc;
    const Options& m_options;
    QHash<QString, Media> m_media;
    QHash<QByteArray, Media> m_mediaByBytes;
    QList<std::pair<QString, QByteArray>> m_mediaBytes;
    int m_drawings = 0;
};

} // namespace

QByteArray docxPackage(const QTextDocument& doc, const Options& options) {
    return Writer(doc, options).package();
}

void writeDocx(const QTextDocument& doc, QIODevice* out, const Options& options) {
    const QByteArray bytes = docxPackage(doc, options);
    if (out->write(bytes) != bytes.size())
        throw std::runtime_error("the document could not be written: " + out->errorString().toStdString());
}

} // namespace docx
