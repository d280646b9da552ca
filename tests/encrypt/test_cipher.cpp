// The cipher against Blowfish's published vectors and against OpenSSL's
// libcrypto, the file content mode with its tail rule, and the string
// encryption of stored passwords.
#include "encrypt/cipher.h"
#include "encrypt/encrypt.h"
#include "encrypt/keys.h"
#include "opensslref.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace zx::encrypt;
using zx::test::hex;

namespace {

QByteArray ours(Cipher& c, QByteArray data, bool encrypt, qsizetype chunk = kChunkSize)
{
    auto* p = reinterpret_cast<std::uint8_t*>(data.data());
    for (qsizetype off = 0; off < data.size(); off += chunk) {
        const std::size_t n = std::size_t(qMin(chunk, data.size() - off));
        if (encrypt)
            c.encryptCBC(p + off, n);
        else
            c.decryptCBC(p + off, n);
    }
    return data;
}

QByteArray pattern(qsizetype n, int seed = 1)
{
    QByteArray b(n, '\0');
    quint32 x = quint32(seed) * 2654435761u + 7;
    for (char& c : b) {
        x = x * 1103515245u + 12345u;
        c = char(x >> 24);
    }
    return b;
}

QByteArray ecb(const QByteArray& key, QByteArray block, bool encrypt)
{
    Cipher c;
    c.initRawKey(reinterpret_cast<const std::uint8_t*>(key.constData()), std::size_t(key.size()));
    auto* p = reinterpret_cast<std::uint8_t*>(block.data());
    if (encrypt)
        c.encryptBlocks(p, std::size_t(block.size()));
    else
        c.decryptBlocks(p, std::size_t(block.size()));
    return block;
}

}  // namespace

