#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// The question-bank upgrade: the learner picks an upgrade file, the program checks whose it is and whether
// it was applied, backs the bank up and merges the file in one transaction.
class Tfrmstxz : public QDialog {
    Q_OBJECT

public:
    explicit Tfrmstxz(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(Tfrmstxz)

    QLineEdit* FileBox() const { return m_file; }
    // The folder button: the file dialog, the chosen name into the file box.
    void ChooseFile();
    // "开始升级".
    void StartUpgrade();
    // The backup made by the last upgrade that got that far.
    QString LastBackup() const { return m_lastBackup; }

protected:
    void done(int result) override;

private:
    void Upgrade(const QString& path);

    QLineEdit* m_file = nullptr;
    QString m_lastBackup;
};
