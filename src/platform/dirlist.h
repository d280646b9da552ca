#pragma once
// Reading one directory with the facts a panel shows.

#include <QString>
#include <vector>

namespace zx::platform {

// Attribute bits, as the panels know them.
enum : quint32 {
    AttrReadOnly = 0x01,   // the owner may not write
    AttrHidden = 0x02,     // the name starts with "."
    AttrSystem = 0x04,     // not a regular file, directory or link to one
    AttrDirectory = 0x10,
    AttrArchive = 0x20,    // never set here
};

struct RawEntry {
    QString name;          // decoded with surrogate escape (platform/filenames.h)
    qint64 size = 0;
    qint64 mtimeMs = 0;    // last modification, ms since 1970 UTC
    quint32 attr = 0;
    bool isdir = false;    // a directory or a link to one
    bool isLink = false;
};

// Reads every entry of dir in the order the file system returns them,
// "." and ".." included (except ".." of "/"). Entries that vanish while
// being read are left out. Returns 0 or the errno of opening the directory.
int readDirectory(const QString& dir, std::vector<RawEntry>& out);

// stat() facts of one path; false when it does not exist.
bool statPath(const QString& path, RawEntry* out);
bool isDirectory(const QString& path);

}  // namespace zx::platform
