// The statistics cipher against the published AES examples and vectors, and
// its padding rules.

#include "QAESEncryption.h"

#include <gtest/gtest.h>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

const char *const kPlain = "6bc1bee22e409f96e93d7e117393172a"
                           "ae2d8a571e03ac9c9eb76fac45af8e51"
                           "30c81c46a35ce411e5fbc1191a0a52ef"
                           "f69f2445df4f9b17ad2b417be66c3710";
const char *const kKeys[3] = {
    "2b7e151628aed2a6abf7158809cf4f3c",
    "8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b",
    "603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4",
};
const char *const kIv = "000102030405060708090a0b0c0d0e0f";

struct Vector
{
    QAESEncryption::Aes level;
    QAESEncryption::Mode mode;
    const char *cipher;
};

// The modes of operation's example vectors: four blocks of each.
const Vector kVectors[] = {
    {QAESEncryption::AES_128, QAESEncryption::ECB,
     "3ad77bb40d7a3660a89ecaf32466ef97f5d3d58503b9699de785895a96fdbaaf"
     "43b1cd7f598ece23881b00e3ed0306887b0c785e27e8ad3f8223207104725dd4"},
    {QAESEncryption::AES_192, QAESEncryption::ECB,
     "bd334f1d6e45f25ff712a214571fa5cc974104846d0ad3ad7734ecb3ecee4eef"
     "ef7afd2270e2e60adce0ba2face6444e9a4b41ba738d6c72fb16691603c18e0e"},
    {QAESEncryption::AES_256, QAESEncryption::ECB,
     "f3eed1bdb5d2a03c064b5a7e3db181f8591ccb10d410ed26dc5ba74a31362870"
     "b6ed21b99ca6f4f9f153e7b1beafed1d23304b7a39f9f3ff067d8d8f9e24ecc7"},
    {QAESEncryption::AES_128, QAESEncryption::CBC,
     "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
     "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7"},
    {QAESEncryption::AES_192, QAESEncryption::CBC,
     "4f021db243bc633d7178183a9fa071e8b4d9ada9ad7dedf4e5e738763f69145a"
     "571b242012fb7ae07fa9baac3df102e008b0e27988598881d920a9e64f5615cd"},
    {QAESEncryption::AES_256, QAESEncryption::CBC,
     "f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
     "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b"},
    {QAESEncryption::AES_128, QAESEncryption::CFB,
     "3b3fd92eb72dad20333449f8e83cfb4ac8a64537a0b3a93fcde3cdad9f1ce58b"
     "26751f67a3cbb140b1808cf187a4f4dfc04b05357c5d1c0eeac4c66f9ff7f2e6"},
    {QAESEncryption::AES_192, QAESEncryption::CFB,
     "cdc80d6fddf18cab34c25909c99a417467ce7f7f81173621961a2b70171d3d7a"
     "2e1e8a1dd59b88b1c8e60fed1efac4c9c05f9f9ca9834fa042ae8fba584b09ff"},
    {QAESEncryption::AES_256, QAESEncryption::CFB,
     "dc7e84bfda79164b7ecd8486985d386039ffed143b28b1c832113c6331e5407b"
     "df10132415e54b92a13ed0a8267ae2f975a385741ab9cef82031623d55b1e471"},
    {QAESEncryption::AES_128, QAESEncryption::OFB,
     "3b3fd92eb72dad20333449f8e83cfb4a7789508d16918f03f53c52dac54ed825"
     "9740051e9c5fecf64344f7a82260edcc304c6528f659c77866a510d9c1d6ae5e"},
    {QAESEncryption::AES_192, QAESEncryption::OFB,
     "cdc80d6fddf18cab34c25909c99a4174fcc28b8d4c63837c09e81700c1100401"
     "8d9a9aeac0f6596f559c6d4daf59a5f26d9f200857ca6c3e9cac524bd9acc92a"},
    {QAESEncryption::AES_256, QAESEncryption::OFB,
     "dc7e84bfda79164b7ecd8486985d38604febdc6740d20b3ac88f6ad82a4fb08d"
     "71ab47a086e86eedf39d1c5bba97c4080126141d67f37be8538f5a8be740e484"},
};

} // namespace

