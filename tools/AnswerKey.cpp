#include "tools/AnswerKey.h"

#include <QStringList>

namespace tools {

bool isSubjectiveTypeName(const QString& name) {
    static const QStringList names{QStringLiteral("简答"),     QStringLiteral("主观"),
                                   QStringLiteral("论述"),     QStringLiteral("案例分析"),
                                   QStringLiteral("名词解释"), QStringLiteral("查找错误"),
                                   QStringLiteral("综合"),     QStringLiteral("计算")};
    return names.contains(name.trimmed());
}

bool isSubjectiveType(int type, const QString& name) {
    return (type >= 71 && type <= 74) || isSubjectiveTypeName(name);
}

QString answerKeyProblem(int type, bool subjective, const QString& answer, int options) {
    if (options < 1 || options > 6)
        return QStringLiteral("%1 options (1 to 6 are possible)").arg(options);
    if (subjective) {
        if (answer != u"1" || options != 1)
            return QStringLiteral(
                       "a subjective question has one option and the answer \"1\", not %1 option(s) "
                       "and \"%2\"")
                .arg(options)
                .arg(answer);
        return QString();
    }
    if (answer.isEmpty())
        return QStringLiteral("the answer is empty");
    // Letters of the offered options, each once, in order.
    QChar last;
    for (const QChar c : answer) {
        if (c < u'A' || c.unicode() >= u'A' + options)
            return QStringLiteral("\"%1\" is not one of the %2 options A..%3 (answer \"%4\")")
                .arg(c)
                .arg(options)
                .arg(QChar(u'A' + options - 1))
                .arg(answer);
        if (!last.isNull() && c <= last)
            return QStringLiteral("the letters of \"%1\" are not in order or repeat").arg(answer);
        last = c;
    }
    switch (type) {
    case 61:
    case 62:
        if (answer.size() != 1)
            return QStringLiteral("a single choice has one letter, not \"%1\"").arg(answer);
        break;
    case 64:
    case 65:
        if (answer.size() < 2)
            return QStringLiteral("a multiple choice has two letters or more, not \"%1\"").arg(answer);
        break;
    case 70:
        if (answer != u"A" && answer != u"B")
            return QStringLiteral("a judgement is \"A\" (right) or \"B\" (wrong), not \"%1\"").arg(answer);
        break;
    default:
        break;
    }
    return QString();
}

} // namespace tools
