#pragma once

#include <QByteArray>
#include <QTextEdit>

// A rich-text editor for stems and explanations: loads and gives the stored rich text, takes pictures
// from files and the clipboard with their own bytes, and reads text pasted from word processors with
// the program's rich-text reader. Ctrl+B, Ctrl+I and Ctrl+U switch bold, italic and underline.
class RichTextEditor : public QTextEdit {
    Q_OBJECT

public:
    explicit RichTextEditor(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(RichTextEditor)

    // Shows a stored blob; the editor counts as unchanged afterwards.
    void setRichText(const QByteArray& blob);
    // The content as the program stores it.
    QByteArray richText() const;
    // True when the content holds text other than blanks, or a picture.
    bool hasContent() const;
    // True when the learner changed the content since it was set or cleared.
    bool changed() const;
    // Empties the editor; it counts as unchanged afterwards.
    void clearContent();

    // Inserts a picture file at the cursor. Returns an empty text, or why the file cannot be inserted.
    QString insertPictureFile(const QString& path);

    void toggleBold();
    void toggleItalic();
    void toggleUnderline();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // False when the bytes are no picture, or one too large.
    bool insertPicture(const QByteArray& bytes);
};
