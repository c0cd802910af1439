#pragma once

#include <QList>
#include <QString>

class TDM1;

namespace examtest {

// Questions of one type in one section: ids "Q<type><section><n>", or, for a group, the group's
// 16-character id, "-" and n (those share a stem).
struct Questions {
    QString section; // 6 characters: its subject, part and chapter rows are added
    int type = 61;
    int count = 0;
    bool grouped = false;
    QString idStem; // overrides the id before the number
};

// Product, plan (ExamTime 3600, LeastMark 0), the five kinds' type tables as the delivered bank has them,
// the chapters the questions need, two exam points and the questions with stems and explanations.
QString Content(const QList<Questions>& questions, const QString& extra = QString());

// Every share of a kind's plan, times factor (rounded up), in section <prefix>0101 (prefix "3": 300101).
QList<Questions> KindQuestions(int kind, double factor = 1.0);

// Opens a fresh bank built from content in dir as DM1 and points ProgramFolder at the sources (pictures).
TDM1* OpenBank(const QString& dir, const QString& content);
void CloseBank();

// The answer key a question of a type gets: letters for choices, A/B for judgements.
QString KeyFor(int type, int n);

} // namespace examtest

#include <QApplication>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

namespace examtest {

// Acts once inside the modal loop of the first window of type W that becomes the active modal window
// (generation shows a progress window and lets events run before the exam window's loop starts).
template <class W> void WhenModal(QObject* context, std::function<void(W*)> act) {
    auto* poll = new QTimer(context);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, context, [poll, act] {
        if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(w);
        }
    });
    poll->start();
}

} // namespace examtest
