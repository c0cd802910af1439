#pragma once

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QList>
#include <QString>

class QTextBlock;
class QTextCharFormat;
class QTextDocument;
class QTextFrame;
class QTextImageFormat;
class QTextTable;

namespace richtext::detail {

// Writes a QTextDocument as RTF in code page 936: GBK byte pairs where GBK has the character,
// \uN otherwise. One writer writes one document.
class RtfWriter {
public:
    explicit RtfWriter(const QTextDocument& doc);
    QByteArray write();

private:
    struct EncodedImage {
        QByteArray data;
        bool jpeg = false;
        int width = 0;
        int height = 0;
    };

    void writeFrame(const QTextFrame* frame, bool inCell);
    void writeBlock(const QTextBlock& block, bool inCell);
    void writeParagraphFormat(const QTextBlock& block, bool inCell);
    void writeRun(const QString& text, const QTextCharFormat& format);
    void writeImage(const QTextImageFormat& format);
    void writeTable(const QTextTable* table);
    void writeText(QStringView text, QByteArray& out);
    QByteArray charFormatCodes(const QTextCharFormat& format);
    const EncodedImage* image(const QString& name);
    int fontIndex(const QString& family);
    int colorIndex(const QColor& color);
    void paragraphEnd(const QTextBlock& block);

    const QTextDocument& m_doc;
    QByteArray m_body;
    QList<QString> m_fonts; // index 0 is the default font
    QList<QColor> m_colors; // colour table entries from 1
    QHash<QString, EncodedImage> m_images;
    double m_defaultPointSize = 12;
};

} // namespace richtext::detail
