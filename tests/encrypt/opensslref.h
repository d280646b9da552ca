#pragma once
// Blowfish through OpenSSL's libcrypto: an independent implementation to
// check ours against. Keys of any length (OpenSSL's default is 16 bytes; the
// length is set explicitly).
#include <QByteArray>

namespace zx::test {

QByteArray opensslBfEcb(const QByteArray& key, const QByteArray& data, bool encrypt = true);
QByteArray opensslBfCbc(const QByteArray& key, const QByteArray& iv, const QByteArray& data,
                        bool encrypt = true);
QByteArray opensslSha1(const QByteArray& data);

// The whole file format computed with OpenSSL: CBC over the whole blocks,
// then the stream tail, with IV = E_K(0) and K = SHA-1(keyMaterial).
QByteArray referenceFileCipher(const QByteArray& keyMaterial, const QByteArray& plain);
// 8-bit CFB built on OpenSSL's block function, IV = E_K(0), K = SHA-1(keyMaterial).
QByteArray referenceCfb8(const QByteArray& keyMaterial, const QByteArray& plain);

QByteArray hex(const char* text);

}  // namespace zx::test
