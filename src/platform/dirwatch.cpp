#include "platform/dirwatch.h"

#include "platform/filenames.h"

#include <QSocketNotifier>
#include <sys/inotify.h>
#include <unistd.h>

namespace zx::platform {

DirWatcher::DirWatcher(QObject* parent) : QObject(parent)
{
    delivery_.setSingleShot(true);
    delivery_.setInterval(100);
    connect(&delivery_, &QTimer::timeout, this, &DirWatcher::changed);
}

DirWatcher::~DirWatcher()
{
    stop();
    if (fd_ >= 0)
        ::close(fd_);
}

bool DirWatcher::start(const QString& dir)
{
    stop();
    if (fd_ < 0) {
        fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd_ < 0)
            return false;
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &DirWatcher::readEvents);
    }
    // Names, sizes, times, attributes, creation; the directory itself going away.
    const uint32_t mask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY | IN_ATTRIB |
                          IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    wd_ = inotify_add_watch(fd_, encodeFileName(dir).constData(), mask);
    dir_ = dir;
    return wd_ >= 0;
}

void DirWatcher::stop()
{
    if (fd_ >= 0 && wd_ >= 0)
        inotify_rm_watch(fd_, wd_);
    wd_ = -1;
    delivery_.stop();
}

void DirWatcher::readEvents()
{
    alignas(struct inotify_event) char buf[16384];
    bool any = false;
    for (;;) {
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n <= 0)
            break;
        for (char* p = buf; p < buf + n;) {
            auto* ev = reinterpret_cast<struct inotify_event*>(p);
            if (ev->wd == wd_ || (ev->mask & IN_Q_OVERFLOW))
                any = true;
            if (ev->wd == wd_ && (ev->mask & IN_IGNORED))
                wd_ = -1;   // the directory is gone; its panel moves elsewhere on re-listing
            p += sizeof(struct inotify_event) + ev->len;
        }
    }
    if (any && !delivery_.isActive())
        delivery_.start();
}

}  // namespace zx::platform
