#include "exam/Uexam.h"

#include "app/Uconfig.h"
#include "exam/ExamMarking.h"
#include "exam/ExamResume.h"
#include "exam/PaperExport.h"
#include "exam/PaperRandom.h"
#include "exam/PauseCover.h"
#include "platform/Desktop.h"
#include "practice/Marking.h"
#include "practice/QuestionButton.h"
#include "practice/QuestionView.h"
#include "practice/Ubj.h"
#include "practice/Ujx.h"
#include "reference/UanswFagui.h"
#include "store/Bookmarks.h"
#include "store/Schema.h"
#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/Helpers.h"
#include "ui/Services.h"
#include "ui/Udlg.h"
#include "ui/Uprogress.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>

namespace {
const QString kNew = QStringLiteral("new");
const QString kOld = QStringLiteral("old");
const QString kAnswer = QStringLiteral("答案");
const QString kBack = QStringLiteral("返回");
const QString kNotes = QStringLiteral("笔记");
const QString kHasNotes = QStringLiteral("有内容");
const QString kVoid = QStringLiteral("本题作废");
const QString kUnvoid = QStringLiteral("取消作废");
const QString kPause = QStringLiteral("暂停考试");
const QString kResume = QStringLiteral("继续考试");
} // namespace

TFrmExam::TFrmExam(QWidget* parent) : QDialog(parent), m_set(DM1->Cn1Query_exam) {
    setObjectName(QStringLiteral("FrmExam"));
    setWindowTitle(QStringLiteral("正在答卷"));
    buildUi();
    if (!m_pictures.load())
        EndForMissingPictures();
    m_timer = new QTimer(this);
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &TFrmExam::KZTimeCounter1Timer);
    connect(m_star, &QToolButton::clicked, this, [this] { ToggleBookmark(); });
}

TFrmExam::~TFrmExam() {
    m_timer->stop();
    for (store::DataSet* ds :
         {&DM1->Cn1Query1, &DM1->Cn1Query2, &DM1->Cn1Query_tm, &DM1->Cn1Table_cj, &DM1->Cn1Table_tx,
          &DM1->Cn1Query_exam, &DM1->Cn1Table_fgmc, &DM1->cn1query_nr}) {
        try {
            ds->close();
        } catch (...) {
        }
    }
}

PaperComposition TFrmExam::PreparePaper(const QString& tableName, const QString& title, const QString& mode,
                                        double score, const QString& timeText) {
    m_table = tableName;
    m_title = title;
    m_mode = mode == kOld ? kOld : kNew;
    m_score = score;
    m_timeText = timeText;
    if (m_mode == kNew)
        return ComposePaper(*DM1, PaperKind, m_table, paperRandom());
    return {};
}

void TFrmExam::ResumePaper(const QString& tableName, const QString& title, qint64 seconds) {
    m_table = tableName;
    m_title = title;
    m_mode = kNew;
    m_score = 0;
    m_timeText = QStringLiteral("0:00:00");
    m_resumeSeconds = qMax<qint64>(0, seconds);
}

void TFrmExam::StoreClock(bool now) {
    if (m_mode != kNew || m_settled || DM1->ADOCn1.inTransaction())
        return;
    const qint64 seconds = m_clockCounter.elapsedSeconds();
    if (!now && m_clockStoredAt >= 0 && seconds - m_clockStoredAt < 5)
        return;
    try {
        examresume::StoreClock(*DM1, m_table, PaperKind, seconds);
        m_clockStoredAt = seconds;
    } catch (const store::DbError&) {
        // Tried again at the next tick; the answers themselves are stored as the learner moves.
    }
}

