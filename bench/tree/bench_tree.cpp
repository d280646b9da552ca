// Scanning a directory tree into zxtree.dat beside `find DIR -xdev -type d`,
// loading that file, and path look-ups. Usage: bench_tree DIR [RUNS]
#include "tree/directorytree.h"
#include "tree/treescan.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
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

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_tree DIR [RUNS]\n");
        return 2;
    }
    QString dir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    if (!dir.endsWith('/'))
        dir += '/';
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    QTemporaryDir out;
    const QString dat = out.filePath("zxtree.dat");

    // Warm the cache once for both.
    zx::writeTreeFile(dat, {dir});

    const double findMs = bestOf(runs, [&] {
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start("find", {dir, "-xdev", "-type", "d"});
        p.waitForFinished(-1);
    });
    zx::TreeScanResult r;
    const double scanMs = bestOf(runs, [&] { r = zx::writeTreeFile(dat, {dir}); });
    if (!r.ok) {
        std::fprintf(stderr, "scan failed: %s\n", qPrintable(r.error));
        return 1;
    }

    zx::DirectoryTree tree;
    const double loadMs = bestOf(runs, [&] { tree.load_dat_file(dat); });

    // 10,000 look-ups of directories picked at random (the same for every run).
    std::vector<QString> paths;
    {
        std::vector<zx::DirectoryTree::NodeId> all;
        std::function<void(zx::DirectoryTree::NodeId)> walk = [&](zx::DirectoryTree::NodeId n) {
            all.push_back(n);
            for (auto c : tree.children(n))
                walk(c);
        };
        for (auto n : tree.topLevel())
            walk(n);
        QRandomGenerator rng(42);
        for (int i = 0; i < 10000; ++i)
            paths.push_back(tree.tvexpandname(all[rng.bounded(int(all.size()))]));
    }
    int found = 0;
    const double lookMs = bestOf(runs, [&] {
        found = 0;
        for (const QString& p : paths)
            found += tree.findintree(p) != zx::DirectoryTree::kNone;
    });
    const double searchMs = bestOf(runs, [&] { (void)tree.search(QStringLiteral("D1"), 1001); });

    std::printf("directories:                  %lld\n", (long long)r.directories);
    std::printf("find -xdev -type d:           %8.1f ms\n", findMs);
    std::printf("scan into zxtree.dat:         %8.1f ms   (%.2f x find)\n", scanMs, scanMs / findMs);
    std::printf("load zxtree.dat (with sort):  %8.1f ms\n", loadMs);
    std::printf("10,000 findintree look-ups:   %8.1f ms   (%d found)\n", lookMs, found);
    std::printf("one incremental search:       %8.2f ms\n", searchMs);
    return found == 10000 ? 0 : 1;
}
