#pragma once

#include <QList>
#include <QString>

class TDM1;

// One stored paper as the archive lists it.
struct ArchivedPaper {
    QString table; // the paper table, A1
    QString title; // A3
    int number = 0;
    bool marked = false; // A6 holds a score
    double score = 0;
    QString timeText; // D2, empty before marking
};

// The figures under the list.
struct ArchiveFigures {
    int papers = 0;  // "考试次数"
    int passed = 0;  // "及格次数": marked papers at or above the pass mark
    int average = 0; // "平均成绩": over the marked papers, half to even; 0 without any
};

// Three fifths of the full score, counted in whole fifths: 100 -> 60, 98 -> 57, 90 -> 54.
int PassMark(int fullScore);
// The nearest whole number, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
int RoundHalfToEven(double value);

// Every archive row, newest paper first.
QList<ArchivedPaper> ReadArchive(TDM1& dm);
ArchiveFigures ComputeFigures(const QList<ArchivedPaper>& papers, int passMark);
// The least mark as the plan row stores it, for the tip line.
QString StoredLeastMark(TDM1& dm);
QString TipLine(const QString& leastMark);

// Drops the paper's table and its archive row; the row goes also when its table was already missing.
void DeleteArchivedPaper(TDM1& dm, const QString& table);
