#include "tools/UpgradeBase.h"

#include "store/BankUpgrade.h"

#include "store/BankKey.h"
#include "store/Database.h"

namespace tools {

QString chapterParentCode(const QString& code) {
    switch (code.size()) {
    case 2:
        return code.left(1);
    case 4:
        return code.left(2);
    case 6:
        return code.left(4);
    default:
        return QString();
    }
}

QString catalogueParentId(const QString& id) {
    return id.size() == 6 ? id.left(2) : id.size() == 2 ? id.left(1) : QString();
}

bool BaseBank::hasChapter(const QString& code) const {
    for (const auto& row : chapters)
        if (row.first == code.toLower())
            return true;
    return false;
}

bool BaseBank::hasCatalogue(const QString& id) const {
    for (const auto& row : catalogue)
        if (row.first == id.toLower())
            return true;
    return false;
}

bool readBaseBank(const QString& path, BaseBank* base, QString* error) {
    store::Database db;
    try {
        try {
            db.open(path, store::BankKey());
        } catch (const store::DbError&) {
            db.open(path, QByteArray());
        }
        db.execute(QStringLiteral("PRAGMA query_only = 1"));
        for (const auto& r : db.query(QStringLiteral("select C1, bh from tab_kmmc order by bh")).rows)
            base->chapters.push_back({r.value(0).toString().toLower(), r.value(1).toInt()});
        for (const auto& r : db.query(QStringLiteral("select id, bh from tab_fgmc order by bh")).rows)
            base->catalogue.push_back({r.value(0).toString().toLower(), r.value(1).toInt()});
        for (const auto& r : db.query(QStringLiteral("select ftid from tab_rule")).rows)
            base->points.insert(r.value(0).toString().toLower());
        for (const auto& r : db.query(QStringLiteral("select A1 from tab_title")).rows)
            base->groups.insert(r.value(0).toString().toLower());
        for (const auto& r : db.query(QStringLiteral("select A1 from tab_answ")).rows)
            base->questions.insert(r.value(0).toString().toLower());
        for (const auto& r : db.query(QStringLiteral("select A1, B1 from tab_tx1")).rows)
            base->typeNames.insert(r.value(0).toInt(), r.value(1).toString().trimmed());
        base->lastQuestionOrder = db.scalar(QStringLiteral("select max(xx) from tab_answ")).toInt();
    } catch (const store::DbError& e) {
        *error = path + QStringLiteral(": ") + e.message();
        return false;
    }
    return true;
}

QHash<QString, int> placeRows(const QList<QPair<QString, int>>& rows, const QStringList& added,
                              QString (*parentOf)(const QString&), QStringList* errors) {
    // The merged order: existing rows carry their bh, new ones -1 until placed.
    QList<QPair<QString, int>> merged = rows;
    for (const QString& code : added) {
        const QString parent = parentOf(code);
        int at = -1;
        for (int i = 0; i < merged.size(); ++i)
            if (merged[i].first == parent)
                at = i;
        if (parent.isEmpty()) {
            at = int(merged.size()) - 1;
        } else if (at < 0) {
            errors->push_back(QStringLiteral("%1: no row %2 to hang it on").arg(code, parent));
            continue;
        }
        // Past every row of the parent's block.
        while (at + 1 < merged.size() && merged[at + 1].first.startsWith(parent) &&
               merged[at + 1].first != parent)
            ++at;
        merged.insert(at + 1, {code, -1});
    }
    QHash<QString, int> out;
    for (int i = 0; i < merged.size();) {
        if (merged[i].second >= 0) {
            ++i;
            continue;
        }
        int end = i;
        while (end < merged.size() && merged[end].second < 0)
            ++end;
        const int run = end - i;
        const int before = i > 0 ? merged[i - 1].second : 0;
        const int after = end < merged.size() ? merged[end].second : before + 10 * (run + 1);
        if (after - before <= run) {
            errors->push_back(QStringLiteral("%1: no room in the display order between %2 and %3; give the "
                                             "rows an order")
                                  .arg(merged[i].first)
                                  .arg(before)
                                  .arg(after));
        } else {
            for (int k = 0; k < run; ++k)
                out.insert(merged[i + k].first, before + (k + 1) * (after - before) / (run + 1));
        }
        i = end;
    }
    return out;
}

} // namespace tools

namespace tools {

bool applyUpgrade(const QString& bankFile, bool bankPlain, const QString& upgradeFile, QString* error) {
    try {
        store::Database db;
        db.open(bankFile, bankPlain ? QByteArray() : store::BankKey());
        store::Database file;
        store::UpgradeIdentity id;
        QString detail;
        switch (store::CheckUpgrade(db, file, upgradeFile, &id, &detail)) {
        case store::UpgradeCheck::Ready:
            break;
        case store::UpgradeCheck::CannotOpen:
            *error = QStringLiteral("cannot read the upgrade file as a plain database");
            return false;
        case store::UpgradeCheck::OtherProduct:
            *error =
                QStringLiteral("the upgrade is made for product \"%1\", which the bank is not").arg(id.cpbs);
            return false;
        case store::UpgradeCheck::AlreadyApplied:
            *error = QStringLiteral("the bank already has upgrade \"%1\"").arg(id.sjbs);
            return false;
        case store::UpgradeCheck::WrongLayout:
            *error = QStringLiteral("the upgrade file lacks ") + detail;
            return false;
        }
        store::MergeUpgrade(db, upgradeFile, id);
    } catch (const store::DbError& e) {
        *error = e.message();
        return false;
    }
    return true;
}

} // namespace tools
