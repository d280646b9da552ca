#pragma once
// Blowfish keyed with the SHA-1 digest of a key material, with the fixed
// initialisation vector E(0): cipher block chaining with a stream tail for
// file content, and 8-bit cipher feedback for short strings.
//
// The chaining value runs on from call to call, so a file may be fed in
// chunks; only the last chunk of a file may end in a partial block.

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace zx::encrypt {

class Cipher {
public:
    static constexpr std::size_t kBlockSize = 8;
    static constexpr std::size_t kDigestSize = 20;   // SHA-1: a 160-bit Blowfish key

    Cipher();
    explicit Cipher(const QByteArray& keyMaterial);
    ~Cipher();
    Cipher(const Cipher&) = delete;
    Cipher& operator=(const Cipher&) = delete;

    // Keys the cipher with SHA-1(keyMaterial), computes the initialisation
    // vector and resets the chaining value.
    void init(const QByteArray& keyMaterial);
    // Keys Blowfish with raw key bytes (1 to 56) and computes the
    // initialisation vector; used for known-answer checks.
    void initRawKey(const std::uint8_t* key, std::size_t length);
    bool isInitialized() const { return initialized_; }

    // Chaining value := initialisation vector (before each file).
    void reset();

    // File content, in place. Whole blocks are chained (CBC); a final partial
    // block of 1-7 bytes is XORed with E(chaining value).
    void encryptCBC(std::uint8_t* data, std::size_t length);
    void decryptCBC(std::uint8_t* data, std::size_t length);

    // 8-bit cipher feedback, in place.
    void encryptCFB8(std::uint8_t* data, std::size_t length);
    void decryptCFB8(std::uint8_t* data, std::size_t length);

    // Plain Blowfish on whole blocks (ECB), in place.
    void encryptBlocks(std::uint8_t* data, std::size_t length) const;
    void decryptBlocks(std::uint8_t* data, std::size_t length) const;

    const std::uint8_t* iv() const { return iv_; }
    const std::uint8_t* chain() const { return chain_; }

    // Overwrites key schedule, initialisation vector and chaining value with 0xFF.
    void burn();

private:
    void requireInit() const;
    struct Schedule;
    std::unique_ptr<Schedule> schedule_;
    std::uint8_t iv_[kBlockSize];
    std::uint8_t chain_[kBlockSize];
    bool initialized_ = false;
};

// SHA-1 of data.
QByteArray sha1(const QByteArray& data);

// Overwrites memory in a way the compiler keeps.
void secureFill(void* p, std::size_t n, std::uint8_t value);

}  // namespace zx::encrypt
