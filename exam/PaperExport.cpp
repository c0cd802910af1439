#include "exam/PaperExport.h"

#include "exam/ExamMarking.h"
#include "exam/PaperGeneration.h"
#include "export/ExportFlow.h"
#include "platform/Desktop.h"
#include "practice/Marking.h"
#include "richtext/RichText.h"
#include "store/Schema.h"
#include "store/dm.h"
#include "ui/FileDialogs.h"
#include "ui/Helpers.h"
#include "ui/Services.h"
#include "ui/Uprogress.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <exception>

QString ChineseOrdinal(int section) {
    static const char* const ordinals[] = {"一、", "二、", "三、", "四、", "五、"};
    return section >= 1 && section <= 5 ? QString::fromUtf8(ordinals[section - 1]) : QStringLiteral("--");
}

QString SectionHeading(int section, const QString& typeName, qint64 count, double score) {
    return ChineseOrdinal(section) + typeName + QStringLiteral("[共") + QString::number(count) +
           QStringLiteral("题，每题") + ShortNumber(score) + QStringLiteral("分，总计") +
           ShortNumber(double(count) * score) + QStringLiteral("分]");
}

namespace {

// The word processor's few operations, on a cursor: typing runs in the document's plain format,
// ending a paragraph, pasting rich text, and a page break.
class Typist {
public:
    explicit Typist(QTextDocument* doc) : m_cursor(doc) {}

    void text(const QString& text, bool bold = false, double pointSize = 0) {
        QTextCharFormat f;
        if (bold)
            f.setFontWeight(QFont::Bold);
        if (pointSize > 0)
            f.setFontPointSize(pointSize);
        m_cursor.insertText(text, f);
    }
    void paragraph() { m_cursor.insertBlock(QTextBlockFormat(), QTextCharFormat()); }
    void paste(const QByteArray& richText) {
        if (!richText.isEmpty())
            richtext::insertRtf(m_cursor, richText);
    }
    // The paragraph being typed starts a new page.
    void pageBreak() {
        QTextBlockFormat f = m_cursor.blockFormat();
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        m_cursor.setBlockFormat(f);
    }
    void headingLevel(int level) {
        QTextBlockFormat f = m_cursor.blockFormat();
        f.setHeadingLevel(level);
        if (level == 1)
            f.setAlignment(Qt::AlignHCenter);
        m_cursor.setBlockFormat(f);
    }
    QTextCursor& cursor() { return m_cursor; }

private:
    QTextCursor m_cursor;
};

struct TypeRow {
    QString name;
    qint64 count = 0;
    double score = 0;
};

struct PaperRow {
    QString id;
    QString key;
    int type = 0;
    QByteArray explanation;
    QStringList points;
};

QList<PaperRow> readRows(TDM1& dm, const QString& table) {
    QString columns = QStringLiteral("A1, A2, A13, jx");
    for (int k = 3; k <= 12; ++k)
        columns += QStringLiteral(", K%1").arg(k);
    const store::QueryResult r =
        dm.ADOCn1.query(QStringLiteral("select ") + columns + QStringLiteral(" from ") + table +
                        QStringLiteral(" order by A13,A1"));
    QList<PaperRow> rows;
    for (const auto& v : r.rows) {
        PaperRow row{v[0].toString(), v[1].toString(), int(v[2].toLongLong()), v[3].toByteArray(), {}};
        for (int k = 4; k < 14; ++k)
            row.points << v[k].toString().trimmed();
        rows.push_back(row);
    }
    return rows;
}

QByteArray blob(TDM1& dm, const QString& sql, const QString& key) {
    return dm.ADOCn1.scalar(sql, {key}).toByteArray();
}

// The answer line of a question as its answer page shows it; none for the pages that have no key to give.
QString AnswerText(int page, const QString& key) {
    switch (page) {
    case 0:
    case 1:
    case 2:
    case 5:
        return key;
    case 3:
        return key == u"A" ? QStringLiteral("正确") : key == u"B" ? QStringLiteral("错误") : key;
    default:
        return QString();
    }
}

} // namespace

