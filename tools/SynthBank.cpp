#include "tools/SynthBank.h"

#include "richtext/RichText.h"
#include "store/BankKey.h"
#include "store/Database.h"
#include "store/DrawPlan.h"
#include "store/Schema.h"

#include <QFile>
#include <QMap>
#include <QTextDocument>

#include <algorithm>
#include <cmath>

namespace tools {

namespace {

struct Part {
    QString code;
    QMap<int, double> weight; // type -> share of the part's questions
};

struct Subject {
    QString code, name;
    QList<Part> parts;
};

const QList<int> AllTypes{61, 62, 64, 65, 66, 70, 71, 72, 73, 74};

bool grouped(int type) {
    return type == 62 || type == 64;
}

QString typeName(int type) {
    switch (type) {
    case 61:
        return QStringLiteral("单项选择题");
    case 62:
        return QStringLiteral("案例单选题");
    case 64:
        return QStringLiteral("案例多选题");
    case 65:
        return QStringLiteral("多项选择题");
    case 66:
        return QStringLiteral("不定项选择题");
    case 70:
        return QStringLiteral("判断题");
    case 71:
        return QStringLiteral("简答");
    case 72:
        return QStringLiteral("论述");
    case 73:
        return QStringLiteral("案例分析");
    default:
        return QStringLiteral("计算");
    }
}

// The syllabus: the parts the paper kinds draw from and one subject of their own. Every part gets what the
// draw plan asks of it, split evenly where a share names a whole subject, plus a base of every type.
QList<Subject> syllabus() {
    QList<Subject> s{
        {QStringLiteral("0"),
         QStringLiteral("科目一 信息技术基础"),
         {{QStringLiteral("04"), {}},
          {QStringLiteral("05"), {}},
          {QStringLiteral("07"), {}},
          {QStringLiteral("08"), {}}}},
        {QStringLiteral("1"),
         QStringLiteral("网络与信息安全"),
         {{QStringLiteral("10"), {}}, {QStringLiteral("11"), {}}}},
        {QStringLiteral("2"),
         QStringLiteral("数据库与软件开发"),
         {{QStringLiteral("20"), {}}, {QStringLiteral("21"), {}}}},
        {QStringLiteral("3"),
         QStringLiteral("科目三 办公软件应用"),
         {{QStringLiteral("30"), {}}, {QStringLiteral("31"), {}}, {QStringLiteral("32"), {}}}},
    };
    for (Subject& subject : s) {
        for (Part& part : subject.parts) {
            const QMap<int, double> base{{61, 6}, {65, 3}, {66, 3}, {70, 2},
                                         {71, 1}, {72, 1}, {73, 1}, {74, 1}};
            part.weight = base;
            for (const store::DrawShare& share : store::DrawPlan()) {
                const QString prefix = QString::fromLatin1(share.prefix);
                if (prefix == part.code)
                    part.weight[share.type] += share.count;
                else if (prefix == subject.code)
                    part.weight[share.type] += double(share.count) / subject.parts.size();
            }
        }
    }
    return s;
}

// A stored rich text made once, with "@@" where each row puts its own number.
QByteArray rtfTemplate(const QString& text) {
    QTextDocument doc;
    doc.setPlainText(text);
    return richtext::writeRtf(doc);
}

QByteArray fill(const QByteArray& tmpl, const QByteArray& id) {
    QByteArray out = tmpl;
    out.replace("@@", id);
    return out;
}

QString stemText(int type) {
    const QString options = QStringLiteral("\nA. 第一种说法\nB. 第二种说法\nC. 第三种说法\nD. 第四种说法");
    switch (type) {
    case 61:
    case 62:
        return QStringLiteral("练习题 @@：下列关于本节内容的说法中，正确的是（单选）。") + options;
    case 64:
    case 65:
        return QStringLiteral("练习题 @@：下列关于本节内容的说法中，正确的有（多选）。") + options +
               QStringLiteral("\nE. 第五种说法");
    case 66:
        return QStringLiteral("练习题 @@：下列关于本节内容的说法中，正确的是（不定项）。") + options;
    case 70:
        return QStringLiteral("练习题 @@：本节所述的做法是正确的。");
    default:
        return QStringLiteral("练习题 @@：请结合本节内容，说明其主要步骤与注意事项。");
    }
}

int optionCount(int type) {
    switch (type) {
    case 64:
    case 65:
        return 5;
    case 70:
        return 2;
    case 71:
    case 72:
    case 73:
    case 74:
        return 1;
    default:
        return 4;
    }
}

// A deterministic answer key that fits the type.
QString answerFor(int type, quint32 r) {
    static const QStringList single{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                                    QStringLiteral("D")};
    static const QStringList multi{QStringLiteral("AB"),  QStringLiteral("AC"),  QStringLiteral("BD"),
                                   QStringLiteral("ACE"), QStringLiteral("BCD"), QStringLiteral("ABDE")};
    static const QStringList some{QStringLiteral("A"), QStringLiteral("BC"), QStringLiteral("ABD"),
                                  QStringLiteral("D"), QStringLiteral("CD")};
    switch (type) {
    case 61:
    case 62:
        return single[int(r % 4)];
    case 64:
    case 65:
        return multi[int(r % 6)];
    case 66:
        return some[int(r % 5)];
    case 70:
        return r % 2 ? QStringLiteral("A") : QStringLiteral("B");
    default:
        return QStringLiteral("1");
    }
}

// Whole numbers whose sum is total, in proportion to the weights (largest remainders get the rest).
QList<int> apportion(const QList<double>& weights, int total) {
    double sum = 0;
    for (double w : weights)
        sum += w;
    QList<int> out;
    QList<QPair<double, int>> rest;
    int given = 0;
    for (int i = 0; i < weights.size(); ++i) {
        const double exact = sum > 0 ? total * weights[i] / sum : 0;
        out.push_back(int(std::floor(exact)));
        given += out.back();
        rest.push_back({exact - out.back(), i});
    }
    std::sort(rest.begin(), rest.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (int i = 0; given < total && i < rest.size(); ++i, ++given)
        out[rest[i].second] += 1;
    return out;
}

// The questions of one section before they are written: a type for each, groups kept together.
struct Unit {
    int type;
    int size; // 1, or the questions of a group
};

class Writer {
public:
    Writer(store::Database& db) : m_db(db) {
        for (int type : AllTypes)
            m_stem.insert(type, rtfTemplate(stemText(type)));
        m_explain = rtfTemplate(QStringLiteral("解析 @@：依据本节的考点逐项判断，正确答案见答案栏。"));
        m_groupStem = rtfTemplate(
            QStringLiteral("案例 @@：某单位在信息化建设中遇到了下述情况，请根据案例回答后面的问题。"));
        m_pointText = rtfTemplate(QStringLiteral("考点 @@ 的要点：概念、适用条件与常见误区。"));
        m_chapterText = rtfTemplate(QStringLiteral("本章 @@ 的学习要求：理解基本概念，掌握常用方法。"));
    }

    SynthSummary summary;

    void run(int n) {
        const QList<Subject> subjects = syllabus();
        QList<double> partWeights;
        QList<const Part*> parts;
        for (const Subject& s : subjects)
            for (const Part& p : s.parts) {
                double w = 0;
                for (double x : p.weight)
                    w += x;
                partWeights.push_back(w);
                parts.push_back(&p);
            }
        const QList<int> perPart = apportion(partWeights, n);
        int partIndex = 0;
        int bh = 0, fbh = 0;
        for (const Subject& s : subjects) {
            const int subjectRow = addChapter(bh += 10, s.code, s.name, s.name, false, false);
            const int subjectCat = addCatalogue(fbh += 10, s.code, QStringLiteral("考点目录 ") + s.name);
            int subjectCount = 0, subjectLinked = 0;
            for (int k = 0; k < s.parts.size(); ++k) {
                const Part& p = s.parts[k];
                const int count = perPart[partIndex++];
                int partLinked = 0;
                const QString partName = QStringLiteral("第%1部分").arg(k + 1);
                const int partRow =
                    addChapter(bh += 10, p.code, partName, s.name + u' ' + partName, false, false);
                const int partCat = addCatalogue(fbh += 10, p.code, QStringLiteral("考点 ") + partName);
                writePart(p, count, &bh, &fbh, &partLinked);
                m_chapterCount[partRow] = count;
                m_catalogueCount[partCat] = partLinked;
                subjectCount += count;
                subjectLinked += partLinked;
            }
            m_chapterCount[subjectRow] = subjectCount;
            m_catalogueCount[subjectCat] = subjectLinked;
        }
        addChapter(bh += 10, QStringLiteral("xx"), QStringLiteral("（占位）"), QString(), false, false);
        flushTree();
        summary.questions = n;
    }

private:
    // Sections of about ten questions, at most 99 chapters of at most 99 sections a part.
    void writePart(const Part& p, int count, int* bh, int* fbh, int* linked) {
        QList<double> w;
        for (int type : AllTypes)
            w.push_back(p.weight.value(type));
        const QList<int> perType = apportion(w, count);
        QList<QList<Unit>> byType;
        for (int i = 0; i < AllTypes.size(); ++i) {
            QList<Unit> units;
            int left = perType[i];
            while (left > 0) {
                const int size = grouped(AllTypes[i]) ? std::min(4, left) : 1;
                units.push_back({AllTypes[i], size});
                left -= size;
            }
            byType.push_back(units);
        }
        // Round robin over the types, so that every section holds a mix.
        QList<Unit> units;
        for (bool more = true; more;) {
            more = false;
            for (QList<Unit>& list : byType)
                if (!list.isEmpty()) {
                    units.push_back(list.takeFirst());
                    more = true;
                }
        }
        const int wanted = std::max(1, (count + 9) / 10);
        const int chapters = std::clamp((wanted + 5) / 6, 1, 99);
        const int perChapter = std::clamp((wanted + chapters - 1) / chapters, 1, 99);
        const int sections = chapters * perChapter;
        QList<QList<Unit>> bySection(sections);
        for (int i = 0; i < units.size(); ++i)
            bySection[i % sections].push_back(units[i]);

        for (int c = 0; c < chapters; ++c) {
            const QString chapterCode = p.code + QStringLiteral("%1").arg(c + 1, 2, 10, QChar(u'0'));
            const QString name = QStringLiteral("第%1章").arg(c + 1);
            const int chapterRow = addChapter(*bh += 10, chapterCode, name, name, c < 3, c % 3 == 0);
            int chapterCount = 0;
            for (int k = 0; k < perChapter; ++k) {
                const QString code = chapterCode + QStringLiteral("%1").arg(k + 1, 2, 10, QChar(u'0'));
                const QString sectionName = QStringLiteral("第%1节").arg(k + 1);
                const int row =
                    addChapter(*bh += 10, code, sectionName, name + u' ' + sectionName, false, false);
                const int cat = addCatalogue(*fbh += 10, code, name + u' ' + sectionName);
                int sectionLinked = 0;
                const int inSection = writeSection(code, bySection[c * perChapter + k], &sectionLinked);
                m_chapterCount[row] = inSection;
                m_catalogueCount[cat] = sectionLinked;
                chapterCount += inSection;
                *linked += sectionLinked;
                ++summary.sections;
            }
            m_chapterCount[chapterRow] = chapterCount;
        }
    }

    int writeSection(const QString& code, const QList<Unit>& units, int* linked) {
        int questions = 0;
        for (const Unit& u : units)
            questions += u.size;
        const int points = std::max(1, (questions + 2) / 3);
        QList<int> pointCount(points, 0);
        int serial = 0, groupSerial = 0, j = 0;
        for (const Unit& u : units) {
            QString group;
            if (u.size > 1 || grouped(u.type)) {
                group = code + QString::number(u.type) +
                        QStringLiteral("%1").arg(++groupSerial, 8, 10, QChar(u'0'));
                m_db.execute(QStringLiteral("insert into tab_title (A1,A15) values (:A1,:A15)"),
                             {group, fill(m_groupStem, group.toLatin1())});
                ++summary.groups;
            }
            for (int q = 0; q < u.size; ++q, ++j) {
                const QString id = group.isEmpty()
                                       ? code + QString::number(u.type) +
                                             QStringLiteral("%1").arg(++serial, 4, 10, QChar(u'0'))
                                       : group + u'-' + QString::number(q + 1);
                const quint32 r = next();
                // Links: a tenth none, most one, some two or three, all within the section.
                const int draw = int(r % 20);
                const int links = std::min(points, draw < 2 ? 0 : draw < 15 ? 1 : draw < 19 ? 2 : 3);
                QVariantList v{id, answerFor(u.type, r >> 8), optionCount(u.type)};
                for (int k = 0; k < 10; ++k) {
                    if (k < links) {
                        const int p = (j + k) % points;
                        pointCount[p] += 1;
                        v.push_back(code + QStringLiteral("-%1").arg(p + 1, 3, 10, QChar(u'0')));
                    } else {
                        v.push_back(QVariant());
                    }
                }
                if (links > 0)
                    *linked += 1;
                v << code << u.type << ++m_xx;
                m_db.execute(
                    QStringLiteral("insert into tab_answ (A1,A2,A2_1,K3,K4,K5,K6,K7,K8,K9,K10,K11,K12,"
                                   "A10,A13,xx,F1,ecount) values (:A1,:A2,:A2_1,:K3,:K4,:K5,:K6,:K7,"
                                   ":K8,:K9,:K10,:K11,:K12,:A10,:A13,:xx,0,0)"),
                    v);
                const QByteArray bytes = id.toLatin1();
                m_db.execute(QStringLiteral("insert into tab_exer (A1,A15,jx) values (:A1,:A15,:jx)"),
                             {id, fill(m_stem.value(u.type), bytes),
                              (r >> 4) % 7 == 0 ? QVariant() : QVariant(fill(m_explain, bytes))});
            }
        }
        for (int p = 0; p < points; ++p) {
            const QString ftid = code + QStringLiteral("-%1").arg(p + 1, 3, 10, QChar(u'0'));
            m_db.execute(
                QStringLiteral(
                    "insert into tab_rule (id,ftid,sn,n,q,q1,q2,q4) values (:id,:ftid,:sn,:n,:q,0,0,0)"),
                {code, ftid, QStringLiteral("考点 %1").arg(ftid), fill(m_pointText, ftid.toLatin1()),
                 pointCount[p]});
        }
        summary.points += points;
        return questions;
    }

    struct TreeRow {
        int bh;
        QString code, name, title;
        bool chart, explained;
    };

    int addChapter(int bh, const QString& code, const QString& name, const QString& title, bool chart,
                   bool explained) {
        m_tree.push_back({bh, code, name, title, chart, explained});
        m_chapterCount.push_back(0);
        return int(m_tree.size() - 1);
    }

    int addCatalogue(int bh, const QString& id, const QString& name) {
        m_catalogue.push_back({bh, id, name, QString(), false, false});
        m_catalogueCount.push_back(0);
        return int(m_catalogue.size() - 1);
    }

    // The tree rows go in last, once their counters are known.
    void flushTree() {
        for (int i = 0; i < m_tree.size(); ++i) {
            const TreeRow& t = m_tree[i];
            m_db.execute(QStringLiteral("insert into tab_kmmc (bh,C1,C1_1,C2,C3,C4,D1,D2,C6,C7,jx) "
                                        "values (:bh,:C1,:C1_1,:C2,:C3,0,0,0,'0',:C7,:jx)"),
                         {t.bh, t.code, t.title, t.name, m_chapterCount[i],
                          t.chart ? QStringLiteral("0") : QStringLiteral("1"),
                          t.explained ? QVariant(fill(m_chapterText, t.code.toLatin1())) : QVariant()});
        }
        summary.chapters = int(m_tree.size()) - 1;
        for (int i = 0; i < m_catalogue.size(); ++i) {
            const TreeRow& c = m_catalogue[i];
            m_db.execute(
                QStringLiteral("insert into tab_fgmc (id,bh,n,q,q1,q2,q4) values (:id,:bh,:n,:q,0,0,0)"),
                {c.code, c.bh, c.name, m_catalogueCount[i]});
        }
    }

    quint32 next() {
        m_seed = m_seed * 1664525u + 1013904223u;
        return m_seed >> 4;
    }

    store::Database& m_db;
    QHash<int, QByteArray> m_stem;
    QByteArray m_explain, m_groupStem, m_pointText, m_chapterText;
    QList<TreeRow> m_tree, m_catalogue;
    QList<int> m_chapterCount, m_catalogueCount;
    int m_xx = 0;
    quint32 m_seed = 20270522u;
};

// Scores and practice minutes as the delivered bank has them.
double scoreOf(int kind, int type) {
    if ((kind == 4 && type == 70) || (kind == 5 && type == 64))
        return 10;
    switch (type) {
    case 61:
    case 70:
        return 1;
    case 71:
    case 74:
        return 10;
    case 72:
    case 73:
        return 15;
    default:
        return 2;
    }
}

double minutesOf(int type) {
    switch (type) {
    case 61:
        return 1;
    case 62:
    case 65:
        return 1.5;
    case 70:
        return 0.5;
    case 71:
        return 10;
    case 72:
    case 73:
        return 20;
    case 74:
        return 15;
    default:
        return 2;
    }
}

void writeTypesAndSettings(store::Database& db, int n) {
    for (int kind = 1; kind <= store::PaperKindCount; ++kind)
        for (int type : AllTypes)
            db.execute(
                QStringLiteral("insert into ") + store::TypeTableName(kind) +
                    QStringLiteral(" (A1,B1,B2,B3,time) values (:A1,:B1,:B2,:B3,:t)"),
                {type, typeName(type), store::DrawTotal(kind, type), scoreOf(kind, type), minutesOf(type)});
    db.execute(
        QStringLiteral("insert into tab_plan (PlanMark,PlanAmount,PlanTime,ExamDate,ExamTime,LeastMark) "
                       "values (0,50,60,'2027-05-22',7200,0)"));
    db.execute(QStringLiteral("insert into tab_sj (sjbs,cpbs) values (:sjbs,'VELQUAR01')"),
               {QStringLiteral("SYNTH-%1").arg(n)});
}

void removeFiles(const QString& path) {
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
}

} // namespace

bool synthBank(int n, const QString& outPath, bool plain, QStringList* errors, SynthSummary* summary) {
    errors->clear();
    if (n < 1) {
        errors->push_back(QStringLiteral("a synthetic bank needs at least one question"));
        return false;
    }
    const QString tmp = outPath + QStringLiteral(".building");
    removeFiles(tmp);
    try {
        store::Database db;
        db.open(tmp, plain ? QByteArray() : store::BankKey(), store::Database::OpenMode::Create);
        // One transaction into a file nobody else has open: no journal until the rows are in.
        db.execute(QStringLiteral("PRAGMA journal_mode=OFF"));
        db.execute(QStringLiteral("PRAGMA cache_size=-65536"));
        {
            store::Transaction tx(db);
            for (const QString& sql : store::BankTableStatements())
                db.execute(sql);
            writeTypesAndSettings(db, n);
            Writer w(db);
            w.run(n);
            for (const QString& sql : store::BankIndexStatements())
                db.execute(sql);
            tx.commit();
            if (summary)
                *summary = w.summary;
        }
        db.execute(QStringLiteral("PRAGMA journal_mode=WAL"));
        db.close();
    } catch (const store::DbError& e) {
        errors->push_back(e.message());
        removeFiles(tmp);
        return false;
    }
    removeFiles(outPath);
    QFile::remove(tmp + QStringLiteral("-wal"));
    QFile::remove(tmp + QStringLiteral("-shm"));
    if (!QFile::rename(tmp, outPath)) {
        errors->push_back(QStringLiteral("cannot write ") + outPath);
        return false;
    }
    return true;
}

} // namespace tools
