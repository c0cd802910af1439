#pragma once

#include "archive/PaperArchive.h"

#include <QDialog>
#include <QList>

class QLabel;
class QLCDNumber;
class QPushButton;
class QTableWidget;

// The paper archive: every stored mock paper with its score and time, three figures over them, and the
// commands to review a paper in the exam window or to delete it.
class TFrmCheck : public QDialog {
    Q_OBJECT

public:
    explicit TFrmCheck(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFrmCheck)

    QTableWidget* Grid() const { return m_grid; }
    // 0 "考试次数", 1 "及格次数", 2 "平均成绩", as the counters show them.
    int FigureValue(int i) const;
    QString TipText() const;
    const QList<ArchivedPaper>& Papers() const { return m_papers; }

    // Reads the list and the figures again, keeping the selected paper when it is still there.
    void FormShow();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPushButton* addButton(const QString& caption, const QString& name);
    void fillGrid(const QString& keep, int fallbackRow);
    void showFigure(int i, int value);
    int selectedRow() const;

    void epEfTrBtn1Click();   // review
    void SpeedButton4Click(); // delete
    void epEfButton3Click();  // settings
    void epEfTrBtn2Click();   // close

    QTableWidget* m_grid = nullptr;
    QLCDNumber* m_figures[3] = {};
    QLabel* m_tip = nullptr;
    QPushButton* m_review = nullptr;
    QPushButton* m_delete = nullptr;
    QList<ArchivedPaper> m_papers;
    bool m_shown = false;
};
