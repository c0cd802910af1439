#pragma once

#include "practice/Pictures.h"

#include <QPixmap>
#include <QToolButton>

// A button drawn as a picture with its caption over it: the question-number buttons (the picture of the
// question's state) and the type tabs.
class QuestionButton : public QToolButton {
    Q_OBJECT

public:
    explicit QuestionButton(const QString& caption, QWidget* parent = nullptr);

    void setPictures(QuestionState state, const QPixmap& normal, const QPixmap& pressed);
    QuestionState state() const { return m_state; }
    // The picture on show: the pressed one while the button is down.
    bool showsPressedPicture() const { return isChecked(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QuestionState m_state = QuestionState::NotAnswered;
    QPixmap m_normal;
    QPixmap m_pressed;
};
