#pragma once

#include <QColor>
#include <QList>
#include <QString>

#include <optional>

// The main menu's content, read from its menu file (JSON, UTF-8):
//
//   { "format": "velquar-menu", "version": 1,
//     "title": "...", "subtitle": "...",
//     "groups": [ { "title": "...", "accent": "#2e86de",
//                   "items": [ { "label": "...", "command": "lx", "args": "", "hint": "..." } ] } ] }
//
// title, every group title, item label and item command are required and not empty; subtitle,
// accent, args and hint are optional.
struct MenuItem {
    QString label;
    QString command;
    QString args;
    QString hint;
};

struct MenuGroup {
    QString title;
    QColor accent;
    QList<MenuItem> items;
};

struct MenuDocument {
    QString title;
    QString subtitle;
    QList<MenuGroup> groups;

    int itemCount() const;

    // Empty when the text is not a menu of this format; error then says why.
    static std::optional<MenuDocument> fromJson(const QByteArray& json, QString* error = nullptr);
    static std::optional<MenuDocument> fromFile(const QString& path, QString* error = nullptr);
};
