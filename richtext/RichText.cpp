#include "richtext/RichText.h"

#include "richtext/CodePage.h"
#include "richtext/DocumentSink.h"
#include "richtext/RtfReader.h"
#include "richtext/RtfWriter.h"

#include <QTextDocument>

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

} // namespace richtext
