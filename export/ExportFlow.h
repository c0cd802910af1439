#pragma once

#include "export/DocxWriter.h"

#include <QString>

#include <functional>

class QTextDocument;
class QWidget;

// The document's East Asian face (the Simplified Chinese face installed here) and title.
docx::Options DocumentOptions(const QString& title);

// What exporting a document shows the learner.
struct ExportTexts {
    QString progress; // on the progress window while it is written
    QString failure;  // in a warning box when anything fails
};

// Asks where to save a document (a Word document or a PDF; proposed as the title + ".docx" in the
// documents folder), builds it with build, writes it and opens it in the desktop's viewer. The file type
// chosen in the dialog decides and the name follows it. Every failure shows texts.failure and leaves no
// half-written file under the chosen name. Returns the file written, empty when nothing was.
QString ExportDocument(QWidget* parent, const QString& title, const ExportTexts& texts,
                       const std::function<void(QTextDocument*)>& build);