int TFrmExam::LoadPaper() {
    ShowProgress(m_mode == kNew ? QStringLiteral("正在出卷...") : QStringLiteral("正在提取试卷..."));
    try {
        if (!IsPaperTableName(m_table))
            throw store::DbError(QStringLiteral("not a paper table"));
        if (m_mode == kNew && m_resumeSeconds < 0)
            DM1->ADOCn1.execute(QStringLiteral("Update ") + m_table +
                                QStringLiteral(" set E2_1= '' where E2_1 is null or E2_1 <> ''"));
        m_set.close();
        m_set.setFilter(QString());
        m_set.setFiltered(false);
        m_set.setCommandText(QStringLiteral("select * from ") + m_table + QStringLiteral(" order by A13,A1"));
        m_set.open();
        if (m_set.isEmpty())
            throw store::DbError(QStringLiteral("the paper is empty"));
        loadTypes();
        m_count = m_set.recordCount();
        m_answers.clear();
        m_keys.clear();
        for (m_set.first(); !m_set.eof(); m_set.next()) {
            m_answers << m_set.asString(QStringLiteral("E2_1"));
            m_keys << m_set.asString(QStringLiteral("A2"));
        }
        m_set.first();
    } catch (const store::DbError&) {
        m_set.close();
        m_count = 0;
        HideProgress();
        Error(QString::fromUtf8(OpenFailureText));
        return 0;
    }
    return 1;
}

void TFrmExam::loadTypes() {
    m_types.clear();
    const store::QueryResult r =
        DM1->ADOCn1.query(QStringLiteral("select A1, B1, B2, B3 from ") + store::TypeTableName(PaperKind) +
                          QStringLiteral(" order by A1"));
    for (const auto& row : r.rows)
        m_types.insert(int(row[0].toLongLong()),
                       {row[1].toString().trimmed(), row[2].toLongLong(), row[3].toDouble()});
}

QString TFrmExam::TypeHeaderText(int typeId) const {
    const auto it = m_types.constFind(typeId);
    if (it == m_types.constEnd())
        return QString();
    return it->name + QStringLiteral(" 每题") + ShortNumber(it->score) + QStringLiteral("分 共") +
           ShortNumber(it->score * double(it->count)) + u'分';
}

void TFrmExam::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Only the first show sets the paper up: coming back from "桌面" leaves clock and buttons alone.
    if (m_firstShow) {
        m_firstShow = false;
        CentreOnDesktop(this);
        FormShow();
    }
}

void TFrmExam::FormShow() {
    const bool review = m_mode == kOld;
    m_heading->setText(m_title);
    m_view->showStem(QByteArray());
    ActionButton(QStringLiteral("Submit"))->setEnabled(!review);
    ActionButton(QStringLiteral("Explain"))->setEnabled(review);
    ActionButton(QStringLiteral("Answer"))->setEnabled(review);
    ActionButton(QStringLiteral("Points"))->setEnabled(review);
    ActionButton(QStringLiteral("Export"))->setEnabled(review);
    ActionButton(QStringLiteral("Notes"))->setEnabled(true);
    ActionButton(QStringLiteral("Close"))->setEnabled(true);
    QPushButton* pause = ActionButton(QStringLiteral("Pause"));
    pause->setVisible(!review);
    pause->setEnabled(!review);
    pause->setText(kPause);
    m_view->findChild<QWidget*>(QStringLiteral("AnswerPages"))->setEnabled(!review);
    setWindowTitle(review ? QStringLiteral("查阅试卷") : QStringLiteral("正在答卷"));
    m_timeFaces->setCurrentIndex(review ? 1 : 0);
    m_usedTime->setText(QStringLiteral("用时：") + m_timeText);
    m_scoreLine->setText(QStringLiteral("得分：") + ShortNumber(m_score) + QStringLiteral(" 分"));
    m_view->closeAnswerPanel(false);
    ActionButton(QStringLiteral("Answer"))->setText(kAnswer);
    SetupQuestionButtons(m_count);
    if (!review && m_resumeSeconds >= 0)
        m_clockCounter.resetTo(m_resumeSeconds);
    else
        m_clockCounter.reset();
    m_clock->setText(m_clockCounter.text());
    if (review) {
        m_timer->stop();
    } else {
        m_timer->start();
        StoreClock(true);
    }
}

