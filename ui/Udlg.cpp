#include "ui/Udlg.h"

#include "ui/Helpers.h"
#include "ui/PromptIcons.h"
#include "ui/Services.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

TFrmDlg* FrmDlg = nullptr;

namespace {

constexpr int kDesignedWidth = 380;
constexpr int kDesignedMinHeight = 170;
constexpr int kNarrowWidth = 200;
constexpr int kWideWidth = 620;
constexpr int kTallHeight = 300;
constexpr int kIconSide = 48;

const QColor kFrame(0x1f, 0x5f, 0xae);
const QColor kBackground(0xf3, 0xf6, 0xfb);

// One page of the icon panel: its picture, painted at the screen's own pixel ratio.
class IconPage : public QWidget {
public:
    IconPage(PromptIconKind kind, const QString& name, QWidget* parent) : QWidget(parent), m_kind(kind) {
        setObjectName(name);
        setAccessibleName(name);
        setToolTip(name);
        setFixedSize(kIconSide, kIconSide);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const int side = qMin(width(), height());
        p.drawPixmap(0, 0, PromptIcon(m_kind, side, devicePixelRatioF()));
    }

private:
    PromptIconKind m_kind;
};

const char* const kStyleSheet = R"(
#titleBar {
    background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #1f5fae, stop:1 #4a9be8);
}
#Label1 { color: white; font-weight: bold; font-size: 11pt; }
#panel {
    background: white;
    border: 1px solid #d5dfec;
    border-radius: 10px;
}
#fcLabel1 { color: #1d2733; font-size: 10.5pt; }
QPushButton {
    min-width: 64px;
    min-height: 26px;
    padding: 2px 12px;
    border: 1px solid #2f74c8;
    border-radius: 6px;
    color: #1b4f91;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #e6eefa);
}
QPushButton:hover { background: #e3efff; }
QPushButton:default {
    color: white;
    border-color: #174f93;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #4a9be8, stop:1 #1f5fae);
}
QPushButton:default:hover { background: #3b8be0; }
QPushButton:pressed { background: #c9dcf6; color: #103a6e; }
QPushButton:focus { border-width: 2px; }
)";

} // namespace

TFrmDlg::TFrmDlg(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("FrmDlg"));
    setWindowTitle(QStringLiteral("提示框"));
    setModal(true);
    setStyleSheet(QString::fromUtf8(kStyleSheet));

    m_titleBar = new QWidget(this);
    m_titleBar->setObjectName(QStringLiteral("titleBar"));
    m_titleBar->setAttribute(Qt::WA_StyledBackground);
    m_titleBar->setFixedHeight(30);
    Label1 = new QLabel(QStringLiteral("提示"), m_titleBar);
    Label1->setObjectName(QStringLiteral("Label1"));
    auto* titleLayout = new QHBoxLayout(m_titleBar);
    titleLayout->setContentsMargins(12, 0, 12, 0);
    titleLayout->addWidget(Label1);

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setAttribute(Qt::WA_StyledBackground);
    epNoteBook1 = new QStackedWidget(panel);
    epNoteBook1->setObjectName(QStringLiteral("epNoteBook1"));
    epNoteBook1->setFixedSize(kIconSide, kIconSide);
    epNoteBook1->addWidget(new IconPage(PromptIconKind::Notice, QStringLiteral("提示"), epNoteBook1));
    epNoteBook1->addWidget(new IconPage(PromptIconKind::Warning, QStringLiteral("警告"), epNoteBook1));
    epNoteBook1->addWidget(new IconPage(PromptIconKind::Error, QStringLiteral("错误"), epNoteBook1));
    fcLabel1 = new QLabel(panel);
    fcLabel1->setObjectName(QStringLiteral("fcLabel1"));
    fcLabel1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    fcLabel1->setWordWrap(true);
    fcLabel1->setTextFormat(Qt::PlainText);
    fcLabel1->setMinimumWidth(60);
    fcLabel1->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(12, 12, 12, 12);
    panelLayout->setSpacing(12);
    panelLayout->addWidget(epNoteBook1, 0, Qt::AlignTop);
    panelLayout->addWidget(fcLabel1, 1);

    auto makeButton = [this](const char* name, int result) {
        auto* b = new QPushButton(QStringLiteral("确定"), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setCursor(Qt::PointingHandCursor);
        connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        return b;
    };
    fcShapeBtn1 = makeButton("fcShapeBtn1", 1);
    fcShapeBtn2 = makeButton("fcShapeBtn2", 2);
    fcShapeBtn3 = makeButton("fcShapeBtn3", 3);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(8);
    buttons->addStretch(1);
    buttons->addWidget(fcShapeBtn1);
    buttons->addWidget(fcShapeBtn2);
    buttons->addWidget(fcShapeBtn3);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(12, 12, 12, 12);
    body->setSpacing(12);
    body->addWidget(panel, 1);
    body->addLayout(buttons);

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(1, 1, 1, 1); // room for the frame painted around the window
    root->setSpacing(0);
    root->addWidget(m_titleBar);
    root->addLayout(body, 1);

    resize(kDesignedWidth, kDesignedMinHeight);
    m_designedWidth = width();
}

void TFrmDlg::preparePrompt(const QString& caption, const QString& text, int buttonSet, int page,
                            const QString& style) {
    setFixedWidth(m_designedWidth);
    setWindowTitle(caption);
    fcLabel1->setText(text);
    applyButtonSet(buttonSet);
    epNoteBook1->setCurrentIndex(page); // an index outside 0..2 keeps the page shown last
    Label1->setText(caption);
    applyStyle(style);
    fitHeight();
}

int TFrmDlg::execPrompt(const QString& caption, const QString& text, int buttonSet, int page,
                        const QString& style) {
    preparePrompt(caption, text, buttonSet, page, style);
    KeepAboveActiveWindow(this);
    CentreOnDesktop(this);
    const QList<QPushButton*> all{fcShapeBtn1, fcShapeBtn2, fcShapeBtn3};
    for (QPushButton* b : all) {
        if (b->isDefault()) {
            b->setFocus();
            break;
        }
    }
    return exec();
}

void TFrmDlg::applyButtonSet(int buttonSet) {
    switch (buttonSet) {
    case 0:
        fcShapeBtn1->setVisible(true);
        fcShapeBtn2->setVisible(true);
        fcShapeBtn3->setVisible(false);
        break;
    case 1:
        fcShapeBtn1->setVisible(false);
        fcShapeBtn2->setVisible(false);
        fcShapeBtn3->setVisible(true);
        break;
    case 2:
        fcShapeBtn1->setVisible(true);
        fcShapeBtn2->setVisible(true);
        fcShapeBtn3->setVisible(true);
        break;
    case 3:
        fcShapeBtn1->setVisible(true);
        fcShapeBtn2->setVisible(false);
        fcShapeBtn3->setVisible(false);
        setFixedWidth(kNarrowWidth);
        break;
    default:
        break; // the buttons of the previous message stay as they were
    }

    // Enter presses the first visible button.
    bool defaultSet = false;
    for (QPushButton* b : {fcShapeBtn1, fcShapeBtn2, fcShapeBtn3}) {
        const bool isDefault = !defaultSet && !b->isHidden();
        if (b->isDefault() != isDefault) {
            b->setDefault(isDefault);
            // The style sheet draws the default button differently; it only notices on a re-polish.
            b->style()->unpolish(b);
            b->style()->polish(b);
        }
        defaultSet = defaultSet || isDefault;
    }
}

void TFrmDlg::applyStyle(const QString& style) {
    const bool exam = style == QLatin1String("Exam");
    fcShapeBtn1->setText(QStringLiteral("确定"));
    fcShapeBtn2->setText(exam ? QStringLiteral("作废") : QStringLiteral("取消"));
    fcShapeBtn3->setText(exam ? QStringLiteral("取消") : QStringLiteral("确定"));
}

void TFrmDlg::fitHeight() {
    // The panel's size cache only learns of the new text through a posted layout request;
    // the height is needed now.
    const auto heightAt = [this](int w) {
        fcLabel1->parentWidget()->updateGeometry();
        QLayout* l = layout();
        l->invalidate();
        l->activate();
        return l->hasHeightForWidth() ? l->totalHeightForWidth(w) : l->totalSizeHint().height();
    };
    int h = heightAt(width());
    // A long message (an engine's error text, say) widens the dialog before it grows taller, so that
    // it stays on an 800 x 600 screen.
    if (h > kTallHeight && width() < kWideWidth) {
        setFixedWidth(kWideWidth);
        h = heightAt(kWideWidth);
    }
    setFixedHeight(qMax(kDesignedMinHeight, h));
}

QPushButton* TFrmDlg::lastVisibleButton() const {
    for (QPushButton* b : {fcShapeBtn3, fcShapeBtn2, fcShapeBtn1}) {
        if (!b->isHidden())
            return b;
    }
    return nullptr;
}

void TFrmDlg::reject() {
    if (QPushButton* b = lastVisibleButton())
        b->click();
    else
        QDialog::reject();
}

void TFrmDlg::mousePressEvent(QMouseEvent* event) {
    // Without a frame the title line is where the learner drags the dialog.
    if (event->button() == Qt::LeftButton && m_titleBar->geometry().contains(event->position().toPoint()) &&
        windowHandle()) {
        windowHandle()->startSystemMove();
        return;
    }
    QDialog::mousePressEvent(event);
}

void TFrmDlg::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kBackground);
    p.setPen(kFrame);
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

int ShowPrompt(const QString& caption, const QString& text, int buttonSet, int page, const QString& style) {
    return messages().prompt(caption, text, buttonSet, page, style);
}

void CreateSharedWindows() {
    if (!FrmProgress)
        FrmProgress = new TFrmProgress;
    if (!FrmDlg)
        FrmDlg = new TFrmDlg;
}

void DestroySharedWindows() {
    delete FrmDlg;
    FrmDlg = nullptr;
    delete FrmProgress;
    FrmProgress = nullptr;
}
