// Statement translation, filter expressions and the like matcher on arbitrary text: each must give a
// result or a DbError, never a crash, a hang or unbounded memory.
#include "store/DbError.h"
#include "store/Filter.h"
#include "store/JetSql.h"

#include <QString>
#include <QVariant>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096)
        return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    int aliases = 0;
    try {
        // A statement that could mean something else (an unclosed quote, a second statement) is refused.
        const store::TranslatedSql t = store::translateJetSql(
            text, [&aliases](const QString&) { return QStringLiteral("ext%1").arg(++aliases); },
            [](const QString&, const QString& table) {
                return table.size() % 2 ? QStringList()
                                        : QStringList({QStringLiteral("A1"), QStringLiteral("c")});
            });
        Q_UNUSED(t);
    } catch (const store::DbError&) {
    }
    QString table;
    const QString withRowId =
        store::withSourceRowId(text, &table, [](const QString& t) { return t.left(3); });
    Q_UNUSED(withRowId);

    try {
        const store::Filter filter(text);
        filter.accepts([](const QString& name) -> QVariant {
            if (name.compare(QLatin1String("A13"), Qt::CaseInsensitive) == 0)
                return 61;
            if (name.compare(QLatin1String("f1"), Qt::CaseInsensitive) == 0)
                return QVariant();
            if (name.compare(QLatin1String("a10"), Qt::CaseInsensitive) == 0)
                return QStringLiteral("300101");
            throw store::DbError(QStringLiteral("no field"));
        });
    } catch (const store::DbError&) {
    }

    // The first line is a pattern, the rest the text it is matched against.
    const qsizetype nl = text.indexOf(u'\n');
    if (nl >= 0)
        store::jetLike(QStringView(text).left(nl), QStringView(text).mid(nl + 1));
    return 0;
}
