#pragma once
// The applications the desktop offers for a file's content type.

#include <QList>
#include <QString>
#include <QStringList>

namespace zx::platform {

struct AppChoice {
    QString id;        // desktop file id, e.g. "org.gnome.gedit.desktop"
    QString name;      // display name
    bool isDefault = false;
};

// Applications for the content type of path (the default one first).
QList<AppChoice> applicationsFor(const QString& path);
// Starts an application with files; false with a sentence for the user on failure.
bool launchApplication(const QString& appId, const QStringList& paths, QString* error);

}  // namespace zx::platform
