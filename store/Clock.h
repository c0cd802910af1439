#pragma once

#include <QDate>
#include <QDateTime>

namespace store {

// Today's date and the current time for the whole program. Tests install a clock they can set.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    QDate today() const { return now().date(); }
};

// A clock a test sets and moves by hand.
class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime at) : m_at(std::move(at)) {}
    QDateTime now() const override { return m_at; }
    void set(const QDateTime& at) { m_at = at; }
    void advanceSeconds(qint64 s) { m_at = m_at.addSecs(s); }
    void advanceDays(qint64 d) { m_at = m_at.addDays(d); }

private:
    QDateTime m_at;
};

const Clock& clock();
// Installs c as the program's clock (nullptr restores the system clock). Not owned.
void setClock(const Clock* c);

} // namespace store
