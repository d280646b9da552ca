#pragma once
// The main window: three panels side by side, each with its drive tabs,
// directory label, entry count, free space and space bar; the information
// lines and the status-bar buttons below. Keys, mouse, tabs and buttons call
// commands registered by id.

#include "app/userinterface.h"
#include "mainform/keymap.h"
#include "mainform/panelmodel.h"
#include "mainform/settings.h"
#include "platform/dirwatch.h"
#include "platform/volumes.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSocketNotifier;

namespace zx {

class UserInterface;
class PanelView;
class DriveTabRow;
struct Listing;

struct MainWindowOptions {
    QString startdir;                      // panel 1's start directory
    bool startMinimized = false;           // "-MIN"
    bool portablemode = false;             // settings are never written
    // The volumes; tests give a fixed list. Default: the machine's.
    std::function<QList<platform::Volume>()> volumes;
    // How long fillb waits for a listing before showing the panel as busy
    // and finishing the listing when it arrives.
    int syncListingMs = 60;
    // Opens a file (Enter on a file); default: the desktop's application.
    std::function<bool(const QString& path, const QString& workdir, QString* error)> openFile;
    // How long a panel waits after a change on disk before re-listing itself.
    int settleMs = 2000;
};

class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(Settings& settings, UserInterface& ui, MainWindowOptions options = {});
    ~MainWindow() override;

    // ---- panels -----------------------------------------------------------
    PanelModel& model(int panel);
    PanelView* getlistbox(int panel) const;
    DriveTabRow* gettabcontrol(int panel) const;
    int activepanel() const { return activepanel_; }
    const Settings& settings() const { return settings_; }
    Settings& settings() { return settings_; }
    UserInterface& ui() { return ui_; }

    // Lists dir into a panel; `after` runs once the entries are in place
    // (at once for a quick listing, later for a slow one).
    void fillb(int panel, const QString& dir, bool keepPosition, const QString& selectName = QString(),
               std::function<void()> after = {});
    void updatedrive(int panel);
    void refresh();
    // Automatic re-listing of a panel on changes: suspended while a command
    // changes its files (the command re-lists the panel itself afterwards).
    void disableupdating(int panel);
    void enableupdating(int panel);
    // A pending change-driven re-listing of the panel happens now.
    void stopnotify(int panel);
    bool refreshPending(int panel) const;
    // The sort dialog for the active panel.
    void SortbuttonClick();
    void backadir(int panel, const QString& path);
    void Openfile(int panel);
    void setactive(int from, int to);
    void goleft();
    void goright();
    bool nameisadirectory(const QString& path) const;
    QString currentfile() const;
    // Full path of an entry of a panel (its name on disk).
    QString entryPath(int panel, int index) const;
    bool listingPending(int panel) const;
    // Edits of a listing without re-reading it (after a command changed one entry).
    void removelistentry(int panel, int index);
    void setEntryName(int panel, int index, const QString& realName);
    void insertEntry(int panel, int index, Entry entry);
    QString startdir() const { return opt_.startdir; }
    // Runs before every key, click, tab press and button (the rename box closes
    // itself there when it does not have the focus).
    std::function<void()> beforeUserAction;

    // ---- drives -----------------------------------------------------------
    const QList<platform::Volume>& volumes() const { return volumes_; }
    QChar driveLetterOf(const QString& path) const;
    QString driveRoot(QChar letter) const;
    void inittabs();
    void rereadtabs();
    int driveexists(QChar letter);
    // Opens a drive, or a path on it, in a panel (0: the next free one);
    // selectName becomes the current entry when it is listed.
    void opendrive(QChar letter, const QString& path, int panel, const QString& selectName = QString());
    void TabControl1Change(int panel);
    // The facts of a drive: mount point, label, type, file system, device, space.
    void DriveInfo(QChar letter);
    int nextfreePanel() const;

    // ---- indicators -------------------------------------------------------
    void drawhighlightbar(int panel);
    void drawinfolabel(int panel);
    void drawdirinfolabel(int panel);
    void displaydirectory(int panel);
    // Asks the free space of the panel's volume (off the UI thread) and shows it.
    void displayfree(int panel);
    // Shows the free space last known.
    void showfree(int panel);
    void updatedrivespaceindicators();
    void setindicatorsvisible();
    QString infoLabelText() const;
    QString fileAttrText() const;
    QString fileTimeText() const;
    QString dirInfoText() const;
    // A line of text in the status area (the tagged-total line).
    void setStatusText(const QString& text);
    QString entriesText(int panel) const;
    QString freeText(int panel) const;
    QString dirLabelText(int panel) const;
    int spaceBarValue(int panel) const;

    // ---- layouts ----------------------------------------------------------
    int layout() const { return settings_.formSize; }
    void drawwindow(int layout);
    void growwindow();
    void shrinkwindow();
    void setdefaultcols();

