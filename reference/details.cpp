#include "reference/details.h"

#include "richtext/RichText.h"
#include "ui/AppState.h"

#include <QLabel>
#include <QListWidget>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

TfrmLawDetail::TfrmLawDetail(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("m_Pdetail"));
    m_Splitter = new QSplitter(Qt::Horizontal, this);
    m_Splitter->setObjectName(QStringLiteral("m_Splitter"));
    m_Splitter->setChildrenCollapsible(false);
    m_LBmenu = new QListWidget(m_Splitter);
    m_LBmenu->setObjectName(QStringLiteral("m_LBmenu"));
    Re = new QTextBrowser(m_Splitter);
    Re->setObjectName(QStringLiteral("Re"));
    Re->setReadOnly(true);
    Re->setOpenLinks(false);
    m_Splitter->addWidget(m_LBmenu);
    m_Splitter->addWidget(Re);
    m_Splitter->setStretchFactor(0, 0);
    m_Splitter->setStretchFactor(1, 1);
    const bool small = ScreenMode == u"800";
    m_Splitter->setSizes(small ? QList<int>{220, 520} : QList<int>{280, 680});

    m_pNote = new QLabel(this);
    m_pNote->setObjectName(QStringLiteral("m_pNote"));
    m_pNote->setTextFormat(Qt::PlainText);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_Splitter, 1);
    layout->addWidget(m_pNote);
}

void TfrmLawDetail::showText(const QByteArray& richText) {
    if (richText.isEmpty())
        Re->clear();
    else
        richtext::readRtf(richText, Re->document());
}
