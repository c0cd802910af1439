#pragma once

#include <QString>

class QIODevice;
class QTextDocument;

namespace docx {

// Lays doc out on A4 pages with margins of 2 cm and writes them as PDF to out.
void writePdf(const QTextDocument& doc, QIODevice* out, const QString& title);

} // namespace docx
