#pragma once

#include "exam/ExamClock.h"
#include "exam/PaperGeneration.h"
#include "practice/Pictures.h"

#include <QDialog>
#include <QHash>
#include <QList>
#include <QString>

#include <exception>

class QLabel;
class QPushButton;
class QStackedWidget;
class QTimer;
class QToolButton;
class QuestionButton;
class QuestionView;
class PauseCover;
namespace store {
class DataSet;
}

// The mock-exam window: one paper, taken against the clock (mode "new") or reviewed with its score
// (mode "old"). The question, its answer page, stems and answer panel are the practice's question view.
class TFrmExam : public QDialog {
    Q_OBJECT

public:
    static constexpr int ButtonCount = 90;

    // Loads the question-button pictures; without them the program ends.
    explicit TFrmExam(QWidget* parent = nullptr);
    ~TFrmExam() override;
    Q_DISABLE_COPY_MOVE(TFrmExam)

    // Keeps the paper's name, title, mode, score and time; in mode "new" draws the paper into its table
    // (the kind is PaperKind). Throws PaperFailure when no paper could be drawn.
    PaperComposition PreparePaper(const QString& tableName, const QString& title, const QString& mode,
                                  double score, const QString& timeText);
    // Opens the paper's rows (clearing the answers of a new paper). 1 when it opened; otherwise the
    // learner is told "无法打开试卷！" and the result is 0.
    int LoadPaper();
    // Takes up a paper whose exam was cut short: mode "new", the answers kept, the clock at seconds.
    void ResumePaper(const QString& tableName, const QString& title, qint64 seconds);

    // What the learner sees and a test drives.
    QuestionView* View() const { return m_view; }
    QString Mode() const { return m_mode; }
    QString TableName() const { return m_table; }
    int QuestionCount() const { return m_count; }
    int CurrentQuestion() const { return m_current; }
    int ButtonPage() const { return m_buttonPage; }
    QuestionButton* Button(int i) const { return m_buttons.value(i); } // 0..89 of the page on show
    QPushButton* ActionButton(const QString& name) const;
    // "up", "answered", "right" or "wrong": the picture on a question's button.
    QString ButtonState(int question) const;
    QString Heading() const;
    QString NumberText() const;
    QString TypeText() const;
    QString StatusText() const;
    QString ClockText() const;
    QString ScoreLine() const;
    int TimeFace() const; // 0 "答卷时", 1 "查卷时"
    bool Paused() const { return m_paused; }
    bool PaperSettled() const { return m_settled; }
    double Score() const { return m_score; }
    bool BelowLeastMark() const { return m_belowLeastMark; }
    // Presses the button of a question (1-based), turning the button page when needed.
    void SelectQuestion(int question);
    // The star of the question on show, in a review (S on the keyboard).
    QToolButton* BookmarkButton() const { return m_star; }
    void ToggleBookmark();
    // One tick of the exam clock.
    void KZTimeCounter1Timer();

public slots:
    // Esc and the window manager's close: the same as "关闭".
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct TypeRow {
        QString name;
        qint64 count = 0;
        double score = 0;
    };

    void buildUi();
    QPushButton* addAction(const QString& caption, const QString& name);
    void FormShow();
    void SetupQuestionButtons(int count);
    void ShowButtonPage(int page);
    void PaintButton(int question);
    void fcBG_thChange(int oldQuestion, int newQuestion);
    void ShowQuestionState(int page);
    void LoadQuestionText(const QString& id);
    bool SaveAnswer(int question, int page, int pictureFlag);
    void loadTypes();
    QString TypeHeaderText(int typeId) const;

    void epEfTrBtn1Click();
    void epEfTrBtn2Click();
    void epEfTrBtn3Click();
    void epEfTrBtn4Click();
    void epEfTrBtn5Click();
    void epEfTrBtn6Click();
    void epEfTrBtn8Click();
    void epEfTrBtn9Click();
    void epEfTrBtn10Click();
    void epEfTrBtn11Click();
    void epEfTrBtn12Click();
    void epEfTrBtn13Click();

    void Submit();
    void TimeUp(const QString& elapsed);
    void MarkPaper(const QString& elapsed, bool timeUp);
    void Discard(bool countStudyTime, const QString& elapsed);
    void CloseReview();
    void Finish();

    // Child windows and messages: counted, so that a time limit reached under one waits for it.
    int Prompt(const QString& caption, const QString& text, int buttonSet, int page, const QString& style);
    void Error(const QString& text);
    template <class F> void RunChild(F&& open);
    bool ChildOpen() const;
    void SettleChildren();
    bool RunPendingEnd();

    QuestionPictures m_pictures;
    QuestionView* m_view = nullptr;
    QLabel* m_heading = nullptr;
    QLabel* m_number = nullptr;
    QLabel* m_type = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_clock = nullptr;
    QLabel* m_usedTime = nullptr;
    QLabel* m_scoreLine = nullptr;
    QLabel* m_pageInfo = nullptr;
    QStackedWidget* m_timeFaces = nullptr;
    PauseCover* m_cover = nullptr;
    QTimer* m_timer = nullptr;
    QToolButton* m_star = nullptr;
    void ShowBookmark();
    QList<QuestionButton*> m_buttons;
    QList<QPushButton*> m_actions;
    store::DataSet& m_set;

    QString m_table;
    QString m_title;
    QString m_mode = QStringLiteral("new");
    double m_score = 0;
    QString m_timeText = QStringLiteral("0:00:00");
    QHash<int, TypeRow> m_types;
    QList<QString> m_answers; // the answer stored for every row (E2_1), for the button pictures
    QList<QString> m_keys;    // the key of every row (A2)
    int m_count = 0;
    int m_current = 0;
    int m_buttonPage = 0;
    ExamClock m_clockCounter;
    bool m_paused = false;
    bool m_prevBeforePause = false;
    bool m_nextBeforePause = false;
    bool m_belowLeastMark = false;
    bool m_firstShow = true;
    bool m_ending = false;  // a submit, time limit or marking is running
    bool m_settled = false; // the paper was marked or thrown away
    bool m_timeUp = false;
    bool m_endPending = false;
    QString m_pendingElapsed;
    int m_childDepth = 0;
    qint64 m_resumeSeconds = -1;  // a paper taken up again starts its clock here and keeps its answers
    qint64 m_clockStoredAt = -1;  // the elapsed seconds last stored for a crash
    void StoreClock(bool now);
};

template <class F> void TFrmExam::RunChild(F&& open) {
    struct Depth {
        int& depth;
        explicit Depth(int& d) : depth(d) { ++depth; }
        ~Depth() { --depth; }
        Depth(const Depth&) = delete;
        Depth& operator=(const Depth&) = delete;
    } depth(m_childDepth);
    try {
        open();
    } catch (const std::exception&) {
        // Nothing thrown in a child window may reach the event loop; the learner is told instead.
        Error(QStringLiteral("发生错误！"));
    }
}