// Schneier's published ECB vectors (8-byte keys).
TEST(EncryptCipher, PublishedEcbVectors)
{
    struct V { const char *key, *plain, *cipher; };
    const V vectors[] = {
        {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
        {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
        {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
        {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
        {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
        {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
        {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
        {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
        {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    };
    for (const V& v : vectors) {
        SCOPED_TRACE(v.key);
        EXPECT_EQ(ecb(hex(v.key), hex(v.plain), true).toHex().toUpper(), QByteArray(v.cipher));
        EXPECT_EQ(ecb(hex(v.key), hex(v.cipher), false), hex(v.plain));
        EXPECT_EQ(zx::test::opensslBfEcb(hex(v.key), hex(v.plain)), hex(v.cipher));
    }
}

// The published variable-key-length vectors, 1 to 24 key bytes; length 20 is
// the length of every key this program uses.
TEST(EncryptCipher, PublishedKeyLengthVectors)
{
    const QByteArray key = hex("F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677");
    const QByteArray plain = hex("FEDCBA9876543210");
    const char* expected[24] = {
        "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05",
        "B39E44481BDB1E6E", "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82",
        "15750E7A4F4EC577", "122BA70B3AB64AE0", "3A833C9AFFC537F6", "9409DA87A90F6BF2",
        "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F", "93142887EE3BE15C",
        "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
        "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
    };
    for (int len = 1; len <= 24; ++len) {
        SCOPED_TRACE(len);
        EXPECT_EQ(ecb(key.left(len), plain, true), hex(expected[len - 1]));
        EXPECT_EQ(zx::test::opensslBfEcb(key.left(len), plain), hex(expected[len - 1]));
    }
}

TEST(EncryptCipher, KeyIsSha1OfMaterialAndIvIsEncryptedZeroBlock)
{
    const QByteArray material = "c2VjcmV0" + keySuffix();
    Cipher c(material);
    const QByteArray key = zx::test::opensslSha1(material);
    ASSERT_EQ(key.size(), 20);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(c.iv()), 8),
              zx::test::opensslBfEcb(key, QByteArray(8, '\0')));
}

// Files of whole blocks: plain CBC, byte for byte what OpenSSL's Blowfish CBC
// gives with the 20-byte derived key and the same initialisation vector;
// the 8192-byte chunks do not disturb the chain.
TEST(EncryptCipher, WholeBlocksEqualOpenSslCbc)
{
    const QByteArray material = fileKeyMaterial(cryptstring(QStringLiteral("correct horse"), true));
    const QByteArray key = zx::test::opensslSha1(material);
    for (qsizetype n : {8, 64, 8192, 8200, 3 * 8192 + 16, 100000}) {
        SCOPED_TRACE(n);
        const QByteArray plain = pattern(n, int(n));
        Cipher c(material);
        const QByteArray iv(reinterpret_cast<const char*>(c.iv()), 8);
        const QByteArray enc = ours(c, plain, true);
        EXPECT_EQ(enc, zx::test::opensslBfCbc(key, iv, plain));
        c.reset();
        EXPECT_EQ(ours(c, enc, false), plain);
    }
}

// A final partial block of 1-7 bytes is XORed with E(chaining value); the
// ciphertext keeps the plain length.
TEST(EncryptCipher, TailRuleForOneToSevenTrailingBytes)
{
    const QByteArray material = fileKeyMaterial(QStringLiteral("dGFpbA=="));
    for (qsizetype whole : {0, 8, 8192}) {
        for (int r = 1; r <= 7; ++r) {
            SCOPED_TRACE(QStringLiteral("%1+%2").arg(whole).arg(r).toStdString());
            const QByteArray plain = pattern(whole + r, r);
            Cipher c(material);
            const QByteArray enc = ours(c, plain, true);
            ASSERT_EQ(enc.size(), plain.size());
            EXPECT_EQ(enc, zx::test::referenceFileCipher(material, plain));
            c.reset();
            EXPECT_EQ(ours(c, enc, false), plain);
        }
    }
}

TEST(EncryptCipher, ResetRestartsChainSoEqualFilesGiveEqualCiphertext)
{
    Cipher c(fileKeyMaterial(QStringLiteral("cHc=")));
    const QByteArray plain = pattern(1000);
    const QByteArray first = ours(c, plain, true);
    c.reset();
    EXPECT_EQ(ours(c, plain, true), first);
    // Without a reset the chain runs on and the result differs.
    EXPECT_NE(ours(c, plain, true), first);
}

TEST(EncryptCipher, UseBeforeKeyingThrows)
{
    Cipher c;
    std::uint8_t block[8] = {};
    try {
        c.encryptCBC(block, 8);
        FAIL() << "no exception";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "Cipher not initialized");
    }
    c.init("key");
    c.burn();
    EXPECT_FALSE(c.isInitialized());
    EXPECT_THROW(c.reset(), std::logic_error);
}

TEST(EncryptKeys, FormOfTheFixedKeys)
{
    auto printable = [](const QByteArray& k) {
        for (char ch : k)
            if (ch < 0x21 || ch > 0x7e)
                return false;
        return true;
    };
    EXPECT_EQ(keySuffix().size(), 22);
    EXPECT_EQ(settingsKey().size(), 32);
    EXPECT_TRUE(printable(keySuffix()));
    EXPECT_TRUE(printable(settingsKey()));
}

// cryptstring: 8-bit CFB under the settings key, Base64 text.
TEST(EncryptCryptString, MatchesReferenceRoundTripsAndIsDeterministic)
{
    const QString cases[] = {
        QStringLiteral("abcd"),
        QStringLiteral("a password of 24 chars.."),
        QStringLiteral("Grüße, 日本語 🙂"),
        QStringLiteral(" spaced "),
        QStringLiteral("x"),
    };
    for (const QString& s : cases) {
        SCOPED_TRACE(s.toStdString());
        const QString enc = cryptstring(s, true);
        EXPECT_EQ(enc, cryptstring(s, true));
        EXPECT_NE(enc, s);
        const QByteArray bytes = QByteArray::fromBase64(enc.toLatin1());
        EXPECT_EQ(bytes.size(), s.toUtf8().size());
        EXPECT_EQ(bytes, zx::test::referenceCfb8(settingsKey(), s.toUtf8()));
        EXPECT_EQ(cryptstring(enc, false), s);
    }
    EXPECT_EQ(cryptstring(QString(), true), QString());
    EXPECT_NE(cryptstring(QStringLiteral("abcd"), true), cryptstring(QStringLiteral("abce"), true));
    // Applying it twice (the stored form) is undone by two decryptions.
    const QString twice = cryptstring(cryptstring(QStringLiteral("hunter22"), true), true);
    EXPECT_EQ(cryptstring(cryptstring(twice, false), false), QStringLiteral("hunter22"));
}

TEST(EncryptCryptString, GarbageDecryptsToEmpty)
{
    EXPECT_EQ(cryptstring(QStringLiteral("not*base64!"), false), QString());
}
