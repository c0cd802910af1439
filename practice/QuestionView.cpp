#include "practice/QuestionView.h"

#include "richtext/RichText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <cmath>
#include <memory>

namespace {

const char* const PageCaptions[] = {"单选", "多选", "填空", "判断", "主观", "配伍"};
const char* const PageHints[] = {"选择一个选项作为正确答案",           "选择两个或者多个选项作为正确答案",
                                 "填写正确答案，答案间用“,”隔开",      "根据判断选择“正确”或者“错误”",
                                 "根据自己实际情况选择“会”或者“不会”", "选择若干个选项作为正确答案"};

bool isChoicePage(int page) {
    return page == 0 || page == 1 || page == 5;
}

QString judgementText(const QString& a) {
    if (a == u"A")
        return QStringLiteral("对");
    if (a == u"B")
        return QStringLiteral("错");
    return a;
}

} // namespace

QuestionView::QuestionView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QuestionView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);

    m_header = new QLabel(this);
    m_header->setObjectName(QStringLiteral("QuestionHeader"));
    layout->addWidget(m_header);

    m_split = new QSplitter(Qt::Vertical, this);
    m_upper = new QTextBrowser(m_split);
    m_lower = new QTextBrowser(m_split);
    for (QTextBrowser* b : {m_upper, m_lower}) {
        b->setReadOnly(true);
        b->setOpenLinks(false);
        b->setObjectName(b == m_upper ? QStringLiteral("UpperStem") : QStringLiteral("LowerStem"));
    }
    m_split->addWidget(m_upper);
    m_split->addWidget(m_lower);
    m_split->setChildrenCollapsible(true);
    layout->addWidget(m_split, 1);

    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("AnswerPages"));
    for (int p = 0; p < PageCount; ++p) {
        QWidget* page = nullptr;
        if (isChoicePage(p)) {
            page = buildOptionPage(p);
        } else {
            page = new QWidget(m_pages);
            auto* row = new QHBoxLayout(page);
            auto* caption = new QLabel(QString::fromUtf8(PageCaptions[p]), page);
            caption->setObjectName(QStringLiteral("PageCaption"));
            row->addWidget(caption);
            if (p == 2) {
                m_fillIn = new QLineEdit(page);
                m_fillIn->setObjectName(QStringLiteral("FillIn"));
                connect(m_fillIn, &QLineEdit::textEdited, this, &QuestionView::answerEdited);
                row->addWidget(m_fillIn, 1);
            } else if (p == 3) {
                for (int i = 0; i < 2; ++i) {
                    auto* b = new QToolButton(page);
                    b->setText(i == 0 ? QStringLiteral("对") : QStringLiteral("错"));
                    b->setCheckable(true);
                    b->setObjectName(QStringLiteral("Judgement%1").arg(i));
                    b->setMinimumSize(64, 40);
                    connect(b, &QToolButton::clicked, this, [this, i](bool on) {
                        if (on)
                            m_judgement[1 - i]->setChecked(false);
                        emit answerEdited();
                    });
                    m_judgement[i] = b;
                    row->addWidget(b);
                }
                row->addStretch();
            } else {
                m_subjectiveLabel = new QLabel(QStringLiteral("主\n观"), page);
                m_subjectiveLabel->setObjectName(QStringLiteral("SubjectiveLabel"));
                row->insertWidget(0, m_subjectiveLabel);
                m_selfAssessment = new QComboBox(page);
                m_selfAssessment->setObjectName(QStringLiteral("SelfAssessment"));
                m_selfAssessment->addItems({QStringLiteral("不会"), QStringLiteral("会")});
                m_selfAssessment->setCurrentIndex(-1);
                m_selfAssessment->setMinimumWidth(120);
                connect(m_selfAssessment, &QComboBox::activated, this, &QuestionView::answerEdited);
                row->addWidget(m_selfAssessment);
                row->addStretch();
            }
        }
        page->setToolTip(QString::fromUtf8(PageHints[p]));
        m_pages->addWidget(page);
    }
    layout->addWidget(m_pages);

    // The answer panel lies over the stem pane and slides open from the left.
    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("AnswerPanel"));
    m_panel->setAutoFillBackground(true);
    auto* panelLayout = new QVBoxLayout(m_panel);
    m_panelText = new QLabel(m_panel);
    m_panelText->setObjectName(QStringLiteral("AnswerPanelText"));
    m_panelText->setWordWrap(true);
    m_panelText->setAlignment(Qt::AlignCenter);
    panelLayout->addWidget(m_panelText);
    m_panel->hide();
    m_slide = new QVariantAnimation(this);
    m_slide->setDuration(220);
    m_slide->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_slide, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        m_panel->setGeometry(m_split->x(), m_split->y(), v.toInt(), m_split->height());
    });
    connect(m_slide, &QVariantAnimation::finished, this, [this] {
        if (!m_panelOpen)
            m_panel->hide();
    });
    showStem(QByteArray());
}

