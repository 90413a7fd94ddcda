#include "GetKeyCmd.h"

#include "SessionKeys.h"

#include <QtCore/QHash>
#include <QtCore/QMutex>
#include <QtCore/QStringList>

#include <openssl/rand.h>

namespace {

// Client nonces waiting for their driver key, by handle. Bounded: a
// handshake that never completes must not keep its nonce for ever.
struct PendingKeys
{
    QMutex mutex;
    QHash<int, QString> nonces;
    QList<int> order;
};

PendingKeys &pending()
{
    static PendingKeys keys;
    return keys;
}

const int kMaxPendingKeys = 1024;

} // namespace

GetKeyCmd::GetKeyCmd(const QString &sessionID, const QString &clientKey)
    : ProtoCommand(QStringLiteral("GET_KEY"), QList<QVariant>{clientKey}),
      m_sessionID(sessionID),
      m_clientKey(clientKey)
{
}

void GetKeyCmd::createSharedKey(QString &clientKey, int &n)
{
    clientKey = SessionKeys::randomNonce();
    PendingKeys &keys = pending();
    QMutexLocker locker(&keys.mutex);
    do {
        unsigned int random = 0;
        RAND_bytes(reinterpret_cast<unsigned char *>(&random), sizeof random);
        n = static_cast<int>(random & 0x7fffffff);
    } while (n == 0 || keys.nonces.contains(n));
    keys.nonces.insert(n, clientKey);
    keys.order.append(n);
    while (keys.order.size() > kMaxPendingKeys)
        keys.nonces.remove(keys.order.takeFirst());
}

QString GetKeyCmd::createLoginKey(const QString &driverKey, int n)
{
    QString clientNonce;
    {
        PendingKeys &keys = pending();
        QMutexLocker locker(&keys.mutex);
        clientNonce = keys.nonces.take(n);
        keys.order.removeOne(n);
    }
    const QStringList parts = driverKey.split(QLatin1Char('.'));
    if (clientNonce.isEmpty() || parts.size() != 3 || parts.at(0).isEmpty() || parts.at(1).isEmpty())
        return QString();
    const QString &sessionID = parts.at(0);
    const QString &driverNonce = parts.at(1);
    const QByteArray secret = SessionKeys::clientSecret();
    if (!SessionKeys::keysEqual(parts.at(2), SessionKeys::driverProof(secret, sessionID, clientNonce, driverNonce)))
        return QString();
    return SessionKeys::loginKey(secret, sessionID, clientNonce, driverNonce);
}
