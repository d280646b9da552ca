#pragma once
#include <QString>

namespace zx::platform {

// Opens a file with the desktop's default application for its content type;
// an executable file (x bit, not a script viewer case) is run directly.
// On failure returns false with a sentence for the user in *error.
bool openWithDefaultApplication(const QString& path, const QString& workdir, QString* error);

}  // namespace zx::platform
