// The account store: a Windows-style ini file, sections and keys compared
// without regard to case, private to its owner.
#include "encrypt/accounts.h"
#include "encrypt/encrypt.h"
#include "platform/paths.h"
#include "support/testenv.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace zx::encrypt;
using zx::test::readFile;
using zx::test::writeFile;

namespace {
int modeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}
}  // namespace

TEST(EncryptAccounts, IniReadWriteKeepsOtherLinesAndIgnoresCase)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("ZXsettings.ini"));
    writeFile(ini, "; accounts\r\n[Bob]\r\nPassword=abc=\r\nColour=red\r\n\r\n[Other]\r\nfoo=bar\r\n");

    EXPECT_EQ(readIniValue(ini, QStringLiteral("bob"), QStringLiteral("PASSWORD")), QStringLiteral("abc="));
    EXPECT_EQ(readIniValue(ini, QStringLiteral(" BOB "), QStringLiteral("colour")), QStringLiteral("red"));
    EXPECT_EQ(readIniValue(ini, QStringLiteral("other"), QStringLiteral("password")), QString());
    EXPECT_EQ(readIniValue(ini, QStringLiteral("nobody"), QStringLiteral("Password")), QString());
    EXPECT_EQ(readIniValue(dir.filePath(QStringLiteral("missing.ini")), QStringLiteral("Bob"),
                           QStringLiteral("Password")), QString());

    // Replace in place, add a key to an existing section, add a section.
    ASSERT_TRUE(writeIniValue(ini, QStringLiteral("BOB"), QStringLiteral("Password"), QStringLiteral("new")));
    ASSERT_TRUE(writeIniValue(ini, QStringLiteral("other"), QStringLiteral("Password"), QStringLiteral("p2")));
    ASSERT_TRUE(writeIniValue(ini, QStringLiteral("Carol"), QStringLiteral("Password"), QStringLiteral("p3")));
    EXPECT_EQ(QString::fromUtf8(readFile(ini)),
              QStringLiteral("; accounts\n[Bob]\nPassword=new\nColour=red\n\n[Other]\nfoo=bar\nPassword=p2\n"
                             "[Carol]\nPassword=p3\n"));
    EXPECT_EQ(readIniValue(ini, QStringLiteral("carol"), QStringLiteral("password")), QStringLiteral("p3"));
}

TEST(EncryptAccounts, FileIsReadableByItsOwnerOnly)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("ZXsettings.ini"));
    writeFile(ini, "[A]\nPassword=x\n");
    QFile::setPermissions(ini, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    ASSERT_TRUE(writeIniValue(ini, QStringLiteral("B"), QStringLiteral("Password"), QStringLiteral("y")));
    EXPECT_EQ(modeOf(ini), 0600);

    const QString fresh = dir.filePath(QStringLiteral("fresh.ini"));
    ASSERT_TRUE(writeIniValue(fresh, QStringLiteral("B"), QStringLiteral("Password"), QStringLiteral("y")));
    EXPECT_EQ(modeOf(fresh), 0600);
}

TEST(EncryptAccounts, UnwritableLocationIsReported)
{
    QString error;
    EXPECT_FALSE(writeIniValue(QStringLiteral("/nonexistent-dir/ZXsettings.ini"), QStringLiteral("A"),
                               QStringLiteral("Password"), QStringLiteral("x"), &error));
    EXPECT_FALSE(error.isEmpty());
}

// The stored value is the password form encrypted once more; reading gives
// the password form back. The user name is trimmed and compared without case.
TEST(EncryptAccounts, PasswordsInTheDataDirectory)
{
    const QString form = cryptstring(QStringLiteral("s3cret"), true);
    ASSERT_TRUE(writeINIfile(QStringLiteral("  Alice "), form));
    EXPECT_EQ(accountsFilePath(), zx::platform::dataDir() + QStringLiteral("/ZXsettings.ini"));
    EXPECT_EQ(readIniValue(accountsFilePath(), QStringLiteral("Alice"), QStringLiteral("Password")),
              cryptstring(form, true));
    EXPECT_EQ(readINIfile(QStringLiteral("ALICE")), form);
    EXPECT_EQ(readINIfile(QStringLiteral(" alice  ")), form);
    EXPECT_EQ(readINIfile(QStringLiteral("Bob")), QString());

    // Nothing is written without a user name or a password.
    EXPECT_TRUE(writeINIfile(QStringLiteral("Bob"), QString()));
    EXPECT_TRUE(writeINIfile(QStringLiteral("  "), form));
    EXPECT_FALSE(readFile(accountsFilePath()).contains("Bob"));
}
