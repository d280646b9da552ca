#include "search/findform.h"

#include "app/userinterface.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace zx {

namespace {

const char* const kHeadings[4] = {"Name", "In Folder", "Size", "Modified"};
// Shares of the grid's width; their sum is above 1, so the grid scrolls.
constexpr double kProportions[4] = {0.30, 0.42, 0.15, 0.30};
constexpr int kTextHistoryMax = 8;
constexpr int kNameHistoryMax = 14;

int roundHalfEven(double v)
{
    return int(std::nearbyint(v));   // the default rounding mode rounds halves to even
}

}  // namespace

// ---------------------------------------------------------------------------
// The grid's rows

FoundModel::FoundModel(QObject* parent) : QAbstractTableModel(parent) {}

void FoundModel::setPlaceholder(const QString& text)
{
    beginResetModel();
    rows_.clear();
    placeholder_ = text;
    endResetModel();
}

void FoundModel::clear()
{
    beginResetModel();
    rows_.clear();
    placeholder_.clear();
    endResetModel();
}

void FoundModel::append(std::vector<FoundFile>&& rows)
{
    if (rows.empty())
        return;
    if (!placeholder_.isEmpty())
        clear();
    const int first = int(rows_.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    for (FoundFile& f : rows)
        rows_.push_back(std::move(f));
    endInsertRows();
}

void FoundModel::sortBy(int column, Qt::SortOrder order)
{
    if (column < 0 || column > 3)
        return;
    sortColumn_ = column;
    order_ = order;
    if (rows_.size() < 2)
        return;
    Q_EMIT layoutAboutToBeChanged();
    auto less = [column](const FoundFile& a, const FoundFile& b) {
        switch (column) {
        case 0: return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
        case 1: return a.folder.compare(b.folder, Qt::CaseInsensitive) < 0;
        case 2: return a.size < b.size;
        default: return a.modified < b.modified;
        }
    };
    if (order == Qt::AscendingOrder)
        std::stable_sort(rows_.begin(), rows_.end(), less);
    else
        std::stable_sort(rows_.begin(), rows_.end(), [&less](const FoundFile& a, const FoundFile& b) { return less(b, a); });
    Q_EMIT layoutChanged();
}

QString FoundModel::sizeText(qint64 size)
{
    return QLocale().toString(size);
}

QString FoundModel::timeText(const QDateTime& t)
{
    const QLocale loc;
    QString timeFormat = loc.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));   // no time zone name
    return loc.toString(t.date(), QLocale::ShortFormat) + QLatin1Char(' ')
           + loc.toString(t.time(), timeFormat.trimmed());
}

int FoundModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return placeholder_.isEmpty() ? int(rows_.size()) : 1;
}

int FoundModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant FoundModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (!placeholder_.isEmpty()) {
        if (role == Qt::DisplayRole && index.column() == 0)
            return placeholder_;
        return {};
    }
    const FoundFile& f = rows_[size_t(index.row())];
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case 0: return f.name;
        case 1: return f.folder;
        case 2: return sizeText(f.size);
        default: return timeText(f.modified);
        }
    }
    if (role == Qt::TextAlignmentRole && index.column() == 2)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant FoundModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
        return QString::fromLatin1(kHeadings[section]);
    return {};
}

// ---------------------------------------------------------------------------
// The window

