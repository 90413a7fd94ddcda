#include "QAESEncryption.h"

#include <openssl/evp.h>

#include <memory>

namespace {

const EVP_CIPHER *cipher(QAESEncryption::Aes level, QAESEncryption::Mode mode)
{
    static const EVP_CIPHER *(*const table[3][4])() = {
        {EVP_aes_128_ecb, EVP_aes_128_cbc, EVP_aes_128_cfb128, EVP_aes_128_ofb},
        {EVP_aes_192_ecb, EVP_aes_192_cbc, EVP_aes_192_cfb128, EVP_aes_192_ofb},
        {EVP_aes_256_ecb, EVP_aes_256_cbc, EVP_aes_256_cfb128, EVP_aes_256_ofb},
    };
    if (level < QAESEncryption::AES_128 || level > QAESEncryption::AES_256 || mode < QAESEncryption::ECB
        || mode > QAESEncryption::OFB)
        return nullptr;
    return table[level][mode]();
}

struct ContextFree
{
    void operator()(EVP_CIPHER_CTX *context) const { EVP_CIPHER_CTX_free(context); }
};

// One pass of the cipher without EVP's own padding; empty when refused.
QByteArray run(bool encrypting, QAESEncryption::Aes level, QAESEncryption::Mode mode, const QByteArray &data,
               const QByteArray &key, const QByteArray &iv)
{
    const EVP_CIPHER *evp = cipher(level, mode);
    if (!evp || key.size() != QAESEncryption::keyLength(level))
        return QByteArray();
    if (mode != QAESEncryption::ECB && iv.size() != QAESEncryption::BlockSize)
        return QByteArray();
    if (data.isEmpty())
        return QByteArray();
    std::unique_ptr<EVP_CIPHER_CTX, ContextFree> context(EVP_CIPHER_CTX_new());
    if (!context)
        return QByteArray();
    const auto *keyBytes = reinterpret_cast<const unsigned char *>(key.constData());
    const auto *ivBytes = mode == QAESEncryption::ECB ? nullptr : reinterpret_cast<const unsigned char *>(iv.constData());
    if (EVP_CipherInit_ex(context.get(), evp, nullptr, keyBytes, ivBytes, encrypting ? 1 : 0) != 1
        || EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1)
        return QByteArray();
    QByteArray out(data.size() + QAESEncryption::BlockSize, '\0');
    int written = 0;
    int last = 0;
    auto *outBytes = reinterpret_cast<unsigned char *>(out.data());
    if (EVP_CipherUpdate(context.get(), outBytes, &written, reinterpret_cast<const unsigned char *>(data.constData()),
                         data.size())
            != 1
        || EVP_CipherFinal_ex(context.get(), outBytes + written, &last) != 1)
        return QByteArray();
    out.truncate(written + last);
    return out;
}

bool isBlockMode(QAESEncryption::Mode mode)
{
    return mode == QAESEncryption::ECB || mode == QAESEncryption::CBC;
}

} // namespace

QAESEncryption::QAESEncryption(Aes level, Mode mode, Padding padding, QObject *parent)
    : QObject(parent), m_level(level), m_mode(mode), m_padding(padding)
{
}

int QAESEncryption::keyLength(Aes level)
{
    switch (level) {
    case AES_128: return 16;
    case AES_192: return 24;
    case AES_256: return 32;
    }
    return 0;
}

QByteArray QAESEncryption::padding(int length, Padding padding)
{
    const int rest = length % BlockSize;
    switch (padding) {
    case ZERO:
        return QByteArray(rest == 0 ? 0 : BlockSize - rest, '\0');
    case PKCS7:
        return QByteArray(BlockSize - rest, static_cast<char>(BlockSize - rest));
    case ISO: {
        QByteArray bytes(BlockSize - rest, '\0');
        bytes[0] = static_cast<char>(0x80);
        return bytes;
    }
    }
    return QByteArray();
}

QByteArray QAESEncryption::encrypt(Aes level, Mode mode, const QByteArray &data, const QByteArray &key,
                                   const QByteArray &iv, Padding padding)
{
    return run(true, level, mode, data + QAESEncryption::padding(data.size(), padding), key, iv);
}

QByteArray QAESEncryption::decrypt(Aes level, Mode mode, const QByteArray &data, const QByteArray &key,
                                   const QByteArray &iv, Padding padding)
{
    Q_UNUSED(padding); // removed by removePadding(), as the caller decides
    QByteArray blocks = data;
    const int rest = blocks.size() % BlockSize;
    if (isBlockMode(mode) && rest != 0)
        blocks.append(QByteArray(BlockSize - rest, '\0'));
    return run(false, level, mode, blocks, key, iv);
}

QByteArray QAESEncryption::removePadding(const QByteArray &data, Padding padding)
{
    if (data.isEmpty())
        return data;
    int end = data.size();
    switch (padding) {
    case ZERO:
        while (end > 0 && data.at(end - 1) == '\0')
            --end;
        break;
    case PKCS7:
        end = qMax(0, end - static_cast<unsigned char>(data.at(end - 1)));
        break;
    case ISO:
        while (end > 0 && data.at(end - 1) == '\0')
            --end;
        if (end > 0 && static_cast<unsigned char>(data.at(end - 1)) == 0x80)
            --end;
        break;
    }
    return data.left(end);
}

QByteArray QAESEncryption::encode(const QByteArray &data, const QByteArray &key, const QByteArray &iv) const
{
    return encrypt(m_level, m_mode, data, key, iv, m_padding);
}

QByteArray QAESEncryption::decode(const QByteArray &data, const QByteArray &key, const QByteArray &iv) const
{
    return decrypt(m_level, m_mode, data, key, iv, m_padding);
}

QByteArray QAESEncryption::removePadding(const QByteArray &data) const
{
    return removePadding(data, m_padding);
}