TEST(AesCipher, StandardSingleBlockExamples)
{
    const QByteArray plain = hex("00112233445566778899aabbccddeeff");
    const struct {
        QAESEncryption::Aes level;
        const char *key;
        const char *cipher;
    } examples[] = {
        {QAESEncryption::AES_128, "000102030405060708090a0b0c0d0e0f", "69c4e0d86a7b0430d8cdb78070b4c55a"},
        {QAESEncryption::AES_192, "000102030405060708090a0b0c0d0e0f1011121314151617",
         "dda97ca4864cdfe06eaf70a0ec0d7191"},
        {QAESEncryption::AES_256, "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
         "8ea2b7ca516745bfeafc49904b496089"},
    };
    for (const auto &example : examples) {
        QAESEncryption aes(example.level, QAESEncryption::ECB, QAESEncryption::ZERO);
        EXPECT_EQ(aes.encode(plain, hex(example.key)).toHex(), QByteArray(example.cipher)) << example.level;
        EXPECT_EQ(aes.decode(hex(example.cipher), hex(example.key)), plain) << example.level;
    }
}

TEST(AesCipher, ModesOfOperationVectorsBothWays)
{
    for (const Vector &vector : kVectors) {
        const QByteArray key = hex(kKeys[vector.level]);
        const QByteArray encrypted =
            QAESEncryption::encrypt(vector.level, vector.mode, hex(kPlain), key, hex(kIv), QAESEncryption::ZERO);
        EXPECT_EQ(encrypted.toHex(), QByteArray(vector.cipher)) << "level " << vector.level << " mode " << vector.mode;
        EXPECT_EQ(QAESEncryption::decrypt(vector.level, vector.mode, hex(vector.cipher), key, hex(kIv),
                                          QAESEncryption::ZERO),
                  hex(kPlain))
            << "level " << vector.level << " mode " << vector.mode;
    }
}

TEST(AesCipher, RefusesKeysAndVectorsOfTheWrongLength)
{
    const QByteArray data = hex(kPlain);
    const QByteArray key128 = hex(kKeys[0]);
    EXPECT_TRUE(QAESEncryption::encrypt(QAESEncryption::AES_128, QAESEncryption::ECB, data, key128.left(15)).isEmpty());
    EXPECT_TRUE(QAESEncryption::encrypt(QAESEncryption::AES_256, QAESEncryption::ECB, data, key128).isEmpty());
    EXPECT_TRUE(QAESEncryption::decrypt(QAESEncryption::AES_192, QAESEncryption::ECB, data, hex(kKeys[2])).isEmpty());
    for (QAESEncryption::Mode mode : {QAESEncryption::CBC, QAESEncryption::CFB, QAESEncryption::OFB}) {
        EXPECT_TRUE(QAESEncryption::encrypt(QAESEncryption::AES_128, mode, data, key128).isEmpty()) << mode;
        EXPECT_TRUE(QAESEncryption::encrypt(QAESEncryption::AES_128, mode, data, key128, hex(kIv).left(8)).isEmpty());
        EXPECT_TRUE(QAESEncryption::decrypt(QAESEncryption::AES_128, mode, data, key128, QByteArray(17, 'x')).isEmpty());
    }
    // ECB has no vector: whatever is given is ignored.
    EXPECT_EQ(QAESEncryption::encrypt(QAESEncryption::AES_128, QAESEncryption::ECB, data, key128, QByteArray("x")),
              QAESEncryption::encrypt(QAESEncryption::AES_128, QAESEncryption::ECB, data, key128));
}

