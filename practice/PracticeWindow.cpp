#include "practice/PracticeWindow.h"

#include "app/Uconfig.h"
#include "authoring/Utedit.h"
#include "platform/Desktop.h"
#include "practice/Marking.h"
#include "practice/Ubeiti.h"
#include "practice/QuestionButton.h"
#include "practice/Ubj.h"
#include "reference/UanswFagui.h"
#include "store/Bookmarks.h"
#include "store/Clock.h"
#include "store/JetSql.h"
#include "store/TimeText.h"
#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/Helpers.h"
#include "ui/Services.h"
#include "ui/Udlg.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

QString PracticeQueryText;

namespace {
const QString kAnswer = QStringLiteral("答案");
const QString kBack = QStringLiteral("返回");
const QString kNotes = QStringLiteral("笔记");
const QString kHasNotes = QStringLiteral("有内容");
const QString kUnvoid = QStringLiteral("取消作废");
const QString kActionFailed = QStringLiteral("操作未能完成，请再试一次！");

// A handler for a signal: its errors are reported, never left to the event loop.
template <class Work> auto guarded(Work work) {
    return [work] { Guarded(kActionFailed, work); };
}
} // namespace

PracticeWindow::PracticeWindow(const PracticeOptions& options, QWidget* parent)
    : QDialog(parent), m_options(options), m_set(DM1->Cn1Query_tm) {
    setWindowTitle(QStringLiteral("练习"));
    buildUi();
    loadPictures();
}

PracticeWindow::~PracticeWindow() = default;

QPushButton* PracticeWindow::addAction(const QString& caption, const QString& name) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::TabFocus);
    m_actions << b;
    return b;
}

