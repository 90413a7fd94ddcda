#ifndef SESSIONKEYS_H
#define SESSIONKEYS_H

#include "AXOCommGlobal.h"
#include "MachineID.h"

#include <QtCore/QString>

#include <QtCore/QByteArray>

//! The keyed hashes of the session handshake, shared by client and driver.
//! Both hold the same 32-byte protocol secret; neither ever sends it. All
//! keys and nonces travel as lower-case hex text; the keys are bound to the
//! session, both nonces, the machine, the access level and the client ID.
//!
//! The secret is provisioned: a driver is given one (the simulator's
//! --secret-file), a client takes it from its settings or its host
//! (setClientSecret); both fall back to the documented built-in default,
//! which the library holds scrambled.
class AXOCOMM_EXPORT SessionKeys
{
public:
    //! Random bytes in a nonce (written as hex digits).
    static constexpr int NonceBytes = 16;

    //! A fresh random nonce from the operating system's generator.
    static QString randomNonce();
    //! A fresh random session ID (32 hex digits).
    static QString newSessionID();

    //! Length of the protocol secret in bytes.
    static constexpr int SecretBytes = 32;

    //! The built-in default secret.
    static QByteArray defaultSecret();
    //! A secret from its text form: 64 hex digits (either case; white space
    //! around them ignored). Empty when the text is not one.
    static QByteArray secretFromText(const QByteArray &text);
    //! The secret this process's client side uses; the default until set.
    static QByteArray clientSecret();
    //! Sets it (32 bytes); anything else returns to the default. False then.
    static bool setClientSecret(const QByteArray &secret);

    //! The text both keys are computed over, binding the session to what
    //! the client asked for: "session|number|type|access|Nc|Nd|clientID"
    //! (numbers in decimal, the client ID in UTF-8 and last).
    static QByteArray boundText(const QString &sessionID, const MachineID &machine, int accessLevel,
                                const QString &clientNonce, const QString &driverNonce, const QString &clientID);
    //! HMAC-SHA256 with the secret over "AXO-DRIVER|" and the bound text.
    static QString driverProof(const QByteArray &secret, const QByteArray &bound);
    //! HMAC-SHA256 with the secret over "AXO-CLIENT|" and the bound text.
    static QString loginKey(const QByteArray &secret, const QByteArray &bound);
    //! What a driver answers to GET_KEY: "session.Nd.proof".
    static QString driverKey(const QByteArray &secret, const QString &sessionID, const QString &driverNonce,
                             const QByteArray &bound);
    //! Constant-time comparison of two keys.
    static bool keysEqual(const QString &a, const QString &b);
};

#endif // SESSIONKEYS_H
