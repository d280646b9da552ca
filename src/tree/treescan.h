#pragma once
// The full scan that writes zxtree.dat (initializetree's file part).
//
// Each root (a volume's mount point, ending in "/") gets a level-0 line, then
// writedirs lists its subdirectories depth first, one line each, indented by
// depth. The scan stays on the root's file system (mount points below it are
// listed but not entered) and never follows symbolic links, so it cannot
// loop. Hidden directories are included. A directory that cannot be listed
// contributes no lines below its own; a name that the file cannot carry (see
// DirectoryTree::isStorableName) or that is not valid UTF-8 is left out with
// everything below it. Names keep their case.
//
// Thread-safe: the tree window runs it on a worker thread.

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

namespace zx {

struct TreeScanResult {
    bool ok = false;        // the file was written (and committed)
    bool cancelled = false;
    qint64 directories = 0; // directory lines written below the roots
    QString error;
};

// Called with the directory count whenever it reaches a multiple of 10.
using TreeScanProgress = std::function<void(qint64 count)>;

// Writes the roots and their directory trees into datPath (atomically: the
// old file stays until the new one is complete). cancel, when given and set,
// stops the scan and keeps the old file.
TreeScanResult writeTreeFile(const QString& datPath, const QStringList& roots,
                             const TreeScanProgress& progress = {},
                             const std::atomic<bool>* cancel = nullptr);

// The same scan into memory (tests and benchmarks).
QByteArray scanTreeBytes(const QStringList& roots, qint64* directories = nullptr);

}  // namespace zx
