#include "archive/Ucheck.h"

#include "app/Uconfig.h"
#include "exam/ExamMarking.h"
#include "exam/MockExam.h"
#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/Helpers.h"
#include "ui/Services.h"
#include "ui/Uprogress.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLCDNumber>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TFrmCheck::TFrmCheck(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmCheck"));
    setWindowTitle(QStringLiteral("试卷档案"));
    const bool small = ScreenMode == u"800";
    resize(small ? QSize(720, 480) : QSize(860, 600));

    auto* root = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("模拟考试试卷档案"), this);
    heading->setObjectName(QStringLiteral("epLabel1"));
    heading->setStyleSheet(QStringLiteral("font-size: 18px; font-weight: bold;"));
    root->addWidget(heading);

    m_grid = new QTableWidget(0, 3, this);
    m_grid->setObjectName(QStringLiteral("PaperGrid"));
    m_grid->setHorizontalHeaderLabels(
        {QStringLiteral("试卷名称"), QStringLiteral("成绩"), QStringLiteral("用时")});
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->setAlternatingRowColors(true);
    m_grid->setShowGrid(false);
    m_grid->setWordWrap(false);
    QHeaderView* header = m_grid->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setSectionResizeMode(1, QHeaderView::Fixed);
    header->setSectionResizeMode(2, QHeaderView::Fixed);
    m_grid->setColumnWidth(1, small ? 80 : 100);
    m_grid->setColumnWidth(2, small ? 90 : 110);
    root->addWidget(m_grid, 1);

    auto* figures = new QHBoxLayout;
    const char* const captions[] = {"考试次数", "及格次数", "平均成绩"};
    for (int i = 0; i < 3; ++i) {
        auto* caption = new QLabel(QString::fromUtf8(captions[i]), this);
        m_figures[i] = new QLCDNumber(3, this);
        m_figures[i]->setObjectName(QStringLiteral("Figure%1").arg(i));
        m_figures[i]->setSegmentStyle(QLCDNumber::Flat);
        m_figures[i]->setFixedSize(small ? QSize(84, 40) : QSize(100, 46));
        figures->addWidget(caption);
        figures->addWidget(m_figures[i]);
        figures->addSpacing(small ? 12 : 24);
    }
    figures->addStretch();
    root->addLayout(figures);

    m_tip = new QLabel(this);
    m_tip->setObjectName(QStringLiteral("TipLine"));
    m_tip->setStyleSheet(QStringLiteral("color: #b03020;"));
    root->addWidget(m_tip);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_review = addButton(QStringLiteral("查阅"), QStringLiteral("Review"));
    m_delete = addButton(QStringLiteral("删除"), QStringLiteral("Delete"));
    QPushButton* settings = addButton(QStringLiteral("设置"), QStringLiteral("Settings"));
    QPushButton* close = addButton(QStringLiteral("关闭"), QStringLiteral("Close"));
    for (QPushButton* b : {m_review, m_delete, settings, close})
        buttons->addWidget(b);
    root->addLayout(buttons);

    connect(m_review, &QPushButton::clicked, this, &TFrmCheck::epEfTrBtn1Click);
    connect(m_delete, &QPushButton::clicked, this, &TFrmCheck::SpeedButton4Click);
    connect(settings, &QPushButton::clicked, this, &TFrmCheck::epEfButton3Click);
    connect(close, &QPushButton::clicked, this, &TFrmCheck::epEfTrBtn2Click);
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this] { epEfTrBtn1Click(); });

    FormShow();
}

QPushButton* TFrmCheck::addButton(const QString& caption, const QString& name) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

void TFrmCheck::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        CentreOnDesktop(this);
    }
}

