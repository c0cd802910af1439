#include "exam/ExamMarking.h"

#include "store/Clock.h"
#include "store/Schema.h"
#include "store/dm.h"

#include <optional>

namespace {
constexpr int Yes = 2;
constexpr int No = 1;
int flag(bool b) {
    return b ? Yes : No;
}
// The size of the question-button panel: papers with this many questions left open are large.
constexpr int LargePaper = 90;
} // namespace

namespace {

// The question's row in the bank, read inside the transaction that changes it.
struct BankRow {
    QVariant rowid;
    QString key;
    qint64 answers = 0; // E3: answers marked so far
    int score = 0;      // E4
};

std::optional<BankRow> readBankRow(TDM1& dm, const QString& id) {
    const store::QueryResult r =
        dm.ADOCn1.query(QStringLiteral("select rowid, A2, E3, E4 from tab_answ where A1=:A1"), {id});
    if (r.rows.isEmpty())
        return std::nullopt;
    const auto& row = r.rows.first();
    return BankRow{row[0], row[1].toString(), row[2].toLongLong(), int(row[3].toLongLong())};
}

void writeBankRow(TDM1& dm, const BankRow& row, const QString& answer) {
    const int e4 = NextMasteryScore(row.answers > 0, row.score, answer == row.key);
    dm.ADOCn1.execute(QStringLiteral("update tab_answ set E4=?, E3=coalesce(E3,0)+1, E2_1=?, E2=?, E1=? "
                                     "where rowid=?"),
                      {e4, answer, answer, store::clock().today().toString(Qt::ISODate), row.rowid});
}

} // namespace

void RecordAnswerInBank(TDM1& dm, const QString& id, const QString& answer) {
    if (const std::optional<BankRow> row = readBankRow(dm, id))
        writeBankRow(dm, *row, answer);
}

SaveOutcome SaveExamAnswer(TDM1& dm, store::DataSet& paper, const QString& answer) {
    if (answer.isEmpty()) {
        paper.edit();
        paper.setValue(QStringLiteral("E2_1"), QStringLiteral(""));
        try {
            paper.post();
        } catch (...) {
            paper.cancel();
            throw;
        }
        return SaveOutcome::Empty;
    }
    const QDate today = store::clock().today();
    const bool changed = answer != paper.asString(QStringLiteral("E2_1"));
    store::Transaction tx(dm.ADOCn1);
    try {
        if (changed) {
            // Every flag is taken from the rows before anything is written. A first answer is told by the
            // bank's count of marked answers, as in practice: E2 also holds "zero" for a question voided
            // before it was ever answered.
            const QString key = paper.asString(QStringLiteral("A2"));
            const QString before = paper.asString(QStringLiteral("E2"));
            const std::optional<BankRow> bank = readBankRow(dm, paper.asString(QStringLiteral("A1")));
            const bool answeredBefore = bank ? bank->answers > 0 : !before.isEmpty();
            const bool wrongNow = answer != key;
            const int first = flag(!answeredBefore);
            const ExamPointLists lists = ExamPointListsOf(paper);
            dm.RecordDailyProgress(flag(paper.asDate(QStringLiteral("E1")) != today), flag(wrongNow),
                                   flag(before != key));
            dm.RecordChapterAttempt(paper.asString(QStringLiteral("A10")), first, flag(wrongNow));
            if (!lists.isEmpty())
                dm.RecordExamPointAttempt(lists.points, lists.sections, lists.tops, first, flag(wrongNow));
            if (bank)
                writeBankRow(dm, *bank, answer);
        }
        paper.edit();
        paper.setValue(QStringLiteral("E2_1"), answer);
        paper.setValue(QStringLiteral("E2"), answer);
        paper.setValue(QStringLiteral("E1"), today);
        paper.post();
        tx.commit();
    } catch (...) {
        if (paper.active() && paper.state() != store::DataSet::State::Browse)
            paper.cancel();
        throw; // the transaction rolls back and the data sets undo what they had written
    }
    return changed ? SaveOutcome::Marked : SaveOutcome::Unchanged;
}

int CountUnanswered(TDM1& dm, const QString& table) {
    return dm.ADOCn1
        .scalar(QStringLiteral("select count(*) from ") + table +
                QStringLiteral(" where E2_1 = '' or E2_1 is null"))
        .toInt();
}

double PaperScore(TDM1& dm, const QString& table, int kind) {
    const QString tx = store::TypeTableName(kind);
    return dm.ADOCn1
        .scalar(QStringLiteral("select sum(") + tx + QStringLiteral(".B3) as ZFS from ") + table + u',' + tx +
                QStringLiteral(" where ") + table + QStringLiteral(".A13 = ") + tx +
                QStringLiteral(".A1 and ") + table + QStringLiteral(".A2 = ") + table +
                QStringLiteral(".E2_1"))
        .toDouble();
}

MarkResult MarkPaperData(TDM1& dm, const QString& table, int kind, const QString& elapsed) {
    MarkResult result;
    store::Transaction tx(dm.ADOCn1);
    try {
        result.score = PaperScore(dm, table, kind);
        const qint64 least = dm.ADOCn1.scalar(QStringLiteral("select LeastMark from tab_plan")).toLongLong();
        result.belowLeastMark = double(least) > result.score;
        store::DataSet& cj = dm.Cn1Table_cj;
        if (!cj.active())
            cj.open();
        // A paper whose archive row is missing is still marked; its score just has nowhere to go.
        if (cj.locate(QStringLiteral("A1"), table)) {
            cj.edit();
            cj.setValue(QStringLiteral("A6"), result.score);
            cj.setValue(QStringLiteral("D2"), elapsed);
            cj.post();
        }
        dm.RecordStudyTime(elapsed);
        tx.commit();
    } catch (...) {
        if (dm.Cn1Table_cj.active() && dm.Cn1Table_cj.state() != store::DataSet::State::Browse)
            dm.Cn1Table_cj.cancel();
        throw;
    }
    return result;
}

bool DeletesWithoutAsking(int unanswered, int total) {
    return unanswered >= LargePaper && unanswered >= total;
}

bool TimeUpMarks(int unanswered, int total) {
    return !DeletesWithoutAsking(unanswered, total);
}

bool DiscardCountsStudyTime(int unanswered) {
    return unanswered < 50;
}

QString SubmitQuestionText(int unanswered) {
    if (unanswered <= 0)
        return QStringLiteral("恭喜你已经做完试卷，确定要交卷吗？");
    return QStringLiteral("你还有") + QString::number(unanswered) +
           QStringLiteral("道题未做，确定要交卷吗？");
}

void SetQuestionVoided(TDM1& dm, store::DataSet& paper, bool voided) {
    const QString id = paper.asString(QStringLiteral("A1"));
    store::Transaction tx(dm.ADOCn1);
    try {
        paper.edit();
        paper.setValue(QStringLiteral("F1"), voided ? 1 : 0);
        paper.setValue(QStringLiteral("E2"), voided ? QStringLiteral("zero") : QStringLiteral(""));
        paper.post();
        if (voided)
            dm.ADOCn1.execute(QStringLiteral("update tab_answ set F1=1, E2='zero' where A1=:A1"), {id});
        else
            dm.ADOCn1.execute(QStringLiteral("update tab_answ set F1=0 where A1=:A1"), {id});
        tx.commit();
    } catch (...) {
        if (paper.active() && paper.state() != store::DataSet::State::Browse)
            paper.cancel();
        throw;
    }
}

QString ShortNumber(double value) {
    return QString::number(value, 'g', 12);
}