void PracticeWindow::buildUi() {
    const bool small = ScreenMode == u"800";
    // Both layouts leave room for a window frame and a taskbar of about 40 pixels.
    resize(small ? QSize(784, 522) : QSize(1000, 690));
    setObjectName(QStringLiteral("PracticeWindow"));
    if (small)
        setStyleSheet(QStringLiteral(
            "QPushButton { padding: 2px 6px; min-height: 20px; }"
            "QLabel#epLabel2 { font-size: 15px; padding: 3px 8px; }"
            "QGroupBox { margin-top: 12px; padding: 4px 4px 4px 4px; }"
            "QTextBrowser#UpperStem, QTextBrowser#LowerStem { font-size: 15px; padding: 4px; }"));

    auto* root = new QHBoxLayout(this);
    if (small) {
        root->setContentsMargins(6, 6, 6, 6);
        root->setSpacing(6);
    }
    auto* left = new QVBoxLayout;
    auto* top = new QHBoxLayout;
    m_hintBoard = new QLabel(QStringLiteral("提示板"), this);
    m_hintBoard->setObjectName(QStringLiteral("epLabel2"));
    top->addWidget(m_hintBoard, 1);
    m_star = new QToolButton(this);
    m_star->setObjectName(QStringLiteral("Bookmark"));
    m_star->setCheckable(true);
    m_star->setEnabled(false); // until a question shows
    m_star->setToolTip(QStringLiteral("收藏本题，以后可以在章节目录中练习收藏的题目（S 键）"));
    m_star->setFocusPolicy(Qt::NoFocus);
    m_star->setText(QStringLiteral("☆ 收藏"));
    m_star->setStyleSheet(QStringLiteral("QToolButton:checked { color: #b7791f; font-weight: bold; }"));
    top->addWidget(m_star);
    m_study = new QToolButton(this);
    m_study->setObjectName(QStringLiteral("Study"));
    m_study->setText(QStringLiteral("背题"));
    m_study->setToolTip(QStringLiteral("看题目和答案、解析、考点，不判分，不计入学习记录"));
    m_study->setFocusPolicy(Qt::NoFocus);
    m_study->setEnabled(false); // until a question shows
    top->addWidget(m_study);
    left->addLayout(top);
    m_view = new QuestionView(this);
    left->addWidget(m_view, 1);
    for (int i = 0; i < 2; ++i) {
        m_status[i] = new QLabel(this);
        m_status[i]->setObjectName(QStringLiteral("StatusLine%1").arg(i + 1));
    }
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(m_status[0], 1);
    statusRow->addWidget(m_status[1]);
    left->addLayout(statusRow);

    // Eight buttons do not fit beside the side panel on an 800-pixel screen: two rows there.
    auto* actions = new QGridLayout;
    actions->setSpacing(small ? 4 : 6);
    const int perRow = small ? 4 : 8;
    QPushButton* prev = addAction(QStringLiteral("上一题"), QStringLiteral("Previous"));
    QPushButton* next = addAction(QStringLiteral("下一题"), QStringLiteral("Next"));
    QPushButton* done = addAction(QStringLiteral("完成"), QStringLiteral("Done"));
    QPushButton* answer = addAction(kAnswer, QStringLiteral("Answer"));
    QPushButton* notes = addAction(kNotes, QStringLiteral("Notes"));
    QPushButton* points = addAction(QStringLiteral("考点"), QStringLiteral("Points"));
    QPushButton* voidButton = addAction(m_options.voidCaption, QStringLiteral("Void"));
    QList<QPushButton*> row{prev, next, done, answer, notes, points, voidButton};
    if (m_options.canEditQuestion) {
        QPushButton* edit = addAction(QStringLiteral("修改本题"), QStringLiteral("Edit"));
        edit->setEnabled(false); // until a question shows
        connect(edit, &QPushButton::clicked, this, guarded([this] { EditQuestion(); }));
        row << edit;
    }
    for (int i = 0; i < row.size(); ++i)
        actions->addWidget(row[i], i / perRow, i % perRow);
    done->setObjectName(QStringLiteral("Done"));
    left->addLayout(actions);
    root->addLayout(left, 1);

    auto* side = new QVBoxLayout;
    auto* tabsBox = new QGroupBox(QStringLiteral("题型指示板"), this);
    tabsBox->setObjectName(QStringLiteral("TypeTabs"));
    new QGridLayout(tabsBox);
    side->addWidget(tabsBox);

    auto* buttonsBox = new QGroupBox(QStringLiteral("题目指示板"), this);
    auto* grid = new QGridLayout(buttonsBox);
    grid->setSpacing(4);
    for (int i = 0; i < 20; ++i) {
        auto* b = new QuestionButton(QString::number(i + 1), buttonsBox);
        if (small)
            b->setMinimumSize(40, 28);
        b->setObjectName(QStringLiteral("QuestionButton%1").arg(i + 1));
        connect(b, &QToolButton::clicked, this, guarded([this, i] { QuestionButtonPressed(i); }));
        grid->addWidget(b, i / 5, i % 5);
        m_buttons << b;
        m_bound << 0;
    }
    side->addWidget(buttonsBox);
    m_groupInfo = new QLabel(this);
    m_groupInfo->setObjectName(QStringLiteral("GroupInfo"));
    side->addWidget(m_groupInfo);
    auto* groupRow = new QHBoxLayout;
    QPushButton* prevGroup = addAction(QStringLiteral("<-上一组"), QStringLiteral("PreviousGroup"));
    QPushButton* nextGroup = addAction(QStringLiteral("下一组->"), QStringLiteral("NextGroup"));
    groupRow->addWidget(prevGroup);
    groupRow->addWidget(nextGroup);
    side->addLayout(groupRow);

    auto* timeRow = new QHBoxLayout;
    m_gauge = new QProgressBar(this);
    m_gauge->setObjectName(QStringLiteral("Gauge"));
    m_gauge->setOrientation(Qt::Vertical);
    m_gauge->setRange(0, 100);
    m_gauge->setTextVisible(false);
    m_gauge->setFixedWidth(14);
    m_gauge->setMinimumHeight(small ? 36 : 60);
    timeRow->addWidget(m_gauge);
    auto* gaugeCaption = new QLabel(QStringLiteral("本题\n用时"), this);
    gaugeCaption->setObjectName(QStringLiteral("GaugeCaption"));
    timeRow->addWidget(gaugeCaption);
    auto* clockCaption = new QLabel(QStringLiteral("时钟"), this);
    m_clock = new QLabel(QStringLiteral("0:00:00"), this);
    m_clock->setObjectName(QStringLiteral("Clock"));
    timeRow->addWidget(clockCaption);
    timeRow->addWidget(m_clock, 1);
    side->addLayout(timeRow);
    auto* bottom = new QHBoxLayout;
    QPushButton* settings = addAction(QStringLiteral("设置"), QStringLiteral("Settings"));
    QPushButton* desktop = addAction(QStringLiteral("桌面"), QStringLiteral("Desktop"));
    QPushButton* close = addAction(QStringLiteral("关闭"), QStringLiteral("Close"));
    for (QPushButton* b : {settings, desktop, close})
        bottom->addWidget(b);
    side->addLayout(bottom);
    side->addStretch();
    root->addLayout(side);

    m_questionTimer = new QTimer(this);
    connect(m_questionTimer, &QTimer::timeout, this, guarded([this] { QuestionTimerTick(); }));
    m_clockTimer = new QTimer(this);
    m_clockTimer->setInterval(250);
    connect(m_clockTimer, &QTimer::timeout, this, &PracticeWindow::ClockTick);

    connect(prev, &QPushButton::clicked, this, guarded([this] { PreviousQuestion(); }));
    connect(next, &QPushButton::clicked, this, guarded([this] { NextQuestion(); }));
    connect(prevGroup, &QPushButton::clicked, this, guarded([this] { PreviousGroup(); }));
    connect(nextGroup, &QPushButton::clicked, this, guarded([this] { NextGroup(); }));
    connect(done, &QPushButton::clicked, this, guarded([this] { Done(); }));
    connect(answer, &QPushButton::clicked, this, guarded([this] { ToggleAnswerPanel(); }));
    connect(voidButton, &QPushButton::clicked, this, guarded([this] { ToggleVoid(); }));
    connect(notes, &QPushButton::clicked, this, guarded([this] { OpenNotes(); }));
    connect(points, &QPushButton::clicked, this, guarded([this] { OpenRelatedPoints(); }));
    connect(settings, &QPushButton::clicked, this, [this] { OpenConfig(this, 0); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(desktop, &QPushButton::clicked, this, [] { ShowDesktop(); });
    connect(m_star, &QToolButton::clicked, this, guarded([this] { ToggleBookmark(); }));
    connect(m_study, &QToolButton::clicked, this, guarded([this] { OpenStudy(); }));
}

void PracticeWindow::ShowBookmark() {
    bool on = false;
    try {
        on = store::IsBookmarked(DM1->ADOCn1, m_set.asString(QStringLiteral("A1")));
    } catch (const store::DbError&) {
        // Shown without its star; the question itself is unaffected.
    }
    m_star->setEnabled(true);
    m_study->setEnabled(true);
    m_star->setChecked(on);
    m_star->setText(on ? QStringLiteral("★ 已收藏") : QStringLiteral("☆ 收藏"));
}

void PracticeWindow::OpenStudy() {
    if (!m_set.active() || m_set.recNo() <= 0)
        return;
    const int at = m_set.recNo();
    QStringList ids;
    for (m_set.first(); !m_set.eof(); m_set.next())
        ids << m_set.asString(QStringLiteral("A1"));
    m_set.setRecNo(at);
    // The question's own time stands still while the learner reads.
    const bool timing = m_questionTimer->isActive();
    m_questionTimer->stop();
    TFrmBeiti study(ids, at - 1, this);
    study.exec();
    if (timing)
        m_questionTimer->start();
}

void PracticeWindow::ToggleBookmark() {
    if (!m_set.active() || m_set.recNo() <= 0 || m_current <= 0)
        return;
    const QString id = m_set.asString(QStringLiteral("A1"));
    const bool on = !store::IsBookmarked(DM1->ADOCn1, id);
    store::SetBookmarked(DM1->ADOCn1, id, on);
    ShowBookmark();
}

QPushButton* PracticeWindow::ActionButton(const QString& name) const {
    for (QPushButton* b : m_actions)
        if (b->objectName() == name)
            return b;
    return nullptr;
}

QToolButton* PracticeWindow::TypeTab(int i) const {
    return i >= 0 && i < m_tabs.size() ? m_tabs[i].button : nullptr;
}

QString PracticeWindow::GroupText() const {
    return m_groupInfo->text();
}
QString PracticeWindow::StatusLine(int i) const {
    return m_status[i]->text();
}
QString PracticeWindow::HintBoard() const {
    return m_hintBoard->text();
}
void PracticeWindow::SetHintBoard(const QString& text) {
    m_hintBoard->setText(text);
}
QString PracticeWindow::ClockText() const {
    return m_clock->text();
}
int PracticeWindow::Gauge() const {
    return m_gauge->value();
}

bool PracticeWindow::LoadPracticeSet() {
    m_set.close();
    m_set.setFilter(QString());
    m_set.setFiltered(false);
    // Every per-practice answer of the bank is cleared; rows already clear are left alone, which keeps
    // opening fast on a large bank.
    DM1->ResetPracticeAnswers();
    m_set.setCommandText(PracticeQueryText);
    m_set.open();
    if (m_set.isEmpty())
        return false;

    if (!m_pictures.loadTabPictures())
        EndForMissingPictures();

    // Type tabs: "任意" and one per row of the current question-type table, each disabled when the set
    // holds no question of its type.
    store::DataSet& tx = DM1->Cn1Table_tx;
    if (!tx.active())
        tx.open();
    tx.setSort(QStringLiteral("A1 ASC"));
    auto* box = findChild<QGroupBox*>(QStringLiteral("TypeTabs"));
    auto* grid = static_cast<QGridLayout*>(box->layout());
    for (const TypeTabEntry& t : std::as_const(m_tabs))
        delete t.button;
    m_tabs.clear();
    const bool small = ScreenMode == u"800";
    const int columns = small ? 3 : 2;
    QList<QPair<int, QString>> types{{0, QStringLiteral("任意")}};
    for (tx.first(); !tx.eof(); tx.next())
        types.push_back(
            {int(tx.asInteger(QStringLiteral("A1"))), tx.asString(QStringLiteral("B1")).trimmed()});
    // One pass tells which types the set holds: the same answer as filtering the set by each type.
    QSet<int> present;
    for (m_set.first(); !m_set.eof(); m_set.next())
        present.insert(int(m_set.asInteger(QStringLiteral("A13"))));
    m_set.first();
    for (const auto& [id, caption] : types) {
        auto* b = new QuestionButton(caption, box);
        b->setPictures(QuestionState::NotAnswered, m_pictures.tabUp, m_pictures.tabDown);
        b->setObjectName(QStringLiteral("TypeTab%1").arg(id));
        b->setMinimumSize(small ? 72 : 96, small ? 24 : 28);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        const int index = int(m_tabs.size());
        connect(b, &QToolButton::clicked, this, guarded([this, index] { TypeTabChanged(index); }));
        b->setEnabled(id == 0 || present.contains(id));
        grid->addWidget(b, index / columns, index % columns);
        m_tabs.push_back({b, id, caption});
    }
    return true;
}

void PracticeWindow::loadPictures() {
    // Without the pictures a practice cannot show its state: the program ends as for any missing resource.
    if (!m_pictures.load())
        EndForMissingPictures();
}

void PracticeWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        CentreOnDesktop(this);
        Guarded(QStringLiteral("无法打开试题！"), [this] { FormShow(); });
    }
}

