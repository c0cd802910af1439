#include "store/JetFunctions.h"

#include "store/JetSql.h"

#include <sqlcipher/sqlite3.h>

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace store {

namespace {

QString textArg(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return QString::fromUtf8(p, sqlite3_value_bytes(v));
}

void resultText(sqlite3_context* ctx, const QString& s) {
    const QByteArray u = s.toUtf8();
    sqlite3_result_text(ctx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
}

bool anyNull(int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return true;
    return false;
}

void leftRight(sqlite3_context* ctx, int argc, sqlite3_value** argv, bool left) {
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    const sqlite3_int64 n = sqlite3_value_int64(argv[1]);
    if (n < 0) {
        sqlite3_result_error(ctx, "invalid length for Left/Right", -1);
        return;
    }
    const QString s = textArg(argv[0]);
    resultText(ctx, left ? s.left(qsizetype(n)) : s.right(qsizetype(n)));
}

void fnLeft(sqlite3_context* c, int n, sqlite3_value** v) {
    leftRight(c, n, v, true);
}
void fnRight(sqlite3_context* c, int n, sqlite3_value** v) {
    leftRight(c, n, v, false);
}

void fnMid(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const sqlite3_int64 start = sqlite3_value_int64(argv[1]);
    const sqlite3_int64 len = argc > 2 ? sqlite3_value_int64(argv[2]) : -1;
    if (start < 1 || (argc > 2 && len < 0)) {
        sqlite3_result_error(ctx, "invalid argument for Mid", -1);
        return;
    }
    resultText(ctx, textArg(argv[0]).mid(qsizetype(start - 1), qsizetype(len)));
}

// CInt: rounds half to even and refuses what is not a number or does not fit 16 bits.
void fnCint(sqlite3_context* ctx, int, sqlite3_value** argv) {
    double d = 0;
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL:
        sqlite3_result_null(ctx);
        return;
    case SQLITE_INTEGER:
        d = double(sqlite3_value_int64(argv[0]));
        break;
    case SQLITE_FLOAT:
        d = sqlite3_value_double(argv[0]);
        break;
    default: {
        bool ok = false;
        d = textArg(argv[0]).trimmed().toDouble(&ok);
        if (!ok) {
            sqlite3_result_error(ctx, "data type mismatch in CInt", -1);
            return;
        }
    }
    }
    d = std::nearbyint(d);
    if (!(d >= -32768 && d <= 32767)) {
        sqlite3_result_error(ctx, "overflow in CInt", -1);
        return;
    }
    sqlite3_result_int(ctx, int(d));
}

void fnLen(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    sqlite3_result_int64(ctx, textArg(argv[0]).size());
}

void fnCase(sqlite3_context* ctx, sqlite3_value** argv, bool upper) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString s = textArg(argv[0]);
    resultText(ctx, upper ? s.toUpper() : s.toLower());
}
void fnUcase(sqlite3_context* c, int, sqlite3_value** v) {
    fnCase(c, v, true);
}
void fnLcase(sqlite3_context* c, int, sqlite3_value** v) {
    fnCase(c, v, false);
}

// like(pattern, text): the engine passes the pattern first.
void fnLike(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(2, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    Q_UNUSED(argc);
    sqlite3_result_int(ctx, jetLike(textArg(argv[0]), textArg(argv[1])) ? 1 : 0);
}

// NOCASE as Jet compares: letter case is ignored beyond ASCII too (full-width Ａ and ａ are one letter).
// Texts compare as their case-folded UTF-8 bytes, which for ASCII texts is exactly the engine's own
// NOCASE order, so indexes built with either agree on the ids and codes the bank holds.
int noCaseCompare(void*, int n1, const void* p1, int n2, const void* p2) {
    const auto* a = static_cast<const unsigned char*>(p1);
    const auto* b = static_cast<const unsigned char*>(p2);
    const int n = std::min(n1, n2);
    int i = 0;
    for (; i < n; ++i) {
        const unsigned char x = a[i], y = b[i];
        if (x >= 0x80 || y >= 0x80)
            break;
        const int fx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
        const int fy = (y >= 'A' && y <= 'Z') ? y + 32 : y;
        if (fx != fy)
            return fx - fy;
    }
    if (i == n)
        return n1 - n2;
    // Everything before i was ASCII, so i starts a character in both texts.
    const QByteArray fa =
        QString::fromUtf8(reinterpret_cast<const char*>(a + i), n1 - i).toCaseFolded().toUtf8();
    const QByteArray fb =
        QString::fromUtf8(reinterpret_cast<const char*>(b + i), n2 - i).toCaseFolded().toUtf8();
    const int c = std::memcmp(fa.constData(), fb.constData(), size_t(std::min(fa.size(), fb.size())));
    if (c != 0)
        return c;
    return int(fa.size() - fb.size());
}

void add(sqlite3* db, const char* name, int argc, void (*fn)(sqlite3_context*, int, sqlite3_value**)) {
    sqlite3_create_function_v2(db, name, argc, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, fn, nullptr,
                               nullptr, nullptr);
}

} // namespace

void registerJetFunctions(sqlite3* db) {
    add(db, "jet_left", 2, fnLeft);
    add(db, "jet_right", 2, fnRight);
    add(db, "mid", 2, fnMid);
    add(db, "mid", 3, fnMid);
    add(db, "cint", 1, fnCint);
    add(db, "len", 1, fnLen);
    add(db, "ucase", 1, fnUcase);
    add(db, "lcase", 1, fnLcase);
    add(db, "like", 2, fnLike);
    add(db, "like", 3, fnLike);
    sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, noCaseCompare, nullptr);
}

} // namespace store
