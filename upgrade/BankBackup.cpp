#include "upgrade/BankBackup.h"

#include "store/BankKey.h"
#include "store/Database.h"
#include "store/dm.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <stdexcept>

namespace upgrade {

QString BackupFolder(const QString& bankPath) {
    return QFileInfo(bankPath).absoluteDir().filePath(QStringLiteral("backup"));
}

namespace {
QString safeForFileName(const QString& text) {
    QString s = text.trimmed();
    s.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
    return s.isEmpty() ? QStringLiteral("upgrade") : s.left(40);
}

[[noreturn]] void fail(const QString& why) {
    throw std::runtime_error(why.toStdString());
}
} // namespace

QString BackUpBeforeUpgrade(TDM1& dm, const QString& sjbs, const QDateTime& now, int keep) {
    store::Database& bank = dm.ADOCn1;
    if (!bank.isOpen() || bank.inTransaction())
        fail(QStringLiteral("the bank is not ready to be copied"));
    const QString bankPath = bank.path();
    QDir folder(BackupFolder(bankPath));
    if (!folder.exists() && !QDir().mkpath(folder.path()))
        fail(QStringLiteral("cannot create ") + folder.path());
    const QString prefix = QFileInfo(bankPath).completeBaseName() + QStringLiteral("-upgrade-");
    const QString name = prefix + now.toString(QStringLiteral("yyyyMMdd-HHmmss")) + u'-' +
                         safeForFileName(sjbs) + QStringLiteral(".mdb");
    const QString target = folder.filePath(name);
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    // Outside a write the bank's file is complete (a rollback journal, deleted at every commit), so a copy
    // of the file is a copy of the bank. It is written under another name and renamed once checked.
    if (!QFile::copy(bankPath, partial))
        fail(QStringLiteral("cannot copy the bank to ") + partial);
    try {
        store::Database copy;
        copy.open(partial, store::BankKey(), store::Database::OpenMode::Existing,
                  {QStringLiteral("tab_answ")});
        copy.scalar(QStringLiteral("select count(*) from tab_answ"));
    } catch (const store::DbError& e) {
        QFile::remove(partial);
        fail(e.message());
    }
    QFile::remove(target);
    if (!QFile::rename(partial, target)) {
        QFile::remove(partial);
        fail(QStringLiteral("cannot name the copy ") + target);
    }
    // The newest copies stay; the names sort by their time.
    QStringList copies = folder.entryList({prefix + QStringLiteral("*.mdb")}, QDir::Files, QDir::Name);
    while (copies.size() > keep)
        QFile::remove(folder.filePath(copies.takeFirst()));
    return target;
}

} // namespace upgrade
