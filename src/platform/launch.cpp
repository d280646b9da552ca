#include "platform/launch.h"

#include "platform/filenames.h"

#include <QFileInfo>
#include <QProcess>
#include <gio/gio.h>

namespace zx::platform {

bool openWithDefaultApplication(const QString& path, const QString& workdir, QString* error)
{
    QFileInfo fi(path);
    if (fi.isFile() && fi.isExecutable()) {
        if (QProcess::startDetached(path, {}, workdir))
            return true;
        if (error)
            *error = QStringLiteral("Cannot run %1").arg(path);
        return false;
    }
    const QByteArray local = encodeFileName(path);
    GFile* file = g_file_new_for_path(local.constData());
    gchar* uri = g_file_get_uri(file);
    GError* err = nullptr;
    const gboolean ok = g_app_info_launch_default_for_uri(uri, nullptr, &err);
    g_free(uri);
    g_object_unref(file);
    if (!ok) {
        if (error)
            *error = QStringLiteral("There is no application associated with %1 (%2)")
                         .arg(QFileInfo(path).fileName(), err ? QString::fromUtf8(err->message) : QString());
        if (err)
            g_error_free(err);
        return false;
    }
    return true;
}

}  // namespace zx::platform
