// Encrypting, decrypting and wiping real files, and walking trees.
#include "encrypt/encrypt.h"
#include "encrypt/names.h"
#include "opensslref.h"
#include "platform/trash.h"
#include "support/testenv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zx::encrypt;
using zx::test::readFile;
using zx::test::writeFile;

namespace {

const QString kPassword = cryptstring(QStringLiteral("open sesame"), true);   // password form

QByteArray pattern(qsizetype n, int seed = 1)
{
    QByteArray b(n, '\0');
    quint32 x = quint32(seed) * 2654435761u + 7;
    for (char& c : b) {
        x = x * 1103515245u + 12345u;
        c = char(x >> 24);
    }
    return b;
}

// Every file below root: relative path -> content.
QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        out.insert(QDir(root).relativeFilePath(p), readFile(p));
    }
    return out;
}

QStringList trashedFiles()
{
    return QDir(zx::platform::trashFilesDir()).entryList(QDir::Files | QDir::Hidden);
}

QStringList leftovers(const QString& dir)
{
    return QDir(dir).entryList({QStringLiteral(".zxcrypt-*")}, QDir::Files | QDir::Hidden);
}

void setMTime(const QString& path, const QDateTime& t)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(t, QFileDevice::FileModificationTime));
}

}  // namespace

// Content is the ciphertext only, as long as the plain file, equal to the
// independent computation; the plain file is gone; decrypting restores every
// byte and sends the encrypted file to the trash.
TEST(EncryptFiles, RoundTripOfSizesAroundBlocksAndChunks)
{
    QTemporaryDir dir;
    EncryptSession s(kPassword);
    const QByteArray material = fileKeyMaterial(kPassword);
    for (qsizetype n : {0, 1, 7, 8, 9, 15, 16, 8191, 8192, 8193, 3 * 8192 + 5, 100003}) {
        SCOPED_TRACE(n);
        const QString plain = dir.filePath(QStringLiteral("f%1.bin").arg(n));
        const QByteArray bytes = pattern(n, int(n));
        ASSERT_TRUE(writeFile(plain, bytes));
        QString enc;
        ASSERT_EQ(s.encryptfile(plain, false, &enc), FileResult::Done);
        EXPECT_EQ(enc, plain + QStringLiteral(".scrp"));
        EXPECT_FALSE(QFileInfo::exists(plain));
        EXPECT_EQ(readFile(enc), zx::test::referenceFileCipher(material, bytes));

        QString dec;
        ASSERT_EQ(s.decryptfile(enc, &dec), FileResult::Done);
        EXPECT_EQ(dec, plain);
        EXPECT_EQ(readFile(plain), bytes);
        EXPECT_FALSE(QFileInfo::exists(enc));
        EXPECT_TRUE(trashedFiles().contains(QFileInfo(enc).fileName()));
    }
    EXPECT_TRUE(leftovers(dir.path()).isEmpty());
}

// The one-off functions key their own cipher: same result as a session.
TEST(EncryptFiles, EqualContentGivesEqualCiphertextAcrossSessions)
{
    QTemporaryDir dir;
    const QByteArray bytes = pattern(5000);
    writeFile(dir.filePath(QStringLiteral("a")), bytes);
    writeFile(dir.filePath(QStringLiteral("b")), bytes);
    EXPECT_EQ(encryptfile(dir.filePath(QStringLiteral("a")), kPassword, false), FileResult::Done);
    EncryptSession s(kPassword);
    EXPECT_EQ(s.encryptfile(dir.filePath(QStringLiteral("b")), false), FileResult::Done);
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("a.scrp"))), readFile(dir.filePath(QStringLiteral("b.scrp"))));
    // A different password gives different ciphertext.
    writeFile(dir.filePath(QStringLiteral("c")), bytes);
    encryptfile(dir.filePath(QStringLiteral("c")), cryptstring(QStringLiteral("other"), true), false);
    EXPECT_NE(readFile(dir.filePath(QStringLiteral("c.scrp"))), readFile(dir.filePath(QStringLiteral("a.scrp"))));
}

