#include "encrypt/accounts.h"

#include "encrypt/encrypt.h"
#include "platform/filesync.h"
#include "platform/paths.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

namespace zx::encrypt {

namespace {

QStringList readLines(const QString& file, bool* exists)
{
    QFile f(file);
    *exists = f.open(QIODevice::ReadOnly);
    if (!*exists)
        return {};
    QString text = QString::fromUtf8(f.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The section name of a "[name]" line, or a null string for other lines.
QString sectionOf(const QString& line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return QString();
    const qsizetype close = t.lastIndexOf(QLatin1Char(']'));
    if (close < 1)
        return QString();
    return t.mid(1, close - 1).trimmed();
}

bool keyMatches(const QString& line, const QString& key, QString* value)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
        return false;
    if (value)
        *value = line.mid(eq + 1).trimmed();
    return true;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

QString accountsFilePath()
{
    return platform::makefullname(platform::dataDir(), QLatin1String(kAccountsFileName));
}

QString readIniValue(const QString& file, const QString& section, const QString& key)
{
    bool exists = false;
    const QStringList lines = readLines(file, &exists);
    bool inSection = false;
    for (const QString& line : lines) {
        const QString s = sectionOf(line);
        if (!s.isNull()) {
            inSection = sameName(s, section.trimmed());
            continue;
        }
        QString value;
        if (inSection && keyMatches(line, key, &value))
            return value;
    }
    return QString();
}

bool writeIniValue(const QString& file, const QString& section, const QString& key, const QString& value,
                   QString* error)
{
    bool exists = false;
    QStringList lines = readLines(file, &exists);
    if (!exists && QFileInfo::exists(file)) {
        if (error)
            *error = QStringLiteral("%1 cannot be read.").arg(file);
        return false;
    }
    const QString entry = key + QLatin1Char('=') + value;
    qsizetype sectionLine = -1, insertAt = -1;
    bool written = false;
    for (qsizetype i = 0; i < lines.size() && !written; ++i) {
        const QString s = sectionOf(lines[i]);
        if (!s.isNull()) {
            if (sectionLine >= 0)
                break;   // end of our section
            if (sameName(s, section.trimmed()))
                sectionLine = insertAt = i;
            continue;
        }
        if (sectionLine >= 0) {
            if (keyMatches(lines[i], key, nullptr)) {
                lines[i] = entry;
                written = true;
            } else if (!lines[i].trimmed().isEmpty()) {
                insertAt = i;
            }
        }
    }
    if (!written) {
        if (sectionLine >= 0) {
            lines.insert(insertAt + 1, entry);
        } else {
            lines << QLatin1Char('[') + section.trimmed() + QLatin1Char(']') << entry;
        }
    }

    // Write beside the file and rename over it: a crash never leaves a half
    // file, and the new file is private from its first byte.
    const QString dir = QFileInfo(file).absolutePath();
    QTemporaryFile tmp(dir + QStringLiteral("/.ZXsettings-XXXXXX"));
    if (!tmp.open()) {
        if (error)
            *error = QStringLiteral("%1 cannot be written: %2").arg(file, tmp.errorString());
        return false;
    }
    tmp.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray bytes = (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    if (tmp.write(bytes) != bytes.size() || !platform::syncFile(tmp)) {
        if (error)
            *error = QStringLiteral("%1 cannot be written: %2").arg(file, tmp.errorString());
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(tmp.fileName()).toStdString(),
                            QFile::encodeName(file).toStdString(), ec);
    if (ec) {
        if (error)
            *error = QStringLiteral("%1 cannot be written: %2")
                         .arg(file, QString::fromLocal8Bit(ec.message().c_str()));
        return false;
    }
    tmp.setAutoRemove(false);
    platform::syncDirectory(dir);
    return true;
}

QString readINIfile(const QString& userName)
{
    const QString stored =
        readIniValue(accountsFilePath(), userName.trimmed(), QLatin1String(kPasswordKey));
    if (stored.isEmpty())
        return QString();
    return cryptstring(stored, false);
}

bool writeINIfile(const QString& userName, const QString& loginPassword, QString* error)
{
    const QString user = userName.trimmed();
    if (user.isEmpty() || loginPassword.isEmpty())
        return true;
    return writeIniValue(accountsFilePath(), user, QLatin1String(kPasswordKey),
                         cryptstring(loginPassword, true), error);
}

}  // namespace zx::encrypt
