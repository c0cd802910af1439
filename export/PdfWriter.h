#pragma once

#include <QString>

class QIODevice;
class QTextDocument;

namespace docx {

// Lays doc out on A4 pages with margins of 2 cm and writes them as PDF to out. Text in a face that is not
// installed falls back to chineseFace, not to whatever face the system offers first (which under an
// English or C locale is a Japanese one).
void writePdf(const QTextDocument& doc, QIODevice* out, const QString& title, const QString& chineseFace);

} // namespace docx
