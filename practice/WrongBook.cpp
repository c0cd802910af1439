#include "practice/WrongBook.h"

#include "practice/Marking.h"
#include "richtext/RichText.h"
#include "store/Bookmarks.h"
#include "store/JetSql.h"
#include "store/dm.h"
#include "ui/Helpers.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace wrongbook {

namespace {

// How an answer reads: letters for choices, 正确/错误 for a judgement, self-assessment for the others.
QString AnswerText(int type, const QString& answer) {
    if (answer.isEmpty() || answer == u"zero")
        return QStringLiteral("（未作答）");
    if (IsAnswerHiddenType(type))
        return answer == u"1" ? QStringLiteral("自评：会") : QStringLiteral("自评：不会");
    if (type == 70)
        return answer == u"A" ? QStringLiteral("正确") : answer == u"B" ? QStringLiteral("错误") : answer;
    return answer;
}

void line(QTextCursor& c, const QString& text, bool bold = false, qreal size = 0) {
    QTextCharFormat f;
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    if (size > 0)
        f.setFontPointSize(size);
    c.insertText(text, f);
    c.insertBlock(QTextBlockFormat(), QTextCharFormat());
}

void paste(QTextCursor& c, const QByteArray& blob) {
    if (blob.isEmpty())
        return;
    richtext::insertRtf(c, blob);
    c.insertBlock(QTextBlockFormat(), QTextCharFormat());
}

} // namespace

QList<Entry> ReadEntries(TDM1& dm, const QString& code, Kind kind) {
    store::Database& db = dm.ADOCn1;
    const QString condition = kind == Kind::Wrong ? QStringLiteral("(E4 < 0)") : store::BookmarkedCondition(db);
    const store::QueryResult rows =
        db.query(QStringLiteral("select A1, A13, A2, E2 from tab_answ where left(A10,") + QString::number(code.size()) +
                 QStringLiteral(") = ") + store::quoted(code) + QStringLiteral(" and ") + condition +
                 QStringLiteral(" order by a13,a10,xx,a1"));
    QList<Entry> out;
    for (const auto& r : rows.rows)
        out << Entry{r[0].toString(), r[1].toInt(), r[2].toString().trimmed(), r[3].toString().trimmed()};
    return out;
}

QString Title(Kind kind, const QString& chapterName) {
    return (kind == Kind::Wrong ? QStringLiteral("错题本 — ") : QStringLiteral("收藏题 — ")) + chapterName;
}

int BuildDocument(TDM1& dm, const QString& code, const QString& chapterName, Kind kind, QTextDocument* doc) {
    const QList<Entry> entries = ReadEntries(dm, code, kind);
    doc->clear();
    UseChineseDocumentFont(doc);
    QTextCursor c(doc);
    c.beginEditBlock();
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    centred.setHeadingLevel(1);
    c.setBlockFormat(centred);
    line(c, Title(kind, chapterName), true, 16);
    c.setBlockFormat(QTextBlockFormat());
    line(c, QStringLiteral("共 %1 题").arg(entries.size()));
    store::Database& db = dm.ADOCn1;
    for (int n = 0; n < entries.size(); ++n) {
        const Entry& e = entries[n];
        line(c, QStringLiteral("第%1题").arg(n + 1), true, 12);
        if (e.id.contains(u'-'))
            paste(c, db.scalar(QStringLiteral("select A15 from tab_title where A1=:A1"), {e.id.left(16)}).toByteArray());
        paste(c, db.scalar(QStringLiteral("select A15 from tab_exer where A1=:A1"), {e.id}).toByteArray());
        line(c, QStringLiteral("你的答案：") + AnswerText(e.type, e.lastAnswer));
        line(c, QStringLiteral("正确答案：") +
                    (IsAnswerHiddenType(e.type) ? QStringLiteral("见解析") : AnswerText(e.type, e.key)), true);
        const QByteArray explanation =
            db.scalar(QStringLiteral("select jx from tab_exer where A1=:A1"), {e.id}).toByteArray();
        if (!explanation.isEmpty()) {
            line(c, QStringLiteral("解析："), true);
            paste(c, explanation);
        }
        line(c, QString());
    }
    c.endEditBlock();
    return int(entries.size());
}

} // namespace wrongbook
