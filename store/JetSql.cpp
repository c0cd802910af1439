#include "store/JetSql.h"

#include "store/DbError.h"

#include <QHash>

#include <functional>
#include <optional>

namespace store {

namespace {

enum class Tok { Space, Word, Text, Ident, Number, Param, Punct };

struct Token {
    Tok kind;
    QString text;
};

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

// Splits a statement into tokens; texts lose their quotes. An unclosed quote or bracket is reported in
// *unclosed (the token then runs to the end), so that a caller can refuse the statement.
QList<Token> tokenize(const QString& s, bool* unclosed = nullptr) {
    QList<Token> out;
    if (unclosed)
        *unclosed = false;
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
            bool closed = false;
            while (j < n) {
                if (s[j] == c) {
                    if (j + 1 < n && s[j + 1] == c) {
                        body += c;
                        j += 2;
                        continue;
                    }
                    ++j;
                    closed = true;
                    break;
                }
                body += s[j++];
            }
            if (!closed && unclosed)
                *unclosed = true;
            out.push_back({Tok::Text, body});
        } else if (c == u'[') {
            while (j < n && s[j] != u']')
                ++j;
            out.push_back({Tok::Ident, s.mid(i + 1, j - i - 1)});
            if (j < n)
                ++j;
            else if (unclosed)
                *unclosed = true;
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

namespace {

bool isPunct(const Token& t, const char* p) {
    return t.kind == Tok::Punct && t.text == QLatin1String(p);
}

bool isComparison(const Token& t) {
    return t.kind == Tok::Punct && (t.text == u"=" || t.text == u"<>" || t.text == u"!=" || t.text == u"<" ||
                                    t.text == u">" || t.text == u"<=" || t.text == u">=");
}

// Statements that read or change rows; only in these do texts compare.
bool isDataStatement(const QList<Token>& t) {
    qsizetype first = nextSolid(t, -1);
    if (first >= 0 && is(t[first], "explain")) {
        first = nextSolid(t, first);
        if (first >= 0 && is(t[first], "query"))
            first = nextSolid(t, nextSolid(t, first));
    }
    return first >= 0 && (is(t[first], "select") || is(t[first], "insert") || is(t[first], "update") ||
                          is(t[first], "delete"));
}

// "insert into T select * from S in '<file>'": the positions of T, of the star and of S, so that the
// columns can be named; false for any other statement.
struct StarCopy {
    qsizetype target = -1, star = -1, source = -1;
};
bool findStarCopy(const QList<Token>& t, qsizetype sourceText, StarCopy* out) {
    qsizetype i = nextSolid(t, -1);
    if (i < 0 || !is(t[i], "insert"))
        return false;
    const qsizetype into = nextSolid(t, i);
    const qsizetype target = into >= 0 ? nextSolid(t, into) : -1;
    const qsizetype sel = target >= 0 ? nextSolid(t, target) : -1;
    const qsizetype star = sel >= 0 ? nextSolid(t, sel) : -1;
    const qsizetype from = star >= 0 ? nextSolid(t, star) : -1;
    const qsizetype source = from >= 0 ? nextSolid(t, from) : -1;
    const qsizetype in = source >= 0 ? nextSolid(t, source) : -1;
    if (in < 0 || !is(t[into], "into") || !is(t[sel], "select") || !isPunct(t[star], "*") ||
        !is(t[from], "from") || !is(t[in], "in") || nextSolid(t, in) != sourceText)
        return false;
    if ((t[target].kind != Tok::Word && t[target].kind != Tok::Ident) ||
        (t[source].kind != Tok::Word && t[source].kind != Tok::Ident))
        return false;
    *out = {target, star, source};
    return true;
}

// Jet compares texts without regard to case wherever they meet. Columns carry that in their type; a
// text, or the result of a function, does not, so it gets the collation written after it.
const QString kNoCase = QStringLiteral(" COLLATE NOCASE");

// "Left(A10,4) = '0501'": the chapter condition of every practice list. The engine cannot use an index
// for a function's result and reads the whole question table (in the order of an index that serves the
// ORDER BY, one row at a time); the same condition also written as a range of the column lets it read
// only the chapter's rows. The range holds every text that begins with the code, so the original
// condition, kept beside it, decides as before. Codes of digits only, whose next code is plain.
struct PrefixRange {
    qsizetype left = -1, text = -1;
    QString column, code;
};

bool isOneOf(const Token& t, std::initializer_list<const char*> words) {
    for (const char* w : words)
        if (is(t, w))
            return true;
    return false;
}

std::optional<PrefixRange> prefixRangeAt(const QList<Token>& t, qsizetype i) {
    if (!is(t[i], "left"))
        return std::nullopt;
    const qsizetype before = prevSolid(t, i);
    if (before >= 0 && !isPunct(t[before], "(") &&
        !isOneOf(t[before], {"where", "and", "or", "not", "on", "having"}))
        return std::nullopt;
    qsizetype j = nextSolid(t, i);
    if (j < 0 || !isPunct(t[j], "("))
        return std::nullopt;
    QString column;
    for (j = nextSolid(t, j); j >= 0 && !isPunct(t[j], ","); j = nextSolid(t, j)) {
        if (t[j].kind == Tok::Word && !isOneOf(t[j], {"select", "left", "right"}))
            column += t[j].text;
        else if (t[j].kind == Tok::Ident)
            column += quoteIdent(t[j].text);
        else if (isPunct(t[j], ".") && !column.isEmpty())
            column += u'.';
        else
            return std::nullopt;
    }
    const qsizetype n = j >= 0 ? nextSolid(t, j) : -1;
    const qsizetype close = n >= 0 ? nextSolid(t, n) : -1;
    const qsizetype eq = close >= 0 ? nextSolid(t, close) : -1;
    const qsizetype text = eq >= 0 ? nextSolid(t, eq) : -1;
    if (text < 0 || column.isEmpty() || column.endsWith(u'.') || t[n].kind != Tok::Number ||
        !isPunct(t[close], ")") || !isPunct(t[eq], "=") || t[text].kind != Tok::Text)
        return std::nullopt;
    const QString& code = t[text].text;
    bool digits = !code.isEmpty() && code.size() <= 20;
    for (QChar c : code)
        digits = digits && c >= u'0' && c <= u'9';
    if (!digits || t[n].text != QString::number(code.size()))
        return std::nullopt;
    const qsizetype after = nextSolid(t, text);
    if (after >= 0 && !isPunct(t[after], ")") &&
        !isOneOf(t[after], {"and", "or", "order", "group", "having"}))
        return std::nullopt;
    return PrefixRange{i, text, column, code};
}

} // namespace

TranslatedSql translateJetSql(const QString& sql, const std::function<QString(const QString&)>& aliasFor,
                              const std::function<QStringList(const QString&, const QString&)>& columnsOf) {
    bool unclosed = false;
    QList<Token> t = tokenize(sql, &unclosed);
    if (unclosed)
        throw DbError(QStringLiteral("unclosed quote or bracket in \"%1\"").arg(sql));
    // One statement only: the engine would run the first and quietly drop the rest.
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (isPunct(t[i], ";")) {
            if (nextSolid(t, i) >= 0)
                throw DbError(QStringLiteral("more than one statement in \"%1\"").arg(sql));
            t.resize(i);
            break;
        }
    }
    TranslatedSql result;

    const qsizetype first = nextSolid(t, -1);
    const bool createTable = first >= 0 && is(t[first], "create") && nextSolid(t, first) >= 0 &&
                             is(t[nextSolid(t, first)], "table");
    const bool data = isDataStatement(t);

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

    QHash<qsizetype, PrefixRange> ranges; // by the position of their text
    if (data) {
        for (qsizetype i = 0; i < t.size(); ++i)
            if (const std::optional<PrefixRange> r = prefixRangeAt(t, i))
                ranges.insert(r->text, *r);
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
                StarCopy copy;
                if (columnsOf && findStarCopy(t, i, &copy)) {
                    // The bank's columns, each taken by name from the file: a file whose columns come in
                    // another order must not shift values into the wrong columns.
                    const QString target = t[copy.target].text;
                    const QString source = t[copy.source].text;
                    const QStringList want = columnsOf(QStringLiteral("main"), target);
                    const QStringList have = columnsOf(src.alias, source);
                    if (want.isEmpty())
                        throw DbError(QStringLiteral("no table %1 to copy into").arg(target));
                    if (have.isEmpty())
                        throw DbError(QStringLiteral("%1 holds no table %2").arg(src.file, source));
                    QStringList names;
                    for (const QString& c : want) {
                        bool found = false;
                        for (const QString& h : have)
                            found = found || h.compare(c, Qt::CaseInsensitive) == 0;
                        if (!found)
                            throw DbError(
                                QStringLiteral("%1: table %2 has no column %3").arg(src.file, source, c));
                        names << quoteIdent(c);
                    }
                    piece[copy.target] = quoteIdent(target) + QStringLiteral(" (") + names.join(u',') + u')';
                    piece[copy.star] = names.join(u',');
                }
                piece[pp] = src.alias + u'.' + piece[pp];
                for (qsizetype j = pp + 1; j < i; ++j)
                    piece[j].clear();
                piece[i] = QStringLiteral(" ");
                break;
            }
            piece[i] = quoted(k.text);
            if (data && !(p >= 0 && (is(t[p], "as") || is(t[p], "collate"))))
                piece[i] += kNoCase;
            if (const auto r = ranges.constFind(i); r != ranges.constEnd()) {
                QString next = r->code;
                next.back() = QChar(next.back().unicode() + 1); // '9' + 1 is ':', still after every digit
                piece[r->left].prepend(u'(');
                piece[i] += QStringLiteral(" AND ") + r->column + QStringLiteral(" >= ") + quoted(r->code) +
                            kNoCase + QStringLiteral(" AND ") + r->column + QStringLiteral(" < ") +
                            quoted(next) + kNoCase + u')';
            }
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
        case Tok::Punct: {
            piece[i] = k.text;
            // A function's result or a bracketed expression compared with something, or tested against a
            // list: "Left(A1,1)='q'", "Left(A10,2) in ('05','30')".
            if (data && k.text == u")") {
                qsizetype nx = nextSolid(t, i);
                if (nx >= 0 && is(t[nx], "not"))
                    nx = nextSolid(t, nx);
                if (nx >= 0 && (isComparison(t[nx]) || is(t[nx], "in") || is(t[nx], "is")))
                    piece[i] += kNoCase;
            }
            break;
        }
        default:
            piece[i] = k.text;
        }
    }
    // "D1--1" is D1 minus minus one to Jet, but a comment to the engine; so is "/*". Pieces that would
    // join into either are kept apart.
    QString out;
    for (const QString& p : std::as_const(piece)) {
        if (!p.isEmpty() && !out.isEmpty()) {
            const QChar a = out.back(), b = p.front();
            if ((a == u'-' && b == u'-') || (a == u'/' && b == u'*'))
                out += u' ';
        }
        out += p;
    }
    result.sql = out;
    return result;
}

