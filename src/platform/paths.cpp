#include "platform/paths.h"

#include <QDir>
#include <QStandardPaths>
#include <sys/stat.h>
#include <unistd.h>

namespace zx::platform {

QString dataDir()
{
    QString d = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (d.isEmpty())
        d = QDir::homePath() + QStringLiteral("/.local/share/HathelSoftware/Zarvex");
    QDir().mkpath(d);
    return d;
}

QString privateTempDir()
{
    static QString dir;
    if (!dir.isEmpty() && QDir(dir).exists())
        return dir;
    QByteArray tmpl = QDir::tempPath().toLocal8Bit() + "/zarvex-" + QByteArray::number(getuid()) + "-XXXXXX";
    if (char* made = mkdtemp(tmpl.data())) {
        chmod(made, 0700);
        dir = QString::fromLocal8Bit(made);
    }
    return dir;
}

QString makefullname(const QString& dir, const QString& name)
{
    if (dir.isEmpty())
        return name;
    if (dir.endsWith(QLatin1Char('/')))
        return dir + name;
    return dir + QLatin1Char('/') + name;
}

}  // namespace zx::platform
