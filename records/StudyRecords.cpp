#include "records/StudyRecords.h"

#include "store/dm.h"

namespace records {

QString ScoreText(qint64 answers, qint64 wrong) {
    if (answers < 1)
        return QStringLiteral("0");
    return QString::asprintf("%2.2f", double(answers - wrong) / double(answers) * 100.0);
}

LogTotals ReadLogTotals(TDM1& dm) {
    store::DataSet& q = dm.Cn1Query1;
    q.close();
    q.setCommandText(QStringLiteral("select sum(A2) as count_d1,sum(A3) as count_d2 from tab_rz "));
    q.open();
    LogTotals t;
    t.answers = q.asInteger(QStringLiteral("count_d1"));
    t.wrong = q.asInteger(QStringLiteral("count_d2"));
    q.close();
    t.score = ScoreText(t.answers, t.wrong);
    return t;
}

Countdown CountdownFor(const QDate& today, const QDate& examDate) {
    Countdown c;
    if (!examDate.isValid()) {
        c.heading = QStringLiteral("请设定考试日期");
        return c;
    }
    const qint64 d = today.daysTo(examDate);
    c.days = d < 1000 ? QString::number(d) : QStringLiteral("999");
    if (d < 0) {
        c.heading = QStringLiteral("考试已结束！");
    } else if (d == 0) {
        c.heading = QStringLiteral("祝考试成功！");
    } else {
        c.heading = QStringLiteral("距离考试还有");
        c.showsDays = true;
        c.colour = d > 7 ? Countdown::Colour::Green : Countdown::Colour::Red;
    }
    return c;
}

QColor CountdownColour(Countdown::Colour colour) {
    switch (colour) {
    case Countdown::Colour::Green:
        return QColor(100, 203, 37);
    case Countdown::Colour::Red:
        return QColor(Qt::red);
    case Countdown::Colour::None:
        break;
    }
    return QColor(0x1e, 0x3a, 0x5f);
}

QList<ChartRow> ReadChartRows(TDM1& dm) {
    store::DataSet& q = dm.Cn1Query1;
    q.close();
    q.setCommandText(QStringLiteral("select * from tab_kmmc where C7='0'"));
    q.open();
    QList<ChartRow> rows;
    for (q.first(); !q.eof(); q.next())
        rows.push_back({q.asString(QStringLiteral("C2")).trimmed(), q.asInteger(QStringLiteral("C3")),
                        q.asInteger(QStringLiteral("C4")), q.asInteger(QStringLiteral("D1")),
                        q.asInteger(QStringLiteral("D2"))});
    q.close();
    return rows;
}

qint64 ReadChartQuestionTotal(TDM1& dm) {
    store::DataSet& q = dm.Cn1Query1;
    q.close();
    q.setCommandText(QStringLiteral("select sum(C3) as sumc3 from tab_kmmc where C7='0'"));
    q.open();
    const qint64 total = q.isEmpty() ? 0 : q.asInteger(QStringLiteral("sumc3"));
    q.close();
    return total;
}

int ProgressPercent(const ChartRow& row) {
    if (row.questions == 0)
        return -1;
    return int(row.answeredQuestions * 100 / row.questions);
}

QColor RowColour(int i) {
    const qint64 value = (255 + 80000LL * i) % 0x1000000;
    return QColor(int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff));
}

} // namespace records