Tfilefindform::Tfilefindform(FindHost& host, UserInterface& ui, FindOptions& options, QWidget* parent)
    : QDialog(parent), host_(host), ui_(ui), opts_(options)
{
    setObjectName(QStringLiteral("filefindform"));
    setModal(false);
    setSizeGripEnabled(true);
    setWindowFlag(Qt::WindowMinMaxButtonsHint, true);

    textLabel = new QLabel(QStringLiteral("Text to find :"), this);
    edtString = new QComboBox(this);
    edtString->setObjectName(QStringLiteral("edtString"));
    edtString->setEditable(true);
    edtString->setInsertPolicy(QComboBox::NoInsert);
    edtString->setMaxVisibleItems(kTextHistoryMax);
    // The text's case matters when "Case sensitive" is on: never swap it for
    // a history item that differs only in case.
    if (edtString->completer())
        edtString->completer()->setCaseSensitivity(Qt::CaseSensitive);
    textLabel->setBuddy(edtString);
    filesLabel = new QLabel(QStringLiteral("File names matching:"), this);
    edtFiles = new QComboBox(this);
    edtFiles->setObjectName(QStringLiteral("edtFiles"));
    edtFiles->setEditable(true);
    edtFiles->setInsertPolicy(QComboBox::NoInsert);
    edtFiles->setMaxVisibleItems(kNameHistoryMax);
    filesLabel->setBuddy(edtFiles);

    optionsBox = new QGroupBox(QStringLiteral("Options"), this);
    auto* ol = new QVBoxLayout(optionsBox);
    cscb = new QCheckBox(QStringLiteral("Case sensitive"), optionsBox);
    cscb->setObjectName(QStringLiteral("cscb"));
    sfcb = new QCheckBox(QStringLiteral("Search subfolders"), optionsBox);
    sfcb->setObjectName(QStringLiteral("sfcb"));
    foldercb = new QCheckBox(QStringLiteral("Folders only"), optionsBox);
    foldercb->setObjectName(QStringLiteral("foldercb"));
    ol->addWidget(cscb);
    ol->addWidget(sfcb);
    ol->addWidget(foldercb);

    startbutton = new QPushButton(QStringLiteral("&Start"), this);
    startbutton->setObjectName(QStringLiteral("startbutton"));
    startbutton->setDefault(true);
    closebutton = new QPushButton(QStringLiteral("&Close"), this);
    closebutton->setObjectName(QStringLiteral("closebutton"));
    closebutton->setAutoDefault(false);
    helpbutton = new QPushButton(QStringLiteral("&Help"), this);
    helpbutton->setObjectName(QStringLiteral("helpbutton"));
    helpbutton->setAutoDefault(false);

    model_ = new FoundModel(this);
    sg = new QTableView(this);
    sg->setObjectName(QStringLiteral("sg"));
    sg->setModel(model_);
    sg->verticalHeader()->hide();
    sg->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    sg->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sg->setWordWrap(false);
    sg->setContextMenuPolicy(Qt::CustomContextMenu);
    sg->horizontalHeader()->setSectionsClickable(true);
    sg->horizontalHeader()->setHighlightSections(false);
    sg->viewport()->installEventFilter(this);

    lblCurrent = new QLabel(this);
    lblCurrent->setObjectName(QStringLiteral("lblCurrent"));
    filesfoundlabel = new QLabel(this);
    filesfoundlabel->setObjectName(QStringLiteral("filesfoundlabel"));
    filesfoundlabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusBar = new QStatusBar(this);
    statusBar->setSizeGripEnabled(false);
    Progress = new QProgressBar(statusBar);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setRange(0, 100);
    Progress->setTextVisible(false);
    Progress->hide();

    gridMenu = new QMenu(this);
    QAction* open = gridMenu->addAction(QStringLiteral("Open"));
    open->setObjectName(QStringLiteral("Oen1"));
    QAction* locate = gridMenu->addAction(QStringLiteral("Change to directory (Locate)"));
    locate->setObjectName(QStringLiteral("Locate1"));
    connect(open, &QAction::triggered, this, &Tfilefindform::Oen1Click);
    connect(locate, &QAction::triggered, this, &Tfilefindform::Locate1Click);

    flushTimer_ = new QTimer(this);
    flushTimer_->setInterval(200);
    connect(flushTimer_, &QTimer::timeout, this, &Tfilefindform::flushHits);

    connect(startbutton, &QPushButton::clicked, this, &Tfilefindform::startbuttonClick);
    connect(closebutton, &QPushButton::clicked, this, &Tfilefindform::close);
    connect(helpbutton, &QPushButton::clicked, this, [this] { host_.showHelp(4); });
    connect(sg->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int col) {
        if (model_->isPlaceholder() || model_->hits() == 0)
            return;
        const Qt::SortOrder order = (col == model_->sortColumn() && model_->sortOrder() == Qt::AscendingOrder)
                                        ? Qt::DescendingOrder
                                        : Qt::AscendingOrder;
        model_->sortBy(col, order);
        sg->horizontalHeader()->setSortIndicator(col, order);
    });
    connect(sg, &QTableView::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex i = sg->indexAt(pos);
        if (model_->isPlaceholder() || model_->hits() == 0 || !i.isValid())
            return;
        sg->setCurrentIndex(model_->index(i.row(), 0));
        gridMenu->popup(sg->viewport()->mapToGlobal(pos));
    });

    // 1. The fields from the histories.
    edtString->addItems(opts_.textHistory);
    edtString->setEditText(QString());
    edtFiles->addItems(opts_.nameHistory);
    const int all = edtFiles->findText(QStringLiteral("*.*  (all files)"));
    edtFiles->setCurrentIndex(all >= 0 ? all : (edtFiles->count() > 0 ? 0 : -1));
    // 2. The place on the screen.
    placeWindow();
    // 3. The options and the idle grid.
    cscb->setChecked(opts_.caseSensitive);
    sfcb->setChecked(opts_.recursive);
    showIdleGrid();
    edtString->setFocus();
}

