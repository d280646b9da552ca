#pragma once
#include <QString>

namespace zx::platform {

// Moves path into the freedesktop Trash. On failure returns false and sets
// *error to a sentence for the user (for example when the volume has no
// usable trash).
bool moveToTrash(const QString& path, QString* error = nullptr);

// The files/ folder of the user's home trash.
QString trashFilesDir();

}  // namespace zx::platform
