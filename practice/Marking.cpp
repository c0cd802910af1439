#include "practice/Marking.h"

#include "store/Clock.h"
#include "store/JetSql.h"
#include "store/dm.h"
#include "ui/Helpers.h"

namespace {
constexpr int Yes = 2;
constexpr int No = 1;
int flag(bool b) {
    return b ? Yes : No;
}
} // namespace

int NextMasteryScore(bool answeredBefore, int score, bool right) {
    if (!answeredBefore)
        return right ? 0 : -3;
    if (!right)
        return score - 1;
    return score < 0 ? score + 1 : score;
}

bool IsAnswerHiddenType(int typeId) {
    return typeId >= 71 && typeId <= 74;
}

ExamPointLists ExamPointListsOf(const store::DataSet& set) {
    QStringList points, sections, tops;
    for (int k = 3; k <= 12; ++k) {
        const QString id = set.asString(QStringLiteral("K%1").arg(k));
        if (id.isEmpty())
            break;
        points << store::quoted(id);
        sections << store::quoted(id.left(6));
        tops << store::quoted(id.left(2));
    }
    if (points.isEmpty())
        return {};
    const auto list = [](const QStringList& l) { return u'(' + l.join(u',') + u')'; };
    return {list(points), list(sections), list(tops)};
}

SaveOutcome SaveAnswerToRow(TDM1& dm, store::DataSet& set, const QString& answer) {
    const QDate today = store::clock().today();
    if (answer.isEmpty()) {
        set.edit();
        set.setValue(QStringLiteral("E2_1"), QString());
        set.post();
        return SaveOutcome::Empty;
    }
    store::Transaction tx(dm.ADOCn1);
    bool changed = false;
    try {
        // The question as the bank holds it, read inside the transaction that will change it: another
        // window (or program) may have answered it since the set was read.
        if (set.state() == store::DataSet::State::Browse)
            set.refreshRow();
        changed = answer != set.asString(QStringLiteral("E2_1"));
        set.edit();
        if (changed) {
            const QString key = set.asString(QStringLiteral("A2"));
            const QString before = set.asString(QStringLiteral("E2"));
            const bool wrongNow = answer != key;
            const int notToday = flag(set.asDate(QStringLiteral("E1")) != today);
            // The count of marked answers tells a first answer: E2 also holds "zero" for a question voided
            // before it was ever answered.
            const bool answeredBefore = set.asInteger(QStringLiteral("E3")) > 0;
            const int first = flag(!answeredBefore);
            set.setValue(
                QStringLiteral("E4"),
                NextMasteryScore(answeredBefore, int(set.asInteger(QStringLiteral("E4"))), !wrongNow));
            set.setValue(QStringLiteral("E3"), set.asInteger(QStringLiteral("E3")) + 1);
            dm.RecordDailyProgress(notToday, flag(wrongNow), flag(before != key));
            dm.RecordChapterAttempt(set.asString(QStringLiteral("A10")), first, flag(wrongNow));
            const ExamPointLists lists = ExamPointListsOf(set);
            if (!lists.isEmpty())
                dm.RecordExamPointAttempt(lists.points, lists.sections, lists.tops, first, flag(wrongNow));
        }
        set.setValue(QStringLiteral("E2_1"), answer);
        set.setValue(QStringLiteral("E2"), answer);
        set.setValue(QStringLiteral("E1"), today);
        set.post();
        tx.commit();
    } catch (...) {
        if (set.active() && set.state() != store::DataSet::State::Browse)
            set.cancel();
        throw; // the transaction rolls back and the data sets undo what they had written
    }
    return changed ? SaveOutcome::Marked : SaveOutcome::Unchanged;
}

int AnswerPageForQuestion(int typeId, const QString& typeName, const QString& key) {
    const int page = AnswerPageForType(typeId);
    if (page != 99)
        return page;
    const QString name = typeName.trimmed();
    static const char* const subjective[] = {"简答",     "主观",     "论述", "案例分析",
                                             "名词解释", "查找错误", "综合", "计算"};
    if (name.contains(QStringLiteral("判断")))
        return 3;
    for (const char* s : subjective)
        if (name.contains(QString::fromUtf8(s)))
            return 4;
    if (name.contains(QStringLiteral("填空")))
        return 2;
    if (name.contains(QStringLiteral("不定项")) || name.contains(QStringLiteral("配伍")))
        return 5;
    if (name.contains(QStringLiteral("多选")) || name.contains(QStringLiteral("多项")))
        return 1;
    if (name.contains(QStringLiteral("单选")) || name.contains(QStringLiteral("单项")))
        return 0;
    // A type the names do not tell: the key does. Letters only: choice; anything else is written in.
    static const QString letters = QStringLiteral("ABCDEF");
    bool allLetters = !key.isEmpty();
    for (QChar c : key)
        allLetters = allLetters && letters.contains(c);
    if (allLetters)
        return key.size() == 1 ? 0 : 1;
    return 2;
}