QWidget* QuestionView::buildOptionPage(int p) {
    auto* page = new QWidget(m_pages);
    auto* row = new QHBoxLayout(page);
    auto* caption = new QLabel(QString::fromUtf8(PageCaptions[p]), page);
    caption->setObjectName(QStringLiteral("PageCaption"));
    row->addWidget(caption);
    for (int i = 0; i < 6; ++i) {
        auto* b = new QToolButton(page);
        b->setText(QString(QChar(u'A' + i)));
        b->setCheckable(true);
        b->setMinimumSize(48, 40);
        b->setObjectName(QStringLiteral("Option%1%2").arg(p).arg(QChar(u'A' + i)));
        connect(b, &QToolButton::clicked, this, [this, p, i](bool on) {
            if (p == 0 && on)
                for (int j = 0; j < 6; ++j)
                    if (j != i)
                        m_options[0][j]->setChecked(false);
            emit answerEdited();
        });
        m_options[p][i] = b;
        row->addWidget(b);
    }
    row->addStretch();
    return page;
}

void QuestionView::setHeader(const QString& text) {
    m_header->setText(text);
}
QString QuestionView::header() const {
    return m_header->text();
}

void QuestionView::showStem(const QByteArray& ownStem) {
    richtext::readRtf(ownStem, m_upper->document());
    m_lower->clear();
    m_lower->hide();
    m_upper->verticalScrollBar()->setValue(0);
}

void QuestionView::showStems(const QByteArray& sharedStem, const QByteArray& ownStem) {
    richtext::readRtf(sharedStem, m_upper->document());
    richtext::readRtf(ownStem, m_lower->document());
    m_lower->show();
    fitStemPanes();
    // Every question starts at its beginning, whatever the pane showed before.
    m_upper->verticalScrollBar()->setValue(0);
    m_lower->verticalScrollBar()->setValue(0);
}

int QuestionView::paneHeightFor(QTextBrowser* pane) const {
    // The document laid out at the pane's text width, plus the pane's frame and padding.
    // A copy, so that the pane's own layout is left alone.
    const std::unique_ptr<QTextDocument> doc(pane->document()->clone());
    const int viewport = pane->viewport()->width();
    doc->setTextWidth(qMax(100, viewport > 100 ? viewport : m_split->width() - 40));
    const int frame = pane->height() - pane->viewport()->height();
    return int(std::ceil(doc->size().height())) + qMax(frame, 20) + 4;
}

void QuestionView::fitStemPanes() {
    if (m_lower->isHidden())
        return;
    // The shared stem takes what it needs up to 55% of the room; the question itself gets the rest, so
    // that its options are not hidden below an empty shared pane.
    const int total = qMax(m_split->height() - m_split->handleWidth(), 120);
    const int lowerNeeds = paneHeightFor(m_lower);
    int upper = qMin(paneHeightFor(m_upper), total * 55 / 100);
    if (total - upper < lowerNeeds)
        upper = qMax(total * 35 / 100, total - lowerNeeds);
    upper = qMin(upper, total * 55 / 100);
    m_split->setSizes({upper, total - upper});
}

bool QuestionView::lowerPaneOpen() const {
    return !m_lower->isHidden();
}
QString QuestionView::upperStemText() const {
    return m_upper->toPlainText();
}
QString QuestionView::lowerStemText() const {
    return m_lower->isHidden() ? QString() : m_lower->toPlainText();
}

void QuestionView::setPage(int page) {
    if (page >= 0 && page < PageCount)
        m_pages->setCurrentIndex(page);
}

int QuestionView::page() const {
    return m_pages->currentIndex();
}

QAbstractButton* QuestionView::optionButton(int page, int index) const {
    return isChoicePage(page) && index >= 0 && index < 6 ? m_options[page][index] : nullptr;
}

QAbstractButton* QuestionView::judgementButton(int index) const {
    return m_judgement[index];
}

