#include "app/wiring.h"

#include "app/userinterface.h"
#include "encrypt/encryptcommands.h"
#include "mainform/mainwindow.h"
#include "mainform/settings.h"
#include "mainform/panelview.h"
#include "platform/launch.h"
#include "platform/paths.h"
#include "search/findform.h"
#include "search/findhost.h"
#include "shell/places.h"
#include "tree/directorytree.h"
#include "tree/treeform.h"
#include "tree/treehost.h"

#include <QFileInfo>
#include <QSet>

namespace zx {

namespace {

// The main window as the tree window and the find window see it.
class PanelsHost : public TreeHost, public FindHost {
public:
    explicit PanelsHost(MainWindow& w) : w_(w) {}

    QString activePanelDir() const override { return w_.model(w_.activepanel()).st.dir; }
    void openDirectory(const QString& path, bool inOtherPanel) override
    {
        w_.opendrive(w_.driveLetterOf(path), path, inOtherPanel ? 0 : w_.activepanel());
        w_.updatedrivespaceindicators();
        w_.focusactivepanel();
    }
    void focusActivePanel() override { w_.focusactivepanel(); }
    QList<ListedDirectory> listedDirectories() const override
    {
        QList<ListedDirectory> out;
        for (int p = 1; p <= 3; ++p) {
            const PanelModel& m = w_.model(p);
            if (m.st.dir.isEmpty())
                continue;
            ListedDirectory d;
            d.dir = m.st.dir;
            for (const Entry& e : m.entries)
                if (e.isdir && !e.isNavigational())
                    d.subdirs << e.real;
            out << d;
        }
        return out;
    }
    void setStatusText(const QString& text) override { w_.setStatusText(text); }
    void showHelp(int) override {}

    void openFile(const QString& path) override
    {
        QString error;
        const QString dir = path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
        if (!platform::openWithDefaultApplication(path, dir, &error))
            w_.amsg(error);
    }
    void locate(const QString& dir, const QString& name) override
    {
        w_.opendrive(w_.driveLetterOf(dir), dir, 0, name);
        w_.focusactivepanel();
    }

private:
    MainWindow& w_;
};

}  // namespace

struct ProgramCommands::Parts {
    MainWindow& w;
    Settings& settings;
    UserInterface& ui;
    encrypt::EncryptionCommands encryption;
    PanelsHost host;
    DirectoryTree tree;
    QString treeFile;
    TTreeForm* treeForm = nullptr;
    FindOptions findOptions;
    std::unique_ptr<FindFilesLauncher> finder;

    Parts(MainWindow& win, Settings& s, UserInterface& u)
        : w(win), settings(s), ui(u), encryption(u, &win), host(win),
          treeFile(platform::makefullname(platform::dataDir(), QStringLiteral("zxtree.dat")))
    {
    }

    TreeOptions treeOptions() const
    {
        TreeOptions o;
        o.treeSize = settings.treeSize;
        o.jumpOnMatch = settings.jumpOnMatch;
        o.treeLeft = settings.treeLeft;
        o.treeTop = settings.treeTop;
        o.scanDrives = settings.scanDrives;
        o.hints = settings.hints;
        o.shownThisRun = settings.treeShownThisRun;
        return o;
    }
    void takeTreeOptions()
    {
        const TreeOptions& o = treeForm->options();
        settings.treeSize = o.treeSize;
        settings.jumpOnMatch = o.jumpOnMatch;
        settings.treeLeft = o.treeLeft;
        settings.treeTop = o.treeTop;
        settings.scanDrives = o.scanDrives;
        settings.treeShownThisRun = o.shownThisRun;
    }
    void showTree(bool inOtherPanel)
    {
        treeForm->setOptions(treeOptions());
        treeForm->showdirectorytree(inOtherPanel);
        takeTreeOptions();
        w.updatedrivespaceindicators();
        w.focusactivepanel();
    }

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

    // The directory tree: loaded at start, written back at the end when it changed.
    d->treeForm = new TTreeForm(d->tree, d->host, ui, d->treeFile, &w);
    d->treeForm->setVolumeProvider([&w] { return w.volumes(); });
    d->treeForm->setOptions(d->treeOptions());
    d->treeForm->load_dat_file();
    w.registerCommand(QStringLiteral("tree"), [this] { d->showTree(false); });
    w.registerCommand(QStringLiteral("treenextfree"), [this] { d->showTree(true); });

    // Find files: f from the active panel's directory, Ctrl+F from its drive's root.
    d->findOptions.ffleft = settings.ffleft;
    d->findOptions.fftop = settings.fftop;
    d->findOptions.ffwidth = settings.ffwidth;
    d->findOptions.ffheight = settings.ffheight;
    d->findOptions.caseSensitive = settings.ffCaseSensitive;
    d->findOptions.recursive = settings.ffRecursive;
    d->findOptions.singleClick = settings.singleClick;
    d->finder = std::make_unique<FindFilesLauncher>(d->host, ui, d->findOptions, &w);
    w.registerCommand(QStringLiteral("find"), [this, &w] {
        const QString dir = w.model(w.activepanel()).st.dir;
        if (!dir.isEmpty())
            d->finder->onKeyF(dir);
    });
    w.registerCommand(QStringLiteral("findroot"), [this, &w] {
        const QString dir = w.model(w.activepanel()).st.dir;
        if (!dir.isEmpty())
            d->finder->onCtrlF(w.driveRoot(w.driveLetterOf(dir)));
    });

    w.addSettingsSaver([this] { saveSettings(); });
}

ProgramCommands::~ProgramCommands() = default;

void ProgramCommands::saveSettings()
{
    d->settings.forgetPassword = d->encryption.forgetPassword();
    d->settings.forgetMinutes = int(d->encryption.forgetMinutes());
    d->settings.lastUserName = d->encryption.lastUserName();
    d->takeTreeOptions();
    d->tree.writeBackIfDirty(d->treeFile);
    d->settings.ffleft = d->findOptions.ffleft;
    d->settings.fftop = d->findOptions.fftop;
    d->settings.ffwidth = d->findOptions.ffwidth;
    d->settings.ffheight = d->findOptions.ffheight;
    d->settings.ffCaseSensitive = d->findOptions.caseSensitive;
    d->settings.ffRecursive = d->findOptions.recursive;
}

DirectoryTree& ProgramCommands::tree()
{
    return d->tree;
}

}  // namespace zx
