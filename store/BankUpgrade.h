#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace store {

class Database;

// An upgrade file: a plain file with the bank's tables, new rows for five of them and one identity row.
// The tables are copied in this order.
QStringList UpgradeTables();

enum class UpgradeCheck {
    Ready,          // may be merged
    CannotOpen,     // not a database this engine can read without a password
    OtherProduct,   // no identity, or made for another product
    AlreadyApplied, // its identity is recorded in the bank
    WrongLayout,    // a table or a column of the bank's is missing from the file
};

struct UpgradeIdentity {
    QString sjbs; // the upgrade
    QString cpbs; // the product it is made for
};

// Opens the upgrade file on its own connection, reads its identity and layout and checks them against the
// bank. Nothing is written to either file. detail names what is missing for WrongLayout.
UpgradeCheck CheckUpgrade(Database& bank, Database& fileConnection, const QString& upgradeFile,
                          UpgradeIdentity* identity, QString* detail = nullptr);

// Copies the upgrade's rows, column by column name, and records its identity, in one transaction; on any
// failure everything is rolled back and DbError is thrown. beforeStep(i) runs before statement i (0..5),
// so that a caller can show progress.
void MergeUpgrade(Database& bank, const QString& upgradeFile, const UpgradeIdentity& identity,
                  const std::function<void(int)>& beforeStep = {});

} // namespace store
