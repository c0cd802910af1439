#pragma once

#include <QString>
#include <QStringList>

namespace store {

class Database;

// Table names of the question bank.
namespace tables {
inline constexpr const char* kmmc = "tab_kmmc";
inline constexpr const char* answ = "tab_answ";
inline constexpr const char* exer = "tab_exer";
inline constexpr const char* title = "tab_title";
inline constexpr const char* rule = "tab_rule";
inline constexpr const char* fgmc = "tab_fgmc";
inline constexpr const char* cj = "tab_cj";
inline constexpr const char* rz = "tab_rz";
inline constexpr const char* plan = "tab_plan";
inline constexpr const char* sj = "tab_sj";
} // namespace tables

// "tab_tx" followed by the paper kind's digit; kinds outside 1..5 read as 1.
QString TypeTableName(int kind);

// Longest texts the program writes where the table gives a length.
inline constexpr int QuestionIdLength = 20;
inline constexpr int AnswerLength = 100;
inline constexpr int PointIdLength = 12;

// The CREATE TABLE statements of every table of the bank, in the order they are created.
QStringList BankTableStatements();
// The names of those tables: a file without any of them is not a question bank.
QStringList BankTableNames();
// The indexes that keep the practice lists and look-ups fast.
QStringList BankIndexStatements();
// Creates every table and index in an empty database.
void CreateBankSchema(Database& db);
// Creates the indexes a bank made by an earlier version lacks; changes nothing when all are there.
void AddMissingBankIndexes(Database& db);

// Clears the per-practice answer of every question, touching only the rows that hold one: the index of
// those rows makes opening a practice independent of the size of the bank.
QString PracticeAnswerReset();

// The statement that creates one mock paper's table.
QString PaperTableStatement(const QString& name);

} // namespace store
