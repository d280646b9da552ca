#include "mainform/format.h"

#include <QDateTime>
#include <QTimeZone>
#include <gtest/gtest.h>

using namespace zx;

namespace {
struct UsLocale : ::testing::Test {
    void SetUp() override { setDisplayLocale(QLocale(QLocale::English, QLocale::UnitedStates)); }
};
qint64 localMs(int y, int mo, int d, int h, int mi)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi)).toMSecsSinceEpoch();
}
}  // namespace

TEST_F(UsLocale, NumbersAndFreeSpace)
{
    EXPECT_EQ(commas(0), QStringLiteral("0"));
    EXPECT_EQ(commas(999999), QStringLiteral("999,999"));
    EXPECT_EQ(commas(1000000), QStringLiteral("1,000,000"));
    EXPECT_EQ(freeSpaceText(1), QStringLiteral("1 bytes"));
    EXPECT_EQ(freeSpaceText(10485760), QStringLiteral("10,485,760 bytes"));
    EXPECT_EQ(freeSpaceText(20 * 1048576LL), QStringLiteral("20 Mb"));
    EXPECT_EQ(freeSpaceText(qint64(1536.25 * 1048576)), QStringLiteral("1,536.3 Mb"));
    EXPECT_EQ(formatOneDecimal(0.5), QStringLiteral(".5"));
}

TEST_F(UsLocale, SizeColumn)
{
    EXPECT_EQ(sizeColumnText(true, false, 0, false), QStringLiteral("<DIR>  "));
    EXPECT_EQ(sizeColumnText(true, true, 0, false), QStringLiteral("<Up DIR>  "));
    EXPECT_EQ(sizeColumnText(false, false, 999999, true), QStringLiteral("999,999"));
    EXPECT_EQ(sizeColumnText(false, false, 1000000, false), QStringLiteral("1,000,000"));
    EXPECT_EQ(sizeColumnText(false, false, 1000000, true), QStringLiteral("1Mb"));
    EXPECT_EQ(sizeColumnText(false, false, 3 * 1048576 / 2, true), QStringLiteral("1.5Mb"));
}

TEST_F(UsLocale, DateAndTimeText)
{
    EXPECT_EQ(getdatetimestring(0), QString());
    EXPECT_EQ(getdatetimestring(localMs(2014, 5, 7, 15, 5)), QStringLiteral("5/7/2014  3:05PM"));
    EXPECT_EQ(getdatetimestring(localMs(2014, 5, 7, 12, 0)), QStringLiteral("5/7/2014  12:00AM"));
    EXPECT_EQ(getdatetimestring(localMs(2014, 12, 31, 0, 0)), QStringLiteral("12/31/2014  0:00AM"));
    EXPECT_EQ(getdatetimestring(localMs(2014, 12, 31, 23, 59)), QStringLiteral("12/31/2014  11:59PM"));
}

TEST(Format, DayFirstLocale)
{
    setDisplayLocale(QLocale(QLocale::German, QLocale::Germany));
    const QString s = getdatetimestring(QDateTime(QDate(2014, 5, 7), QTime(15, 5)).toMSecsSinceEpoch());
    EXPECT_TRUE(s.startsWith(QStringLiteral("7.5.2014  3:05"))) << s.toStdString();
    EXPECT_EQ(commas(1234567), QStringLiteral("1.234.567"));
    setDisplayLocale(QLocale(QLocale::English, QLocale::UnitedStates));
}

TEST(Format, TypeColours)
{
    struct Case {
        const char* name;
        bool dir;
        int index;
    } cases[] = {{"x", true, 0},           {"a.exe", false, 1},    {"A.COM", false, 1},  {"r.doc", false, 2},
                 {"r.txt", false, 3},      {"p.htm", false, 5},    {"p.htmx", false, 15}, {"a.tar", false, 8},
                 {"m.mp3", false, 9},      {"i.jpeg", false, 10},  {"i.pspimage", false, 10}, {"b.bak", false, 12},
                 {"v.mkv", false, 16},     {"d.pdf", false, 18},   {"l.dll", false, 19}, {"noext", false, 15},
                 {"archive.exe.bak", false, 12}};
    for (const Case& c : cases)
        EXPECT_EQ(typeColorIndex(QString::fromLatin1(c.name), c.dir), c.index) << c.name;
}

TEST(Format, AttributeLettersInOrder)
{
    EXPECT_EQ(attributeLetters(0x10 | 0x04 | 0x01 | 0x02 | 0x20), QStringLiteral("DSRHA"));
    EXPECT_EQ(attributeLetters(0x01 | 0x10), QStringLiteral("DR"));
    EXPECT_EQ(attributeLetters(0), QString());
}

TEST(Format, ShorteningWithTilde)
{
    // One pixel per character makes the rule easy to follow.
    auto width = [](const QString& s) { return int(s.size()); };
    EXPECT_EQ(shortenName(QStringLiteral("short.txt"), width, 20), QStringLiteral("short.txt"));
    const QString withExt = shortenName(QStringLiteral("averyveryverylongname.txt"), width, 12);
    EXPECT_TRUE(withExt.endsWith(QStringLiteral("~.txt"))) << withExt.toStdString();
    EXPECT_LE(withExt.size(), 12);
    EXPECT_TRUE(withExt.startsWith(QStringLiteral("avery")));
    const QString noExt = shortenName(QStringLiteral("averyveryverylongname"), width, 10);
    EXPECT_TRUE(noExt.endsWith(QLatin1Char('~')));
    EXPECT_LE(noExt.size(), 10);
    // Names of four characters or fewer are not shortened.
    EXPECT_EQ(shortenName(QStringLiteral("abcd"), width, 2), QStringLiteral("abcd"));
}

TEST_F(UsLocale, TaggedTotal)
{
    EXPECT_EQ(taggedTotalText(0, 0), QString());
    EXPECT_EQ(taggedTotalText(0, 1), QStringLiteral("0 bytes in 1 file selected"));
    EXPECT_EQ(taggedTotalText(12345, 3), QStringLiteral("12,345 bytes in 3 files selected"));
}
