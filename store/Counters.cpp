// The study counters every marked answer and every finished practice updates.
#include "store/Clock.h"
#include "store/TimeText.h"
#include "store/dm.h"

#include <cmath>

namespace {
constexpr int Yes = 2;
constexpr int No = 1;

void openIfNeeded(store::DataSet& ds) {
    if (!ds.active())
        ds.open();
}
} // namespace

void TDM1::RecordDailyProgress(int notYetAnsweredToday, int wrongNow, int wrongBefore) {
    store::DataSet& rz = Cn1Table_rz;
    openIfNeeded(rz);
    if (!rz.locate(QStringLiteral("A1"), store::clock().today())) {
        rz.append();
        rz.setValue(QStringLiteral("A1"), store::clock().today());
        rz.setValue(QStringLiteral("A2"), 1);
        rz.setValue(QStringLiteral("B1"), 1);
        if (wrongNow == Yes) {
            rz.setValue(QStringLiteral("A3"), 1);
            rz.setValue(QStringLiteral("B2"), 1);
        }
        rz.post();
        rz.close();
        return;
    }
    rz.edit();
    const auto add = [&](const char* field, int by) {
        const QString f = QLatin1String(field);
        rz.setValue(f, rz.asInteger(f) + by);
    };
    add("A2", 1);
    if (wrongNow == Yes)
        add("A3", 1);
    if (notYetAnsweredToday == Yes) {
        add("B1", 1);
        if (wrongNow == Yes)
            add("B2", 1);
    } else if (wrongBefore == No && wrongNow == Yes) {
        add("B2", 1);
    } else if (wrongBefore == Yes && wrongNow == No) {
        add("B2", -1);
    }
    rz.post();
}

void TDM1::RecordChapterAttempt(const QString& chapterCode, int firstAnswerEver, int wrongNow) {
    store::DataSet& kmmc = Cn1Table_kmmc;
    openIfNeeded(kmmc);
    for (qsizetype n = chapterCode.size(); n >= 1; --n) {
        if (!kmmc.locate(QStringLiteral("C1"), chapterCode.left(n)))
            continue;
        kmmc.edit();
        if (firstAnswerEver == Yes)
            kmmc.setValue(QStringLiteral("C4"), kmmc.asInteger(QStringLiteral("C4")) + 1);
        kmmc.setValue(QStringLiteral("D1"), kmmc.asInteger(QStringLiteral("D1")) + 1);
        if (wrongNow == Yes)
            kmmc.setValue(QStringLiteral("D2"), kmmc.asInteger(QStringLiteral("D2")) + 1);
        kmmc.post();
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
    store::DataSet& rz = Cn1Table_rz;
    openIfNeeded(rz);
    if (rz.locate(QStringLiteral("A1"), store::clock().today())) {
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
