#pragma once
// Removing files and directory trees, and sending them to the trash.

#include "app/userinterface.h"
#include "fileops/progress.h"

#include <QStringList>

namespace zx {

struct DeleteFailure {
    QString path;
    int error = 0;   // errno
};

// Removes path and, for a directory, everything in it (links are removed,
// never followed). Continues past entries that cannot be removed and lists
// them in *failures. Stops early when progress is cancelled. Returns true
// when path is gone.
bool removeTree(const QString& path, ProgressState* progress = nullptr,
                QList<DeleteFailure>* failures = nullptr);

// True for a directory (not a link to one) that holds at least one entry.
bool isNonEmptyDir(const QString& path);

// Removes every path (trees included) on a worker thread while the calling
// thread keeps processing events; the progress window shows the names.
// Returns the failures.
QList<DeleteFailure> runDeletion(UserInterface& ui, const QStringList& paths, ProgressView* view = nullptr);

}  // namespace zx
