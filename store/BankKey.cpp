#include "store/BankKey.h"

#include <QCryptographicHash>

namespace store {

QByteArray BankKey() {
    // Derived once per process: a raw key opens the bank in well under a millisecond, where the engine's
    // own passphrase derivation would cost tens of milliseconds at every open.
    static const QByteArray key = [] {
        static const char password[] = "k3vq9wmx2rtp7ydhs4na";
        QByteArray material = QByteArrayLiteral("VELQUAR01 question bank/");
        material += password;
        QByteArray k = QCryptographicHash::hash(material, QCryptographicHash::Sha256);
        for (int round = 0; round < 1000; ++round)
            k = QCryptographicHash::hash(k + material, QCryptographicHash::Sha256);
        return k;
    }();
    return key;
}

} // namespace store
