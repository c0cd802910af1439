#pragma once

#include <QDate>
#include <QString>

class TDM1;

// Copies of the bank kept in a backup/ folder beside it before an upgrade adds its rows.
namespace upgrade {

// The backup folder of a bank file.
QString BackupFolder(const QString& bankPath);

// Copies the bank, which must not be inside a write (its file is then complete), to
// backup/<bank>-upgrade-<date>-<time>-<sjbs>.mdb and keeps the newest `keep` of those copies. The copy is
// opened and checked before it counts. Returns its path; throws std::runtime_error with the reason.
QString BackUpBeforeUpgrade(TDM1& dm, const QString& sjbs, const QDateTime& now, int keep = 5);

} // namespace upgrade