QString TFrmExam::Heading() const {
    return m_heading->text();
}
QString TFrmExam::NumberText() const {
    return m_number->text();
}
QString TFrmExam::TypeText() const {
    return m_type->text();
}
QString TFrmExam::StatusText() const {
    return m_status->text();
}
QString TFrmExam::ClockText() const {
    return m_clock->text();
}
QString TFrmExam::ScoreLine() const {
    return m_scoreLine->text();
}
int TFrmExam::TimeFace() const {
    return m_timeFaces->currentIndex();
}

// ---- Question buttons ----

QString TFrmExam::ButtonState(int q) const {
    if (q < 1 || q > m_count)
        return QStringLiteral("up");
    const QString& given = m_answers[q - 1];
    if (m_mode == kNew)
        return given.isEmpty() ? QStringLiteral("up") : QStringLiteral("answered");
    return given == m_keys[q - 1] ? QStringLiteral("right") : QStringLiteral("wrong");
}

void TFrmExam::SetupQuestionButtons(int count) {
    m_count = count;
    m_current = 0;
    m_buttonPage = -1;
    ShowButtonPage(0);
    if (count > 0)
        SelectQuestion(1);
}

void TFrmExam::ShowButtonPage(int page) {
    const int pages = qMax(1, (m_count + ButtonCount - 1) / ButtonCount);
    page = qBound(0, page, pages - 1);
    m_buttonPage = page;
    for (int k = 0; k < ButtonCount; ++k) {
        QuestionButton* b = m_buttons[k];
        const int q = page * ButtonCount + k + 1;
        if (q <= m_count) {
            b->setText(QString::number(q));
            b->setEnabled(!m_paused);
            PaintButton(q);
        } else {
            // Past the end of the paper: the first page keeps its numbers, later pages show blanks.
            b->setText(page == 0 ? QString::number(q) : QString());
            b->setEnabled(false);
            b->setChecked(false);
            b->setPictures(QuestionState::NotAnswered, m_pictures.up, m_pictures.down);
        }
    }
    ActionButton(QStringLiteral("PreviousPage"))->setVisible(pages > 1);
    ActionButton(QStringLiteral("NextPage"))->setVisible(pages > 1);
    ActionButton(QStringLiteral("PreviousPage"))->setEnabled(page > 0 && !m_paused);
    ActionButton(QStringLiteral("NextPage"))->setEnabled(page < pages - 1 && !m_paused);
    m_pageInfo->setVisible(pages > 1);
    m_pageInfo->setText(QStringLiteral("第%1-%2题 / 共%3题")
                            .arg(page * ButtonCount + 1)
                            .arg(qMin(m_count, (page + 1) * ButtonCount))
                            .arg(m_count));
}

void TFrmExam::PaintButton(int q) {
    if (q < 1 || q > m_count || (q - 1) / ButtonCount != m_buttonPage)
        return;
    QuestionButton* b = m_buttons[(q - 1) % ButtonCount];
    const QString state = ButtonState(q);
    if (state == u"answered")
        b->setPictures(QuestionState::NotAnswered, m_pictures.answered, m_pictures.down);
    else if (state == u"right")
        b->setPictures(QuestionState::Right, m_pictures.right, m_pictures.rightDown);
    else if (state == u"wrong")
        b->setPictures(QuestionState::Wrong, m_pictures.wrong, m_pictures.wrongDown);
    else
        b->setPictures(QuestionState::NotAnswered, m_pictures.up, m_pictures.down);
    b->setProperty("examState", state);
    b->setChecked(q == m_current);
}

void TFrmExam::SelectQuestion(int q) {
    if (q < 1 || q > m_count || m_paused || !m_set.active())
        return;
    if ((q - 1) / ButtonCount != m_buttonPage)
        ShowButtonPage((q - 1) / ButtonCount);
    if (q == m_current) {
        PaintButton(q);
        return;
    }
    fcBG_thChange(m_current, q);
}

