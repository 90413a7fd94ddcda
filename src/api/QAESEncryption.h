#ifndef QAESENCRYPTION_H
#define QAESENCRYPTION_H

#include "AXOCommGlobal.h"

#include <QtCore/QByteArray>
#include <QtCore/QObject>

//! AES over OpenSSL's EVP ciphers, with the padding done here: the cipher
//! of the encrypted statistics query. An object keeps a level, a mode and a
//! padding; the static operations take them per call.
//!
//! - Levels: AES-128, AES-192, AES-256. The key must be exactly 16, 24 or
//!   32 bytes long; any other length is refused (empty result), never cut
//!   or extended.
//! - Modes: ECB (the vector is ignored), CBC, CFB (128-bit feedback), OFB.
//!   Every mode but ECB needs a vector of exactly 16 bytes; an empty or
//!   other one is refused (empty result).
//! - Paddings, added by encryption and removed only by removePadding():
//!   zero bytes up to the next block boundary (none when the data fills its
//!   blocks); PKCS#7 (1 to 16 bytes, each holding the count); ISO (0x80,
//!   then zero bytes up to the boundary: 1 to 16 bytes).
//!
//! Decryption gives the plain blocks with their padding. In ECB and CBC it
//! completes a last block that is short with zero bytes first, so that a
//! ciphertext whose trailing zero bytes were dropped in transit (as the
//! statistics query does) decrypts as the whole one.
class AXOCOMM_EXPORT QAESEncryption : public QObject
{
    Q_OBJECT

public:
    //! Key length: 128, 192 or 256 bits.
    enum Aes { AES_128 = 0, AES_192 = 1, AES_256 = 2 };
    //! Block cipher mode.
    enum Mode { ECB = 0, CBC = 1, CFB = 2, OFB = 3 };
    //! Padding added to the plain text.
    enum Padding { ZERO = 0, PKCS7 = 1, ISO = 2 };
    Q_ENUM(Aes)
    Q_ENUM(Mode)
    Q_ENUM(Padding)

    //! AES block size in bytes.
    static constexpr int BlockSize = 16;

    //! A cipher of that level, mode and padding.
    QAESEncryption(Aes level, Mode mode, Padding padding = ISO, QObject *parent = nullptr);

    //! Pads and encrypts; empty when the key or the vector is refused.
    static QByteArray encrypt(Aes level, Mode mode, const QByteArray &data, const QByteArray &key,
                              const QByteArray &iv = QByteArray(), Padding padding = ISO);
    //! Decrypts, padding left in place; empty when the key or vector is refused.
    static QByteArray decrypt(Aes level, Mode mode, const QByteArray &data, const QByteArray &key,
                              const QByteArray &iv = QByteArray(), Padding padding = ISO);
    //! Removes the padding: zero padding every trailing 0x00 byte; PKCS#7 as
    //! many bytes as the last byte's value (all of them when it is larger
    //! than the data); ISO the trailing 0x00 bytes and then one 0x80 when
    //! present. Empty data comes back unchanged.
    static QByteArray removePadding(const QByteArray &data, Padding padding);

    //! The padding encryption adds to data of that length.
    static QByteArray padding(int length, Padding padding);
    //! Key length in bytes of a level (16, 24, 32).
    static int keyLength(Aes level);

    //! encrypt() with this object's level, mode and padding.
    QByteArray encode(const QByteArray &data, const QByteArray &key, const QByteArray &iv = QByteArray()) const;
    //! decrypt() with this object's level, mode and padding.
    QByteArray decode(const QByteArray &data, const QByteArray &key, const QByteArray &iv = QByteArray()) const;
    //! removePadding() with this object's padding.
    QByteArray removePadding(const QByteArray &data) const;

    //! The key length.
    Aes level() const { return m_level; }
    //! The block cipher mode.
    Mode mode() const { return m_mode; }
    //! The padding.
    Padding paddingKind() const { return m_padding; }

private:
    Aes m_level;
    Mode m_mode;
    Padding m_padding;
};

#endif // QAESENCRYPTION_H
