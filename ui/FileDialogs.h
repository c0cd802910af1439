#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Every file dialog of the program goes through here, so that a test can say beforehand which file the
// learner picks (or that they cancel) and can see what was asked.
struct FileRequest {
    QString caption;
    QString folder;
    QString filter;         // Qt's form: "位图 (*.bmp);;PNG 图片 (*.png)"
    QString selectedFilter; // in: the filter chosen at first; out: the one the learner chose
};

class FileDialogService {
public:
    virtual ~FileDialogService();
    // An existing file to open; empty when cancelled.
    virtual QString openFile(QWidget* parent, FileRequest& request) = 0;
    // A file to write, asking before an existing one is overwritten; empty when cancelled.
    virtual QString saveFile(QWidget* parent, FileRequest& request) = 0;
};

FileDialogService& fileDialogs();
// Installs service (not owned); nullptr restores the one that shows real dialogs.
void setFileDialogService(FileDialogService* service);

// Answers from a queue (an empty name is a cancel) and records the requests.
class ScriptedFileDialogs : public FileDialogService {
public:
    // The name the next dialog returns; selectedFilter, when given, is the filter the learner "chose".
    void setNextFileName(const QString& name, const QString& selectedFilter = QString());

    QString openFile(QWidget* parent, FileRequest& request) override;
    QString saveFile(QWidget* parent, FileRequest& request) override;

    QList<FileRequest> asked;

private:
    QString answer(FileRequest& request);
    QStringList m_names;
    QStringList m_filters;
};

// Installs a ScriptedFileDialogs for the lifetime of the guard.
class ScopedFileDialogs {
public:
    ScopedFileDialogs();
    ~ScopedFileDialogs();
    ScopedFileDialogs(const ScopedFileDialogs&) = delete;
    ScopedFileDialogs& operator=(const ScopedFileDialogs&) = delete;

    ScriptedFileDialogs* operator->() { return &m_script; }
    ScriptedFileDialogs& script() { return m_script; }

private:
    ScriptedFileDialogs m_script;
    FileDialogService* m_previous;
};
