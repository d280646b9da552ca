#pragma once
// The two fixed keys of the encryption code, assembled at run time from
// stored pieces. Every file and stored password ever written depends on them:
// they must never change.
#include <QByteArray>

namespace zx::encrypt {

// 22 printable ASCII characters appended to the login password to form the
// key material of files.
const QByteArray& keySuffix();

// 32 printable ASCII characters: the key material of cryptstring (stored
// passwords).
const QByteArray& settingsKey();

}  // namespace zx::encrypt
