#pragma once

#include "safety/BankSafety.h"
#include "tools/BankRecount.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

// "从备份恢复题库": the copies in the bank's backup folder, newest first, with the day they were made and
// the answers each holds; 恢复 returns the chosen one.
class TFrmRestore : public QDialog {
    Q_OBJECT

public:
    TFrmRestore(const QList<safety::BackupEntry>& copies, const QString& reason, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFrmRestore)

    QTableWidget* List;
    QPushButton* RestoreButton;
    QPushButton* CancelButton;

    QString ChosenPath() const;

private:
    QList<safety::BackupEntry> m_copies;
};

// "检查题库": the engine's integrity check, the checks of a bank's tables, rows and counters that apply to
// a learner's bank, and every stored rich text read back. Counters that differ from the question rows
// can be repaired (after a copy of the bank); a bank that fails the integrity check can be restored from
// a copy, after which the program ends so that it starts again on the restored bank.
class TFrmBankCheck : public QDialog {
    Q_OBJECT

public:
    explicit TFrmBankCheck(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFrmBankCheck)

    QLabel* Summary;
    QPlainTextEdit* Report;
    QPushButton* RepairButton;
    QPushButton* RestoreButton;
    QPushButton* CloseButton;

    bool IntegrityFailed() const { return m_integrityFailed; }
    int DriftCount() const { return int(m_drift.size()); }

    // Runs the check again and shows what it found.
    void RunCheck();
    // Backs the bank up, then writes every recounted counter in one transaction.
    void Repair();
    // Lets the learner choose a copy, puts it in place and ends the program.
    void Restore();

private:
    QList<tools::CounterDrift> m_drift;
    bool m_integrityFailed = false;
};

// On the first start of a day: a copy of the bank in its backup folder, with a progress window when it
// takes more than half a second. A failure is told once and the program goes on.
void RunDailyBackup();

// The bank at bankPath did not open or failed the engine's quick check. When copies exist, offers to put
// one in its place (the damaged file is kept beside it); true when a copy was put in place.
bool OfferRestoreAtStart(const QString& bankPath);
