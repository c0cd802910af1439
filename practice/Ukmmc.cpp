#include "practice/Ukmmc.h"

#include "app/Uconfig.h"
#include "authoring/UInPut.h"
#include "export/ExportFlow.h"
#include "practice/Ulxxt.h"
#include "practice/WrongBook.h"
#include "store/Bookmarks.h"
#include "store/JetSql.h"
#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/Helpers.h"
#include "ui/Services.h"
#include "ui/Udlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLCDNumber>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <memory>

namespace {
const char* const Columns[] = {"C2", "C3", "C4", "D1", "D2", "C6"};
const char* const Titles[] = {"章节名称", "习题数目", "已做题数", "已做道次", "做错道次", "综合成绩"};
const char* const Fields =
    "a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,e2_1,e3,e4,f1,xx,csbs,ecount";
} // namespace

TFrmkmmc::TFrmkmmc(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmKmmc"));
    setWindowTitle(QStringLiteral("章节练习"));
    const bool small = ScreenMode == u"800";
    // Room for a window frame and a taskbar of about 40 pixels on either screen.
    resize(small ? QSize(780, 520) : QSize(1000, 690));

    auto* root = new QHBoxLayout(this);
    m_grid = new QTableWidget(0, 6, this);
    m_grid->setObjectName(QStringLiteral("ChapterGrid"));
    QStringList titles;
    for (const char* t : Titles)
        titles << QString::fromUtf8(t);
    m_grid->setHorizontalHeaderLabels(titles);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->setAlternatingRowColors(true);
    m_grid->setShowGrid(false);
    m_grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c < 6; ++c) {
        m_grid->horizontalHeader()->setSectionResizeMode(c, QHeaderView::Fixed);
        m_grid->setColumnWidth(c, small ? 64 : 80);
    }
    connect(m_grid, &QTableWidget::currentCellChanged, this, [this](int row) { rowChosen(row); });
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this](int row) {
        rowChosen(row);
        StartPractice(DoubleClick);
    });
    root->addWidget(m_grid, 1);

    auto* side = new QVBoxLayout;
    const char* const captions[] = {"总习题数", "已做题道次", "做错题道次"};
    auto* stats = new QGridLayout;
    for (int i = 0; i < 3; ++i) {
        m_numbers[i] = new QLCDNumber(5, this);
        m_numbers[i]->setSegmentStyle(QLCDNumber::Flat);
        m_numbers[i]->setObjectName(QStringLiteral("Statistics%1").arg(i));
        m_numbers[i]->setMinimumSize(100, 34);
        stats->addWidget(new QLabel(QString::fromUtf8(captions[i]), this), i, 0);
        stats->addWidget(m_numbers[i], i, 1);
    }
    stats->addWidget(new QLabel(QStringLiteral("综合成绩"), this), 3, 0);
    m_score = new QLabel(QStringLiteral("分数"), this);
    m_score->setObjectName(QStringLiteral("Score"));
    stats->addWidget(m_score, 3, 1);
    side->addLayout(stats);
    side->addSpacing(16);
    const struct {
        const char* caption;
        const char* name;
        int tag;
    } buttons[] = {{"练习新题", "PracticeNew", NewQuestions},
                   {"错题重做", "PracticeWrong", WrongQuestions},
                   {"习题重温", "PracticeReview", Review},
                   {"收藏题", "PracticeBookmarked", Bookmarked},
                   {"错题本", "WrongBook", 0},
                   {"试题录入", "Entry", 0},
                   {"设置", "Settings", 0},
                   {"关闭", "Close", 0}};
    for (const auto& b : buttons) {
        auto* button = new QPushButton(QString::fromUtf8(b.caption), this);
        button->setObjectName(QLatin1String(b.name));
        button->setAutoDefault(false);
        button->setMinimumHeight(small ? 30 : 36);
        side->addWidget(button);
        if (b.tag)
            connect(button, &QPushButton::clicked, this, [this, tag = b.tag] { StartPractice(Mode(tag)); });
        else if (qstrcmp(b.name, "Entry") == 0)
            connect(button, &QPushButton::clicked, this, [this] { OpenEntry(); });
        else if (qstrcmp(b.name, "WrongBook") == 0) {
            button->setToolTip(QStringLiteral("把本章节的错题或收藏的题目连同答案和解析导出为 Word 或 PDF 文档"));
            auto* menu = new QMenu(button);
            menu->setObjectName(QStringLiteral("WrongBookMenu"));
            connect(menu->addAction(QStringLiteral("导出本章节错题")), &QAction::triggered, this,
                    [this] { ExportWrongBook(false); });
            connect(menu->addAction(QStringLiteral("导出本章节收藏题")), &QAction::triggered, this,
                    [this] { ExportWrongBook(true); });
            button->setMenu(menu);
        }
        else if (qstrcmp(b.name, "Close") != 0)
            connect(button, &QPushButton::clicked, this, [this] { OpenConfig(this, 0); });
    }
    side->addStretch();
    root->addLayout(side);
    connect(findChild<QPushButton*>(QStringLiteral("Close")), &QPushButton::clicked, this, &QDialog::close);
}

