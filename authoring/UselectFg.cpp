#include "authoring/UselectFg.h"

#include "authoring/QuestionRules.h"
#include "store/Database.h"
#include "store/JetSql.h"
#include "store/dm.h"
#include "ui/Helpers.h"
#include "ui/Services.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setPointSizeF(f.pointSizeF() * 1.4);
    f.setBold(true);
    label->setFont(f);
    label->setAlignment(Qt::AlignCenter);
    return label;
}
} // namespace

TFrmSelectFG::TFrmSelectFG(QWidget* parent, store::Database* db)
    : QDialog(parent), m_db(db ? db : &DM1->ADOCn1) {
    setObjectName(QStringLiteral("FrmSelectFG"));
    setWindowTitle(QStringLiteral("欢迎"));
    // No close box: each page closes with its own button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    resize(560, 460);

    auto* root = new QVBoxLayout(this);
    Pages = new QStackedWidget(this);
    root->addWidget(Pages);

    auto* select = new QWidget(Pages);
    auto* sl = new QVBoxLayout(select);
    sl->addWidget(heading(QStringLiteral("考 点 选 择"), select));
    auto* form = new QFormLayout;
    ComboBox1 = new QComboBox(select);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(false);
    form->addRow(QStringLiteral("考点："), ComboBox1);
    CheckListBox1 = new QListWidget(select);
    CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
    form->addRow(QStringLiteral("条文："), CheckListBox1);
    sl->addLayout(form, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    OkButton = new QPushButton(QStringLiteral("确定"), select);
    OkButton->setObjectName(QStringLiteral("Ok"));
    CloseButton = new QPushButton(QStringLiteral("关闭"), select);
    CloseButton->setObjectName(QStringLiteral("Close"));
    for (QPushButton* b : {OkButton, CloseButton}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    sl->addLayout(buttons);
    Pages->addWidget(select);

    auto* help = new QWidget(Pages);
    auto* hl = new QVBoxLayout(help);
    hl->addWidget(heading(QStringLiteral("使 用 说 明"), help));
    HelpText = new QPlainTextEdit(help);
    HelpText->setObjectName(QStringLiteral("HelpText"));
    HelpText->setReadOnly(true);
    HelpText->setPlainText(HelpLines().join(u'\n'));
    hl->addWidget(HelpText, 1);
    auto* hb = new QHBoxLayout;
    hb->addStretch();
    HelpCloseButton = new QPushButton(QStringLiteral("关闭"), help);
    HelpCloseButton->setObjectName(QStringLiteral("HelpClose"));
    HelpCloseButton->setAutoDefault(false);
    hb->addWidget(HelpCloseButton);
    hl->addLayout(hb);
    Pages->addWidget(help);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_filling)
            Guarded(QStringLiteral("无法读取考点！"), [&] { HeadingChanged(index); });
    });
    connect(CheckListBox1, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { PointTicked(item); });
    connect(OkButton, &QPushButton::clicked, this, [this] { Confirm(); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpCloseButton, &QPushButton::clicked, this, &QDialog::reject);
}

QStringList TFrmSelectFG::HelpLines() {
    return {QStringLiteral("使用方法如下："),
            QString(),
            QStringLiteral("   首先将试题的内容填写在试题内容框内，这是必须填写项，如果试题有对应的"),
            QStringLiteral("讲解，请把内容填写进解析框内。"),
            QString(),
            QStringLiteral("   然后选择或录入待选答案的个数，主要是选择题，例如试题："),
            QString(),
            QStringLiteral("   7月有几天？"),
            QStringLiteral("   A. 30"),
            QStringLiteral("   B. 28"),
            QStringLiteral("   C. 31"),
            QStringLiteral("   "),
            QStringLiteral("   这里的待选答案是A B C，共为3个，也就是我们这里的待选答案个数为3。"),
            QStringLiteral("   "),
            QStringLiteral("   接下来填入答案："),
            QStringLiteral("   如果是单选，例如上面的试题，就填写C；"),
            QStringLiteral("   如果是多选把答案直接填入框内。例如答案是ABD那么答案框内就写ABD；"),
            QStringLiteral("   如果是判断题则答案正确填写A，答案错误填写B；"),
            QStringLiteral("   如果试题是主观题，则把实际答案同解析内容一起填入解析栏中。答案框中自"),
            QStringLiteral("动填写1；"),
            QString()};
}

