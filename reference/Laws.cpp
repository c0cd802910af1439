#include "reference/Laws.h"

#include "practice/uRulelxxt.h"
#include "reference/details.h"
#include "store/Bookmarks.h"
#include "store/JetSql.h"
#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/Helpers.h"
#include "ui/Services.h"
#include "ui/Udlg.h"

#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <memory>

namespace {
const QString kCatalogueFailed = QStringLiteral("无法读取考点目录！");
const QString kPointsFailed = QStringLiteral("无法读取考点！");
const QString kNoPoints = QStringLiteral("找不到考点!");
const QString kKeyPoints = QStringLiteral("重点(&M)");
const QString kAllPoints = QStringLiteral("全部(&A)");

QPushButton* makeButton(const QString& caption, const QString& name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    // Enter in the search box searches; no button takes it as the dialog's default.
    b->setAutoDefault(false);
    return b;
}
} // namespace

TfrmLawsFaGui::TfrmLawsFaGui(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmLawsFaGui"));
    setWindowTitle(QStringLiteral("考点目录"));
    const bool small = ScreenMode == u"800";
    // Room for a window frame and a taskbar of about 40 pixels on either screen.
    resize(small ? QSize(780, 520) : QSize(1000, 690));

    m_title = new QLabel(QStringLiteral("考点目录"), this);
    m_title->setObjectName(QStringLiteral("m_title"));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setAlignment(Qt::AlignCenter);
    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    m_title->setFont(titleFont);

    m_grid = new QTableWidget(0, 5, this);
    m_grid->setObjectName(QStringLiteral("m_grid"));
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->setAlternatingRowColors(true);
    m_grid->setShowGrid(false);
    m_grid->setWordWrap(false);
    m_grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c < 5; ++c) {
        m_grid->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Fixed);
        m_grid->setColumnWidth(c, small ? 76 : 92);
    }

    m_editFind = new QLineEdit(this);
    m_editFind->setObjectName(QStringLiteral("m_editFind"));
    m_btnFind = makeButton(QStringLiteral("检索(&F)"), QStringLiteral("m_btnFind"), this);
    m_btnSelect = makeButton(QStringLiteral("选定(&S)"), QStringLiteral("m_btnSelect"), this);
    m_btnMost = makeButton(kKeyPoints, QStringLiteral("m_btnMost"), this);
    m_btnQuestion = makeButton(QStringLiteral("练习(&P)"), QStringLiteral("m_btnQuestion"), this);
    m_btnStarred = makeButton(QStringLiteral("收藏题"), QStringLiteral("m_btnStarred"), this);
    m_btnStarred->setToolTip(QStringLiteral("练习本考点中收藏的题目"));
    m_btnBack = makeButton(QStringLiteral("返回(&B)"), QStringLiteral("m_btnBack"), this);
    m_btnExit = makeButton(QStringLiteral("退出(&E)"), QStringLiteral("m_btnExit"), this);

    auto* root = new QVBoxLayout(this);
    root->addWidget(m_title);
    m_body = new QVBoxLayout;
    m_body->addWidget(m_grid, 1);
    root->addLayout(m_body, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_editFind, 1);
    buttons->addWidget(m_btnFind);
    buttons->addWidget(m_btnSelect);
    // Takes the search box's room in the detail view, so that the buttons keep their size there.
    buttons->addStretch();
    buttons->addSpacing(small ? 8 : 24);
    for (QPushButton* b : {m_btnMost, m_btnQuestion, m_btnStarred, m_btnBack, m_btnExit})
        buttons->addWidget(b);
    root->addLayout(buttons);

    // Every handler reports engine errors itself: nothing may cross the event loop.
    connect(m_btnFind, &QPushButton::clicked, this, [this] { Search(); });
    connect(m_editFind, &QLineEdit::returnPressed, this, [this] { Search(); });
    connect(m_btnSelect, &QPushButton::clicked, this,
            [this] { Guarded(kPointsFailed, [this] { OpenSection(); }); });
    connect(m_grid, &QTableWidget::cellDoubleClicked, this,
            [this] { Guarded(kPointsFailed, [this] { OpenSection(); }); });
    connect(m_grid, &QTableWidget::currentCellChanged, this, [this](int row) {
        // Long headings can be read in full where the cell cuts them.
        const QTableWidgetItem* item = row >= 0 ? m_grid->item(row, 0) : nullptr;
        m_grid->setToolTip(item ? item->text() : QString());
    });
    connect(m_btnMost, &QPushButton::clicked, this,
            [this] { Guarded(kPointsFailed, [this] { ToggleKeyPoints(); }); });
    connect(m_btnQuestion, &QPushButton::clicked, this,
            [this] { Guarded(QStringLiteral("无法打开练习！"), [this] { Practise(); }); });
    connect(m_btnStarred, &QPushButton::clicked, this,
            [this] { Guarded(QStringLiteral("无法打开练习！"), [this] { PractiseBookmarked(); }); });
    connect(m_btnBack, &QPushButton::clicked, this,
            [this] { Guarded(kCatalogueFailed, [this] { Back(); }); });
    connect(m_btnExit, &QPushButton::clicked, this, &QDialog::close);

    showListView();
    setHeadings();
    Guarded(kCatalogueFailed, [this] { LoadCatalogue(); });
    if (m_grid->rowCount() > 0)
        m_grid->setCurrentCell(0, 0);
}

