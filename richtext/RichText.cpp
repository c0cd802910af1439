#include "richtext/RichText.h"

#include <QTextDocument>

// Placeholder until the RTF reader and writer land: plain text in, plain text out.
namespace richtext {

void readRtf(const QByteArray& data, QTextDocument* doc) { doc->setPlainText(QString::fromUtf8(data)); }

QByteArray writeRtf(const QTextDocument& doc) { return doc.toPlainText().toUtf8(); }

QString plainText(const QByteArray& data) { return QString::fromUtf8(data); }

} // namespace richtext
