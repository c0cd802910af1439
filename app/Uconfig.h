#pragma once

#include <QDialog>
#include <QVector>

#include <functional>

class QAbstractButton;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QScrollArea;

// Full path of the chosen tune; empty until a tune is chosen or the switch is turned on.
extern QString MusicFile;
// 0 music mode, 1 answer-time mode; set by whoever opens the settings window.
extern int ConfigMode;

// The routine that plays the background music, installed by the main window (its PlayBackgroundMusic).
// The settings window is also opened from study windows that know nothing of the main window.
using BackgroundMusicRoutine = std::function<void(const QString& file, bool on)>;
void SetBackgroundMusicRoutine(BackgroundMusicRoutine routine);

// The settings window "系统设置". Music mode: the on/off switch and the list of tunes. Answer-time mode:
// one box per question type of the current paper kind, in minutes a question may take in practice; on
// closing, the boxes the learner changed are stored and QuestionTimeTable is brought up to date.
class TFrmConfig : public QDialog {
    Q_OBJECT

public:
    explicit TFrmConfig(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFrmConfig)

    QLabel* Label1;              // "背景音乐"
    QAbstractButton* RxSwitch1;  // music on/off
    QLabel* Label5;              // "声音列表"
    QComboBox* FlatComboBox1;    // "乐曲01".."乐曲06"
    QLabel* Label4;              // "答题时间设置"
    QScrollArea* ScrollBox1;     // a row per question type
    QPushButton* epFocusButton3; // "关闭"
    QPushButton* CheckButton;    // "检查题库"

    // The box of row i (from 0), named "Currencyedit" + (i + 1); nullptr past the rows.
    QDoubleSpinBox* TimeBox(int i) const;
    int TypeCount() const { return int(m_rows.size()); }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Row {
        int typeId;
        double stored; // the bank's value, which the box may show rounded or held within its limits
        double shown;
    };

    void FormShow();
    void FlatComboBox1Change(int index);
    void RxSwitch1Click(bool on);
    void FormCloseQuery();
    void AddTypeRow(int i, int typeId, const QString& name, double minutes);

    QWidget* m_musicPanel;
    QWidget* m_timePanel;
    QWidget* m_rowsPanel;
    QVector<Row> m_rows;
    bool m_loaded = false;
    bool m_shown = false;
    bool m_closed = false;
};

// Opens the settings window modally over owner: mode 0 music, 1 answer time.
void OpenConfig(QWidget* owner, int mode);
