#include "store/BankUpgrade.h"

#include "store/Database.h"
#include "store/JetSql.h"

namespace store {

QStringList UpgradeTables() {
    return {QStringLiteral("tab_kmmc"), QStringLiteral("tab_exer"), QStringLiteral("tab_answ"),
            QStringLiteral("tab_rule"), QStringLiteral("tab_fgmc")};
}

UpgradeCheck CheckUpgrade(Database& bank, Database& file, const QString& upgradeFile,
                          UpgradeIdentity* identity, QString* detail) {
    *identity = {};
    file.close();
    try {
        // A plain file: the bank itself, or anything that is not a database, fails its first read here.
        file.open(upgradeFile, QByteArray());
        file.scalar(QStringLiteral("select count(*) from sqlite_master"));
    } catch (const DbError&) {
        file.close();
        return UpgradeCheck::CannotOpen;
    }
    try {
        if (!file.hasTable(QStringLiteral("tab_sj"))) {
            file.close();
            return UpgradeCheck::OtherProduct;
        }
        const QueryResult id = file.query(QStringLiteral("select * from tab_sj"));
        const auto column = [&id](const QString& name) {
            for (int i = 0; i < id.columns.size(); ++i)
                if (id.columns[i].compare(name, Qt::CaseInsensitive) == 0)
                    return i;
            return -1;
        };
        const int s = column(QStringLiteral("sjbs"));
        const int c = column(QStringLiteral("cpbs"));
        if (!id.rows.isEmpty()) {
            identity->sjbs = s >= 0 ? id.rows.first().value(s).toString() : QString();
            identity->cpbs = c >= 0 ? id.rows.first().value(c).toString() : QString();
        }
        // Every column the bank has must be in the file: rows are copied by column name.
        QStringList missing;
        for (const QString& table : UpgradeTables()) {
            if (!file.hasTable(table)) {
                missing << table;
                continue;
            }
            QStringList theirs = file.columnNames(table);
            for (QString& n : theirs)
                n = n.toLower();
            for (const QString& wanted : bank.columnNames(table))
                if (!theirs.contains(wanted.toLower()))
                    missing << table + u'.' + wanted;
        }
        file.close();
        if (bank.query(QStringLiteral("select * from tab_sj where cpbs=:cpbs"), {identity->cpbs})
                .rows.isEmpty())
            return UpgradeCheck::OtherProduct;
        if (!bank.query(QStringLiteral("select * from tab_sj where sjbs=:sjbs"), {identity->sjbs})
                 .rows.isEmpty())
            return UpgradeCheck::AlreadyApplied;
        if (!missing.isEmpty()) {
            if (detail)
                *detail = missing.join(QStringLiteral(", "));
            return UpgradeCheck::WrongLayout;
        }
        return UpgradeCheck::Ready;
    } catch (const DbError&) {
        file.close();
        return UpgradeCheck::CannotOpen;
    }
}

void MergeUpgrade(Database& bank, const QString& upgradeFile, const UpgradeIdentity& identity,
                  const std::function<void(int)>& beforeStep) {
    // The file is read through the bank's connection, attached read-only; its path is quoted, never pasted.
    const QString source = QStringLiteral(" in ") + quoted(upgradeFile);
    Transaction tx(bank);
    int step = 0;
    for (const QString& table : UpgradeTables()) {
        if (beforeStep)
            beforeStep(step);
        ++step;
        bank.execute(QStringLiteral("insert into ") + table + QStringLiteral(" select * from ") + table +
                     source);
    }
    if (beforeStep)
        beforeStep(step);
    bank.execute(QStringLiteral("insert into tab_sj(sjbs,cpbs) values(:sjbs,:cpbs)"),
                 {identity.sjbs, identity.cpbs});
    tx.commit();
}

} // namespace store
