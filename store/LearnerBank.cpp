#include "store/LearnerBank.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace store {

namespace {
const QString kBankName = QStringLiteral("VELQUAR01.mdb");

QString CopyTemplate(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return QStringLiteral("the bundled bank cannot be read: ") + from;
    if (!QDir().mkpath(QFileInfo(to).absolutePath()))
        return QStringLiteral("the user's data folder cannot be made: ") + QFileInfo(to).absolutePath();
    // Written beside the target and renamed once it is on the disk: a start cut short leaves no half
    // bank that later starts would take for the learner's. New, so it gets the learner's own rights
    // rather than the read-only ones of the installed template.
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return QStringLiteral("the learner's bank cannot be written: ") + to;
    QByteArray chunk;
    while (!(chunk = source.read(1 << 20)).isEmpty()) {
        if (target.write(chunk) != chunk.size()) {
            target.cancelWriting();
            return QStringLiteral("the learner's bank cannot be written: ") + target.errorString();
        }
    }
    if (source.error() != QFileDevice::NoError) {
        target.cancelWriting();
        return QStringLiteral("the bundled bank cannot be read: ") + source.errorString();
    }
    if (!target.commit())
        return QStringLiteral("the learner's bank cannot be written: ") + target.errorString();
    return QString();
}
} // namespace

bool WritableInPlace(const QString& bankPath) {
    if (bankPath.isEmpty())
        return false;
    const QFileInfo file(bankPath);
    const QFileInfo folder(file.absolutePath());
    return folder.isDir() && folder.isWritable() && (!file.exists() || file.isWritable());
}

QString BundledBankPath(const QString& programFolder) {
    return programFolder + QStringLiteral("data/") + kBankName;
}

QString UserBankPath(const QString& userDataFolder) {
    return QDir(userDataFolder).filePath(kBankName);
}

QString UserDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

LearnerBank ProvideLearnerBank(const QString& programFolder, const QString& userDataFolder) {
    LearnerBank bank;
    const QString bundled = BundledBankPath(programFolder);
    if (WritableInPlace(bundled)) {
        bank.path = bundled;
        return bank;
    }
    if (userDataFolder.isEmpty()) {
        bank.error = QStringLiteral("no user data folder for the learner's bank");
        return bank;
    }
    const QString own = UserBankPath(userDataFolder);
    // Whatever is there is the learner's: a damaged or foreign file is refused when it is opened,
    // never overwritten with the template.
    if (QFileInfo::exists(own) || QFileInfo(own).isSymLink()) {
        bank.path = own;
        return bank;
    }
    if (!QFileInfo(bundled).isFile()) {
        bank.error = QStringLiteral("no bundled bank to copy: ") + bundled;
        return bank;
    }
    bank.error = CopyTemplate(bundled, own);
    if (bank.error.isEmpty()) {
        bank.path = own;
        bank.copied = true;
    }
    return bank;
}

} // namespace store
