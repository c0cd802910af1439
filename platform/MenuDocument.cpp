#include "platform/MenuDocument.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QColor kDefaultAccent(0x2e, 0x86, 0xde);

bool fail(QString* error, const QString& why) {
    if (error)
        *error = why;
    return false;
}

// A required text: present, a string and not blank.
bool readText(const QJsonObject& o, const char* key, QString& out, QString* error, const QString& where) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString() || v.toString().trimmed().isEmpty())
        return fail(error, QStringLiteral("%1: \"%2\" missing or empty").arg(where, QLatin1String(key)));
    out = v.toString();
    return true;
}

// An optional text: absent is fine, anything but a string is not.
bool readOptionalText(const QJsonObject& o, const char* key, QString& out, QString* error,
                      const QString& where) {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined())
        return true;
    if (!v.isString())
        return fail(error, QStringLiteral("%1: \"%2\" is not a text").arg(where, QLatin1String(key)));
    out = v.toString();
    return true;
}

bool readItem(const QJsonValue& value, MenuItem& item, QString* error, const QString& where) {
    if (!value.isObject())
        return fail(error, where + QStringLiteral(": not an object"));
    const QJsonObject o = value.toObject();
    return readText(o, "label", item.label, error, where) &&
           readText(o, "command", item.command, error, where) &&
           readOptionalText(o, "args", item.args, error, where) &&
           readOptionalText(o, "hint", item.hint, error, where);
}

bool readGroup(const QJsonValue& value, MenuGroup& group, QString* error, const QString& where) {
    if (!value.isObject())
        return fail(error, where + QStringLiteral(": not an object"));
    const QJsonObject o = value.toObject();
    if (!readText(o, "title", group.title, error, where))
        return false;
    QString accent;
    if (!readOptionalText(o, "accent", accent, error, where))
        return false;
    group.accent = accent.isEmpty() ? kDefaultAccent : QColor::fromString(accent);
    if (!group.accent.isValid())
        return fail(error, QStringLiteral("%1: accent \"%2\" is not a colour").arg(where, accent));
    const QJsonArray items = o.value(QLatin1String("items")).toArray();
    if (items.isEmpty())
        return fail(error, where + QStringLiteral(": no items"));
    for (int i = 0; i < items.size(); ++i) {
        MenuItem item;
        if (!readItem(items.at(i), item, error, QStringLiteral("%1 item %2").arg(where).arg(i + 1)))
            return false;
        group.items.append(item);
    }
    return true;
}

} // namespace

int MenuDocument::itemCount() const {
    int n = 0;
    for (const MenuGroup& g : groups)
        n += int(g.items.size());
    return n;
}

std::optional<MenuDocument> MenuDocument::fromJson(const QByteArray& json, QString* error) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        fail(error, parseError.errorString());
        return std::nullopt;
    }
    if (!doc.isObject()) {
        fail(error, QStringLiteral("not a menu object"));
        return std::nullopt;
    }
    const QJsonObject root = doc.object();
    if (root.value(QLatin1String("format")).toString() != QLatin1String("velquar-menu") ||
        root.value(QLatin1String("version")).toInt() != 1) {
        fail(error, QStringLiteral("not a menu file of version 1"));
        return std::nullopt;
    }

    MenuDocument menu;
    if (!readText(root, "title", menu.title, error, QStringLiteral("menu")) ||
        !readOptionalText(root, "subtitle", menu.subtitle, error, QStringLiteral("menu")))
        return std::nullopt;
    const QJsonArray groups = root.value(QLatin1String("groups")).toArray();
    if (groups.isEmpty()) {
        fail(error, QStringLiteral("menu: no groups"));
        return std::nullopt;
    }
    for (int i = 0; i < groups.size(); ++i) {
        MenuGroup group;
        if (!readGroup(groups.at(i), group, error, QStringLiteral("group %1").arg(i + 1)))
            return std::nullopt;
        menu.groups.append(group);
    }
    return menu;
}

std::optional<MenuDocument> MenuDocument::fromFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(error, QStringLiteral("%1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    return fromJson(file.readAll(), error);
}
