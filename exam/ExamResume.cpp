#include "exam/ExamResume.h"

#include "exam/ExamClock.h"
#include "exam/ExamMarking.h"
#include "exam/MockExam.h"
#include "exam/PaperGeneration.h"
#include "store/Clock.h"
#include "store/dm.h"
#include "ui/Services.h"

namespace examresume {

namespace {
const QString kTable = QStringLiteral("tab_ksjs");

void ensureTable(store::Database& db) {
    if (!db.hasTable(kTable))
        db.execute(QStringLiteral("CREATE TABLE tab_ksjs (A1 TEXT(50), B1 SMALLINT, C1 INTEGER, D1 DATETIME)"));
}
} // namespace

void StoreClock(TDM1& dm, const QString& table, int kind, qint64 seconds) {
    store::Database& db = dm.ADOCn1;
    ensureTable(db);
    const QVariantList values{kind, seconds, store::clock().now(), table};
    if (db.execute(QStringLiteral("update tab_ksjs set B1=:B1, C1=:C1, D1=:D1 where A1=:A1"), values) == 0)
        db.execute(QStringLiteral("insert into tab_ksjs (B1,C1,D1,A1) values (:B1,:C1,:D1,:A1)"), values);
}

void ClearClock(TDM1& dm, const QString& table) {
    try {
        if (dm.ADOCn1.hasTable(kTable))
            dm.ADOCn1.execute(QStringLiteral("delete from tab_ksjs where A1=:A1"), {table});
    } catch (const store::DbError&) {
        // A clock left behind is forgotten at the next start once its paper is marked or gone.
    }
}

std::optional<UnfinishedExam> FindUnfinishedExam(TDM1& dm) {
    store::Database& db = dm.ADOCn1;
    if (!db.hasTable(kTable))
        return std::nullopt;
    const store::QueryResult rows =
        db.query(QStringLiteral("select A1, B1, C1 from tab_ksjs order by D1 desc"));
    std::optional<UnfinishedExam> found;
    for (const auto& row : rows.rows) {
        const QString table = row[0].toString();
        bool open = false;
        if (!found && IsPaperTableName(table) && db.hasTable(table)) {
            const store::QueryResult cj =
                db.query(QStringLiteral("select A3, D2 from tab_cj where A1=:A1"), {table});
            if (!cj.rows.isEmpty() && cj.rows[0][1].toString().trimmed().isEmpty()) {
                open = true;
                UnfinishedExam e;
                e.table = table;
                e.title = cj.rows[0][0].toString();
                e.kind = qBound(1, row[1].toInt(), 5);
                e.seconds = qMax<qint64>(0, row[2].toLongLong());
                e.limit = db.scalar(QStringLiteral("select ExamTime from tab_plan")).toLongLong();
                found = e;
            }
        }
        if (!open)
            ClearClock(dm, table);
    }
    return found;
}

QString RemainingText(const UnfinishedExam& exam) {
    if (exam.limit <= 0)
        return QStringLiteral("不限时");
    return QStringLiteral("剩余时间 ") + ExamClock::TextOf(qMax<qint64>(0, exam.limit - exam.seconds));
}

} // namespace examresume

void OfferUnfinishedExam(QWidget* owner) {
    if (!DM1 || !DM1->DataModuleConnected)
        return;
    std::optional<examresume::UnfinishedExam> exam;
    try {
        exam = examresume::FindUnfinishedExam(*DM1);
    } catch (const store::DbError&) {
        return;
    }
    if (!exam)
        return;
    const MsgAnswer answer = messages().box(
        QStringLiteral("提示"),
        QStringLiteral("上次的考试“%1”没有完成（已用时 %2，%3）。\n继续上次未完成的考试吗？")
            .arg(exam->title, ExamClock::TextOf(exam->seconds), examresume::RemainingText(*exam)),
        MsgIcon::Question, MsgButtons::OkCancel);
    if (answer == MsgAnswer::Ok) {
        ResumeMockExam(owner, exam->table, exam->title, exam->kind, exam->seconds);
        return;
    }
    // Declined: the paper ends as closing it unsubmitted would leave it.
    examresume::ClearClock(*DM1, exam->table);
    try {
        const int total = int(DM1->ADOCn1.scalar(QStringLiteral("select count(*) from ") + exam->table).toLongLong());
        if (DeletesWithoutAsking(CountUnanswered(*DM1, exam->table), total))
            DM1->DeletePaper(exam->table);
    } catch (const store::DbError&) {
    }
}