// Both directions carry the source's last-write time at 2-second resolution;
// a time a DOS stamp cannot hold leaves the new file's own time.
TEST(EncryptFiles, TimeStampsAtTwoSecondResolution)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("t.txt"));
    writeFile(plain, "time");
    const QDateTime odd(QDate(2021, 5, 6), QTime(7, 8, 9, 500), QTimeZone::systemTimeZone());
    setMTime(plain, odd);
    EncryptSession s(kPassword);
    ASSERT_EQ(s.encryptfile(plain, false), FileResult::Done);
    const QString enc = plain + QStringLiteral(".scrp");
    EXPECT_EQ(QFileInfo(enc).lastModified(), odd.addMSecs(-1500));

    const QDateTime later(QDate(2022, 1, 2), QTime(3, 4, 7), QTimeZone::systemTimeZone());
    setMTime(enc, later);
    ASSERT_EQ(s.decryptfile(enc), FileResult::Done);
    EXPECT_EQ(QFileInfo(plain).lastModified(), later.addSecs(-1));

    const QDateTime before = QDateTime::currentDateTime().addSecs(-5);
    setMTime(plain, QDateTime(QDate(1975, 1, 1), QTime(0, 0), QTimeZone::systemTimeZone()));
    ASSERT_EQ(s.encryptfile(plain, false), FileResult::Done);
    EXPECT_GT(QFileInfo(enc).lastModified(), before);
}

TEST(EncryptFiles, OnlyTheRightFilesAreCandidates)
{
    QTemporaryDir dir;
    EncryptSession s(kPassword);
    for (const char* n : {"x.SCRP", "y.sscrp", "z.txt.Scrp"}) {
        const QString p = dir.filePath(QString::fromLatin1(n));
        writeFile(p, "already");
        EXPECT_EQ(s.encryptfile(p, true), FileResult::NotApplicable) << n;
        EXPECT_EQ(readFile(p), QByteArray("already"));
    }
    const QString txt = dir.filePath(QStringLiteral("plain.txt"));
    writeFile(txt, "plain");
    EXPECT_EQ(s.decryptfile(txt), FileResult::NotApplicable);
    EXPECT_EQ(readFile(txt), QByteArray("plain"));
    EXPECT_EQ(s.encryptfile(dir.filePath(QStringLiteral("missing")), false), FileResult::Failed);
}

TEST(EncryptFiles, EncryptingReplacesAnOlderEncryptedFile)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("a.txt"));
    writeFile(plain + QStringLiteral(".scrp"), "stale encrypted copy");
    writeFile(plain, "fresh");
    EncryptSession s(kPassword);
    ASSERT_EQ(s.encryptfile(plain, false), FileResult::Done);
    ASSERT_EQ(s.decryptfile(plain + QStringLiteral(".scrp")), FileResult::Done);
    EXPECT_EQ(readFile(plain), QByteArray("fresh"));
}

TEST(EncryptFiles, NamesTooDisguisesAndRestoresName)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("photo.JPG"));
    const QByteArray bytes = pattern(12345);
    writeFile(plain, bytes);
    EncryptSession s(kPassword);
    QString enc;
    ASSERT_EQ(s.encryptfile(plain, true, &enc), FileResult::Done);
    EXPECT_TRUE(enc.endsWith(QStringLiteral("._tqw_.sscrp"))) << enc.toStdString();
    EXPECT_EQ(QFileInfo(enc).path(), QFileInfo(plain).path());
    EXPECT_FALSE(QFileInfo(enc).fileName().contains(QStringLiteral("photo")));
    EXPECT_TRUE(QFileInfo::exists(enc));
    QString dec;
    ASSERT_EQ(s.decryptfile(enc, &dec), FileResult::Done);
    EXPECT_EQ(dec, dir.filePath(QStringLiteral("photo.jpg")));
    EXPECT_EQ(readFile(dec), bytes);
}

// A disguised name too long for the file system falls back to the plain
// name with ".scrp".
TEST(EncryptFiles, OverlongDisguisedNameFallsBackToPlainName)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QString(200, QLatin1Char('n')) + QStringLiteral(".txt"));
    writeFile(plain, "long");
    EncryptSession s(kPassword);
    QString enc;
    ASSERT_EQ(s.encryptfile(plain, true, &enc), FileResult::Done);
    EXPECT_EQ(enc, plain + QStringLiteral(".scrp"));
}

