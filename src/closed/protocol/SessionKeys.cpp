#include "SessionKeys.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <QtCore/QMutex>

#include <cctype>
#include <stdexcept>

namespace {

// The protocol secret, held scrambled; unscrambled only for the moment of use.
const unsigned char kScrambledSecret[32] = {
    0x3a, 0x91, 0x5c, 0xe2, 0x07, 0x48, 0xbd, 0x16, 0xf3, 0x6e, 0x29, 0xc4, 0x80, 0x5b, 0x1d, 0xa7,
    0x62, 0xde, 0x35, 0x0f, 0x9c, 0x4a, 0xe8, 0x71, 0x13, 0xb6, 0x5f, 0x2c, 0xd9, 0x84, 0x47, 0xea,
};
const unsigned char kScramble[8] = {0x5d, 0xa3, 0x17, 0xc8, 0x6b, 0x2e, 0xf1, 0x94};

// The client side's secret, held scrambled like the default; empty: the default.
QMutex s_clientSecretMutex;
QByteArray s_clientSecret;

QByteArray scramble(const QByteArray &bytes)
{
    QByteArray out(bytes.size(), '\0');
    for (int i = 0; i < bytes.size(); ++i)
        out[i] = static_cast<char>(static_cast<unsigned char>(bytes.at(i)) ^ kScramble[i % 8]);
    return out;
}

QString hmacHex(const QByteArray &secret, const QByteArray &message)
{
    if (secret.size() != SessionKeys::SecretBytes)
        return QString();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    const unsigned char *result = HMAC(EVP_sha256(), secret.constData(), secret.size(),
                                       reinterpret_cast<const unsigned char *>(message.constData()),
                                       static_cast<size_t>(message.size()), digest, &length);
    if (!result)
        return QString();
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), static_cast<int>(length)).toHex());
}

QString randomHex(int bytes)
{
    QByteArray buffer(bytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char *>(buffer.data()), bytes) != 1)
        throw std::runtime_error("no random bytes available");
    return QString::fromLatin1(buffer.toHex());
}

} // namespace

QString SessionKeys::randomNonce()
{
    return randomHex(NonceBytes);
}

QString SessionKeys::newSessionID()
{
    return randomHex(16);
}

QByteArray SessionKeys::defaultSecret()
{
    QByteArray secret(SecretBytes, '\0');
    const volatile unsigned char *scrambled = kScrambledSecret;
    for (int i = 0; i < SecretBytes; ++i)
        secret[i] = static_cast<char>(scrambled[i] ^ kScramble[i % 8]);
    return secret;
}

QByteArray SessionKeys::secretFromText(const QByteArray &text)
{
    const QByteArray hex = text.trimmed();
    if (hex.size() != 2 * SecretBytes)
        return QByteArray();
    for (char c : hex)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return QByteArray();
    return QByteArray::fromHex(hex);
}

QByteArray SessionKeys::clientSecret()
{
    QMutexLocker locker(&s_clientSecretMutex);
    return s_clientSecret.isEmpty() ? defaultSecret() : scramble(s_clientSecret);
}

bool SessionKeys::setClientSecret(const QByteArray &secret)
{
    QMutexLocker locker(&s_clientSecretMutex);
    const bool valid = secret.size() == SecretBytes;
    s_clientSecret = valid ? scramble(secret) : QByteArray();
    return valid;
}

QByteArray SessionKeys::boundText(const QString &sessionID, const MachineID &machine, int accessLevel,
                                  const QString &clientNonce, const QString &driverNonce, const QString &clientID)
{
    const QByteArray bar(1, '|');
    return sessionID.toLatin1() + bar + QByteArray::number(machine.machineNumber) + bar
        + QByteArray::number(machine.machineType) + bar + QByteArray::number(accessLevel) + bar
        + clientNonce.toLatin1() + bar + driverNonce.toLatin1() + bar + clientID.toUtf8();
}

QString SessionKeys::driverProof(const QByteArray &secret, const QByteArray &bound)
{
    return hmacHex(secret, QByteArray("AXO-DRIVER|") + bound);
}

QString SessionKeys::loginKey(const QByteArray &secret, const QByteArray &bound)
{
    return hmacHex(secret, QByteArray("AXO-CLIENT|") + bound);
}

QString SessionKeys::driverKey(const QByteArray &secret, const QString &sessionID, const QString &driverNonce,
                               const QByteArray &bound)
{
    return sessionID + QLatin1Char('.') + driverNonce + QLatin1Char('.') + driverProof(secret, bound);
}

bool SessionKeys::keysEqual(const QString &a, const QString &b)
{
    const QByteArray x = a.toLatin1();
    const QByteArray y = b.toLatin1();
    return !x.isEmpty() && x.size() == y.size() && CRYPTO_memcmp(x.constData(), y.constData(), x.size()) == 0;
}
