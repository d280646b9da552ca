// The file search beside find and grep.
// Usage: bench_search names DIR PATTERN [RUNS]   (beside find DIR -iname PATTERN)
//        bench_search text DIR TEXT [RUNS]       (beside grep -rli TEXT DIR)
// Our figures: the search itself on this thread (normal priority), and the
// whole worker (idle priority, one synchronous report per hit to this thread).
#include "search/filesearch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <cstdio>
#include <functional>

namespace {

double bestOf(int runs, const std::function<void()>& f)
{
    double best = 1e100;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

int toolHits(const QString& program, const QStringList& args, double* ms, int runs)
{
    int lines = 0;
    *ms = bestOf(runs, [&] {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(-1);
        lines = p.readAllStandardOutput().count('\n');
    });
    return lines;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_search names|text DIR PATTERN|TEXT [RUNS]\n");
        return 2;
    }
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString dir = QString::fromLocal8Bit(argv[2]);
    const QString what = QString::fromLocal8Bit(argv[3]);
    const int runs = argc > 4 ? std::atoi(argv[4]) : 3;

    zx::tfilesearchsettings s;
    s.startDir = dir;
    s.subfolders = true;
    double toolMs = 0;
    int toolCount = 0;
    const char* toolName;
    if (mode == "names") {
        s.pattern = what;
        toolName = "find -iname";
        toolCount = toolHits("find", {dir, "-iname", what}, &toolMs, runs);
    } else {
        s.text = what;
        s.pattern = "*.*";
        toolName = "grep -rli";
        toolCount = toolHits("grep", {"-rli", what, dir}, &toolMs, runs);
    }

    int hits = 0;
    const double directMs = bestOf(runs, [&] {
        hits = 0;
        zx::FileSearch fs(s, [&](const zx::tupdateinfo& r) { hits += r.isHit(); });
        fs.setStatusInterval(40);
        fs.run();
    });

    int workerHits = 0;
    const double workerMs = bestOf(runs, [&] {
        workerHits = 0;
        QEventLoop loop;
        auto* w = new zx::tfsearch(s);
        QObject receiver;
        QObject::connect(w, &zx::tfsearch::report, &receiver,
                         [&](const zx::tupdateinfo& r) { workerHits += r.isHit(); }, Qt::BlockingQueuedConnection);
        QObject::connect(w, &zx::tfsearch::searchEnded, &loop, &QEventLoop::quit, Qt::QueuedConnection);
        w->start();
        loop.exec();
    });

    std::printf("%-28s %9.1f ms   %d hits\n", toolName, toolMs, toolCount);
    std::printf("%-28s %9.1f ms   %d hits   (%.2f x)\n", "search (this thread)", directMs, hits, directMs / toolMs);
    std::printf("%-28s %9.1f ms   %d hits   (%.2f x)\n", "search worker (idle prio)", workerMs, workerHits,
                workerMs / toolMs);
    return (hits == toolCount && workerHits == toolCount) ? 0 : 1;
}
