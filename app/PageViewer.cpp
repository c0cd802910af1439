#include "app/PageViewer.h"

#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/Helpers.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

PageViewer::PageViewer(const QString& file, QWidget* parent) : QDialog(parent), m_home(file) {
    setObjectName(QStringLiteral("PageViewer"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("Browser"));
    // Links are ours to follow: a page may only lead to another page beside it.
    m_browser->setOpenLinks(false);
    m_browser->setOpenExternalLinks(false);
    m_back = new QPushButton(QStringLiteral("后退"), this);
    m_back->setObjectName(QStringLiteral("Back"));
    m_forward = new QPushButton(QStringLiteral("前进"), this);
    m_forward->setObjectName(QStringLiteral("Forward"));
    auto* home = new QPushButton(QStringLiteral("首页"), this);
    home->setObjectName(QStringLiteral("Home"));
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("Close"));
    for (QPushButton* b : {m_back, m_forward, home, close})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_back);
    buttons->addWidget(m_forward);
    buttons->addWidget(home);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser, 1);
    layout->addLayout(buttons);

    connect(m_browser, &QTextBrowser::anchorClicked, this, &PageViewer::Follow);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle(m_browser->documentTitle()); });
    connect(m_back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(home, &QPushButton::clicked, this, [this] { m_browser->setSource(QUrl::fromLocalFile(m_home)); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    new QShortcut(QKeySequence::Back, this, m_browser, &QTextBrowser::backward);
    new QShortcut(QKeySequence::Forward, this, m_browser, &QTextBrowser::forward);

    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    m_browser->setSource(QUrl::fromLocalFile(file));
    setWindowTitle(m_browser->documentTitle());
    // Most of the screen, leaving the frame and the taskbar free.
    resize(ScreenMode == u"800" ? QSize(770, 500) : QSize(980, 680));
}

QString PageViewer::PageFile() const {
    return m_browser->source().toLocalFile();
}

void PageViewer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        CentreOnDesktop(this);
        m_browser->setFocus();
    }
}

void PageViewer::Follow(const QUrl& link) {
    const QUrl target = m_browser->source().resolved(link);
    if (!target.isLocalFile())
        return;
    if (target.adjusted(QUrl::RemoveFragment) == m_browser->source().adjusted(QUrl::RemoveFragment)) {
        m_browser->scrollToAnchor(target.fragment());
        return;
    }
    // Only pages beside the first one: a link cannot wander through the learner's files.
    const QFileInfo page(target.toLocalFile());
    const QString folder = QFileInfo(m_home).absolutePath();
    if (page.isFile() && page.isReadable() && page.absoluteFilePath().startsWith(folder + u'/') &&
        (page.suffix().compare(u"htm", Qt::CaseInsensitive) == 0 ||
         page.suffix().compare(u"html", Qt::CaseInsensitive) == 0))
        m_browser->setSource(target);
}

bool OpenPage(QWidget* owner, const QString& relativePath) {
    const QFileInfo page(ProgramFolder + relativePath);
    if (!page.isFile() || !page.isReadable())
        return false;
    const QString file = page.absoluteFilePath();
    OpenWindow([owner, file] { return new PageViewer(file, owner); });
    return true;
}
