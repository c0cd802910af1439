#pragma once

#include <QByteArray>

namespace store {

// The raw 256-bit key of the question bank, derived from the bank password.
QByteArray BankKey();

} // namespace store
