#include "store/JetSql.h"

#include <functional>

namespace store {

namespace {

enum class Tok { Space, Word, Text, Ident, Number, Param, Punct };

struct Token {
    Tok kind;
    QString text;
};

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; }

// Splits a statement into tokens; texts keep their quotes, [names] and "names" are told apart later.
QList<Token> tokenize(const QString& s) {
    QList<Token> out;
    const qsizetype n = s.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s[i];
        qsizetype j = i + 1;
        if (c.isSpace()) {
            while (j < n && s[j].isSpace())
                ++j;
            out.push_back({Tok::Space, s.mid(i, j - i)});
        } else if (c == u'\'' || c == u'"') {
            // A quoted text; the quote character doubled stands for itself.
            QString body;
            while (j < n) {
                if (s[j] == c) {
                    if (j + 1 < n && s[j + 1] == c) {
                        body += c;
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                body += s[j++];
            }
            out.push_back({Tok::Text, body});
            if (c == u'"')
                out.back().kind = Tok::Text;
        } else if (c == u'[') {
            while (j < n && s[j] != u']')
                ++j;
            out.push_back({Tok::Ident, s.mid(i + 1, j - i - 1)});
            if (j < n)
                ++j;
        } else if (c == u':' && i + 1 < n && isWordChar(s[i + 1])) {
            while (j < n && isWordChar(s[j]))
                ++j;
            out.push_back({Tok::Param, s.mid(i, j - i)});
        } else if (c.isDigit()) {
            while (j < n && (s[j].isDigit() || s[j] == u'.'))
                ++j;
            out.push_back({Tok::Number, s.mid(i, j - i)});
        } else if (isWordChar(c)) {
            while (j < n && isWordChar(s[j]))
                ++j;
            out.push_back({Tok::Word, s.mid(i, j - i)});
        } else {
            if ((c == u'<' || c == u'>' || c == u'!') && j < n && (s[j] == u'=' || s[j] == u'>'))
                ++j;
            out.push_back({Tok::Punct, s.mid(i, j - i)});
        }
        i = j;
    }
    return out;
}

bool is(const Token& t, const char* word) {
    return t.kind == Tok::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// Index of the next token after i that is not blank, or -1.
qsizetype nextSolid(const QList<Token>& t, qsizetype i) {
    for (++i; i < t.size(); ++i)
        if (t[i].kind != Tok::Space)
            return i;
    return -1;
}

qsizetype prevSolid(const QList<Token>& t, qsizetype i) {
    for (--i; i >= 0; --i)
        if (t[i].kind != Tok::Space)
            return i;
    return -1;
}

QString quoteIdent(const QString& name) {
    QString q = name;
    q.replace(u'"', QLatin1String("\"\""));
    return u'"' + q + u'"';
}

// Engine column type for a declared type of the dialect. Texts compare without regard to case, as the
// program expects of every text column; long texts and pictures must not get numeric affinity.
QString engineType(const QString& declared) {
    const QString t = declared.toUpper();
    if (t == u"TEXT" || t == u"VARCHAR" || t == u"CHAR" || t == u"MEMO" || t == u"LONGTEXT" ||
        t == u"NVARCHAR" || t == u"STRING")
        return QStringLiteral("TEXT COLLATE NOCASE");
    if (t == u"DATETIME" || t == u"DATE" || t == u"TIME")
        return QStringLiteral("TEXT");
    if (t == u"IMAGE" || t == u"LONGBINARY" || t == u"OLEOBJECT" || t == u"BINARY" || t == u"BLOB")
        return QStringLiteral("BLOB");
    if (t == u"SMALLINT" || t == u"INTEGER" || t == u"INT" || t == u"LONG" || t == u"BYTE" ||
        t == u"COUNTER" || t == u"AUTOINCREMENT" || t == u"BIT" || t == u"YESNO")
        return QStringLiteral("INTEGER");
    if (t == u"DOUBLE" || t == u"SINGLE" || t == u"FLOAT" || t == u"REAL" || t == u"CURRENCY" ||
        t == u"NUMERIC" || t == u"DECIMAL" || t == u"MONEY")
        return QStringLiteral("REAL");
    return declared;
}

} // namespace

QString quoted(const QString& value) {
    QString q = value;
    q.replace(u'\'', QLatin1String("''"));
    return u'\'' + q + u'\'';
}

TranslatedSql translateJetSql(const QString& sql, const std::function<QString(const QString&)>& aliasFor) {
    QList<Token> t = tokenize(sql);
    TranslatedSql result;

    const qsizetype first = nextSolid(t, -1);
    const bool createTable = first >= 0 && is(t[first], "create") && nextSolid(t, first) >= 0 &&
                             is(t[nextSolid(t, first)], "table");

    // Column types of CREATE TABLE: the word after a column name at depth 1, with an optional (n).
    if (createTable) {
        int depth = 0;
        bool expectName = false, expectType = false;
        for (qsizetype i = 0; i < t.size(); ++i) {
            Token& k = t[i];
            if (k.kind == Tok::Space)
                continue;
            if (k.kind == Tok::Punct && k.text == u"(") {
                ++depth;
                if (depth == 1)
                    expectName = true;
                else if (depth == 2 && i > 0) {
                    // A size after a type word, TEXT(20): drop it, lengths are checked by the program.
                    const qsizetype p = prevSolid(t, i);
                    if (p >= 0 && t[p].kind == Tok::Word && t[p].text.startsWith(u"TEXT COLLATE")) {
                        qsizetype j = i;
                        while (j < t.size() && !(t[j].kind == Tok::Punct && t[j].text == u")"))
                            t[j++] = {Tok::Space, QString()};
                        if (j < t.size())
                            t[j] = {Tok::Space, QString()};
                        --depth;
                        i = j;
                    }
                }
                continue;
            }
            if (k.kind == Tok::Punct && k.text == u")") {
                --depth;
                continue;
            }
            if (depth != 1)
                continue;
            if (k.kind == Tok::Punct && k.text == u",") {
                expectName = true;
                continue;
            }
            if (expectName && (k.kind == Tok::Word || k.kind == Tok::Ident)) {
                expectName = false;
                // Table constraints are not columns.
                expectType = !(is(k, "primary") || is(k, "constraint") || is(k, "unique"));
                continue;
            }
            if (expectType && k.kind == Tok::Word) {
                k.text = engineType(k.text);
                expectType = false;
            }
        }
    }

    // One output piece per token, so that a later token can still rewrite an earlier one.
    QStringList piece(t.size());
    for (qsizetype i = 0; i < t.size(); ++i) {
        const Token& k = t[i];
        switch (k.kind) {
        case Tok::Text: {
            // "in '<file>'" after a table name: read that table from the attached file.
            const qsizetype p = prevSolid(t, i);
            const qsizetype pp = p >= 0 ? prevSolid(t, p) : -1;
            if (aliasFor && p >= 0 && is(t[p], "in") && pp >= 0 &&
                (t[pp].kind == Tok::Word || t[pp].kind == Tok::Ident)) {
                const ExternalSource src{k.text, aliasFor(k.text)};
                result.sources.push_back(src);
                piece[pp] = src.alias + u'.' + piece[pp];
                for (qsizetype j = pp + 1; j < i; ++j)
                    piece[j].clear();
                piece[i] = QStringLiteral(" ");
                break;
            }
            piece[i] = quoted(k.text);
            break;
        }
        case Tok::Ident:
            piece[i] = quoteIdent(k.text);
            break;
        case Tok::Word: {
            piece[i] = k.text;
            if (is(k, "left") || is(k, "right")) {
                const qsizetype nx = nextSolid(t, i);
                if (nx >= 0 && t[nx].kind == Tok::Punct && t[nx].text == u"(")
                    piece[i] = is(k, "left") ? QStringLiteral("jet_left") : QStringLiteral("jet_right");
            } else if (is(k, "delete")) {
                const qsizetype star = nextSolid(t, i);
                const qsizetype from = star >= 0 ? nextSolid(t, star) : -1;
                if (from >= 0 && t[star].kind == Tok::Punct && t[star].text == u"*" && is(t[from], "from")) {
                    for (qsizetype j = i + 1; j < from; ++j)
                        t[j] = {Tok::Space, QString()};
                    piece[i] += u' ';
                }
            }
            break;
        }
        default:
            piece[i] = k.text;
        }
    }
    const QString out = piece.join(QString());
    result.sql = out;
    return result;
}

namespace {

QChar fold(QChar c) { return c.unicode() < 128 ? QChar(QChar::toLower(c.unicode())) : c.toCaseFolded(); }

// Matches a [list] class at pattern[pi] against ch; pi moves past the class. False when the class
// is not closed (then '[' is taken literally by the caller).
bool matchClass(QStringView p, qsizetype& pi, QChar ch, bool& ok) {
    qsizetype j = pi + 1;
    bool negate = false;
    if (j < p.size() && p[j] == u'!') {
        negate = true;
        ++j;
    }
    const qsizetype start = j;
    bool hit = false;
    while (j < p.size() && (p[j] != u']' || j == start)) {
        QChar lo = fold(p[j]);
        if (j + 2 < p.size() && p[j + 1] == u'-' && p[j + 2] != u']') {
            const QChar hi = fold(p[j + 2]);
            if (fold(ch) >= lo && fold(ch) <= hi)
                hit = true;
            j += 3;
        } else {
            if (fold(ch) == lo)
                hit = true;
            ++j;
        }
    }
    if (j >= p.size())
        return false;
    pi = j + 1;
    ok = negate ? !hit : hit;
    return true;
}

} // namespace

bool jetLike(QStringView p, QStringView s) {
    // Iterative matcher with one backtrack point for the last '*'.
    qsizetype pi = 0, si = 0, starP = -1, starS = 0;
    while (si < s.size()) {
        if (pi < p.size()) {
            const QChar pc = p[pi];
            if (pc == u'*') {
                starP = pi++;
                starS = si;
                continue;
            }
            bool ok = false;
            qsizetype next = pi + 1;
            if (pc == u'?') {
                ok = true;
            } else if (pc == u'#') {
                ok = s[si].isDigit();
            } else if (pc == u'[') {
                qsizetype q = pi;
                if (matchClass(p, q, s[si], ok))
                    next = q;
                else
                    ok = s[si] == u'[';
            } else {
                ok = fold(pc) == fold(s[si]);
            }
            if (ok) {
                pi = next;
                ++si;
                continue;
            }
        }
        if (starP < 0)
            return false;
        pi = starP + 1;
        si = ++starS;
    }
    while (pi < p.size() && p[pi] == u'*')
        ++pi;
    return pi == p.size();
}

} // namespace store

namespace store {

QString withSourceRowId(const QString& sql, QString* table) {
    table->clear();
    const QList<Token> t = tokenize(sql);
    const qsizetype sel = nextSolid(t, -1);
    if (sel < 0 || !is(t[sel], "select"))
        return sql;
    int depth = 0;
    qsizetype from = -1;
    for (qsizetype i = sel + 1; i < t.size(); ++i) {
        const Token& k = t[i];
        if (k.kind == Tok::Punct && k.text == u"(")
            ++depth;
        else if (k.kind == Tok::Punct && k.text == u")")
            --depth;
        else if (depth == 0 && (is(k, "distinct") || is(k, "group") || is(k, "union")))
            return sql;
        else if (depth == 0 && from < 0 && is(k, "from"))
            from = i;
    }
    if (from < 0)
        return sql;
    const qsizetype name = nextSolid(t, from);
    if (name < 0 || (t[name].kind != Tok::Word && t[name].kind != Tok::Ident))
        return sql;
    // A table read from another file is never written back.
    qsizetype after = nextSolid(t, name);
    if (after >= 0 && is(t[after], "in"))
        return sql;
    QString ref = t[name].text;
    if (after >= 0 && is(t[after], "as"))
        after = nextSolid(t, after);
    static const char* const notAlias[] = {"where", "order", "group", "having", "inner", "left", "right",
                                           "join", "on", "limit", "union", "outer", "cross", "natural"};
    if (after >= 0 && t[after].kind == Tok::Word) {
        bool keyword = false;
        for (const char* w : notAlias)
            keyword = keyword || is(t[after], w);
        if (!keyword)
            ref = t[after].text;
    }
    *table = t[name].text;
    QString out;
    for (qsizetype i = 0; i < t.size(); ++i) {
        out += t[i].kind == Tok::Text ? quoted(t[i].text)
               : t[i].kind == Tok::Ident ? u'[' + t[i].text + u']'
                                         : t[i].text;
        if (i == sel)
            out += QLatin1String(" [") + ref + QLatin1String("].rowid AS __rowid,");
    }
    return out;
}

} // namespace store
