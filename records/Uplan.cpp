#include "records/Uplan.h"

#include "records/Readiness.h"
#include "records/StudyRecords.h"
#include "reference/Laws.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/Helpers.h"
#include "ui/Udlg.h"

#include <QButtonGroup>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QHeaderView>
#include <QListWidget>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QString kSet = QStringLiteral("设定");
const QString kSave = QStringLiteral("保存");
// The earliest date the field offers stands for "no exam date yet".
const QDate kNoDate(2000, 1, 1);
} // namespace

TFrmplan::TFrmplan(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmPlan"));
    setWindowTitle(QStringLiteral("学习计划"));
    resize(760, 470);
    auto* columns = new QHBoxLayout(this);
    auto* root = new QVBoxLayout;
    columns->addLayout(root, 5);

    auto* planBox = new QGroupBox(QStringLiteral("学习计划"), this);
    planBox->setObjectName(QStringLiteral("PlanBox"));
    auto* grid = new QGridLayout(planBox);
    m_kind = new QButtonGroup(this);
    const char* const kinds[] = {"按作题数量制定学习计划", "按作题时间制定学习计划"};
    const char* const units[] = {"道题", "分钟"};
    for (int i = 0; i < 2; ++i) {
        auto* b = new QRadioButton(QString::fromUtf8(kinds[i]), planBox);
        b->setObjectName(QStringLiteral("Plan%1").arg(i));
        m_kind->addButton(b, i);
        auto* field = new QLineEdit(planBox);
        field->setObjectName(i == 0 ? QStringLiteral("Amount") : QStringLiteral("Minutes"));
        field->setValidator(new QIntValidator(0, 999, field));
        field->setMaxLength(3);
        field->setFixedWidth(64);
        field->setAlignment(Qt::AlignRight);
        (i == 0 ? m_amount : m_minutes) = field;
        grid->addWidget(b, i, 0);
        grid->addWidget(new QLabel(QStringLiteral("每天"), planBox), i, 1);
        grid->addWidget(field, i, 2);
        grid->addWidget(new QLabel(QString::fromUtf8(units[i]), planBox), i, 3);
    }
    grid->setColumnStretch(4, 1);
    root->addWidget(planBox);

    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(new QLabel(QStringLiteral("考试日期"), this));
    m_date = new QDateEdit(this);
    m_date->setObjectName(QStringLiteral("ExamDate"));
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_date->setMinimumDate(kNoDate);
    m_date->setSpecialValueText(QStringLiteral("未设定"));
    m_date->setToolTip(QStringLiteral("点击右侧按钮-->点击设置日期"));
    dateRow->addWidget(m_date);
    dateRow->addStretch();
    root->addLayout(dateRow);

    auto* countdown = new QHBoxLayout;
    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("CountdownHeading"));
    m_heading->setStyleSheet(QStringLiteral("font-size: 22px; font-weight: bold; color: #1e3a5f;"));
    m_days = new QLabel(this);
    m_days->setObjectName(QStringLiteral("CountdownDays"));
    m_unit = new QLabel(QStringLiteral("天"), this);
    m_unit->setStyleSheet(QStringLiteral("font-size: 22px; font-weight: bold; color: #1e3a5f;"));
    countdown->addStretch();
    countdown->addWidget(m_heading);
    countdown->addWidget(m_days);
    countdown->addWidget(m_unit);
    countdown->addStretch();
    root->addStretch();
    root->addLayout(countdown);
    root->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_set = new QPushButton(kSet, this);
    m_set->setObjectName(QStringLiteral("SetButton"));
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("Close"));
    for (QPushButton* b : {m_set, close}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);

    // Readiness, beside the plan.
    auto* readiness = new QGroupBox(QStringLiteral("备考估计（仅供参考）"), this);
    readiness->setObjectName(QStringLiteral("ReadinessBox"));
    auto* box = new QVBoxLayout(readiness);
    m_subjects = new QTableWidget(0, 3, readiness);
    m_subjects->setObjectName(QStringLiteral("Subjects"));
    m_subjects->setHorizontalHeaderLabels(
        {QStringLiteral("科目"), QStringLiteral("今天估计答对"), QStringLiteral("未掌握")});
    m_subjects->verticalHeader()->hide();
    m_subjects->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_subjects->setSelectionMode(QAbstractItemView::NoSelection);
    m_subjects->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_subjects->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_subjects->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    box->addWidget(m_subjects);
    box->addSpacing(4);
    box->addWidget(new QLabel(QStringLiteral("最需要加强的考点（最弱的在前）"), readiness));
    m_weak = new QListWidget(readiness);
    m_weak->setObjectName(QStringLiteral("WeakPoints"));
    box->addWidget(m_weak, 1);
    m_practise = new QPushButton(QStringLiteral("练习此考点"), readiness);
    m_practise->setObjectName(QStringLiteral("PractisePoint"));
    m_practise->setAutoDefault(false);
    auto* practiseRow = new QHBoxLayout;
    practiseRow->addStretch();
    practiseRow->addWidget(m_practise);
    box->addLayout(practiseRow);
    m_target = new QLabel(readiness);
    m_target->setObjectName(QStringLiteral("DailyTarget"));
    m_target->setWordWrap(true);
    box->addWidget(m_target);
    auto* note = new QLabel(QStringLiteral("以上由各题的掌握情况和上次作答距今的天数估算，只是估计，"
                                           "仅供参考；算法见“使用帮助”。"),
                            readiness);
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("color: #5d6d7e;"));
    box->addWidget(note);
    columns->addWidget(readiness, 6);

    connect(m_practise, &QPushButton::clicked, this, [this] { PractiseWeakPoint(); });
    connect(m_weak, &QListWidget::itemDoubleClicked, this, [this] { PractiseWeakPoint(); });
    connect(m_weak, &QListWidget::currentRowChanged, this,
            [this](int row) { m_practise->setEnabled(row >= 0 && row < m_weakIds.size()); });

    connect(m_set, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_kind, &QButtonGroup::idClicked, this, [this](int id) { ChoosePlan(id); });
    connect(m_date, &QDateEdit::dateChanged, this, [this] {
        UpdateCountdown();
        ShowDailyTarget();
    });
}