void PracticeWindow::FormShow() {
    m_gauge->setValue(0);
    // The first question's text is read when its button is pressed below.
    m_view->closeAnswerPanel(false);
    if (m_options.setsHintBoard)
        m_hintBoard->setText(CurrentChapterTitle);
    m_current = 0;
    if (!m_tabs.isEmpty())
        PressTypeTab(0);
    m_startedAt = store::clock().now();
    m_clockTimer->start();
    ActionButton(QStringLiteral("Points"))->setEnabled(false);
    if (QPushButton* edit = ActionButton(QStringLiteral("Edit")))
        edit->setEnabled(m_current > 0);
}

void PracticeWindow::PressTypeTab(int index) {
    if (index < 0 || index >= m_tabs.size() || !m_tabs[index].button->isEnabled())
        return;
    m_tabs[index].button->setChecked(true);
    TypeTabChanged(index);
}

void PracticeWindow::TypeTabChanged(int index) {
    const int previous = m_tab;
    if (m_current > 0) {
        SaveAnswer(m_current, m_view->page(), 2, LastOfGroup(), m_first);
        m_current = 0;
    }
    const TypeTabEntry& t = m_tabs[index];
    const QString filter = t.typeId != 0 ? QStringLiteral("A13=") + QString::number(t.typeId) : QString();
    if (m_options.labelsSubjectivePage)
        m_view->setSubjectiveLabel(t.typeId == 0 ? QStringLiteral("主观") : t.caption.left(2));
    if (filter != m_set.filter() || m_set.filtered() != !filter.isEmpty()) {
        m_set.setFilter(filter);
        m_set.setFiltered(!filter.isEmpty());
    }
    if (m_set.isEmpty()) {
        t.button->setEnabled(false);
        if (previous >= 0 && previous != index) {
            m_tabs[previous].button->setChecked(true);
            TypeTabChanged(previous);
        } else {
            t.button->setChecked(false);
        }
        return;
    }
    m_tab = index;
    SetupQuestionButtons(GroupMode::First, m_set.recordCount());
}

