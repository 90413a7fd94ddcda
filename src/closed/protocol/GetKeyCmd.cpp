#include "GetKeyCmd.h"

#include "SessionKeys.h"

#include <QtCore/QHash>
#include <QtCore/QMutex>
#include <QtCore/QStringList>

#include <openssl/rand.h>

namespace {

// Client nonces waiting for their driver key, by handle. Bounded: a
// handshake that never completes must not keep its nonce for ever.
struct PendingKey
{
    QString nonce;
    MachineID machine;
    int accessLevel = 1;
    QString clientID;
};

struct PendingKeys
{
    QMutex mutex;
    QHash<int, PendingKey> keys;
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
    createSharedKey(clientKey, n, MachineID(), QString(), 1);
}

void GetKeyCmd::createSharedKey(QString &clientKey, int &n, const MachineID &machine, const QString &clientID,
                                int accessLevel)
{
    clientKey = SessionKeys::randomNonce();
    PendingKeys &pendingKeys = pending();
    QMutexLocker locker(&pendingKeys.mutex);
    do {
        unsigned int random = 0;
        RAND_bytes(reinterpret_cast<unsigned char *>(&random), sizeof random);
        n = static_cast<int>(random & 0x7fffffff);
    } while (n == 0 || pendingKeys.keys.contains(n));
    pendingKeys.keys.insert(n, PendingKey{clientKey, machine, accessLevel, clientID});
    pendingKeys.order.append(n);
    while (pendingKeys.order.size() > kMaxPendingKeys)
        pendingKeys.keys.remove(pendingKeys.order.takeFirst());
}

QString GetKeyCmd::createLoginKey(const QString &driverKey, int n)
{
    PendingKey key;
    {
        PendingKeys &pendingKeys = pending();
        QMutexLocker locker(&pendingKeys.mutex);
        key = pendingKeys.keys.take(n);
        pendingKeys.order.removeOne(n);
    }
    const QStringList parts = driverKey.split(QLatin1Char('.'));
    if (key.nonce.isEmpty() || parts.size() != 3 || parts.at(0).isEmpty() || parts.at(1).isEmpty())
        return QString();
    const QByteArray bound =
        SessionKeys::boundText(parts.at(0), key.machine, key.accessLevel, key.nonce, parts.at(1), key.clientID);
    const QByteArray secret = SessionKeys::clientSecret();
    if (!SessionKeys::keysEqual(parts.at(2), SessionKeys::driverProof(secret, bound)))
        return QString();
    return SessionKeys::loginKey(secret, bound);
}
