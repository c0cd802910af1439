#pragma once

#include <QDialog>
#include <QString>

#include <exception>

class QPlainTextEdit;
class QPushButton;

namespace store {
class DataSet;
}

// Set by the notes window when it closes: true when the notes left in the box are not blank. The
// caller's notes button reads "有内容" then, "笔记" otherwise.
extern bool NotesHaveContent;

// The notes window: the learner's own notes on the current row of the caller's question list. The
// box is bound to one field of that row; closing the window (button, Esc or the title bar) writes
// the box back into the row and so into the bank.
class TFrmBj : public QDialog {
    Q_OBJECT

public:
    explicit TFrmBj(QWidget* parent = nullptr);
    ~TFrmBj() override;
    Q_DISABLE_COPY_MOVE(TFrmBj)

    // Puts dataSet's current row in edit mode and shows fieldName of it in the box. caller is "lx"
    // from practice and "ks" from the mock exam; it changes nothing here. Throws store::DbError when
    // the set is closed, has no current row or has no such field.
    void bind(store::DataSet* dataSet, const QString& fieldName, const QString& caller = QString());
    const QString& callerMarker() const { return m_caller; }

    // Shows the window modally; a failure to store the notes is thrown from here, after the window
    // has closed, with the caller's row back in browse mode.
    int exec() override;
    void done(int result) override;

    QPlainTextEdit* Memo1;
    QPushButton* CloseButton;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void store();

    store::DataSet* m_dataSet = nullptr;
    QString m_field;
    QString m_caller;
    bool m_stored = false;
    std::exception_ptr m_failure;
};
