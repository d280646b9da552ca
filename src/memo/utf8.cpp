#include "memo/utf8.h"

#include "app/userinterface.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextDocument>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace zx {

textencoding detectencoding(const QString& text)
{
    const qsizetype n = text.size();
    const qsizetype limit = n / 4;
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    // Counted in blocks (a loop the compiler vectorises); the count only
    // grows, so stopping after the block that passes the limit gives the
    // same answer as stopping at the unit itself.
    constexpr qsizetype kBlock = 4096;
    qsizetype k = 0;
    for (qsizetype start = 0; start < n; start += kBlock) {
        const qsizetype end = std::min(n, start + kBlock);
        qsizetype c = 0;
        qsizetype i = start;
        // Four ASCII units at a time.
        for (; i + 4 <= end; i += 4) {
            quint64 w;
            std::memcpy(&w, p + i, 8);
            if (w & 0xFF80FF80FF80FF80ULL)
                c += !isPlainUnit(p[i]) + !isPlainUnit(p[i + 1]) + !isPlainUnit(p[i + 2])
                     + !isPlainUnit(p[i + 3]);
        }
        for (; i < end; ++i)
            c += !isPlainUnit(p[i]);
        k += c;
        if (k > limit)
            return textencoding::Utf16;
    }
    return k ? textencoding::Utf8 : textencoding::Ansi;
}

QString encodingQuestion(const QString& name)
{
    return QStringLiteral("The text contains international characters.\n"
                          "Do you wish to save this file in ")
           + name
           + QStringLiteral(" encoding?\n"
                            "If you choose 'NO', the international characters\n"
                            "will be lost.");
}

static QByteArray lowBytes(const QString& text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    char* o = out.data();
    for (qsizetype i = 0, n = text.size(); i < n; ++i)
        o[i] = char(p[i] & 0xFF);
    return out;
}

QByteArray encodetext(const QString& text, textencoding encoding, bool withBom, bool ask,
                      UserInterface* ui)
{
    if (text.isEmpty())
        return {};
    if (encoding == textencoding::Auto) {
        encoding = detectencoding(text);
        if (ask && encoding != textencoding::Ansi && ui) {
            const QString name = encoding == textencoding::Utf16 ? QStringLiteral("UTF16")
                                                                 : QStringLiteral("UTF8");
            if (!ui->confirm(QStringLiteral("Confirm"), encodingQuestion(name)))
                encoding = textencoding::Ansi;
        }
    }
    switch (encoding) {
    case textencoding::Utf8: {
        QByteArray body = text.toUtf8();
        if (!withBom)
            return body;
        return QByteArray("\xEF\xBB\xBF", 3) + body;
    }
    case textencoding::Utf16: {
        const qsizetype bom = withBom ? 2 : 0;
        QByteArray out(bom + text.size() * 2, Qt::Uninitialized);
        if (withBom) {
            out[0] = char(0xFF);
            out[1] = char(0xFE);
        }
        qToLittleEndian<char16_t>(text.constData(), text.size(), out.data() + bom);
        return out;
    }
    case textencoding::Ansi:
    case textencoding::Auto:
        break;
    }
    return lowBytes(text);
}

static bool writeBytes(const QByteArray& bytes, const QString& fileName, QString* error)
{
    // Written beside the target and renamed over it, so a failed save leaves
    // the old file as it was. Where no new file can be made in the folder,
    // the file is written in place.
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    if (error)
        *error = QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString());
    file.cancelWriting();
    return false;
}

bool writetextfile(const QString& text, const QString& fileName, textencoding encoding,
                   bool withBom, bool ask, UserInterface* ui, QString* error)
{
    return writeBytes(encodetext(text, encoding, withBom, ask, ui), fileName, error);
}

QStringList saveAsEncodingNames()
{
    return {QStringLiteral("Default"),
            QStringLiteral("ANSI/ASCII"),
            QStringLiteral("ANSI/ASCII with UNIX line terminators - LF"),
            QStringLiteral("UTF-8"),
            QStringLiteral("UTF-16"),
            QStringLiteral("UTF-8 - NO BOM"),
            QStringLiteral("UTF-16 - NO BOM")};
}

SaveAsEncoding preselectedSaveAsEncoding(const QString& text)
{
    switch (detectencoding(text)) {
    case textencoding::Utf8: return SaveAsEncoding::Utf8;
    case textencoding::Utf16: return SaveAsEncoding::Utf16;
    default: return SaveAsEncoding::Default;
    }
}

