#include "encrypt/cipher.h"

#include <nettle/blowfish.h>
#include <nettle/cbc.h>
#include <nettle/cfb.h>
#include <nettle/sha1.h>

#include <cstring>
#include <stdexcept>

namespace zx::encrypt {

struct Cipher::Schedule {
    blowfish_ctx ctx;
};

void secureFill(void* p, std::size_t n, std::uint8_t value)
{
    volatile std::uint8_t* b = static_cast<volatile std::uint8_t*>(p);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = value;
}

QByteArray sha1(const QByteArray& data)
{
    sha1_ctx ctx;
    sha1_init(&ctx);
    sha1_update(&ctx, std::size_t(data.size()), reinterpret_cast<const std::uint8_t*>(data.constData()));
    QByteArray out(SHA1_DIGEST_SIZE, '\0');
    sha1_digest(&ctx, SHA1_DIGEST_SIZE, reinterpret_cast<std::uint8_t*>(out.data()));
    secureFill(&ctx, sizeof ctx, 0xFF);
    return out;
}

namespace {
void bfEncrypt(const void* ctx, std::size_t length, std::uint8_t* dst, const std::uint8_t* src)
{
    blowfish_encrypt(static_cast<const blowfish_ctx*>(ctx), length, dst, src);
}
void bfDecrypt(const void* ctx, std::size_t length, std::uint8_t* dst, const std::uint8_t* src)
{
    blowfish_decrypt(static_cast<const blowfish_ctx*>(ctx), length, dst, src);
}
// Chained encryption of whole blocks with the halves kept in registers from
// block to block; Nettle's key schedule, its cbc_encrypt calls the block
// function once per block through a pointer, which costs a fifth of the speed.
inline std::uint32_t bfF(const blowfish_ctx* ctx, std::uint32_t x)
{
    return ((ctx->s[0][x >> 24] + ctx->s[1][(x >> 16) & 0xff]) ^ ctx->s[2][(x >> 8) & 0xff]) + ctx->s[3][x & 0xff];
}

inline std::uint32_t load32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

inline void store32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = std::uint8_t(v >> 24);
    p[1] = std::uint8_t(v >> 16);
    p[2] = std::uint8_t(v >> 8);
    p[3] = std::uint8_t(v);
}

void cbcEncryptBlocks(const blowfish_ctx* ctx, std::uint8_t* chain, std::uint8_t* data, std::size_t length)
{
    const std::uint32_t* p = ctx->p;
    std::uint32_t cl = load32(chain), cr = load32(chain + 4);
    for (std::size_t off = 0; off < length; off += 8) {
        std::uint32_t l = load32(data + off) ^ cl;
        std::uint32_t r = load32(data + off + 4) ^ cr;
        for (int i = 0; i < _BLOWFISH_ROUNDS; i += 2) {
            l ^= p[i];
            r ^= bfF(ctx, l);
            r ^= p[i + 1];
            l ^= bfF(ctx, r);
        }
        l ^= p[_BLOWFISH_ROUNDS];
        r ^= p[_BLOWFISH_ROUNDS + 1];
        cl = r;
        cr = l;
        store32(data + off, cl);
        store32(data + off + 4, cr);
    }
    store32(chain, cl);
    store32(chain + 4, cr);
}
}  // namespace

Cipher::Cipher() : schedule_(std::make_unique<Schedule>())
{
    std::memset(iv_, 0, sizeof iv_);
    std::memset(chain_, 0, sizeof chain_);
}

Cipher::Cipher(const QByteArray& keyMaterial) : Cipher() { init(keyMaterial); }

Cipher::~Cipher() { burn(); }

void Cipher::init(const QByteArray& keyMaterial)
{
    std::uint8_t digest[SHA1_DIGEST_SIZE];
    sha1_ctx ctx;
    sha1_init(&ctx);
    sha1_update(&ctx, std::size_t(keyMaterial.size()),
                reinterpret_cast<const std::uint8_t*>(keyMaterial.constData()));
    sha1_digest(&ctx, SHA1_DIGEST_SIZE, digest);
    initRawKey(digest, SHA1_DIGEST_SIZE);
    secureFill(digest, sizeof digest, 0xFF);
    secureFill(&ctx, sizeof ctx, 0xFF);
}

void Cipher::initRawKey(const std::uint8_t* key, std::size_t length)
{
    if (length < 1 || length > BLOWFISH_MAX_KEY_SIZE)
        throw std::invalid_argument("Blowfish key length out of range");
    // Nettle reports weak keys through its return value but keys the cipher
    // all the same; every key is accepted here.
    (void)blowfish_set_key(&schedule_->ctx, length, key);
    std::memset(iv_, 0, sizeof iv_);
    blowfish_encrypt(&schedule_->ctx, kBlockSize, iv_, iv_);
    std::memcpy(chain_, iv_, sizeof chain_);
    initialized_ = true;
}

void Cipher::requireInit() const
{
    if (!initialized_)
        throw std::logic_error("Cipher not initialized");
}

void Cipher::reset()
{
    requireInit();
    std::memcpy(chain_, iv_, sizeof chain_);
}

void Cipher::encryptCBC(std::uint8_t* data, std::size_t length)
{
    requireInit();
    const std::size_t whole = length - length % kBlockSize;
    if (whole)
        cbcEncryptBlocks(&schedule_->ctx, chain_, data, whole);
    if (const std::size_t r = length - whole) {
        blowfish_encrypt(&schedule_->ctx, kBlockSize, chain_, chain_);
        for (std::size_t i = 0; i < r; ++i)
            data[whole + i] ^= chain_[i];
    }
}

void Cipher::decryptCBC(std::uint8_t* data, std::size_t length)
{
    requireInit();
    const std::size_t whole = length - length % kBlockSize;
    if (whole)
        cbc_decrypt(&schedule_->ctx, bfDecrypt, kBlockSize, chain_, whole, data, data);
    if (const std::size_t r = length - whole) {
        blowfish_encrypt(&schedule_->ctx, kBlockSize, chain_, chain_);
        for (std::size_t i = 0; i < r; ++i)
            data[whole + i] ^= chain_[i];
    }
}

void Cipher::encryptCFB8(std::uint8_t* data, std::size_t length)
{
    requireInit();
    cfb8_encrypt(&schedule_->ctx, bfEncrypt, kBlockSize, chain_, length, data, data);
}

void Cipher::decryptCFB8(std::uint8_t* data, std::size_t length)
{
    requireInit();
    cfb8_decrypt(&schedule_->ctx, bfEncrypt, kBlockSize, chain_, length, data, data);
}

void Cipher::encryptBlocks(std::uint8_t* data, std::size_t length) const
{
    requireInit();
    blowfish_encrypt(&schedule_->ctx, length - length % kBlockSize, data, data);
}

void Cipher::decryptBlocks(std::uint8_t* data, std::size_t length) const
{
    requireInit();
    blowfish_decrypt(&schedule_->ctx, length - length % kBlockSize, data, data);
}

void Cipher::burn()
{
    if (schedule_)
        secureFill(&schedule_->ctx, sizeof schedule_->ctx, 0xFF);
    secureFill(iv_, sizeof iv_, 0xFF);
    secureFill(chain_, sizeof chain_, 0xFF);
    initialized_ = false;
}

}  // namespace zx::encrypt