TfrmLawsFaGui::~TfrmLawsFaGui() = default;

QString TfrmLawsFaGui::CountCell(qint64 value) {
    return QStringLiteral("%1").arg(value, 9);
}

int TfrmLawsFaGui::KeyPointThreshold(const QString& countCell, qint64 points) {
    bool ok = false;
    const qint64 count = countCell.trimmed().toLongLong(&ok);
    if (!ok || points <= 0)
        return 1;
    const qint64 t = count / points;
    return t <= 0 ? 1 : int(qMin<qint64>(t, INT_MAX));
}

QString TfrmLawsFaGui::KeyPointFilter(int threshold) {
    return QStringLiteral("q >=") + QString::number(threshold);
}

QString TfrmLawsFaGui::PointEntry(const QString& title, qint64 questions) {
    QString entry = title;
    while (!entry.isEmpty() && entry.back().isSpace())
        entry.chop(1);
    if (questions > 0)
        entry += u'(' + QString::number(questions) + u')';
    return entry;
}

QString TfrmLawsFaGui::PointNote(qint64 q, qint64 q1, qint64 q2, qint64 q4) {
    if (q <= 0)
        return QStringLiteral("虽然针对该内容的习题没有，您仍要仔细阅读！");
    return QStringLiteral("相关题数：%1题  已做题数：%2题  已做道次：%3次  做错道次：%4次")
        .arg(q)
        .arg(q1)
        .arg(q2)
        .arg(q4);
}

QString TfrmLawsFaGui::PracticeQuery(const QString& ftid) {
    // One comparison per column rather than "id in (k3,...,k12)": the engine finds each in the column's
    // index instead of reading every question. The order keeps groups of twenty the same from one
    // practice to the next.
    const QString id = store::quoted(ftid);
    QStringList columns;
    for (int k = 3; k <= 12; ++k)
        columns << QStringLiteral("k%1=").arg(k) + id;
    return QStringLiteral(
               "select a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1, "
               "csbs from tab_answ where (") +
           columns.join(QStringLiteral(" or ")) + QStringLiteral(") order by a13,a10,xx,a1");
}

QString TfrmLawsFaGui::BookmarkedPracticeQuery(const QString& ftid) {
    QString sql = PracticeQuery(ftid);
    const qsizetype order = sql.lastIndexOf(QStringLiteral(" order by "));
    return sql.insert(order, QStringLiteral(" and ") + store::BookmarkedCondition(DM1->ADOCn1) +
                                 QStringLiteral(" and (f1<>1)"));
}

QString TfrmLawsFaGui::TitleText() const {
    return m_title->text();
}

void TfrmLawsFaGui::setHeadings() {
    m_grid->setHorizontalHeaderLabels({QStringLiteral("考 点 名 称"), QStringLiteral("  题  数"),
                                       QStringLiteral(" 已做题数"), QStringLiteral(" 已做道次"),
                                       QStringLiteral(" 做错道次")});
}

void TfrmLawsFaGui::LoadCatalogue() {
    BusyCursor busy;
    m_grid->setRowCount(0);
    m_rowIds.clear();
    store::DataSet& q = DM1->m_query;
    q.close();
    q.setCommandText(QStringLiteral("select * from tab_fgmc order by bh"));
    q.open();
    m_grid->setRowCount(q.recordCount());
    int row = 0;
    for (q.first(); !q.eof(); q.next(), ++row) {
        const QString id = q.asString(QStringLiteral("id"));
        const QString heading = q.asString(QStringLiteral("n"));
        auto* name = new QTableWidgetItem(heading);
        name->setToolTip(heading);
        if (id.trimmed().size() <= 2) {
            QFont f = name->font();
            f.setBold(true);
            name->setFont(f);
        }
        m_grid->setItem(row, 0, name);
        const char* const counters[] = {"q", "q1", "q2", "q4"};
        for (int c = 1; c <= 4; ++c) {
            auto* item = new QTableWidgetItem(CountCell(q.asInteger(QLatin1String(counters[c - 1]))));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            item->setToolTip(heading);
            m_grid->setItem(row, c, item);
        }
        m_rowIds << id;
    }
    q.close();
}

