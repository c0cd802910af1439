#include "authoring/Utedit.h"

#include "authoring/ExamPointList.h"
#include "authoring/QuestionSave.h"
#include "authoring/RichTextEditor.h"
#include "store/DataSet.h"
#include "store/JetSql.h"
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

TfrmTedit::TfrmTedit(store::DataSet& question, QWidget* parent)
    : AuthoringForm(parent), m_question(question) {
    setObjectName(QStringLiteral("frmTedit"));
    setWindowTitle(QStringLiteral("试题修改"));
    const bool small = ScreenMode == u"800";
    resize(small ? QSize(780, 520) : QSize(1000, 690));

    auto* root = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    left->addWidget(buildToolRow());
    RxDBRichEdit3 = addEditor(QStringLiteral("共同题干："), QStringLiteral("RxDBRichEdit3"), left, 2);
    SharedStemLabel = qobject_cast<QLabel*>(left->itemAt(left->count() - 2)->widget());
    RxDBRichEdit1 = addEditor(QStringLiteral("试题内容："), QStringLiteral("RxDBRichEdit1"), left, 3);
    RxDBRichEdit2 = addEditor(QStringLiteral("试题解析："), QStringLiteral("RxDBRichEdit2"), left, 2);
    root->addLayout(left, 1);

    QPushButton* save = makeButton(QStringLiteral("保存"), QStringLiteral("Save"));
    QPushButton* cancel = makeButton(QStringLiteral("取消"), QStringLiteral("Cancel"));
    QPushButton* help = makeButton(QStringLiteral("使用说明"), QStringLiteral("Help"));
    QWidget* side = buildSidePanel(QStringLiteral("备选个数："), QStringLiteral("答　　案："),
                                   QStringLiteral("题　　型："), {save, cancel, help});
    side->setFixedWidth(small ? 250 : 300);
    root->addWidget(side);

    connect(save, &QPushButton::clicked, this, [this] { Save(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this,
            [this] { Guarded(QStringLiteral("无法打开使用说明！"), [this] { ShowHelp(); }); });
    connect(ComboBox1, &QComboBox::activated, this, [this] { TypeChanged(); });

    FormShow();
}

QString TfrmTedit::PointLimitText() const {
    return QStringLiteral(
        "试题对应知识点最多为10条！\n如果要去掉知识点，请选中要\n去掉的知识点，再按键盘上的\n[Delete]键！");
}

void TfrmTedit::FormShow() {
    m_id = m_question.asString(QStringLiteral("A1"));

    // The practice's own content cursor, opened the way the practice opens it.
    store::DataSet& content = DM1->cn1query_nr;
    content.close();
    content.setCommandText(QStringLiteral("select * from tab_exer where a1 =") + store::quoted(m_id));
    content.setParams({});
    content.open();
    if (!content.isEmpty()) {
        RxDBRichEdit1->setRichText(content.asBytes(QStringLiteral("A15")));
        RxDBRichEdit2->setRichText(content.asBytes(QStringLiteral("jx")));
    }

    // A part of a multi-part question shows the stem its parts share; other questions give its room to
    // their own stem.
    if (m_id.contains(u'-')) {
        store::DataSet& shared = DM1->Cn1Query2;
        shared.close();
        shared.setCommandText(QStringLiteral("select * from tab_title where A1=:A1"));
        shared.setParams({m_id.left(16)});
        shared.open();
        m_hasSharedStem = !shared.isEmpty();
        if (m_hasSharedStem)
            RxDBRichEdit3->setRichText(shared.asBytes(QStringLiteral("A15")));
    }
    RxDBRichEdit3->setVisible(m_hasSharedStem);
    SharedStemLabel->setVisible(m_hasSharedStem);
    if (!m_hasSharedStem)
        m_editors.removeOne(RxDBRichEdit3);
    m_lastEditor = RxDBRichEdit1;

    SE_Num->setValue(qBound(1, int(m_question.asInteger(QStringLiteral("A2_1"))), authoring::MaxOptions));
    Edit1->setText(m_question.asString(QStringLiteral("A2")));

    // The question's type is listed even when the current kind's table does not name it, so that a save
    // keeps it unless the learner picks another.
    LoadTypes();
    m_typeAtOpen = int(m_question.asInteger(QStringLiteral("A13")));
    for (int i = 0; i < m_types.size(); ++i)
        if (m_types[i].id == m_typeAtOpen)
            m_typeRowAtOpen = i;
    if (m_typeRowAtOpen < 0) {
        QString name = authoring::TypeNameInAnyKind(DM1->ADOCn1, m_typeAtOpen);
        if (name.isEmpty())
            name = QStringLiteral("题型%1").arg(m_typeAtOpen);
        m_types.push_back({m_typeAtOpen, name});
        m_settingType = true;
        ComboBox1->addItem(name);
        m_settingType = false;
        m_typeRowAtOpen = int(m_types.size()) - 1;
    }
    m_settingType = true;
    ComboBox1->setCurrentIndex(m_typeRowAtOpen);
    m_settingType = false;
    if (authoring::IsSubjectiveType(m_typeAtOpen, m_types[m_typeRowAtOpen].name))
        FixForSubjective();

    // Each point as its catalogue heading followed by its title.
    for (int k = 3; k <= 12; ++k) {
        const QString ftid = m_question.asString(QStringLiteral("K%1").arg(k)).trimmed();
        if (ftid.isEmpty())
            continue;
        const store::QueryResult point =
            DM1->ADOCn1.query(QStringLiteral("select sn, id from tab_rule where ftid=:ftid"), {ftid});
        QString text;
        if (!point.rows.isEmpty()) {
            const QVariant heading = DM1->ADOCn1.scalar(QStringLiteral("select n from tab_fgmc where id=:id"),
                                                        {point.rows.first().value(1)});
            text = heading.toString() + point.rows.first().value(0).toString();
        }
        ListBox1->addPoint(ftid, text);
    }
}

void TfrmTedit::TypeChanged() {
    if (m_settingType)
        return;
    const authoring::QuestionType* type = ChosenType();
    if (type && authoring::IsSubjectiveType(type->id, type->name))
        FixForSubjective();
    else
        EnableOptionsAndAnswer(); // unlike entry, the answer stays
}

bool TfrmTedit::Save() {
    const authoring::QuestionType* type = ChosenType();
    QString answer;
    if (!Validate(RxDBRichEdit1, type, &answer))
        return false;
    authoring::QuestionEdit edit;
    // A type the learner did not change stays what it was.
    edit.typeId = ComboBox1->currentIndex() == m_typeRowAtOpen ? m_typeAtOpen : type->id;
    edit.options = authoring::IsSubjectiveType(type->id, type->name) ? 1 : SE_Num->value();
    edit.answer = answer;
    edit.points = ListBox1->ftids();
    // Only what the learner changed is written: an untouched stem keeps its stored bytes.
    if (RxDBRichEdit1->changed())
        edit.stem = RxDBRichEdit1->richText();
    if (RxDBRichEdit2->changed())
        edit.explanation = RxDBRichEdit2->hasContent() ? RxDBRichEdit2->richText() : QByteArray();
    if (m_hasSharedStem && RxDBRichEdit3->changed())
        edit.sharedStem = RxDBRichEdit3->richText();
    try {
        BusyCursor busy;
        authoring::SaveQuestionEdit(DM1->ADOCn1, m_question, DM1->cn1query_nr,
                                    m_hasSharedStem ? &DM1->Cn1Query2 : nullptr, edit);
    } catch (const std::exception&) {
        messages().box(QStringLiteral("提示"), QStringLiteral("保存试题出现错误！"), MsgIcon::Information,
                       MsgButtons::Ok);
        return false;
    }
    for (RichTextEditor* editor : {RxDBRichEdit1, RxDBRichEdit2, RxDBRichEdit3})
        editor->document()->setModified(false);
    accept();
    return true;
}
