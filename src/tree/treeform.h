#pragma once
// The tree window: pick a directory from the directory tree by browsing it or
// by typing the beginning of a directory name, then open it in a panel.
//
// The main window creates one TTreeForm at start-up over its DirectoryTree,
// calls load_dat_file() once, and calls showdirectorytree() for the "&Tree"
// button, the panel menu's "Browse Directory Tree   (T)", the key t
// (inOtherPanel false) and Ctrl+N (inOtherPanel true). At the end of the
// program it saves the tree with DirectoryTree::writeBackIfDirty(datPath).

#include "platform/volumes.h"
#include "tree/directorytree.h"
#include "tree/treehost.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTreeView;

namespace zx {

class UserInterface;
class DirTreeModel;
class TReadingForm;

// The tree window's settings; the main window copies them from and back to
// its Settings ("TreeSize", "JumpOnMatch", "TreeLeft", "TreeTop", "ScanDrives",
// "hints"; shownThisRun decides whether TreeLeft/TreeTop are written).
struct TreeOptions {
    bool treeSize = false;
    bool jumpOnMatch = true;
    int treeLeft = -10000;
    int treeTop = -10000;
    QString scanDrives;
    bool hints = true;
    bool shownThisRun = false;
};

class TTreeForm : public QDialog {
    Q_OBJECT
public:
    // datPath: the cache file (normally dataDir() + "/zxtree.dat").
    TTreeForm(DirectoryTree& tree, TreeHost& host, UserInterface& ui, const QString& datPath,
              QWidget* parent = nullptr);
    ~TTreeForm() override;

    void setOptions(const TreeOptions& o) { opts_ = o; }
    const TreeOptions& options() const { return opts_; }

    // The volumes whose letters ScanDrives names (readVolumes() unless set).
    void setVolumeProvider(std::function<QList<platform::Volume>()> f) { volumes_ = std::move(f); }

    // Reads zxtree.dat into the tree (at start-up). A malformed file keeps
    // what was read and says "Cannot load folder names.  Restart the program.".
    void load_dat_file();

    // Shows the window modally and opens the chosen directory through the
    // host. Returns true when a directory was opened.
    bool showdirectorytree(bool inOtherPanel);

    // The initialisation dialog; scans when it is confirmed with at least one
    // letter. Returns whether it scanned.
    bool doinitform();
    // Scans the volumes of opts().scanDrives into the cache file and reloads.
    void initializetree();

    bool isShrunk() const { return shrunk_; }
    QString chosenDirectory() const { return chosen_; }

    // Result code of the window when "&Grow" closed it.
    static constexpr int kGrowResult = 2;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

public Q_SLOTS:
    void done(int r) override;
    void reject() override;

private:
    void buildControls();
    void applyHints();
    void layoutFull();
    void layoutShrunk();
    void setShrunk(bool s);
    void incrementalSearch(const QString& text);
    void selectNode(DirectoryTree::NodeId n, bool expand);
    void chooseFound(QListWidgetItem* item);
    void okClicked();
    void refreshClicked();
    void sizeClicked();
    void resetModel();
    QString volumeRoot(QChar letter) const;

    DirectoryTree& tree_;
    TreeHost& host_;
    UserInterface& ui_;
    QString datPath_;
    TreeOptions opts_;
    std::function<QList<platform::Volume>()> volumes_;
    DirTreeModel* model_ = nullptr;
    quint64 modelRevision_ = ~0ULL;
    QString chosen_;
    bool shrunk_ = false;
    bool firstInit_ = false;

public:
    // Controls, named as in the window's design.
    QTreeView* TView = nullptr;
    QLineEdit* Edit1 = nullptr;
    QListWidget* FoundListBox = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* QuitButton = nullptr;
    QPushButton* HelpButton = nullptr;
    QPushButton* InitButton = nullptr;
    QPushButton* ExpandButton = nullptr;
    QPushButton* CollapseButton = nullptr;
    QPushButton* SizeButton = nullptr;
    QPushButton* RefreshButton = nullptr;
    QCheckBox* jumpcheckbox = nullptr;
    QLabel* ActionLabel = nullptr;
    QLabel* NumLabel = nullptr;
    QLabel* TreeLabel = nullptr;
    QLabel* SearchLabel = nullptr;
    QLabel* FoundLabel = nullptr;
    QLabel* Picture = nullptr;
    QFrame* Bevel1 = nullptr;
    QFrame* Bevel2 = nullptr;
};

}  // namespace zx
