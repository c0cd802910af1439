#pragma once

struct sqlite3;

namespace store {

// Registers on one connection the functions the program's statements call: Left, Right, Mid, CInt, Len,
// UCase, LCase, and a like that takes * and ? as wildcards and ignores letter case.
void registerJetFunctions(sqlite3* db);

} // namespace store