TEST(EncryptFiles, FilesOf4GiBAreRefusedAndUntouched)
{
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("big.img"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(kSizeLimit));   // sparse: costs no space
    }
    EncryptSession s(kPassword);
    EXPECT_EQ(s.encryptfile(big, false), FileResult::TooLarge);
    EXPECT_EQ(QFileInfo(big).size(), kSizeLimit);
    EXPECT_FALSE(QFileInfo::exists(big + QStringLiteral(".scrp")));

    QFile::rename(big, big + QStringLiteral(".scrp"));
    EXPECT_EQ(s.decryptfile(big + QStringLiteral(".scrp")), FileResult::TooLarge);
    EXPECT_FALSE(QFileInfo::exists(big));

    EncryptReport report;
    s.processPath(dir.path(), false, false, report);
    EXPECT_EQ(report.tooLarge, QStringList{big + QStringLiteral(".scrp")});
}

// The encrypted file cannot be put in place: the plain file stays whole and
// nothing half-written is left behind.
TEST(EncryptFiles, FailedCreationLeavesPlainFileUntouched)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("a.txt"));
    writeFile(plain, "keep me");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("a.txt.scrp")));
    EncryptSession s(kPassword);
    EXPECT_EQ(s.encryptfile(plain, false), FileResult::Failed);
    EXPECT_EQ(readFile(plain), QByteArray("keep me"));
    EXPECT_TRUE(leftovers(dir.path()).isEmpty());
}

// A write that fails halfway (file size limit) leaves the plain file whole
// and removes the partial encrypted file.
TEST(EncryptFiles, WriteFailureHalfwayLeavesPlainFileUntouched)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("big.bin"));
    const QByteArray bytes = pattern(200000);
    writeFile(plain, bytes);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 50000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    EncryptSession s(kPassword);
    const FileResult r = s.encryptfile(plain, false);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(r, FileResult::Failed);
    EXPECT_EQ(readFile(plain), bytes);
    EXPECT_FALSE(QFileInfo::exists(plain + QStringLiteral(".scrp")));
    EXPECT_TRUE(leftovers(dir.path()).isEmpty());
}

// The format cannot detect a wrong key: the encrypted file survives in the
// trash, and a file already holding the plain name is trashed, not overwritten.
TEST(EncryptFiles, WrongKeyLosesNothing)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("diary.txt"));
    const QByteArray secret = pattern(777);
    writeFile(plain, secret);
    ASSERT_EQ(encryptfile(plain, kPassword, false), FileResult::Done);
    const QString enc = plain + QStringLiteral(".scrp");
    const QByteArray ciphertext = readFile(enc);
    writeFile(plain, "a newer diary.txt");

    ASSERT_EQ(decryptfile(enc, cryptstring(QStringLiteral("wrong"), true)), FileResult::Done);
    EXPECT_NE(readFile(plain), secret);
    const QString trash = zx::platform::trashFilesDir();
    EXPECT_EQ(readFile(trash + QStringLiteral("/diary.txt.scrp")), ciphertext);
    EXPECT_EQ(readFile(trash + QStringLiteral("/diary.txt")), QByteArray("a newer diary.txt"));

    // Recovery: the trashed encrypted file decrypts under the right account.
    const QString back = dir.filePath(QStringLiteral("back.scrp"));
    QFile::copy(trash + QStringLiteral("/diary.txt.scrp"), back);
    ASSERT_EQ(decryptfile(back, kPassword), FileResult::Done);
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("back"))), secret);
}

TEST(EncryptWipe, OverwriteCoversWholeAllocationUnitsWithBytesBelow255)
{
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("w"));
    const QByteArray original(10000, char(0xFF));
    writeFile(p, original);
    QByteArray buffer;
    ASSERT_TRUE(overwriteFileData(p, buffer, 4096));
    const QByteArray after = readFile(p);
    EXPECT_EQ(after.size(), 12288);
    EXPECT_FALSE(after.contains(char(0xFF)));
}

