#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// "关于": the product title, who made it, two pictures and a close button. Fixed size, centred on the
// desktop, without the window's system buttons.
class TFrmAbout : public QDialog {
    Q_OBJECT

public:
    explicit TFrmAbout(QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TFrmAbout)

    QLabel* Image1;       // the emblem
    QLabel* Image2;       // the study picture
    QLabel* LabelTitle;   // the product title
    QLabel* LabelDetails; // version, publisher, notes
    QPushButton* Button1; // "关 闭"

    // The pictures, drawn here rather than shipped: they scale with the screen and need no files.
    static QPixmap Emblem(int size);
    static QPixmap StudyPicture(const QSize& size);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_shown = false;
};