void PracticeWindow::SetupQuestionButtons(GroupMode mode, int total) {
    m_total = total;
    auto* prevGroup = ActionButton(QStringLiteral("PreviousGroup"));
    auto* nextGroup = ActionButton(QStringLiteral("NextGroup"));
    if (mode == GroupMode::First) {
        m_groupCount = (total + 19) / 20;
        m_group = 1;
        prevGroup->setEnabled(false);
        nextGroup->setEnabled(m_groupCount > 1);
        m_first = 1;
        m_size = qMin(total, 20);
    } else if (mode == GroupMode::Previous) {
        m_first = (m_group - 2) * 20 + 1;
        --m_group;
        m_size = 20;
    } else {
        m_first = m_group * 20 + 1;
        m_size = total - m_group * 20 < 20 ? total - m_group * 20 : 20;
        ++m_group;
    }
    m_groupInfo->setText(QStringLiteral("共%1组%2道题　第%3组").arg(m_groupCount).arg(total).arg(m_group));
    for (int i = 0; i < 20; ++i) {
        QuestionButton* b = m_buttons[i];
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(true);
        if (i < m_size) {
            b->setEnabled(true);
            m_bound[i] = m_first + i;
            PaintButton(m_first + i, false);
        } else {
            b->setEnabled(false);
            m_bound[i] = 0;
            b->setPictures(QuestionState::NotAnswered, m_pictures.up, m_pictures.down);
        }
    }
    PressQuestionButton(0);
}

