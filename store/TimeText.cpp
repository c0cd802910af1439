#include "store/TimeText.h"

#include "store/DbError.h"

namespace store {

namespace {
qint64 wholeNumber(const QString& part) {
    bool ok = false;
    const qint64 v = part.trimmed().toLongLong(&ok);
    if (!ok)
        throw DbError(QStringLiteral("'%1' is not a valid integer value").arg(part));
    return v;
}
} // namespace

qint64 TimeTextToSeconds(const QString& text) {
    QString rest = text;
    qint64 total = 0;
    int part = 0;
    while (rest.contains(u':')) {
        const qsizetype colon = rest.indexOf(u':');
        const QString head = rest.left(colon);
        rest = rest.mid(colon + 1);
        if (part == 0)
            total += wholeNumber(head) * 3600;
        else if (part == 1)
            total += wholeNumber(head) * 60;
        else
            rest.clear();
        ++part;
    }
    if (part == 2)
        total += wholeNumber(rest.left(2));
    return total;
}

QString SecondsToTimeText(qint64 t) {
    const qint64 h = t / 3600;
    const qint64 m = (t - 3600 * h) / 60;
    const qint64 s = t - 3600 * h - 60 * m;
    auto two = [](qint64 v) { return v < 10 ? u'0' + QString::number(v) : QString::number(v); };
    return two(h) + u':' + two(m) + u':' + two(s);
}

QString PercentText(double value, double base) {
    if (base <= 0)
        return QStringLiteral("0");
    return QString::asprintf("%2.2f", value / base * 100.0);
}

} // namespace store
