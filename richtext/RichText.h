#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace richtext {

// Reads a stored rich-text blob into doc (cleared first). Blobs that are not RTF show as plain text.
// Never throws; malformed input gives whatever could be read.
void readRtf(const QByteArray& data, QTextDocument* doc);

// Writes doc as RTF (code page 936) that readRtf and common word processors read back.
QByteArray writeRtf(const QTextDocument& doc);

// The text of a blob without its formatting, paragraphs separated by '\n'.
QString plainText(const QByteArray& data);

} // namespace richtext
