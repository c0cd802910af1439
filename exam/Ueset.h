#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The exam settings: the least mark a marked paper must reach to be kept, and the time allowed for a
// paper in minutes. Both live in the first row of tab_plan; closing the window saves them.
class TFrmEset : public QDialog {
    Q_OBJECT

public:
    explicit TFrmEset(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFrmEset)

    // Reads the two values into the fields.
    void FormShow();
    // The full score of a paper of the current kind: the least mark may not exceed it.
    int FullScore() const { return m_fullScore; }

    QCheckBox* suiCheckBox1;   // "保留试卷最低分数"
    QCheckBox* suiCheckBox2;   // "模拟考试答题时间"
    QLineEdit* suiNumberEdit1; // least mark
    QLineEdit* suiNumberEdit2; // minutes
    QPushButton* suiButton1;   // "默认"
    QPushButton* suiButton2;   // "关闭"

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void suiButton1Click();
    void suiCheckBox1Click();
    void suiNumberEdit1Change();
    // Saves the fields; false keeps the window open (a time of 0 minutes is refused).
    bool FormCloseQuery();

    int m_fullScore = 0;
    bool m_shown = false;
    bool m_closed = false;
};