int PracticeWindow::ButtonForPosition(int position) const {
    const int r = position % 20;
    return r == 0 ? 19 : r - 1;
}

// Gives the button of a position the pictures of its question's state.
void PracticeWindow::PaintButton(int position, bool pressed) {
    if (position < 1 || position > m_set.recordCount())
        return;
    const int keep = m_set.recNo();
    m_set.setRecNo(position);
    const QuestionState state =
        QuestionStateFor(m_set.asString(QStringLiteral("E2_1")), m_set.asString(QStringLiteral("A2")));
    if (keep > 0 && keep != position)
        m_set.setRecNo(keep);
    QuestionButton* b = m_buttons[ButtonForPosition(position)];
    b->setPictures(state, m_pictures.normalFor(state), m_pictures.pressedFor(state));
    if (pressed)
        b->setChecked(true);
}

void PracticeWindow::PressQuestionButton(int index) {
    if (index < 0 || index >= 20 || !m_buttons[index]->isEnabled())
        return;
    m_buttons[index]->setChecked(true);
    QuestionButtonPressed(index);
}

void PracticeWindow::QuestionButtonPressed(int index) {
    const int c = m_bound[index];
    if (c <= 0)
        return;
    m_status[0]->clear();
    m_status[1]->clear();
    m_view->closeAnswerPanel(false);
    ActionButton(QStringLiteral("Answer"))->setText(kAnswer);
    ActionButton(QStringLiteral("Previous"))->setEnabled(c > 1);
    ActionButton(QStringLiteral("Next"))->setEnabled(c < m_set.recordCount());
    ShowQuestion(m_current, c, LastOfGroup(), m_first);
    QPushButton* voidButton = ActionButton(QStringLiteral("Void"));
    voidButton->setText(m_options.voidCaption);
    const qint64 f1 = m_set.asInteger(QStringLiteral("F1"));
    if (f1 == 1) {
        m_status[0]->setText(QStringLiteral("本题已被您作废！"));
        voidButton->setText(kUnvoid);
    } else if (f1 == 2) {
        m_status[0]->setText(QStringLiteral("本题是您加入的题目！"));
    }
    if (m_options.showsEditedLine && m_set.hasField(QStringLiteral("ecount")) &&
        m_set.asInteger(QStringLiteral("ecount")) != 0)
        m_status[1]->setText(QStringLiteral("本题被您修改过"));
}

QString PracticeWindow::TypeName(int typeId) const {
    for (const TypeTabEntry& t : m_tabs)
        if (t.typeId == typeId)
            return t.caption;
    return QString();
}

