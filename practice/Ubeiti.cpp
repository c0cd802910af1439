#include "practice/Ubeiti.h"

#include "practice/Marking.h"
#include "richtext/RichText.h"
#include "store/Schema.h"
#include "store/dm.h"
#include "ui/AppState.h"
#include "ui/Helpers.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

// "A、C" for choices, "正确"/"错误" for a judgement, the model answer's place for the self-assessed types.
QString keyText(int type, const QString& key) {
    if (IsAnswerHiddenType(type))
        return QStringLiteral("（参考答案见解析）");
    if (type == 70)
        return key == u"A" ? QStringLiteral("正确") : key == u"B" ? QStringLiteral("错误") : key;
    QStringList letters;
    for (QChar c : key)
        letters << QString(c);
    return letters.join(u'、');
}

QTextBrowser* pane(QWidget* parent, const QString& name) {
    auto* b = new QTextBrowser(parent);
    b->setObjectName(name);
    b->setOpenLinks(false);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

TFrmBeiti::TFrmBeiti(const QStringList& ids, int start, QWidget* parent) : QDialog(parent), m_ids(ids) {
    setObjectName(QStringLiteral("FrmBeiti"));
    setWindowTitle(QStringLiteral("背题"));
    const bool small = ScreenMode == u"800";
    resize(small ? QSize(760, 500) : QSize(900, 640));
    // The texts in the size the practice shows them.
    setStyleSheet(QStringLiteral("QTextBrowser { font-size: %1px; padding: 4px; }").arg(small ? 15 : 16));
    auto* root = new QVBoxLayout(this);
    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("Heading"));
    m_heading->setStyleSheet(QStringLiteral("font-weight: bold; color: #1c5fae;"));
    root->addWidget(m_heading);
    m_shared = pane(this, QStringLiteral("SharedStem"));
    root->addWidget(m_shared, 2);
    m_stem = pane(this, QStringLiteral("Stem"));
    root->addWidget(m_stem, 3);
    m_key = new QLabel(this);
    m_key->setObjectName(QStringLiteral("Key"));
    m_key->setStyleSheet(QStringLiteral("font-weight: bold; color: #1e7e34;"));
    m_key->setTextInteractionFlags(Qt::TextSelectableByMouse);
    root->addWidget(m_key);
    m_explanation = pane(this, QStringLiteral("Explanation"));
    root->addWidget(m_explanation, 3);
    m_points = new QLabel(this);
    m_points->setObjectName(QStringLiteral("Points"));
    m_points->setWordWrap(true);
    root->addWidget(m_points);
    auto* buttons = new QHBoxLayout;
    auto* note = new QLabel(QStringLiteral("背题时不判分，也不计入学习记录。"), this);
    note->setStyleSheet(QStringLiteral("color: #5d6d7e;"));
    buttons->addWidget(note, 1);
    m_prev = new QPushButton(QStringLiteral("上一题"), this);
    m_prev->setObjectName(QStringLiteral("Previous"));
    m_next = new QPushButton(QStringLiteral("下一题"), this);
    m_next->setObjectName(QStringLiteral("Next"));
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("Close"));
    for (QPushButton* b : {m_prev, m_next, close}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);
    connect(m_prev, &QPushButton::clicked, this, [this] { ShowQuestion(m_current - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { ShowQuestion(m_current + 1); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    ShowQuestion(qBound(0, start, int(m_ids.size()) - 1));
    CentreOnDesktop(this);
}

void TFrmBeiti::ShowQuestion(int index) {
    if (index < 0 || index >= m_ids.size())
        return;
    m_current = index;
    const QString id = m_ids[index];
    Guarded(QStringLiteral("无法打开试题！"), [&] {
        store::Database& db = DM1->ADOCn1;
        const store::QueryResult q = db.query(
            QStringLiteral("select A2, A13, K3, K4, K5, K6, K7, K8, K9, K10, K11, K12 from tab_answ where A1=:A1"),
            {id});
        const store::QueryResult c = db.query(QStringLiteral("select A15, jx from tab_exer where A1=:A1"), {id});
        const int type = q.rows.isEmpty() ? 0 : q.rows[0][1].toInt();
        const QString typeName =
            db.scalar(QStringLiteral("select B1 from ") + store::TypeTableName(PaperKind == 0 ? 1 : PaperKind) +
                          QStringLiteral(" where A1=:A1"),
                      {type})
                .toString()
                .trimmed();
        m_heading->setText(QStringLiteral("第%1题（共%2题）%3").arg(index + 1).arg(m_ids.size()).arg(
            typeName.isEmpty() ? QString() : QStringLiteral("　") + typeName));
        QByteArray shared;
        if (id.contains(u'-'))
            shared = db.scalar(QStringLiteral("select A15 from tab_title where A1=:A1"), {id.left(16)}).toByteArray();
        m_shared->setVisible(!shared.isEmpty());
        richtext::readRtf(shared, m_shared->document());
        richtext::readRtf(c.rows.isEmpty() ? QByteArray() : c.rows[0][0].toByteArray(), m_stem->document());
        richtext::readRtf(c.rows.isEmpty() ? QByteArray() : c.rows[0][1].toByteArray(), m_explanation->document());
        m_key->setText(QStringLiteral("答案：") + (q.rows.isEmpty() ? QString() : keyText(type, q.rows[0][0].toString())));
        QStringList titles;
        for (int k = 2; !q.rows.isEmpty() && k < 12; ++k) {
            const QString ftid = q.rows[0][k].toString().trimmed();
            if (ftid.isEmpty())
                continue;
            const QString title =
                db.scalar(QStringLiteral("select sn from tab_rule where ftid=:ftid"), {ftid}).toString().trimmed();
            titles << (title.isEmpty() ? ftid : title);
        }
        m_points->setText(QStringLiteral("考点：") + (titles.isEmpty() ? QStringLiteral("无") : titles.join(QStringLiteral("；"))));
    });
    m_prev->setEnabled(index > 0);
    m_next->setEnabled(index + 1 < m_ids.size());
}

QString TFrmBeiti::Heading() const {
    return m_heading->text();
}
QString TFrmBeiti::KeyText() const {
    return m_key->text();
}
QString TFrmBeiti::PointsText() const {
    return m_points->text();
}
QString TFrmBeiti::StemText() const {
    return m_stem->toPlainText();
}
QString TFrmBeiti::ExplanationText() const {
    return m_explanation->toPlainText();
}

void TFrmBeiti::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ShowQuestion(m_current + 1);
        return;
    case Qt::Key_Left:
    case Qt::Key_Backspace:
        ShowQuestion(m_current - 1);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
