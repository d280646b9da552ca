// Zarvex: a three-panel keyboard-driven file manager.
#include "app/qtuserinterface.h"
#include "mainform/mainwindow.h"
#include "mainform/settings.h"
#include "platform/paths.h"
#include "platform/volumes.h"
#include "app/wiring.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("HathelSoftware"));
    QCoreApplication::setApplicationName(QStringLiteral("Zarvex"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Zarvex File Manager"));
    zx::platform::dataDir();

    zx::MainWindowOptions opt;
    opt.startdir = QDir::currentPath();
    const QStringList args = app.arguments();
    opt.startMinimized = args.size() > 1 && args.at(1).toUpper() == QLatin1String("-MIN");
    // Run from a removable volume: settings are read but never written.
    const auto vols = zx::platform::readVolumes();
    if (const auto* v = zx::platform::volumeOfPath(vols, QCoreApplication::applicationDirPath()))
        opt.portablemode = v->type == zx::platform::DriveType::Removable;

    zx::Settings settings;
    settings.winPropertiesDlg = true;
    {
        std::unique_ptr<QSettings> store(zx::openUserSettings());
        settings.read(*store);
    }
    zx::QtUserInterface ui;
    zx::MainWindow w(settings, ui, opt);
    ui.setParentWindow(&w);
    ui.afterDialog = [&w] { w.focusactivepanel(); };
    zx::ProgramCommands commands(w, settings, ui);
    w.show();
    return app.exec();
}