void QuestionView::putAnswer(int page, const QString& answer, int optionCount) {
    if (isChoicePage(page)) {
        for (int i = 0; i < 6; ++i) {
            QToolButton* b = m_options[page][i];
            const QChar letter(u'A' + i);
            const bool shown = i < optionCount;
            b->setVisible(shown);
            b->setChecked(shown && (page == 0 ? answer == QString(letter) : answer.contains(letter)));
        }
    } else if (page == 2) {
        m_fillIn->setText(answer);
    } else if (page == 3) {
        m_judgement[0]->setChecked(answer == u"A");
        m_judgement[1]->setChecked(answer == u"B");
    } else if (page == 4) {
        m_selfAssessment->setCurrentIndex(-1);
        for (int i = 0; i < m_selfAssessment->count(); ++i)
            if (QString::number(i) == answer)
                m_selfAssessment->setCurrentIndex(i);
    }
}

QString QuestionView::readAnswer(int page, int optionCount) const {
    QString answer;
    if (isChoicePage(page)) {
        const int n = qBound(0, optionCount, 6);
        for (int i = 0; i < n; ++i) {
            const QToolButton* b = m_options[page][i];
            if (!b->isHidden() && b->isChecked()) {
                answer += QChar(u'A' + i);
                if (page == 0)
                    break;
            }
        }
    } else if (page == 2) {
        answer = m_fillIn->text().trimmed();
    } else if (page == 3) {
        answer = m_judgement[0]->isChecked()   ? QStringLiteral("A")
                 : m_judgement[1]->isChecked() ? QStringLiteral("B")
                                               : QString();
    } else if (page == 4) {
        answer = m_selfAssessment->currentIndex() >= 0 ? QString::number(m_selfAssessment->currentIndex())
                                                       : QString();
    }
    return answer;
}

bool QuestionView::pressLetter(QChar letter) {
    const int p = page();
    const int i = letter.toUpper().unicode() - u'A';
    if ((p != 0 && p != 1) || i < 0 || i >= 6 || m_options[p][i]->isHidden())
        return false;
    if (p == 0) {
        for (int j = 0; j < 6; ++j)
            m_options[0][j]->setChecked(j == i);
    } else {
        m_options[1][i]->toggle();
    }
    emit answerEdited();
    return true;
}

void QuestionView::openAnswerPanel(const QString& answer, const QString& key, int page, bool animate) {
    const QString mine = page == 3 ? judgementText(answer) : answer;
    const QString right = page == 3 ? judgementText(key) : key;
    const QString verdict =
        answer == key ? QStringLiteral("恭喜你，做对了！") : QStringLiteral("很遗憾，做错了，请继续努力！");
    m_panelText->setText(verdict + QStringLiteral("\n\n你的答案：") + mine + QStringLiteral("\n正确答案：") +
                         right);
    m_panel->setProperty("right", answer == key);
    m_panel->style()->unpolish(m_panel);
    m_panel->style()->polish(m_panel);
    m_panelOpen = true;
    slidePanel(true, animate);
}

void QuestionView::closeAnswerPanel(bool animate) {
    if (!m_panelOpen && m_panel->isHidden())
        return;
    m_panelOpen = false;
    slidePanel(false, animate);
}

QString QuestionView::answerPanelText() const {
    return m_panelOpen ? m_panelText->text() : QString();
}

void QuestionView::slidePanel(bool open, bool animate) {
    m_slide->stop();
    const int full = m_split->width();
    if (!animate) {
        m_panel->setGeometry(m_split->x(), m_split->y(), open ? full : 0, m_split->height());
        m_panel->setVisible(open);
        return;
    }
    m_panel->show();
    m_panel->raise();
    m_slide->setStartValue(m_panel->isVisible() ? m_panel->width() : 0);
    m_slide->setEndValue(open ? full : 0);
    m_slide->start();
}

void QuestionView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitStemPanes();
    if (m_panelOpen)
        m_panel->setGeometry(m_split->x(), m_split->y(), m_split->width(), m_split->height());
}

void QuestionView::setSubjectiveLabel(const QString& twoChars) {
    m_subjectiveLabel->setText(twoChars.left(1) + u'\n' + twoChars.mid(1, 1));
}

QString QuestionView::subjectiveLabel() const {
    return QString(m_subjectiveLabel->text()).remove(u'\n');
}

QList<int> QuestionView::paneHeights() const {
    return m_split->sizes();
}
