// Decodes arbitrary bytes as a plain-text file and encodes the text again:
// the UTF-8 check must agree with Qt's strict decoder, and the Unicode
// encodings must give back the text they were given.
#include "memo/utf8.h"

#include <QStringDecoder>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringDecoder strict(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString strictText = strict.decode(bytes);  // decoding happens on conversion
    (void)strictText;
    if (zx::isValidUtf8(bytes.constData(), bytes.size()) == strict.hasError())
        std::abort();

    const QString text = zx::decodePlainText(bytes);
    (void)zx::detectencoding(text);
    if (!text.isValidUtf16())
        return 0;
    for (auto enc : {zx::textencoding::Utf8, zx::textencoding::Utf16}) {
        const QByteArray encoded = zx::encodetext(text, enc, true, false);
        if (zx::decodePlainText(encoded) != text)
            std::abort();
    }
    if (zx::encodetext(text, zx::textencoding::Ansi, false, false).size() != text.size())
        std::abort();
    return 0;
}
