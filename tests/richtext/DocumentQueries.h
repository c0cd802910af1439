#pragma once

// What the rich-text tests look up in a read document.

#include <QList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextTable>

// The character format of the character at position.
inline QTextCharFormat formatAt(const QTextDocument& doc, int position) {
    QTextCursor cursor(const_cast<QTextDocument*>(&doc));
    cursor.setPosition(position + 1);
    return cursor.charFormat();
}

// The first table of the document's top frame, or nullptr.
inline QTextTable* firstTable(const QTextDocument& doc) {
    for (auto it = doc.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (auto* table = qobject_cast<QTextTable*>(it.currentFrame()))
            return table;
    }
    return nullptr;
}

// The pictures of the document, in order.
inline QList<QTextImageFormat> images(const QTextDocument& doc) {
    QList<QTextImageFormat> result;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().isImageFormat())
                result.append(it.fragment().charFormat().toImageFormat());
        }
    }
    return result;
}
