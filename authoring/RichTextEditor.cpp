#include "authoring/RichTextEditor.h"

#include "richtext/RichText.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

namespace {

// Formats word processors put rich text on the clipboard under.
const char* const RtfFormats[] = {"text/rtf", "application/rtf", "text/richtext",
                                  "application/x-qt-windows-mime;value=\"Rich Text Format\""};

// Pictures wider than the editor can show are shown at this width; their bytes stay as they are.
constexpr double MaxShownWidth = 560;

QString rtfFormatOf(const QMimeData* source) {
    for (const char* f : RtfFormats)
        if (source->hasFormat(QLatin1String(f)))
            return QLatin1String(f);
    return QString();
}

} // namespace

RichTextEditor::RichTextEditor(QWidget* parent) : QTextEdit(parent) {
    setAcceptRichText(true);
    setAttribute(Qt::WA_InputMethodEnabled); // Chinese input methods (fcitx, ibus) write here
    setTabChangesFocus(false);
}

void RichTextEditor::setRichText(const QByteArray& blob) {
    richtext::readRtf(blob, document());
    document()->setModified(false);
}

QByteArray RichTextEditor::richText() const {
    return richtext::writeRtf(*document());
}

bool RichTextEditor::hasContent() const {
    // Pictures stand in the plain text as U+FFFC, which is no blank.
    return !document()->toPlainText().trimmed().isEmpty();
}

bool RichTextEditor::changed() const {
    return document()->isModified();
}

void RichTextEditor::clearContent() {
    clear();
    setCurrentCharFormat(QTextCharFormat());
    document()->setModified(false);
}

QString RichTextEditor::insertPictureFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("无法打开图片文件！");
    if (file.size() > 16 * 1024 * 1024)
        return QStringLiteral("图片太大，无法插入！");
    const QByteArray bytes = file.readAll();
    if (insertPicture(bytes))
        return QString();
    return QImage::fromData(bytes).isNull() ? QStringLiteral("该文件不是可以识别的图片！")
                                            : QStringLiteral("图片太大，无法插入！");
}

bool RichTextEditor::insertPicture(const QByteArray& bytes) {
    QTextImageFormat format = richtext::addPicture(document(), bytes);
    if (format.name().isEmpty())
        return false;
    if (format.width() > MaxShownWidth) {
        format.setHeight(format.height() * MaxShownWidth / format.width());
        format.setWidth(MaxShownWidth);
    }
    textCursor().insertImage(format);
    return true;
}

void RichTextEditor::toggleBold() {
    QTextCharFormat f;
    f.setFontWeight(currentCharFormat().fontWeight() >= QFont::DemiBold ? QFont::Normal : QFont::Bold);
    mergeCurrentCharFormat(f);
}

void RichTextEditor::toggleItalic() {
    QTextCharFormat f;
    f.setFontItalic(!currentCharFormat().fontItalic());
    mergeCurrentCharFormat(f);
}

void RichTextEditor::toggleUnderline() {
    QTextCharFormat f;
    f.setFontUnderline(!currentCharFormat().fontUnderline());
    mergeCurrentCharFormat(f);
}

void RichTextEditor::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_B:
            toggleBold();
            return;
        case Qt::Key_I:
            toggleItalic();
            return;
        case Qt::Key_U:
            toggleUnderline();
            return;
        default:
            break;
        }
    }
    QTextEdit::keyPressEvent(event);
}

bool RichTextEditor::canInsertFromMimeData(const QMimeData* source) const {
    return !rtfFormatOf(source).isEmpty() || source->hasImage() || QTextEdit::canInsertFromMimeData(source);
}

void RichTextEditor::insertFromMimeData(const QMimeData* source) {
    // Text from a word processor: our own reader keeps what Qt's HTML import of it would lose.
    if (const QString format = rtfFormatOf(source); !format.isEmpty()) {
        QTextCursor cursor = textCursor();
        richtext::insertRtf(cursor, source->data(format));
        setTextCursor(cursor);
        return;
    }
    // Picture files copied in a file manager keep their bytes.
    if (source->hasUrls()) {
        bool inserted = false;
        for (const QUrl& url : source->urls()) {
            if (!url.isLocalFile())
                continue;
            QFile file(url.toLocalFile());
            if (file.size() <= 16 * 1024 * 1024 && file.open(QIODevice::ReadOnly)) {
                const QByteArray bytes = file.readAll();
                inserted = insertPicture(bytes) || inserted;
            }
        }
        if (inserted)
            return;
    }
    if (source->hasImage()) {
        const QImage image = qvariant_cast<QImage>(source->imageData());
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.isNull() && image.save(&buffer, "PNG"))
            insertPicture(png);
        return;
    }
    QTextEdit::insertFromMimeData(source);
}
