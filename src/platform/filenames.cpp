#include "platform/filenames.h"

#include <QStringDecoder>

namespace zx::platform {

namespace {
// Length of the valid UTF-8 sequence at p (1..4), or 0 when invalid.
int utf8SeqLen(const unsigned char* p, qsizetype n)
{
    const unsigned char c = p[0];
    if (c < 0x80)
        return 1;
    int len;
    char32_t cp;
    if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; }
    else return 0;
    if (n < len)
        return 0;
    for (int i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are invalid.
    if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}
}  // namespace

QString decodeFileName(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    // Fast path: plain ASCII.
    qsizetype i = 0;
    while (i < n && p[i] < 0x80)
        ++i;
    if (i == n)
        return QString::fromLatin1(bytes);
    QString out;
    out.reserve(n);
    qsizetype start = 0;
    i = 0;
    while (i < n) {
        const int len = utf8SeqLen(p + i, n - i);
        if (len > 0) {
            i += len;
            continue;
        }
        out += QString::fromUtf8(bytes.constData() + start, i - start);
        out += QChar(char16_t(0xDC00 + p[i]));
        ++i;
        start = i;
    }
    out += QString::fromUtf8(bytes.constData() + start, n - start);
    return out;
}

QByteArray encodeFileName(const QString& name)
{
    if (!hasEscapedBytes(name))
        return name.toUtf8();
    QByteArray out;
    out.reserve(name.size() * 2);
    qsizetype start = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name.at(i).unicode();
        if (u >= 0xDC80 && u <= 0xDCFF && !(i > 0 && name.at(i - 1).isHighSurrogate())) {
            out += name.mid(start, i - start).toUtf8();
            out += char(u - 0xDC00);
            start = i + 1;
        }
    }
    out += name.mid(start).toUtf8();
    return out;
}

bool hasEscapedBytes(const QString& name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name.at(i).unicode();
        if (u >= 0xDC80 && u <= 0xDCFF && !(i > 0 && name.at(i - 1).isHighSurrogate()))
            return true;
    }
    return false;
}

QString displayFileName(const QString& name)
{
    if (!hasEscapedBytes(name))
        return name;
    QString out = name;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const char16_t u = out.at(i).unicode();
        if (u >= 0xDC80 && u <= 0xDCFF && !(i > 0 && out.at(i - 1).isHighSurrogate()))
            out[i] = QChar(0xFFFD);
    }
    return out;
}

}  // namespace zx::platform
