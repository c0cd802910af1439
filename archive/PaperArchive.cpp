#include "archive/PaperArchive.h"

#include "exam/ExamResume.h"
#include "store/dm.h"

#include <cmath>

int PassMark(int fullScore) {
    return fullScore / 5 * 3;
}

int RoundHalfToEven(double value) {
    // nearbyint rounds in the current mode, which is to nearest with ties to even unless changed.
    return int(std::nearbyint(value));
}

QList<ArchivedPaper> ReadArchive(TDM1& dm) {
    const store::QueryResult r =
        dm.ADOCn1.query(QStringLiteral("select A1, A3, A3_1, A6, D2 from tab_cj order by A3_1 desc"));
    QList<ArchivedPaper> papers;
    papers.reserve(r.rows.size());
    for (const auto& row : r.rows) {
        ArchivedPaper p;
        p.table = row[0].toString().trimmed();
        p.title = row[1].toString();
        p.number = int(row[2].toLongLong());
        // A score is a number; an empty text left by an old copy of the bank counts as no score.
        p.marked = !row[3].isNull() && !row[3].toString().trimmed().isEmpty();
        p.score = p.marked ? row[3].toDouble() : 0;
        p.timeText = p.marked ? row[4].toString() : QString();
        papers.push_back(p);
    }
    return papers;
}

ArchiveFigures ComputeFigures(const QList<ArchivedPaper>& papers, int passMark) {
    ArchiveFigures f;
    f.papers = int(papers.size());
    double sum = 0;
    int marked = 0;
    for (const ArchivedPaper& p : papers) {
        if (!p.marked)
            continue;
        ++marked;
        sum += p.score;
        if (p.score >= passMark)
            ++f.passed;
    }
    f.average = marked ? RoundHalfToEven(sum / marked) : 0;
    return f;
}

QString StoredLeastMark(TDM1& dm) {
    const store::QueryResult r = dm.ADOCn1.query(QStringLiteral("select LeastMark from tab_plan"));
    return r.rows.isEmpty() ? QString() : r.rows.first().value(0).toString();
}

QString TipLine(const QString& leastMark) {
    return QStringLiteral("[提示]：成绩少于 ") + leastMark + QStringLiteral(" 分的试卷，不被保留。");
}

void DeleteArchivedPaper(TDM1& dm, const QString& table) {
    // A paper cut short and deleted here is not offered again at the next start.
    examresume::ClearClock(dm, table);
    dm.DeletePaper(table);
    dm.ADOCn1.execute(QStringLiteral("delete * from tab_cj where A1=:A1"), {table});
    // The shared archive cursor may still hold the row: it is read afresh when next opened.
    dm.Cn1Table_cj.close();
}
