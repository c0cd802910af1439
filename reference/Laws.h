#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QVBoxLayout;
class TfrmLawDetail;

// The exam-point browser: the catalogue with the learner's counters, a search, and for one section its
// exam points with their texts, the key points among them and the practice of one point. It only reads
// the bank; the practice it opens writes.
class TfrmLawsFaGui : public QDialog {
    Q_OBJECT

public:
    explicit TfrmLawsFaGui(QWidget* parent = nullptr);
    ~TfrmLawsFaGui() override;
    Q_DISABLE_COPY_MOVE(TfrmLawsFaGui)

    // The decisions, without the window.
    // A counter as the grid shows it: right-aligned in nine characters.
    static QString CountCell(qint64 value);
    // Key points are those with at least the section's questions per point (whole division); 1 when the
    // count is no number, the section has no point or the quotient is below 1.
    static int KeyPointThreshold(const QString& countCell, qint64 points);
    static QString KeyPointFilter(int threshold);
    // A point's list entry: its title, and "(questions)" when it has any.
    static QString PointEntry(const QString& title, qint64 questions);
    // The note line under a point's text.
    static QString PointNote(qint64 q, qint64 q1, qint64 q2, qint64 q4);
    // Every question that carries the exam point in any of K3..K12 (any letter case), in a fixed order.
    static QString PracticeQuery(const QString& ftid);
    // The same, kept to the questions the learner starred.
    static QString BookmarkedPracticeQuery(const QString& ftid);

    // What the buttons do.
    void LoadCatalogue();
    void Search();
    void OpenSection();
    void ToggleKeyPoints();
    void Practise();
    // "收藏题": the starred questions of the point selected.
    void PractiseBookmarked();
    void Back();

    // State a test or the learner can see.
    bool InDetailView() const { return m_detailView; }
    int Threshold() const { return m_threshold; }
    int KeyPointMode() const { return m_mostMode; }
    const QStringList& RowIds() const { return m_rowIds; }
    QString TitleText() const;
    TfrmLawDetail* Detail() const { return m_detail; }

    QLabel* m_title;
    QTableWidget* m_grid;
    QLineEdit* m_editFind;
    QPushButton* m_btnFind;
    QPushButton* m_btnSelect;
    QPushButton* m_btnMost;
    QPushButton* m_btnQuestion;
    QPushButton* m_btnStarred;
    QPushButton* m_btnBack;
    QPushButton* m_btnExit;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void setHeadings();
    void showListView();
    void showDetailView();
    void fillPointList();
    void pointChosen(int row);
    void showPointState(int row);
    // The practice of the point selected in the detail view (bookmarkedOnly: its starred questions).
    void PractiseSelected(bool bookmarkedOnly);

    QVBoxLayout* m_body;
    TfrmLawDetail* m_detail = nullptr;
    QStringList m_rowIds;
    int m_threshold = 1;
    int m_mostMode = 0;
    bool m_detailView = false;
    bool m_filling = false;
    bool m_shown = false;
};

// The practice of every question linked to one exam point (ftid, never empty), opened over owner with
// the point's title on its hint board; "恭喜你，习题已做完！" when there is none.
// bookmarkedOnly keeps the practice to the starred questions of the point.
void PractiseExamPoint(QWidget* owner, const QString& ftid, const QString& title, bool bookmarkedOnly = false);
