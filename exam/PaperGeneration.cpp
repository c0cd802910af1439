#include "exam/PaperGeneration.h"

#include "exam/PaperRandom.h"
#include "store/Clock.h"
#include "store/DrawPlan.h"
#include "store/Schema.h"
#include "store/dm.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

QString PaperKindTitle(int kind) {
    static const char* const titles[] = {"办公软件应用专项模拟卷", "网络与安全综合模拟卷",
                                         "信息技术基础综合模拟卷", "判断题快速自测卷",
                                         "计算机系统案例专项卷"};
    if (kind < 1 || kind > 5)
        kind = 1;
    return QString::fromUtf8(titles[kind - 1]);
}

QString PaperTitle(const QDate& day, int kind, int number) {
    return day.toString(QStringLiteral("yyyy年MM月dd日")) + PaperKindTitle(kind) + u'[' +
           QString::number(number) + u']';
}

PaperSlot NextPaperSlot(TDM1& dm) {
    const store::QueryResult r =
        dm.ADOCn1.query(QStringLiteral("select A1, A3_1 from tab_cj order by A3_1 desc"));
    PaperSlot slot;
    if (r.rows.isEmpty()) {
        slot.name = QStringLiteral("tab_exam1");
        return slot;
    }
    slot.number = int(r.rows.first().value(1).toLongLong()) + 1;
    bool ok = false;
    int n = r.rows.first().value(0).toString().trimmed().mid(8).toInt(&ok) + 1;
    if (!ok || n < 1)
        n = 1;
    // Another archive row may already hold the next name (rows numbered out of order); its table
    // belongs to that paper and must not be dropped as a leftover.
    QSet<QString> taken;
    for (const auto& row : r.rows)
        taken.insert(row.value(0).toString().trimmed().toLower());
    while (taken.contains(QStringLiteral("tab_exam%1").arg(n)))
        ++n;
    slot.name = QStringLiteral("tab_exam%1").arg(n);
    return slot;
}

QStringList DrawFromCandidates(QStringList candidates, int count, RandomSource& random) {
    if (count <= 0)
        return {};
    if (candidates.size() <= count)
        return candidates;
    // The first count places of a shuffle: each pick comes from the candidates not picked yet.
    for (int i = 0; i < count; ++i) {
        const int j = i + int(random.below(quint32(candidates.size() - i)));
        candidates.swapItemsAt(i, j);
    }
    candidates.resize(count);
    return candidates;
}

void CreatePaperTable(TDM1& dm, const QString& name) {
    try {
        if (dm.ADOCn1.hasTable(name))
            dm.ADOCn1.dropTable(name);
        dm.ADOCn1.execute(store::PaperTableStatement(name));
        dm.AllowEmptyText(name);
    } catch (const store::DbError&) {
        throw PaperFailure{QString::fromUtf8(TableFailureText)};
    }
}

int PaperComposition::planned() const {
    int n = 0;
    for (const ShareResult& s : shares)
        n += s.planned;
    return n;
}

int PaperComposition::drawn() const {
    int n = 0;
    for (const ShareResult& s : shares)
        n += s.drawn;
    return n;
}

QList<ShareResult> PaperComposition::shortShares() const {
    QList<ShareResult> out;
    for (const ShareResult& s : shares)
        if (s.candidates < s.planned)
            out.push_back(s);
    return out;
}

namespace {

// The chapter codes that begin with prefix, as a range the chapter index can serve.
QPair<QString, QString> prefixRange(const QString& prefix) {
    QString upper = prefix;
    upper[upper.size() - 1] = QChar(upper.back().unicode() + 1);
    return {prefix, upper};
}

struct Candidate {
    QString id;
    int type;
    QString chapter;
};

} // namespace

