#pragma once
#include <QString>

namespace zx::platform {

// The per-user data directory (ZXsettings.ini, zxtree.dat, ZXtemp.sh,
// personal word list). Created on first use.
QString dataDir();

// A private directory (mode 0700) under the system temporary directory for
// files extracted for viewing; created on first use.
QString privateTempDir();

// Joins a directory and a name with exactly one "/" between them.
QString makefullname(const QString& dir, const QString& name);

}  // namespace zx::platform
