#include "reference/UanswFagui.h"

#include "richtext/RichText.h"
#include "store/Database.h"
#include "store/JetSql.h"
#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/Helpers.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <exception>

namespace {

int columnOf(const store::QueryResult& r, const char* name) {
    for (qsizetype c = 0; c < r.columns.size(); ++c)
        if (r.columns[c].compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return int(c);
    return -1;
}

// A field of the first row as text; empty when there is no row or no such column.
QString firstText(const store::QueryResult& r, const char* name) {
    const int c = columnOf(r, name);
    if (c < 0 || r.rows.isEmpty())
        return QString();
    const QVariant& v = r.rows.first()[c];
    return v.typeId() == QMetaType::QByteArray ? QString::fromUtf8(v.toByteArray()) : v.toString();
}

QByteArray blobOf(const QVariant& v) {
    if (v.typeId() == QMetaType::QByteArray)
        return v.toByteArray();
    return v.isNull() ? QByteArray() : v.toString().toUtf8();
}

} // namespace

TfrmAnswFagui::TfrmAnswFagui(QWidget* parent, store::Database* db)
    : QDialog(parent), m_db(db ? db : (DM1 ? &DM1->ADOCn1 : nullptr)) {
    setObjectName(QStringLiteral("frmAnswFagui"));
    setWindowTitle(QStringLiteral("相关考点"));

    epLabel1 = new QLabel(QStringLiteral("考点："), this);
    epLabel1->setObjectName(QStringLiteral("epLabel1"));
    epLabel1->setTextFormat(Qt::PlainText);
    QFont headingFont = epLabel1->font();
    headingFont.setBold(true);
    epLabel1->setFont(headingFont);

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setChildrenCollapsible(false);
    ListBox1 = new QListWidget(Splitter1);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    Re = new QTextBrowser(Splitter1);
    Re->setObjectName(QStringLiteral("Re"));
    Re->setReadOnly(true);
    Re->setOpenLinks(false);
    Splitter1->addWidget(ListBox1);
    Splitter1->addWidget(Re);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);

    CloseButton = new QPushButton(QStringLiteral("关  闭"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    connect(CloseButton, &QPushButton::clicked, this, &TfrmAnswFagui::closeAndReturn);
    // Keyboard and mouse alike: the viewer follows the selected title.
    connect(ListBox1, &QListWidget::currentRowChanged, this, &TfrmAnswFagui::ListBox1Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(epLabel1);
    layout->addWidget(Splitter1, 1);
    layout->addLayout(buttons);

    const bool small = ScreenMode == QLatin1String("800");
    resize(small ? QSize(620, 420) : QSize(780, 540));
    Splitter1->setSizes(small ? QList<int>{180, 420} : QList<int>{220, 540});
}

bool TfrmAnswFagui::LoadRelatedPoints(const QString& questionId) {
    m_ftids.clear();
    if (!m_db)
        return false;
    const store::QueryResult r =
        m_db->query(QStringLiteral("select k3,k4,k5,k6,k7,k8,k9,k10,k11,k12 from tab_answ where a1=") +
                    store::quoted(questionId));
    if (r.rows.isEmpty())
        return false;
    for (const QVariant& v : r.rows.first()) {
        if (v.isNull())
            continue;
        const QString id = v.toString();
        if (!id.isEmpty())
            m_ftids << id;
    }
    if (m_ftids.isEmpty())
        return false;
    fillPoints();
    return true;
}

void TfrmAnswFagui::fillPoints() {
    QStringList members;
    for (const QString& id : m_ftids)
        members << store::quoted(id);
    const store::QueryResult points = m_db->query(
        QStringLiteral("select id,n,sn from tab_rule where ftid in") + u'(' + members.join(u',') + u')');
    const int idCol = columnOf(points, "id");
    const int textCol = columnOf(points, "n");
    const int titleCol = columnOf(points, "sn");

    m_filling = true;
    ListBox1->clear();
    m_texts.clear();
    for (const QVector<QVariant>& row : points.rows) {
        ListBox1->addItem(row[titleCol].toString());
        m_texts << row[textCol];
    }
    const QString firstSection = points.rows.isEmpty() ? QString() : points.rows.first()[idCol].toString();
    epLabel1->setText(headingOf(firstSection));
    if (ListBox1->count() > 0)
        ListBox1->setCurrentRow(0);
    m_filling = false;
    showPoint(ListBox1->count() > 0 ? 0 : -1);
}

void TfrmAnswFagui::ListBox1Click(int row) {
    if (m_filling || row < 0)
        return;
    showPoint(row);
    // The heading comes from the first point with this title, which for a title used twice may be
    // another point's heading.
    try {
        const store::QueryResult rule = m_db->query(QStringLiteral("select * from tab_rule where sn=") +
                                                    store::quoted(ListBox1->item(row)->text()));
        epLabel1->setText(headingOf(firstText(rule, "id")));
    } catch (const std::exception&) {
        // Nothing may leave a selection handler; the text still shows, only its heading is missing.
        epLabel1->clear();
    }
}

void TfrmAnswFagui::showPoint(int row) {
    m_current = row;
    if (row < 0 || row >= m_texts.size()) {
        Re->clear();
        return;
    }
    richtext::readRtf(blobOf(m_texts[row]), Re->document());
}

QString TfrmAnswFagui::headingOf(const QString& sectionId) {
    return firstText(
        m_db->query(QStringLiteral("select * from tab_fgmc where id=") + store::quoted(sectionId)), "n");
}

void TfrmAnswFagui::closeAndReturn() {
    if (QWidget* caller = parentWidget()) {
        caller->window()->raise();
        caller->window()->activateWindow();
    }
    accept();
}
