#include "encrypt/names.h"

#include <QList>
#include <QRandomGenerator>
#include <algorithm>

namespace zx::encrypt {

namespace {
struct ExtPair {
    const char* plain;      // upper-case form that is recognised
    const char* disguised;
    const char* restored;
};
// Common picture extensions get fixed disguises.
constexpr ExtPair kFixedExts[] = {
    {"JPG", "_tqw_", "jpg"},
    {"JPEG", "_tq_e", "jpeg"},
    {"BMP", "_tr_e", "bmp"},
    {"GIF", "_ew_e", "gif"},
};

std::u32string toU32(const QString& s)
{
    const QList<uint> ucs = s.toUcs4();
    return std::u32string(ucs.begin(), ucs.end());
}

QString fromU32(const std::u32string& s)
{
    return QString::fromUcs4(s.data(), qsizetype(s.size()));
}

QString rot13(QString s)
{
    for (QChar& c : s) {
        const ushort u = c.unicode();
        if (u >= 'a' && u <= 'z')
            c = QChar(ushort('a' + (u - 'a' + 13) % 26));
    }
    return s;
}

QString reversedChars(const QString& s)
{
    std::u32string u = toU32(s);
    std::reverse(u.begin(), u.end());
    return fromU32(u);
}

char32_t randomLetter()
{
    return char32_t('a' + QRandomGenerator::global()->bounded(25));
}

qsizetype nameStart(const QString& path)
{
    return path.lastIndexOf(QLatin1Char('/')) + 1;
}
}  // namespace

QString lastExtension(const QString& path)
{
    const qsizetype start = nameStart(path);
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return dot >= start ? path.mid(dot + 1) : QString();
}

bool isEncryptedName(const QString& path)
{
    const QString ext = lastExtension(path);
    return ext.compare(QLatin1String(kPlainExt), Qt::CaseInsensitive) == 0 ||
           ext.compare(QLatin1String(kDisguisedExt), Qt::CaseInsensitive) == 0;
}

bool isDisguisedName(const QString& path)
{
    return lastExtension(path).compare(QLatin1String(kDisguisedExt), Qt::CaseInsensitive) == 0;
}

void exchangeGroups(std::u32string& s)
{
    for (std::size_t i = 0; i + 3 <= s.size(); i += 3)
        std::swap(s[i], s[i + 2]);
}

QString scrambleFileName(const QString& name, char32_t (*pickLetter)())
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    const QString base = dot < 0 ? name : name.left(dot);

    std::u32string b = toU32(base);
    std::reverse(b.begin(), b.end());
    exchangeGroups(b);
    std::u32string out;
    out.reserve(b.size() + (b.size() + 1) / 2);
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (i % 2 == 0)
            out.push_back(pickLetter());
        out.push_back(b[i]);
    }
    QString result = fromU32(out);
    if (dot < 0)
        return result;

    const QString ext = name.mid(dot + 1);
    const QString upper = ext.toUpper();
    QString disguised;
    for (const ExtPair& p : kFixedExts) {
        if (upper == QLatin1String(p.plain)) {
            disguised = QLatin1String(p.disguised);
            break;
        }
    }
    if (disguised.isNull())
        disguised = rot13(reversedChars(ext));
    return result + QLatin1Char('.') + disguised;
}

QString unscrambleFileName(const QString& name)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    const QString base = dot < 0 ? name : name.left(dot);

    const std::u32string b = toU32(base);
    std::u32string kept;
    for (std::size_t i = 0; i < b.size(); ++i)
        if (i % 3 != 0)
            kept.push_back(b[i]);
    exchangeGroups(kept);
    std::reverse(kept.begin(), kept.end());
    QString result = fromU32(kept);
    if (dot < 0)
        return result;

    const QString ext = name.mid(dot + 1);
    QString plain;
    for (const ExtPair& p : kFixedExts) {
        if (ext == QLatin1String(p.disguised)) {
            plain = QLatin1String(p.restored);
            break;
        }
    }
    if (plain.isNull())
        plain = reversedChars(rot13(ext));
    return result + QLatin1Char('.') + plain;
}

QString scramblename(const QString& path)
{
    const qsizetype start = nameStart(path);
    return path.left(start) + scrambleFileName(path.mid(start), randomLetter);
}

QString unscramblename(const QString& path)
{
    const qsizetype start = nameStart(path);
    return path.left(start) + unscrambleFileName(path.mid(start));
}

}  // namespace zx::encrypt
