#include "tools/BankSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace tools {

namespace {

struct Record {
    QString kind, key, where;
    QMap<QString, QString> fields;
    QStringList rows; // "a | b | c" lines
    QStringList fieldWhere;
};

QString at(const QString& file, int line) {
    return file + u':' + QString::number(line);
}

// Splits text into [kind key] records with "name: value" fields and "name: |" blocks of indented lines.
QList<Record> splitRecords(const QString& text, const QString& file, QStringList* errors) {
    QList<Record> out;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']') && !line.startsWith(u' ')) {
            Record r;
            const QStringList head = trimmed.mid(1, trimmed.size() - 2).simplified().split(u' ');
            r.kind = head.value(0).toLower();
            r.key = head.mid(1).join(u' ');
            r.where = at(file, i + 1);
            out.push_back(r);
            continue;
        }
        if (out.isEmpty()) {
            errors->push_back(at(file, i + 1) + QStringLiteral(": text before the first [record]"));
            continue;
        }
        Record& r = out.back();
        const qsizetype colon = line.indexOf(u':');
        const QString name = colon > 0 ? line.left(colon).trimmed() : QString();
        static const QRegularExpression fieldName(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
        if (!line.startsWith(u' ') && colon > 0 && fieldName.match(name).hasMatch()) {
            const QString value = line.mid(colon + 1).trimmed();
            if (value == u"|") {
                // A block: the following lines indented by two blanks, blank lines included.
                QStringList block;
                int j = i + 1;
                for (; j < lines.size(); ++j) {
                    QString l = lines[j];
                    if (l.endsWith(u'\r'))
                        l.chop(1);
                    if (l.trimmed().isEmpty()) {
                        block.push_back(QString());
                        continue;
                    }
                    if (!l.startsWith(QLatin1String("  ")))
                        break;
                    block.push_back(l.mid(2));
                }
                while (!block.isEmpty() && block.last().isEmpty())
                    block.removeLast();
                r.fields.insert(name.toLower(), block.join(u'\n'));
                i = j - 1;
            } else {
                r.fields.insert(name.toLower(), value);
            }
        } else if (line.contains(u'|')) {
            r.rows.push_back(trimmed);
        } else {
            errors->push_back(at(file, i + 1) + QStringLiteral(": cannot read \"%1\"").arg(trimmed));
        }
    }
    return out;
}

int toInt(const QString& s, const QString& where, const QString& what, QStringList* errors) {
    bool ok = false;
    const int v = s.trimmed().toInt(&ok);
    if (!ok)
        errors->push_back(where + QStringLiteral(": %1 must be a whole number, not \"%2\"").arg(what, s));
    return v;
}

double toDouble(const QString& s, const QString& where, const QString& what, QStringList* errors) {
    bool ok = false;
    const double v = s.trimmed().toDouble(&ok);
    if (!ok)
        errors->push_back(where + QStringLiteral(": %1 must be a number, not \"%2\"").arg(what, s));
    return v;
}

} // namespace

void parseBankSource(const QString& text, const QString& fileName, BankSource* src, QStringList* errors) {
    for (const Record& r : splitRecords(text, fileName, errors)) {
        const auto f = [&](const char* name) { return r.fields.value(QLatin1String(name)); };
        if (r.kind == u"product") {
            src->product.insert(r.fields);
        } else if (r.kind == u"plan") {
            for (auto it = r.fields.cbegin(); it != r.fields.cend(); ++it)
                src->plan.insert(it.key(), it.value());
        } else if (r.kind == u"types") {
            const int kind = toInt(r.key, r.where, QStringLiteral("the paper kind"), errors);
            if (kind < 1 || kind > 5)
                errors->push_back(r.where + QStringLiteral(": paper kinds are 1 to 5"));
            for (const QString& row : r.rows) {
                const QStringList c = row.split(u'|');
                if (c.size() != 5) {
                    errors->push_back(r.where +
                                      QStringLiteral(": a type row is id | name | count | score | minutes"));
                    continue;
                }
                SourceTypeRow t;
                t.kind = kind;
                t.id = toInt(c[0], r.where, QStringLiteral("a type id"), errors);
                t.name = c[1].trimmed();
                t.count = toInt(c[2], r.where, QStringLiteral("a count"), errors);
                t.score = toDouble(c[3], r.where, QStringLiteral("a score"), errors);
                t.minutes = toDouble(c[4], r.where, QStringLiteral("minutes"), errors);
                src->types.push_back(t);
            }
        } else if (r.kind == u"chapter") {
            SourceChapter c;
            c.code = r.key;
            c.name = f("name");
            c.title = r.fields.contains(QStringLiteral("title")) ? f("title") : c.name;
            c.explain = f("explain");
            c.chart = f("chart").compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0;
            if (r.fields.contains(QStringLiteral("order")))
                c.order = toInt(f("order"), r.where, QStringLiteral("order"), errors);
            src->chapters.push_back(c);
        } else if (r.kind == u"catalogue") {
            SourceCatalogue c{r.key, f("name")};
            if (r.fields.contains(QStringLiteral("order")))
                c.order = toInt(f("order"), r.where, QStringLiteral("order"), errors);
            src->catalogue.push_back(c);
        } else if (r.kind == u"point") {
            src->points.push_back({r.key, f("title"), f("text")});
        } else if (r.kind == u"group") {
            src->groups.push_back({r.key, f("stem")});
        } else if (r.kind == u"question") {
            SourceQuestion q;
            q.id = r.key;
            q.where = r.where;
            q.chapter = f("chapter");
            q.type = toInt(f("type"), r.where, QStringLiteral("type"), errors);
            q.options = r.fields.contains(QStringLiteral("options"))
                            ? toInt(f("options"), r.where, QStringLiteral("options"), errors)
                            : 1;
            q.answer = f("answer");
            q.stem = f("stem");
            q.explain = f("explain");
            q.notes = f("notes");
            for (const QString& p :
                 f("points").split(QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts))
                q.points.push_back(p);
            src->questions.push_back(q);
        } else {
            errors->push_back(r.where + QStringLiteral(": unknown record [%1]").arg(r.kind));
        }
    }
}

BankSource readBankSource(const QString& path, QStringList* errors) {
    BankSource src;
    QStringList files;
    const QFileInfo info(path);
    if (info.isDir()) {
        const QDir dir(path);
        for (const QString& name : dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
            files.push_back(dir.filePath(name));
    } else {
        files.push_back(path);
    }
    if (files.isEmpty())
        errors->push_back(path + QStringLiteral(": no content files"));
    for (const QString& file : files) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            errors->push_back(file + QStringLiteral(": cannot read the file"));
            continue;
        }
        parseBankSource(QString::fromUtf8(f.readAll()), QFileInfo(file).fileName(), &src, errors);
    }
    return src;
}

} // namespace tools