void PracticeWindow::ShowQuestion(int previous, int next, int last, int first) {
    SaveAnswer(previous, m_view->page(), 0, last, first);
    m_current = next;
    m_set.setRecNo(next);
    const qint64 e3 = m_set.asInteger(QStringLiteral("E3"));
    m_view->setHeader(QStringLiteral("第%1题（第%2次出现）").arg(next - first + 1).arg(e3 > 0 ? e3 + 1 : 1));
    const int type = int(m_set.asInteger(QStringLiteral("A13")));
    m_view->setPage(AnswerPageForQuestion(type, TypeName(type), m_set.asString(QStringLiteral("A2"))));
    ShowQuestionState(m_view->page());
    LoadQuestionText(m_set.asString(QStringLiteral("A1")));
    ShowBookmark();
    PaintButton(next, true);
    m_gauge->setValue(0);
    m_questionTimer->setInterval(QuestionTimeTable.IntervalFor(type));
    m_questionTimer->start();
}

void PracticeWindow::ShowQuestionState(int page) {
    const bool answered = !m_set.asString(QStringLiteral("E2_1")).isEmpty();
    const int type = int(m_set.asInteger(QStringLiteral("A13")));
    ActionButton(QStringLiteral("Answer"))->setEnabled(answered && !IsAnswerHiddenType(type));
    ActionButton(QStringLiteral("Points"))
        ->setEnabled(answered && !m_set.asString(QStringLiteral("K3")).trimmed().isEmpty());
    ActionButton(QStringLiteral("Notes"))
        ->setText(m_set.asString(QStringLiteral("A14")).trimmed().isEmpty() ? kNotes : kHasNotes);
    m_view->putAnswer(page, m_set.asString(QStringLiteral("E2_1")),
                      int(m_set.asInteger(QStringLiteral("A2_1"))));
}

void PracticeWindow::LoadQuestionText(const QString& id) {
    try {
        store::DataSet& nr = DM1->cn1query_nr;
        nr.close();
        nr.setCommandText(QStringLiteral("select * from tab_exer where a1 =") + store::quoted(id));
        nr.open();
        const QByteArray own =
            DM1->cn1query_nr.isEmpty() ? QByteArray() : DM1->cn1query_nr.asBytes(QStringLiteral("A15"));
        if (id.contains(u'-')) {
            store::DataSet& q = DM1->Cn1Query2;
            q.close();
            q.setCommandText(QStringLiteral("select * from tab_title where A1=:A1"));
            q.setParams({id.left(16)});
            q.open();
            if (!q.isEmpty()) {
                m_view->showStems(q.asBytes(QStringLiteral("A15")), own);
                return;
            }
        }
        m_view->showStem(own);
    } catch (const std::exception&) {
        // The question stays selectable; its stem pane is left empty rather than showing another one's.
        m_view->showStem(QByteArray());
        ShowPrompt(QStringLiteral("错误"), QStringLiteral("无法打开试题！"), 1, 2, QStringLiteral("NO"));
    }
}

void PracticeWindow::SaveAnswer(int p, int page, int mode, int last, int first) {
    if (p <= 0)
        return;
    m_set.setRecNo(p);
    const QString answer = m_view->readAnswer(page, int(m_set.asInteger(QStringLiteral("A2_1"))));
    SaveOutcome outcome;
    try {
        outcome = SaveAnswerToRow(*DM1, m_set, answer);
    } catch (const std::exception&) {
        ShowPrompt(QStringLiteral("错误"), QStringLiteral("答案未能保存，请再试一次！"), 1, 2,
                   QStringLiteral("NO"));
        return;
    }
    if (outcome == SaveOutcome::Empty) {
        if (mode == 1)
            ShowPrompt(QStringLiteral("提示"), m_options.emptyAnswerText, 1, 1, QStringLiteral("NO"));
        else if (mode == 0 && first <= p && p <= last)
            PaintButton(p, false);
        return;
    }
    if (mode == 1) {
        ActionButton(QStringLiteral("Points"))
            ->setEnabled(!m_set.asString(QStringLiteral("K3")).trimmed().isEmpty());
        PaintButton(p, true);
        ActionButton(QStringLiteral("Answer"))
            ->setEnabled(!IsAnswerHiddenType(int(m_set.asInteger(QStringLiteral("A13")))));
    } else if (mode == 0 && first <= p && p <= last) {
        PaintButton(p, false);
    }
}

void PracticeWindow::PreviousQuestion() {
    const int target = m_current - 1;
    if (target < 1)
        return;
    if (target >= m_first && target <= LastOfGroup()) {
        PressQuestionButton(target - (m_group - 1) * 20 - 1);
    } else if (m_group >= 2) {
        ActionButton(QStringLiteral("NextGroup"))->setEnabled(true);
        if (m_group < 3)
            ActionButton(QStringLiteral("PreviousGroup"))->setEnabled(false);
        SetupQuestionButtons(GroupMode::Previous, m_total);
    }
}

