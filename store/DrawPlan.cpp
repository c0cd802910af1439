#include "store/DrawPlan.h"

namespace store {

const QList<DrawShare>& DrawPlan() {
    static const QList<DrawShare> plan{
        {1, 61, "3", 30},  {1, 65, "3", 40},  {1, 66, "3", 20},

        {2, 61, "10", 20}, {2, 61, "11", 17}, {2, 61, "04", 13}, {2, 62, "10", 12}, {2, 62, "11", 11},
        {2, 62, "04", 7},  {2, 65, "10", 8},  {2, 65, "11", 7},  {2, 65, "04", 5},

        {3, 61, "05", 23}, {3, 61, "08", 10}, {3, 61, "07", 17}, {3, 62, "05", 14}, {3, 62, "08", 6},
        {3, 62, "07", 10}, {3, 65, "05", 8},  {3, 65, "08", 4},  {3, 65, "07", 8},

        {4, 70, "10", 2},  {4, 70, "11", 2},  {4, 70, "05", 2},  {4, 70, "08", 1},  {4, 70, "07", 2},
        {4, 70, "04", 1},

        {5, 64, "05", 6},
    };
    return plan;
}

QList<DrawShare> DrawShares(int kind) {
    QList<DrawShare> out;
    for (const DrawShare& s : DrawPlan())
        if (s.kind == kind)
            out.push_back(s);
    return out;
}

int DrawTotal(int kind, int type) {
    int n = 0;
    for (const DrawShare& s : DrawPlan())
        if (s.kind == kind && s.type == type)
            n += s.count;
    return n;
}

int PaperQuestionCount(int kind) {
    int n = 0;
    for (const DrawShare& s : DrawPlan())
        if (s.kind == kind)
            n += s.count;
    return n;
}

QList<int> DrawTypes(int kind) {
    QList<int> out;
    for (const DrawShare& s : DrawPlan())
        if (s.kind == kind && !out.contains(s.type))
            out.push_back(s.type);
    return out;
}

QString ChapterClause(int kind) {
    // The prefixes in the order the kind's shares first name them.
    QStringList prefixes;
    for (const DrawShare& s : DrawPlan()) {
        const QString p = QString::fromLatin1(s.prefix);
        if (s.kind == kind && !prefixes.contains(p))
            prefixes.push_back(p);
    }
    QStringList terms;
    for (const QString& p : prefixes)
        terms.push_back(QStringLiteral("Left(A10,%1) = '%2'").arg(p.size()).arg(p));
    return u'(' + terms.join(QLatin1String(" or ")) + QStringLiteral(") and");
}

} // namespace store
