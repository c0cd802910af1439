// The study counters every marked answer and every finished practice updates.
#include "store/Clock.h"
#include "store/TimeText.h"
#include "store/dm.h"

#include <cmath>
#include <optional>

namespace {
constexpr int Yes = 2;
constexpr int No = 1;

void openIfNeeded(store::DataSet& ds) {
    if (!ds.active())
        ds.open();
}
} // namespace

void TDM1::RecordDailyProgress(int notYetAnsweredToday, int wrongNow, int wrongBefore) {
    const QDate today = store::clock().today();
    const bool wrong = wrongNow == Yes;
    int b1 = 0, b2 = 0;
    if (notYetAnsweredToday == Yes) {
        b1 = 1;
        b2 = wrong ? 1 : 0;
    } else if (wrongBefore == No && wrong) {
        b2 = 1;
    } else if (wrongBefore == Yes && !wrong) {
        b2 = -1;
    }
    // Added in the bank: an increment from a value read earlier would lose another writer's answers.
    // Counters nothing is added to stay as they are (an empty A3 stays empty).
    const int changed =
        ADOCn1.execute(QStringLiteral("update tab_rz set A2=coalesce(A2,0)+1, "
                                      "A3=case when :a3=0 then A3 else coalesce(A3,0)+:a3 end, "
                                      "B1=case when :b1=0 then B1 else coalesce(B1,0)+:b1 end, "
                                      "B2=case when :b2=0 then B2 else coalesce(B2,0)+:b2 end where A1=:A1"),
                       {wrong ? 1 : 0, b1, b2, today});
    store::DataSet& rz = Cn1Table_rz;
    if (changed == 0) {
        ADOCn1.execute(QStringLiteral("insert into tab_rz (A1,A2,B1,A3,B2) values (:A1,1,1,:A3,:B2)"),
                       {today, wrong ? QVariant(1) : QVariant(), wrong ? QVariant(1) : QVariant()});
        rz.close(); // opened again with the new row by its next user
        return;
    }
    if (rz.active() && rz.locate(QStringLiteral("A1"), today))
        rz.refreshRow();
}

void TDM1::RecordChapterAttempt(const QString& chapterCode, int firstAnswerEver, int wrongNow) {
    store::DataSet& kmmc = Cn1Table_kmmc;
    openIfNeeded(kmmc);
    for (qsizetype n = chapterCode.size(); n >= 1; --n) {
        const QString code = chapterCode.left(n);
        const int changed =
            ADOCn1.execute(QStringLiteral("update tab_kmmc set C4=coalesce(C4,0)+:c4, D1=coalesce(D1,0)+1, "
                                          "D2=coalesce(D2,0)+:d2 where C1=:C1"),
                           {firstAnswerEver == Yes ? 1 : 0, wrongNow == Yes ? 1 : 0, code});
        // The cursor stands on every row of the path in turn and shows its new counters.
        if (kmmc.locate(QStringLiteral("C1"), code) && changed > 0)
            kmmc.refreshRow();
    }
}

void TDM1::RecordExamPointAttempt(const QString& points, const QString& sections, const QString& tops,
                                  int firstAnswerEver, int wrongNow) {
    const auto run = [&](const char* column) {
        const QString c = QLatin1String(column);
        ADOCn1.execute(QStringLiteral("update tab_rule set %1=%1+1 where ftid in ").arg(c) + points);
        ADOCn1.execute(QStringLiteral("update tab_fgmc set %1=%1+1 where id in ").arg(c) + sections);
        ADOCn1.execute(QStringLiteral("update tab_fgmc set %1=%1+1 where id in ").arg(c) + tops);
    };
    run("q2");
    if (firstAnswerEver == Yes)
        run("q1");
    if (wrongNow == Yes)
        run("q4");
}

void TDM1::RecordStudyTime(const QString& elapsed) {
    std::optional<store::Transaction> tx;
    if (!ADOCn1.inTransaction())
        tx.emplace(ADOCn1);
    store::DataSet& rz = Cn1Table_rz;
    openIfNeeded(rz);
    if (rz.locate(QStringLiteral("A1"), store::clock().today())) {
        rz.refreshRow(); // the time is added to what the bank holds, inside the transaction
        const qint64 n = rz.asInteger(QStringLiteral("A2"));
        const QString a4 = store::PercentText(double(n - rz.asInteger(QStringLiteral("A3"))), double(n));
        const qint64 t =
            store::TimeTextToSeconds(rz.asString(QStringLiteral("D1"))) + store::TimeTextToSeconds(elapsed);
        rz.edit();
        rz.setValue(QStringLiteral("A4"), a4);
        rz.setValue(QStringLiteral("D1"), store::SecondsToTimeText(t));
        rz.post();
    }
    // Every chapter row's score depends on its own counters only, so all rows are brought up to date.
    store::DataSet& kmmc = Cn1Table_kmmc;
    openIfNeeded(kmmc);
    const int keep = kmmc.recNo();
    for (kmmc.first(); !kmmc.eof(); kmmc.next()) {
        const qint64 d1 = kmmc.asInteger(QStringLiteral("D1"));
        const QString c6 = store::PercentText(double(d1 - kmmc.asInteger(QStringLiteral("D2"))), double(d1));
        if (kmmc.asString(QStringLiteral("C6")) != c6) {
            kmmc.setValue(QStringLiteral("C6"), c6);
            kmmc.post();
        }
    }
    if (keep > 0)
        kmmc.setRecNo(keep);
    if (tx)
        tx->commit();
}

int TDM1::PaperFullScore() {
    store::DataSet& tx = Cn1Table_tx;
    openIfNeeded(tx);
    // Scores of half a point exist (1.5 per question), so the products are summed before rounding.
    double sum = 0;
    for (int i = 1; i <= tx.recordCount(); ++i) {
        tx.setRecNo(i);
        sum += double(tx.asInteger(QStringLiteral("B2"))) * tx.asFloat(QStringLiteral("B3"));
    }
    return int(std::lround(sum));
}

void TDM1::DeletePaper(const QString& name) {
    try {
        bool exists = false;
        for (const QString& t : ADOCn1.tableNames())
            exists = exists || t.compare(name, Qt::CaseInsensitive) == 0;
        if (!exists)
            return;
        ADOCn1.dropTable(name);
        openIfNeeded(Cn1Table_cj);
        if (Cn1Table_cj.locate(QStringLiteral("A1"), name))
            Cn1Table_cj.remove();
    } catch (...) {
        // Tidying up only: a paper that cannot be removed stays where it is.
    }
}
