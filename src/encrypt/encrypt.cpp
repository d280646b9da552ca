#include "encrypt/encrypt.h"

#include "encrypt/keys.h"
#include "encrypt/names.h"
#include "platform/filesync.h"
#include "platform/trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryFile>
#include <QTimeZone>
#include <filesystem>
#include <system_error>

namespace zx::encrypt {

// ---------------------------------------------------------------- strings

QString cryptstring(const QString& text, bool encrypt)
{
    Cipher cipher(settingsKey());
    if (encrypt) {
        QByteArray bytes = text.toUtf8();
        cipher.encryptCFB8(reinterpret_cast<std::uint8_t*>(bytes.data()), std::size_t(bytes.size()));
        return QString::fromLatin1(bytes.toBase64());
    }
    auto decoded = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return QString();
    QByteArray bytes = *decoded;
    cipher.decryptCFB8(reinterpret_cast<std::uint8_t*>(bytes.data()), std::size_t(bytes.size()));
    const QString out = QString::fromUtf8(bytes);
    secureFill(bytes.data(), std::size_t(bytes.size()), 0xFF);
    return out;
}

QByteArray fileKeyMaterial(const QString& loginPassword)
{
    return loginPassword.toUtf8() + keySuffix();
}

QDateTime dosTimeStamp(const QDateTime& t)
{
    if (!t.isValid())
        return {};
    const QDateTime local = t.toLocalTime();
    if (local.date().year() < 1980 || local.date().year() > 2107)
        return {};
    // Time-zone offsets are whole minutes, so an even UTC second is an even local one.
    qint64 secs = t.toSecsSinceEpoch();
    secs -= ((secs % 2) + 2) % 2;
    return QDateTime::fromSecsSinceEpoch(secs);
}

// ---------------------------------------------------------------- report

void EncryptReport::add(const QString& path, FileResult r)
{
    switch (r) {
    case FileResult::Done: ++done; break;
    case FileResult::NotApplicable: break;
    case FileResult::TooLarge: tooLarge << path; break;
    case FileResult::Failed: failed << path; break;
    case FileResult::NotWiped: ++done; notWiped << path; break;
    case FileResult::NotTrashed: ++done; notTrashed << path; break;
    }
}

// ---------------------------------------------------------------- wiping

namespace {

void fillWipeBuffer(QByteArray& buffer)
{
    if (buffer.size() != kWipeBufferSize)
        buffer.resize(kWipeBufferSize);
    auto* rng = QRandomGenerator::global();
    for (char& c : buffer)
        c = char(rng->bounded(255));   // 0..254
}

bool makeOwnerWritable(const QString& path)
{
    const QFile::Permissions p = QFile::permissions(path);
    if (p & QFile::WriteOwner)
        return true;
    return QFile::setPermissions(path, p | QFile::WriteOwner);
}

bool overwriteOpenFile(QFile& f, QByteArray& buffer, int allocationUnit)
{
    fillWipeBuffer(buffer);
    const qint64 unit = allocationUnit > 0 ? allocationUnit : 4096;
    const qint64 size = f.size();
    const qint64 total = (size + unit - 1) / unit * unit;
    if (!f.seek(0))
        return false;
    for (qint64 done = 0; done < total;) {
        const qint64 n = qMin<qint64>(total - done, buffer.size());
        const qint64 w = f.write(buffer.constData(), n);
        if (w <= 0)
            return false;
        done += w;
    }
    return platform::syncFile(f);
}

bool isPlainRegularFile(const QFileInfo& fi)
{
    return !fi.isSymLink() && fi.isFile();
}

}  // namespace

bool overwriteFileData(const QString& path, QByteArray& buffer, int allocationUnit)
{
    if (!isPlainRegularFile(QFileInfo(path)) || !makeOwnerWritable(path))
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    return overwriteOpenFile(f, buffer, allocationUnit);
}

bool EncryptSession::wipefile(const QString& path)
{
    const QFileInfo fi(path);
    if (!fi.exists() || !isPlainRegularFile(fi))
        return false;
    // Another hard link shares these data blocks: overwriting them would
    // destroy the other name's content, so the file is left alone.
    if (platform::linkCount(path) != 1)
        return false;
    if (!makeOwnerWritable(path))
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    if (!overwriteOpenFile(f, wipeBuffer_, allocationUnit_))
        return false;
    if (!f.resize(0))
        return false;
    const QDateTime epoch(QDate(1980, 1, 1), QTime(0, 0), QTimeZone::systemTimeZone());
    f.setFileTime(epoch, QFileDevice::FileAccessTime);
    f.setFileTime(epoch, QFileDevice::FileModificationTime);
    f.close();
    return QFile::remove(path);
}

// ---------------------------------------------------------------- files

EncryptSession::EncryptSession(const QString& loginPassword, int allocationUnit)
    : allocationUnit_(allocationUnit > 0 ? allocationUnit : 4096)
{
    QByteArray material = fileKeyMaterial(loginPassword);
    cipher_.init(material);
    secureFill(material.data(), std::size_t(material.size()), 0xFF);
    wipeBuffer_.resize(kWipeBufferSize);
}

EncryptSession::~EncryptSession()
{
    cipher_.burn();
    secureFill(wipeBuffer_.data(), std::size_t(wipeBuffer_.size()), 0);
}

FileResult EncryptSession::transform(const QString& path, const QString& newPath, bool encrypt)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return FileResult::Failed;
    const qint64 size = in.size();
    if (size >= kSizeLimit)
        return FileResult::TooLarge;
    const QDateTime stamp = dosTimeStamp(QFileInfo(path).lastModified());