Tfilefindform::~Tfilefindform()
{
    if (worker_) {
        // Release a worker that is waiting for this window, then let it end.
        worker_->requestStop();
        disconnect(worker_, nullptr, this, nullptr);
        QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
        worker_->wait(10000);
    }
}

void Tfilefindform::setRefreshInterval(int ms)
{
    flushTimer_->setInterval(ms);
}

void Tfilefindform::setStartDirectory(const QString& dir)
{
    startDir_ = dir;
    setWindowTitle(QStringLiteral("Searching: ") + dir);
}

void Tfilefindform::placeWindow()
{
    QScreen* s = QGuiApplication::primaryScreen();
    const QRect scr = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    QRect g;
    if (opts_.ffleft == -10000 || opts_.ffwidth <= 0 || opts_.ffheight <= 0) {
        g = QRect(0, 0, std::min(780, scr.width()), std::min(480, scr.height()));
        g.moveCenter(scr.center());
    } else {
        g = QRect(opts_.ffleft, opts_.fftop, opts_.ffwidth, opts_.ffheight);
        if (g.bottom() > scr.bottom())
            g.moveTop(0);
        if (g.right() > scr.right())
            g.moveLeft(0);
        if (g.left() < 0)
            g.moveLeft(0);
        if (g.top() < 0)
            g.moveTop(0);
        g.setWidth(std::min(g.width(), scr.width()));
        g.setHeight(std::min(g.height(), scr.height()));
    }
    move(g.topLeft());
    resize(g.size());
}

void Tfilefindform::showIdleGrid()
{
    sg->setShowGrid(false);
    sg->setSelectionMode(QAbstractItemView::NoSelection);
    sg->horizontalHeader()->setSortIndicatorShown(false);
    model_->setPlaceholder(QStringLiteral(
        "To search, fill out items on the left (to search for file names only, leave \"Text to find\" blank)."));
    updateColumnWidths();
}

void Tfilefindform::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    const int W = width(), H = height();
    const int leftW = 230;
    textLabel->setGeometry(10, 10, leftW, 18);
    edtString->setGeometry(10, 30, leftW, 26);
    filesLabel->setGeometry(10, 64, leftW, 18);
    edtFiles->setGeometry(10, 84, leftW, 26);
    optionsBox->setGeometry(10, 120, leftW, 110);
    const int gridX = leftW + 20;
    sg->setGeometry(gridX, 10, std::max(100, W - 18 - gridX), std::max(60, H - 50 - 10));
    const int gridBottom = sg->geometry().bottom();
    startbutton->setGeometry(10, 245, 100, 30);
    closebutton->setGeometry(10, gridBottom - 29, 100, 30);
    helpbutton->setGeometry(10, (startbutton->y() + closebutton->y()) / 2, 100, 30);
    filesfoundlabel->setGeometry(sg->x(), gridBottom + 2, sg->width(), 18);
    lblCurrent->setGeometry(10, H - 20 - 18, W - 20, 18);
    statusBar->setGeometry(0, H - 20, W, 20);
    Progress->setGeometry(0, 2, std::max(10, W - 30), 16);
    updateColumnWidths();
}

void Tfilefindform::updateColumnWidths()
{
    const int w = sg->viewport()->width();
    if (model_->isPlaceholder() || model_->hits() == 0) {
        sg->setColumnWidth(0, w);
        if (model_->isPlaceholder())
            sg->setSpan(0, 0, 1, 4);
        return;
    }
    sg->clearSpans();
    for (int c = 0; c < 4; ++c)
        sg->setColumnWidth(c, roundHalfEven(w * kProportions[c]));
}

QString Tfilefindform::namePatternFrom(const QString& text)
{
    QString p = text;
    const int paren = p.indexOf(QLatin1Char('('));
    if (paren >= 0)
        p.truncate(paren);
    while (p.endsWith(QLatin1Char(' ')))
        p.chop(1);
    if (p.isEmpty())
        return QStringLiteral("*.*");
    const int slash = p.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0)
        p = p.mid(slash + 1);
    return p.isEmpty() ? QStringLiteral("*.*") : p;
}

