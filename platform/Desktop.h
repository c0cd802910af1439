#pragma once

#include <QString>

// "Show the desktop" from the practice and exam windows: the learner wants the program out of the
// way for a moment. Every visible top-level window of the program is minimised; nothing else on the
// desktop is touched, which works the same on every platform and window manager.
void ShowDesktop();

// Opens a written document in the desktop's default application for its type. A test installs its
// own, which records the file instead of starting a word processor.
class DocumentOpener {
public:
    virtual ~DocumentOpener();
    // False when the desktop has no application for the file.
    virtual bool openDocument(const QString& path) = 0;
};

DocumentOpener& documentOpener();
// Installs opener (not owned); nullptr restores the desktop's.
void setDocumentOpener(DocumentOpener* opener);