void TfrmLawsFaGui::Search() {
    const QString text = m_editFind->text().trimmed();
    // Blanks alone find nothing (every heading "contains" an empty text).
    if (text.isEmpty())
        return;
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        if (m_grid->item(r, 0)->text().contains(text, Qt::CaseSensitive)) {
            m_grid->setCurrentCell(r, 0);
            m_grid->scrollToItem(m_grid->item(r, 0));
            return;
        }
    }
}

void TfrmLawsFaGui::OpenSection() {
    const int row = m_grid->currentRow();
    if (m_detailView || row < 0 || row >= m_rowIds.size())
        return;
    const QString id = m_rowIds[row].trimmed();
    if (id.size() <= 2) {
        ShowPrompt(QStringLiteral("提示"), QStringLiteral("请选择具体章节!"), 3, 1, QString());
        return;
    }
    BusyCursor busy;
    m_threshold = 1;
    try {
        store::DataSet& q = DM1->m_query;
        q.close();
        q.setCommandText(QStringLiteral("select count(*) as icou1 from tab_rule where (id = ") +
                         store::quoted(id) + u')');
        q.open();
        m_threshold = KeyPointThreshold(m_grid->item(row, 1)->text(), q.asInteger(QStringLiteral("icou1")));
        q.close();
    } catch (const std::exception&) {
        m_threshold = 1; // key points then are the points with any question
    }

    showDetailView();
    m_title->setText(m_grid->item(row, 0)->text().trimmed());

    store::DataSet& d = DM1->m_queryDetail;
    d.close();
    d.setFiltered(false);
    d.setFilter(QString());
    d.setCommandText(QStringLiteral("select * from tab_rule where id=") + store::quoted(id) +
                     QStringLiteral(" order by ftid"));
    d.open();
    if (d.isEmpty()) {
        busy.release();
        messages().box(QStringLiteral("提示"), kNoPoints, MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    fillPointList();
}

void TfrmLawsFaGui::showListView() {
    m_detailView = false;
    m_grid->show();
    m_editFind->show();
    m_btnFind->show();
    m_btnSelect->show();
    m_btnMost->setEnabled(false);
    m_btnQuestion->setEnabled(false);
    m_btnStarred->setEnabled(false);
    m_btnBack->hide();
}

void TfrmLawsFaGui::showDetailView() {
    m_detailView = true;
    delete m_detail;
    m_detail = new TfrmLawDetail(this);
    m_body->addWidget(m_detail, 1);
    connect(m_detail->m_LBmenu, &QListWidget::currentRowChanged, this,
            [this](int row) { Guarded(kPointsFailed, [this, row] { pointChosen(row); }); });
    m_grid->hide();
    m_editFind->hide();
    m_btnFind->hide();
    m_btnSelect->hide();
    m_btnMost->setEnabled(true);
    // Practice waits for a point with questions.
    m_btnQuestion->setEnabled(false);
    m_btnStarred->setEnabled(false);
    m_btnBack->show();
}

// The list follows the rows of the section as they stand (all of them, or the key points), entry k for
// row k; the first entry is selected and shown.
void TfrmLawsFaGui::fillPointList() {
    store::DataSet& d = DM1->m_queryDetail;
    QListWidget* list = m_detail->m_LBmenu;
    m_filling = true;
    list->clear();
    for (d.first(); !d.eof(); d.next())
        list->addItem(PointEntry(d.asString(QStringLiteral("sn")), d.asInteger(QStringLiteral("q"))));
    if (list->count() > 0)
        list->setCurrentRow(0);
    m_filling = false;
    if (list->count() > 0) {
        pointChosen(0);
    } else {
        m_detail->showText(QByteArray());
        m_detail->m_pNote->clear();
        m_btnQuestion->setEnabled(false);
        m_btnStarred->setEnabled(false);
    }
}

void TfrmLawsFaGui::pointChosen(int row) {
    if (m_filling || !m_detail)
        return;
    QListWidget* list = m_detail->m_LBmenu;
    if (row < 0) {
        if (list->count() > 0)
            list->setCurrentRow(0);
        return;
    }
    store::DataSet& d = DM1->m_queryDetail;
    if (!d.active() || row >= d.recordCount())
        return;
    d.setRecNo(row + 1);
    m_detail->showText(d.asBytes(QStringLiteral("n")));
    showPointState(row);
}

// The note line and the practice button for the point of an entry, from the counters as they were read
// when the section was opened.
void TfrmLawsFaGui::showPointState(int row) {
    store::DataSet& d = DM1->m_queryDetail;
    if (!m_detail || !d.active() || row < 0 || row >= d.recordCount())
        return;
    d.setRecNo(row + 1);
    const qint64 q = d.asInteger(QStringLiteral("q"));
    m_detail->m_pNote->setText(PointNote(q, d.asInteger(QStringLiteral("q1")),
                                         d.asInteger(QStringLiteral("q2")),
                                         d.asInteger(QStringLiteral("q4"))));
    m_btnQuestion->setEnabled(q > 0);
    const QString ftid = d.asString(QStringLiteral("ftid")).trimmed();
    int starred = 0;
    if (q > 0 && !ftid.isEmpty()) {
        try {
            starred = DM1->ADOCn1
                          .query(QStringLiteral("select count(*) from (") + BookmarkedPracticeQuery(ftid) +
                                 QStringLiteral(")"))
                          .rows.value(0)
                          .value(0)
                          .toInt();
        } catch (const store::DbError&) {
            starred = 0;
        }
    }
    m_btnStarred->setEnabled(starred > 0);
}

void TfrmLawsFaGui::PractiseBookmarked() {
    PractiseSelected(true);
}

void TfrmLawsFaGui::ToggleKeyPoints() {
    store::DataSet& d = DM1->m_queryDetail;
    if (!m_detailView || !m_detail || !d.active())
        return;
    if (m_mostMode == 0) {
        d.setFilter(KeyPointFilter(m_threshold));
        d.setFiltered(true);
    } else {
        d.setFiltered(false);
        d.setFilter(QString());
    }
    if (!d.isEmpty()) {
        fillPointList();
        m_mostMode = m_mostMode == 0 ? 1 : 0;
        m_btnMost->setText(m_mostMode == 1 ? kAllPoints : kKeyPoints);
        return;
    }
    d.setFiltered(false);
    d.setFilter(QString());
    fillPointList();
    m_mostMode = 0;
    m_btnMost->setText(kKeyPoints);
    messages().box(QStringLiteral("提示"), QStringLiteral("此考点暂无重点内容！"), MsgIcon::Information,
                   MsgButtons::Ok);
}

void TfrmLawsFaGui::Practise() {
    PractiseSelected(false);
}

void TfrmLawsFaGui::PractiseSelected(bool bookmarkedOnly) {
    store::DataSet& d = DM1->m_queryDetail;
    if (!m_detail || !d.active())
        return;
    const int row = m_detail->m_LBmenu->currentRow();
    if (row < 0 || row >= d.recordCount())
        return;
    // The point is the selected row itself: a title may be shared by two points of a section, or hold
    // a bracket of its own, and finding the point again by it would practise another one or none.
    d.setRecNo(row + 1);
    const QString ftid = d.asString(QStringLiteral("ftid"));
    QString title = d.asString(QStringLiteral("sn"));
    while (!title.isEmpty() && title.back().isSpace())
        title.chop(1);
    if (ftid.trimmed().isEmpty()) {
        // An empty id would select every question with an empty exam-point column.
        messages().box(QStringLiteral("提示"), kNoPoints, MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    PractiseExamPoint(this, ftid, title, bookmarkedOnly);
    showPointState(row);
}

void PractiseExamPoint(QWidget* owner, const QString& ftid, const QString& title, bool bookmarkedOnly) {
    PracticeQueryText = bookmarkedOnly ? TfrmLawsFaGui::BookmarkedPracticeQuery(ftid) : TfrmLawsFaGui::PracticeQuery(ftid);
    // The opener stays on screen under the practice: hiding a dialog ends its modal loop.
    std::unique_ptr<TFrmRuleLxxt> practice;
    bool loaded = false;
    const bool opened = Guarded(QStringLiteral("无法打开练习！"), [&] {
        BusyCursor busy;
        practice = std::make_unique<TFrmRuleLxxt>(owner);
        loaded = practice->LoadPracticeSet();
    });
    if (opened && loaded) {
        practice->SetHintBoard(title);
        practice->exec();
    } else if (opened) {
        ShowPrompt(QStringLiteral("提示"), QStringLiteral("恭喜你，习题已做完！"), 1, 0,
                   QStringLiteral("NO"));
    }
    // Destroyed only now that its modal loop has returned.
    practice.reset();
}

void TfrmLawsFaGui::Back() {
    if (!m_detailView)
        return;
    const int row = m_grid->currentRow();
    DM1->m_queryDetail.close();
    delete m_detail;
    m_detail = nullptr;
    showListView();
    m_title->setText(QStringLiteral("考 点 目 录"));
    m_mostMode = 0;
    m_btnMost->setText(kKeyPoints);
    setHeadings();
    LoadCatalogue();
    if (row >= 0 && row < m_grid->rowCount())
        m_grid->setCurrentCell(row, 0);
}

void TfrmLawsFaGui::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        CentreOnDesktop(this);
    }
}

void TfrmLawsFaGui::done(int result) {
    DM1->m_query.close();
    DM1->m_queryDetail.close();
    QDialog::done(result);
}