namespace {

QChar fold(QChar c) {
    return c.unicode() < 128 ? QChar(QChar::toLower(c.unicode())) : c.toCaseFolded();
}

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

QString withSourceRowId(const QString& sql, QString* table,
                        const std::function<QString(const QString&)>& keyOf) {
    table->clear();
    bool unclosed = false;
    const QList<Token> t = tokenize(sql, &unclosed);
    const qsizetype sel = nextSolid(t, -1);
    if (unclosed || sel < 0 || !is(t[sel], "select"))
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
    static const char* const notAlias[] = {"where", "order", "group", "having", "inner", "left",  "right",
                                           "join",  "on",    "limit", "union",  "outer", "cross", "natural"};
    if (after >= 0 && t[after].kind == Tok::Word) {
        bool keyword = false;
        for (const char* w : notAlias)
            keyword = keyword || is(t[after], w);
        if (!keyword)
            ref = t[after].text;
    }
    *table = t[name].text;
    const QString key = keyOf ? keyOf(*table) : QString();
    QString extra = QLatin1String(" [") + ref + QLatin1String("].rowid AS __rowid,");
    if (!key.isEmpty())
        extra += QLatin1String(" [") + ref + QLatin1String("].[") + key + QLatin1String("] AS __key,");
    QString out;
    for (qsizetype i = 0; i < t.size(); ++i) {
        out += t[i].kind == Tok::Text    ? quoted(t[i].text)
               : t[i].kind == Tok::Ident ? u'[' + t[i].text + u']'
                                         : t[i].text;
        if (i == sel)
            out += extra;
    }
    return out;
}

} // namespace store
