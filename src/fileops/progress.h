#pragma once
// Progress of a running transfer or deletion, shared between the worker
// thread (which writes it) and the progress window (which polls it a few
// times a second), and the worker's cancel and pause controls.

#include <QMutex>
#include <QString>
#include <QWaitCondition>
#include <atomic>

namespace zx {

class UserInterface;

class ProgressState {
public:
    // Written by the worker.
    void setFileName(const QString& name)
    {
        QMutexLocker l(&mutex_);
        fileName_ = name;
    }
    QString fileName() const
    {
        QMutexLocker l(&mutex_);
        return fileName_;
    }
    void setCaption(const QString& caption)
    {
        QMutexLocker l(&mutex_);
        caption_ = caption;
    }
    QString caption() const
    {
        QMutexLocker l(&mutex_);
        return caption_;
    }

    // Bars in bytes. Every chunk is counted once when read and once when
    // written, so the file bar runs to 2 x the file size and the total bar to
    // 2 x the total; the window shows them in KiB.
    std::atomic<qint64> fileDone{0}, fileTotal{0};
    std::atomic<qint64> totalDone{0}, totalTotal{0};
    // Last computed rates in MB/s; -1 while none is known (labels cleared).
    std::atomic<int> readRate{-1}, writeRate{-1};
    // Counts of a deletion.
    std::atomic<qint64> itemsDone{0};

    // Cancel: checked by the worker between chunks and between entries.
    void cancel()
    {
        cancelled_.store(true);
        resume();
    }
    bool cancelled() const { return cancelled_.load(); }
    void reset()
    {
        cancelled_.store(false);
        fileDone = fileTotal = totalDone = totalTotal = 0;
        readRate = writeRate = -1;
        itemsDone = 0;
        setFileName(QString());
    }

    // Pause: the window holds the worker while it asks whether to cancel, so
    // that no other question pops up over that one.
    void pause()
    {
        QMutexLocker l(&gateMutex_);
        paused_ = true;
    }
    void resume()
    {
        QMutexLocker l(&gateMutex_);
        paused_ = false;
        gate_.wakeAll();
    }
    // Called by the worker; returns at once when not paused.
    void waitWhilePaused()
    {
        QMutexLocker l(&gateMutex_);
        while (paused_)
            gate_.wait(&gateMutex_);
    }

private:
    mutable QMutex mutex_;
    QString fileName_, caption_;
    std::atomic<bool> cancelled_{false};
    QMutex gateMutex_;
    QWaitCondition gate_;
    bool paused_ = false;
};

// The progress window as the commands see it (TCopyProgressForm in the
// program). Calls come on the user-interface thread.
class ProgressView {
public:
    virtual ~ProgressView() = default;
    // Shows the window over the state; its Cancel asks through ui.
    virtual void showProgress(ProgressState* state, UserInterface* ui) = 0;
    virtual void hideProgress() = 0;
    // The "Preparing to copy files" notice while sizes are summed.
    virtual void showPreparing(bool shown) {}
};

}  // namespace zx
