// RTF speed: makes a large document from a word processor's RTF (its body
// repeated), then reads it into a QTextDocument and writes it back.
//
//   bench_memo_rtf --make FILE [MB]   write the test document
//   bench_memo_rtf FILE               read and write it, print the times
#include "memo/rtf.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTextDocument>
#include <cstdio>
#include <cstring>
#include <ctime>

static double cpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

static int make(const char* path, double mb)
{
    QFile src(QStringLiteral(ZX_FIXTURES_DIR "/rtf/features.rtf"));
    if (!src.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(src.fileName()));
        return 1;
    }
    const QByteArray doc = src.readAll();
    const qsizetype bodyStart = doc.indexOf("\\pard\\plain");
    const qsizetype end = doc.lastIndexOf('}');
    if (bodyStart < 0 || end < bodyStart)
        return 1;
    const QByteArray head = doc.left(end);
    const QByteArray body = doc.mid(bodyStart, end - bodyStart);
    QByteArray out = head;
    const qsizetype target = qsizetype(mb * 1024 * 1024);
    while (out.size() + body.size() < target)
        out += body;
    out += "}\n";
    QFile f(QString::fromLocal8Bit(path));
    if (!f.open(QIODevice::WriteOnly) || f.write(out) != out.size())
        return 1;
    return 0;
}

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--make") == 0)
        return make(argv[2], argc > 3 ? std::atof(argv[3]) : 10.0);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s --make FILE [MB] | FILE\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QFile f(QString::fromLocal8Bit(argv[1]));
    if (!f.open(QIODevice::ReadOnly))
        return 1;
    QElapsedTimer t;
    t.start();
    double c0 = cpuSeconds();
    const QByteArray bytes = f.readAll();
    QTextDocument doc;
    if (!zx::readRtf(bytes, &doc))
        return 1;
    const qint64 readMs = t.elapsed();
    const double readCpu = cpuSeconds() - c0;
    t.restart();
    c0 = cpuSeconds();
    const QByteArray out = zx::writeRtf(doc);
    const qint64 writeMs = t.elapsed();
    const double writeCpu = cpuSeconds() - c0;
    const double mb = bytes.size() / 1048576.0;
    std::printf("ours  read  %.2f MB RTF into a QTextDocument: wall %6lld ms  cpu %6.0f ms  (%d paragraphs, %lld "
                "characters)\n",
                mb, (long long)readMs, readCpu * 1e3, doc.blockCount(), (long long)doc.characterCount());
    std::printf("ours  write it back as %.2f MB RTF:           wall %6lld ms  cpu %6.0f ms\n",
                out.size() / 1048576.0, (long long)writeMs, writeCpu * 1e3);
    std::printf("ours  read + write:                            wall %6lld ms  cpu %6.0f ms\n",
                (long long)(readMs + writeMs), (readCpu + writeCpu) * 1e3);
    return 0;
}
