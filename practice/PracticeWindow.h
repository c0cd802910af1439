#pragma once

#include "practice/Pictures.h"
#include "practice/QuestionView.h"

#include <QDateTime>
#include <QDialog>
#include <QList>
#include <QPixmap>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QToolButton;
class QuestionButton;
namespace store {
class DataSet;
}

// The SQL of the next practice set, written by the window that opens a practice just before it does.
extern QString PracticeQueryText;

// What tells the chapter practice and the exam-point practice apart.
struct PracticeOptions {
    QString voidCaption = QStringLiteral("题目作废"); // the void button's caption while the question counts
    QString emptyAnswerText = QStringLiteral("请先做出答案！");
    bool canEditQuestion = true;      // "修改本题" present
    bool showsEditedLine = true;      // "本题被您修改过" when the question was edited
    bool setsHintBoard = true;        // the hint board shows the current chapter's title
    bool labelsSubjectivePage = true; // the self-assessment page is labelled after the type tab
};

// The practice core shared by the practice windows: type tabs, groups of twenty question buttons, one
// question on show with its answer page, marking, the per-question gauge and the practice clock.
class PracticeWindow : public QDialog {
    Q_OBJECT

public:
    explicit PracticeWindow(const PracticeOptions& options, QWidget* parent = nullptr);
    ~PracticeWindow() override;
    Q_DISABLE_COPY_MOVE(PracticeWindow)

    // Clears the per-practice answers of the whole bank, opens PracticeQueryText and builds the type tabs;
    // false when the set is empty.
    bool LoadPracticeSet();

    // The question-view operations.
    void ShowQuestion(int previous, int next, int last, int first);
    void SaveAnswer(int position, int page, int mode, int last, int first);

    // State a test or the learner can see.
    QuestionView* View() const { return m_view; }
    int CurrentPosition() const { return m_current; }
    int GroupCount() const { return m_groupCount; }
    int CurrentGroup() const { return m_group; }
    int GroupFirst() const { return m_first; }
    int GroupSize() const { return m_size; }
    QString GroupText() const;
    QString StatusLine(int i) const;
    QString HintBoard() const;
    // The opener's heading for a window whose options leave the hint board to it.
    void SetHintBoard(const QString& text);
    QString ClockText() const;
    int Gauge() const;
    QuestionButton* Button(int i) const { return m_buttons.value(i); } // 0..19
    int TypeTabCount() const { return int(m_tabs.size()); }
    QToolButton* TypeTab(int i) const;
    QPushButton* ActionButton(const QString& caption) const;
    // The star of the question on show: "收藏" (S on the keyboard).
    QToolButton* BookmarkButton() const { return m_star; }
    void ToggleBookmark();
    // "背题": the practice's questions with their answers in a window of their own, from the one on show.
    QToolButton* StudyButton() const { return m_study; }
    void OpenStudy();
    void PressTypeTab(int index);
    void PressQuestionButton(int index);
    // One tick of the per-question timer (the gauge fills in a hundred ticks).
    void QuestionTimerTick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

    const PracticeOptions m_options;
    store::DataSet& m_set;

private:
    struct TypeTabEntry {
        QToolButton* button;
        int typeId;
        QString caption;
    };
    enum class GroupMode { First, Previous, Next };

    void buildUi();
    void handleKey(QKeyEvent* event);
    QPushButton* addAction(const QString& caption, const QString& name);
    void loadPictures();
    void FormShow();
    void TypeTabChanged(int index);
    void SetupQuestionButtons(GroupMode mode, int total);
    void QuestionButtonPressed(int index);
    void ShowQuestionState(int page);
    void LoadQuestionText(const QString& id);
    void PaintButton(int position, bool pressed);
    int ButtonForPosition(int position) const;
    QString TypeName(int typeId) const;
    void PreviousQuestion();
    void NextQuestion();
    void PreviousGroup();
    void NextGroup();
    void Done();
    void ToggleAnswerPanel();
    void ToggleVoid();
    void OpenNotes();
    void OpenRelatedPoints();
    void EditQuestion();
    void ClockTick();
    int LastOfGroup() const { return m_first + m_size - 1; }
    QString Elapsed() const;

    QuestionPictures m_pictures;
    QuestionView* m_view = nullptr;
    QLabel* m_hintBoard = nullptr;
    QToolButton* m_star = nullptr;
    QToolButton* m_study = nullptr;
    void ShowBookmark();
    QLabel* m_status[2] = {};
    QLabel* m_groupInfo = nullptr;
    QLabel* m_clock = nullptr;
    QProgressBar* m_gauge = nullptr;
    QTimer* m_questionTimer = nullptr;
    QTimer* m_clockTimer = nullptr;
    QList<TypeTabEntry> m_tabs;
    int m_tab = -1;
    QList<QuestionButton*> m_buttons;
    QList<int> m_bound;
    QList<QPushButton*> m_actions;
    int m_current = 0;
    int m_first = 1;
    int m_size = 0;
    int m_group = 1;
    int m_groupCount = 0;
    int m_total = 0;
    QDateTime m_startedAt;
    bool m_shown = false;
    bool m_closed = false;
};
