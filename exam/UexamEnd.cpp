// The end of an exam: the clock and its limit, submitting, marking, throwing a paper away, and the
// windows that may be open when the time runs out.
#include "exam/ExamMarking.h"
#include "exam/ExamResume.h"
#include "exam/PauseCover.h"
#include "exam/Uexam.h"

#include "practice/QuestionView.h"
#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/Helpers.h"
#include "ui/Services.h"
#include "ui/Udlg.h"
#include "ui/Uprogress.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTimer>

namespace {
const QString kNew = QStringLiteral("new");
const QString kOld = QStringLiteral("old");

// The time allowed, in seconds; 0 (no limit) when it cannot be read.
qint64 ExamLimit() {
    try {
        return DM1->ADOCn1.scalar(QStringLiteral("select ExamTime from tab_plan")).toLongLong();
    } catch (const store::DbError&) {
        return 0;
    }
}
} // namespace

void TFrmExam::KZTimeCounter1Timer() {
    if (m_mode != kNew || m_settled || m_paused || m_endPending || m_timeUp)
        return;
    m_clock->setText(m_clockCounter.text());
    StoreClock(false);
    const qint64 limit = ExamLimit();
    // Reached or passed: a tick that comes late still ends the exam.
    if (limit <= 0 || m_clockCounter.elapsedSeconds() < limit)
        return;
    m_timer->stop();
    m_timeUp = true;
    const QString elapsed = m_clockCounter.pause();
    if (ChildOpen() || m_ending) {
        // A question, the notes or another window is open: it is settled first (notes are stored on
        // their own question), and the paper is ended once, when the window is back in front.
        m_endPending = true;
        m_pendingElapsed = elapsed;
        SettleChildren();
        QTimer::singleShot(0, this, [this] { RunPendingEnd(); });
        return;
    }
    TimeUp(elapsed);
}

bool TFrmExam::ChildOpen() const {
    if (m_childDepth > 0)
        return true;
    QWidget* modal = QApplication::activeModalWidget();
    return modal && modal != this && modal->isVisible();
}

void TFrmExam::SettleChildren() {
    QSet<QWidget*> below;
    for (QWidget* p = parentWidget(); p; p = p->parentWidget())
        below.insert(p->window());
    const QWidgetList tops = QApplication::topLevelWidgets();
    for (QWidget* w : tops) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (!dialog || dialog == this || below.contains(dialog) || !dialog->isVisible() || !dialog->isModal())
            continue;
        // The message dialog answers with its last button ("取消" on the submit question); the notes
        // window stores its text on the row it was opened on.
        dialog->reject();
    }
}

bool TFrmExam::RunPendingEnd() {
    if (!m_endPending)
        return false;
    if (ChildOpen()) {
        // Still unwinding out of a child window: try again once it has returned.
        QTimer::singleShot(50, this, [this] { RunPendingEnd(); });
        return true;
    }
    m_endPending = false;
    TimeUp(m_pendingElapsed);
    return true;
}

void TFrmExam::Submit() {
    m_ending = true;
    const QString elapsed = m_clockCounter.pause();
    SaveAnswer(m_current, m_view->page(), 1);
    if (RunPendingEnd()) // the time ran out under a message about the answer
        return;
    int unanswered = 0;
    try {
        unanswered = CountUnanswered(*DM1, m_table);
    } catch (const store::DbError&) {
        Error(QStringLiteral("发生错误！"));
        if (RunPendingEnd())
            return;
        m_clockCounter.resume();
        m_ending = false;
        return;
    }
    if (DeletesWithoutAsking(unanswered, m_count)) {
        Discard(false, elapsed);
        return;
    }
    const int answer =
        Prompt(QStringLiteral("提示"), SubmitQuestionText(unanswered), 2, 0, QStringLiteral("Exam"));
    // The time ran out while the question was open: that ends the paper, once.
    if (RunPendingEnd() || m_settled)
        return;
    if (answer == 1) {
        MarkPaper(elapsed, false);
    } else if (answer == 2) {
        Discard(DiscardCountsStudyTime(unanswered), elapsed);
    } else {
        m_clockCounter.resume();
        m_clock->setText(m_clockCounter.text());
        m_ending = false;
    }
}

