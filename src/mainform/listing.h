#pragma once
// Reading a directory into panel entries: directories first, then files,
// each group in name order (or in the file system's order when the panel is
// sorted otherwise).

#include "mainform/entry.h"

#include <QVector>

namespace zx {

struct ListOptions {
    bool showHidden = true;         // "ShowHiddenFiles"
    bool showCase = false;          // "ShowCaseOfFilenames"
    bool nameOrder = true;          // sortkind 0
};

struct Listing {
    int error = 0;                  // errno of reading the directory; 0 when read
    QVector<Entry> entries;
    int dircount = 0;               // directory entries (".." included) at the head
};

Listing listDirectory(const QString& dir, const ListOptions& opt);

// Name-order comparison: ordinal on UTF-16 units; both sides upper-cased
// when names keep their case.
QString nameOrderKey(const QString& displayName, bool showCase);

// The type picture of a file by its name.
TypePicture typePictureFor(const QString& name);

// The display name of a name on disk.
QString displayName(const QString& real, bool showCase);

}  // namespace zx