void TFrmExam::fcBG_thChange(int oldQuestion, int q) {
    m_view->closeAnswerPanel(false);
    ActionButton(QStringLiteral("Answer"))->setText(kAnswer);
    m_number->setText(QStringLiteral("第") + QString::number(q) + u'题');
    if (m_mode == kNew && oldQuestion > 0)
        SaveAnswer(oldQuestion, m_view->page(), 0);
    m_current = q;
    ActionButton(QStringLiteral("Previous"))->setEnabled(q >= 2);
    ActionButton(QStringLiteral("Next"))->setEnabled(q < m_count);
    QPushButton* voidButton = ActionButton(QStringLiteral("Void"));
    m_status->clear();
    voidButton->setText(kVoid);
    voidButton->setEnabled(m_mode == kOld);
    try {
        m_set.setRecNo(q);
        const int type = int(m_set.asInteger(QStringLiteral("A13")));
        const int page =
            AnswerPageForQuestion(type, m_types.value(type).name, m_set.asString(QStringLiteral("A2")));
        m_view->setPage(page);
        ShowQuestionState(page);
        LoadQuestionText(m_set.asString(QStringLiteral("A1")));
        ShowBookmark();
        if (m_mode == kOld) {
            const qint64 f1 = m_set.asInteger(QStringLiteral("F1"));
            if (f1 == 1) {
                m_status->setText(QStringLiteral("本题已被您作废！"));
                voidButton->setText(kUnvoid);
            } else if (f1 == 2) {
                m_status->setText(QStringLiteral("本题是您加入的题目！"));
            }
        }
    } catch (const store::DbError&) {
        Error(QStringLiteral("无法打开试题！"));
    }
    PaintButton(oldQuestion);
    PaintButton(q);
}

void TFrmExam::ShowQuestionState(int page) {
    const int type = int(m_set.asInteger(QStringLiteral("A13")));
    m_type->setText(TypeHeaderText(type));
    if (m_mode == kOld) {
        ActionButton(QStringLiteral("Answer"))->setEnabled(!IsAnswerHiddenType(type));
        ActionButton(QStringLiteral("Explain"))->setEnabled(!m_set.asBytes(QStringLiteral("jx")).isEmpty());
        ActionButton(QStringLiteral("Points"))
            ->setEnabled(!m_set.asString(QStringLiteral("K3")).trimmed().isEmpty());
    }
    ActionButton(QStringLiteral("Notes"))
        ->setText(m_set.asString(QStringLiteral("A14")).trimmed().isEmpty() ? kNotes : kHasNotes);
    m_view->putAnswer(page, m_set.asString(QStringLiteral("E2_1")),
                      int(m_set.asInteger(QStringLiteral("A2_1"))));
}

void TFrmExam::LoadQuestionText(const QString& id) {
    try {
        store::DataSet& nr = DM1->cn1query_nr;
        nr.close();
        nr.setCommandText(QStringLiteral("select * from tab_exer where A1=:A1"));
        nr.setParams({id});
        nr.open();
        if (nr.isEmpty()) {
            Error(QStringLiteral("找不到该试题！"));
            return;
        }
        const QByteArray own = nr.asBytes(QStringLiteral("A15"));
        if (id.contains(u'-')) {
            store::DataSet& shared = DM1->Cn1Query2;
            shared.close();
            shared.setCommandText(QStringLiteral("select * from tab_title where A1=:A1"));
            shared.setParams({id.left(16)});
            shared.open();
            if (!shared.isEmpty()) {
                m_view->showStems(shared.asBytes(QStringLiteral("A15")), own);
                return;
            }
        }
        m_view->showStem(own);
    } catch (const store::DbError&) {
        Error(QStringLiteral("无法打开试题！"));
    }
}