TEST(EncryptWipe, WipeDeletesAndRefusesWhatItMustNotTouch)
{
    QTemporaryDir dir;
    EncryptSession s(kPassword);
    const QString p = dir.filePath(QStringLiteral("plain"));
    writeFile(p, pattern(30000));
    EXPECT_TRUE(s.wipefile(p));
    EXPECT_FALSE(QFileInfo::exists(p));
    EXPECT_FALSE(s.wipefile(p));

    const QString ro = dir.filePath(QStringLiteral("readonly"));
    writeFile(ro, "ro");
    QFile::setPermissions(ro, QFile::ReadOwner);
    EXPECT_TRUE(s.wipefile(ro));
    EXPECT_FALSE(QFileInfo::exists(ro));

    // A link is never followed: its target keeps its data.
    const QString target = dir.filePath(QStringLiteral("target"));
    writeFile(target, "target data");
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(target, link));
    EXPECT_FALSE(s.wipefile(link));
    EXPECT_EQ(readFile(target), QByteArray("target data"));

    // Another hard link shares the data: overwriting would destroy it.
    const QString hard = dir.filePath(QStringLiteral("hard"));
    ASSERT_EQ(::link(QFile::encodeName(target).constData(), QFile::encodeName(hard).constData()), 0);
    EXPECT_FALSE(s.wipefile(target));
    EXPECT_EQ(readFile(hard), QByteArray("target data"));
}

// An encrypted file whose plain file could not be wiped is reported as such.
TEST(EncryptWipe, UnwipedPlainFileIsReported)
{
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("shared"));
    writeFile(p, "two names");
    ASSERT_EQ(::link(QFile::encodeName(p).constData(), QFile::encodeName(dir.filePath(QStringLiteral("other"))).constData()), 0);
    EncryptSession s(kPassword);
    EncryptReport report;
    s.processPath(p, true, false, report);
    EXPECT_EQ(report.notWiped, QStringList{p});
    EXPECT_TRUE(QFileInfo::exists(p + QStringLiteral(".scrp")));
}

// A tree with hidden files, subdirectories and an encrypted file, with names
// too: every file is encrypted once, directories keep their names, and
// decrypting gives back every name and byte.
TEST(EncryptTree, EncryptNamesTooThenDecryptRestoresEverything)
{
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("tree"));
    const QMap<QString, QByteArray> files = {
        {QStringLiteral("a.txt"), pattern(100, 1)},
        {QStringLiteral(".hidden"), pattern(9, 2)},
        {QStringLiteral("Photo.jpg"), pattern(8192, 3)},
        {QStringLiteral("sub/b.tar.gz"), pattern(20000, 4)},
        {QStringLiteral("sub/empty"), QByteArray()},
        {QStringLiteral("sub/deeper/Ünïcode ☃.md"), pattern(17, 5)},
        {QStringLiteral("sub.d/c"), pattern(3, 6)},
    };
    for (auto it = files.begin(); it != files.end(); ++it)
        ASSERT_TRUE(writeFile(root + QLatin1Char('/') + it.key(), it.value()));
    QDir(root).mkpath(QStringLiteral("emptydir"));

    EncryptSession s(kPassword);
    EncryptReport report;
    s.processPath(root, true, true, report);
    EXPECT_EQ(report.done, files.size());
    EXPECT_FALSE(report.hasProblems());
    const auto encrypted = snapshot(root);
    EXPECT_EQ(encrypted.size(), files.size());
    for (auto it = encrypted.begin(); it != encrypted.end(); ++it) {
        EXPECT_TRUE(it.key().endsWith(QStringLiteral(".sscrp"))) << it.key().toStdString();
        EXPECT_FALSE(files.contains(it.key()));
    }
    for (const char* d : {"sub", "sub/deeper", "sub.d", "emptydir"})
        EXPECT_TRUE(QFileInfo(root + QLatin1Char('/') + QLatin1String(d)).isDir()) << d;

    // A second run finds only encrypted files and changes nothing.
    EncryptReport again;
    s.processPath(root, true, true, again);
    EXPECT_EQ(again.done, 0);
    EXPECT_EQ(snapshot(root), encrypted);

    EncryptReport back;
    s.processPath(root, false, false, back);
    EXPECT_EQ(back.done, files.size());
    auto restored = snapshot(root);
    // The picture extension comes back in lower case.
    EXPECT_TRUE(restored.contains(QStringLiteral("Photo.jpg")));
    EXPECT_EQ(restored, files);
}

