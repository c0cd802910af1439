// The delivered question bank and its sample upgrade, built from the content sources of the repository.
#include "store/BankKey.h"
#include "store/Database.h"
#include "store/DrawPlan.h"
#include "store/Schema.h"
#include "tools/BankBuilder.h"
#include "tools/BankCheck.h"
#include "tools/UpgradeBase.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestDeliveredBank : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_bank, m_upgrade;

    static QString source(const QString& folder) {
        return qEnvironmentVariable("VQ_SOURCE_DIR") + QStringLiteral("/content/") + folder;
    }

    int count(store::Database& db, const QString& sql, const QVariantList& params = {}) {
        return db.scalar(sql, params).toInt();
    }

private slots:
    void initTestCase() {
        QVERIFY2(!qEnvironmentVariableIsEmpty("VQ_SOURCE_DIR"), "VQ_SOURCE_DIR names the source tree");
        QStringList errors;
        const tools::BankSource src = tools::readBankSource(source(QStringLiteral("bank")), &errors);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
        m_bank = m_dir.filePath(QStringLiteral("VELQUAR01.mdb"));
        QVERIFY2(tools::buildBank(src, m_bank, false, &errors), qPrintable(errors.join(u'\n')));

        tools::BaseBank base;
        QString error;
        QVERIFY2(tools::readBaseBank(m_bank, &base, &error), qPrintable(error));
        const tools::BankSource up =
            tools::readBankSource(source(QStringLiteral("upgrades/2027-1")), &errors);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join(u'\n')));
        m_upgrade = m_dir.filePath(QStringLiteral("upgrade-2027-1.mdb"));
        QVERIFY2(tools::buildBank(up, m_upgrade, tools::BuildOptions{true, true, &base}, &errors),
                 qPrintable(errors.join(u'\n')));
    }

    void passesTheCheck() {
        // As the build checks it: a question without an explanation or exam point would be an error.
        // The bank gives a test-wise learner nothing to guess from either: no quality figure is far from
        // chance and every share has its room.
        const tools::CheckReport r = tools::checkBankFile(m_bank, false, tools::CheckOptions{false, true});
        QVERIFY2(r.errorCount() == 0 && r.warningCount() == 0,
                 qPrintable((r.quality + r.lines()).join(u'\n')));
        QVERIFY(!r.quality.isEmpty());
    }

    void everyPaperKindHasEnoughCandidatesPerShare() {
        // Counted the way paper generation filters its candidates, with at least half as many again as a
        // share asks for, so that two papers of a kind differ.
        store::Database db;
        db.open(m_bank, store::BankKey());
        for (int kind = 1; kind <= store::PaperKindCount; ++kind) {
            int paper = 0;
            for (const store::DrawShare& s : store::DrawShares(kind)) {
                const int n = count(db,
                                    QStringLiteral("select count(*) from tab_answ where ") +
                                        store::ChapterClause(kind) +
                                        QStringLiteral(" (f1 <> 1) and A13=:t and a10 like :p"),
                                    {s.type, QString::fromLatin1(s.prefix) + u'*'});
                QVERIFY2(2 * n >= 3 * s.count,
                         qPrintable(QStringLiteral("kind %1, type %2, prefix %3: %4 for %5")
                                        .arg(kind)
                                        .arg(s.type)
                                        .arg(QLatin1String(s.prefix))
                                        .arg(n)
                                        .arg(s.count)));
                paper += s.count;
            }
            QCOMPARE(paper, store::PaperQuestionCount(kind));
            const int listed = count(db, QStringLiteral("select sum(B2) from ") + store::TypeTableName(kind));
            QCOMPARE(listed, paper);
        }
    }

    void builderCountersEqualARecount() {
        store::Database db;
        db.open(m_bank, store::BankKey());
        for (const auto& row : db.query(QStringLiteral("select C1, C3 from tab_kmmc")).rows)
            QVERIFY2(row[1].toInt() ==
                         count(db, QStringLiteral("select count(*) from tab_answ where A10 like :p"),
                               {row[0].toString() + u'*'}),
                     qPrintable(row[0].toString()));
        for (const auto& row : db.query(QStringLiteral("select ftid, q from tab_rule")).rows)
            QVERIFY2(row[1].toInt() == count(db,
                                             QStringLiteral("select count(*) from tab_answ where :f in "
                                                            "(K3,K4,K5,K6,K7,K8,K9,K10,K11,K12)"),
                                             {row[0]}),
                     qPrintable(row[0].toString()));
        for (const auto& row : db.query(QStringLiteral("select id, q from tab_fgmc")).rows) {
            const QString p = row[0].toString() + u'*';
            QVERIFY2(row[1].toInt() ==
                         count(db,
                               QStringLiteral("select count(*) from tab_answ where K3 like :p or K4 like "
                                              ":p or K5 like :p or K6 like :p or K7 like :p or K8 like "
                                              ":p or K9 like :p or K10 like :p or K11 like :p or K12 "
                                              "like :p"),
                               {p, p, p, p, p, p, p, p, p, p}),
                     qPrintable(row[0].toString()));
        }
    }

    void contentHasWhatTheWindowsShow() {
        store::Database db;
        db.open(m_bank, store::BankKey());
        QVERIFY(count(db, QStringLiteral("select count(*) from tab_answ")) >= 1300);
        QVERIFY(count(db, QStringLiteral("select count(*) from tab_title")) > 0);
        QVERIFY(count(db, QStringLiteral("select count(*) from tab_rule")) > 0);
        QVERIFY(count(db, QStringLiteral("select count(*) from tab_answ where K4 is not null")) > 0);
        QVERIFY(count(db, QStringLiteral("select count(*) from tab_kmmc where C7='0'")) > 0);
        QVERIFY(count(db, QStringLiteral("select count(*) from tab_kmmc where jx is not null")) > 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from tab_kmmc where C1='xx'")), 1);
        for (int type = 71; type <= 74; ++type)
            QVERIFY2(count(db, QStringLiteral("select count(*) from tab_answ where A13=:t"), {type}) >= 2,
                     qPrintable(QString::number(type)));
        // Every question explains its answer and names an exam point.
        QCOMPARE(count(db, QStringLiteral("select count(*) from tab_exer where jx is null")), 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from tab_answ where K3 is null")), 0);
        QCOMPARE(db.query(QStringLiteral("select cpbs from tab_sj")).rows.value(0).value(0).toString(),
                 QStringLiteral("VELQUAR01"));
    }

    void upgradeFileAppliesToTheBank() {
        QFile f(m_upgrade);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray upgradeBytes = f.readAll();
        f.close();
        QCOMPARE(int(upgradeBytes.at(18)), 1); // rollback journal: readable from anywhere, one file

        const QString bank = m_dir.filePath(QStringLiteral("learner.mdb"));
        QVERIFY(QFile::copy(m_bank, bank));
        {
            // The copy statements take "select *": every copied table has the bank's columns in order.
            const QString look = m_dir.filePath(QStringLiteral("look.mdb"));
            QVERIFY(QFile::copy(m_upgrade, look));
            store::Database up, db;
            up.open(look, QByteArray());
            db.open(bank, store::BankKey());
            for (const char* t : {"tab_kmmc", "tab_exer", "tab_answ", "tab_rule", "tab_fgmc"})
                QCOMPARE(up.columnNames(QLatin1String(t)), db.columnNames(QLatin1String(t)));
            QCOMPARE(count(up, QStringLiteral("select count(*) from tab_sj")), 1);
        }
        QString error;
        QVERIFY2(tools::applyUpgrade(bank, false, m_upgrade, &error), qPrintable(error));
        {
            store::Database db;
            db.open(bank, store::BankKey());
            QCOMPARE(count(db, QStringLiteral("select count(*) from tab_answ where A10='200203'")), 5);
            QCOMPARE(count(db, QStringLiteral("select count(*) from tab_sj where sjbs='VELQUAR01-2027-1'")),
                     1);
            // The new section is listed right after the last section of its chapter.
            const int before = count(db, QStringLiteral("select bh from tab_kmmc where C1='200202'"));
            const int after = count(db, QStringLiteral("select bh from tab_kmmc where C1='21'"));
            const int placed = count(db, QStringLiteral("select bh from tab_kmmc where C1='200203'"));
            QVERIFY(before < placed && placed < after);
        }
        const tools::CheckReport r = tools::checkBankFile(bank, false);
        QVERIFY2(r.errorCount() == 0, qPrintable(r.lines().join(u'\n')));
        // An upgrade leaves the old counters alone; the quality figures are the bank's own.
        for (const tools::CheckProblem& p : r.problems())
            QVERIFY2(p.topic == u"counter" || p.topic == u"quality" || p.topic == u"headroom",
                     qPrintable(p.text));

        // Twice is refused and changes nothing; the upgrade file was only read.
        QVERIFY(!tools::applyUpgrade(bank, false, m_upgrade, &error));
        QVERIFY(error.contains(QStringLiteral("already")));
        store::Database db;
        db.open(bank, store::BankKey());
        QCOMPARE(count(db, QStringLiteral("select count(*) from tab_answ where A10='200203'")), 5);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), upgradeBytes);
        QVERIFY(!QFile::exists(m_upgrade + QStringLiteral("-wal")));
    }
};

QTEST_MAIN(TestDeliveredBank)
#include "tst_deliveredbank.moc"
