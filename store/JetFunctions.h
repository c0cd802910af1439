#pragma once

struct sqlite3;

namespace store {

// Registers on one connection the functions the program's statements call: Left, Right, Mid, CInt, Len,
// UCase, LCase, a like that takes * and ? as wildcards and ignores letter case, and a NOCASE collation
// that ignores letter case beyond ASCII as well.
void registerJetFunctions(sqlite3* db);

} // namespace store