TEST(AesPadding, AddedUpToTheBlockBoundary)
{
    const QByteArray key = hex(kKeys[0]);
    const auto ecb = [&](const QByteArray &data, QAESEncryption::Padding padding) {
        return QAESEncryption::encrypt(QAESEncryption::AES_128, QAESEncryption::ECB, data, key, QByteArray(), padding);
    };
    // Zero padding: nothing for full blocks, up to the boundary otherwise.
    EXPECT_EQ(ecb(QByteArray(16, 'q'), QAESEncryption::ZERO).size(), 16);
    const QByteArray seventeen(17, 'q');
    const QByteArray padded = ecb(seventeen, QAESEncryption::ZERO);
    ASSERT_EQ(padded.size(), 32);
    EXPECT_EQ(QAESEncryption::decrypt(QAESEncryption::AES_128, QAESEncryption::ECB, padded, key),
              seventeen + QByteArray(15, '\0'));
    EXPECT_TRUE(ecb(QByteArray(), QAESEncryption::ZERO).isEmpty());
    // PKCS#7 and ISO always add something: a whole block to full blocks.
    EXPECT_EQ(ecb(QByteArray(16, 'q'), QAESEncryption::PKCS7).size(), 32);
    EXPECT_EQ(ecb(QByteArray(16, 'q'), QAESEncryption::ISO).size(), 32);
    EXPECT_EQ(QAESEncryption::padding(13, QAESEncryption::PKCS7), QByteArray(3, '\x03'));
    EXPECT_EQ(QAESEncryption::padding(13, QAESEncryption::ISO), hex("800000"));
    EXPECT_EQ(QAESEncryption::padding(0, QAESEncryption::PKCS7), QByteArray(16, '\x10'));
}

TEST(AesPadding, RemovalRules)
{
    using A = QAESEncryption;
    EXPECT_EQ(A::removePadding(hex("4142000000"), A::ZERO), QByteArray("AB"));
    EXPECT_EQ(A::removePadding(hex("00000000"), A::ZERO), QByteArray());
    EXPECT_EQ(A::removePadding(hex("4142010203"), A::PKCS7), QByteArray("AB")); // the count rules, not the values
    EXPECT_EQ(A::removePadding(hex("414243040404"), A::PKCS7), QByteArray("AB"));
    EXPECT_EQ(A::removePadding(hex("41ff"), A::PKCS7), QByteArray());
    EXPECT_EQ(A::removePadding(hex("4142800000"), A::ISO), QByteArray("AB"));
    EXPECT_EQ(A::removePadding(hex("41428080"), A::ISO), hex("414280")); // one 0x80 only
    EXPECT_EQ(A::removePadding(hex("414200"), A::ISO), QByteArray("AB"));
    for (A::Padding padding : {A::ZERO, A::PKCS7, A::ISO})
        EXPECT_TRUE(A::removePadding(QByteArray(), padding).isEmpty());

    // Every padding comes off again after a round trip, in every mode.
    const QByteArray key = hex(kKeys[1]);
    const QByteArray text("thirty-one bytes of statistics");
    for (A::Padding padding : {A::PKCS7, A::ISO}) {
        for (A::Mode mode : {A::ECB, A::CBC, A::CFB, A::OFB}) {
            A aes(A::AES_192, mode, padding);
            EXPECT_EQ(aes.removePadding(aes.decode(aes.encode(text, key, hex(kIv)), key, hex(kIv))), text)
                << padding << " " << mode;
        }
    }
}

TEST(AesCipher, ShortLastBlockIsCompletedWithZeros)
{
    // A ciphertext whose trailing zero bytes were dropped decrypts as the whole one.
    const QByteArray key = hex(kKeys[0]);
    QByteArray cipher = hex("3ad77bb40d7a3660a89ecaf32466ef97") + hex("00112233445566778899aabbccdd0000");
    const QByteArray whole = QAESEncryption::decrypt(QAESEncryption::AES_128, QAESEncryption::ECB, cipher, key);
    cipher.chop(2);
    EXPECT_EQ(QAESEncryption::decrypt(QAESEncryption::AES_128, QAESEncryption::ECB, cipher, key), whole);
}
