#include "shell/places.h"

#include "mainform/mainwindow.h"
#include "platform/launch.h"
#include "platform/trash.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QStandardPaths>

namespace zx {

QString specialFolder(const QString& which)
{
    using SP = QStandardPaths;
    auto first = [](std::initializer_list<QString> candidates) {
        for (const QString& c : candidates)
            if (!c.isEmpty() && QDir(c).exists())
                return c;
        return QString();
    };
    const QString home = QDir::homePath();
    if (which == QLatin1String("documents"))
        return first({SP::writableLocation(SP::DocumentsLocation)});
    if (which == QLatin1String("pictures"))
        return first({SP::writableLocation(SP::PicturesLocation)});
    if (which == QLatin1String("desktop"))
        return first({SP::writableLocation(SP::DesktopLocation)});
    if (which == QLatin1String("favorites"))
        return first({home});
    if (which == QLatin1String("programs"))
        return first({QStringLiteral("/usr/bin")});
    if (which == QLatin1String("appdata"))
        return first({SP::writableLocation(SP::GenericConfigLocation)});
    if (which == QLatin1String("localappdata"))
        return first({SP::writableLocation(SP::GenericDataLocation)});
    if (which == QLatin1String("system"))
        return first({QStringLiteral("/usr/lib")});
    if (which == QLatin1String("cache"))
        return first({SP::writableLocation(SP::GenericCacheLocation)});
    if (which == QLatin1String("fonts"))
        return first({SP::writableLocation(SP::FontsLocation), home + QStringLiteral("/.fonts"),
                      QStringLiteral("/usr/share/fonts")});
    if (which == QLatin1String("temp"))
        return first({QDir::tempPath()});
    if (which == QLatin1String("sendto"))
        return first({SP::writableLocation(SP::ApplicationsLocation)});
    return QString();
}

void registerPlaceCommands(MainWindow& w)
{
    for (const char* which : {"documents", "pictures", "desktop", "favorites", "programs", "appdata", "localappdata",
                              "system", "cache", "fonts", "temp", "sendto"}) {
        const QString id = QString::fromLatin1(which);
        w.registerCommand(QStringLiteral("goto:") + id, [&w, id] {
            const QString dir = specialFolder(id);
            if (!dir.isEmpty() && w.nameisadirectory(dir))
                w.opendrive(w.driveLetterOf(dir), dir, 0);
        });
    }
    w.registerCommand(QStringLiteral("recyclebin"), [&w] {
        const QString trash = platform::trashFilesDir();
        QDir().mkpath(trash);
        if (w.nameisadirectory(trash))
            w.opendrive(w.driveLetterOf(trash), trash, 0);
    });
    w.registerCommand(QStringLiteral("copypath"), [&w] {
        const PanelModel& m = w.model(w.activepanel());
        if (!m.currentEntry())
            return;
        QGuiApplication::clipboard()->setText(w.currentfile());
    });
    w.registerCommand(QStringLiteral("explorer"), [&w] {
        const QString dir = w.model(w.activepanel()).st.dir;
        if (dir.isEmpty())
            return;
        QString error;
        if (!platform::openWithDefaultApplication(dir, dir, &error))
            w.amsg(error);
    });
}

}  // namespace zx
