#include "export/ExportFlow.h"

#include "export/DocumentFile.h"
#include "platform/Desktop.h"
#include "ui/FileDialogs.h"
#include "ui/Helpers.h"
#include "ui/Services.h"
#include "ui/Uprogress.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextDocument>

#include <exception>

docx::Options DocumentOptions(const QString& title) {
    docx::Options options;
    if (const QString family = ChineseFontFamily(); !family.isEmpty())
        options.eastAsiaFont = family;
    options.title = title;
    return options;
}

namespace {

const char* const DocxFilter = "Word 文档 (*.docx)";
const char* const PdfFilter = "PDF 文档 (*.pdf)";

QString ProposedFileName(const QString& title) {
    QString name = title;
    for (QChar& c : name)
        if (QStringLiteral("\\/:*?\"<>|").contains(c) || c.unicode() < 0x20)
            c = u'_';
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return QDir(folder).filePath(name + QStringLiteral(".docx"));
}

} // namespace

QString ExportDocument(QWidget* parent, const QString& title, const ExportTexts& texts,
                       const std::function<void(QTextDocument*)>& build) {
    FileRequest request{QStringLiteral("生成文档"), ProposedFileName(title),
                        QString::fromUtf8(DocxFilter) + QStringLiteral(";;") + QString::fromUtf8(PdfFilter),
                        QString::fromUtf8(DocxFilter)};
    QString path = fileDialogs().saveFile(parent, request);
    if (path.isEmpty())
        return QString();
    // The file type chosen in the dialog decides; the name follows it (the proposal ends in .docx).
    const docx::DocumentFormat format = docx::formatForFile(path, request.selectedFilter);
    if (const QString adjusted = docx::withExtension(path, format); adjusted != path) {
        path = adjusted;
        // The dialog asked about the name it returned, not about this one.
        if (QFileInfo::exists(path) &&
            messages().box(QStringLiteral("提示"),
                           QDir::toNativeSeparators(path) + QStringLiteral(" 已存在，要替换吗？"),
                           MsgIcon::Question, MsgButtons::OkCancel) != MsgAnswer::Ok)
            return QString();
    }
    try {
        BusyCursor busy;
        ShowProgress(texts.progress);
        QTextDocument doc;
        build(&doc);
        docx::saveDocument(doc, path, format, DocumentOptions(title));
        HideProgress();
    } catch (const std::exception&) {
        HideProgress();
        messages().box(QStringLiteral("警告"), texts.failure, MsgIcon::Warning, MsgButtons::Ok);
        return QString();
    }
    if (!documentOpener().openDocument(path))
        messages().box(QStringLiteral("提示"),
                       QStringLiteral("文档已保存到：") + QDir::toNativeSeparators(path),
                       MsgIcon::Information, MsgButtons::Ok);
    return path;
}
