// Reads arbitrary bytes as RTF, writes the document back and reads that
// again: nothing may crash, hang or leak, and our own output must read back
// to the same text.
#include "memo/rtf.h"

#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>
#include <cstdlib>
#include <cstdio>

static QString rawText(const QTextDocument& doc)
{
    QString out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        out += b.text();
        out += u'\n';
    }
    return out;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication* app = new QGuiApplication(*argc, *argv);
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Give every input the RTF header half the time, so the reader's body
    // gets the attention.
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (size > 0 && (data[0] & 1))
        bytes.prepend("{\\rtf1 ");
    QTextDocument doc;
    if (!zx::readRtf(bytes, &doc))
        return 0;
    const QByteArray ours = zx::writeRtf(doc);
    QTextDocument back;
    if (!zx::readRtf(ours, &back))
        std::abort();
    if (rawText(doc) != rawText(back)) {
        std::fprintf(stderr, "round trip changed the text\n%s\n", ours.constData());
        std::abort();
    }
    return 0;
}
