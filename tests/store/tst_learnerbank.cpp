// Where the learner's bank lives: in a writable program folder, or copied once from an installed
// program's template into the user's data folder and kept there for good.
#include "store/LearnerBank.h"
#include "store/dm.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace store;

namespace {
QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void setMode(const QString& path, mode_t mode) {
    QVERIFY(chmod(QFile::encodeName(path).constData(), mode) == 0);
}
} // namespace

class TestLearnerBank : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_template; // a bank built once, copied into each program folder

    // A program folder holding data/VELQUAR01.mdb (unless withBank is false), its data/ read-only when
    // installed is true, as a package leaves it.
    QString programFolder(const QString& name, bool installed, bool withBank = true) {
        const QString folder = m_dir.filePath(name) + u'/';
        QDir().mkpath(folder + QStringLiteral("data"));
        if (withBank) {
            QFile::copy(m_template, BundledBankPath(folder));
            setMode(BundledBankPath(folder), installed ? 0444 : 0644);
        }
        if (installed) {
            setMode(folder + QStringLiteral("data"), 0555);
            setMode(folder, 0555);
        }
        return folder;
    }

    // A home folder the ordinary user of asOrdinaryUser may write to.
    QString homeFolder(const QString& name) {
        const QString home = m_dir.filePath(name);
        QDir().mkpath(home);
        setMode(home, 0777);
        return home;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        setMode(m_dir.path(), 0755);
        m_template = testsupport::buildBank(m_dir.path(), testsupport::baseContent());
    }

    void aWritableProgramFolderKeepsTheBankInPlace() {
        const QString program = programFolder(QStringLiteral("portable"), false);
        const QString data = homeFolder(QStringLiteral("home-portable")) + QStringLiteral("/share/velquar");
        const LearnerBank bank = ProvideLearnerBank(program, data);
        QCOMPARE(bank.path, BundledBankPath(program));
        QVERIFY(bank.error.isEmpty());
        QVERIFY(!bank.copied);
        QVERIFY(!QFileInfo::exists(data));
    }

    // The first start copies the template, complete, writable by the learner even though the installed
    // template is read-only; later starts use the copy whatever happened to the template (an upgrade of
    // the program), and a damaged copy is refused when opened, never replaced.
    void anInstalledProgramCopiesTheTemplateOnceAndKeepsTheCopy() {
        const QString program = programFolder(QStringLiteral("installed"), true);
        const QString data = homeFolder(QStringLiteral("home")) + QStringLiteral("/.local/share/velquar");
        const QString own = UserBankPath(data);
        const int first = testsupport::asOrdinaryUser([&] {
            const LearnerBank bank = ProvideLearnerBank(program, data);
            if (!bank.error.isEmpty() || bank.path != own || !bank.copied)
                return 1;
            if (bytesOf(own) != bytesOf(m_template))
                return 2;
            if (QDir(data).entryList(QDir::Files | QDir::Hidden) !=
                QStringList{QStringLiteral("VELQUAR01.mdb")})
                return 3; // nothing half-written left beside it
            TDM1 dm(bank.path);
            if (!dm.DataModuleConnected)
                return 4;
            dm.Cn1Table_plan.open();
            dm.Cn1Table_plan.edit();
            dm.Cn1Table_plan.setValue(QStringLiteral("PlanAmount"), 77);
            dm.Cn1Table_plan.post();
            return 0;
        });
        if (first < 0)
            QSKIP("no ordinary user to run as");
        QCOMPARE(first, 0);
        QCOMPARE(bytesOf(BundledBankPath(program)), bytesOf(m_template)); // the template is untouched

        // An upgrade of the program brings another template.
        setMode(BundledBankPath(program), 0644);
        QFile t(BundledBankPath(program));
        QVERIFY(t.open(QIODevice::Append));
        t.write(QByteArray(4096, '\0'));
        t.close();
        setMode(BundledBankPath(program), 0444);
        const QByteArray learners = bytesOf(own);
        const int again = testsupport::asOrdinaryUser([&] {
            const LearnerBank bank = ProvideLearnerBank(program, data);
            if (bank.path != own || bank.copied || !bank.error.isEmpty())
                return 1;
            TDM1 dm(bank.path);
            if (!dm.DataModuleConnected)
                return 2;
            dm.Cn1Table_plan.open();
            return dm.Cn1Table_plan.asInteger(QStringLiteral("PlanAmount")) == 77 ? 0 : 3;
        });
        QCOMPARE(again, 0);
        QCOMPARE(bytesOf(own).size(), learners.size());

        QFile damaged(own);
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write(QByteArray(8192, 'x'));
        damaged.close();
        const int kept = testsupport::asOrdinaryUser([&] {
            const LearnerBank bank = ProvideLearnerBank(program, data);
            TDM1 opened(bank.path);
            return bank.path == own && !bank.copied && !opened.DataModuleConnected ? 0 : 1;
        });
        QCOMPARE(kept, 0);
        QCOMPARE(bytesOf(own), QByteArray(8192, 'x'));
    }

    // Nothing to copy, or nowhere to put it: the start fails with a reason and leaves no file behind.
    void aCopyThatCannotBeMadeLeavesNothing() {
        const QString bare = programFolder(QStringLiteral("bare"), true, false);
        const QString home = homeFolder(QStringLiteral("home-bare"));
        const QString lockedHome = homeFolder(QStringLiteral("home-locked"));
        setMode(lockedHome, 0555);
        const QString program = programFolder(QStringLiteral("installed2"), true);
        const int result = testsupport::asOrdinaryUser([&] {
            const LearnerBank none = ProvideLearnerBank(bare, home + QStringLiteral("/velquar"));
            if (!none.path.isEmpty() || none.error.isEmpty() ||
                QFileInfo::exists(home + QStringLiteral("/velquar")))
                return 1;
            const QString data = lockedHome + QStringLiteral("/velquar");
            const LearnerBank nowhere = ProvideLearnerBank(program, data);
            if (!nowhere.path.isEmpty() || nowhere.error.isEmpty() || QFileInfo::exists(data))
                return 2;
            const LearnerBank noFolder = ProvideLearnerBank(program, QString());
            return noFolder.path.isEmpty() && !noFolder.error.isEmpty() ? 0 : 3;
        });
        if (result < 0)
            QSKIP("no ordinary user to run as");
        QCOMPARE(result, 0);
        setMode(lockedHome, 0755);
    }

    void cleanupTestCase() {
        // Let the temporary folder remove what the read-only program folders hold.
        for (const QString& name :
             {QStringLiteral("installed"), QStringLiteral("installed2"), QStringLiteral("bare")}) {
            setMode(m_dir.filePath(name), 0755);
            setMode(m_dir.filePath(name) + QStringLiteral("/data"), 0755);
        }
    }
};

QTEST_GUILESS_MAIN(TestLearnerBank)
#include "tst_learnerbank.moc"