void Tfilefindform::addToHistory(QStringList& history, const QString& text, int max, bool containsRule)
{
    if (text.trimmed().isEmpty())
        return;
    if (containsRule) {
        for (const QString& h : history)
            if (h.contains(text, Qt::CaseInsensitive))
                return;
    } else if (history.contains(text)) {
        return;
    }
    if (history.size() >= max)
        history.removeLast();
    history.prepend(text);
}

void Tfilefindform::startbuttonClick()
{
    if (running_) {
        cancelled_ = true;
        if (worker_)
            worker_->requestStop();
        return;
    }
    // 1. The grid's working look.
    sg->setShowGrid(true);
    sg->setSelectionBehavior(QAbstractItemView::SelectRows);
    sg->setSelectionMode(QAbstractItemView::SingleSelection);
    sg->horizontalHeader()->setSortIndicatorShown(true);
    sg->horizontalHeader()->setSortIndicator(model_->sortColumn(), model_->sortOrder());

    // 2. The histories.
    const QString text = edtString->currentText();
    const QString names = edtFiles->currentText();
    QStringList th;
    for (int i = 0; i < edtString->count(); ++i)
        th << edtString->itemText(i);
    addToHistory(th, text, kTextHistoryMax, false);
    QStringList nh;
    for (int i = 0; i < edtFiles->count(); ++i)
        nh << edtFiles->itemText(i);
    addToHistory(nh, names, kNameHistoryMax, true);
    edtString->clear();
    edtString->addItems(th);
    edtString->setEditText(text);
    edtFiles->clear();
    edtFiles->addItems(nh);
    edtFiles->setEditText(names);

    // 3. An empty grid.
    pending_.clear();
    model_->clear();
    filesfoundlabel->clear();
    hitCount_ = 0;
    lastSortedAt_ = 0;
    updateColumnWidths();

    // 4. A name pattern typed into the text field?
    if (text.endsWith(QLatin1String(".*")) || text.contains(QLatin1String("*."))) {
        if (!ui_.confirm(QStringLiteral("Find files"),
                         QStringLiteral("If you wish to search for matching filenames (eg, filename.*, or *.ext),\n"
                                        "You should enter it in the SECOND edit box. Proceed (Y/N)?")))
            return;
    }

    // 5.-6. The settings, and the worker.
    tfilesearchsettings s;
    s.text = text;
    s.startDir = startDir_;
    s.pattern = namePatternFrom(names);
    s.caseSensitive = cscb->isChecked();
    s.subfolders = sfcb->isChecked();
    s.foldersOnly = foldercb->isChecked();
    auto* w = new tfsearch(s);
    worker_ = w;
    connect(w, &tfsearch::report, this, &Tfilefindform::onReport, Qt::BlockingQueuedConnection);
    connect(w, &tfsearch::searchEnded, this, &Tfilefindform::onSearchEnded, Qt::QueuedConnection);
    running_ = true;
    cancelled_ = false;
    startbutton->setText(QStringLiteral("&Stop"));
    lblCurrent->setText(QStringLiteral("Searching . . ."));
    lblCurrent->repaint();
    Progress->setValue(0);
    Progress->show();
    flushTimer_->start();
    w->start();
}

void Tfilefindform::onReport(const tupdateinfo& info)
{
    lblCurrent->setText(QStringLiteral("Current : ") + info.directory + info.name);
    Progress->setValue(info.progress);
    if (info.isHit())
        FileScannerUpdate(info.directory, info.name, info.size, info.modified);
}

void Tfilefindform::FileScannerUpdate(const QString& folder, const QString& name, qint64 size,
                                      const QDateTime& modified)
{
    ++hitCount_;
    pending_.push_back({name, folder, size, modified});
    // The grid and the count are repainted by flushHits a few times a second.
}

void Tfilefindform::flushHits()
{
    if (pending_.empty())
        return;
    const bool wasEmpty = model_->hits() == 0;
    model_->append(std::move(pending_));
    pending_.clear();
    // Sorted again whenever another 20 hits have come in.
    if (model_->hits() / 20 != lastSortedAt_ / 20)
        model_->resort();
    lastSortedAt_ = model_->hits();
    if (wasEmpty)
        updateColumnWidths();
    filesfoundlabel->setText(QLocale().toString(model_->hits()) + QStringLiteral(" files found"));
}

