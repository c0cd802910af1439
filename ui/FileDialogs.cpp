#include "ui/FileDialogs.h"

#include <QFileDialog>

FileDialogService::~FileDialogService() = default;

namespace {

class WindowFileDialogs : public FileDialogService {
public:
    QString openFile(QWidget* parent, FileRequest& request) override {
        return QFileDialog::getOpenFileName(parent, request.caption, request.folder, request.filter,
                                            &request.selectedFilter);
    }
    QString saveFile(QWidget* parent, FileRequest& request) override {
        // The dialog itself asks before overwriting an existing file.
        return QFileDialog::getSaveFileName(parent, request.caption, request.folder, request.filter,
                                            &request.selectedFilter);
    }
};

WindowFileDialogs g_windowDialogs;
FileDialogService* g_dialogs = &g_windowDialogs;

} // namespace

FileDialogService& fileDialogs() {
    return *g_dialogs;
}

void setFileDialogService(FileDialogService* service) {
    g_dialogs = service ? service : &g_windowDialogs;
}

void ScriptedFileDialogs::setNextFileName(const QString& name, const QString& selectedFilter) {
    m_names.append(name);
    m_filters.append(selectedFilter);
}

QString ScriptedFileDialogs::answer(FileRequest& request) {
    asked.append(request);
    if (m_names.isEmpty())
        return QString();
    const QString filter = m_filters.takeFirst();
    if (!filter.isEmpty())
        request.selectedFilter = filter;
    return m_names.takeFirst();
}

QString ScriptedFileDialogs::openFile(QWidget*, FileRequest& request) {
    return answer(request);
}

QString ScriptedFileDialogs::saveFile(QWidget*, FileRequest& request) {
    return answer(request);
}

ScopedFileDialogs::ScopedFileDialogs() : m_previous(&fileDialogs()) {
    setFileDialogService(&m_script);
}

ScopedFileDialogs::~ScopedFileDialogs() {
    setFileDialogService(m_previous);
}