bool TFrmExam::SaveAnswer(int q, int page, int pictureFlag) {
    if (q <= 0 || q > m_count || m_mode != kNew)
        return true;
    try {
        m_set.setRecNo(q);
        const QString answer = m_view->readAnswer(page, int(m_set.asInteger(QStringLiteral("A2_1"))));
        const SaveOutcome outcome = SaveExamAnswer(*DM1, m_set, answer);
        m_answers[q - 1] = outcome == SaveOutcome::Empty ? QString() : answer;
    } catch (const store::DbError&) {
        Error(QStringLiteral("答案未能保存，请再试一次！"));
        return false;
    }
    if (pictureFlag == 0)
        PaintButton(q);
    return true;
}

// ---- Buttons ----

void TFrmExam::epEfTrBtn1Click() {
    SelectQuestion(m_current - 1);
}

void TFrmExam::epEfTrBtn2Click() {
    SelectQuestion(m_current + 1);
}

void TFrmExam::epEfTrBtn3Click() {
    if (m_mode == kOld) {
        CloseReview();
        return;
    }
    if (m_ending || m_settled || m_endPending)
        return;
    Submit();
}

void TFrmExam::reject() {
    if (m_mode == kNew && m_paused)
        epEfTrBtn13Click();
    epEfTrBtn3Click();
}

void TFrmExam::epEfTrBtn4Click() {
    if (m_mode != kOld || m_current == 0)
        return;
    RunChild([this] {
        m_set.setRecNo(m_current);
        OpenWindow([this] {
            auto* w = new TFrmJx(this);
            w->bind(&m_set, QStringLiteral("jx"));
            return w;
        });
    });
    RunPendingEnd();
}

void TFrmExam::epEfTrBtn5Click() {
    if (m_current == 0 || m_paused || !m_set.active())
        return;
    RunChild([this] {
        try {
            m_set.setRecNo(m_current);
            OpenWindow([this] {
                auto* w = new TFrmBj(this);
                w->bind(&m_set, QStringLiteral("A14"), QStringLiteral("ks"));
                return w;
            });
        } catch (const store::DbError&) {
            if (m_set.active() && m_set.state() != store::DataSet::State::Browse)
                m_set.cancel();
            Error(QStringLiteral("笔记未能保存！"));
        }
    });
    ActionButton(QStringLiteral("Notes"))->setText(NotesHaveContent ? kHasNotes : kNotes);
    RunPendingEnd();
}

void TFrmExam::epEfTrBtn6Click() {
    if (m_mode != kOld || m_current == 0)
        return;
    QPushButton* b = ActionButton(QStringLiteral("Answer"));
    if (b->text() == kAnswer) {
        const int page = m_view->page();
        m_set.setRecNo(m_current);
        m_view->openAnswerPanel(m_view->readAnswer(page, int(m_set.asInteger(QStringLiteral("A2_1")))),
                                m_set.asString(QStringLiteral("A2")), page);
        b->setText(kBack);
    } else {
        b->setText(kAnswer);
        m_view->closeAnswerPanel();
    }
}

void TFrmExam::epEfTrBtn8Click() {
    RunChild([this] { OpenConfig(this, 0); });
    RunPendingEnd();
}

void TFrmExam::epEfTrBtn9Click() {
    if (m_mode != kOld || m_current == 0)
        return;
    RunChild([this] {
        try {
            m_set.setRecNo(m_current);
            TfrmAnswFagui related(this);
            if (related.LoadRelatedPoints(m_set.asString(QStringLiteral("A1"))))
                related.exec();
        } catch (const store::DbError&) {
            Error(QStringLiteral("无法打开相关考点！"));
        }
    });
}

void TFrmExam::epEfTrBtn10Click() {
    if (m_mode != kOld)
        return;
    // The review's paper as it is now (voided questions included), under the kind last taken.
    RunChild([this] { ExportPaper(this, m_table, m_title, PaperKind); });
}

void TFrmExam::epEfTrBtn11Click() {
    ShowDesktop();
}

