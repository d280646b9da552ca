#pragma once
// Encrypted-file names: recognition of "scrp" / "sscrp" and the name disguise.
//
// The disguise works on characters (code points), so every name survives a
// round trip; for ASCII names it is the classic byte-wise one.
#include <QString>
#include <string>

namespace zx::encrypt {

inline constexpr char kPlainExt[] = "scrp";       // encrypted, name kept
inline constexpr char kDisguisedExt[] = "sscrp";  // encrypted, name disguised

// The text after the last "." of the file name ("" when there is none).
QString lastExtension(const QString& path);
// True when the last extension is "scrp" or "sscrp" (any case).
bool isEncryptedName(const QString& path);
// True when the last extension is "sscrp" (any case).
bool isDisguisedName(const QString& path);

// Exchanges the first and third character of every complete group of three,
// counting from the start. Its own inverse.
void exchangeGroups(std::u32string& s);

// Disguises the file name of path (the directory part is kept).
QString scramblename(const QString& path);
// Undoes scramblename.
QString unscramblename(const QString& path);

// The two halves of the disguise on a bare file name; `pickLetter` gives
// the inserted letters ('a' to 'y').
QString scrambleFileName(const QString& name, char32_t (*pickLetter)());
QString unscrambleFileName(const QString& name);

}  // namespace zx::encrypt
