#pragma once

#include "export/DocxWriter.h"

#include <QString>

class QTextDocument;

namespace docx {

enum class DocumentFormat { Docx, Pdf };

// The format a chosen file asks for: the filter picked in the dialog, else the file's extension; .docx
// unless PDF is asked for.
DocumentFormat formatForFile(const QString& path, const QString& selectedFilter = QString());
// The name with the extension of format: the other format's extension is replaced, a name without either
// gets it added.
QString withExtension(const QString& path, DocumentFormat format);

// Writes doc to path in format. The bytes go to a temporary file beside path, which takes the name only
// once it is complete: after a failure an earlier file of that name is still there unchanged, and no
// half-written file is. Throws std::runtime_error.
void saveDocument(const QTextDocument& doc, const QString& path, DocumentFormat format,
                  const Options& options);

// Test hook: every document written from now on fails after this many bytes (negative: never).
void failDocumentWritesAfter(qint64 bytes);

} // namespace docx
