#pragma once

#include <QDialog>

class QButtonGroup;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

// The study plan: a daily target in answers or minutes, the exam date, and the countdown to it.
class TFrmplan : public QDialog {
    Q_OBJECT

public:
    explicit TFrmplan(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFrmplan)

    // "设定" / "保存".
    void SpeedButton1Click();
    // The plan kind: 0 answers per day, 1 minutes per day.
    void ChoosePlan(int kind);

    QLineEdit* AmountField() const { return m_amount; }
    QLineEdit* MinutesField() const { return m_minutes; }
    QDateEdit* DateField() const { return m_date; }
    QPushButton* SetButton() const { return m_set; }
    QString CountdownHeading() const;
    QString CountdownDays() const; // empty while the number is hidden
    QColor CountdownColour() const;
    bool Editing() const;

    // The readiness panel: an estimate per subject, the weakest exam points and the daily target.
    QTableWidget* SubjectTable() const { return m_subjects; }
    QListWidget* WeakPointList() const { return m_weak; }
    QPushButton* PractisePointButton() const { return m_practise; }
    QString DailyTargetText() const;
    // Reads the estimate again (after a practice, or when the exam date changes).
    void UpdateReadiness();
    // Practises the weak point selected in the list.
    void PractiseWeakPoint();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void FormShow();
    void UpdateCountdown();
    bool Save();

    QButtonGroup* m_kind = nullptr;
    QLineEdit* m_amount = nullptr;
    QLineEdit* m_minutes = nullptr;
    QDateEdit* m_date = nullptr;
    QPushButton* m_set = nullptr;
    QLabel* m_heading = nullptr;
    QLabel* m_days = nullptr;
    QLabel* m_unit = nullptr;
    QTableWidget* m_subjects = nullptr;
    QListWidget* m_weak = nullptr;
    QPushButton* m_practise = nullptr;
    QLabel* m_target = nullptr;
    QStringList m_weakIds;
    QStringList m_weakTitles;
    int m_notMastered = 0;
    void ShowDailyTarget();
    bool m_shown = false;
};
