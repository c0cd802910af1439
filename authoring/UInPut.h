#pragma once

#include "authoring/AuthoringForm.h"

// Question entry: the learner adds questions of their own to one chapter. Each save writes the question,
// its content and the counters in one transaction and clears the form for the next question.
class TFrmInPut : public AuthoringForm {
    Q_OBJECT

public:
    explicit TFrmInPut(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFrmInPut)

    // The chapter the questions are filed under (a tab_kmmc code of four or six characters).
    void SetChapter(const QString& code) { m_chapter = code; }
    const QString& Chapter() const { return m_chapter; }
    // "试题录入 [chapter name]", kept in the hidden label Lb_cap.
    void SetHeading(const QString& text);
    // Questions saved since the window opened.
    int SavedCount() const { return m_saved; }
    // The id of the question saved last.
    const QString& LastSavedId() const { return m_lastId; }

    // The buttons' work.
    bool Save();
    void ClearForm();

    RichTextEditor* Re1;
    RichTextEditor* Re2;
    QLabel* Lb_cap;
    QLabel* Lb_saved;

protected:
    QString PointLimitText() const override;
    int CallerMark() const override { return 1; }

private:
    void TypeChanged();
    void SelectFirstType();
    void CloseWindow();

    QString m_chapter;
    QString m_lastId;
    int m_saved = 0;
};
