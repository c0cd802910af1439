#pragma once

#include <QDialog>
#include <QString>

class QLabel;

// The small window shown while a long operation runs. It does not block: its users set the
// status line, show it, do the work and hide it.
class TFrmProgress : public QDialog {
    Q_OBJECT

public:
    explicit TFrmProgress(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFrmProgress)

    QLabel* Label1;

protected:
    void paintEvent(QPaintEvent* event) override;
};

extern TFrmProgress* FrmProgress;

// Sets the status line, shows the progress window centred on the desktop, repaints it and lets
// pending events run, so that it is on screen before the work starts.
void ShowProgress(const QString& statusLine);
void HideProgress();

// Shows the progress window for a scope and hides it again, also when the work throws.
class ScopedProgress {
public:
    explicit ScopedProgress(const QString& statusLine) { ShowProgress(statusLine); }
    ~ScopedProgress() { HideProgress(); }
    ScopedProgress(const ScopedProgress&) = delete;
    ScopedProgress& operator=(const ScopedProgress&) = delete;
};
