#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;
class QTextBrowser;

// 背题: reading the questions of a practice with their answers. Every question shows its stem (and the
// shared stem of its group), its key, its explanation and its exam points at once; 上一题 and 下一题
// move through them. Nothing is marked and nothing is written.
class TFrmBeiti : public QDialog {
    Q_OBJECT

public:
    // ids in the practice's order; the window opens on ids[start].
    TFrmBeiti(const QStringList& ids, int start, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFrmBeiti)

    int Current() const { return m_current; }
    QString Heading() const;
    QString KeyText() const;
    QString PointsText() const;
    QString StemText() const;
    QString ExplanationText() const;
    QPushButton* PreviousButton() const { return m_prev; }
    QPushButton* NextButton() const { return m_next; }

    void ShowQuestion(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStringList m_ids;
    int m_current = -1;
    QLabel* m_heading;
    QTextBrowser* m_shared;
    QTextBrowser* m_stem;
    QLabel* m_key;
    QTextBrowser* m_explanation;
    QLabel* m_points;
    QPushButton* m_prev;
    QPushButton* m_next;
};
