// Listing speed: reading a directory of 100,000 files and 1,000
// subdirectories into a panel in name order, beside `ls -lU` of the same
// directory; the memory the entries take; the time from the end of the
// listing to the first paint; re-listing in place after one change; sorting
// 100,000 entries by each key.
#include "mainform/listing.h"
#include "mainform/mainwindow.h"
#include "mainform/panelview.h"
#include "mainform/sorting.h"
#include "app/userinterface.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>
#include <vector>

namespace {

double medianOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeMs(const std::function<void()>& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

struct NullUi : zx::UserInterface {
    void message(const QString&, zx::MsgKind, const QString&) override {}
    bool confirm(const QString&, const QString&, const QString&) override { return true; }
    int ask(zx::Question& q) override { return q.cancelButton; }
};

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/zx-bench-listing");
    const int files = argc > 2 ? atoi(argv[2]) : 100000;
    const int runs = 6;

    if (!QDir(dir).exists()) {
        QDir().mkpath(dir);
        const QByteArray base = QFile::encodeName(dir);
        for (int i = 0; i < 1000; ++i)
            QDir().mkpath(dir + QStringLiteral("/dir%1").arg(i, 4, 10, QLatin1Char('0')));
        for (int i = 0; i < files; ++i) {
            const QByteArray p = base + "/File_" + QByteArray::number((i * 7919) % files) + ".txt";
            const int fd = ::open(p.constData(), O_CREAT | O_WRONLY, 0644);
            if (fd >= 0)
                ::close(fd);
        }
    }

    // Warm the cache once.
    zx::listDirectory(dir, zx::ListOptions{});
    std::vector<double> ours, ls;
    for (int r = 0; r < runs; ++r) {
        ours.push_back(timeMs([&] { zx::listDirectory(dir, zx::ListOptions{}); }));
        ls.push_back(timeMs([&] {
            QProcess p;
            p.setStandardOutputFile(QStringLiteral("/dev/null"));
            p.start(QStringLiteral("ls"), {QStringLiteral("-lU"), dir});
            p.waitForFinished(-1);
        }));
    }
    std::printf("listing %d files + 1000 dirs, name order: zarvex %.1f ms   ls -lU %.1f ms (median of %d)\n", files,
                medianOf(ours), medianOf(ls), runs);

    // Memory of the entries.
    const size_t before = mallinfo2().uordblks;
    zx::Listing kept = zx::listDirectory(dir, zx::ListOptions{});
    const size_t after = mallinfo2().uordblks;
    std::printf("entries in memory: %.1f MB for %lld entries\n", double(after - before) / 1048576.0,
                (long long)kept.entries.size());

    // A window: end of listing to first paint, and re-listing in place.
    zx::Settings settings;
    NullUi ui;
    zx::MainWindowOptions opt;
    opt.startdir = dir;
    opt.portablemode = true;
    opt.syncListingMs = 10000;
    zx::MainWindow w(settings, ui, opt);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return 1;
    QTest::qWait(50);
    zx::PanelView* v = w.getlistbox(1);
    const double paint = timeMs([&] { v->viewport()->repaint(); });
    std::printf("first paint of a panel holding %d entries: %.2f ms\n", w.model(1).count(), paint);

    std::vector<double> relist, first;
    for (int r = 0; r < runs; ++r) {
        const QString changed = dir + QStringLiteral("/changed.txt");
        QFile f(changed);
        f.open(QIODevice::WriteOnly | QIODevice::Append);
        f.write("x");
        f.close();
        // Alternate the order so that neither gains from the other's cache.
        if (r % 2) {
            relist.push_back(timeMs([&] { w.updatedrive(1); }));
            first.push_back(timeMs([&] { w.fillb(2, dir, false); }));
        } else {
            first.push_back(timeMs([&] { w.fillb(2, dir, false); }));
            relist.push_back(timeMs([&] { w.updatedrive(1); }));
        }
    }
    std::printf("re-listing in place after one change: %.1f ms   first listing of the same directory: %.1f ms\n",
                medianOf(relist), medianOf(first));

    // Sorting by each key.
    const char* kinds[] = {"name", "size", "time", "extension"};
    for (int k = 0; k < 4; ++k) {
        std::vector<double> t;
        for (int r = 0; r < runs; ++r) {
            zx::PanelModel m;
            m.entries = zx::listDirectory(dir, zx::ListOptions{true, false, false}).entries;
            std::reverse(m.entries.begin(), m.entries.end());
            m.st.dircount = 0;
            m.st.sortkind = k == 0 ? 0 : k;
            t.push_back(timeMs([&] { zx::sortRange(m, m.count() - 1, 0, m.st.sortkind, false); }));
        }
        std::printf("sorting %d entries by %s: %.1f ms\n", files + 1001, kinds[k], medianOf(t));
    }
    QFile::remove(dir + QStringLiteral("/changed.txt"));
    return 0;
}
