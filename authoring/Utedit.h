#pragma once

#include "authoring/AuthoringForm.h"

namespace store {
class DataSet;
}

// Question editing: corrects the question on show in a chapter practice - its stem, explanation, shared
// stem, option count, answer, type and exam points - on the practice's own rows. A save writes what
// changed in one transaction and closes the window only once it is committed.
class TfrmTedit : public AuthoringForm {
    Q_OBJECT

public:
    // question is the practice's question set, standing on the question to edit. Reads the question's
    // content and shared stem into the shared cursors; engine errors are thrown.
    explicit TfrmTedit(store::DataSet& question, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TfrmTedit)

    // The "保存" button's work: false when the form is refused or the save failed (the window stays open
    // with what the learner typed).
    bool Save();

    RichTextEditor* RxDBRichEdit1; // stem
    RichTextEditor* RxDBRichEdit2; // explanation
    RichTextEditor* RxDBRichEdit3; // shared stem of a multi-part question
    QLabel* SharedStemLabel;
    bool HasSharedStem() const { return m_hasSharedStem; }

protected:
    QString PointLimitText() const override;
    int CallerMark() const override { return 2; }

private:
    void FormShow();
    void TypeChanged();

    store::DataSet& m_question;
    QString m_id;
    int m_typeAtOpen = 0;
    int m_typeRowAtOpen = -1;
    bool m_hasSharedStem = false;
};