void TFrmplan::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        CentreOnDesktop(this);
        FormShow();
    }
}

void TFrmplan::FormShow() {
    Guarded(QStringLiteral("无法读取学习计划！"), [this] {
        store::DataSet& plan = DM1->Cn1Table_plan;
        if (!plan.active())
            plan.open();
        // A bank without its plan row still gets one to edit.
        if (plan.isEmpty()) {
            plan.append();
            plan.setValue(QStringLiteral("PlanMark"), 0);
            plan.setValue(QStringLiteral("PlanAmount"), 0);
            plan.setValue(QStringLiteral("PlanTime"), 0);
            plan.post();
        }
        plan.first();
        m_amount->setText(QString::number(plan.asInteger(QStringLiteral("PlanAmount"))));
        m_minutes->setText(QString::number(plan.asInteger(QStringLiteral("PlanTime"))));
        const QDate exam = QDate::fromString(plan.asString(QStringLiteral("ExamDate")).left(10), Qt::ISODate);
        m_date->setDate(exam.isValid() ? exam : kNoDate);
        const int kind = plan.asInteger(QStringLiteral("PlanMark")) == 1 ? 1 : 0;
        m_kind->button(kind)->setChecked(true);
    });
    for (QAbstractButton* b : m_kind->buttons())
        b->setEnabled(false);
    m_date->setEnabled(false);
    m_amount->setEnabled(true);
    m_minutes->setEnabled(true);
    UpdateReadiness();
    UpdateCountdown();
}

void TFrmplan::UpdateCountdown() {
    const QDate exam = m_date->date() == kNoDate ? QDate() : m_date->date();
    const records::Countdown c = records::CountdownFor(store::clock().today(), exam);
    m_heading->setText(c.heading);
    m_days->setText(c.days);
    m_days->setVisible(c.showsDays);
    m_unit->setVisible(c.showsDays);
    m_days->setStyleSheet(QStringLiteral("font-size: 40px; font-weight: bold; color: %1;")
                              .arg(records::CountdownColour(c.colour).name()));
}

QString TFrmplan::CountdownHeading() const {
    return m_heading->text();
}
QString TFrmplan::CountdownDays() const {
    return m_days->isVisibleTo(this) ? m_days->text() : QString();
}
QColor TFrmplan::CountdownColour() const {
    const records::Countdown c =
        records::CountdownFor(store::clock().today(), m_date->date() == kNoDate ? QDate() : m_date->date());
    return records::CountdownColour(c.colour);
}
bool TFrmplan::Editing() const {
    return m_set->text() == kSave;
}

void TFrmplan::ChoosePlan(int kind) {
    if (kind != 0 && kind != 1)
        return;
    m_kind->button(kind)->setChecked(true);
    QLineEdit* chosen = kind == 0 ? m_amount : m_minutes;
    QLineEdit* other = kind == 0 ? m_minutes : m_amount;
    chosen->setEnabled(true);
    other->setEnabled(false);
    chosen->setFocus();
}

void TFrmplan::SpeedButton1Click() {
    if (!Editing()) {
        m_set->setText(kSave);
        for (QAbstractButton* b : m_kind->buttons())
            b->setEnabled(true);
        m_date->setEnabled(true);
        ChoosePlan(qMax(0, m_kind->checkedId()));
        return;
    }
    if (!Save())
        return;
    m_set->setText(kSet);
    for (QAbstractButton* b : m_kind->buttons())
        b->setEnabled(false);
    m_date->setEnabled(false);
    UpdateCountdown();
}

