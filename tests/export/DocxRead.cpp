#include "tests/export/DocxRead.h"

#include "export/ZipPackage.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QXmlStreamReader>

namespace docxtest {

namespace {

bool wellFormed(const QByteArray& xml, QString* error) {
    QXmlStreamReader r(xml);
    while (!r.atEnd())
        r.readNext();
    if (r.hasError())
        *error = r.errorString() + QStringLiteral(" at line %1").arg(r.lineNumber());
    return !r.hasError();
}

} // namespace

Package readPackage(const QByteArray& bytes) {
    Package p;
    p.entries = docx::zipEntryNames(bytes);
    for (const char* required : {"[Content_Types].xml", "_rels/.rels", "word/document.xml", "word/styles.xml",
                                 "word/_rels/document.xml.rels"}) {
        bool found = false;
        const QByteArray part = docx::unzipPart(bytes, QLatin1String(required), &found);
        if (!found) {
            p.error = QStringLiteral("missing ") + QLatin1String(required);
            return p;
        }
        if (!wellFormed(part, &p.error)) {
            p.error = QLatin1String(required) + QStringLiteral(": ") + p.error;
            return p;
        }
    }
    p.documentXml = docx::unzipPart(bytes, QStringLiteral("word/document.xml"));
    p.stylesXml = docx::unzipPart(bytes, QStringLiteral("word/styles.xml"));

    QHash<QString, QString> targets;
    QXmlStreamReader rels(docx::unzipPart(bytes, QStringLiteral("word/_rels/document.xml.rels")));
    while (!rels.atEnd()) {
        rels.readNext();
        if (rels.isStartElement() && rels.name() == u"Relationship")
            targets.insert(rels.attributes().value(QLatin1String("Id")).toString(),
                           rels.attributes().value(QLatin1String("Target")).toString());
    }

    QXmlStreamReader r(p.documentXml);
    Paragraph* para = nullptr;
    Run run;
    int tableDepth = 0, row = -1, column = 0;
    bool inRunProps = false;
    while (!r.atEnd()) {
        r.readNext();
        const auto name = r.name();
        if (r.isStartElement()) {
            if (name == u"tbl") {
                ++tableDepth;
                ++p.tables;
                row = -1;
            } else if (name == u"tr") {
                ++row;
                column = 0;
            } else if (name == u"gridSpan") {
                p.gridSpans << QStringLiteral("%1,%2:%3")
                                   .arg(row)
                                   .arg(column)
                                   .arg(r.attributes().value(QLatin1String("w:val")).toString());
            } else if (name == u"p") {
                p.paragraphs.push_back({});
                para = &p.paragraphs.back();
                para->inTable = tableDepth > 0;
            } else if (name == u"pStyle" && para) {
                para->style = r.attributes().value(QLatin1String("w:val")).toString();
            } else if (name == u"jc" && para) {
                para->align = r.attributes().value(QLatin1String("w:val")).toString();
            } else if (name == u"r") {
                run = Run();
            } else if (name == u"rPr" && para) {
                inRunProps = true;
            } else if (inRunProps && name == u"b") {
                run.bold = true;
            } else if (inRunProps && name == u"i") {
                run.italic = true;
            } else if (inRunProps && name == u"u") {
                run.underline = true;
            } else if (inRunProps && name == u"color") {
                run.color = r.attributes().value(QLatin1String("w:val")).toString();
            } else if (inRunProps && name == u"sz") {
                run.halfPoints = r.attributes().value(QLatin1String("w:val")).toInt();
            } else if (inRunProps && name == u"rFonts") {
                run.eastAsiaFont = r.attributes().value(QLatin1String("w:eastAsia")).toString();
            } else if (name == u"t" && para) {
                const QString text = r.readElementText();
                run.text += text;
                para->text += text;
            } else if (name == u"tab" && para && !inRunProps) {
                para->text += u'\t';
            } else if (name == u"br" && para) {
                if (r.attributes().value(QLatin1String("w:type")) == u"page")
                    para->pageBreak = true;
                else
                    para->text += u'\n';
            } else if (name == u"blip" && para) {
                ++para->pictures;
                p.pictureTargets << targets.value(r.attributes().value(QLatin1String("r:embed")).toString());
            }
        } else if (r.isEndElement()) {
            if (name == u"rPr")
                inRunProps = false;
            else if (name == u"r" && para)
                para->runs.push_back(run);
            else if (name == u"tc")
                ++column;
            else if (name == u"tbl")
                --tableDepth;
        }
    }
    if (r.hasError()) {
        p.error = r.errorString();
        return p;
    }
    p.ok = true;
    return p;
}

Package readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        Package p;
        p.error = QStringLiteral("cannot open ") + path;
        return p;
    }
    return readPackage(f.readAll());
}

QByteArray png(int width, int height, const QColor& color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QStringList texts(const Package& p) {
    QStringList out;
    for (const Paragraph& para : p.paragraphs)
        out << para.text;
    return out;
}

} // namespace docxtest
