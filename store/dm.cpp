#include "store/dm.h"

#include "store/BankKey.h"
#include "store/LearnerBank.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QFileInfo>

QString ProgramFolder;
QString CurrentChapterTitle;
TDM1* DM1 = nullptr;

QString TDM1::ProgramFolderOfExecutable() {
    QString folder = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (folder.isEmpty())
        folder = QStringLiteral(".");
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QString TDM1::DefaultBankPath() {
    return store::BundledBankPath(ProgramFolder);
}

TDM1::TDM1(const QString& bankPath) {
    ProgramFolder = ProgramFolderOfExecutable();
    store::LearnerBank learner;
    if (bankPath.isEmpty())
        learner = store::ProvideLearnerBank(ProgramFolder, store::UserDataFolder());
    m_bankPath = bankPath.isEmpty() ? learner.path : bankPath;

    Cn1Table_kmmc.setTableName(QStringLiteral("tab_kmmc"), QStringLiteral("bh"));
    Cn1Table_kmmc.setAfterScroll([](store::DataSet& ds) {
        if (ds.recNo() > 0)
            CurrentChapterTitle = ds.asString(QStringLiteral("C1_1"));
    });
    Cn1Table_tx.setTableName(store::TypeTableName(1), QStringLiteral("A1"));
    Cn1Table_rz.setTableName(QStringLiteral("tab_rz"), QStringLiteral("A1"));
    Cn1Table_cj.setTableName(QStringLiteral("tab_cj"));
    Cn1Table_fgmc.setTableName(QStringLiteral("tab_fgmc"), QStringLiteral("bh"));
    Cn1Table_plan.setTableName(QStringLiteral("tab_plan"));

    try {
        if (m_bankPath.isEmpty())
            throw store::DbError(learner.error);
        // Checked before the engine sees the file: a bank that cannot be written to is refused untouched.
        const QFileInfo file(m_bankPath);
        if (file.isFile() && (!file.isWritable() || !QFileInfo(file.absolutePath()).isWritable()))
            throw store::DbError(QStringLiteral("the bank or its folder is read-only: ") + m_bankPath);
        ADOCn1.open(m_bankPath, store::BankKey(), store::Database::OpenMode::Existing,
                    store::BankTableNames());
        if (ADOCn1.isReadOnly())
            throw store::DbError(QStringLiteral("the bank can only be read: ") + m_bankPath);
        ADOCn1.useRollbackJournal();
        store::AddMissingBankIndexes(ADOCn1);
        DataModuleConnected = true;
    } catch (const store::DbError& e) {
        ADOCn1.close();
        ConnectionError = e.message();
        DataModuleConnected = false;
    }
}

TDM1::~TDM1() {
    CloseConnection();
}

QList<store::DataSet*> TDM1::allDataSets() {
    return {&Cn1Table_kmmc, &Cn1Table_tx, &Cn1Table_rz, &Cn1Table_cj, &Cn1Table_fgmc, &Cn1Table_plan,
            &Cn1Query1,     &Cn1Query2,   &Cn1Query3,   &Cn1Query_tm, &Cn1Query_exam, &cn1query_nr,
            &ADOQuery3,     &ADOQ_kmmc,   &ADOQ_kl,     &m_query,     &m_queryDetail, &Cn2Query1};
}

void TDM1::CloseConnection() {
    for (store::DataSet* ds : allDataSets()) {
        try {
            ds->close();
        } catch (...) {
        }
    }
    ADOCn2.close();
    ADOCn1.close();
}

void TDM1::AllowEmptyText(const QString& tableName) {
    for (const char* column : {"A2", "A14", "E2", "E2_1", "csbs"})
        ADOCn1.allowZeroLength(tableName, QLatin1String(column));
}

void TDM1::ResetPracticeAnswers() {
    ADOCn1.execute(store::PracticeAnswerReset());
}

void TDM1::PointTypeTable(int kind) {
    Cn1Table_tx.close();
    Cn1Table_tx.setTableName(store::TypeTableName(kind), QStringLiteral("A1"));
}
