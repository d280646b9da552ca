#include "tree/treeform.h"

#include "app/userinterface.h"
#include "tree/readingform.h"
#include "tree/treeinit.h"
#include "tree/treescan.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFrame>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <QtConcurrent/QtConcurrentRun>
#include <atomic>

namespace zx {

// ---------------------------------------------------------------------------
// The tree view's model: the DirectoryTree itself, read-only, lazily shown.

class DirTreeModel : public QAbstractItemModel {
public:
    explicit DirTreeModel(const DirectoryTree& t, QObject* parent) : QAbstractItemModel(parent), t_(t) {}

    void reset()
    {
        beginResetModel();
        endResetModel();
    }

    QModelIndex indexOf(DirectoryTree::NodeId n) const
    {
        if (!t_.isValid(n))
            return {};
        const int r = t_.row(n);
        return r < 0 ? QModelIndex() : createIndex(r, 0, quintptr(n));
    }
    DirectoryTree::NodeId nodeOf(const QModelIndex& i) const
    {
        return i.isValid() ? DirectoryTree::NodeId(i.internalId()) : DirectoryTree::kNone;
    }

    QModelIndex index(int row, int column, const QModelIndex& parent) const override
    {
        if (column != 0 || row < 0)
            return {};
        const auto& list = parent.isValid() ? t_.children(nodeOf(parent)) : t_.topLevel();
        if (size_t(row) >= list.size())
            return {};
        return createIndex(row, 0, quintptr(list[size_t(row)]));
    }
    QModelIndex parent(const QModelIndex& child) const override
    {
        if (!child.isValid())
            return {};
        const auto p = t_.parent(nodeOf(child));
        return p == DirectoryTree::kNone ? QModelIndex() : indexOf(p);
    }
    int rowCount(const QModelIndex& parent) const override
    {
        if (parent.column() > 0)
            return 0;
        return int(parent.isValid() ? t_.children(nodeOf(parent)).size() : t_.topLevel().size());
    }
    int columnCount(const QModelIndex&) const override { return 1; }
    bool hasChildren(const QModelIndex& parent) const override { return rowCount(parent) > 0; }
    QVariant data(const QModelIndex& i, int role) const override
    {
        if (!i.isValid() || role != Qt::DisplayRole)
            return {};
        return t_.text(nodeOf(i));
    }
    Qt::ItemFlags flags(const QModelIndex& i) const override
    {
        return i.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

private:
    const DirectoryTree& t_;
};

namespace {

constexpr int kFoundCap = 1001;   // the list holds at most 1000 items, then one more

QRect screenRect(const QWidget* w)
{
    QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

// ---------------------------------------------------------------------------

TTreeForm::TTreeForm(DirectoryTree& tree, TreeHost& host, UserInterface& ui, const QString& datPath,
                     QWidget* parent)
    : QDialog(parent), tree_(tree), host_(host), ui_(ui), datPath_(datPath),
      volumes_([] { return platform::readVolumes(); })
{
    setObjectName(QStringLiteral("TreeForm"));
    buildControls();
    layoutFull();
}

TTreeForm::~TTreeForm() = default;

void TTreeForm::buildControls()
{
    setWindowTitle(QStringLiteral("Select a directory"));
    model_ = new DirTreeModel(tree_, this);

    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    TreeLabel = new QLabel(QStringLiteral("Tree:"), this);
    TView = new QTreeView(this);
    TView->setObjectName(QStringLiteral("TView"));
    TView->setHeaderHidden(true);
    TView->setUniformRowHeights(true);
    TView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TView->setModel(model_);
    TView->installEventFilter(this);

    SearchLabel = new QLabel(QStringLiteral("&Search:"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    SearchLabel->setBuddy(Edit1);
    Edit1->installEventFilter(this);
    FoundLabel = new QLabel(QStringLiteral("Found:"), this);
    FoundListBox = new QListWidget(this);
    FoundListBox->setObjectName(QStringLiteral("FoundListBox"));
    FoundListBox->setUniformItemSizes(true);
    FoundListBox->installEventFilter(this);

    OkButton = button("OkButton", QStringLiteral("&Ok"));
    OkButton->setDefault(false);
    QuitButton = button("QuitButton", QStringLiteral("&Cancel"));
    HelpButton = button("HelpButton", QStringLiteral("&Help"));
    InitButton = button("InitButton", QStringLiteral("&Initialize"));
    ExpandButton = button("ExpandButton", QStringLiteral(">"));
    CollapseButton = button("CollapseButton", QStringLiteral("<"));
    SizeButton = button("SizeButton", QStringLiteral("Sh&rink"));
    RefreshButton = button("RefreshButton", QStringLiteral("Re&fresh"));
    jumpcheckbox = new QCheckBox(QStringLiteral("&Jump on exact match"), this);
    jumpcheckbox->setObjectName(QStringLiteral("jumpcheckbox"));
    ActionLabel = new QLabel(this);
    ActionLabel->setObjectName(QStringLiteral("ActionLabel"));
    NumLabel = new QLabel(this);
    NumLabel->setObjectName(QStringLiteral("NumLabel"));
    Picture = new QLabel(this);
    Picture->setPixmap(style()->standardIcon(QStyle::SP_DirIcon).pixmap(32, 32));
    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel2 = new QFrame(this);
    Bevel2->setFrameShape(QFrame::HLine);

    connect(Edit1, &QLineEdit::textChanged, this, &TTreeForm::incrementalSearch);
    connect(FoundListBox, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item)
            selectNode(DirectoryTree::NodeId(item->data(Qt::UserRole).toInt()), false);
    });
    // Releasing the mouse over an item chooses it.
    connect(FoundListBox, &QListWidget::itemClicked, this, &TTreeForm::chooseFound);
    connect(OkButton, &QPushButton::clicked, this, &TTreeForm::okClicked);
    connect(QuitButton, &QPushButton::clicked, this, &TTreeForm::reject);
    connect(HelpButton, &QPushButton::clicked, this, [this] { host_.showHelp(1); });
    connect(InitButton, &QPushButton::clicked, this, [this] { doinitform(); });
    connect(ExpandButton, &QPushButton::clicked, this, [this] {
        TView->setUpdatesEnabled(false);
        TView->expandAll();
        TView->setUpdatesEnabled(true);
    });
    connect(CollapseButton, &QPushButton::clicked, this, [this] {
        TView->setUpdatesEnabled(false);
        TView->collapseAll();
        TView->setUpdatesEnabled(true);
    });
    connect(SizeButton, &QPushButton::clicked, this, &TTreeForm::sizeClicked);
    connect(RefreshButton, &QPushButton::clicked, this, &TTreeForm::refreshClicked);
    applyHints();
}

void TTreeForm::applyHints()
{
    const bool on = opts_.hints;
    auto tip = [on](QWidget* w, const QString& t) { w->setToolTip(on ? t : QString()); };
    tip(TView, QStringLiteral("Click to select directory.  Then click  \"Ok\""));
    tip(FoundListBox, QStringLiteral("Click on found directory to go there"));
    tip(InitButton, QStringLiteral("Read or re-read directory structures of drives"));
    tip(ExpandButton, QStringLiteral("Expand all"));
    tip(CollapseButton, QStringLiteral("Collapse all"));
    tip(SizeButton, QStringLiteral("Change the size of this window (smaller is faster)"));
    tip(RefreshButton, QStringLiteral("Updates the tree by scanning currently listed directories"));
    tip(jumpcheckbox, QStringLiteral("For fast directory changing"));
}

// ---------------------------------------------------------------------------
// Layouts

void TTreeForm::layoutFull()
{
    for (QWidget* w : {static_cast<QWidget*>(TView), static_cast<QWidget*>(ExpandButton),
                       static_cast<QWidget*>(CollapseButton), static_cast<QWidget*>(Picture),
                       static_cast<QWidget*>(TreeLabel), static_cast<QWidget*>(Bevel1)})
        w->setVisible(true);
    for (QPushButton* b : {OkButton, QuitButton, HelpButton, InitButton}) {
        QFont f = font();
        b->setFont(f);
    }
    setWindowTitle(QStringLiteral("Select a directory"));
    SizeButton->setText(QStringLiteral("Sh&rink"));
    setMinimumSize(560, 400);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (width() < 640 || height() < 480 || shrunk_)
        resize(660, 500);
    shrunk_ = false;
    resizeEvent(nullptr);
}

void TTreeForm::layoutShrunk()
{
    for (QWidget* w : {static_cast<QWidget*>(TView), static_cast<QWidget*>(ExpandButton),
                       static_cast<QWidget*>(CollapseButton), static_cast<QWidget*>(Picture),
                       static_cast<QWidget*>(TreeLabel), static_cast<QWidget*>(Bevel1)})
        w->setVisible(false);
    setWindowTitle(QStringLiteral("Directory search"));
    SizeButton->setText(QStringLiteral("&Grow"));
    shrunk_ = true;
    setMinimumSize(520, 295);
    setMaximumSize(QWIDGETSIZE_MAX, 295);
    resize(std::max(width(), 520), 295);
    resizeEvent(nullptr);
}

void TTreeForm::resizeEvent(QResizeEvent* e)
{
    if (e)
        QDialog::resizeEvent(e);
    const int W = width(), H = height();
    if (shrunk_) {
        const int listRight = W - 10;
        const int bh = int(28 * 0.78 + 0.5), bw = 80;
        OkButton->setGeometry(listRight - bw, 11, bw, bh);
        QuitButton->setGeometry(listRight - bw, 11 + bh + 10, bw, bh);
        HelpButton->setGeometry(OkButton->x() - 90, 11, bw, bh);
        InitButton->setGeometry(HelpButton->x(), 11 + bh + 10, bw, bh);
        for (QPushButton* b : {OkButton, QuitButton, HelpButton, InitButton}) {
            QFont f = font();
            f.setBold(false);
            b->setFont(f);
        }
        RefreshButton->setGeometry(HelpButton->x() - 80, 11, 72, bh);
        SizeButton->setGeometry(RefreshButton->x() - 75, 11, 72, bh);
        jumpcheckbox->setGeometry(10, 11, std::max(60, SizeButton->x() - 15), bh);
        ActionLabel->setGeometry(10, 36, 180, 16);
        NumLabel->setGeometry(200, 36, 120, 16);
        SearchLabel->setGeometry(10, 61, 55, 18);
        Edit1->setGeometry(65, 55, std::max(100, InitButton->x() - 75), 24);
        FoundLabel->setVisible(false);
        FoundListBox->setGeometry(10, 95, W - 20, std::max(40, H - 15 - 95));
        Bevel2->setGeometry(10, 88, W - 20, 2);
        return;
    }
    FoundLabel->setVisible(true);
    const int treeW = std::max(200, (W - 30) / 2);
    const int rightX = 10 + treeW + 10, rightW = W - rightX - 10;
    Picture->setGeometry(10, 8, 32, 32);
    TreeLabel->setGeometry(50, 16, 100, 18);
    Bevel1->setGeometry(10, 44, W - 20, 2);
    TView->setGeometry(10, 52, treeW, H - 52 - 45);
    CollapseButton->setGeometry(10, H - 37, 32, 26);
    ExpandButton->setGeometry(46, H - 37, 32, 26);
    ActionLabel->setGeometry(86, H - 36, 150, 22);
    NumLabel->setGeometry(240, H - 36, std::max(60, treeW - 230), 22);
    SearchLabel->setGeometry(rightX, 52, 80, 18);
    Edit1->setGeometry(rightX, 72, rightW, 24);
    FoundLabel->setGeometry(rightX, 102, 80, 18);
    const int buttonsTop = H - 110;
    FoundListBox->setGeometry(rightX, 122, rightW, std::max(60, buttonsTop - 122 - 32));
    jumpcheckbox->setGeometry(rightX, buttonsTop - 28, rightW, 22);
    Bevel2->setGeometry(rightX, buttonsTop - 4, rightW, 2);
    const int bw = std::max(70, (rightW - 20) / 3), bh = 28;
    OkButton->setGeometry(rightX, buttonsTop + 4, bw, bh);
    QuitButton->setGeometry(rightX + bw + 10, buttonsTop + 4, bw, bh);
    HelpButton->setGeometry(rightX + 2 * (bw + 10), buttonsTop + 4, bw, bh);
    InitButton->setGeometry(rightX, buttonsTop + 40, bw, bh);
    SizeButton->setGeometry(rightX + bw + 10, buttonsTop + 40, bw, bh);
    RefreshButton->setGeometry(rightX + 2 * (bw + 10), buttonsTop + 40, bw, bh);
}

void TTreeForm::setShrunk(bool s)
{
    if (s) {
        layoutShrunk();
        opts_.treeSize = true;
        Edit1->setFocus();
    } else {
        layoutFull();
    }
}

void TTreeForm::sizeClicked()
{
    if (!shrunk_) {
        setShrunk(true);
        return;
    }
    if (screenRect(this).width() > 799) {
        done(kGrowResult);
        return;
    }
    ui_.message(QStringLiteral("This function requires a screen resolution\nof at least 800 x 600 pixels"),
                MsgKind::Information);
}

// ---------------------------------------------------------------------------
// Loading and scanning

void TTreeForm::resetModel()
{
    if (modelRevision_ != tree_.revision()) {
        model_->reset();
        modelRevision_ = tree_.revision();
    }
}

void TTreeForm::load_dat_file()
{
    if (!QFileInfo::exists(datPath_)) {
        tree_.clear();
        resetModel();
        return;
    }
    host_.setStatusText(QStringLiteral("Loading directory tree data . . ."));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto r = tree_.load_dat_file(datPath_);
    resetModel();
    QApplication::restoreOverrideCursor();
    if (!r.ok)
        ui_.message(QStringLiteral("Cannot load folder names.  Restart the program."), MsgKind::Information);
    host_.setStatusText(QString());
}

QString TTreeForm::volumeRoot(QChar letter) const
{
    const QList<platform::Volume> vols = volumes_ ? volumes_() : QList<platform::Volume>();
    const platform::Volume* v = platform::volumeOfLetter(vols, letter);
    return v ? v->root : QString();
}

bool TTreeForm::doinitform()
{
    QString fixed;
    if (opts_.scanDrives.isEmpty() && volumes_) {
        for (const platform::Volume& v : volumes_())
            if (v.type == platform::DriveType::Fixed)
                fixed.append(v.letter.toUpper());
        std::sort(fixed.begin(), fixed.end());
    }
    TInitTree dlg(opts_.scanDrives, fixed, isVisible() ? this : parentWidget());
    if (dlg.exec() != QDialog::Accepted)
        return false;
    const QString letters = dlg.letters();
    opts_.scanDrives = letters;
    if (letters.isEmpty())
        return false;
    initializetree();
    return true;
}

void TTreeForm::initializetree()
{
    SizeButton->setVisible(false);
    RefreshButton->setVisible(false);
    ActionLabel->setText(QStringLiteral("Reading directories"));

    const QString dir = QFileInfo(datPath_).absolutePath();
    if (!QFileInfo(dir).isDir()) {
        ui_.message(dir + QStringLiteral(" not found"), MsgKind::Information);
        ActionLabel->clear();
        SizeButton->setVisible(true);
        RefreshButton->setVisible(true);
        return;
    }

    QPointer<TReadingForm> reading;
    if (firstInit_) {
        reading = new TReadingForm(parentWidget());
        reading->setAttribute(Qt::WA_DeleteOnClose);
        reading->show();
    }
    NumLabel->clear();
    QApplication::setOverrideCursor(Qt::WaitCursor);

    QStringList roots;
    for (QChar c : opts_.scanDrives.toUpper()) {
        const QString root = volumeRoot(c);
        if (!root.isEmpty() && !roots.contains(root))
            roots << root;
    }

    // The scan runs on a worker thread; this window keeps painting and shows
    // the count (a multiple of 10) as it grows.
    std::atomic<qint64> count{0};
    auto future = QtConcurrent::run([&count, roots, path = datPath_] {
        return writeTreeFile(path, roots, [&count](qint64 n) { count.store(n, std::memory_order_relaxed); });
    });
    QFutureWatcher<TreeScanResult> watcher;
    QEventLoop loop;
    QTimer tick;
    auto showCount = [&] {
        const qint64 n = count.load(std::memory_order_relaxed);
        if (n == 0)
            return;
        const QString text = QLocale().toString(n);
        if (reading)
            reading->setCount(n);
        else
            NumLabel->setText(text);
    };
    connect(&tick, &QTimer::timeout, &loop, showCount);
    connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    tick.start(100);
    if (!future.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    tick.stop();
    showCount();
    const TreeScanResult result = future.result();

    if (result.ok) {
        ActionLabel->clear();
        NumLabel->clear();
        Edit1->clear();
        FoundListBox->clear();
        ActionLabel->setText(QStringLiteral("Sorting"));
        ActionLabel->repaint();
        const auto r = tree_.load_dat_file(datPath_);
        resetModel();
        if (!r.ok)
            ui_.message(QStringLiteral("Cannot load folder names.  Restart the program."), MsgKind::Information);
        if (!tree_.topLevel().empty())
            TView->expand(model_->indexOf(tree_.topLevel().front()));
        ActionLabel->clear();
    }

    if (reading)
        reading->close();
    firstInit_ = false;
    SizeButton->setVisible(true);
    RefreshButton->setVisible(true);
    QApplication::restoreOverrideCursor();
}

// ---------------------------------------------------------------------------
// Showing and choosing

bool TTreeForm::showdirectorytree(bool inOtherPanel)
{
    chosen_ = host_.activePanelDir();
    applyHints();
    if (!QFileInfo::exists(datPath_)) {
        firstInit_ = true;
        if (!doinitform()) {
            firstInit_ = false;
            host_.focusActivePanel();
            return false;
        }
    }
    if (opts_.treeSize && !shrunk_)
        setShrunk(true);
    const QRect scr = screenRect(this);
    if (opts_.treeLeft != -10000 && opts_.treeTop != -10000 && opts_.treeLeft < scr.width() - 40
        && opts_.treeTop < scr.height() - 40)
        move(opts_.treeLeft, opts_.treeTop);

    int r = exec();
    while (r == kGrowResult) {
        // Full size again, centred over the main window within the screen.
        setShrunk(false);
        opts_.treeSize = false;
        const QRect over = parentWidget() ? parentWidget()->window()->frameGeometry() : scr;
        QRect g(QPoint(0, 0), size());
        g.moveCenter(over.center());
        g.moveLeft(std::clamp(g.left(), scr.left(), std::max(scr.left(), scr.right() - g.width())));
        g.moveTop(std::clamp(g.top(), scr.top(), std::max(scr.top(), scr.bottom() - g.height())));
        move(g.topLeft());
        r = exec();
    }
    opts_.shownThisRun = true;
    if (r != QDialog::Accepted || chosen_.isEmpty()) {
        host_.focusActivePanel();
        return false;
    }
    if (!QFileInfo(chosen_).isDir()) {
        ui_.message(QStringLiteral("Directory not found"), MsgKind::Information);
        host_.focusActivePanel();
        return false;
    }
    host_.openDirectory(chosen_, inOtherPanel);
    return true;
}

void TTreeForm::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    const QRect scr = screenRect(this);
    if (scr.width() < 800 && frameGeometry().right() > scr.right())
        move(30, y());
    resetModel();
    if (tree_.isEmpty()) {
        QTimer::singleShot(0, this, &TTreeForm::reject);
        return;
    }
    jumpcheckbox->setChecked(opts_.jumpOnMatch);
    const auto first = tree_.topLevel().front();
    DirectoryTree::NodeId n = DirectoryTree::kNone;
    if (!chosen_.isEmpty() && !shrunk_)
        n = tree_.findintree(chosen_);
    if (n != DirectoryTree::kNone) {
        selectNode(n, true);
    } else {
        TView->expand(model_->indexOf(first));
    }
    Edit1->clear();
    FoundListBox->clear();
    if (shrunk_)
        Edit1->setFocus();
}

void TTreeForm::selectNode(DirectoryTree::NodeId n, bool expand)
{
    const QModelIndex i = model_->indexOf(n);
    if (!i.isValid())
        return;
    for (QModelIndex p = i.parent(); p.isValid(); p = p.parent())
        TView->expand(p);
    TView->setCurrentIndex(i);
    TView->scrollTo(i);
    if (expand)
        TView->expand(i);
}

void TTreeForm::incrementalSearch(const QString& text)
{
    FoundListBox->clear();
    const auto found = tree_.search(text, kFoundCap);
    FoundListBox->setUpdatesEnabled(false);
    for (auto n : found) {
        auto* item = new QListWidgetItem(tree_.tvexpandname(n));
        item->setData(Qt::UserRole, int(n));
        FoundListBox->addItem(item);
    }
    FoundListBox->setUpdatesEnabled(true);
    if (jumpcheckbox->isChecked() && found.size() == 1) {
        chosen_ = tree_.tvexpandname(found.front());
        accept();
        return;
    }
    if (!found.empty() && found.size() <= 10)
        selectNode(found.front(), false);
}

void TTreeForm::chooseFound(QListWidgetItem* item)
{
    if (!item)
        return;
    chosen_ = item->text();
    accept();
}

void TTreeForm::okClicked()
{
    const auto n = model_->nodeOf(TView->currentIndex());
    if (n == DirectoryTree::kNone || !TView->selectionModel()->isSelected(TView->currentIndex())) {
        reject();
        return;
    }
    chosen_ = tree_.tvexpandname(n);
    accept();
}

void TTreeForm::reject()
{
    chosen_.clear();
    QDialog::reject();
}

void TTreeForm::done(int r)
{
    opts_.treeLeft = x();
    opts_.treeTop = y();
    opts_.jumpOnMatch = jumpcheckbox->isChecked();
    QDialog::done(r);
}

void TTreeForm::refreshClicked()
{
    for (const TreeHost::ListedDirectory& l : host_.listedDirectories()) {
        if (l.dir.isEmpty())
            continue;
        if (tree_.findintree(l.dir) == DirectoryTree::kNone)
            tree_.adddir(l.dir);
        if (tree_.findintree(l.dir) == DirectoryTree::kNone)
            continue;   // its parent is not in the tree either
        for (const QString& name : l.subdirs)
            if (name != QLatin1String("..") && name != QLatin1String("."))
                tree_.adddir(l.dir, name);
    }
    resetModel();
    ui_.message(QStringLiteral("Currently listed directories have been refreshed"), MsgKind::Information);
}

bool TTreeForm::eventFilter(QObject* o, QEvent* e)
{
    if (e->type() != QEvent::KeyPress)
        return QDialog::eventFilter(o, e);
    auto* k = static_cast<QKeyEvent*>(e);
    const bool plain = (k->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
    const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
    if (o == Edit1 && k->key() == Qt::Key_Down) {
        FoundListBox->setFocus();
        if (FoundListBox->count() > 0)
            FoundListBox->setCurrentRow(0);
        return true;
    }
    if (o == Edit1 && enter)
        return true;   // Enter in the search field does not close the window
    if (o == FoundListBox) {
        if (k->key() == Qt::Key_Up && FoundListBox->currentRow() <= 0) {
            Edit1->setFocus();
            return true;
        }
        if (enter && plain) {
            chooseFound(FoundListBox->currentItem());
            return true;
        }
    }
    if (o == TView && enter) {
        if (plain && TView->currentIndex().isValid())
            okClicked();
        return true;
    }
    return QDialog::eventFilter(o, e);
}

}  // namespace zx
