#pragma once

#include <QWidget>

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QSplitter;
class QStackedWidget;
class QTextBrowser;
class QToolButton;
class QVariantAnimation;

// One question as practice and exam windows show it: the header line, the stem (with the shared stem of
// a group above it), the six answer pages and the answer panel that slides over the stem.
//
// Pages: 0 single choice, 1 multiple choice, 2 fill-in, 3 judgement, 4 self-assessment, 5 indefinite
// choice. Answers are encoded as the question rows store them: letters in A..F order, the trimmed text,
// "A"/"B" for right/wrong, "0"/"1" for "不会"/"会".
class QuestionView : public QWidget {
    Q_OBJECT

public:
    explicit QuestionView(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(QuestionView)

    static constexpr int PageCount = 6;

    void setHeader(const QString& text);
    QString header() const;

    // Shows a question's own stem; with a shared stem the lower pane opens for the own stem.
    void showStem(const QByteArray& ownStem);
    void showStems(const QByteArray& sharedStem, const QByteArray& ownStem);
    bool lowerPaneOpen() const;
    // Heights of the shared-stem and own-stem panes (test and layout checks).
    QList<int> paneHeights() const;
    QString upperStemText() const;
    QString lowerStemText() const;

    void setPage(int page);
    int page() const;

    // Puts a stored answer back on a page: option buttons beyond optionCount hidden and released.
    void putAnswer(int page, const QString& answer, int optionCount);
    // The answer on a page, considering only the first optionCount options (at most six).
    QString readAnswer(int page, int optionCount) const;
    // Keyboard: presses an option on the single-choice page, toggles it on the multiple-choice page.
    bool pressLetter(QChar letter);

    // Answer panel.
    void openAnswerPanel(const QString& answer, const QString& key, int page, bool animate = true);
    void closeAnswerPanel(bool animate = true);
    bool answerPanelOpen() const { return m_panelOpen; }
    QString answerPanelText() const;

    // The side label of the self-assessment page: two characters one above the other.
    void setSubjectiveLabel(const QString& twoChars);
    QString subjectiveLabel() const;

    QAbstractButton* optionButton(int page, int index) const;
    QAbstractButton* judgementButton(int index) const;
    QLineEdit* fillInBox() const { return m_fillIn; }
    QComboBox* selfAssessment() const { return m_selfAssessment; }

signals:
    // The learner changed the answer on the page.
    void answerEdited();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* buildOptionPage(int page);
    void slidePanel(bool open, bool animate);
    void fitStemPanes();
    int paneHeightFor(QTextBrowser* pane) const;

    QLabel* m_header;
    QSplitter* m_split;
    QTextBrowser* m_upper;
    QTextBrowser* m_lower;
    QStackedWidget* m_pages;
    QToolButton* m_options[PageCount][6] = {};
    QToolButton* m_judgement[2] = {};
    QLineEdit* m_fillIn = nullptr;
    QComboBox* m_selfAssessment = nullptr;
    QLabel* m_subjectiveLabel = nullptr;
    QWidget* m_panel;
    QLabel* m_panelText;
    QVariantAnimation* m_slide;
    bool m_panelOpen = false;
};
