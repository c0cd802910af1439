#include "tools/BankBuilder.h"

#include "richtext/RichText.h"
#include "store/BankKey.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "tools/AnswerKey.h"
#include "tools/UpgradeBase.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QTextDocument>

namespace tools {

QByteArray authorTextToRichText(const QString& text) {
    if (text.trimmed().isEmpty())
        return QByteArray();
    QTextDocument doc;
    doc.setMarkdown(text, QTextDocument::MarkdownDialectGitHub);
    return richtext::writeRtf(doc);
}

QStringList validateBankSource(const BankSource& src, bool upgrade, const BaseBank* base) {
    QStringList e;
    if (src.product.value(QStringLiteral("cpbs")).isEmpty())
        e << QStringLiteral("[product] needs a cpbs (product id)");
    if (upgrade) {
        // The upgrade copies chapters, questions, contents, points and the catalogue; nothing else arrives.
        if (src.product.value(QStringLiteral("sjbs")).isEmpty())
            e << QStringLiteral("[product] of an upgrade needs its own sjbs (upgrade id)");
        if (!src.types.isEmpty())
            e << QStringLiteral("an upgrade cannot change the question types: no [types]");
        if (!src.plan.isEmpty())
            e << QStringLiteral("an upgrade cannot change the settings: no [plan]");
        if (!src.groups.isEmpty())
            e << QStringLiteral("an upgrade cannot bring shared stems: no [group]");
    }
    // Rows of an upgrade may hang on the bank it is made for; without that bank at hand they are taken
    // on trust.
    const bool trusting = upgrade && !base;

    QSet<QString> chapters;
    for (const SourceChapter& c : src.chapters) {
        if (c.code != u"xx" && c.code.size() != 1 && c.code.size() != 2 && c.code.size() != 4 &&
            c.code.size() != 6)
            e << QStringLiteral("chapter %1: codes have 1, 2, 4 or 6 characters").arg(c.code);
        if (chapters.contains(c.code.toLower()) || (base && base->hasChapter(c.code)))
            e << QStringLiteral("chapter %1 appears twice").arg(c.code);
        if (c.order < 0)
            e << QStringLiteral("chapter %1: the order is a positive number").arg(c.code);
        chapters.insert(c.code.toLower());
    }
    const auto hasChapter = [&](const QString& code) {
        return chapters.contains(code.toLower()) || (base && base->hasChapter(code));
    };
    for (const SourceChapter& c : src.chapters) {
        const QString parent = c.code == u"xx" ? QString() : chapterParentCode(c.code);
        if (!parent.isEmpty() && !hasChapter(parent) && !trusting)
            e << QStringLiteral("chapter %1 has no parent %2").arg(c.code, parent);
    }

    QHash<int, QString> typeNames = base ? base->typeNames : QHash<int, QString>();
    QSet<QString> typeKeys;
    for (const SourceTypeRow& t : src.types) {
        const QString key = QStringLiteral("%1/%2").arg(t.kind).arg(t.id);
        if (typeKeys.contains(key))
            e << QStringLiteral("type %1 appears twice for paper kind %2").arg(t.id).arg(t.kind);
        typeKeys.insert(key);
        typeNames.insert(t.id, t.name);
        if (t.minutes < 0.1 || t.minutes > 30)
            e << QStringLiteral("type %1: minutes per question are 0.1 to 30").arg(t.id);
    }

    QSet<QString> sections, catalogue;
    for (const SourceCatalogue& c : src.catalogue) {
        if (c.id.size() != 1 && c.id.size() != 2 && c.id.size() != 6)
            e << QStringLiteral("catalogue %1: ids have 1, 2 or 6 characters").arg(c.id);
        if (catalogue.contains(c.id.toLower()) || (base && base->hasCatalogue(c.id)))
            e << QStringLiteral("catalogue %1 appears twice").arg(c.id);
        catalogue.insert(c.id.toLower());
        if (c.id.size() == 6)
            sections.insert(c.id.toLower());
    }
    const auto hasCatalogue = [&](const QString& id) {
        return catalogue.contains(id.toLower()) || (base && base->hasCatalogue(id));
    };
    for (const SourceCatalogue& c : src.catalogue) {
        // Sections hang under a row of two characters, those under a row of one.
        const QString parent = catalogueParentId(c.id);
        if (!parent.isEmpty() && !hasCatalogue(parent) && !trusting)
            e << QStringLiteral("catalogue %1 has no upper row %2").arg(c.id, parent);
    }
    QSet<QString> points;
    for (const SourcePoint& p : src.points) {
        if (p.ftid.size() < 7 || p.ftid.size() > store::PointIdLength)
            e << QStringLiteral("point %1: ids have 7 to 12 characters").arg(p.ftid);
        else if (!sections.contains(p.ftid.left(6).toLower()) &&
                 !(base && base->hasCatalogue(p.ftid.left(6))) && !trusting)
            e << QStringLiteral("point %1: no catalogue section %2").arg(p.ftid, p.ftid.left(6));
        if (points.contains(p.ftid.toLower()) || (base && base->points.contains(p.ftid.toLower())))
            e << QStringLiteral("point %1 appears twice").arg(p.ftid);
        if (p.title.trimmed().isEmpty())
            e << QStringLiteral("point %1 has no title").arg(p.ftid);
        points.insert(p.ftid.toLower());
    }
    QSet<QString> groups;
    for (const SourceGroup& g : src.groups) {
        if (g.id.size() != 16)
            e << QStringLiteral("group %1: group ids have 16 characters").arg(g.id);
        if (groups.contains(g.id.toLower()))
            e << QStringLiteral("group %1 appears twice").arg(g.id);
        groups.insert(g.id.toLower());
    }

    QSet<QString> ids;
    for (const SourceQuestion& q : src.questions) {
        const QString at = q.where + QStringLiteral(": question ") + q.id;
        if (q.id.isEmpty() || q.id.size() > store::QuestionIdLength)
            e << at + QStringLiteral(": ids have 1 to 20 characters");
        if (ids.contains(q.id.toLower()) || (base && base->questions.contains(q.id.toLower())))
            e << at + QStringLiteral(" appears twice");
        ids.insert(q.id.toLower());
        if (q.id.contains(u'-') && !groups.contains(q.id.left(16).toLower()) &&
            !(base && base->groups.contains(q.id.left(16).toLower())) && !trusting)
            e << at + QStringLiteral(": no [group %1]").arg(q.id.left(16));
        if (q.chapter.size() != 4 && q.chapter.size() != 6)
            e << at + QStringLiteral(": chapter \"%1\" is not a chapter or section").arg(q.chapter);
        else if (!hasChapter(q.chapter) && !trusting)
            e << at + QStringLiteral(": no chapter %1").arg(q.chapter);
        if (!typeNames.contains(q.type) && !trusting)
            e << at + QStringLiteral(": type %1 is in no type table").arg(q.type);
        if (q.answer.size() > store::AnswerLength)
            e << at + QStringLiteral(": answers have at most 100 characters");
        const QString key =
            answerKeyProblem(q.type, isSubjectiveType(q.type, typeNames.value(q.type)), q.answer, q.options);
        if (!key.isEmpty())
            e << at + QStringLiteral(": ") + key;
        if (q.points.size() > 10)
            e << at + QStringLiteral(": at most 10 exam points");
        QSet<QString> own;
        for (const QString& p : q.points) {
            if (own.contains(p.toLower()))
                e << at + QStringLiteral(": exam point %1 twice").arg(p);
            own.insert(p.toLower());
            const bool known = points.contains(p.toLower()) || (base && base->points.contains(p.toLower()));
            if (trusting ? (p.size() < 7 || p.size() > store::PointIdLength) : !known)
                e << at + QStringLiteral(": no exam point %1").arg(p);
        }
        if (q.stem.trimmed().isEmpty())
            e << at + QStringLiteral(": the stem is empty");
    }
    return e;
}

bool buildBank(const BankSource& src, const QString& outPath, bool plain, QStringList* errors) {
    return buildBank(src, outPath, BuildOptions{plain, false}, errors);
}

bool buildBank(const BankSource& src, const QString& outPath, const BuildOptions& options,
               QStringList* errors) {
    const bool plain = options.plain;
    *errors = validateBankSource(src, options.upgrade, options.base);
    // Rows an upgrade adds to the bank it is made for go after their siblings there.
    QHash<QString, int> chapterOrder, catalogueOrder;
    if (options.base) {
        QStringList codes, ids;
        for (const SourceChapter& c : src.chapters)
            if (c.order == 0)
                codes << c.code.toLower();
        for (const SourceCatalogue& c : src.catalogue)
            if (c.order == 0)
                ids << c.id.toLower();
        chapterOrder = placeRows(options.base->chapters, codes, chapterParentCode, errors);
        catalogueOrder = placeRows(options.base->catalogue, ids, catalogueParentId, errors);
    }
    if (!errors->isEmpty())
        return false;
    const QString tmp = outPath + QStringLiteral(".building");
    QFile::remove(tmp);
    try {
        store::Database db;
        db.open(tmp, plain ? QByteArray() : store::BankKey(), store::Database::OpenMode::Create);
        store::Transaction tx(db);
        store::CreateBankSchema(db);

        // Stored counters follow from the content.
        QHash<QString, int> chapterCount, pointCount, catalogueCount;
        for (const SourceQuestion& q : src.questions) {
            for (int n = 1; n <= q.chapter.size(); ++n)
                chapterCount[q.chapter.left(n).toLower()] += 1;
            QSet<QString> prefixes;
            for (const QString& p : q.points) {
                pointCount[p.toLower()] += 1;
                for (int n = 1; n <= 6; ++n)
                    prefixes.insert(p.left(n).toLower());
            }
            for (const QString& pre : prefixes)
                catalogueCount[pre] += 1;
        }

        // An order given in the source wins, then the place an upgrade's row found in its base bank.
        const auto orderOf = [](int given, const QHash<QString, int>& placed, const QString& key, int* row) {
            if (given > 0)
                return given;
            return placed.contains(key.toLower()) ? placed.value(key.toLower()) : defaultOrder((*row)++);
        };
        int row = 0;
        for (const SourceChapter& c : src.chapters)
            db.execute(QStringLiteral("insert into tab_kmmc (bh,C1,C1_1,C2,C3,C4,D1,D2,C6,C7,jx) "
                                      "values (:bh,:C1,:C1_1,:C2,:C3,0,0,0,'0',:C7,:jx)"),
                       {orderOf(c.order, chapterOrder, c.code, &row), c.code, c.title, c.name,
                        chapterCount.value(c.code.toLower()),
                        c.chart ? QStringLiteral("0") : QStringLiteral("1"),
                        c.explain.isEmpty() ? QVariant() : QVariant(authorTextToRichText(c.explain))});
        for (const SourceTypeRow& t : src.types)
            db.execute(QStringLiteral("insert into ") + store::TypeTableName(t.kind) +
                           QStringLiteral(" (A1,B1,B2,B3,time) values (:A1,:B1,:B2,:B3,:t)"),
                       {t.id, t.name, t.count, t.score, t.minutes});
        row = 0;
        for (const SourceCatalogue& c : src.catalogue)
            db.execute(
                QStringLiteral("insert into tab_fgmc (id,bh,n,q,q1,q2,q4) values (:id,:bh,:n,:q,0,0,0)"),
                {c.id, orderOf(c.order, catalogueOrder, c.id, &row), c.name,
                 catalogueCount.value(c.id.toLower())});
        for (const SourcePoint& p : src.points)
            db.execute(QStringLiteral("insert into tab_rule (id,ftid,sn,n,q,q1,q2,q4) "
                                      "values (:id,:ftid,:sn,:n,:q,0,0,0)"),
                       {p.ftid.left(6), p.ftid, p.title, authorTextToRichText(p.text),
                        pointCount.value(p.ftid.toLower())});
        for (const SourceGroup& g : src.groups)
            db.execute(QStringLiteral("insert into tab_title (A1,A15) values (:A1,:A15)"),
                       {g.id, authorTextToRichText(g.stem)});
        int xx = options.base ? options.base->lastQuestionOrder : 0;
        for (const SourceQuestion& q : src.questions) {
            QVariantList v{q.id, q.answer, q.options};
            for (int k = 0; k < 10; ++k)
                v.push_back(k < q.points.size() ? QVariant(q.points[k]) : QVariant());
            v << q.chapter << q.type << (q.notes.isEmpty() ? QVariant() : QVariant(q.notes)) << ++xx;
            db.execute(QStringLiteral("insert into tab_answ (A1,A2,A2_1,K3,K4,K5,K6,K7,K8,K9,K10,K11,K12,"
                                      "A10,A13,A14,xx,F1,ecount) values (:A1,:A2,:A2_1,:K3,:K4,:K5,:K6,:K7,"
                                      ":K8,:K9,:K10,:K11,:K12,:A10,:A13,:A14,:xx,0,0)"),
                       v);
            db.execute(QStringLiteral("insert into tab_exer (A1,A15,jx) values (:A1,:A15,:jx)"),
                       {q.id, authorTextToRichText(q.stem),
                        q.explain.isEmpty() ? QVariant() : QVariant(authorTextToRichText(q.explain))});
        }
        const auto plan = [&](const char* key, const QVariant& fallback) {
            const QString v = src.plan.value(QString::fromLatin1(key).toLower());
            return v.isEmpty() ? fallback : QVariant(v);
        };
        if (!options.upgrade)
            db.execute(QStringLiteral(
                           "insert into tab_plan (PlanMark,PlanAmount,PlanTime,ExamDate,ExamTime,LeastMark) "
                           "values (:a,:b,:c,:d,:e,:f)"),
                       {plan("PlanMark", 0), plan("PlanAmount", 50), plan("PlanTime", 60),
                        plan("ExamDate", QVariant()), plan("ExamTime", 7200), plan("LeastMark", 0)});
        db.execute(QStringLiteral("insert into tab_sj (sjbs,cpbs) values (:sjbs,:cpbs)"),
                   {src.product.value(QStringLiteral("sjbs")), src.product.value(QStringLiteral("cpbs"))});
        tx.commit();
        // The bank is one file again; a plain file (an upgrade) never had a write-ahead log.
        db.execute(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        db.close();
    } catch (const store::DbError& ex) {
        errors->push_back(ex.message());
        QFile::remove(tmp);
        QFile::remove(tmp + QStringLiteral("-wal"));
        QFile::remove(tmp + QStringLiteral("-shm"));
        return false;
    }
    QFile::remove(tmp + QStringLiteral("-wal"));
    QFile::remove(tmp + QStringLiteral("-shm"));
    QFile::remove(outPath + QStringLiteral("-wal"));
    QFile::remove(outPath + QStringLiteral("-shm"));
    QFile::remove(outPath);
    if (!QFile::rename(tmp, outPath)) {
        errors->push_back(QStringLiteral("cannot write ") + outPath);
        return false;
    }
    return true;
}

} // namespace tools