void TFrmSelectFG::ShowPage(Page page) {
    Pages->setCurrentIndex(page);
}

void TFrmSelectFG::SetAsking(Caller caller, const QStringList* askingPoints, int alreadyListed) {
    m_caller = caller;
    m_asking = askingPoints;
    m_alreadyListed = alreadyListed;
}

bool TFrmSelectFG::carried(const QString& ftid) const {
    if (!m_asking)
        return false;
    for (const QString& f : *m_asking)
        if (f.compare(ftid, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void TFrmSelectFG::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnDesktop(this);
    if (!m_loaded && Pages->currentIndex() == SelectionPage) {
        m_loaded = true;
        Guarded(QStringLiteral("无法读取考点！"), [this] { LoadHeadings(); });
    }
}

void TFrmSelectFG::LoadHeadings() {
    const store::QueryResult r =
        m_db->query(QStringLiteral("select * from tab_fgmc where len(id) = 6 or len(id)=2"));
    const int idColumn = int(r.columns.indexOf(QStringLiteral("id")));
    const int nColumn = int(r.columns.indexOf(QStringLiteral("n")));
    m_filling = true;
    ComboBox1->clear();
    m_headingIds.clear();
    for (const auto& row : r.rows) {
        ComboBox1->addItem(row.value(nColumn).toString());
        m_headingIds << row.value(idColumn).toString();
    }
    ComboBox1->setCurrentIndex(m_headingIds.isEmpty() ? -1 : 0);
    m_filling = false;
    FillPoints(m_headingIds.value(0), false);
}

void TFrmSelectFG::FillPoints(const QString& headingId, bool preTick) {
    m_filling = true;
    CheckListBox1->clear();
    m_pointIds.clear();
    m_userTicks.clear();
    if (!headingId.isEmpty()) {
        const store::QueryResult r =
            m_db->query(QStringLiteral("select * from tab_rule where id = ") + store::quoted(headingId));
        const int ftidColumn = int(r.columns.indexOf(QStringLiteral("ftid")));
        const int snColumn = int(r.columns.indexOf(QStringLiteral("sn")));
        for (const auto& row : r.rows) {
            const QString ftid = row.value(ftidColumn).toString();
            auto* item = new QListWidgetItem(row.value(snColumn).toString(), CheckListBox1);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            // Points the question carries show ticked; the learner's own ticks are kept apart.
            item->setCheckState(preTick && carried(ftid) ? Qt::Checked : Qt::Unchecked);
            m_pointIds << ftid;
            m_userTicks << false;
        }
    }
    if (CheckListBox1->count() > 0)
        CheckListBox1->setCurrentRow(0);
    m_filling = false;
}

void TFrmSelectFG::ChooseHeading(int index) {
    ComboBox1->setCurrentIndex(index);
}

void TFrmSelectFG::HeadingChanged(int index) {
    if (index < 0 || index >= m_headingIds.size())
        return;
    FillPoints(m_headingIds[index], true);
}

void TFrmSelectFG::PointTicked(QListWidgetItem* item) {
    if (m_filling)
        return;
    const int r = CheckListBox1->row(item);
    if (r >= 0 && r < m_userTicks.size())
        m_userTicks[r] = item->checkState() == Qt::Checked;
}

void TFrmSelectFG::Confirm() {
    int ticked = 0;
    int fresh = 0;
    for (int i = 0; i < CheckListBox1->count(); ++i) {
        if (CheckListBox1->item(i)->checkState() != Qt::Checked)
            continue;
        ++ticked;
        if (!carried(m_pointIds.value(i)))
            ++fresh;
    }
    if (ticked == 0) {
        messages().box(QStringLiteral("提示"), QStringLiteral("请选择对应考点，退出请按关闭按钮！"),
                       MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    if (m_alreadyListed + fresh > authoring::MaxPickedPoints) {
        messages().box(QStringLiteral("提示"),
                       QStringLiteral("对应考点最多不能超过7条，已有考点") +
                           QString::number(m_alreadyListed) + QStringLiteral("条！"),
                       MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    accept();
}

QString TFrmSelectFG::ChosenHeading() const {
    return ComboBox1->currentText();
}

QList<TFrmSelectFG::Point> TFrmSelectFG::Points() const {
    QList<Point> points;
    for (int i = 0; i < CheckListBox1->count(); ++i)
        points.push_back({m_pointIds.value(i), CheckListBox1->item(i)->text(), m_userTicks.value(i)});
    return points;
}
