#pragma once

#include "store/DataSet.h"
#include "store/Database.h"

#include <QString>

// Folder of the running program, with "/" at the end. Set when the data module is created.
extern QString ProgramFolder;
// C1_1 of the chapter row the shared chapter cursor stands on.
extern QString CurrentChapterTitle;

// The data module: the one connection to the question bank and the shared cursors every window uses.
// Exactly one exists while the program runs (DM1); windows open the cursors they need on demand.
class TDM1 {
public:
    // Opens the bank at bankPath or, when it is empty, the learner's bank: ProgramFolder +
    // "data/VELQUAR01.mdb" when that folder is writable, else the learner's copy in the user's data
    // folder, made from it on the first start (store/LearnerBank.h). Never
    // throws: DataModuleConnected tells whether the bank opened, ConnectionError why it did not. A file
    // that is not a bank, or one the program could not write to (a read-only file or folder), is refused
    // untouched: every study window writes, and no file is made beside it.
    explicit TDM1(const QString& bankPath = QString());
    ~TDM1();
    TDM1(const TDM1&) = delete;
    TDM1& operator=(const TDM1&) = delete;

    // The bank in the program folder (the template of the learner's copy when the folder is not writable).
    static QString DefaultBankPath();
    // The folder of the running program with "/" at the end.
    static QString ProgramFolderOfExecutable();
    const QString& BankPath() const { return m_bankPath; }

    // Closes the shared cursors and the connection, ignoring errors.
    void CloseConnection();

    // Lets the text columns of a paper table take '' (they do already; a missing table or column throws).
    void AllowEmptyText(const QString& tableName);

    // Points Cn1Table_tx at the question-type table of a paper kind (0 reads as 1).
    void PointTypeTable(int kind);

    // Clears the per-practice answer (E2_1) of every question, as a practice window does when it opens.
    void ResetPracticeAnswers();

    // Study counters. Flags are 2 for yes and 1 for no. Counters are raised in the bank itself (never
    // from a value read earlier), and the shared cursors are brought up to date afterwards.
    // Today's log row: one more answer, counting the question once per day and its latest result.
    void RecordDailyProgress(int notYetAnsweredToday, int wrongNow, int wrongBefore);
    // The chapter rows on the path from the question's chapter up to its subject.
    void RecordChapterAttempt(const QString& chapterCode, int firstAnswerEver, int wrongNow);
    // The exam points of the question and their catalogue rows; lists are "('a','b')" texts.
    void RecordExamPointAttempt(const QString& points, const QString& sections, const QString& tops,
                                int firstAnswerEver, int wrongNow);
    // Adds a practice's clock ("h:mm:ss") to today's log and refreshes the percentage texts, all in one
    // transaction.
    void RecordStudyTime(const QString& elapsed);
    // Full mark of a paper of the kind the type cursor points at.
    int PaperFullScore();
    // Drops a paper's table and its archive row; never fails.
    void DeletePaper(const QString& name);

    bool DataModuleConnected = false;
    QString ConnectionError;

    store::Database ADOCn1; // the question bank
    store::Database ADOCn2; // an upgrade file, while an upgrade runs

    store::DataSet Cn1Table_kmmc{&ADOCn1};
    store::DataSet Cn1Table_tx{&ADOCn1};
    store::DataSet Cn1Table_rz{&ADOCn1};
    store::DataSet Cn1Table_cj{&ADOCn1};
    store::DataSet Cn1Table_fgmc{&ADOCn1};
    store::DataSet Cn1Table_plan{&ADOCn1};
    store::DataSet Cn1Query1{&ADOCn1};
    store::DataSet Cn1Query2{&ADOCn1};
    store::DataSet Cn1Query3{&ADOCn1};
    store::DataSet Cn1Query_tm{&ADOCn1};
    store::DataSet Cn1Query_exam{&ADOCn1};
    store::DataSet cn1query_nr{&ADOCn1};
    store::DataSet ADOQuery3{&ADOCn1};
    store::DataSet ADOQ_kmmc{&ADOCn1};
    store::DataSet ADOQ_kl{&ADOCn1};
    store::DataSet m_query{&ADOCn1};
    store::DataSet m_queryDetail{&ADOCn1};
    store::DataSet Cn2Query1{&ADOCn2};

    // The data sources the grids read: the cursors themselves.
    store::DataSet* const Cn1DS_kmmc = &Cn1Table_kmmc;
    store::DataSet* const Cn1DS_rz = &Cn1Table_rz;
    store::DataSet* const Cn1DS_cj = &Cn1Table_cj;
    store::DataSet* const Cn1DS1 = &Cn1Query1;
    store::DataSet* const Cn1DS2 = &Cn1Query2;
    store::DataSet* const Cn1DS3 = &Cn1Query3;
    store::DataSet* const Cn1DS_tm = &Cn1Query_tm;
    store::DataSet* const Cn1DS_exam = &Cn1Query_exam;
    store::DataSet* const Cn1DS_nr = &cn1query_nr;
    store::DataSet* const Ds_kl = &ADOQ_kl;
    store::DataSet* const m_query_DS = &m_query;

private:
    QList<store::DataSet*> allDataSets();
    QString m_bankPath;
};

extern TDM1* DM1;
