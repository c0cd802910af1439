#pragma once

#include "ui/Uprogress.h"

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QStackedWidget;

// The program's message dialog: a title line, an icon page, the message and up to three buttons
// whose modal results are 1, 2 and 3. Created once at start-up and reused for every message.
class TFrmDlg : public QDialog {
    Q_OBJECT

public:
    explicit TFrmDlg(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFrmDlg)

    // Sets the dialog up for one message without showing it.
    void preparePrompt(const QString& caption, const QString& text, int buttonSet, int page,
                       const QString& style);
    // preparePrompt, then shows the dialog modally, centred on the desktop; returns 1, 2 or 3.
    int execPrompt(const QString& caption, const QString& text, int buttonSet, int page,
                   const QString& style);

    int designedWidth() const { return m_designedWidth; }

    QLabel* Label1;
    QLabel* fcLabel1;
    QPushButton* fcShapeBtn1;
    QPushButton* fcShapeBtn2;
    QPushButton* fcShapeBtn3;
    QStackedWidget* epNoteBook1;

public slots:
    // Esc and the window's close request press the last visible button: the dialog always
    // answers with one of its buttons' results.
    void reject() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyButtonSet(int buttonSet);
    void applyStyle(const QString& style);
    void fitHeight();
    QPushButton* lastVisibleButton() const;

    QWidget* m_titleBar = nullptr;
    int m_designedWidth = 0;
};

extern TFrmDlg* FrmDlg;

// Shows the message dialog through the message service (scripted in tests) and returns the
// modal result of the button pressed.
int ShowPrompt(const QString& caption, const QString& text, int buttonSet, int page, const QString& style);

// The dialog and the progress window live from start-up to the end of the program.
void CreateSharedWindows();
void DestroySharedWindows();
