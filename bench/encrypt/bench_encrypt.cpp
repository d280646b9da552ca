// Encryption throughput and wipe cost, beside OpenSSL's Blowfish CBC
// (libcrypto, legacy provider, same 20-byte key and IV, same data, same
// 8192-byte pieces) and `shred -n 1 -u` on a file of the same size.
//
//   bench_encrypt [MiB] [work dir]
#include "encrypt/encrypt.h"
#include "encrypt/keys.h"
#include "platform/filesync.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <openssl/evp.h>
#include <openssl/provider.h>
#include <openssl/sha.h>

using namespace zx::encrypt;

namespace {

double mibPerSec(qint64 bytes, qint64 ns)
{
    return ns > 0 ? double(bytes) / (1024.0 * 1024.0) / (double(ns) / 1e9) : 0.0;
}

QByteArray makeData(qint64 n)
{
    QByteArray b(n, Qt::Uninitialized);
    quint32 x = 12345;
    for (char& c : b) {
        x = x * 1103515245u + 12345u;
        c = char(x >> 24);
    }
    return b;
}

// OpenSSL over the same data in the same pieces; returns nanoseconds.
qint64 opensslRun(const QByteArray& key, const QByteArray& iv, QByteArray& data, bool encrypt)
{
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_CipherInit_ex(ctx, EVP_bf_cbc(), nullptr, nullptr, nullptr, encrypt);
    EVP_CIPHER_CTX_set_key_length(ctx, key.size());
    EVP_CipherInit_ex(ctx, nullptr, nullptr, reinterpret_cast<const unsigned char*>(key.constData()),
                      reinterpret_cast<const unsigned char*>(iv.constData()), encrypt);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    auto* p = reinterpret_cast<unsigned char*>(data.data());
    QByteArray out(kChunkSize + 16, Qt::Uninitialized);
    QElapsedTimer t;
    t.start();
    for (qint64 off = 0; off < data.size(); off += kChunkSize) {
        int n = 0;
        EVP_CipherUpdate(ctx, reinterpret_cast<unsigned char*>(out.data()), &n, p + off, int(kChunkSize));
        memcpy(p + off, out.constData(), size_t(n));
    }
    const qint64 ns = t.nsecsElapsed();
    EVP_CIPHER_CTX_free(ctx);
    return ns;
}

qint64 oursRun(const QByteArray& material, QByteArray& data, bool encrypt)
{
    Cipher c(material);
    auto* p = reinterpret_cast<std::uint8_t*>(data.data());
    QElapsedTimer t;
    t.start();
    for (qint64 off = 0; off < data.size(); off += kChunkSize) {
        if (encrypt)
            c.encryptCBC(p + off, std::size_t(kChunkSize));
        else
            c.decryptCBC(p + off, std::size_t(kChunkSize));
    }
    return t.nsecsElapsed();
}

bool writeBig(const QString& path, const QByteArray& data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        return false;
    return zx::platform::syncFile(f);
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;   // the decrypted files' trash goes here, not the user's
    qputenv("XDG_DATA_HOME", home.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    const qint64 mib = argc > 1 ? QByteArray(argv[1]).toLongLong() : 256;
    const QString workBase = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::tempPath();
    const qint64 size = mib << 20;

    if (!OSSL_PROVIDER_load(nullptr, "legacy") || !OSSL_PROVIDER_load(nullptr, "default")) {
        std::fprintf(stderr, "OpenSSL legacy provider not available\n");
        return 1;
    }
    const QString loginPassword = cryptstring(QStringLiteral("benchmark password"), true);
    const QByteArray material = fileKeyMaterial(loginPassword);
    QByteArray key(SHA_DIGEST_LENGTH, '\0');
    SHA1(reinterpret_cast<const unsigned char*>(material.constData()), size_t(material.size()),
         reinterpret_cast<unsigned char*>(key.data()));
    const QByteArray iv(reinterpret_cast<const char*>(Cipher(material).iv()), 8);

    const QByteArray plain = makeData(size);
    std::printf("Blowfish CBC, %lld MiB in memory, 8192-byte pieces (best of 3)\n", mib);
    qint64 best[4] = {INT64_MAX, INT64_MAX, INT64_MAX, INT64_MAX};
    bool same = true;
    for (int round = 0; round < 3; ++round) {
        QByteArray a = plain, b = plain;
        best[0] = qMin(best[0], oursRun(material, a, true));
        best[1] = qMin(best[1], opensslRun(key, iv, b, true));
        same = same && a == b;
        best[2] = qMin(best[2], oursRun(material, a, false));
        best[3] = qMin(best[3], opensslRun(key, iv, b, false));
        same = same && a == plain && b == plain;
    }
    std::printf("  encrypt: ours %8.1f MiB/s   openssl %8.1f MiB/s   ratio %.2f\n", mibPerSec(size, best[0]),
                mibPerSec(size, best[1]), double(best[1]) / double(best[0]));
    std::printf("  decrypt: ours %8.1f MiB/s   openssl %8.1f MiB/s   ratio %.2f\n", mibPerSec(size, best[2]),
                mibPerSec(size, best[3]), double(best[3]) / double(best[2]));
    std::printf("  outputs identical: %s\n", same ? "yes" : "NO");

    QTemporaryDir work(workBase + QStringLiteral("/zx-bench-encrypt-XXXXXX"));
    const QString file = work.filePath(QStringLiteral("data.bin"));
    EncryptSession session(loginPassword, zx::platform::allocationUnitSize(work.path()));

    std::printf("Files of %lld MiB in %s (each written and synced first)\n", mib, qPrintable(workBase));
    if (!writeBig(file, plain))
        return 1;
    QElapsedTimer t;
    t.start();
    const FileResult er = session.encryptfile(file, false);
    const qint64 encNs = t.nsecsElapsed();
    t.restart();
    const FileResult dr = session.decryptfile(file + QStringLiteral(".scrp"));
    const qint64 decNs = t.nsecsElapsed();
    std::printf("  encryptfile (read, encrypt, write, sync, wipe plain): %8.1f MiB/s %s\n", mibPerSec(size, encNs),
                er == FileResult::Done ? "" : "(FAILED)");
    std::printf("  decryptfile (read, decrypt, write, sync, to trash):   %8.1f MiB/s %s\n", mibPerSec(size, decNs),
                dr == FileResult::Done ? "" : "(FAILED)");
    QDir(home.path()).removeRecursively();

    if (!writeBig(file, plain))
        return 1;
    t.restart();
    const bool wiped = session.wipefile(file);
    const qint64 wipeNs = t.nsecsElapsed();

    if (!writeBig(file, plain))
        return 1;
    t.restart();
    const int rc = QProcess::execute(QStringLiteral("shred"), {QStringLiteral("-n"), QStringLiteral("1"),
                                                                QStringLiteral("-u"), file});
    const qint64 shredNs = t.nsecsElapsed();
    std::printf("  wipe: ours %.3f s %s   shred -n 1 -u %.3f s %s\n", double(wipeNs) / 1e9, wiped ? "" : "(FAILED)",
                double(shredNs) / 1e9, rc == 0 ? "" : "(FAILED)");
    return same && er == FileResult::Done && dr == FileResult::Done && wiped ? 0 : 1;
}