PaperComposition ComposePaper(TDM1& dm, int kind, const QString& table, RandomSource& random) {
    if (kind < 1 || kind > store::PaperKindCount)
        kind = 1;
    const QList<store::DrawShare> plan = store::DrawShares(kind);
    PaperComposition paper;
    try {
        // Every candidate of the kind in one read: the shares then pick from memory.
        QStringList ranges;
        QVariantList params;
        QStringList prefixes;
        for (const store::DrawShare& s : plan) {
            const QString p = QString::fromLatin1(s.prefix);
            if (prefixes.contains(p))
                continue;
            prefixes << p;
            const auto [low, high] = prefixRange(p);
            ranges << QStringLiteral("(A10 >= ? and A10 < ?)");
            params << low << high;
        }
        const store::QueryResult found =
            dm.ADOCn1.query(QStringLiteral("select A1, A13, A10 from tab_answ where (") +
                                ranges.join(QLatin1String(" or ")) + QStringLiteral(") and (f1 <> 1)"),
                            params);
        if (found.rows.isEmpty())
            throw PaperFailure{QString::fromUtf8(NoQuestionsText)};
        QHash<int, QList<Candidate>> byType;
        for (const auto& row : found.rows)
            byType[int(row[1].toLongLong())].push_back(
                {row[0].toString(), int(row[1].toLongLong()), row[2].toString()});

        const store::QueryResult types =
            dm.ADOCn1.query(QStringLiteral("select A1, B2 from ") + store::TypeTableName(kind) +
                            QStringLiteral(" order by A1"));
        QVariantList drawn;
        for (const auto& typeRow : types.rows) {
            if (typeRow[1].toLongLong() <= 0)
                continue;
            const int type = int(typeRow[0].toLongLong());
            for (const store::DrawShare& s : plan) {
                if (s.type != type)
                    continue;
                const QString prefix = QString::fromLatin1(s.prefix);
                QStringList ids;
                for (const Candidate& c : std::as_const(byType[type]))
                    if (c.chapter.startsWith(prefix))
                        ids << c.id;
                const QStringList picks = DrawFromCandidates(ids, s.count, random);
                paper.shares.push_back({type, prefix, s.count, int(ids.size()), int(picks.size())});
                for (const QString& id : picks)
                    drawn << id;
            }
        }
        if (!drawn.isEmpty()) {
            const QString marks = QStringLiteral("?,").repeated(drawn.size()).chopped(1);
            dm.ADOCn1.execute(
                QStringLiteral("insert into ") + table +
                    QStringLiteral("(a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,a13,a14,e1,e2,"
                                   "e2_1,E3,E4,JX,CSBS,F1)") +
                    QStringLiteral(" Select a.a1 as a1,a2,a2_1,k3,k4,k5,k6,k7,k8,k9,k10,k11,k12,a10,"
                                   "a13,a14,e1,e2,e2_1,e3,e4,b.jx as jx,a.csbs as csbs,a.f1 as f1 ") +
                    QStringLiteral(" from tab_answ a,tab_exer b where a.a1=b.a1 and (a.a1 in (") + marks +
                    QStringLiteral("))"),
                drawn);
        }
        // The answers copied from the bank belong to practice: cleared here, inside the paper's own
        // transaction, so that opening the new paper has nothing left to write.
        dm.ADOCn1.execute(QStringLiteral("update ") + table +
                          QStringLiteral(" set E2_1='' where E2_1 is null or E2_1<>''"));
        paper.rows = dm.ADOCn1.scalar(QStringLiteral("select count(*) from ") + table).toInt();
    } catch (const store::DbError&) {
        throw PaperFailure{QString::fromUtf8(DrawFailureText)};
    }
    return paper;
}

void WriteArchiveRow(TDM1& dm, const PaperSlot& slot, const QString& title) {
    store::DataSet& cj = dm.Cn1Table_cj;
    if (!cj.active())
        cj.open();
    cj.append();
    cj.setValue(QStringLiteral("A1"), slot.name);
    cj.setValue(QStringLiteral("A3"), title);
    cj.setValue(QStringLiteral("A3_1"), slot.number);
    cj.setValue(QStringLiteral("D1"), store::clock().today());
    cj.post();
}

QString ShortPaperNotice(const PaperComposition& paper) {
    if (paper.rows >= paper.planned())
        return QString();
    return QStringLiteral("题库中可供抽取的题目不足，已抽取全部可用题目：本试卷共%1道题（按计划应为%2道）。")
        .arg(paper.rows)
        .arg(paper.planned());
}

bool IsPaperTableName(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^tab_exam[0-9]{1,9}$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern.match(name).hasMatch();
}
