#include "authoring/AuthoringForm.h"

#include "authoring/ExamPointList.h"
#include "authoring/RichTextEditor.h"
#include "authoring/UselectFg.h"
#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/FileDialogs.h"
#include "ui/Helpers.h"
#include "ui/Services.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

AuthoringForm::AuthoringForm(QWidget* parent) : QDialog(parent) {
    // No close box: the window closes with its own button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    SE_Num = new QSpinBox(this);
    SE_Num->setObjectName(QStringLiteral("SE_Num"));
    SE_Num->setRange(1, authoring::MaxOptions);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(100);
    // Letters show in upper case as they are typed.
    connect(Edit1, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString upper = text.toUpper();
        if (upper != text) {
            const int at = Edit1->cursorPosition();
            Edit1->setText(upper);
            Edit1->setCursorPosition(at);
        }
    });
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(false); // a type is picked, never typed
    ListBox1 = new ExamPointList(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    AddPointsButton = makeButton(QStringLiteral("添加考点"), QStringLiteral("AddPoints"));
    connect(AddPointsButton, &QPushButton::clicked, this,
            [this] { Guarded(QStringLiteral("无法读取考点！"), [this] { AddExamPoints(); }); });
}

QPushButton* AuthoringForm::makeButton(const QString& caption, const QString& name) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

RichTextEditor* AuthoringForm::addEditor(const QString& label, const QString& name, QVBoxLayout* column,
                                         int stretch) {
    auto* caption = new QLabel(label, this);
    auto* editor = new RichTextEditor(this);
    editor->setObjectName(name);
    caption->setBuddy(editor);
    column->addWidget(caption);
    column->addWidget(editor, stretch);
    editor->installEventFilter(this);
    m_editors << editor;
    if (!m_lastEditor)
        m_lastEditor = editor;
    return editor;
}

QWidget* AuthoringForm::buildToolRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    const struct {
        const char* caption;
        const char* name;
        const char* tip;
    } tools[] = {{"粗体", "Bold", "粗体 (Ctrl+B)"},
                 {"斜体", "Italic", "斜体 (Ctrl+I)"},
                 {"下划线", "Underline", "下划线 (Ctrl+U)"},
                 {"插入图片", "InsertPicture", "从文件插入图片"}};
    for (const auto& t : tools) {
        auto* b = new QToolButton(row);
        b->setText(QString::fromUtf8(t.caption));
        b->setObjectName(QLatin1String(t.name));
        b->setToolTip(QString::fromUtf8(t.tip));
        b->setFocusPolicy(Qt::NoFocus); // the editor keeps the focus and its selection
        layout->addWidget(b);
        const QString name = QLatin1String(t.name);
        connect(b, &QToolButton::clicked, this, [this, name] {
            if (!m_lastEditor)
                return;
            if (name == u"Bold")
                m_lastEditor->toggleBold();
            else if (name == u"Italic")
                m_lastEditor->toggleItalic();
            else if (name == u"Underline")
                m_lastEditor->toggleUnderline();
            else
                InsertPicture();
            m_lastEditor->setFocus();
        });
    }
    layout->addStretch();
    return row;
}

QWidget* AuthoringForm::buildSidePanel(const QString& optionsLabel, const QString& answerLabel,
                                       const QString& typeLabel, const QList<QPushButton*>& buttons) {
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* form = new QFormLayout;
    form->addRow(optionsLabel, SE_Num);
    form->addRow(answerLabel, Edit1);
    form->addRow(typeLabel, ComboBox1);
    layout->addLayout(form);
    auto* pointsRow = new QHBoxLayout;
    pointsRow->addWidget(new QLabel(QStringLiteral("对应考点："), panel));
    pointsRow->addStretch();
    pointsRow->addWidget(AddPointsButton);
    layout->addLayout(pointsRow);
    layout->addWidget(ListBox1, 1);
    auto* grid = new QGridLayout;
    for (int i = 0; i < buttons.size(); ++i)
        grid->addWidget(buttons[i], i / 2, i % 2);
    layout->addLayout(grid);
    return panel;
}

