#pragma once
// File-system facts and durability calls used by code that rewrites or
// overwrites files in place (encryption, wiping).
#include <QString>

class QFileDevice;

namespace zx::platform {

// Forces the data of an open file to the disk (fsync). False on failure.
bool syncFile(QFileDevice& file);

// Makes a rename or creation inside dir durable (fsync of the directory).
bool syncDirectory(const QString& dir);

// The allocation unit (fundamental block size) of the file system holding
// path; 4096 when it cannot be found or is not positive.
int allocationUnitSize(const QString& path);

// Number of hard links of the file at path (not following a final link);
// -1 when it cannot be read.
int linkCount(const QString& path);

}  // namespace zx::platform