QString TFrmkmmc::PracticeQuery(Mode mode, const QString& code) {
    const QString n = QString::number(code.size());
    const QString where =
        QStringLiteral("(left(A10,") + n + QStringLiteral(") = ") + store::quoted(code) + u')';
    switch (mode) {
    case NewQuestions:
    case DoubleClick:
        return QStringLiteral("select a1 ,") + QString::fromLatin1(Fields).mid(3) +
               QStringLiteral(" from tab_answ where ") + where +
               QStringLiteral(" and (E2 = '' or E2 is null) ") + QStringLiteral(" and (f1<>1) ") +
               (mode == DoubleClick ? QStringLiteral(" order by a13,a10,xx")
                                    : QStringLiteral(" order by a13,a10,xx,a1"));
    case WrongQuestions:
        return QStringLiteral("select ") + QLatin1String(Fields) + QStringLiteral(" from tab_answ  where ") +
               where + QStringLiteral(" and (E4 < 0) ") + QStringLiteral(" and (f1<>1)") +
               QStringLiteral(" order by a13,e3,e4,e1,xx,a1");
    case Review:
        return QStringLiteral("select ") + QLatin1String(Fields) + QStringLiteral(" from tab_answ where ") +
               where.chopped(1) +
               QStringLiteral(") and (E2 is not null and E2 <> '') order by a13,e3,e4,e1,xx,a1");
    case Bookmarked:
        return QStringLiteral("select ") + QLatin1String(Fields) + QStringLiteral(" from tab_answ where ") + where +
               QStringLiteral(" and ") + store::BookmarkedCondition(DM1->ADOCn1) +
               QStringLiteral(" and (f1<>1) order by a13,a10,xx,a1");
    }
    return QString();
}

void TFrmkmmc::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnDesktop(this);
    Refresh();
}

void TFrmkmmc::Refresh() {
    BusyCursor busy;
    store::DataSet& kmmc = DM1->Cn1Table_kmmc;
    try {
        if (!kmmc.active())
            kmmc.open();
        kmmc.first();
        kmmc.setFiltered(false);
        kmmc.setFilter(QStringLiteral("c1<>") + store::quoted(QStringLiteral("xx")));
        kmmc.setFiltered(true);
        fillGrid();
        if (SubjectNumber >= 1 && SubjectNumber <= 5) {
            store::DataSet& q = DM1->Cn1Query1;
            q.close();
            q.setCommandText(
                QStringLiteral("select sum(C3) as count_c3,sum(D1) as count_d1,sum(D2) as count_d2 from "
                               "tab_kmmc where len(c1)=6"));
            q.open();
            const qint64 c3 = q.asInteger(QStringLiteral("count_c3"));
            const qint64 d1 = q.asInteger(QStringLiteral("count_d1"));
            const qint64 d2 = q.asInteger(QStringLiteral("count_d2"));
            m_numbers[0]->display(int(qMin<qint64>(c3, 10000)));
            m_numbers[1]->display(int(d1));
            m_numbers[2]->display(int(d2));
            if (d1 > 0)
                m_score->setText(QString::asprintf("%2.2f", double(d1 - d2) / double(d1) * 100.0));
        }
        if (!SelectChapter(m_remembered) && m_grid->rowCount() > 0)
            m_grid->setCurrentCell(0, 0);
    } catch (const std::exception&) {
        ShowPrompt(QStringLiteral("错误"), QStringLiteral("无法读取章节目录！"), 1, 2, QStringLiteral("NO"));
    }
}