    // The new file is written under a temporary name beside its final one
    // and renamed into place only when complete and on disk; a failure
    // leaves the source and any older file of the new name as they were.
    const QString dir = QFileInfo(newPath).absolutePath();
    QTemporaryFile out(dir + QStringLiteral("/.zxcrypt-XXXXXX"));
    if (!out.open())
        return FileResult::Failed;

    cipher_.reset();
    QByteArray chunk(kChunkSize, Qt::Uninitialized);
    auto* data = reinterpret_cast<std::uint8_t*>(chunk.data());
    for (qint64 left = size; left > 0;) {
        const qint64 n = qMin(left, kChunkSize);
        qint64 got = 0;
        while (got < n) {
            const qint64 r = in.read(chunk.data() + got, n - got);
            if (r <= 0)
                return FileResult::Failed;   // shrank or unreadable
            got += r;
        }
        if (encrypt)
            cipher_.encryptCBC(data, std::size_t(n));
        else
            cipher_.decryptCBC(data, std::size_t(n));
        if (out.write(chunk.constData(), n) != n)
            return FileResult::Failed;
        left -= n;
    }
    secureFill(data, std::size_t(chunk.size()), 0);

    out.setPermissions(in.permissions());
    if (!platform::syncFile(out))
        return FileResult::Failed;
    if (stamp.isValid())
        out.setFileTime(stamp, QFileDevice::FileModificationTime);

    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(out.fileName()).toStdString(),
                            QFile::encodeName(newPath).toStdString(), ec);
    if (ec)
        return FileResult::Failed;
    out.setAutoRemove(false);
    platform::syncDirectory(dir);
    return FileResult::Done;
}

FileResult EncryptSession::encryptfile(const QString& path, bool namesToo, QString* newPath)
{
    if (isEncryptedName(path))
        return FileResult::NotApplicable;
    const QFileInfo fi(path);
    if (!fi.exists() && !fi.isSymLink())
        return FileResult::Failed;
    if (!isPlainRegularFile(fi))
        return FileResult::NotApplicable;
    if (fi.size() >= kSizeLimit)
        return FileResult::TooLarge;

    QString target = path + QLatin1Char('.') + QLatin1String(kPlainExt);
    if (namesToo) {
        const QString disguised = scramblename(path) + QLatin1Char('.') + QLatin1String(kDisguisedExt);
        if (QFileInfo(disguised).fileName().toUtf8().size() <= kMaxNameBytes)
            target = disguised;
    }
    const FileResult r = transform(path, target, true);
    if (r != FileResult::Done)
        return r;
    if (newPath)
        *newPath = target;
    // The encrypted file is complete and on disk: only now the plain one goes.
    return wipefile(path) ? FileResult::Done : FileResult::NotWiped;
}

FileResult EncryptSession::decryptfile(const QString& path, QString* newPath)
{
    if (!isEncryptedName(path))
        return FileResult::NotApplicable;
    const QFileInfo fi(path);
    if (!fi.exists() && !fi.isSymLink())
        return FileResult::Failed;
    if (!isPlainRegularFile(fi))
        return FileResult::NotApplicable;
    if (fi.size() >= kSizeLimit)
        return FileResult::TooLarge;

    const QString ext = lastExtension(path);
    QString target = path.left(path.size() - ext.size() - 1);
    if (isDisguisedName(path))
        target = unscramblename(target);
    if (QFileInfo(target).fileName().isEmpty())
        return FileResult::Failed;

    // A file already holding the plain name goes to the trash rather than
    // being overwritten (a wrong key would otherwise replace it with noise).
    const QFileInfo existing(target);
    if (existing.exists() && isPlainRegularFile(existing))
        platform::moveToTrash(target);

    const FileResult r = transform(path, target, false);
    if (r != FileResult::Done)
        return r;
    if (newPath)
        *newPath = target;
    // The format cannot tell a wrong key from the right one, so the encrypted
    // file is kept in the trash instead of being deleted.
    return platform::moveToTrash(path) ? FileResult::Done : FileResult::NotTrashed;
}

void EncryptSession::processPath(const QString& path, bool encrypt, bool namesToo, EncryptReport& report)
{
    const QFileInfo fi(path);
    const QString name = fi.fileName();
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return;
    if (fi.isSymLink())
        return;
    if (fi.isDir()) {
        encryptfolder(path, encrypt, namesToo, report);
        return;
    }
    report.add(path, encrypt ? encryptfile(path, namesToo) : decryptfile(path));
}

void EncryptSession::encryptfolder(const QString& dir, bool encrypt, bool namesToo, EncryptReport& report)
{
    const QFileInfo di(dir);
    if (di.fileName() == QLatin1String(".") || di.fileName() == QLatin1String(".."))
        return;
    QDir d(dir);
    if (!d.exists() || !di.isReadable() || !di.isExecutable()) {
        report.failed << dir;
        return;
    }
    // The whole listing is taken first, so files created here are not visited again.
    const QFileInfoList entries =
        d.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& e : entries) {
        if (e.isSymLink())
            continue;
        if (e.isDir())
            encryptfolder(e.filePath(), encrypt, namesToo, report);
        else
            report.add(e.filePath(), encrypt ? encryptfile(e.filePath(), namesToo) : decryptfile(e.filePath()));
    }
}

FileResult encryptfile(const QString& path, const QString& loginPassword, bool namesToo)
{
    if (loginPassword.isEmpty())
        return FileResult::Failed;
    EncryptSession s(loginPassword, platform::allocationUnitSize(QFileInfo(path).absolutePath()));
    return s.encryptfile(path, namesToo);
}

FileResult decryptfile(const QString& path, const QString& loginPassword)
{
    if (loginPassword.isEmpty())
        return FileResult::Failed;
    EncryptSession s(loginPassword, platform::allocationUnitSize(QFileInfo(path).absolutePath()));
    return s.decryptfile(path);
}

}  // namespace zx::encrypt