void TFrmExam::epEfTrBtn12Click() {
    if (m_mode != kOld || m_current == 0)
        return;
    QPushButton* b = ActionButton(QStringLiteral("Void"));
    const bool voiding = b->text() == kVoid;
    try {
        m_set.setRecNo(m_current);
        SetQuestionVoided(*DM1, m_set, voiding);
    } catch (const store::DbError&) {
        Error(QStringLiteral("无法保存本题的状态！"));
        return;
    }
    m_status->setText(voiding ? QStringLiteral("本题已被您作废！")
                              : QStringLiteral("本题曾被作废，现已被您取消！"));
    b->setText(voiding ? kUnvoid : kVoid);
}

void TFrmExam::epEfTrBtn13Click() {
    if (m_mode != kNew || m_settled || m_ending || m_timeUp)
        return;
    QPushButton* pause = ActionButton(QStringLiteral("Pause"));
    QPushButton* prev = ActionButton(QStringLiteral("Previous"));
    QPushButton* next = ActionButton(QStringLiteral("Next"));
    QWidget* answerArea = m_view->findChild<QWidget*>(QStringLiteral("AnswerPages"));
    if (!m_paused) {
        m_clockCounter.pause();
        m_timer->stop();
        m_paused = true;
        pause->setText(kResume);
        m_prevBeforePause = prev->isEnabled();
        m_nextBeforePause = next->isEnabled();
        for (const char* name : {"Submit", "Notes", "Close", "Previous", "Next", "PreviousPage", "NextPage"})
            ActionButton(QLatin1String(name))->setEnabled(false);
        answerArea->setEnabled(false);
        for (QuestionButton* b : std::as_const(m_buttons))
            b->setEnabled(false);
        m_cover->cover();
    } else {
        m_paused = false;
        pause->setText(kPause);
        m_clockCounter.resume();
        m_timer->start();
        for (const char* name : {"Submit", "Notes", "Close"})
            ActionButton(QLatin1String(name))->setEnabled(true);
        answerArea->setEnabled(true);
        prev->setEnabled(m_prevBeforePause);
        next->setEnabled(m_nextBeforePause);
        ShowButtonPage(m_buttonPage);
        m_cover->uncover();
    }
}

void TFrmExam::ShowBookmark() {
    const bool review = m_mode == kOld;
    m_star->setVisible(review);
    if (!review)
        return;
    bool on = false;
    try {
        on = store::IsBookmarked(DM1->ADOCn1, m_set.asString(QStringLiteral("A1")));
    } catch (const store::DbError&) {
        // Shown without its star.
    }
    m_star->setChecked(on);
    m_star->setText(on ? QStringLiteral("★ 已收藏") : QStringLiteral("☆ 收藏"));
}

void TFrmExam::ToggleBookmark() {
    if (m_mode != kOld || m_current <= 0)
        return;
    m_set.setRecNo(m_current);
    const QString id = m_set.asString(QStringLiteral("A1"));
    try {
        store::SetBookmarked(DM1->ADOCn1, id, !store::IsBookmarked(DM1->ADOCn1, id));
    } catch (const store::DbError&) {
        Error(QStringLiteral("无法收藏本题！"));
    }
    ShowBookmark();
}

void TFrmExam::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_S && event->modifiers() == Qt::NoModifier && m_mode == kOld && !m_paused) {
        ToggleBookmark();
        return;
    }
    const int page = m_view->page();
    if ((page != 0 && page != 1) || m_paused) {
        QDialog::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
        if (ActionButton(QStringLiteral("Previous"))->isEnabled())
            epEfTrBtn1Click();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (ActionButton(QStringLiteral("Next"))->isEnabled())
            epEfTrBtn2Click();
        return;
    default:
        if (event->key() >= Qt::Key_A && event->key() <= Qt::Key_F && event->modifiers() == Qt::NoModifier) {
            if (m_mode == kNew)
                m_view->pressLetter(QChar(u'A' + (event->key() - Qt::Key_A)));
            return;
        }
    }
    QDialog::keyPressEvent(event);
}
