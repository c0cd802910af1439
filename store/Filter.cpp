#include "store/Filter.h"

#include "store/DbError.h"
#include "store/JetSql.h"

#include <vector>

namespace store {

struct Filter::Node {
    enum Kind { Or, And, Not, Compare, IsNull, Like, Field, Literal } kind;
    QString op;     // comparison operator
    QString name;   // field name
    QVariant value; // literal
    bool negate = false;
    std::vector<std::unique_ptr<Node>> kids;
};

namespace {

using Node = Filter::Node;
using Tri = std::optional<bool>;

struct Lexer {
    const QString& s;
    qsizetype i = 0;

    void skip() {
        while (i < s.size() && s[i].isSpace())
            ++i;
    }
    bool atEnd() {
        skip();
        return i >= s.size();
    }
    [[noreturn]] void error(const QString& why) const {
        throw DbError(QStringLiteral("bad filter \"%1\": %2").arg(s, why));
    }
    bool word(const char* w) {
        skip();
        const QLatin1String lw(w);
        if (s.mid(i, lw.size()).compare(lw, Qt::CaseInsensitive) != 0)
            return false;
        const qsizetype e = i + lw.size();
        if (e < s.size() && (s[e].isLetterOrNumber() || s[e] == u'_'))
            return false;
        i = e;
        return true;
    }
    bool punct(const char* p) {
        skip();
        const QLatin1String lp(p);
        if (!s.mid(i).startsWith(lp))
            return false;
        i += lp.size();
        return true;
    }
};

std::unique_ptr<Node> parseOr(Lexer& lx);

std::unique_ptr<Node> parseOperand(Lexer& lx) {
    lx.skip();
    auto n = std::make_unique<Node>();
    if (lx.i >= lx.s.size())
        lx.error(QStringLiteral("value expected"));
    const QChar c = lx.s[lx.i];
    if (c == u'\'' || c == u'"' || c == u'#') {
        const QChar close = c;
        QString body;
        ++lx.i;
        while (true) {
            if (lx.i >= lx.s.size())
                lx.error(QStringLiteral("unclosed text"));
            if (lx.s[lx.i] == close) {
                if (close != u'#' && lx.i + 1 < lx.s.size() && lx.s[lx.i + 1] == close) {
                    body += close;
                    lx.i += 2;
                    continue;
                }
                ++lx.i;
                break;
            }
            body += lx.s[lx.i++];
        }
        n->kind = Node::Literal;
        n->value = body;
    } else if (c.isDigit() || c == u'-' || c == u'.') {
        qsizetype j = lx.i + 1;
        while (j < lx.s.size() && (lx.s[j].isDigit() || lx.s[j] == u'.'))
            ++j;
        bool ok = false;
        const double d = lx.s.mid(lx.i, j - lx.i).toDouble(&ok);
        if (!ok)
            lx.error(QStringLiteral("bad number"));
        lx.i = j;
        n->kind = Node::Literal;
        n->value = d;
    } else if (c == u'[') {
        const qsizetype e = lx.s.indexOf(u']', lx.i);
        if (e < 0)
            lx.error(QStringLiteral("unclosed name"));
        n->kind = Node::Field;
        n->name = lx.s.mid(lx.i + 1, e - lx.i - 1);
        lx.i = e + 1;
    } else if (c.isLetter() || c == u'_') {
        qsizetype j = lx.i + 1;
        while (j < lx.s.size() && (lx.s[j].isLetterOrNumber() || lx.s[j] == u'_' || lx.s[j] == u'.'))
            ++j;
        n->name = lx.s.mid(lx.i, j - lx.i);
        lx.i = j;
        if (n->name.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0) {
            n->kind = Node::Literal;
        } else {
            n->kind = Node::Field;
            // a.A1 names the column A1
            const qsizetype dot = n->name.lastIndexOf(u'.');
            if (dot >= 0)
                n->name = n->name.mid(dot + 1);
        }
    } else {
        lx.error(QStringLiteral("unexpected '%1'").arg(c));
    }
    return n;
}

std::unique_ptr<Node> parseFactor(Lexer& lx) {
    if (lx.word("not")) {
        auto n = std::make_unique<Node>();
        n->kind = Node::Not;
        n->kids.push_back(parseFactor(lx));
        return n;
    }
    if (lx.punct("(")) {
        auto inner = parseOr(lx);
        if (!lx.punct(")"))
            lx.error(QStringLiteral("')' expected"));
        return inner;
    }
    auto left = parseOperand(lx);
    auto n = std::make_unique<Node>();
    if (lx.word("is")) {
        n->kind = Node::IsNull;
        n->negate = lx.word("not");
        if (!lx.word("null"))
            lx.error(QStringLiteral("null expected"));
        n->kids.push_back(std::move(left));
        return n;
    }
    const bool notLike = lx.word("not");
    if (lx.word("like")) {
        n->kind = Node::Like;
        n->negate = notLike;
    } else if (notLike) {
        lx.error(QStringLiteral("like expected"));
    } else {
        n->kind = Node::Compare;
        static const char* const ops[] = {"<>", "<=", ">=", "!=", "=", "<", ">"};
        for (const char* op : ops) {
            if (lx.punct(op)) {
                n->op = QLatin1String(op);
                break;
            }
        }
        if (n->op.isEmpty())
            lx.error(QStringLiteral("comparison expected"));
        if (n->op == u"!=")
            n->op = QStringLiteral("<>");
    }
    n->kids.push_back(std::move(left));
    n->kids.push_back(parseOperand(lx));
    return n;
}

std::unique_ptr<Node> parseAnd(Lexer& lx) {
    auto first = parseFactor(lx);
    if (!lx.word("and"))
        return first;
    auto n = std::make_unique<Node>();
    n->kind = Node::And;
    n->kids.push_back(std::move(first));
    do
        n->kids.push_back(parseFactor(lx));
    while (lx.word("and"));
    return n;
}

std::unique_ptr<Node> parseOr(Lexer& lx) {
    auto first = parseAnd(lx);
    if (!lx.word("or"))
        return first;
    auto n = std::make_unique<Node>();
    n->kind = Node::Or;
    n->kids.push_back(std::move(first));
    do
        n->kids.push_back(parseAnd(lx));
    while (lx.word("or"));
    return n;
}

bool isNullValue(const QVariant& v) { return !v.isValid() || v.isNull(); }

bool asNumber(const QVariant& v, double* out) {
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Double:
    case QMetaType::Bool:
        *out = v.toDouble();
        return true;
    case QMetaType::QString: {
        bool ok = false;
        *out = v.toString().trimmed().toDouble(&ok);
        return ok;
    }
    default:
        return false;
    }
}

QVariant operandValue(const Node& n, const std::function<QVariant(const QString&)>& field) {
    return n.kind == Node::Field ? field(n.name) : n.value;
}

Tri eval(const Node& n, const std::function<QVariant(const QString&)>& field) {
    switch (n.kind) {
    case Node::Or: {
        Tri r = false;
        for (const auto& k : n.kids) {
            const Tri v = eval(*k, field);
            if (v == true)
                return true;
            if (!v)
                r.reset();
        }
        return r;
    }
    case Node::And: {
        Tri r = true;
        for (const auto& k : n.kids) {
            const Tri v = eval(*k, field);
            if (v == false)
                return false;
            if (!v)
                r.reset();
        }
        return r;
    }
    case Node::Not: {
        const Tri v = eval(*n.kids[0], field);
        return v ? Tri(!*v) : Tri();
    }
    case Node::IsNull:
        return isNullValue(operandValue(*n.kids[0], field)) != n.negate;
    case Node::Like: {
        const QVariant a = operandValue(*n.kids[0], field), b = operandValue(*n.kids[1], field);
        if (isNullValue(a) || isNullValue(b))
            return Tri();
        QString pattern = b.toString();
        // Data sets also take % as the any-text wildcard.
        pattern.replace(u'%', u'*');
        return jetLike(pattern, a.toString()) != n.negate;
    }
    case Node::Compare: {
        const QVariant a = operandValue(*n.kids[0], field), b = operandValue(*n.kids[1], field);
        if (isNullValue(a) || isNullValue(b))
            return Tri();
        const int c = compareValues(a, b);
        if (n.op == u"=")
            return c == 0;
        if (n.op == u"<>")
            return c != 0;
        if (n.op == u"<")
            return c < 0;
        if (n.op == u">")
            return c > 0;
        if (n.op == u"<=")
            return c <= 0;
        return c >= 0;
    }
    case Node::Field:
    case Node::Literal:
        break;
    }
    const QVariant v = operandValue(n, field);
    if (isNullValue(v))
        return Tri();
    double d = 0;
    return asNumber(v, &d) ? d != 0 : !v.toString().isEmpty();
}

} // namespace

int compareValues(const QVariant& a, const QVariant& b) {
    const bool an = isNullValue(a), bn = isNullValue(b);
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    // Two texts compare as texts ("10" after "9" only when one side is a number).
    const bool aText = a.typeId() == QMetaType::QString, bText = b.typeId() == QMetaType::QString;
    double x = 0, y = 0;
    if (!(aText && bText) && asNumber(a, &x) && asNumber(b, &y))
        return x < y ? -1 : (x > y ? 1 : 0);
    const int c = QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Filter::Filter(const QString& expression) {
    Lexer lx{expression};
    m_root = parseOr(lx);
    if (!lx.atEnd())
        lx.error(QStringLiteral("unexpected text at %1").arg(lx.i));
}

Filter::~Filter() = default;
Filter::Filter(Filter&&) noexcept = default;
Filter& Filter::operator=(Filter&&) noexcept = default;

bool Filter::accepts(const std::function<QVariant(const QString&)>& field) const {
    return eval(*m_root, field) == true;
}

} // namespace store
