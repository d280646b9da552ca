#include "app/wiring.h"

#include "app/userinterface.h"
#include "encrypt/encryptcommands.h"
#include "fileops/copyprogress.h"
#include "fileops/deletebox.h"
#include "fileops/fileops.h"
#include "fileops/fileopsdialogs.h"
#include "fileops/fileopshost.h"
#include "fileops/renamebox.h"
#include "mainform/listing.h"
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

// The main window as the tree window, the find window and the file
// operations see it.
class PanelsHost : public TreeHost, public FindHost, public FileOpsHost {
public:
    PanelsHost(MainWindow& w, DirectoryTree& tree) : w_(w), tree_(tree) {}
    TCopyProgressForm* progress = nullptr;

    // ---- file operations: panels
    int activePanel() const override { return w_.activepanel(); }
    QString panelDir(int panel) const override { return w_.model(panel).st.dir; }
    QList<PanelEntry> entries(int panel) const override
    {
        QList<PanelEntry> out;
        const PanelModel& m = w_.model(panel);
        out.reserve(m.count());
        for (const Entry& e : m.entries) {
            PanelEntry pe;
            pe.name = e.real.isEmpty() ? e.name : e.real;   // the name on disk
            pe.isdir = e.isdir;
            pe.tagged = e.tagged;
            pe.attr = e.attr;
            pe.size = e.size;
            pe.lastwrite = e.lastwrite;
            out << pe;
        }
        return out;
    }
    int currentIndex(int panel) const override { return w_.model(panel).current; }
    void setCurrentIndex(int panel, int index) override
    {
        w_.model(panel).current = index;
        w_.getlistbox(panel)->refreshView();
    }
    void setTagged(int panel, int index, bool tagged) override
    {
        PanelModel& m = w_.model(panel);
        if (m.valid(index) && !m.backdir(index)) {
            m.entries[index].tagged = tagged;
            w_.getlistbox(panel)->refreshView();
            w_.drawdirinfolabel(panel);
        }
    }
    void removelistentry(int panel, int index) override { w_.removelistentry(panel, index); }
    void setEntryName(int panel, int index, const QString& name) override { w_.setEntryName(panel, index, name); }
    void insertEntry(int panel, int index, const PanelEntry& pe) override
    {
        Entry e;
        e.real = pe.name;
        e.isdir = pe.isdir;
        e.attr = pe.attr;
        e.size = pe.size;
        e.lastwrite = pe.lastwrite;
        e.typebitmap = pe.isdir ? TypePicture::Dir : typePictureFor(pe.name);
        w_.insertEntry(panel, index, e);
    }
    int topIndex(int panel) const override { return w_.model(panel).top; }
    void setTopIndex(int panel, int index) override
    {
        w_.model(panel).setTop(index);
        w_.getlistbox(panel)->refreshView();
    }
    int visibleRows(int panel) const override { return w_.model(panel).visiblerows; }
    void updatedrive(int panel) override { w_.updatedrive(panel); }
    void fillb(int panel, const QString& dir) override { w_.fillb(panel, dir, false); }
    void disableupdating(int panel) override { w_.disableupdating(panel); }
    void enableupdating(int panel) override { w_.enableupdating(panel); }
    int opendriveInNextFree(QChar letter) override
    {
        if (!platform::volumeOfLetter(w_.volumes(), letter))
            return 0;
        const int p = w_.nextfreePanel();
        w_.opendrive(letter, QString(), p);
        return w_.model(p).st.dir.isEmpty() ? 0 : p;
    }
    void setactive(int panel, int index) override
    {
        if (panel != w_.activepanel())
            w_.setactive(w_.activepanel(), panel);
        PanelModel& m = w_.model(panel);
        if (m.valid(index))
            m.current = index;
        w_.getlistbox(panel)->refreshView();
        w_.drawhighlightbar(panel);
    }
    QString startDir() const override { return w_.startdir(); }
    QList<platform::Volume> volumes() const override { return w_.volumes(); }
    void drawhighlightbar(int panel) override { w_.drawhighlightbar(panel); }
    void updatedrivespaceindicators() override { w_.updatedrivespaceindicators(); }
    void focusactivepanel() override { w_.focusactivepanel(); }
    bool recycleSetting() const override { return w_.settings().recycle; }
    bool quickEmptyDirDel() const override { return w_.settings().quickEmptyDirDel; }
    bool showCaseOfFilenames() const override { return w_.settings().showCaseOfFilenames; }
    void adddir(const QString& parentPath, const QString& name) override { tree_.adddir(parentPath, name); }
    void removedir(const QString& path) override { tree_.removedir(path); }
    void changename(const QString& oldPath, const QString& newName) override { tree_.changename(oldPath, newName); }
    bool findintree(const QString& path) override { return tree_.findintree(path) != DirectoryTree::kNone; }
    ProgressView* progressView() override { return progress; }
    QWidget* renameBoxParent() override { return w_.getlistbox(w_.activepanel())->viewport(); }
    QRect rowRect(int panel, int index) const override { return w_.getlistbox(panel)->rowRect(index); }
    int nameOffset(int panel) const override
    {
        const RowGeometry& g = w_.getlistbox(panel)->rowGeometry();
        return g.textOffset + (w_.settings().drawIcons ? 6 : 0);
    }
    QFont panelFont() const override { return w_.getlistbox(1)->font(); }

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
    DirectoryTree& tree_;
};

}  // namespace

struct ProgramCommands::Parts {
    MainWindow& w;
    Settings& settings;
    UserInterface& ui;
    encrypt::EncryptionCommands encryption;
    DirectoryTree tree;
    PanelsHost host;
    std::unique_ptr<FileOps> ops;
    RenameController* rename = nullptr;
    QString treeFile;
    TTreeForm* treeForm = nullptr;
    FindOptions findOptions;
    std::unique_ptr<FindFilesLauncher> finder;

    Parts(MainWindow& win, Settings& s, UserInterface& u)
        : w(win), settings(s), ui(u), encryption(u, &win), host(win, tree),
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

    // Copy, move, delete, rename and make directory.
    registerFileOpsDialogs();
    d->host.progress = new TCopyProgressForm(&w);
    d->ops = std::make_unique<FileOps>(d->host, ui);
    d->ops->questionFits = &TDeleteDialog::questionFits;
    d->rename = new RenameController(d->host, ui, &w);
    FileOps& ops = *d->ops;
    RenameController& rc = *d->rename;
    w.beforeUserAction = [&rc] { rc.checkquitrenamebox(); };
    w.registerCommand(QStringLiteral("copy"), [&ops] { ops.copyandmovefiles(Operation::Copy); });
    w.registerCommand(QStringLiteral("move"), [&ops] { ops.copyandmovefiles(Operation::Move); });
    w.registerCommand(QStringLiteral("delete"), [&ops] { ops.Deletefile(false); });
    w.registerCommand(QStringLiteral("recycle"), [&ops] { ops.Deletefile(true); });
    w.registerCommand(QStringLiteral("rename"), [&rc] { rc.renameafile(); });
    w.registerCommand(QStringLiteral("makedir"), [&rc] { rc.makedir(); });
    w.addCloseCheck([&ops] { return !ops.busy(); });

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
