#include "safety/BankSafety.h"

#include "store/BankKey.h"
#include "store/Database.h"
#include "upgrade/BankBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <stdexcept>

namespace safety {

namespace {

[[noreturn]] void fail(const QString& why) {
    throw std::runtime_error(why.toStdString());
}

QString dailyPrefix(const QString& bankPath) {
    return QFileInfo(bankPath).completeBaseName() + QStringLiteral("-daily-");
}

// Opens a copy with the bank key and reads its question table; throws store::DbError.
qint64 answersIn(const QString& path) {
    store::Database copy;
    copy.open(path, store::BankKey(), store::Database::OpenMode::Existing, {QStringLiteral("tab_answ")});
    return copy.scalar(QStringLiteral("select coalesce(sum(E3),0) from tab_answ")).toLongLong();
}

} // namespace

QString DailyBackupPath(const QString& bankPath, const QDate& day) {
    return QDir(upgrade::BackupFolder(bankPath))
        .filePath(dailyPrefix(bankPath) + day.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".mdb"));
}

bool DailyBackupDue(const QString& bankPath, const QDate& today) {
    return !QFileInfo::exists(DailyBackupPath(bankPath, today));
}

namespace {

// Copies the bank through the engine under another name, opens the copy, names it target and keeps the
// newest `keep` files of the pattern in its folder.
QString copyBank(store::Database& bank, const QString& target, const QString& pattern, int keep,
                 const std::function<void(int done, int total)>& progress) {
    if (!bank.isOpen())
        fail(QStringLiteral("the bank is not open"));
    const QDir folder = QFileInfo(target).absoluteDir();
    if (!folder.exists() && !QDir().mkpath(folder.path()))
        fail(QStringLiteral("cannot create ") + folder.path());
    const QString partial = target + QStringLiteral(".part");
    try {
        bank.backupTo(partial, store::BankKey(), progress);
        answersIn(partial);
    } catch (const store::DbError& e) {
        QFile::remove(partial);
        fail(e.message());
    }
    QFile::remove(target);
    if (!QFile::rename(partial, target)) {
        QFile::remove(partial);
        fail(QStringLiteral("cannot name the copy ") + target);
    }
    // The names sort by their time; the oldest go.
    QStringList copies = folder.entryList({pattern}, QDir::Files, QDir::Name);
    while (copies.size() > keep)
        QFile::remove(folder.filePath(copies.takeFirst()));
    return target;
}

} // namespace

QString MakeDailyBackup(store::Database& bank, const QDate& today,
                        const std::function<void(int done, int total)>& progress, int keep) {
    return copyBank(bank, DailyBackupPath(bank.path(), today),
                    dailyPrefix(bank.path()) + QStringLiteral("????????.mdb"), keep, progress);
}

QString MakeRepairBackup(store::Database& bank, const QDateTime& now) {
    const QString prefix = QFileInfo(bank.path()).completeBaseName() + QStringLiteral("-repair-");
    const QString target = QDir(upgrade::BackupFolder(bank.path()))
                               .filePath(prefix + now.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                                         QStringLiteral(".mdb"));
    return copyBank(bank, target, prefix + QStringLiteral("*.mdb"), 5, {});
}

QList<BackupEntry> ListBackups(const QString& bankPath) {
    QList<BackupEntry> list;
    const QDir folder(upgrade::BackupFolder(bankPath));
    const QString base = QRegularExpression::escape(QFileInfo(bankPath).completeBaseName());
    static const QString dailyPattern = QStringLiteral("^%1-daily-(\\d{8})\\.mdb$");
    static const QString upgradePattern = QStringLiteral("^%1-(upgrade|repair)-(\\d{8}-\\d{6})(-.*)?\\.mdb$");
    const QRegularExpression daily(dailyPattern.arg(base), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpression upgraded(upgradePattern.arg(base), QRegularExpression::CaseInsensitiveOption);
    for (const QString& name : folder.entryList({QStringLiteral("*.mdb")}, QDir::Files)) {
        BackupEntry e;
        e.path = folder.filePath(name);
        if (const auto m = daily.match(name); m.hasMatch()) {
            e.kind = BackupEntry::Kind::Daily;
            e.made = QDateTime(QDate::fromString(m.captured(1), QStringLiteral("yyyyMMdd")), QTime(0, 0));
        } else if (const auto u = upgraded.match(name); u.hasMatch()) {
            e.kind = u.captured(1).compare(QStringLiteral("repair"), Qt::CaseInsensitive) == 0
                         ? BackupEntry::Kind::Repair
                         : BackupEntry::Kind::Upgrade;
            e.made = QDateTime::fromString(u.captured(2), QStringLiteral("yyyyMMdd-HHmmss"));
        } else {
            continue;
        }
        if (!e.made.isValid())
            continue;
        try {
            e.answers = answersIn(e.path);
        } catch (const store::DbError&) {
            e.answers = -1;
        }
        list << e;
    }
    std::sort(list.begin(), list.end(), [](const BackupEntry& a, const BackupEntry& b) {
        return a.made != b.made ? a.made > b.made : a.path > b.path;
    });
    return list;
}

QString RestoreBackup(const QString& bankPath, const QString& backupPath, const QDateTime& now) {
    const QFileInfo bank(bankPath);
    const QString partial = bankPath + QStringLiteral(".restore");
    QFile::remove(partial);
    if (!QFile::copy(backupPath, partial))
        fail(QStringLiteral("cannot copy ") + backupPath);
    try {
        answersIn(partial);
    } catch (const store::DbError& e) {
        QFile::remove(partial);
        fail(QStringLiteral("the copy does not open: ") + e.message());
    }
    QString kept = bank.absoluteDir().filePath(bank.completeBaseName() + QStringLiteral("-damaged-") +
                                               now.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                                               QStringLiteral(".mdb"));
    for (int n = 2; QFileInfo::exists(kept); ++n)
        kept = bank.absoluteDir().filePath(bank.completeBaseName() + QStringLiteral("-damaged-") +
                                           now.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                                           QStringLiteral("-%1.mdb").arg(n));
    if (bank.exists() && !QFile::rename(bankPath, kept)) {
        QFile::remove(partial);
        fail(QStringLiteral("cannot move the damaged bank aside"));
    }
    // A journal belongs to the file it was written for: it goes with the damaged bank.
    const QString journal = bankPath + QStringLiteral("-journal");
    if (QFileInfo::exists(journal))
        QFile::rename(journal, kept + QStringLiteral("-journal"));
    if (!QFile::rename(partial, bankPath)) {
        QFile::rename(kept, bankPath);
        QFile::remove(partial);
        fail(QStringLiteral("cannot put the copy in place"));
    }
    return kept;
}

} // namespace safety
