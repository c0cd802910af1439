#pragma once

#include <QByteArray>
#include <QString>

class QTextCursor;
class QTextDocument;
class QTextImageFormat;

namespace richtext {

// Reads a stored rich-text blob into doc (cleared first). Blobs that are not RTF show as plain text.
// Never throws; malformed input gives whatever could be read.
void readRtf(const QByteArray& data, QTextDocument* doc);

// Writes doc as RTF (code page 936) that readRtf and common word processors read back.
QByteArray writeRtf(const QTextDocument& doc);

// The text of a blob without its formatting, paragraphs separated by '\n'.
QString plainText(const QByteArray& data);

// Adds a picture file's bytes to doc under a new name and returns an image format for it at its own
// size. PNG and JPEG bytes are kept as they are and written out unchanged; other formats are written as
// PNG. Returns a format without a name when the bytes are no picture, or one larger than the reader
// shows (16 MB, 16 megapixels).
QTextImageFormat addPicture(QTextDocument* doc, const QByteArray& bytes);

// Inserts an RTF blob (text pasted from a word processor) at cursor with its formats, tables and
// pictures; the pictures keep their bytes under names new to the cursor's document.
void insertRtf(QTextCursor& cursor, const QByteArray& data);

} // namespace richtext
