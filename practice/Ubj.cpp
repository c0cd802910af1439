#include "practice/Ubj.h"

#include "store/DataSet.h"
#include "ui/Helpers.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include <utility>

bool NotesHaveContent = false;

namespace {

// Notes written elsewhere may carry Windows line ends; the box shows them as plain line breaks, and
// an unchanged note must not count as changed because of them.
QString sameLineEnds(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

} // namespace

TFrmBj::TFrmBj(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("FrmBj"));
    setWindowTitle(QStringLiteral("笔记"));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Notes are written in Chinese with whatever input method the learner runs. Qt cannot pick an
    // installed input method by name, and switching the learner's method behind their back would be
    // a surprise anyway: keep the system's current one and only make sure the box takes composed
    // input like any other text field.
    Memo1->setAttribute(Qt::WA_InputMethodEnabled, true);
    Memo1->setInputMethodHints(Qt::ImhNone);

    CloseButton = new QPushButton(QStringLiteral("关  闭"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    // Return belongs to the box (a new line), not to the button.
    CloseButton->setAutoDefault(false);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1);
    layout->addLayout(buttons);
    setFixedSize(440, 320);
    Memo1->setFocus();
}

TFrmBj::~TFrmBj() {
    // Bound but never closed (the caller failed between binding and showing): the caller's row must
    // not stay in edit mode.
    if (m_dataSet && !m_stored) {
        try {
            m_dataSet->cancel();
        } catch (...) {
        }
    }
}

void TFrmBj::bind(store::DataSet* dataSet, const QString& fieldName, const QString& caller) {
    m_caller = caller;
    m_dataSet = nullptr;
    if (!dataSet)
        return;
    dataSet->edit();
    m_dataSet = dataSet;
    m_field = fieldName;
    try {
        Memo1->setPlainText(sameLineEnds(dataSet->asString(fieldName)));
    } catch (...) {
        m_dataSet = nullptr;
        dataSet->cancel();
        throw;
    }
    Memo1->moveCursor(QTextCursor::End);
    m_stored = false;
}

int TFrmBj::exec() {
    m_failure = nullptr;
    const int result = QDialog::exec();
    if (m_failure)
        std::rethrow_exception(std::exchange(m_failure, nullptr));
    return result;
}

void TFrmBj::done(int result) {
    store();
    QDialog::done(result);
}

void TFrmBj::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnDesktop(this);
    Memo1->setFocus();
}

void TFrmBj::store() {
    if (m_stored)
        return;
    m_stored = true;
    QString text = Memo1->toPlainText();
    if (text.isNull())
        text = QStringLiteral("");
    if (!m_dataSet) {
        NotesHaveContent = !text.trimmed().isEmpty();
        return;
    }
    try {
        m_dataSet->edit();
        // An untouched box leaves the field as it was (an empty box over a null field stays null);
        // the row is posted all the same.
        if (sameLineEnds(m_dataSet->asString(m_field)) != text)
            m_dataSet->setValue(m_field, text);
        m_dataSet->post();
        NotesHaveContent = !text.trimmed().isEmpty();
    } catch (...) {
        m_failure = std::current_exception();
        try {
            m_dataSet->cancel();
            // The button then tells what the bank still holds.
            NotesHaveContent = !m_dataSet->asString(m_field).trimmed().isEmpty();
        } catch (...) {
            NotesHaveContent = false;
        }
    }
}
