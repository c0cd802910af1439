#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;
class QTextDocument;

namespace docx {

struct Options {
    QString eastAsiaFont = QStringLiteral("SimSun"); // the face of Chinese text, declared zh-CN
    QString latinFont = QStringLiteral("Times New Roman");
    double pointSize = 10.5;
    QString title; // the document's title in its properties
};

// The document as a WordprocessingML package (.docx): its paragraphs with alignment, indents and
// spacing, heading levels as heading styles, runs with bold, italic, underline, strike-out, colour,
// background, size, raised and lowered text and their fonts, tables with merged cells, pictures at their
// size (no wider than the page) and page breaks. A4 pages. Throws std::runtime_error when zipping fails.
QByteArray docxPackage(const QTextDocument& doc, const Options& options);

// Writes the package to out. Throws std::runtime_error when the device does not take every byte.
void writeDocx(const QTextDocument& doc, QIODevice* out, const Options& options);

} // namespace docx
