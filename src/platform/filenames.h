#pragma once
// File names as the kernel keeps them (bytes) and as the program holds them
// (QString). Names that are not valid UTF-8 survive the round trip: each
// byte that cannot be decoded becomes U+DC80 + byte ("surrogate escape").

#include <QByteArray>
#include <QString>

namespace zx::platform {

QString decodeFileName(const QByteArray& bytes);
QByteArray encodeFileName(const QString& name);
// For display: escaped bytes shown as U+FFFD.
QString displayFileName(const QString& name);
// True when name holds escaped bytes.
bool hasEscapedBytes(const QString& name);

}  // namespace zx::platform
