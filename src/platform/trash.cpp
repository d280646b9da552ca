#include "platform/trash.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>

namespace zx::platform {

QString trashFilesDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Trash/files");
}

bool moveToTrash(const QString& path, QString* error)
{
    QFileInfo fi(path);
    if (!fi.exists() && !fi.isSymLink()) {
        if (error)
            *error = QStringLiteral("%1 does not exist.").arg(path);
        return false;
    }
    QFile f(path);
    if (f.moveToTrash())
        return true;
    if (error) {
        *error = QStringLiteral("%1 cannot be moved to the trash: this volume has no usable trash (%2).")
                     .arg(path, f.errorString());
    }
    return false;
}

}  // namespace zx::platform
