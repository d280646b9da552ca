#include "support/testenv.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <functional>

namespace zx::test {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QString fixturesDir()
{
#ifdef ZX_SHARED_DIR
    return QDir::cleanPath(QStringLiteral(ZX_SHARED_DIR) + QStringLiteral("/fixtures"));
#else
    return QString();
#endif
}

bool waitUntil(const std::function<bool()>& pred, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

}  // namespace zx::test