void TFrmkmmc::fillGrid() {
    store::DataSet& kmmc = DM1->Cn1Table_kmmc;
    m_filling = true;
    m_grid->setRowCount(kmmc.recordCount());
    int row = 0;
    for (kmmc.first(); !kmmc.eof(); kmmc.next(), ++row) {
        // The tree shows by indentation: subjects flush left and bold, then parts, chapters and sections.
        const QString code = kmmc.asString(QStringLiteral("C1"));
        const int level = code.size() <= 1 ? 0 : code.size() <= 2 ? 1 : code.size() <= 4 ? 2 : 3;
        for (int c = 0; c < 6; ++c) {
            const QString text = kmmc.asString(QLatin1String(Columns[c]));
            auto* item = new QTableWidgetItem(c == 0 ? QString(level * 3, u' ') + text : text);
            if (level <= 1) {
                QFont f = item->font();
                f.setBold(true);
                item->setFont(f);
            }
            if (c == 5)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            else if (c > 0)
                item->setTextAlignment(Qt::AlignCenter);
            item->setData(Qt::UserRole, code);
            m_grid->setItem(row, c, item);
        }
    }
    m_filling = false;
    kmmc.first();
}

void TFrmkmmc::rowChosen(int row) {
    if (m_filling || row < 0)
        return;
    store::DataSet& kmmc = DM1->Cn1Table_kmmc;
    if (kmmc.active() && row < kmmc.recordCount())
        kmmc.setRecNo(row + 1);
    updateBookmarkButton();
}

void TFrmkmmc::updateBookmarkButton() {
    auto* button = findChild<QPushButton*>(QStringLiteral("PracticeBookmarked"));
    store::DataSet& kmmc = DM1->Cn1Table_kmmc;
    int count = 0;
    if (kmmc.active() && kmmc.recNo() > 0) {
        try {
            count = store::CountBookmarked(DM1->ADOCn1, kmmc.asString(QStringLiteral("C1")));
        } catch (const store::DbError&) {
            count = 0;
        }
    }
    button->setEnabled(count > 0);
    button->setToolTip(count > 0 ? QStringLiteral("练习本章节收藏的 %1 道题").arg(count)
                                 : QStringLiteral("本章节没有收藏的题目"));
}

bool TFrmkmmc::SelectChapter(const QString& code) {
    if (code.isEmpty())
        return false;
    for (int r = 0; r < m_grid->rowCount(); ++r) {
        if (m_grid->item(r, 0)->data(Qt::UserRole).toString().compare(code, Qt::CaseInsensitive) == 0) {
            m_grid->setCurrentCell(r, 0);
            rowChosen(r);
            return true;
        }
    }
    return false;
}

int TFrmkmmc::StatisticsValue(int i) const {
    return m_numbers[i]->intValue();
}
QString TFrmkmmc::ScoreText() const {
    return m_score->text();
}

