#pragma once

#include <QRandomGenerator>

// Where the draw of a mock paper takes its chances from. The program draws from a generator seeded
// once per paper; a test installs a seeded one and gets the same paper every time.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A number in 0..n-1, uniformly.
    virtual quint32 below(quint32 n) = 0;
};

class SeededRandom : public RandomSource {
public:
    explicit SeededRandom(quint32 seed) : m_gen(seed) {}
    quint32 below(quint32 n) override { return n == 0 ? 0 : m_gen.bounded(n); }

private:
    QRandomGenerator m_gen;
};

RandomSource& paperRandom();
// Installs source (not owned); nullptr restores the program's own.
void setPaperRandom(RandomSource* source);
