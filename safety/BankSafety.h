#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>

namespace store {
class Database;
}

// The safety net around the learner's bank: a copy on the first start of each day, the list of copies
// to restore from, and putting a copy back in place of a damaged bank.
namespace safety {

// backup/<bank>-daily-<yyyyMMdd>.mdb beside the bank.
QString DailyBackupPath(const QString& bankPath, const QDate& day);
// True when the bank has no copy of this day yet.
bool DailyBackupDue(const QString& bankPath, const QDate& today);

// Copies the open bank through the engine (a consistent copy even with data sets open, never inside a
// write) to today's daily copy, written under another name until it opens with the bank key, and keeps
// the newest `keep` daily copies (the upgrade copies are never touched). progress(done, total) is called
// as pages are copied. Returns the copy's path; throws std::runtime_error with the reason.
QString MakeDailyBackup(store::Database& bank, const QDate& today,
                        const std::function<void(int done, int total)>& progress = {}, int keep = 7);

// Copies the open bank the same way to backup/<bank>-repair-<yyyyMMdd-HHmmss>.mdb before a repair writes to
// it, keeping the newest five of those. Returns the copy's path; throws std::runtime_error.
QString MakeRepairBackup(store::Database& bank, const QDateTime& now);

struct BackupEntry {
    QString path;
    QDateTime made; // from the file's name: the day (daily copies) or the moment (upgrade and repair copies)
    enum class Kind { Daily, Upgrade, Repair } kind = Kind::Daily;
    qint64 answers = -1;   // answers it holds (the sum of every question's answers); -1 when unreadable
};

// Every copy in the bank's backup folder, newest first, each opened to count its answers.
QList<BackupEntry> ListBackups(const QString& bankPath);

// Puts a copy in place of the bank, which must be closed: the bank (and a journal beside it) is kept
// under <bank>-damaged-<yyyyMMdd-HHmmss>.mdb in its folder, the copy is written under another name and
// renamed into place once it opens. Returns the path the damaged bank was kept under; throws
// std::runtime_error and leaves the bank where it was when the copy cannot be put in place.
QString RestoreBackup(const QString& bankPath, const QString& backupPath, const QDateTime& now);

} // namespace safety