void TFrmkmmc::StartPractice(Mode mode) {
    store::DataSet& kmmc = DM1->Cn1Table_kmmc;
    if (!kmmc.active() || kmmc.recNo() == 0)
        return;
    const QString code = kmmc.asString(QStringLiteral("C1"));
    m_remembered = code;
    if (code.size() <= 2) {
        messages().box(QStringLiteral("提示"), QStringLiteral("请选择具体章节目录！"), MsgIcon::Information,
                       MsgButtons::Ok);
        return;
    }
    PracticeQueryText = PracticeQuery(mode, code);
    // The navigator stays on screen under the practice: hiding a dialog ends its modal loop, which would
    // leave the menu blocked behind a navigator that no longer runs one.
    std::unique_ptr<TFrmLxxt> practice;
    bool loaded = false;
    const bool opened = Guarded(QStringLiteral("无法打开练习！"), [&] {
        BusyCursor busy;
        practice = std::make_unique<TFrmLxxt>(this);
        loaded = practice->LoadPracticeSet();
    });
    if (opened && loaded) {
        practice->exec();
    } else if (opened) {
        if (mode == WrongQuestions)
            ShowPrompt(QStringLiteral("提示"), QStringLiteral("本章节下没有错题！"), 1, 1,
                       QStringLiteral("NO"));
        else if (mode == Review)
            ShowPrompt(QStringLiteral("提示"), QStringLiteral("本章节习题还未曾做过！"), 1, 1,
                       QStringLiteral("NO"));
        else if (mode == Bookmarked)
            ShowPrompt(QStringLiteral("提示"), QStringLiteral("本章节下没有收藏的题目！"), 1, 1,
                       QStringLiteral("NO"));
        else
            ShowPrompt(QStringLiteral("提示"), QStringLiteral("恭喜，习题已做完！"), 1, 0,
                       QStringLiteral("NO"));
    }
    // Destroyed only now that its modal loop has returned.
    practice.reset();
    Refresh();
}

QString TFrmkmmc::ExportWrongBook(bool bookmarked) {
    store::DataSet& kmmc = DM1->Cn1Table_kmmc;
    if (!kmmc.active() || kmmc.recNo() == 0)
        return QString();
    const QString code = kmmc.asString(QStringLiteral("C1"));
    const QString name = kmmc.asString(QStringLiteral("C2")).trimmed();
    const wrongbook::Kind kind = bookmarked ? wrongbook::Kind::Bookmarked : wrongbook::Kind::Wrong;
    int count = 0;
    if (!Guarded(QStringLiteral("无法读取本章节的题目！"),
                 [&] { count = int(wrongbook::ReadEntries(*DM1, code, kind).size()); }))
        return QString();
    if (count == 0) {
        ShowPrompt(QStringLiteral("提示"),
                   bookmarked ? QStringLiteral("本章节下没有收藏的题目！") : QStringLiteral("本章节下没有错题！"), 1, 1,
                   QStringLiteral("NO"));
        return QString();
    }
    return ExportDocument(this, wrongbook::Title(kind, name),
                          {QStringLiteral("正在导出错题本，请等待..."), QStringLiteral("导出错题本发生错误，请退出后重试！")},
                          [&](QTextDocument* doc) { wrongbook::BuildDocument(*DM1, code, name, kind, doc); });
}

void TFrmkmmc::OpenEntry() {
    store::DataSet& kmmc = DM1->Cn1Table_kmmc;
    if (!kmmc.active() || kmmc.recNo() == 0)
        return;
    const QString code = kmmc.asString(QStringLiteral("C1"));
    if (code.size() <= 2) {
        messages().box(QStringLiteral("提示"), QStringLiteral("请选择具体章节目录！"), MsgIcon::Information,
                       MsgButtons::Ok);
        return;
    }
    const QString name = kmmc.asString(QStringLiteral("C2"));
    // The navigator stays in its modal loop under the entry window; the window is destroyed only after its
    // own loop has returned.
    std::unique_ptr<TFrmInPut> entry;
    bool failed = false;
    try {
        {
            BusyCursor busy;
            entry = std::make_unique<TFrmInPut>(this);
            entry->SetHeading(QStringLiteral("试题录入 [") + name + u']');
            entry->SetChapter(code);
        }
        entry->exec();
    } catch (const std::exception&) {
        failed = true;
    }
    const int saved = entry ? entry->SavedCount() : 0;
    entry.reset();
    try {
        kmmc.requery();
        fillGrid();
        SelectChapter(code);
    } catch (const std::exception&) {
        failed = true;
    }
    m_numbers[0]->display(qMin(m_numbers[0]->intValue() + saved, 10000));
    if (failed)
        messages().box(QStringLiteral("提示"), QStringLiteral("录入试题后出现异常!"), MsgIcon::Warning,
                       MsgButtons::Ok);
}

void TFrmkmmc::done(int result) {
    DM1->Cn1Table_kmmc.close();
    DM1->Cn1Query1.close();
    QDialog::done(result);
}