void TFrmExam::TimeUp(const QString& elapsed) {
    if (m_settled)
        return;
    m_ending = true;
    m_timeUp = true;
    m_timer->stop();
    ActionButton(QStringLiteral("Pause"))->setEnabled(false);
    SaveAnswer(m_current, m_view->page(), 1);
    int unanswered = m_count;
    try {
        unanswered = CountUnanswered(*DM1, m_table);
    } catch (const store::DbError&) {
        // Counted as all open: the paper is marked unless nobody answered anything.
    }
    RunChild([] {
        messages().box(QStringLiteral("提示"), QStringLiteral("很遗憾，考试时间到了！"), MsgIcon::Information,
                       MsgButtons::Ok);
    });
    if (TimeUpMarks(unanswered, m_count))
        MarkPaper(elapsed, true);
    else
        Discard(false, elapsed);
}

void TFrmExam::MarkPaper(const QString& elapsed, bool timeUp) {
    m_ending = true;
    m_timer->stop();
    // The window stays on screen (hiding a modal window ends its loop); the progress window lies over it.
    ShowProgress(QStringLiteral("正在判卷..."));
    MarkResult result;
    try {
        result = MarkPaperData(*DM1, m_table, PaperKind, elapsed);
    } catch (const store::DbError&) {
        HideProgress();
        Error(QStringLiteral("发生错误！"));
        // Nothing was stored: the paper is still being taken and can be submitted again.
        m_ending = false;
        if (!timeUp) {
            m_clockCounter.resume();
            m_timer->start();
        }
        return;
    }
    m_settled = true;
    examresume::ClearClock(*DM1, m_table);
    m_mode = kOld;
    m_timeText = elapsed;
    m_score = result.score;
    m_belowLeastMark = result.belowLeastMark;
    const int opened = LoadPaper();
    HideProgress();
    m_ending = false;
    if (opened != 1) {
        Finish();
        return;
    }
    FormShow();
}

void TFrmExam::Discard(bool countStudyTime, const QString& elapsed) {
    m_settled = true;
    examresume::ClearClock(*DM1, m_table);
    m_timer->stop();
    DM1->DeletePaper(m_table);
    if (countStudyTime) {
        try {
            DM1->RecordStudyTime(elapsed);
        } catch (const store::DbError&) {
            Error(QStringLiteral("学习时间未能记入学习日志！"));
        }
    }
    Finish();
}

void TFrmExam::CloseReview() {
    // Only a paper marked in this window can fall below the least mark; a review from the archive
    // never throws a paper away.
    if (m_belowLeastMark)
        DM1->DeletePaper(m_table);
    Finish();
}

void TFrmExam::Finish() {
    BusyCursor busy;
    examresume::ClearClock(*DM1, m_table);
    m_timer->stop();
    m_cover->uncover();
    m_ending = false;
    for (store::DataSet* ds : {&DM1->Cn1Query1, &DM1->Cn1Query2, &DM1->Cn1Query_tm, &DM1->Cn1Table_cj,
                               &DM1->Cn1Table_tx, &DM1->Cn1Query_exam, &DM1->Cn1Table_fgmc}) {
        try {
            ds->close();
        } catch (...) {
        }
    }
    QDialog::done(QDialog::Accepted);
}

int TFrmExam::Prompt(const QString& caption, const QString& text, int buttonSet, int page,
                     const QString& style) {
    int result = 0;
    RunChild([&] { result = ShowPrompt(caption, text, buttonSet, page, style); });
    return result;
}

void TFrmExam::Error(const QString& text) {
    Prompt(QStringLiteral("错误"), text, 1, 2, QStringLiteral("NO"));
}
