#pragma once

#include <QDialog>

class QLabel;
class QTableWidget;

// The study log: one row per day, newest first, with the totals over all days.
class TFrmRz : public QDialog {
    Q_OBJECT

public:
    explicit TFrmRz(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFrmRz)

    QTableWidget* Grid() const { return m_grid; }
    QString TotalText(int i) const; // 0 answers, 1 wrong answers, 2 score

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void FormCreate();

    QTableWidget* m_grid;
    QLabel* m_totals[3] = {};
};
