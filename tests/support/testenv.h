#pragma once
// Small helpers shared by the tests.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <functional>

namespace zx::test {

// Writes bytes to path (creating parent folders); returns success.
bool writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);
// The fixtures folder shipped beside the repository (shared/fixtures).
QString fixturesDir();
// Waits (processing events) until pred() is true or timeoutMs passes.
bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 5000);

}  // namespace zx::test
