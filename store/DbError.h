#pragma once

#include <QString>
#include <stdexcept>

namespace store {

// An engine or conversion error. Callers catch it and show their own message.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message, int code = 0)
        : std::runtime_error(message.toStdString()), m_message(message), m_code(code) {}
    const QString& message() const { return m_message; }
    // The engine's result code (SQLITE_*), 0 for errors raised by this layer.
    int code() const { return m_code; }

private:
    QString m_message;
    int m_code;
};

} // namespace store