void PracticeWindow::NextQuestion() {
    const int target = m_current + 1;
    if (target >= m_first && target <= LastOfGroup()) {
        PressQuestionButton(target - (m_group - 1) * 20 - 1);
    } else if (m_group < m_groupCount) {
        ActionButton(QStringLiteral("PreviousGroup"))->setEnabled(true);
        if (m_groupCount - m_group < 2)
            ActionButton(QStringLiteral("NextGroup"))->setEnabled(false);
        SetupQuestionButtons(GroupMode::Next, m_total);
    }
}

void PracticeWindow::PreviousGroup() {
    ActionButton(QStringLiteral("NextGroup"))->setEnabled(true);
    if (m_group <= 2)
        ActionButton(QStringLiteral("PreviousGroup"))->setEnabled(false);
    if (m_group >= 2)
        SetupQuestionButtons(GroupMode::Previous, m_total);
}

void PracticeWindow::NextGroup() {
    ActionButton(QStringLiteral("PreviousGroup"))->setEnabled(true);
    if (m_groupCount - m_group <= 1)
        ActionButton(QStringLiteral("NextGroup"))->setEnabled(false);
    if (m_group < m_groupCount)
        SetupQuestionButtons(GroupMode::Next, m_total);
}

void PracticeWindow::Done() {
    if (m_set.active() && m_set.recNo() > 0)
        SaveAnswer(m_set.recNo(), m_view->page(), 1, LastOfGroup(), m_first);
}

void PracticeWindow::ToggleAnswerPanel() {
    QPushButton* b = ActionButton(QStringLiteral("Answer"));
    if (b->text() == kAnswer) {
        const int page = m_view->page();
        m_view->openAnswerPanel(m_view->readAnswer(page, int(m_set.asInteger(QStringLiteral("A2_1")))),
                                m_set.asString(QStringLiteral("A2")), page);
        b->setText(kBack);
    } else {
        b->setText(kAnswer);
        m_view->closeAnswerPanel();
    }
}

void PracticeWindow::ToggleVoid() {
    if (!m_set.active() || m_set.isEmpty())
        return;
    QPushButton* b = ActionButton(QStringLiteral("Void"));
    try {
        if (b->text() == m_options.voidCaption) {
            m_set.setValue(QStringLiteral("F1"), 1);
            m_set.setValue(QStringLiteral("E2"), QStringLiteral("zero"));
            m_set.post();
            m_status[0]->setText(QStringLiteral("本题已被您作废！"));
            b->setText(kUnvoid);
        } else {
            m_set.setValue(QStringLiteral("F1"), 0);
            m_set.post();
            m_status[0]->setText(QStringLiteral("本题曾被作废，现已被您取消！"));
            b->setText(m_options.voidCaption);
        }
    } catch (const std::exception&) {
        m_set.cancel();
        ShowPrompt(QStringLiteral("错误"), QStringLiteral("无法保存本题的状态！"), 1, 2,
                   QStringLiteral("NO"));
    }
}

void PracticeWindow::OpenNotes() {
    if (!m_set.active() || m_set.recNo() == 0)
        return;
    try {
        OpenWindow([this] {
            auto* w = new TFrmBj(this);
            w->bind(&m_set, QStringLiteral("A14"), QStringLiteral("lx"));
            return w;
        });
    } catch (const std::exception&) {
        if (m_set.state() != store::DataSet::State::Browse)
            m_set.cancel();
        ShowPrompt(QStringLiteral("错误"), QStringLiteral("笔记未能保存！"), 1, 2, QStringLiteral("NO"));
    }
    ActionButton(QStringLiteral("Notes"))->setText(NotesHaveContent ? kHasNotes : kNotes);
}

void PracticeWindow::OpenRelatedPoints() {
    if (!m_set.active() || m_set.recNo() == 0)
        return;
    try {
        TfrmAnswFagui related(this);
        if (related.LoadRelatedPoints(m_set.asString(QStringLiteral("A1"))))
            related.exec();
    } catch (const std::exception&) {
        ShowPrompt(QStringLiteral("错误"), QStringLiteral("无法打开相关考点！"), 1, 2, QStringLiteral("NO"));
    }
    if (!isVisible())
        show();
}

