#include "app/wiring.h"

#include "app/userinterface.h"
#include "encrypt/encryptcommands.h"
#include "mainform/mainwindow.h"
#include "mainform/settings.h"
#include "shell/places.h"

#include <QFileInfo>
#include <QSet>

namespace zx {

struct ProgramCommands::Parts {
    MainWindow& w;
    Settings& settings;
    UserInterface& ui;
    encrypt::EncryptionCommands encryption;

    Parts(MainWindow& win, Settings& s, UserInterface& u) : w(win), settings(s), ui(u), encryption(u, &win) {}

    // Re-lists every panel that shows one of the directories the paths lie in
    // (or the paths themselves, for directories).
    void relistPanelsOf(const QStringList& paths)
    {
        QSet<QString> dirs;
        for (const QString& p : paths) {
            dirs.insert(QFileInfo(p).absolutePath());
            dirs.insert(p);
        }
        for (int panel = 1; panel <= 3; ++panel) {
            QString d = w.model(panel).st.dir;
            if (d.size() > 1 && d.endsWith(QLatin1Char('/')))
                d.chop(1);
            if (!d.isEmpty() && (dirs.contains(d) || dirs.contains(d + QLatin1Char('/'))))
                w.updatedrive(panel);
        }
    }
};

ProgramCommands::ProgramCommands(MainWindow& w, Settings& settings, UserInterface& ui)
    : d(std::make_unique<Parts>(w, settings, ui))
{
    registerPlaceCommands(w);

    // File encryption, from the right-click menu.
    auto& enc = d->encryption;
    enc.setUseLoginDialog(ui.parentWindow() != nullptr);
    enc.setForgetPassword(settings.forgetPassword, settings.forgetMinutes);
    enc.setLastUserName(settings.lastUserName);
    QObject::connect(&enc, &encrypt::EncryptionCommands::lastUserNameChanged, &w,
                     [&settings](const QString& n) { settings.lastUserName = n; });
    QObject::connect(&enc, &encrypt::EncryptionCommands::commandFinished, &w,
                     [this](const QStringList& paths) { d->relistPanelsOf(paths); });
    auto selection = [&w] { return w.selectedPaths(w.activepanel()); };
    w.registerCommand(QStringLiteral("encrypt"), [&enc, selection] { enc.encrypt(selection(), false); });
    w.registerCommand(QStringLiteral("encryptnames"), [&enc, selection] { enc.encrypt(selection(), true); });
    w.registerCommand(QStringLiteral("decrypt"), [&enc, selection] { enc.decrypt(selection()); });
    w.registerCommand(QStringLiteral("changepassword"), [&enc] { enc.changePassword(); });
    w.registerCommand(QStringLiteral("logout"), [&enc] { enc.logout(); });
    w.addCloseCheck([&enc] { return !enc.isBusy(); });
    w.addSettingsSaver([this] { saveSettings(); });
}

ProgramCommands::~ProgramCommands() = default;

void ProgramCommands::saveSettings()
{
    d->settings.forgetPassword = d->encryption.forgetPassword();
    d->settings.forgetMinutes = int(d->encryption.forgetMinutes());
    d->settings.lastUserName = d->encryption.lastUserName();
}

}  // namespace zx
