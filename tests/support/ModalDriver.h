#pragma once

// Drives modal windows from inside their own modal loops, the way a learner meets them: a test arms an
// action for the next window of a type, then clicks what opens it; the action runs once that window is
// the active modal one. When the action fails a check, or the window never comes, every open modal
// window is closed so that the test fails instead of hanging in a loop nobody ends.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>
#include <memory>

namespace testsupport {

inline void abandonModalWindows() {
    auto* t = new QTimer;
    t->setInterval(10);
    QObject::connect(t, &QTimer::timeout, [t] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            t->stop();
            t->deleteLater();
            return;
        }
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    });
    t->start();
}

template <class W> void whenModal(std::function<void(W*)> action, int timeoutMs = 15000) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    auto since = std::make_shared<QElapsedTimer>();
    since->start();
    QObject::connect(poll, &QTimer::timeout, [poll, since, action, timeoutMs] {
        if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            action(w);
            if (QTest::currentTestFailed())
                abandonModalWindows();
            return;
        }
        if (since->elapsed() > timeoutMs) {
            poll->stop();
            poll->deleteLater();
            QTest::qFail("the expected modal window did not open", __FILE__, __LINE__);
            abandonModalWindows();
        }
    });
    poll->start();
}

} // namespace testsupport
