#include "authoring/UInPut.h"

#include "authoring/ExamPointList.h"
#include "authoring/QuestionSave.h"
#include "authoring/RichTextEditor.h"
#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/Helpers.h"
#include "ui/Services.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

TFrmInPut::TFrmInPut(QWidget* parent) : AuthoringForm(parent) {
    setObjectName(QStringLiteral("FrmInPut"));
    setWindowTitle(QStringLiteral("试题录入"));
    const bool small = ScreenMode == u"800";
    // Room for a window frame and a taskbar of about 40 pixels on either screen.
    resize(small ? QSize(780, 520) : QSize(1000, 690));

    auto* root = new QVBoxLayout(this);
    Lb_cap = new QLabel(this);
    Lb_cap->setObjectName(QStringLiteral("Lb_cap"));
    Lb_cap->hide();
    auto* body = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(buildToolRow());
    Re1 = addEditor(QStringLiteral("试题内容："), QStringLiteral("Re1"), left, 3);
    Re2 = addEditor(QStringLiteral("试题解析："), QStringLiteral("Re2"), left, 2);
    body->addLayout(left, 1);

    QPushButton* save = makeButton(QStringLiteral("保存"), QStringLiteral("Save"));
    QPushButton* clear = makeButton(QStringLiteral("清除"), QStringLiteral("Clear"));
    QPushButton* help = makeButton(QStringLiteral("使用说明"), QStringLiteral("Help"));
    QPushButton* settings = makeButton(QStringLiteral("设置"), QStringLiteral("Settings"));
    QPushButton* close = makeButton(QStringLiteral("关闭"), QStringLiteral("Close"));
    QWidget* side = buildSidePanel(QStringLiteral("待选答案个数："), QStringLiteral("试题答案："),
                                   QStringLiteral("题    型："), {save, clear, help, settings, close});
    side->setFixedWidth(small ? 250 : 300);
    Lb_saved = new QLabel(side);
    Lb_saved->setObjectName(QStringLiteral("Lb_saved"));
    Lb_saved->setWordWrap(true);
    static_cast<QVBoxLayout*>(side->layout())->insertWidget(side->layout()->count() - 1, Lb_saved);
    body->addWidget(side);
    root->addLayout(body);

    connect(save, &QPushButton::clicked, this, [this] { Save(); });
    connect(clear, &QPushButton::clicked, this, [this] { ClearForm(); });
    connect(help, &QPushButton::clicked, this,
            [this] { Guarded(QStringLiteral("无法打开使用说明！"), [this] { ShowHelp(); }); });
    connect(settings, &QPushButton::clicked, this, [] { ShowNotYetAvailable(); });
    connect(close, &QPushButton::clicked, this, [this] { CloseWindow(); });
    connect(ComboBox1, &QComboBox::activated, this, [this] { TypeChanged(); });

    SE_Num->setValue(5);
    LoadTypes();
    SelectFirstType();
}

void TFrmInPut::SetHeading(const QString& text) {
    Lb_cap->setText(text);
}

QString TFrmInPut::PointLimitText() const {
    return QStringLiteral(
        "试题对应考点最多为10条！\n如果要去掉考点，请选中要\n去掉的考点，再按键盘上的\n[Delete]键！");
}

void TFrmInPut::SelectFirstType() {
    m_settingType = true;
    ComboBox1->setCurrentIndex(ComboBox1->count() > 0 ? 0 : -1);
    m_settingType = false;
}

void TFrmInPut::TypeChanged() {
    if (m_settingType)
        return;
    EnableOptionsAndAnswer();
    const authoring::QuestionType* type = ChosenType();
    if (type && authoring::IsSubjectiveType(type->id, type->name))
        FixForSubjective();
    else
        Edit1->clear();
}

bool TFrmInPut::Save() {
    EnableOptionsAndAnswer();
    const authoring::QuestionType* type = ChosenType();
    QString answer;
    if (!Validate(Re1, type, &answer))
        return false;
    authoring::NewQuestion q;
    q.chapter = m_chapter;
    q.typeId = type->id;
    q.options = authoring::IsSubjectiveType(type->id, type->name) ? 1 : SE_Num->value();
    q.answer = answer;
    q.stem = Re1->richText();
    if (Re2->hasContent())
        q.explanation = Re2->richText();
    q.points = ListBox1->ftids();
    try {
        BusyCursor busy;
        m_lastId = authoring::SaveNewQuestion(DM1->ADOCn1, q);
    } catch (const authoring::SerialsExhausted&) {
        messages().box(QStringLiteral("提示"), QStringLiteral("最多只能录入9999道题！"), MsgIcon::Warning,
                       MsgButtons::Ok);
        return false;
    } catch (const std::exception&) {
        // Nothing was written; the form keeps what the learner typed.
        messages().box(QStringLiteral("提示"), QStringLiteral("保存试题出现错误！"), MsgIcon::Information,
                       MsgButtons::Ok);
        return false;
    }
    ClearForm();
    ++m_saved;
    Lb_saved->setText(QStringLiteral("已保存%1道题").arg(m_saved));
    return true;
}

void TFrmInPut::ClearForm() {
    Re1->clearContent();
    Re2->clearContent();
    Edit1->clear();
    ListBox1->clearPoints();
    SelectFirstType();
}

void TFrmInPut::CloseWindow() {
    EnableOptionsAndAnswer();
    accept();
}
