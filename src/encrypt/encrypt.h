#pragma once
// Encrypting, decrypting and wiping files in place, and the string
// encryption of stored passwords.
//
// An encrypted file is the ciphertext only (no header, same length as the
// plain file), named "<path>.scrp", or "<disguised path>.sscrp" when the name
// is disguised too. Its key derives from the login password (in its
// password form, see cryptstring) followed by keySuffix().

#include "encrypt/cipher.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace zx::encrypt {

inline constexpr qint64 kChunkSize = 8192;              // file content is streamed in these
inline constexpr qint64 kSizeLimit = qint64(1) << 32;    // files must be smaller (4 GiB)
inline constexpr int kWipeBufferSize = 100000;
inline constexpr int kMaxNameBytes = 255;                // longest file name the file system takes

// String encryption with the settings key: 8-bit CFB over the UTF-8 bytes,
// carried as Base64. Deterministic: equal strings give equal results.
// Decrypting text that is not valid Base64 gives an empty string.
QString cryptstring(const QString& text, bool encrypt);

// Key material of files for a login password (password form).
QByteArray fileKeyMaterial(const QString& loginPassword);

// A last-write time as a DOS date-time stamp holds it (2-second steps,
// 1980-2107); invalid when the time cannot be stored that way.
QDateTime dosTimeStamp(const QDateTime& t);

// Outcome of one file.
enum class FileResult {
    Done,           // encrypted and wiped / decrypted and the encrypted file trashed
    NotApplicable,  // not a candidate (already encrypted, not encrypted, not a regular file)
    TooLarge,       // 4 GiB or more: left untouched
    Failed,         // could not be read or written: left untouched
    NotWiped,       // encrypted, but the plain file could not be wiped
    NotTrashed,     // decrypted, but the encrypted file could not go to the trash (kept)
};

// What a command did, for its closing report.
struct EncryptReport {
    int done = 0;
    QStringList tooLarge, failed, notWiped, notTrashed;
    void add(const QString& path, FileResult r);
    bool hasProblems() const
    {
        return !tooLarge.isEmpty() || !failed.isEmpty() || !notWiped.isEmpty() || !notTrashed.isEmpty();
    }
};

// The state of one encrypt or decrypt command: the cipher keyed once from
// the login password, reset for every file, and the wipe buffer.
class EncryptSession {
public:
    // allocationUnit: the file system's allocation unit for wiping
    // (4096 when not positive).
    explicit EncryptSession(const QString& loginPassword, int allocationUnit = 4096);
    ~EncryptSession();
    EncryptSession(const EncryptSession&) = delete;
    EncryptSession& operator=(const EncryptSession&) = delete;

    FileResult encryptfile(const QString& path, bool namesToo, QString* newPath = nullptr);
    FileResult decryptfile(const QString& path, QString* newPath = nullptr);
    // Overwrites the file's data once with pseudo-random bytes, truncates it,
    // sets its times to 1 Jan 1980 and deletes it. False when the file does
    // not exist or any step fails (the file then stays as it is at that point).
    bool wipefile(const QString& path);

    // A file or (recursively) a directory. Symbolic links are never followed.
    void processPath(const QString& path, bool encrypt, bool namesToo, EncryptReport& report);
    // Every file below dir, depth first; the listing of each directory is
    // taken before its files are processed. Directories keep their names.
    void encryptfolder(const QString& dir, bool encrypt, bool namesToo, EncryptReport& report);

    Cipher& cipher() { return cipher_; }
    int allocationUnit() const { return allocationUnit_; }

private:
    FileResult transform(const QString& path, const QString& newPath, bool encrypt);
    Cipher cipher_;
    QByteArray wipeBuffer_;
    int allocationUnit_;
};

// One-off forms that key a cipher of their own.
FileResult encryptfile(const QString& path, const QString& loginPassword, bool namesToo);
FileResult decryptfile(const QString& path, const QString& loginPassword);

// The first pass of wipefile: overwrites the file's data from offset 0 over
// its size rounded up to whole allocation units with bytes from `buffer`
// (refilled with pseudo-random bytes 0..254) and flushes it to disk.
bool overwriteFileData(const QString& path, QByteArray& buffer, int allocationUnit);

}  // namespace zx::encrypt