bool TFrmplan::Save() {
    // An empty number field is a target of 0, never an empty text in a number column.
    const auto number = [](const QLineEdit* field) {
        bool ok = false;
        const int v = field->text().trimmed().toInt(&ok);
        return ok ? v : 0;
    };
    return Guarded(QStringLiteral("学习计划未能保存！"), [&] {
        store::DataSet& plan = DM1->Cn1Table_plan;
        if (!plan.active())
            plan.open();
        plan.first();
        if (plan.isEmpty())
            plan.append();
        plan.setValue(QStringLiteral("PlanAmount"), number(m_amount));
        plan.setValue(QStringLiteral("PlanTime"), number(m_minutes));
        plan.setValue(QStringLiteral("ExamDate"), m_date->date() == kNoDate
                                                      ? QVariant()
                                                      : QVariant(m_date->date().toString(Qt::ISODate)));
        plan.setValue(QStringLiteral("PlanMark"), qMax(0, m_kind->checkedId()));
        try {
            plan.post();
        } catch (...) {
            plan.cancel();
            throw;
        }
        m_amount->setText(QString::number(number(m_amount)));
        m_minutes->setText(QString::number(number(m_minutes)));
    });
}

void TFrmplan::done(int result) {
    DM1->Cn1Table_plan.close();
    QDialog::done(result);
}

QString TFrmplan::DailyTargetText() const {
    return m_target->text();
}

void TFrmplan::UpdateReadiness() {
    if (!DM1)
        return;
    records::Readiness r;
    const QDate exam = m_date->date() == kNoDate ? QDate() : m_date->date();
    if (!Guarded(QStringLiteral("无法读取学习情况！"),
                 [&] { r = records::ReadReadiness(*DM1, store::clock().today(), exam); }))
        return;
    m_subjects->setRowCount(int(r.subjects.size()));
    for (int i = 0; i < r.subjects.size(); ++i) {
        const records::SubjectReadiness& s = r.subjects[i];
        m_subjects->setItem(i, 0, new QTableWidgetItem(s.name.isEmpty() ? s.code : s.name));
        auto* share = new QTableWidgetItem(QString::asprintf("%.0f%%", s.share * 100.0));
        share->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_subjects->setItem(i, 1, share);
        auto* open = new QTableWidgetItem(QString::number(s.notMastered));
        open->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_subjects->setItem(i, 2, open);
    }
    // Every subject in view, up to five; more scroll.
    QHeaderView* header = m_subjects->horizontalHeader();
    int height = qMax(header->sizeHint().height(), header->height()) + 2 * m_subjects->frameWidth() + 2;
    for (int i = 0; i < qMin(5, m_subjects->rowCount()); ++i)
        height += m_subjects->rowHeight(i);
    m_subjects->setFixedHeight(height);
    m_weak->clear();
    m_weakIds.clear();
    m_weakTitles.clear();
    for (const records::WeakPoint& p : std::as_const(r.weakest)) {
        m_weak->addItem(QStringLiteral("%1  （%2，估计答对 %3%）")
                            .arg(p.title.isEmpty() ? p.ftid : p.title)
                            .arg(p.questions == 1 ? QStringLiteral("1 道题") : QStringLiteral("%1 道题").arg(p.questions))
                            .arg(qRound(p.share * 100.0)));
        m_weakIds << p.ftid;
        m_weakTitles << p.title;
    }
    if (m_weak->count() == 0)
        m_weak->addItem(QStringLiteral("做过题后，这里列出最需要加强的考点。"));
    m_weak->setCurrentRow(m_weakIds.isEmpty() ? -1 : 0);
    m_practise->setEnabled(!m_weakIds.isEmpty());
    m_notMastered = r.notMastered;
    ShowDailyTarget();
}

void TFrmplan::ShowDailyTarget() {
    // From the questions counted when the estimate was read: a change of the date reads nothing again.
    const QDate exam = m_date->date() == kNoDate ? QDate() : m_date->date();
    const int daysLeft = exam.isValid() ? int(store::clock().today().daysTo(exam)) : -1;
    if (daysLeft < 0 && !exam.isValid())
        m_target->setText(QStringLiteral("还有 %1 道题未掌握。设定考试日期后，这里给出每天的目标。").arg(m_notMastered));
    else if (daysLeft < 0)
        m_target->setText(QStringLiteral("考试日期已过。还有 %1 道题未掌握。").arg(m_notMastered));
    else if (m_notMastered == 0)
        m_target->setText(QStringLiteral("全部题目都已掌握。"));
    else
        m_target->setText(QStringLiteral("还有 %1 道题未掌握，距考试 %2 天：每天约 %3 道题。")
                              .arg(m_notMastered)
                              .arg(daysLeft)
                              .arg(records::DailyTarget(m_notMastered, daysLeft)));
}

void TFrmplan::PractiseWeakPoint() {
    const int row = m_weak->currentRow();
    if (row < 0 || row >= m_weakIds.size())
        return;
    PractiseExamPoint(this, m_weakIds[row], m_weakTitles[row]);
    UpdateReadiness();
}
