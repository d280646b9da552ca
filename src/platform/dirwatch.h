#pragma once
// Watches one directory (not its subdirectories) with inotify and reports
// each burst of changes once, 100 ms after its first change, on the
// user-interface thread.

#include <QObject>
#include <QTimer>

class QSocketNotifier;

namespace zx::platform {

class DirWatcher : public QObject {
    Q_OBJECT
public:
    explicit DirWatcher(QObject* parent = nullptr);
    ~DirWatcher() override;

    QString directory() const { return dir_; }
    // Watches dir from now on (stops watching the previous one). Returns
    // false when the directory cannot be watched; nothing is reported then.
    bool start(const QString& dir);
    void stop();
    bool watching() const { return wd_ >= 0; }

Q_SIGNALS:
    void changed();

private:
    void readEvents();
    int fd_ = -1;
    int wd_ = -1;
    QString dir_;
    QSocketNotifier* notifier_ = nullptr;
    QTimer delivery_;
};

}  // namespace zx::platform
