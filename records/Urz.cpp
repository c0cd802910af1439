#include "records/Urz.h"

#include "app/Uconfig.h"
#include "records/StudyRecords.h"
#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/Helpers.h"
#include "ui/Udlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const char* const Fields[] = {"A1", "B1", "B2", "A2", "A3", "D1", "A4"};
const char* const Captions[] = {"日期", "做过题数", "做错题数", "做过道次", "做错道次", "总用时", "平均成绩"};
} // namespace

TFrmRz::TFrmRz(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmRz"));
    setWindowTitle(QStringLiteral("学习日志"));
    const bool small = ScreenMode == u"800";
    resize(small ? QSize(760, 500) : QSize(900, 620));

    auto* root = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("学习日志"), this);
    heading->setObjectName(QStringLiteral("epLabel2"));
    root->addWidget(heading);

    m_grid = new QTableWidget(0, 7, this);
    m_grid->setObjectName(QStringLiteral("LogGrid"));
    QStringList titles;
    for (const char* c : Captions)
        titles << QString::fromUtf8(c);
    m_grid->setHorizontalHeaderLabels(titles);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->setAlternatingRowColors(true);
    m_grid->setShowGrid(false);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    if (!small) {
        m_grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
        m_grid->setColumnWidth(0, 192);
    }
    root->addWidget(m_grid, 1);

    auto* totals = new QHBoxLayout;
    const char* const totalCaptions[] = {"已做习题\n（道次）", "做错习题\n（道次）", "综合成绩"};
    for (int i = 0; i < 3; ++i) {
        auto* box = new QVBoxLayout;
        auto* caption = new QLabel(QString::fromUtf8(totalCaptions[i]), this);
        caption->setAlignment(Qt::AlignCenter);
        m_totals[i] = new QLabel(QStringLiteral("0"), this);
        m_totals[i]->setObjectName(QStringLiteral("Total%1").arg(i));
        m_totals[i]->setAlignment(Qt::AlignCenter);
        m_totals[i]->setStyleSheet(QStringLiteral("font-size: 26px; font-weight: bold; color: #2371c0;"));
        box->addWidget(caption);
        box->addWidget(m_totals[i]);
        totals->addLayout(box, 1);
    }
    auto* buttons = new QVBoxLayout;
    auto* settings = new QPushButton(QStringLiteral("设置"), this);
    settings->setObjectName(QStringLiteral("Settings"));
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("Close"));
    for (QPushButton* b : {settings, close}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    totals->addLayout(buttons);
    root->addLayout(totals);
    connect(settings, &QPushButton::clicked, this, [this] { OpenConfig(this, 0); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    FormCreate();
}

void TFrmRz::FormCreate() {
    Guarded(QStringLiteral("无法读取学习日志！"), [this] {
        store::DataSet& rz = DM1->Cn1Table_rz;
        // Read afresh: the log has grown since the cursor was last open.
        rz.close();
        rz.open();
        // ISO dates sort as text in calendar order, across years too.
        rz.setSort(QStringLiteral("A1 DESC"));
        m_grid->setRowCount(rz.recordCount());
        int row = 0;
        for (rz.first(); !rz.eof(); rz.next(), ++row) {
            for (int c = 0; c < 7; ++c) {
                auto* item = new QTableWidgetItem(rz.asString(QLatin1String(Fields[c])));
                item->setTextAlignment(c >= 5 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignCenter);
                m_grid->setItem(row, c, item);
            }
        }
        rz.first();
        const records::LogTotals t = records::ReadLogTotals(*DM1);
        m_totals[0]->setText(QString::number(t.answers));
        m_totals[1]->setText(QString::number(t.wrong));
        m_totals[2]->setText(t.score);
    });
}

void TFrmRz::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnDesktop(this);
}

QString TFrmRz::TotalText(int i) const {
    return m_totals[i]->text();
}

void TFrmRz::done(int result) {
    DM1->Cn1Table_rz.close();
    QDialog::done(result);
}
