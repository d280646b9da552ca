#pragma once
// Password accounts: ZXsettings.ini in the data directory, one section per
// user name with the value "Password". Section and key names are compared
// without regard to case. The file is readable by its owner only.
#include <QString>

namespace zx::encrypt {

inline constexpr char kAccountsFileName[] = "ZXsettings.ini";
inline constexpr char kPasswordKey[] = "Password";

// dataDir()/ZXsettings.ini
QString accountsFilePath();

// Windows-style profile files: "[section]" lines and "key=value" lines.
// Reading gives an empty string when the file, section or key is missing.
QString readIniValue(const QString& file, const QString& section, const QString& key);
// Replaces the value in place (or appends key or section), keeping every
// other line. Written atomically, with mode 0600. False with *error set on failure.
bool writeIniValue(const QString& file, const QString& section, const QString& key,
                   const QString& value, QString* error = nullptr);

// The stored password of userName in password form (cryptstring applied
// once), or empty when the user has none.
QString readINIfile(const QString& userName);
// Stores loginPassword (password form) for userName; nothing happens (and
// true is returned) unless both are non-empty.
bool writeINIfile(const QString& userName, const QString& loginPassword, QString* error = nullptr);

}  // namespace zx::encrypt
