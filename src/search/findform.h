#pragma once
// The find files window: a text to find and a name pattern, Start/Stop of the
// search worker, and the results in a sortable grid from which a file is
// opened or its folder shown in a panel.
//
// The main window keeps one FindFilesLauncher and calls onKeyF() for the key
// f and onCtrlF() for Ctrl+F (and for the "Find files   (F)" menu entry and
// the "system search" setting, which open this window on Linux). At most one
// window exists; it never blocks the main window.

#include "search/filesearch.h"
#include "search/findhost.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTableView;
class QTimer;

namespace zx {

class UserInterface;

// The window's settings and histories, kept by the main window for the whole
// run: "ffleft", "fftop", "ffwidth", "ffheight", "FFcasesensitive",
// "FFRecursive" and "SingleClick" come from and go back to its Settings; the
// histories live in memory only.
struct FindOptions {
    int ffleft = -10000, fftop = -10000, ffwidth = -10000, ffheight = -10000;
    bool caseSensitive = false;
    bool recursive = true;
    bool singleClick = true;
    QStringList textHistory;
    QStringList nameHistory = {
        QStringLiteral("*.*  (all files)"),    QStringLiteral("*.exe (exe files)"),
        QStringLiteral("*.txt  (text files)"), QStringLiteral("*.doc  (doc files)"),
        QStringLiteral("*.htm*  (html files)"), QStringLiteral("*.jp*  (jpeg files)"),
        QStringLiteral("*.pas  (pas files)")};
};

// One result row.
struct FoundFile {
    QString name;
    QString folder;     // ends in "/"
    qint64 size = 0;
    QDateTime modified;
};

// The grid's rows, sortable by any column (stable).
class FoundModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit FoundModel(QObject* parent = nullptr);

    void setPlaceholder(const QString& text);   // one row holding text
    void clear();
    void append(std::vector<FoundFile>&& rows);
    const FoundFile& at(int row) const { return rows_[size_t(row)]; }
    int hits() const { return int(rows_.size()); }
    bool isPlaceholder() const { return !placeholder_.isEmpty(); }

    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return order_; }
    void sortBy(int column, Qt::SortOrder order);
    void resort() { sortBy(sortColumn_, order_); }

    static QString sizeText(qint64 size);
    static QString timeText(const QDateTime& t);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    void sort(int column, Qt::SortOrder order) override { sortBy(column, order); }

private:
    std::vector<FoundFile> rows_;
    QString placeholder_;
    int sortColumn_ = 0;
    Qt::SortOrder order_ = Qt::AscendingOrder;
};

class Tfilefindform : public QDialog {
    Q_OBJECT
public:
    Tfilefindform(FindHost& host, UserInterface& ui, FindOptions& options, QWidget* parent = nullptr);
    ~Tfilefindform() override;

    // Where the next search starts; the caption reads "Searching: " and it.
    void setStartDirectory(const QString& dir);
    QString startDirectory() const { return startDir_; }

    bool isRunning() const { return running_; }
    int hitCount() const { return hitCount_; }
    FoundModel* results() const { return model_; }

    // The name pattern from the text of the names field: everything from the
    // first "(" off, trailing spaces cut, "*.*" when empty, last path
    // component only.
    static QString namePatternFrom(const QString& text);
    // Puts text in front of a history (dropping the last item when the
    // history is full); blank texts are not added. With containsRule the text
    // is not added when some item already contains it (without regard to case).
    static void addToHistory(QStringList& history, const QString& text, int max, bool containsRule);

    // Milliseconds between two repaints of the grid while hits arrive.
    void setRefreshInterval(int ms);

public Q_SLOTS:
    void startbuttonClick();
    void Oen1Click();      // "Open"
    void Locate1Click();   // "Change to directory (Locate)"
    void reject() override;

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void onReport(const zx::tupdateinfo& info);
    void onSearchEnded();
    void FileScannerUpdate(const QString& folder, const QString& name, qint64 size, const QDateTime& modified);
    void flushHits();
    void updateColumnWidths();
    void showIdleGrid();
    void placeWindow();
    bool oktoquit();

    FindHost& host_;
    UserInterface& ui_;
    FindOptions& opts_;
    QString startDir_;
    bool running_ = false;
    bool cancelled_ = false;
    int hitCount_ = 0;
    int lastSortedAt_ = 0;
    std::vector<FoundFile> pending_;
    QPointer<tfsearch> worker_;
    QTimer* flushTimer_ = nullptr;
    FoundModel* model_ = nullptr;

public:
    // Controls, named as in the window's design.
    QComboBox* edtString = nullptr;
    QComboBox* edtFiles = nullptr;
    QGroupBox* optionsBox = nullptr;
    QCheckBox* cscb = nullptr;
    QCheckBox* sfcb = nullptr;
    QCheckBox* foldercb = nullptr;
    QPushButton* startbutton = nullptr;
    QPushButton* closebutton = nullptr;
    QPushButton* helpbutton = nullptr;
    QTableView* sg = nullptr;
    QLabel* lblCurrent = nullptr;
    QLabel* filesfoundlabel = nullptr;
    QStatusBar* statusBar = nullptr;
    QProgressBar* Progress = nullptr;
    QMenu* gridMenu = nullptr;
    QLabel* textLabel = nullptr;
    QLabel* filesLabel = nullptr;
};

// Opens the one find files window for the main window's keys.
class FindFilesLauncher {
public:
    FindFilesLauncher(FindHost& host, UserInterface& ui, FindOptions& options, QWidget* parent = nullptr);

    // Key f: creates the window over the active panel's directory when none
    // exists, then shows it.
    Tfilefindform* onKeyF(const QString& activeDir);
    // Ctrl+F: shows the window when it exists; otherwise creates it over the
    // root of the active panel's volume with "Search subfolders" checked.
    Tfilefindform* onCtrlF(const QString& volumeRoot);

    Tfilefindform* window() const { return form_; }

private:
    Tfilefindform* create(const QString& dir);

    FindHost& host_;
    UserInterface& ui_;
    FindOptions& opts_;
    QWidget* parent_;
    QPointer<Tfilefindform> form_;
};

}  // namespace zx