void AuthoringForm::LoadTypes() {
    if (PaperKind < 1 || PaperKind > 5)
        PaperKind = 1;
    m_types = authoring::ReadQuestionTypes(DM1->ADOCn1, PaperKind);
    m_settingType = true;
    ComboBox1->clear();
    for (const authoring::QuestionType& t : std::as_const(m_types))
        ComboBox1->addItem(t.name);
    m_settingType = false;
}

const authoring::QuestionType* AuthoringForm::ChosenType() const {
    const int i = ComboBox1->currentIndex();
    return i >= 0 && i < m_types.size() ? &m_types[i] : nullptr;
}

void AuthoringForm::FixForSubjective() {
    SE_Num->setValue(1);
    SE_Num->setEnabled(false);
    Edit1->setText(QStringLiteral("1"));
    Edit1->setEnabled(false);
}

void AuthoringForm::EnableOptionsAndAnswer() {
    SE_Num->setEnabled(true);
    Edit1->setEnabled(true);
}

bool AuthoringForm::Validate(RichTextEditor* stem, const authoring::QuestionType* type, QString* answer) {
    const auto refuse = [](const QString& text, QWidget* field) {
        messages().box(QStringLiteral("提示"), text, MsgIcon::Information, MsgButtons::Ok);
        field->setFocus();
        return false;
    };
    if (!stem->hasContent())
        return refuse(QStringLiteral("请填写试题内容！"), stem);
    if (Edit1->text().trimmed().isEmpty())
        return refuse(QStringLiteral("请填写试题答案！"), Edit1);
    if (!type)
        return refuse(QStringLiteral("请选择题型！"), ComboBox1);
    const authoring::AnswerCheck check = authoring::CheckAnswer(
        authoring::AnswerRuleFor(type->id, type->name), Edit1->text(), SE_Num->value());
    if (!check.problem.isEmpty())
        return refuse(check.problem, Edit1);
    *answer = check.answer;
    return true;
}

void AuthoringForm::AddExamPoints() {
    if (ListBox1->count() >= authoring::MaxExamPoints) {
        messages().box(QStringLiteral("提示"), PointLimitText(), MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    const QStringList carried = ListBox1->ftids();
    QString heading;
    QList<TFrmSelectFG::Point> points;
    const int result = OpenWindow([&] {
        auto* picker = new TFrmSelectFG(this);
        picker->ShowPage(TFrmSelectFG::SelectionPage);
        picker->SetAsking(TFrmSelectFG::Caller(CallerMark()), &carried, int(carried.size()));
        QObject::connect(picker, &QDialog::accepted, picker, [&, picker] {
            heading = picker->ChosenHeading();
            points = picker->Points();
        });
        return picker;
    });
    if (result != QDialog::Accepted)
        return;
    for (const TFrmSelectFG::Point& p : std::as_const(points)) {
        if (!p.ticked || ListBox1->hasPoint(p.ftid) || ListBox1->count() >= authoring::MaxExamPoints)
            continue;
        ListBox1->addPoint(p.ftid, heading + u'[' + p.title + u']');
    }
}

void AuthoringForm::ShowHelp() {
    OpenWindow([this] {
        auto* picker = new TFrmSelectFG(this);
        picker->ShowPage(TFrmSelectFG::HelpPage);
        return picker;
    });
}

void AuthoringForm::InsertPicture() {
    RichTextEditor* editor = m_lastEditor;
    if (!editor)
        return;
    FileRequest request;
    request.caption = QStringLiteral("插入图片");
    request.filter = QStringLiteral("图片 (*.png *.jpg *.jpeg *.bmp *.gif)");
    const QString path = fileDialogs().openFile(this, request);
    if (path.isEmpty())
        return;
    const QString problem = editor->insertPictureFile(path);
    if (!problem.isEmpty())
        messages().box(QStringLiteral("提示"), problem, MsgIcon::Warning, MsgButtons::Ok);
}

void AuthoringForm::keyPressEvent(QKeyEvent* event) {
    // Escape would close the window and lose what was typed; the window closes with its own buttons.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool AuthoringForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn)
        if (auto* editor = qobject_cast<RichTextEditor*>(watched))
            m_lastEditor = editor;
    return QDialog::eventFilter(watched, event);
}
