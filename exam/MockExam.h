#pragma once

#include <QString>

class QWidget;

// The menu's mock exam of a kind (1..5): sets PaperKind, draws a paper into a new paper table with its
// archive row, and runs the exam window on it. Every failure is reported with its message and leads
// back to the menu without a half-made paper: no table without an archive row, no archive row
// without a table.
void RunMockExam(int kind, QWidget* owner);

// Reopens an archived paper for review. False when its table cannot be opened ("无法打开试卷！" was
// shown); the program goes on.
bool ReviewArchivedPaper(QWidget* owner, const QString& tableName, const QString& title, double score,
                         const QString& timeText);

// Takes up a paper of the kind whose exam was cut short: its answers so far, its clock at seconds.
// False when the paper cannot be opened ("无法打开试卷！" was shown).
bool ResumeMockExam(QWidget* owner, const QString& tableName, const QString& title, int kind, qint64 seconds);
