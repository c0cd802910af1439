#pragma once

#include <QDialog>

class QLCDNumber;
class QLabel;
class QPushButton;
class QTableWidget;

// The chapter navigator: the chapter tree with the learner's counters, overall statistics, and the start
// of a practice of new, wrong or already-done questions of the chosen chapter.
class TFrmkmmc : public QDialog {
    Q_OBJECT

public:
    enum Mode { NewQuestions = 1, WrongQuestions = 2, Review = 3, DoubleClick = 4, Bookmarked = 5 };

    explicit TFrmkmmc(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFrmkmmc)

    // The practice query of a mode for a chapter code.
    static QString PracticeQuery(Mode mode, const QString& code);

    // Re-reads the grid and the statistics and goes back to the remembered chapter.
    void Refresh();
    // Starts a practice on the current row; the practice window runs modally in between.
    void StartPractice(Mode mode);
    // Opens question entry for the chapter of the current row, then shows its new question count.
    void OpenEntry();
    // "错题本": writes the wrong questions (bookmarked: the starred ones) of the chapter of the current row to
    // a document and opens it; the file written, empty when none was.
    QString ExportWrongBook(bool bookmarked);

    QTableWidget* Grid() const { return m_grid; }
    // Selects the grid row of a chapter code; false when it is not listed.
    bool SelectChapter(const QString& code);
    QString RememberedChapter() const { return m_remembered; }
    int StatisticsValue(int i) const; // 0 总习题数, 1 已做题道次, 2 做错题道次
    QString ScoreText() const;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void fillGrid();
    void rowChosen(int row);
    // "收藏题" is there only for a chapter with bookmarked questions.
    void updateBookmarkButton();

    QTableWidget* m_grid;
    QLCDNumber* m_numbers[3];
    QLabel* m_score;
    QString m_remembered;
    bool m_filling = false;
};