    // ---- commands ---------------------------------------------------------
    void registerCommand(const QString& id, std::function<void()> fn);
    bool hasCommand(const QString& id) const;
    bool runCommand(const QString& id);
    void focusactivepanel();
    void amsg(const QString& text, MsgKind kind = MsgKind::Information);
    bool okaytoclose();
    // Editors and other windows with unsaved work register a check here:
    // it returns false to stop the program from ending.
    void addCloseCheck(std::function<bool()> check);
    QPushButton* statusButton(const QString& command) const;
    void updateButtons();
    // Shows or hides the tool tips by the "hints" setting.
    void applyHints();

    // The right-click menu for the tagged (or current) entries, or for the
    // panel's directory when onEntry is false. Tests set menuHook to look at
    // the menu instead of showing it.
    void showContextMenu(int panel, const QPoint& globalPos, bool onEntry);
    std::function<void(QMenu*)> menuHook;
    // Full paths of the tagged entries of a panel, or of its current entry
    // when none is tagged (navigational entries left out).
    QStringList selectedPaths(int panel) const;

    // Saves the settings unless portable; savers registered here first copy
    // their subsystems' values into the settings.
    void writeSettings();
    void addSettingsSaver(std::function<void()> saver);

Q_SIGNALS:
    void listingApplied(int panel);
    void volumesChanged();

protected:
    bool eventFilter(QObject* o, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;

public:
    bool handleKey(QKeyEvent* e);

private:
    struct PendingListing;
    void buildWidgets();
    void registerNavigationCommands();
    // Lists the first of the candidates that is a directory (or, when none
    // is, the first). With `missing` set, nothing is listed when none exists
    // and `missing` runs instead.
    void startListing(int panel, QStringList candidates, bool keepPosition, const QString& selectName,
                      std::function<void()> after, std::function<void()> missing);
    void finishListing(int panel, const std::shared_ptr<PendingListing>& job);
    void applyListing(int panel, Listing&& listing, bool keepPosition, const QString& selectName);
    void newdrive(int panel, int tabIndex);
    void tabPressed(DriveTabRow* row, int index, Qt::MouseButton button);
    void mdown(PanelView* v, QMouseEvent* e);
    void mymouseup(PanelView* v, QMouseEvent* e);
    void dblclick(PanelView* v, QMouseEvent* e);
    void m_over(PanelView* v, QMouseEvent* e);
    void ridhighlight();
    void timer2Tick();
    void notifyChanged(int panel);
    void moveCurrent(int panel, const std::function<void(PanelModel&)>& op);
    void gotofavoritedirectory(const QString& path, int panel, int which);
    void gotomydocuments(int panel);
    void layoutControls();
    void firstShowWork();
    void watchMounts();
    void takeScreenshotIfAsked();
    QString bareDriveDirectory(QChar letter) const;
    QString normaliseDir(const QString& dir) const;

    Settings& settings_;
    UserInterface& ui_;
    MainWindowOptions opt_;
    PanelModel models_[3];
    PanelView* lists_[3] = {};
    DriveTabRow* tabs_[3] = {};
    QLabel* dirLabels_[3] = {};
    QLabel* entriesLabels_[3] = {};
    QLabel* freeLabels_[3] = {};
    QProgressBar* spaceBars_[3] = {};
    QLabel* infoLabel_ = nullptr;
    QLabel* fileAttr_ = nullptr;
    QLabel* fileTime_ = nullptr;
    QLabel* dirInfoLabel_ = nullptr;
    QList<QPushButton*> buttons_;
    QHash<QString, QPushButton*> buttonByCommand_;
    QHash<QString, std::function<void()>> commands_;
    QList<std::function<bool()>> closeChecks_;
    QList<std::function<void()>> settingsSavers_;

    QList<platform::Volume> volumes_;
    QString pendingpath_;
    QString pendingselect_;
    int lastGoodTab_ = 0;
    int rememberedTab_ = -1;
    int activepanel_ = 1;
    bool listingbusy_ = false;
    bool ctrlwatch_ = false;
    bool firstshowpending_ = true;
    bool minimizedOnce_ = false;
    bool closing_ = false;
    int screenWidth_ = 1024;
    int listFontSize_ = -1;
    int rowHeight_ = 22;
    QTimer timer1_, timer2_;
    QTimer refreshTimers_[3];
    quint64 listGeneration_[3] = {0, 0, 0};
    std::shared_ptr<PendingListing> pending_[3];
    QSocketNotifier* mountNotifier_ = nullptr;
    platform::DirWatcher* watchers_[3] = {};
    int mouseDownEntry_ = -1;
    int hoverPanel_ = 0;
    int hoverEntry_ = -1;
    QPoint lastMouse_;
    int mountFd_ = -1;
};

}  // namespace zx
