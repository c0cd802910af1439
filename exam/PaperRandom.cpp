#include "exam/PaperRandom.h"

namespace {

class SystemRandom : public RandomSource {
public:
    quint32 below(quint32 n) override { return n == 0 ? 0 : QRandomGenerator::global()->bounded(n); }
};

SystemRandom g_system;
RandomSource* g_random = &g_system;

} // namespace

RandomSource& paperRandom() {
    return *g_random;
}

void setPaperRandom(RandomSource* source) {
    g_random = source ? source : &g_system;
}
