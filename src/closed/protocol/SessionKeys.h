#ifndef SESSIONKEYS_H
#define SESSIONKEYS_H

#include "AXOCommGlobal.h"

#include <QtCore/QString>

//! The keyed hashes of the session handshake, shared by client and driver.
//! Both hold the same 32-byte protocol secret; neither ever sends it. All
//! keys and nonces travel as lower-case hex text.
class AXOCOMM_EXPORT SessionKeys
{
public:
    static constexpr int NonceBytes = 16;

    //! A fresh random nonce from the operating system's generator.
    static QString randomNonce();
    //! A fresh random session ID (32 hex digits).
    static QString newSessionID();

    //! HMAC-SHA256 with the protocol secret over "AXO-DRIVER|session|Nc|Nd".
    static QString driverProof(const QString &sessionID, const QString &clientNonce, const QString &driverNonce);
    //! HMAC-SHA256 with the protocol secret over "AXO-CLIENT|session|Nc|Nd".
    static QString loginKey(const QString &sessionID, const QString &clientNonce, const QString &driverNonce);
    //! What a driver answers to GET_KEY: "session.Nd.proof".
    static QString driverKey(const QString &sessionID, const QString &clientNonce, const QString &driverNonce);
    //! Constant-time comparison of two keys.
    static bool keysEqual(const QString &a, const QString &b);
};

#endif // SESSIONKEYS_H