QByteArray encodeForSaveAs(const QString& text, SaveAsEncoding entry, UserInterface* ui)
{
    switch (entry) {
    case SaveAsEncoding::Default: return encodetext(text, textencoding::Auto, true, true, ui);
    case SaveAsEncoding::Ansi: return encodetext(text, textencoding::Ansi, false, false);
    case SaveAsEncoding::AnsiLf: return encodetext(crlfToLf(text), textencoding::Ansi, false, false);
    case SaveAsEncoding::Utf8: return encodetext(text, textencoding::Utf8, true, false);
    case SaveAsEncoding::Utf16: return encodetext(text, textencoding::Utf16, true, false);
    case SaveAsEncoding::Utf8NoBom: return encodetext(text, textencoding::Utf8, false, false);
    case SaveAsEncoding::Utf16NoBom: return encodetext(text, textencoding::Utf16, false, false);
    }
    return encodetext(text, textencoding::Auto, true, true, ui);
}

bool writeSaveAsFile(const QString& text, const QString& fileName, SaveAsEncoding entry,
                     UserInterface* ui, QString* error)
{
    return writeBytes(encodeForSaveAs(text, entry, ui), fileName, error);
}

QString crlfToLf(const QString& text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            continue;
        out.append(c);
    }
    return out;
}

QString toCrLf(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            if (i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            out.append(u"\r\n");
        } else if (c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            out.append(u"\r\n");
        } else {
            out.append(c);
        }
    }
    return out;
}

QString documentPlainText(const QTextDocument& doc)
{
    QString out;
    out.reserve(doc.characterCount() + doc.blockCount());
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b != doc.begin())
            out += QStringLiteral("\r\n");
        const QString t = b.text();
        for (QChar c : t) {
            if (c == QChar::LineSeparator)
                out += QStringLiteral("\r\n");
            else
                out += c;
        }
    }
    return out;
}

bool looksLikeRtf(const QByteArray& head, qint64 fileSize)
{
    return fileSize > 6 && head.startsWith("{\\rtf");
}

bool isRtfFile(const QString& fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return looksLikeRtf(f.read(6), f.size());
}

// Bytes 0x80 to 0x9F of Windows-1252; the five unassigned ones map to the
// C1 control of the same value, as Windows itself does.
static const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t windows1252Char(unsigned char b)
{
    return (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : char16_t(b);
}

QString decodeWindows1252(const char* data, qsizetype size)
{
    QString out(size, Qt::Uninitialized);
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    const unsigned char* p = reinterpret_cast<const unsigned char*>(data);
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char b = p[i];
        o[i] = (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : char16_t(b);
    }
    return out;
}

bool isValidUtf8(const char* data, qsizetype size)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(data);
    const unsigned char* end = p + size;
    while (p < end) {
        // Eight ASCII bytes at a time.
        if (end - p >= 8) {
            quint64 w;
            std::memcpy(&w, p, 8);
            if (!(w & 0x8080808080808080ULL)) {
                p += 8;
                continue;
            }
        }
        const unsigned char b = *p;
        if (b < 0x80) {
            ++p;
            continue;
        }
        int len;
        unsigned lo = 0x80, hi = 0xBF;  // allowed range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            if (b == 0xE0) lo = 0xA0;       // overlong
            if (b == 0xED) hi = 0x9F;       // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            if (b == 0xF0) lo = 0x90;       // overlong
            if (b == 0xF4) hi = 0x8F;       // above U+10FFFF
        } else {
            return false;
        }
        if (end - p < len)
            return false;
        if (p[1] < lo || p[1] > hi)
            return false;
        for (int k = 2; k < len; ++k)
            if ((p[k] & 0xC0) != 0x80)
                return false;
        p += len;
    }
    return true;
}

QString decodePlainText(const QByteArray& bytes)
{
    const char* d = bytes.constData();
    const qsizetype n = bytes.size();
    const auto* u = reinterpret_cast<const unsigned char*>(d);
    const bool le = n >= 2 && u[0] == 0xFF && u[1] == 0xFE;
    const bool be = n >= 2 && u[0] == 0xFE && u[1] == 0xFF;
    if (le || be) {
        QStringDecoder dec(le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        const qsizetype body = (n - 2) & ~qsizetype(1);
        QString text = dec.decode(QByteArrayView(d + 2, body));
        if (body != n - 2)
            text += QChar(QChar::ReplacementCharacter);  // a last, odd byte is not dropped silently
        return text;
    }
    // QString::fromUtf8 would drop a U+FEFF at the start of the text itself.
    auto utf8 = [](const char* p, qsizetype size) {
        QStringDecoder dec(QStringConverter::Utf8,
                           QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        return QString(dec.decode(QByteArrayView(p, size)));
    };
    if (n >= 3 && u[0] == 0xEF && u[1] == 0xBB && u[2] == 0xBF)
        return utf8(d + 3, n - 3);
    if (isValidUtf8(d, n))
        return utf8(d, n);
    return decodeWindows1252(d, n);
}

bool readPlainTextFile(const QString& fileName, QString* text, QString* error)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (error)
            *error = f.errorString();
        return false;
    }
    *text = decodePlainText(bytes);
    return true;
}

}  // namespace zx
