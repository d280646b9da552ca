#include "fileops/copyprogress.h"

#include "app/userinterface.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace zx {

namespace {
void centreOnScreen(QWidget* w)
{
    w->adjustSize();
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect r = s->availableGeometry();
        w->move(r.center() - QPoint(w->width() / 2, w->height() / 2));
    }
}
}  // namespace

TCopyProgressForm::TCopyProgressForm(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("Copying"));
    auto* lay = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    captionLabel_ = new QLabel(QStringLiteral("Copying:"), this);
    fileLabel = new QLabel(this);
    fileLabel->setTextFormat(Qt::PlainText);
    fileLabel->setMinimumWidth(300);
    top->addWidget(captionLabel_);
    top->addWidget(fileLabel, 1);
    lay->addLayout(top);
    FileProgress = new QProgressBar(this);
    FileProgress->setTextVisible(false);
    lay->addWidget(FileProgress);
    lay->addWidget(new QLabel(QStringLiteral("Total progress"), this));
    TotalProgress = new QProgressBar(this);
    TotalProgress->setTextVisible(false);
    lay->addWidget(TotalProgress);
    auto* rates = new QHBoxLayout;
    readratelabel = new QLabel(this);
    writeratelabel = new QLabel(this);
    writeratelabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    rates->addWidget(readratelabel);
    rates->addWidget(writeratelabel);
    lay->addLayout(rates);
    cancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    lay->addWidget(cancelButton, 0, Qt::AlignHCenter);
    connect(cancelButton, &QPushButton::clicked, this, &TCopyProgressForm::cancelClicked);

    timer_ = new QTimer(this);
    timer_->setInterval(250);
    connect(timer_, &QTimer::timeout, this, &TCopyProgressForm::poll);

    prepCopyForm = new QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint);
    auto* pl = new QVBoxLayout(prepCopyForm);
    pl->addWidget(new QLabel(QStringLiteral("Preparing to copy files"), prepCopyForm));
    connect(this, &QObject::destroyed, prepCopyForm, &QObject::deleteLater);
}

void TCopyProgressForm::showProgress(ProgressState* state, UserInterface* ui)
{
    state_ = state;
    ui_ = ui;
    const QString caption = state && !state->caption().isEmpty() ? state->caption() : QStringLiteral("Copying");
    setWindowTitle(caption);
    captionLabel_->setText(caption + QLatin1Char(':'));
    const bool copying = caption == QLatin1String("Copying");
    FileProgress->setVisible(copying);
    TotalProgress->setVisible(copying);
    readratelabel->clear();
    writeratelabel->clear();
    poll();
    if (!isVisible())
        centreOnScreen(this);
    show();
    raise();
    timer_->start();
}

void TCopyProgressForm::hideProgress()
{
    timer_->stop();
    hide();
}

void TCopyProgressForm::showPreparing(bool shown)
{
    if (shown) {
        centreOnScreen(prepCopyForm);
        prepCopyForm->show();
    } else {
        prepCopyForm->hide();
    }
}

void TCopyProgressForm::poll()
{
    if (!state_)
        return;
    ++pollCount;
    const QString name = state_->fileName();
    fileLabel->setText(name.contains(QLatin1Char('/')) ? QFileInfo(name).fileName() : name);
    // The bars count KiB; both run to twice the bytes (read and write).
    const auto kib = [](qint64 v) { return int(std::min<qint64>(v / 1024, INT_MAX)); };
    FileProgress->setRange(0, std::max(1, kib(state_->fileTotal)));
    FileProgress->setValue(std::min(FileProgress->maximum(), kib(state_->fileDone)));
    TotalProgress->setRange(0, std::max(1, kib(state_->totalTotal)));
    TotalProgress->setValue(std::min(TotalProgress->maximum(), kib(state_->totalDone)));
    const int r = state_->readRate, w = state_->writeRate;
    if (r >= 0)
        readratelabel->setText(QStringLiteral("Read: ") + QString::number(r) + QStringLiteral(" mb/s"));
    else
        readratelabel->clear();
    if (w >= 0)
        writeratelabel->setText(QStringLiteral("Write: ") + QString::number(w) + QStringLiteral(" mb/s"));
    else
        writeratelabel->clear();
}

void TCopyProgressForm::cancelClicked()
{
    if (!state_ || !ui_)
        return;
    ProgressState* state = state_;
    // The worker waits while the question is up, so no other question
    // appears over it.
    state->pause();
    const bool yes = ui_->confirm(QStringLiteral("Confirm"), QStringLiteral("Are you sure you want to cancel copying?"),
                                  QString());
    if (yes) {
        state->cancel();
        hideProgress();
    }
    state->resume();
}

}  // namespace zx