void Tfilefindform::onSearchEnded()
{
    flushTimer_->stop();
    flushHits();
    worker_ = nullptr;
    running_ = false;
    startbutton->setText(QStringLiteral("&Start"));
    lblCurrent->setText(cancelled_ ? QStringLiteral("- Search cancelled -") : QStringLiteral("- Search completed -"));
    Progress->setValue(0);
    Progress->hide();
    model_->resort();
    if (model_->hits() > 0)
        sg->setCurrentIndex(model_->index(0, 0));
    const int n = model_->hits();
    filesfoundlabel->setText(n == 1 ? QStringLiteral("1 matching file found")
                                    : QLocale().toString(n) + QStringLiteral(" matching files found"));
    updateColumnWidths();
    edtString->setFocus();
}

void Tfilefindform::Oen1Click()
{
    const QModelIndex i = sg->currentIndex();
    if (model_->isPlaceholder() || !i.isValid() || i.row() >= model_->hits())
        return;
    const FoundFile& f = model_->at(i.row());
    host_.openFile(f.folder + f.name);
}

void Tfilefindform::Locate1Click()
{
    const QModelIndex i = sg->currentIndex();
    if (model_->isPlaceholder() || !i.isValid() || i.row() >= model_->hits())
        return;
    const FoundFile& f = model_->at(i.row());
    QString dir = f.folder;
    if (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);   // the root keeps its "/"
    if (!dir.isEmpty())
        host_.locate(dir, f.name);
}

bool Tfilefindform::eventFilter(QObject* o, QEvent* e)
{
    if (o == sg->viewport() && e->type() == QEvent::MouseButtonDblClick) {
        auto* me = static_cast<QMouseEvent*>(e);
        const QModelIndex i = sg->indexAt(me->position().toPoint());
        if (!opts_.singleClick && i.isValid() && !model_->isPlaceholder()) {
            sg->setCurrentIndex(model_->index(i.row(), 0));
            Oen1Click();
        }
        return true;
    }
    return QDialog::eventFilter(o, e);
}

void Tfilefindform::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_F1) {
        host_.showHelp(4);
        return;
    }
    QDialog::keyPressEvent(e);   // Esc: reject (closes); Enter: the default button
}

void Tfilefindform::reject()
{
    close();
}

bool Tfilefindform::oktoquit()
{
    if (running_) {
        cancelled_ = true;
        if (worker_)
            worker_->requestStop();
        // Give the end announcement a moment to arrive.
        QDeadlineTimer deadline(300);
        while (running_ && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(2);
        }
        if (running_)
            return false;
    }
    opts_.ffleft = x();
    opts_.fftop = y();
    opts_.ffwidth = width();
    opts_.ffheight = height();
    opts_.caseSensitive = cscb->isChecked();
    opts_.recursive = sfcb->isChecked();
    opts_.textHistory.clear();
    for (int i = 0; i < edtString->count(); ++i)
        opts_.textHistory << edtString->itemText(i);
    opts_.nameHistory.clear();
    for (int i = 0; i < edtFiles->count(); ++i)
        opts_.nameHistory << edtFiles->itemText(i);
    return true;
}

void Tfilefindform::closeEvent(QCloseEvent* e)
{
    if (!oktoquit()) {
        e->ignore();
        return;
    }
    e->accept();
}

// ---------------------------------------------------------------------------

FindFilesLauncher::FindFilesLauncher(FindHost& host, UserInterface& ui, FindOptions& options, QWidget* parent)
    : host_(host), ui_(ui), opts_(options), parent_(parent)
{
}

Tfilefindform* FindFilesLauncher::create(const QString& dir)
{
    auto* f = new Tfilefindform(host_, ui_, opts_, parent_);
    f->setAttribute(Qt::WA_DeleteOnClose);
    f->setStartDirectory(dir);
    form_ = f;
    return f;
}

Tfilefindform* FindFilesLauncher::onKeyF(const QString& activeDir)
{
    if (!form_)
        create(activeDir);
    form_->show();
    form_->raise();
    form_->activateWindow();
    return form_;
}

Tfilefindform* FindFilesLauncher::onCtrlF(const QString& volumeRoot)
{
    if (!form_) {
        create(volumeRoot);
        form_->sfcb->setChecked(true);
    }
    form_->show();
    form_->raise();
    form_->activateWindow();
    return form_;
}

}  // namespace zx
