#include "practice/Ujx.h"

#include "richtext/RichText.h"
#include "store/DataSet.h"
#include "ui/Helpers.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <exception>

TFrmJx::TFrmJx(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("FrmJx"));
    setWindowTitle(QStringLiteral("解析"));

    DBRichEdit1 = new QTextBrowser(this);
    DBRichEdit1->setObjectName(QStringLiteral("DBRichEdit1"));
    DBRichEdit1->setReadOnly(true);
    DBRichEdit1->setOpenLinks(false);
    DBRichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    CloseButton = new QPushButton(QStringLiteral("关闭"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DBRichEdit1);
    layout->addLayout(buttons);
    setFixedSize(560, 400);
}

void TFrmJx::bind(store::DataSet* dataSet, const QString& fieldName) {
    DBRichEdit1->clear();
    if (!dataSet)
        return;
    try {
        richtext::readRtf(dataSet->asBytes(fieldName), DBRichEdit1->document());
    } catch (const std::exception&) {
        DBRichEdit1->clear();
    }
}

void TFrmJx::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    SetScreenCursor(Qt::ArrowCursor);
    CentreOnDesktop(this);
    DBRichEdit1->setFocus();
}
