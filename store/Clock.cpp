#include "store/Clock.h"

namespace store {

namespace {
class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};
const SystemClock g_system;
const Clock* g_clock = &g_system;
} // namespace

const Clock& clock() { return *g_clock; }

void setClock(const Clock* c) { g_clock = c ? c : &g_system; }

} // namespace store
