#include "tests/exam/ExamBank.h"

#include "store/DrawPlan.h"
#include "store/dm.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <cmath>
#include <memory>

namespace examtest {

namespace {
std::unique_ptr<TDM1> g_dm;

const char* const Types = R"(
# id | name | questions in a paper | score each | minutes
[types 1]
61 | 单项选择题 | 30 | 1 | 1
62 | 案例单选题 | 0 | 2 | 1.5
64 | 案例多选题 | 0 | 2 | 2
65 | 多项选择题 | 40 | 2 | 1.5
66 | 不定项选择题 | 20 | 2 | 2
70 | 判断题 | 0 | 1 | 0.5
[types 2]
61 | 单项选择题 | 50 | 1 | 1
62 | 案例单选题 | 30 | 2 | 1.5
64 | 案例多选题 | 0 | 2 | 2
65 | 多项选择题 | 20 | 2 | 1.5
66 | 不定项选择题 | 0 | 2 | 2
70 | 判断题 | 0 | 1 | 0.5
[types 3]
61 | 单项选择题 | 50 | 1 | 1
62 | 案例单选题 | 30 | 2 | 1.5
64 | 案例多选题 | 0 | 2 | 2
65 | 多项选择题 | 20 | 2 | 1.5
66 | 不定项选择题 | 0 | 2 | 2
70 | 判断题 | 0 | 1 | 0.5
[types 4]
61 | 单项选择题 | 0 | 1 | 1
62 | 案例单选题 | 0 | 2 | 1.5
64 | 案例多选题 | 0 | 2 | 2
65 | 多项选择题 | 0 | 2 | 1.5
66 | 不定项选择题 | 0 | 2 | 2
70 | 判断题 | 10 | 10 | 0.5
[types 5]
61 | 单项选择题 | 0 | 1 | 1
62 | 案例单选题 | 0 | 2 | 1.5
64 | 案例多选题 | 6 | 10 | 2
65 | 多项选择题 | 0 | 2 | 1.5
66 | 不定项选择题 | 0 | 2 | 2
70 | 判断题 | 0 | 1 | 0.5
)";
} // namespace

QString KeyFor(int type, int n) {
    switch (type) {
    case 61:
    case 62:
        return QString(QChar(u'A' + n % 4));
    case 64:
    case 65:
        return n % 2 ? QStringLiteral("AC") : QStringLiteral("BD");
    case 66:
        return n % 2 ? QStringLiteral("B") : QStringLiteral("ABD");
    case 70:
        return n % 2 ? QStringLiteral("A") : QStringLiteral("B");
    default:
        return QStringLiteral("1");
    }
}

QString Content(const QList<Questions>& questions, const QString& extra) {
    QString text = QStringLiteral(R"([product]
title: 考试测试题库
cpbs: TESTPRODUCT
sjbs: TEST-BASE

[plan]
PlanMark: 0
PlanAmount: 10
PlanTime: 30
ExamDate: 2027-05-22
ExamTime: 3600
LeastMark: 0
)") + QString::fromUtf8(Types);
    // Chapter rows for every section named, with their chapter, part and subject.
    QStringList sorted;
    for (const Questions& q : questions)
        for (int n : {1, 2, 4, 6})
            sorted << q.section.left(n);
    sorted.removeDuplicates();
    std::sort(sorted.begin(), sorted.end());
    for (const QString& c : sorted)
        text += QStringLiteral("[chapter %1]\nname: 章节%1\n").arg(c);
    text += QStringLiteral(R"(
[catalogue 1]
name: 科目
[catalogue 10]
name: 网络
[catalogue 100101]
name: 网络要点
[point 100101-001]
title: 要点一
text: |
  要点一的内容
[point 100101-002]
title: 要点二
text: |
  要点二的内容
)");
    QSet<QString> groups;
    for (const Questions& q : questions) {
        for (int i = 1; i <= q.count; ++i) {
            QString id;
            if (q.grouped) {
                const QString group =
                    (q.idStem.isEmpty() ? QStringLiteral("G%1%2").arg(q.type).arg(q.section) : q.idStem)
                        .leftJustified(16, u'0', true);
                if (!groups.contains(group)) {
                    groups.insert(group);
                    text += QStringLiteral("[group %1]\nstem: |\n  共用题干%1\n").arg(group);
                }
                id = group + u'-' + QString::number(i);
            } else {
                id = (q.idStem.isEmpty() ? QStringLiteral("Q%1%2").arg(q.type).arg(q.section) : q.idStem) +
                     QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
            }
            const int options = q.type == 70 ? 2 : 4;
            text += QStringLiteral("[question %1]\nchapter: %2\ntype: %3\noptions: %4\nanswer: %5\n")
                        .arg(id, q.section)
                        .arg(q.type)
                        .arg(options)
                        .arg(KeyFor(q.type, i));
            if (q.section.startsWith(QLatin1String("10")) && i % 3 == 1)
                text += QStringLiteral("points: 100101-001, 100101-002\n");
            text += QStringLiteral("stem: |\n  题目%1\nexplain: |\n  解析%1\n").arg(id);
        }
    }
    return text + extra;
}

QList<Questions> KindQuestions(int kind, double factor) {
    QList<Questions> out;
    for (const store::DrawShare& s : store::DrawShares(kind)) {
        const QString prefix = QString::fromLatin1(s.prefix);
        const QString section =
            prefix.size() == 1 ? prefix + QStringLiteral("00101") : prefix + QStringLiteral("0101");
        out.push_back(
            {section, s.type, int(std::ceil(s.count * factor)), s.type == 62 || s.type == 64, QString()});
    }
    return out;
}

TDM1* OpenBank(const QString& dir, const QString& content) {
    CloseBank();
    QFile::remove(QDir(dir).filePath(QStringLiteral("bank.mdb")));
    g_dm = std::make_unique<TDM1>(testsupport::buildBank(dir, content));
    DM1 = g_dm.get();
    ProgramFolder = qEnvironmentVariable("VQ_SOURCE_DIR") + u'/';
    return g_dm.get();
}

void CloseBank() {
    if (DM1 == g_dm.get())
        DM1 = nullptr;
    g_dm.reset();
}

} // namespace examtest
