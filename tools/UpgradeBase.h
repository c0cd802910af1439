#pragma once

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

namespace tools {

// The rows of the bank an upgrade is made for, as far as the upgrade's own rows depend on them. Keys are
// lower case: the program compares codes and ids without regard to letter case.
struct BaseBank {
    QList<QPair<QString, int>> chapters;  // code, bh, in display order
    QList<QPair<QString, int>> catalogue; // id, bh, in display order
    QSet<QString> points, groups, questions;
    QHash<int, QString> typeNames;
    int lastQuestionOrder = 0; // the highest xx

    bool hasChapter(const QString& code) const;
    bool hasCatalogue(const QString& id) const;
};

// Reads a bank file (with the bank key, or a plain file); false with a message when it cannot be read.
bool readBaseBank(const QString& path, BaseBank* base, QString* error);

QString chapterParentCode(const QString& code);
QString catalogueParentId(const QString& id);

// Display orders for rows an upgrade adds to an ordered tree: each new row goes after the last row of its
// parent's block, existing rows keep theirs, and the new ones share the gap before the next existing row.
// rows: the existing (lower-case code, bh) in order; added: the new codes in source order. Codes whose
// parent is nowhere, or that find no room in the gap, are reported in errors.
QHash<QString, int> placeRows(const QList<QPair<QString, int>>& rows, const QStringList& added,
                              QString (*parentOf)(const QString&), QStringList* errors);

} // namespace tools

namespace tools {

// Applies an upgrade file to a bank file the way the program does: the identity row must name the bank's
// product and an upgrade not yet applied, then every row is copied in one transaction. The bank is
// opened with the bank key unless bankPlain. False with a message when anything is refused or fails.
bool applyUpgrade(const QString& bankFile, bool bankPlain, const QString& upgradeFile, QString* error);

} // namespace tools
