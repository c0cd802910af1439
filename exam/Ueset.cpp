#include "exam/Ueset.h"

#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/Helpers.h"
#include "ui/Services.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

TFrmEset::TFrmEset(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmEset"));
    setWindowTitle(QStringLiteral("考试设置"));

    suiCheckBox1 = new QCheckBox(QStringLiteral("保留试卷最低分数"), this);
    suiCheckBox2 = new QCheckBox(QStringLiteral("模拟考试答题时间"), this);
    suiNumberEdit1 = new QLineEdit(this);
    suiNumberEdit2 = new QLineEdit(this);
    suiNumberEdit1->setToolTip(QStringLiteral("与试卷总分数相关"));
    suiNumberEdit2->setToolTip(QStringLiteral("（单位：分钟）"));
    for (QLineEdit* e : {suiNumberEdit1, suiNumberEdit2}) {
        e->setMaxLength(3);
        e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), e));
        e->setFixedWidth(80);
        e->setAlignment(Qt::AlignRight);
    }
    suiCheckBox1->setObjectName(QStringLiteral("suiCheckBox1"));
    suiCheckBox2->setObjectName(QStringLiteral("suiCheckBox2"));
    suiNumberEdit1->setObjectName(QStringLiteral("suiNumberEdit1"));
    suiNumberEdit2->setObjectName(QStringLiteral("suiNumberEdit2"));
    suiButton1 = new QPushButton(QStringLiteral("默认"), this);
    suiButton1->setObjectName(QStringLiteral("suiButton1"));
    suiButton1->setToolTip(QStringLiteral("先选择要恢复默认值的项"));
    suiButton2 = new QPushButton(QStringLiteral("关闭"), this);
    suiButton2->setObjectName(QStringLiteral("suiButton2"));
    suiButton2->setToolTip(QStringLiteral("保存后退出本界面"));
    for (QPushButton* b : {suiButton1, suiButton2})
        b->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(suiCheckBox1, 0, 0);
    grid->addWidget(suiNumberEdit1, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("分"), this), 0, 2);
    grid->addWidget(suiCheckBox2, 1, 0);
    grid->addWidget(suiNumberEdit2, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("分钟"), this), 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(suiButton1);
    buttons->addWidget(suiButton2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);
    setFixedSize(380, 170);

    connect(suiCheckBox1, &QCheckBox::clicked, this, &TFrmEset::suiCheckBox1Click);
    connect(suiCheckBox2, &QCheckBox::clicked, this, &TFrmEset::suiCheckBox1Click);
    connect(suiButton1, &QPushButton::clicked, this, &TFrmEset::suiButton1Click);
    connect(suiButton2, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    connect(suiNumberEdit1, &QLineEdit::textChanged, this, &TFrmEset::suiNumberEdit1Change);
}

void TFrmEset::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        CentreOnDesktop(this);
        FormShow();
    }
}

void TFrmEset::FormShow() {
    try {
        // The least mark is measured against a paper of the kind last chosen.
        DM1->PointTypeTable(PaperKind);
        m_fullScore = DM1->PaperFullScore();
        store::DataSet& plan = DM1->Cn1Table_plan;
        if (!plan.active())
            plan.open();
        plan.first();
        const qint64 examTime = plan.isEmpty() ? 0 : plan.asInteger(QStringLiteral("ExamTime"));
        suiNumberEdit2->setText(QString::number(examTime / 60));
        suiNumberEdit1->setText(plan.isEmpty() ? QStringLiteral("0")
                                               : plan.asString(QStringLiteral("LeastMark")));
    } catch (const store::DbError&) {
        messages().box(QStringLiteral("错误"), QStringLiteral("无法读取考试设置！"), MsgIcon::Critical,
                       MsgButtons::Ok);
    }
}

void TFrmEset::suiCheckBox1Click() {
    suiButton1->setEnabled(suiCheckBox1->isChecked() || suiCheckBox2->isChecked());
}

void TFrmEset::suiButton1Click() {
    if (suiCheckBox1->isChecked())
        suiNumberEdit1->setText(QString::number(m_fullScore / 2));
    if (suiCheckBox2->isChecked())
        suiNumberEdit2->setText(QStringLiteral("120"));
}

void TFrmEset::suiNumberEdit1Change() {
    if (suiNumberEdit1->text().isEmpty()) {
        suiNumberEdit1->setText(QStringLiteral("0"));
        return;
    }
    if (suiNumberEdit1->text().toInt() > m_fullScore) {
        messages().box(QStringLiteral("提示"), QStringLiteral("最低分数不能超过总分数！"),
                       MsgIcon::Information, MsgButtons::Ok);
        suiNumberEdit1->setText(QString::number(m_fullScore));
        suiNumberEdit1->setFocus();
    }
}

bool TFrmEset::FormCloseQuery() {
    const QString minutes = suiNumberEdit2->text().trimmed();
    if (!minutes.isEmpty() && minutes.toInt() < 1) {
        // A paper with no time at all would end the moment it starts.
        messages().box(QStringLiteral("提示"), QStringLiteral("模拟考试答题时间至少为1分钟！"),
                       MsgIcon::Information, MsgButtons::Ok);
        suiNumberEdit2->setFocus();
        return false;
    }
    store::DataSet& plan = DM1->Cn1Table_plan;
    try {
        if (minutes.isEmpty())
            throw store::DbError(QStringLiteral("no time given"));
        if (!plan.active())
            plan.open();
        plan.first();
        plan.edit();
        plan.setValue(QStringLiteral("LeastMark"), qMin(suiNumberEdit1->text().toInt(), m_fullScore));
        plan.setValue(QStringLiteral("ExamTime"), minutes.toInt() * 60);
        plan.post();
    } catch (const store::DbError&) {
        if (plan.active() && plan.state() != store::DataSet::State::Browse)
            plan.cancel();
        messages().box(QStringLiteral("警告"), QStringLiteral("保存设置失败！"), MsgIcon::Critical,
                       MsgButtons::Ok);
    }
    return true;
}

void TFrmEset::done(int result) {
    if (!m_closed) {
        if (!FormCloseQuery())
            return;
        m_closed = true;
        try {
            DM1->Cn1Table_plan.close();
        } catch (...) {
        }
    }
    QDialog::done(result);
}