void BuildPaperDocument(TDM1& dm, const QString& table, const QString& title, int kind, QTextDocument* doc) {
    if (!IsPaperTableName(table))
        throw store::DbError(QStringLiteral("not a paper table: ") + table);
    QHash<int, TypeRow> types;
    for (const auto& v :
         dm.ADOCn1.query(QStringLiteral("select A1, B1, B2, B3 from ") + store::TypeTableName(kind)).rows)
        types.insert(int(v[0].toLongLong()), {v[1].toString().trimmed(), v[2].toLongLong(), v[3].toDouble()});
    const QList<PaperRow> rows = readRows(dm, table);

    doc->clear();
    UseChineseDocumentFont(doc);
    Typist t(doc);
    t.cursor().beginEditBlock();
    t.headingLevel(1);
    t.text(title, true, 16);
    for (int i = 0; i < 3; ++i)
        t.paragraph();

    // Rows come ordered by type: a section starts wherever the type changes.
    int section = 0;
    for (int n = 1; n <= rows.size(); ++n) {
        const PaperRow& row = rows[n - 1];
        if (n == 1 || rows[n - 2].type != row.type) {
            const auto it = types.constFind(row.type);
            const TypeRow type = it != types.constEnd() ? *it : TypeRow{QStringLiteral("未知题型"), 0, 0};
            t.headingLevel(2);
            t.text(SectionHeading(++section, type.name, type.count, type.score), true, 13);
            t.paragraph();
        }
        if (row.id.contains(u'-')) {
            t.paste(blob(dm, QStringLiteral("select a15 from tab_title where a1=?"), row.id.left(16)));
            t.paragraph();
        }
        t.text(QString::number(n) + u'、');
        t.paste(blob(dm, QStringLiteral("select a15 from tab_exer where a1=?"), row.id));
        t.paragraph();
    }

    t.pageBreak();
    t.headingLevel(2);
    t.text(QStringLiteral("答案："), true, 13);
    for (int i = 0; i < 3; ++i)
        t.paragraph();

    for (int n = 1; n <= rows.size(); ++n) {
        const PaperRow& row = rows[n - 1];
        t.text(QStringLiteral("第") + QString::number(n) + u'题', true);
        t.paragraph();
        const int page = AnswerPageForQuestion(row.type, types.value(row.type).name, row.key);
        if (const QString answer = AnswerText(page, row.key); !answer.isEmpty()) {
            t.text(QStringLiteral("试题答案：") + answer);
            t.paragraph();
        }
        if (!row.explanation.isEmpty()) {
            t.text(QStringLiteral("试题解析："));
            t.paragraph();
            t.paste(row.explanation);
            t.paragraph();
        }
        if (!row.points.first().isEmpty()) {
            t.text(QStringLiteral("考点："));
            t.paragraph();
            for (const QString& code : row.points) {
                if (code.isEmpty())
                    continue;
                // The point's catalogue section is named by the first six characters of its code.
                const store::QueryResult rule =
                    dm.ADOCn1.query(QStringLiteral("select sn, n from tab_rule where ftid=?"), {code});
                const QString name = rule.rows.isEmpty() ? QString() : rule.rows[0][0].toString();
                const QVariant catalogue =
                    dm.ADOCn1.scalar(QStringLiteral("select n from tab_fgmc where id=?"), {code.left(6)});
                t.text((catalogue.isNull() ? QString() : catalogue.toString() + u' ') + name + u'；');
                t.paragraph();
                t.paste(rule.rows.isEmpty() ? QByteArray() : rule.rows[0][1].toByteArray());
                t.paragraph();
            }
        }
    }
    t.cursor().endEditBlock();
}

docx::Options PaperDocumentOptions(const QString& title) {
    return DocumentOptions(title);
}

QString ExportPaper(QWidget* parent, const QString& table, const QString& title, int kind) {
    return ExportDocument(parent, title,
                          {QStringLiteral("正在导出试卷，请等待..."), QStringLiteral("导出试题发生错误，请退出后重试！")},
                          [&](QTextDocument* doc) { BuildPaperDocument(*DM1, table, title, kind, doc); });
}
