#include "store/Schema.h"

#include "store/Database.h"

namespace store {

QString TypeTableName(int kind) {
    if (kind < 1 || kind > 5)
        kind = 1;
    return QStringLiteral("tab_tx") + QString::number(kind);
}

QStringList BankTableStatements() {
    QStringList s;
    s << QStringLiteral("CREATE TABLE tab_kmmc (bh LONG, C1 TEXT(6) NOT NULL UNIQUE, C1_1 TEXT(255), "
                        "C2 TEXT(255), C3 LONG DEFAULT 0, C4 LONG DEFAULT 0, D1 LONG DEFAULT 0, "
                        "D2 LONG DEFAULT 0, C6 TEXT(10) DEFAULT '0', C7 TEXT(2), jx IMAGE)");
    s << QStringLiteral(
        "CREATE TABLE tab_answ (A1 TEXT(20) NOT NULL PRIMARY KEY, A2 TEXT(100), A2_1 SMALLINT, "
        "K3 TEXT(12), K4 TEXT(12), K5 TEXT(12), K6 TEXT(12), K7 TEXT(12), K8 TEXT(12), "
        "K9 TEXT(12), K10 TEXT(12), K11 TEXT(12), K12 TEXT(12), A10 TEXT(6), A13 SMALLINT, "
        "A14 MEMO, E1 DATETIME, E2 TEXT(100), E2_1 TEXT(100), E3 SMALLINT, E4 SMALLINT, "
        "F1 SMALLINT, csbs TEXT(2), xx LONG, ecount LONG DEFAULT 0)");
    s << QStringLiteral("CREATE TABLE tab_exer (A1 TEXT(20) NOT NULL PRIMARY KEY, A15 IMAGE, jx IMAGE)");
    s << QStringLiteral("CREATE TABLE tab_title (A1 TEXT(16) NOT NULL PRIMARY KEY, A15 IMAGE)");
    for (int kind = 1; kind <= 5; ++kind)
        s << QStringLiteral("CREATE TABLE ") + TypeTableName(kind) +
                 QStringLiteral(" (A1 SMALLINT NOT NULL PRIMARY KEY, B1 TEXT(50), B2 SMALLINT DEFAULT 0, "
                                "B3 DOUBLE DEFAULT 0, time DOUBLE DEFAULT 1)");
    s << QStringLiteral(
        "CREATE TABLE tab_rule (id TEXT(6), ftid TEXT(12) NOT NULL PRIMARY KEY, sn TEXT(255), "
        "n IMAGE, q LONG DEFAULT 0, q1 LONG DEFAULT 0, q2 LONG DEFAULT 0, q4 LONG DEFAULT 0)");
    s << QStringLiteral("CREATE TABLE tab_fgmc (id TEXT(6) NOT NULL PRIMARY KEY, bh LONG, n TEXT(255), "
                        "q LONG DEFAULT 0, q1 LONG DEFAULT 0, q2 LONG DEFAULT 0, q4 LONG DEFAULT 0)");
    s << QStringLiteral("CREATE TABLE tab_cj (A1 TEXT(20) NOT NULL PRIMARY KEY, A3 TEXT(100), A3_1 LONG, "
                        "D1 DATETIME, A6 DOUBLE, D2 TEXT(20))");
    s << QStringLiteral("CREATE TABLE tab_rz (A1 DATETIME NOT NULL PRIMARY KEY, B1 LONG, B2 LONG, A2 LONG, "
                        "A3 LONG, D1 TEXT(20), A4 TEXT(10))");
    s << QStringLiteral("CREATE TABLE tab_plan (PlanMark SMALLINT DEFAULT 0, PlanAmount LONG DEFAULT 0, "
                        "PlanTime LONG DEFAULT 0, ExamDate DATETIME, ExamTime LONG DEFAULT 7200, "
                        "LeastMark LONG DEFAULT 0)");
    s << QStringLiteral("CREATE TABLE tab_sj (sjbs TEXT(50), cpbs TEXT(50))");
    return s;
}

QStringList BankTableNames() {
    QStringList names;
    for (const char* t : {tables::kmmc, tables::answ, tables::exer, tables::title})
        names << QLatin1String(t);
    for (int kind = 1; kind <= 5; ++kind)
        names << TypeTableName(kind);
    for (const char* t : {tables::rule, tables::fgmc, tables::cj, tables::rz, tables::plan, tables::sj})
        names << QLatin1String(t);
    return names;
}

QStringList BankIndexStatements() {
    return {
        QStringLiteral("CREATE INDEX ix_kmmc_bh ON tab_kmmc (bh)"),
        QStringLiteral("CREATE INDEX ix_answ_a10 ON tab_answ (A10, A13)"),
        QStringLiteral("CREATE INDEX ix_answ_a13 ON tab_answ (A13)"),
        QStringLiteral("CREATE INDEX ix_rule_id ON tab_rule (id)"),
        QStringLiteral("CREATE INDEX ix_fgmc_bh ON tab_fgmc (bh)"),
        // Only the rows holding a per-practice answer. Its condition is the reset's condition exactly as
        // the dialect writes it for the engine, or the engine cannot use it there.
        QStringLiteral("CREATE INDEX ix_answ_e2_1 ON tab_answ (E2_1) WHERE E2_1 IS NOT '' COLLATE NOCASE"),
        // The exam-point columns, for the practice of one point; only the rows that fill them.
        QStringLiteral("CREATE INDEX ix_answ_k3 ON tab_answ (K3) WHERE K3 IS NOT NULL"),
        QStringLiteral("CREATE INDEX ix_answ_k4 ON tab_answ (K4) WHERE K4 IS NOT NULL"),
        QStringLiteral("CREATE INDEX ix_answ_k5 ON tab_answ (K5) WHERE K5 IS NOT NULL"),
        QStringLiteral("CREATE INDEX ix_answ_k6 ON tab_answ (K6) WHERE K6 IS NOT NULL"),
        QStringLiteral("CREATE INDEX ix_answ_k7 ON tab_answ (K7) WHERE K7 IS NOT NULL"),
        QStringLiteral("CREATE INDEX ix_answ_k8 ON tab_answ (K8) WHERE K8 IS NOT NULL"),
        QStringLiteral("CREATE INDEX ix_answ_k9 ON tab_answ (K9) WHERE K9 IS NOT NULL"),
        QStringLiteral("CREATE INDEX ix_answ_k10 ON tab_answ (K10) WHERE K10 IS NOT NULL"),
        QStringLiteral("CREATE INDEX ix_answ_k11 ON tab_answ (K11) WHERE K11 IS NOT NULL"),
        QStringLiteral("CREATE INDEX ix_answ_k12 ON tab_answ (K12) WHERE K12 IS NOT NULL"),
    };
}

void CreateBankSchema(Database& db) {
    for (const QString& sql : BankTableStatements())
        db.execute(sql);
    for (const QString& sql : BankIndexStatements())
        db.execute(sql);
}

void AddMissingBankIndexes(Database& db) {
    for (const QString& sql : BankIndexStatements()) {
        const QString name = sql.section(u' ', 2, 2);
        if (db.scalar(QStringLiteral("select count(*) from sqlite_master where type='index' and name=:n"),
                      {name})
                .toInt() == 0)
            db.execute(sql);
    }
}

QString PracticeAnswerReset() {
    return QStringLiteral("Update tab_answ set E2_1= '' where E2_1 is not ''");
}

QString PaperTableStatement(const QString& name) {
    return QStringLiteral("CREATE TABLE ") + name +
           QStringLiteral(" (A1 TEXT(20) NOT NULL PRIMARY KEY,A2 TEXT(100),A2_1 SMALLINT,") +
           QStringLiteral("K3 TEXT(12),K4 TEXT(12),K5 TEXT(12),K6 TEXT(12),K7 TEXT(12),K8 TEXT(12),K9 "
                          "TEXT(12),K10 TEXT(12),K11 TEXT(12),K12 TEXT(12)") +
           QStringLiteral(",A10 TEXT(6),A13 SMALLINT,A14 MEMO,E1 DATETIME,E2 TEXT(100),") +
           QStringLiteral("E2_1 TEXT(100),E3 SMALLINT,E4 SMALLINT,jx IMAGE,csbs TEXT(2),") +
           QStringLiteral("F1 SMALLINT)");
}

} // namespace store