// The question's own clock stands still while the learner edits it; afterwards the question shows as
// edited: its text, its answer page and the edited line.
void PracticeWindow::EditQuestion() {
    if (!m_set.active() || m_set.recNo() == 0 || m_current <= 0)
        return;
    const bool running = m_questionTimer->isActive();
    m_questionTimer->stop();
    int result = QDialog::Rejected;
    try {
        result = OpenWindow([this] { return new TfrmTedit(m_set, this); });
    } catch (const std::exception&) {
        ShowPrompt(QStringLiteral("错误"), QStringLiteral("无法打开试题修改窗口！"), 1, 2, QStringLiteral("NO"));
    }
    if (running)
        m_questionTimer->start();
    if (result != QDialog::Accepted)
        return;
    m_set.setRecNo(m_current);
    const int type = int(m_set.asInteger(QStringLiteral("A13")));
    m_view->setPage(AnswerPageForQuestion(type, TypeName(type), m_set.asString(QStringLiteral("A2"))));
    ShowQuestionState(m_view->page());
    LoadQuestionText(m_set.asString(QStringLiteral("A1")));
    if (m_options.showsEditedLine)
        m_status[1]->setText(QStringLiteral("本题被您修改过"));
}

void PracticeWindow::QuestionTimerTick() {
    if (m_gauge->value() < 100) {
        m_gauge->setValue(m_gauge->value() + 1);
        return;
    }
    m_questionTimer->stop();
    try {
        if (m_set.active() && m_set.recNo() > 0) {
            m_set.setValue(QStringLiteral("csbs"), QStringLiteral("Y"));
            m_set.post();
        }
    } catch (const std::exception&) {
        m_set.cancel();
    }
    // The flag is written at once; the notice waits for a message that may be open (the timer runs on
    // under prompts and child windows).
    QueuePrompt(QStringLiteral("提示"), QStringLiteral("到时间了"), 1, 1, QStringLiteral("NO"));
}

QString PracticeWindow::Elapsed() const {
    const qint64 s = qMax<qint64>(0, m_startedAt.secsTo(store::clock().now()));
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

void PracticeWindow::ClockTick() {
    if (m_startedAt.isValid())
        m_clock->setText(Elapsed());
}

void PracticeWindow::keyPressEvent(QKeyEvent* event) {
    Guarded(kActionFailed, [this, event] { handleKey(event); });
}

void PracticeWindow::handleKey(QKeyEvent* event) {
    if (event->key() == Qt::Key_S && event->modifiers() == Qt::NoModifier && m_star->isEnabled()) {
        Guarded(QStringLiteral("无法收藏本题！"), [this] { ToggleBookmark(); });
        return;
    }
    const int page = m_view->page();
    if (page != 0 && page != 1) {
        QDialog::keyPressEvent(event);
        return;
    }
    QPushButton* prev = ActionButton(QStringLiteral("Previous"));
    QPushButton* next = ActionButton(QStringLiteral("Next"));
    switch (event->key()) {
    case Qt::Key_Backspace:
        if (prev->isEnabled())
            PreviousQuestion();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (next->isEnabled())
            NextQuestion();
        return;
    default:
        if (event->key() >= Qt::Key_A && event->key() <= Qt::Key_F && event->modifiers() == Qt::NoModifier) {
            m_view->pressLetter(QChar(u'A' + (event->key() - Qt::Key_A)));
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void PracticeWindow::done(int result) {
    if (!m_closed) {
        m_closed = true;
        BusyCursor busy;
        m_clockTimer->stop();
        m_questionTimer->stop();
        const QString elapsed = m_startedAt.isValid() ? Elapsed() : QStringLiteral("0:00:00");
        try {
            if (m_set.active() && m_set.recNo() > 0)
                SaveAnswer(m_set.recNo(), m_view->page(), 2, LastOfGroup(), m_first);
            DM1->RecordStudyTime(elapsed);
        } catch (const std::exception&) {
            ShowPrompt(QStringLiteral("错误"), QStringLiteral("学习时间未能记入学习日志！"), 1, 2,
                       QStringLiteral("NO"));
        }
        for (store::DataSet* ds :
             {&DM1->Cn1Query1, &DM1->Cn1Query2, &DM1->Cn1Query_tm, &DM1->Cn1Table_cj, &DM1->Cn1Table_tx})
            ds->close();
    }
    QDialog::done(result);
}
