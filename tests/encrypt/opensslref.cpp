#include "opensslref.h"

#include <openssl/evp.h>
#include <openssl/provider.h>
#include <openssl/sha.h>
#include <stdexcept>

namespace zx::test {

namespace {
void loadLegacy()
{
    static OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
    static OSSL_PROVIDER* deflt = OSSL_PROVIDER_load(nullptr, "default");
    if (!legacy || !deflt)
        throw std::runtime_error("OpenSSL legacy provider not available");
}

QByteArray run(const EVP_CIPHER* type, const QByteArray& key, const QByteArray& iv, const QByteArray& data,
               bool encrypt)
{
    loadLegacy();
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    QByteArray out(data.size() + 16, '\0');
    int n1 = 0, n2 = 0;
    const auto* k = reinterpret_cast<const unsigned char*>(key.constData());
    const auto* v = iv.isEmpty() ? nullptr : reinterpret_cast<const unsigned char*>(iv.constData());
    bool ok = EVP_CipherInit_ex(ctx, type, nullptr, nullptr, nullptr, encrypt ? 1 : 0) == 1 &&
              EVP_CIPHER_CTX_set_key_length(ctx, key.size()) == 1 &&
              EVP_CipherInit_ex(ctx, nullptr, nullptr, k, v, encrypt ? 1 : 0) == 1 &&
              EVP_CIPHER_CTX_set_padding(ctx, 0) == 1 &&
              EVP_CipherUpdate(ctx, reinterpret_cast<unsigned char*>(out.data()), &n1,
                               reinterpret_cast<const unsigned char*>(data.constData()), data.size()) == 1 &&
              EVP_CipherFinal_ex(ctx, reinterpret_cast<unsigned char*>(out.data()) + n1, &n2) == 1;
    EVP_CIPHER_CTX_free(ctx);
    if (!ok)
        throw std::runtime_error("OpenSSL Blowfish failed");
    out.resize(n1 + n2);
    return out;
}
}  // namespace

QByteArray opensslBfEcb(const QByteArray& key, const QByteArray& data, bool encrypt)
{
    return run(EVP_bf_ecb(), key, {}, data, encrypt);
}

QByteArray opensslBfCbc(const QByteArray& key, const QByteArray& iv, const QByteArray& data, bool encrypt)
{
    return run(EVP_bf_cbc(), key, iv, data, encrypt);
}

QByteArray opensslSha1(const QByteArray& data)
{
    QByteArray out(SHA_DIGEST_LENGTH, '\0');
    SHA1(reinterpret_cast<const unsigned char*>(data.constData()), size_t(data.size()),
         reinterpret_cast<unsigned char*>(out.data()));
    return out;
}

QByteArray referenceFileCipher(const QByteArray& keyMaterial, const QByteArray& plain)
{
    const QByteArray key = opensslSha1(keyMaterial);
    const QByteArray iv = opensslBfEcb(key, QByteArray(8, '\0'));
    const qsizetype whole = plain.size() - plain.size() % 8;
    QByteArray out = opensslBfCbc(key, iv, plain.left(whole));
    if (whole < plain.size()) {
        const QByteArray chain = whole ? out.right(8) : iv;
        const QByteArray pad = opensslBfEcb(key, chain);
        for (qsizetype i = whole; i < plain.size(); ++i)
            out.append(char(plain[i] ^ pad[i - whole]));
    }
    return out;
}

QByteArray referenceCfb8(const QByteArray& keyMaterial, const QByteArray& plain)
{
    const QByteArray key = opensslSha1(keyMaterial);
    QByteArray reg = opensslBfEcb(key, QByteArray(8, '\0'));
    QByteArray out;
    for (char p : plain) {
        const QByteArray pad = opensslBfEcb(key, reg);
        const char c = char(p ^ pad.at(0));
        out.append(c);
        reg.remove(0, 1);
        reg.append(c);
    }
    return out;
}

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text));
}

}  // namespace zx::test
