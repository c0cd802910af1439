#include "richtext/RichText.h"

#include "richtext/CodePage.h"
#include "richtext/DocumentSink.h"
#include "richtext/PictureSource.h"
#include "richtext/RtfReader.h"
#include "richtext/RtfWriter.h"

#include <QBuffer>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextImageFormat>
#include <QUuid>

namespace richtext {

using namespace detail;

void readRtf(const QByteArray& data, QTextDocument* doc) {
    if (!doc)
        return;
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false); // recording every insertion would double the cost of reading
    doc->clear();
    const QByteArrayView bytes = QByteArrayView(data).first(qMin(data.size(), Limits::kMaxInputBytes));
    if (looksLikeRtf(bytes)) {
        DocumentSink sink(doc);
        RtfReader reader(bytes, sink);
        reader.read();
    } else {
        doc->setPlainText(decodePlainBlob(bytes));
    }
    doc->setUndoRedoEnabled(undo);
    doc->setModified(false);
}

QByteArray writeRtf(const QTextDocument& doc) {
    return RtfWriter(doc).write();
}

QString plainText(const QByteArray& data) {
    const QByteArrayView bytes = QByteArrayView(data).first(qMin(data.size(), Limits::kMaxInputBytes));
    if (!looksLikeRtf(bytes))
        return decodePlainBlob(bytes);
    PlainTextSink sink;
    RtfReader reader(bytes, sink);
    reader.read();
    return sink.result();
}

namespace {

// A name no picture of any document has yet; the writer looks for kept bytes under names of this form.
QString newPictureName() {
    return readerPictureName(0) + u'-' + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

QImage decodeWithinLimits(const QByteArray& bytes) {
    if (bytes.isEmpty() || bytes.size() > Limits::kMaxPictureBytes)
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > Limits::kMaxPicturePixels)
        return {};
    return reader.read();
}

bool keptAsIs(const QByteArray& bytes) {
    return bytes.startsWith("\x89PNG\r\n\x1a\n") || bytes.startsWith("\xFF\xD8\xFF");
}

} // namespace

QTextImageFormat addPicture(QTextDocument* doc, const QByteArray& bytes) {
    QTextImageFormat format;
    const QImage image = decodeWithinLimits(bytes);
    if (!doc || image.isNull())
        return format;
    const QString name = newPictureName();
    doc->addResource(QTextDocument::ImageResource, QUrl(name), image);
    if (keptAsIs(bytes))
        doc->addResource(QTextDocument::ImageResource, pictureSourceUrl(QUrl(name)), bytes);
    format.setName(name);
    format.setWidth(image.width());
    format.setHeight(image.height());
    return format;
}

void insertRtf(QTextCursor& cursor, const QByteArray& data) {
    QTextDocument* target = cursor.document();
    if (!target)
        return;
    QTextDocument pasted;
    readRtf(data, &pasted);
    // Each picture moves to the target under a new name, with the bytes it was read from.
    struct Found {
        int position;
        int length;
        QTextImageFormat format;
    };
    QList<Found> found;
    for (QTextBlock b = pasted.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                found.push_back({it.fragment().position(), it.fragment().length(),
                                 it.fragment().charFormat().toImageFormat()});
    QHash<QString, QString> renamed;
    for (Found& f : found) {
        const QString old = f.format.name();
        if (!renamed.contains(old)) {
            const QString name = newPictureName();
            const QUrl oldUrl(old);
            target->addResource(QTextDocument::ImageResource, QUrl(name),
                                pasted.resource(QTextDocument::ImageResource, oldUrl));
            const QVariant source = pasted.resource(QTextDocument::ImageResource, pictureSourceUrl(oldUrl));
            if (source.typeId() == QMetaType::QByteArray)
                target->addResource(QTextDocument::ImageResource, pictureSourceUrl(QUrl(name)), source);
            renamed.insert(old, name);
        }
        f.format.setName(renamed.value(old));
        QTextCursor c(&pasted);
        c.setPosition(f.position);
        c.setPosition(f.position + f.length, QTextCursor::KeepAnchor);
        c.setCharFormat(f.format);
    }
    cursor.insertFragment(QTextDocumentFragment(&pasted));
}

} // namespace richtext
