#include "authoring/QuestionRules.h"

#include "store/Database.h"
#include "store/Schema.h"

#include <QStringList>

#include <algorithm>

namespace authoring {

bool IsSubjectiveType(int typeId, const QString& name) {
    static const QStringList names{QStringLiteral("简答"),     QStringLiteral("主观"),
                                   QStringLiteral("论述"),     QStringLiteral("案例分析"),
                                   QStringLiteral("名词解释"), QStringLiteral("查找错误"),
                                   QStringLiteral("综合"),     QStringLiteral("计算")};
    return (typeId >= 71 && typeId <= 74) || names.contains(name.trimmed());
}

AnswerRule AnswerRuleFor(int typeId, const QString& name) {
    if (IsSubjectiveType(typeId, name))
        return AnswerRule::Subjective;
    const QString n = name.trimmed();
    if (typeId == 70 || n.contains(QStringLiteral("判断")))
        return AnswerRule::Judgement;
    if (typeId == 61 || typeId == 62 || n.contains(QStringLiteral("单选")) ||
        n.contains(QStringLiteral("单项")))
        return AnswerRule::Single;
    if (typeId == 64 || typeId == 65 || n.contains(QStringLiteral("多选")) ||
        n.contains(QStringLiteral("多项")))
        return AnswerRule::Multiple;
    if (n.contains(QStringLiteral("填空")))
        return AnswerRule::Text;
    return AnswerRule::Letters;
}

AnswerCheck CheckAnswer(AnswerRule rule, const QString& typed, int options) {
    const QString text = typed.trimmed();
    if (rule == AnswerRule::Subjective)
        return {QStringLiteral("1"), QString()};
    if (text.isEmpty())
        return {QString(), QStringLiteral("请填写试题答案！")};
    if (rule == AnswerRule::Text)
        return {text, QString()};

    QString letters;
    for (const QChar c : text) {
        if (c.isSpace() || c == u',' || c == u'，' || c == u'、')
            continue;
        // Letters typed with a Chinese input method may be full-width: Ａ is A.
        const QChar narrow = c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E ? QChar(c.unicode() - 0xFEE0) : c;
        const QChar up = narrow.toUpper();
        if (up < u'A' || up > u'Z')
            return {QString(), QStringLiteral("答案只能填写选项的字母！")};
        if (!letters.contains(up))
            letters += up;
    }
    std::sort(letters.begin(), letters.end());
    if (letters.isEmpty())
        return {QString(), QStringLiteral("请填写试题答案！")};
    if (rule == AnswerRule::Judgement && letters != u"A" && letters != u"B")
        return {QString(), QStringLiteral("判断题的答案只能是A（正确）或B（错误）！")};
    const QChar lastOption(u'A' + qBound(1, options, MaxOptions) - 1);
    if (letters.back() > lastOption)
        return {QString(),
                QStringLiteral("答案中的字母只能是A至%1（待选答案共%2个）！").arg(lastOption).arg(options)};
    if (rule == AnswerRule::Single && letters.size() != 1)
        return {QString(), QStringLiteral("单选题的答案只能是一个字母！")};
    if (rule == AnswerRule::Multiple && letters.size() < 2)
        return {QString(), QStringLiteral("多选题的答案至少要有两个字母！")};
    return {letters, QString()};
}

QList<QuestionType> ReadQuestionTypes(store::Database& db, int kind) {
    QList<QuestionType> types;
    const store::QueryResult r = db.query(QStringLiteral("select A1, B1 from ") + store::TypeTableName(kind) +
                                          QStringLiteral(" order by A1"));
    for (const auto& row : r.rows)
        types.push_back({row.value(0).toInt(), row.value(1).toString().trimmed()});
    return types;
}

QString TypeNameInAnyKind(store::Database& db, int typeId) {
    for (int kind = 1; kind <= 5; ++kind) {
        const QVariant name = db.scalar(QStringLiteral("select B1 from ") + store::TypeTableName(kind) +
                                            QStringLiteral(" where A1=:A1"),
                                        {typeId});
        if (!name.toString().trimmed().isEmpty())
            return name.toString().trimmed();
    }
    return QString();
}

} // namespace authoring