TEST(EncryptTree, DecryptTouchesOnlyEncryptedFiles)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("x.txt")), "x");
    writeFile(dir.filePath(QStringLiteral("y.txt")), "y");
    EncryptSession s(kPassword);
    ASSERT_EQ(s.encryptfile(dir.filePath(QStringLiteral("x.txt")), false), FileResult::Done);
    EncryptReport r;
    s.processPath(dir.path(), false, false, r);
    EXPECT_EQ(r.done, 1);
    EXPECT_EQ(snapshot(dir.path()), (QMap<QString, QByteArray>{{QStringLiteral("x.txt"), "x"}, {QStringLiteral("y.txt"), "y"}}));
}

// Links are not followed (no wiping outside the tree, no endless loops);
// pipes and other special files are left alone instead of blocking.
TEST(EncryptTree, LinksAndSpecialFilesAreLeftAlone)
{
    QTemporaryDir outside, dir;
    const QString target = outside.filePath(QStringLiteral("outside.txt"));
    writeFile(target, "not in the tree");
    const QString root = dir.filePath(QStringLiteral("root"));
    QDir().mkpath(root + QStringLiteral("/sub"));
    writeFile(root + QStringLiteral("/sub/in.txt"), "in");
    ASSERT_TRUE(QFile::link(target, root + QStringLiteral("/filelink")));
    ASSERT_TRUE(QFile::link(root, root + QStringLiteral("/sub/loop")));
    ASSERT_EQ(mkfifo(QFile::encodeName(root + QStringLiteral("/pipe")).constData(), 0600), 0);

    EncryptSession s(kPassword);
    EncryptReport r;
    s.processPath(root, true, false, r);
    EXPECT_EQ(r.done, 1);
    EXPECT_EQ(readFile(target), QByteArray("not in the tree"));
    EXPECT_TRUE(QFileInfo(root + QStringLiteral("/filelink")).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(root + QStringLiteral("/pipe")));
    EXPECT_TRUE(QFileInfo::exists(root + QStringLiteral("/sub/in.txt.scrp")));
}

// Files written by earlier builds must open in every later one: this pins the
// key suffix (through the file) and the settings key (through the stored
// password) against files made once and kept in the repository.
TEST(EncryptKnownAnswer, FilesAndStoredPasswordOfEarlierBuildsStillOpen)
{
    const QString data = QStringLiteral(ZX_SOURCE_DIR "/tests/encrypt/data");
    const QByteArray ini = readFile(data + QStringLiteral("/ZXsettings.ini"));
    ASSERT_FALSE(ini.isEmpty());
    const QByteArray stored = ini.mid(ini.indexOf("Password=") + 9).trimmed();
    const QString loginPassword = cryptstring(QString::fromLatin1(stored), false);
    EXPECT_EQ(cryptstring(loginPassword, false), QStringLiteral("Tr0ub4dor&3"));
    EXPECT_EQ(loginPassword, cryptstring(QStringLiteral("Tr0ub4dor&3"), true));

    QTemporaryDir dir;
    const QByteArray plain = readFile(data + QStringLiteral("/known.txt"));
    const QByteArray cipher = readFile(data + QStringLiteral("/known.txt.scrp"));
    ASSERT_EQ(plain.size(), cipher.size());
    ASSERT_GT(plain.size() % 8, 0);
    writeFile(dir.filePath(QStringLiteral("known.txt")), plain);
    ASSERT_EQ(encryptfile(dir.filePath(QStringLiteral("known.txt")), loginPassword, false), FileResult::Done);
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("known.txt.scrp"))), cipher);

    QFile::copy(data + QStringLiteral("/known.txt.scrp"), dir.filePath(QStringLiteral("copy.scrp")));
    ASSERT_EQ(decryptfile(dir.filePath(QStringLiteral("copy.scrp")), loginPassword), FileResult::Done);
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("copy"))), plain);
}
