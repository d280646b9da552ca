#include "encrypt/keys.h"

#include "encrypt/names.h"

#include <algorithm>
#include <string>

namespace zx::encrypt {

namespace {
// Stored pieces. DO NOT CHANGE: files encrypted and passwords stored by
// earlier builds become unreadable (tests/encrypt/data pins the result).
constexpr char kSuffixPiece[] = ":E~SU&~;Y_~}gCvWfDWg)M";          // 22
constexpr char kSettingsPieceA[] = "(eeDFsnr8MdnQ^c^M&}%9hbUv9_rN"; // 29
constexpr char kSettingsPieceB[] = "LO";                            // 2
constexpr char kSettingsPieceC[] = "[";                             // 1

static_assert(sizeof kSuffixPiece - 1 == 22);
static_assert(sizeof kSettingsPieceA - 1 == 29);
static_assert(sizeof kSettingsPieceB - 1 == 2 && sizeof kSettingsPieceC - 1 == 1);

QByteArray reversed(const char* s)
{
    std::string t(s);
    std::reverse(t.begin(), t.end());
    return QByteArray::fromStdString(t);
}

QByteArray buildSuffix()
{
    // Reverse, then exchange the first and third character of every group of three.
    std::u32string u;
    for (char c : reversed(kSuffixPiece))
        u.push_back(char32_t(static_cast<unsigned char>(c)));
    exchangeGroups(u);
    QByteArray out;
    for (char32_t c : u)
        out.append(char(c));
    return out;
}
}  // namespace

const QByteArray& keySuffix()
{
    static const QByteArray k = buildSuffix();
    return k;
}

const QByteArray& settingsKey()
{
    static const QByteArray k = reversed(kSettingsPieceA) + kSettingsPieceB + kSettingsPieceC;
    return k;
}

}  // namespace zx::encrypt
