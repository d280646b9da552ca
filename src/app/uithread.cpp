#include "app/userinterface.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace zx {

void runOnUiThread(const std::function<void()>& f)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        f();
        return;
    }
    QMetaObject::invokeMethod(app, f, Qt::BlockingQueuedConnection);
}

}  // namespace zx
