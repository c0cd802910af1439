#pragma once

#include <QString>

namespace store {

// Where the learner's bank lives when no bank was named on the command line. A program folder whose
// data/ the learner can write to (a portable copy, the build folder) keeps the bank there. An installed
// program's folder belongs to the system: its bank is only the template of the learner's own copy,
// which the first start puts in the user's data folder and every later start uses, whatever the
// template became since.
struct LearnerBank {
    QString path;        // the bank to open; empty when it could not be provided
    QString error;       // why not
    bool copied = false; // this call made the learner's copy from the template
};

// The learner may keep a bank at this path: its folder and, when it exists, the file can be written.
bool WritableInPlace(const QString& bankPath);

// The bank in the program folder: programFolder ends with "/".
QString BundledBankPath(const QString& programFolder);
// The learner's copy of the bank in the user's data folder.
QString UserBankPath(const QString& userDataFolder);
// The user's data folder of this program (~/.local/share/velquar on Linux).
QString UserDataFolder();

// Decides where the bank is and, the first time an installed program starts, copies the template.
// An existing copy is never replaced; the copy appears complete or not at all.
LearnerBank ProvideLearnerBank(const QString& programFolder, const QString& userDataFolder);

} // namespace store
