// Recognition of encrypted names and the name disguise.
#include "encrypt/names.h"

#include <QList>
#include <gtest/gtest.h>

using namespace zx::encrypt;

namespace {
// Inserted letters a, b, c, ... so that disguised names can be written down.
char32_t nextLetter_ = 'a';
char32_t sequentialLetter()
{
    const char32_t c = nextLetter_;
    nextLetter_ = nextLetter_ == 'y' ? 'a' : nextLetter_ + 1;
    return c;
}
QString scrambleFixed(const QString& name)
{
    nextLetter_ = 'a';
    return scrambleFileName(name, sequentialLetter);
}
}  // namespace

TEST(EncryptNames, RecognitionByLastExtension)
{
    struct C { const char* path; bool encrypted, disguised; };
    const C cases[] = {
        {"/d/a.txt.scrp", true, false},
        {"/d/a.txt.SCRP", true, false},
        {"/d/xyz._tqw_.sscrp", true, true},
        {"/d/xyz.SsCrP", true, true},
        {"/d/a.scrp.txt", false, false},
        {"/d/scrp", false, false},
        {"/d.scrp/file", false, false},
        {"/d/a.xscrp", false, false},
        {"/d/.scrp", true, false},
    };
    for (const C& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(isEncryptedName(QString::fromUtf8(c.path)), c.encrypted);
        EXPECT_EQ(isDisguisedName(QString::fromUtf8(c.path)), c.disguised);
    }
}

// Worked by hand from the rules: reverse, exchange 1st/3rd of each group of
// three, a letter before every pair; the extension reversed and ROT13'd
// unless it is one of the four picture extensions.
TEST(EncryptNames, DisguiseOfKnownNames)
{
    struct C { const char *plain, *disguised, *restored; };
    const C cases[] = {
        {"abcde.txt", "acdbebca.gkg", "abcde.txt"},
        {"archive.tar.gz", "aivbercchda.mt.eng", "archive.tar.gz"},
        {"photo.JPG", "aotbohcp._tqw_", "photo.jpg"},
        {"scan.jpeg", "acabns._tq_e", "scan.jpeg"},
        {"x.Bmp", "ax._tr_e", "x.bmp"},
        {"anim.gif", "anibma._ew_e", "anim.gif"},
        {"README", "aDMbERcEA", "README"},
        {".bashrc", ".peufno", ".bashrc"},
        {"Notes.TXT", "atebsocN.TXT", "Notes.TXT"},
        {"a.", "aa.", "a."},
    };
    for (const C& c : cases) {
        SCOPED_TRACE(c.plain);
        EXPECT_EQ(scrambleFixed(QString::fromUtf8(c.plain)), QString::fromUtf8(c.disguised));
        EXPECT_EQ(unscrambleFileName(QString::fromUtf8(c.disguised)), QString::fromUtf8(c.restored));
    }
}

// Every name comes back, whatever its characters; the directory part is
// untouched; the base grows by one letter from a to y per pair.
TEST(EncryptNames, RoundTripKeepsDirectoryAndEveryCharacter)
{
    const char* names[] = {
        "report 2024 (final).pdf", "Grüße aus Köln.odt", "日本語のファイル名.txt", "🙂 smile 🙂.png",
        "x", "ab", "abc", "a.b.c.d", "UPPER.lower", "with-dash_and_underscore", "trailing space ",
        "naïve café", "Ω",
    };
    for (const char* n : names) {
        const QString name = QString::fromUtf8(n);
        SCOPED_TRACE(n);
        const QString path = QStringLiteral("/home/u/some.dir/sub/") + name;
        const QString disguised = scramblename(path);
        ASSERT_TRUE(disguised.startsWith(QStringLiteral("/home/u/some.dir/sub/")));
        EXPECT_EQ(unscramblename(disguised), path);

        const QString base = name.section(QLatin1Char('.'), 0, 0);
        const QString dbase = disguised.mid(21).section(QLatin1Char('.'), 0, 0);
        const qsizetype n32 = base.toUcs4().size();
        const QList<uint> d32 = dbase.toUcs4();
        ASSERT_EQ(d32.size(), n32 + (n32 + 1) / 2);
        for (qsizetype i = 0; i < d32.size(); i += 3)
            EXPECT_TRUE(d32[i] >= 'a' && d32[i] <= 'y') << i;
    }
}

TEST(EncryptNames, ExchangeGroupsIsItsOwnInverse)
{
    std::u32string s = U"abcdefgh";
    exchangeGroups(s);
    EXPECT_EQ(s, U"cbafedgh");
    exchangeGroups(s);
    EXPECT_EQ(s, U"abcdefgh");
}