void TFrmCheck::FormShow() {
    BusyCursor busy;
    const int row = selectedRow();
    const QString keep = row >= 0 ? m_papers[row].table : QString();
    for (int i = 0; i < 3; ++i)
        showFigure(i, 0);
    m_papers.clear();
    Guarded(QStringLiteral("无法读取试卷档案！"), [this] {
        m_tip->setText(TipLine(StoredLeastMark(*DM1)));
        m_papers = ReadArchive(*DM1);
        // The archive does not know a paper's kind: the kind last taken gives the full score.
        DM1->PointTypeTable(PaperKind);
        const ArchiveFigures f = ComputeFigures(m_papers, PassMark(DM1->PaperFullScore()));
        showFigure(0, f.papers);
        showFigure(1, f.passed);
        showFigure(2, f.average);
    });
    fillGrid(keep, qMax(row, 0));
}

void TFrmCheck::fillGrid(const QString& keep, int fallbackRow) {
    m_grid->setUpdatesEnabled(false);
    m_grid->clearContents();
    m_grid->setRowCount(int(m_papers.size()));
    int select = -1;
    for (int r = 0; r < m_papers.size(); ++r) {
        const ArchivedPaper& p = m_papers[r];
        if (p.table == keep)
            select = r;
        auto* title = new QTableWidgetItem(p.title);
        title->setData(Qt::UserRole, p.table);
        auto* score = new QTableWidgetItem(p.marked ? ShortNumber(p.score) : QString());
        score->setTextAlignment(Qt::AlignCenter);
        auto* time = new QTableWidgetItem(p.timeText);
        time->setTextAlignment(Qt::AlignCenter);
        m_grid->setItem(r, 0, title);
        m_grid->setItem(r, 1, score);
        m_grid->setItem(r, 2, time);
    }
    m_grid->setUpdatesEnabled(true);
    if (select < 0 && !m_papers.isEmpty())
        select = qMin(fallbackRow, int(m_papers.size()) - 1);
    if (select >= 0)
        m_grid->selectRow(select);
    m_review->setEnabled(!m_papers.isEmpty());
    m_delete->setEnabled(!m_papers.isEmpty());
}

void TFrmCheck::showFigure(int i, int value) {
    // Three digits as a rule; a thousandth paper must not turn the counter into an overflow mark.
    m_figures[i]->setDigitCount(qMax(3, int(QString::number(value).size())));
    m_figures[i]->display(value);
}

int TFrmCheck::FigureValue(int i) const {
    return m_figures[i]->intValue();
}

QString TFrmCheck::TipText() const {
    return m_tip->text();
}

int TFrmCheck::selectedRow() const {
    const QList<QTableWidgetItem*> items = m_grid->selectedItems();
    if (items.isEmpty())
        return -1;
    const int row = items.first()->row();
    return row < m_papers.size() ? row : -1;
}

void TFrmCheck::epEfTrBtn1Click() {
    const int row = selectedRow();
    if (row < 0)
        return;
    const ArchivedPaper paper = m_papers[row];
    ShowProgress(QStringLiteral("正在初始化数据..."));
    // The archive stays on screen under the exam window: hiding it would end its own modal loop.
    Guarded(QStringLiteral("无法打开试卷！"),
            [&] { ReviewArchivedPaper(this, paper.table, paper.title, paper.score, paper.timeText); });
    HideProgress();
    FormShow();
}

void TFrmCheck::SpeedButton4Click() {
    const int row = selectedRow();
    if (row < 0)
        return;
    const QString table = m_papers[row].table;
    if (messages().box(QStringLiteral("提示"), QStringLiteral("即将删除试卷，要继续么？"), MsgIcon::Question,
                       MsgButtons::OkCancel) != MsgAnswer::Ok)
        return;
    Guarded(QStringLiteral("删除试卷时发生错误！"), [&] { DeleteArchivedPaper(*DM1, table); });
    // The list and the figures follow at once; the paper below the deleted one takes the selection.
    FormShow();
}

void TFrmCheck::epEfButton3Click() {
    Guarded(QStringLiteral("无法打开设置！"), [this] { OpenConfig(this, 0); });
}

void TFrmCheck::epEfTrBtn2Click() {
    done(QDialog::Accepted);
}

void TFrmCheck::done(int result) {
    for (store::DataSet* ds : {&DM1->Cn1Table_cj, &DM1->Cn1Query1}) {
        try {
            ds->setFilter(QString());
            ds->close();
        } catch (...) {
        }
    }
    QDialog::done(result);
}
