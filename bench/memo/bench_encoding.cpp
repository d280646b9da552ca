// Encoding speed over a large text: detectencoding, encodetext in each
// encoding and the plain-text reading rule, in MB/s of text.
//
//   bench_memo_encoding MB [UTF8_OUT]   also writes the text as UTF-8 for iconv
#include "memo/utf8.h"

#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <malloc.h>

namespace {
volatile qsizetype sink;

double cpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// CPU time is the fair figure on a shared machine. The first run pays for
// touching fresh memory (page faults); the later ones reuse it, because the
// allocator is told to keep freed memory, and show the conversion itself.
template <typename F>
void measure(const char* what, double mb, F f)
{
    double cold = 0, warm = 1e9, wall = 1e9;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        const double c0 = cpuSeconds();
        f();
        const double c = cpuSeconds() - c0;
        if (i == 0)
            cold = c;
        else
            warm = std::min(warm, c);
        wall = std::min(wall, t.nsecsElapsed() / 1e9);
    }
    std::printf("ours  %-42s cpu cold %6.0f ms %5.0f MB/s  warm %6.0f ms %5.0f MB/s  (wall %6.0f ms)\n", what,
                cold * 1e3, mb / cold, warm * 1e3, mb / warm, wall * 1e3);
}
}  // namespace

int main(int argc, char** argv)
{
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    const double mb = argc > 1 ? std::atof(argv[1]) : 100;
    // Mostly ASCII prose with one international character in about 60: the
    // common case, which scans the whole text.
    const QString line = QStringLiteral("The quick brown fox jumps over the lazy dog, caf\u00E9 \u20AC 12.50\r\n");
    QString text;
    const qsizetype units = qsizetype(mb * 1024 * 1024);
    text.reserve(units + line.size());
    while (text.size() < units)
        text += line;
    text.truncate(units);
    // Sizes are given in MB of UTF-8 text, the size of the file on disk.
    const QByteArray utf8 = text.toUtf8();
    const double fileMb = utf8.size() / 1048576.0;
    std::printf("text: %lld UTF-16 units, %.1f MB as UTF-8\n", (long long)text.size(), fileMb);

    measure("detectencoding", fileMb, [&] { sink = qsizetype(zx::detectencoding(text)); });
    measure("encodetext Utf8 (with BOM)", fileMb,
            [&] { sink = zx::encodetext(text, zx::textencoding::Utf8, true, false).size(); });
    measure("encodetext Utf16 (with BOM)", fileMb,
            [&] { sink = zx::encodetext(text, zx::textencoding::Utf16, true, false).size(); });
    measure("encodetext Ansi", fileMb,
            [&] { sink = zx::encodetext(text, zx::textencoding::Ansi, false, false).size(); });
    measure("read UTF-8 file (validate + decode)", fileMb, [&] { sink = zx::decodePlainText(utf8).size(); });
    const QByteArray ansi = zx::encodetext(text, zx::textencoding::Ansi, false, false);
    measure("read Windows-1252 file (validate + decode)", fileMb, [&] { sink = zx::decodePlainText(ansi).size(); });

    if (argc > 2) {
        QFile f(QString::fromLocal8Bit(argv[2]));
        if (!f.open(QIODevice::WriteOnly) || f.write(utf8) != utf8.size())
            return 1;
    }
    return 0;
}
