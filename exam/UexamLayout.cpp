// The exam window's controls: two fixed layouts, chosen by the screen the program runs on.
#include "exam/PauseCover.h"
#include "exam/Uexam.h"

#include "practice/QuestionButton.h"
#include "practice/QuestionView.h"
#include "ui/AppState.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

QPushButton* TFrmExam::addAction(const QString& caption, const QString& name) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::TabFocus);
    m_actions << b;
    return b;
}

QPushButton* TFrmExam::ActionButton(const QString& name) const {
    for (QPushButton* b : m_actions)
        if (b->objectName() == name)
            return b;
    return nullptr;
}

void TFrmExam::buildUi() {
    const bool small = ScreenMode == u"800";
    // Frame and a taskbar of about 40 pixels still leave these on screen: 800x600 and 1024x768.
    resize(small ? QSize(790, 520) : QSize(1000, 686));
    setStyleSheet(
        QStringLiteral(
            "QLabel#Heading { font-size: %1px; font-weight: bold; color: #1e3a5f; padding: 2px 8px;"
            " border-left: 5px solid #2e86de; background: #ffffff; border-radius: 4px; }"
            "QLabel#Number { font-size: 14px; font-weight: bold; color: #2371c0; }"
            "QLabel#TypeLabel { color: #1e3a5f; font-weight: bold; }"
            "QLabel#Status { color: #c0392b; }"
            "QLabel#Clock, QLabel#UsedTime, QLabel#ScoreLine { font-size: %2px; font-weight: bold; color: "
            "#1e3a5f; }"
            "QLabel#ScoreLine { color: #c0392b; }"
            "QLabel#FaceCaption, QLabel#PageInfo { color: #5b6b7f; }"
            "QPushButton { padding: %3; }"
            "QPushButton#Submit { background: #2e86de; color: white; border-color: #2371c0; font-weight: "
            "bold; }"
            "QPushButton#Submit:disabled { background: #f4f6f9; color: #a4afbd; border-color: #dde3ec; }"
            "QPushButton#Close { color: #b03a2e; }")
            .arg(small ? 14 : 17)
            .arg(small ? 15 : 18)
            .arg(small ? QStringLiteral("3px 6px") : QStringLiteral("6px 10px")));

    auto* root = new QGridLayout(this);
    root->setContentsMargins(small ? 6 : 10, small ? 6 : 10, small ? 6 : 10, small ? 6 : 10);
    root->setHorizontalSpacing(small ? 6 : 10);
    root->setVerticalSpacing(small ? 4 : 8);

    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("Heading"));
    root->addWidget(m_heading, 0, 0, 1, 2);

    // The question: number, type header and status above the question view.
    auto* left = new QVBoxLayout;
    auto* numberRow = new QHBoxLayout;
    m_number = new QLabel(this);
    m_number->setObjectName(QStringLiteral("Number"));
    m_type = new QLabel(this);
    m_type->setObjectName(QStringLiteral("TypeLabel"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("Status"));
    numberRow->addWidget(m_number);
    numberRow->addSpacing(12);
    numberRow->addWidget(m_type, 1);
    numberRow->addWidget(m_status);
    m_star = new QToolButton(this);
    m_star->setObjectName(QStringLiteral("Bookmark"));
    m_star->setCheckable(true);
    m_star->setFocusPolicy(Qt::NoFocus);
    m_star->setText(QStringLiteral("☆ 收藏"));
    m_star->setToolTip(QStringLiteral("收藏本题，以后可以在章节目录中练习收藏的题目（S 键）"));
    m_star->setStyleSheet(QStringLiteral("QToolButton:checked { color: #b7791f; font-weight: bold; }"));
    m_star->hide(); // in a review only
    numberRow->addWidget(m_star);
    left->addLayout(numberRow);
    auto* questionArea = new QWidget(this);
    auto* areaLayout = new QVBoxLayout(questionArea);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    m_view = new QuestionView(questionArea);
    areaLayout->addWidget(m_view);
    m_cover = new PauseCover(questionArea);
    left->addWidget(questionArea, 1);
    root->addLayout(left, 1, 0);

    // The question buttons, the hint board, the clock and the end of the exam.
    auto* side = new QVBoxLayout;
    side->setSpacing(small ? 4 : 8);
    auto* buttonsBox = new QGroupBox(QStringLiteral("题目指示板"), this);
    auto* grid = new QGridLayout(buttonsBox);
    grid->setSpacing(small ? 2 : 3);
    grid->setContentsMargins(small ? 4 : 6, small ? 6 : 8, small ? 4 : 6, small ? 4 : 6);
    const QSize buttonSize = small ? QSize(24, 19) : QSize(29, 25);
    QFont buttonFont = font();
    buttonFont.setPointSize(small ? 7 : 8);
    for (int i = 0; i < ButtonCount; ++i) {
        auto* b = new QuestionButton(QString::number(i + 1), buttonsBox);
        b->setObjectName(QStringLiteral("QuestionButton%1").arg(i + 1));
        b->setAutoExclusive(false);
        b->setMinimumSize(buttonSize);
        b->setFixedSize(buttonSize);
        b->setFont(buttonFont);
        connect(b, &QToolButton::clicked, this,
                [this, i] { SelectQuestion(m_buttonPage * ButtonCount + i + 1); });
        grid->addWidget(b, i / 10, i % 10);
        m_buttons << b;
    }
    auto* pageRow = new QHBoxLayout;
    QPushButton* prevPage = addAction(QStringLiteral("<"), QStringLiteral("PreviousPage"));
    QPushButton* nextPage = addAction(QStringLiteral(">"), QStringLiteral("NextPage"));
    m_pageInfo = new QLabel(this);
    m_pageInfo->setObjectName(QStringLiteral("PageInfo"));
    m_pageInfo->setAlignment(Qt::AlignCenter);
    pageRow->addWidget(prevPage);
    pageRow->addWidget(m_pageInfo, 1);
    pageRow->addWidget(nextPage);
    grid->addLayout(pageRow, ButtonCount / 10, 0, 1, 10);
    side->addWidget(buttonsBox);

    auto* hintBoard = new QGroupBox(QStringLiteral("提示板"), this);
    auto* hintRow = new QHBoxLayout(hintBoard);
    hintRow->setContentsMargins(small ? 4 : 6, small ? 6 : 8, small ? 4 : 6, small ? 4 : 6);
    QPushButton* settings = addAction(QStringLiteral("设置"), QStringLiteral("Settings"));
    QPushButton* desktop = addAction(QStringLiteral("桌面"), QStringLiteral("Desktop"));
    QPushButton* pause = addAction(QStringLiteral("暂停考试"), QStringLiteral("Pause"));
    for (QPushButton* b : {settings, desktop, pause})
        hintRow->addWidget(b);
    side->addWidget(hintBoard);

    m_timeFaces = new QStackedWidget(this);
    m_timeFaces->setObjectName(QStringLiteral("TimePanel"));
    auto* taking = new QWidget(m_timeFaces);
    auto* takingRow = new QHBoxLayout(taking);
    takingRow->setContentsMargins(4, 0, 4, 0);
    auto* takingCaption = new QLabel(QStringLiteral("答卷时"), taking);
    takingCaption->setObjectName(QStringLiteral("FaceCaption"));
    m_clock = new QLabel(QStringLiteral("0:00:00"), taking);
    m_clock->setObjectName(QStringLiteral("Clock"));
    takingRow->addWidget(takingCaption);
    takingRow->addWidget(m_clock, 1, Qt::AlignRight);
    auto* reviewing = new QWidget(m_timeFaces);
    auto* reviewGrid = new QGridLayout(reviewing);
    reviewGrid->setContentsMargins(4, 0, 4, 0);
    reviewGrid->setVerticalSpacing(0);
    auto* reviewCaption = new QLabel(QStringLiteral("查卷时"), reviewing);
    reviewCaption->setObjectName(QStringLiteral("FaceCaption"));
    m_usedTime = new QLabel(reviewing);
    m_usedTime->setObjectName(QStringLiteral("UsedTime"));
    m_scoreLine = new QLabel(reviewing);
    m_scoreLine->setObjectName(QStringLiteral("ScoreLine"));
    reviewGrid->addWidget(reviewCaption, 0, 0, 2, 1);
    reviewGrid->addWidget(m_usedTime, 0, 1, Qt::AlignRight);
    reviewGrid->addWidget(m_scoreLine, 1, 1, Qt::AlignRight);
    m_timeFaces->addWidget(taking);
    m_timeFaces->addWidget(reviewing);
    side->addWidget(m_timeFaces);

    auto* endRow = new QHBoxLayout;
    QPushButton* submit = addAction(QStringLiteral("交卷"), QStringLiteral("Submit"));
    QPushButton* close = addAction(QStringLiteral("关闭"), QStringLiteral("Close"));
    endRow->addWidget(submit);
    endRow->addWidget(close);
    side->addLayout(endRow);
    side->addStretch();
    root->addLayout(side, 1, 1);

    // The learner's actions on the question on show.
    auto* actions = new QHBoxLayout;
    const struct {
        const char* caption;
        const char* name;
    } bottom[] = {{"上一题", "Previous"}, {"下一题", "Next"}, {"解析", "Explain"},    {"笔记", "Notes"},
                  {"答案", "Answer"},     {"考点", "Points"}, {"生成文档", "Export"}, {"本题作废", "Void"}};
    for (const auto& b : bottom)
        actions->addWidget(addAction(QString::fromUtf8(b.caption), QLatin1String(b.name)));
    root->addLayout(actions, 2, 0, 1, 2);
    root->setColumnStretch(0, 1);
    root->setRowStretch(1, 1);

    connect(ActionButton(QStringLiteral("Previous")), &QPushButton::clicked, this,
            &TFrmExam::epEfTrBtn1Click);
    connect(ActionButton(QStringLiteral("Next")), &QPushButton::clicked, this, &TFrmExam::epEfTrBtn2Click);
    connect(submit, &QPushButton::clicked, this, &TFrmExam::epEfTrBtn3Click);
    connect(close, &QPushButton::clicked, this, &TFrmExam::epEfTrBtn3Click);
    connect(ActionButton(QStringLiteral("Explain")), &QPushButton::clicked, this, &TFrmExam::epEfTrBtn4Click);
    connect(ActionButton(QStringLiteral("Notes")), &QPushButton::clicked, this, &TFrmExam::epEfTrBtn5Click);
    connect(ActionButton(QStringLiteral("Answer")), &QPushButton::clicked, this, &TFrmExam::epEfTrBtn6Click);
    connect(ActionButton(QStringLiteral("Points")), &QPushButton::clicked, this, &TFrmExam::epEfTrBtn9Click);
    connect(ActionButton(QStringLiteral("Export")), &QPushButton::clicked, this, &TFrmExam::epEfTrBtn10Click);
    connect(ActionButton(QStringLiteral("Void")), &QPushButton::clicked, this, &TFrmExam::epEfTrBtn12Click);
    connect(settings, &QPushButton::clicked, this, &TFrmExam::epEfTrBtn8Click);
    connect(desktop, &QPushButton::clicked, this, &TFrmExam::epEfTrBtn11Click);
    connect(pause, &QPushButton::clicked, this, &TFrmExam::epEfTrBtn13Click);
    connect(prevPage, &QPushButton::clicked, this, [this] { ShowButtonPage(m_buttonPage - 1); });
    connect(nextPage, &QPushButton::clicked, this, [this] { ShowButtonPage(m_buttonPage + 1); });
}
