// RTF reading and writing: round trips of each kept feature, documents
// written by a word processor, our output read by unrtf, and damaged input.
#include "memo/rtf.h"

#include "support/testenv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <functional>
#include <gtest/gtest.h>

using namespace zx;

namespace {

QString fixture(const char* name)
{
    QString dir = test::fixturesDir();
#ifdef ZX_SHARED_DIR
    if (dir.isEmpty())  // the support library is built without the shared folder's path
        dir = QDir::cleanPath(QStringLiteral(ZX_SHARED_DIR "/fixtures"));
#endif
    return dir + QStringLiteral("/rtf/") + QString::fromLatin1(name);
}

QString family(const QTextCharFormat& f)
{
    const QStringList l = f.fontFamilies().toStringList();
    return l.isEmpty() ? QString() : l.first();
}

// Everything the editor keeps of a document, as comparable text: one line per
// paragraph with its properties, one per run of equal character formatting.
QString describe(const QTextDocument& doc)
{
    QString out;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextBlockFormat bf = b.blockFormat();
        out += QStringLiteral("P align=%1 left=%2 right=%3 first=%4 before=%5 after=%6")
                   .arg(int(bf.alignment() & Qt::AlignHorizontal_Mask))
                   .arg(bf.leftMargin() + (b.textList() ? b.textList()->format().indent() * doc.indentWidth() : 0))
                   .arg(bf.rightMargin())
                   .arg(b.textList() ? 0 : bf.textIndent())
                   .arg(bf.topMargin())
                   .arg(bf.bottomMargin());
        for (const QTextOption::Tab& t : bf.tabPositions())
            out += QStringLiteral(" tab=%1/%2").arg(t.position).arg(int(t.type));
        if (b.textList())
            out += QStringLiteral(" list=%1").arg(int(b.textList()->format().style()));
        out += u'\n';
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fr = it.fragment();
            const QTextCharFormat f = fr.charFormat();
            QString text = fr.text();
            text.replace(QChar(0x0C), QStringLiteral("<FF>")).replace(QChar(0x2028), QStringLiteral("<BR>"));
            out += QStringLiteral("  [%1] font=%2 pt=%3 b=%4 i=%5 u=%6 s=%7 fg=%8 bg=%9 va=%10\n")
                       .arg(text, family(f))
                       .arg(f.fontPointSize())
                       .arg(f.fontWeight() >= QFont::DemiBold)
                       .arg(f.fontItalic())
                       .arg(f.fontUnderline())
                       .arg(f.fontStrikeOut())
                       .arg(f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color().name()
                                                                         : QStringLiteral("-"))
                       .arg(f.hasProperty(QTextFormat::BackgroundBrush) ? f.background().color().name()
                                                                         : QStringLiteral("-"))
                       .arg(int(f.verticalAlignment()));
        }
    }
    return out;
}

QTextCharFormat base()
{
    QTextCharFormat f;
    f.setFontFamilies(QStringList{QStringLiteral("DejaVu Sans")});
    f.setFontPointSize(11);
    f.setFontWeight(QFont::Normal);
    f.setFontItalic(false);
    f.setFontUnderline(false);
    f.setFontStrikeOut(false);
    return f;
}

struct Feature {
    const char* name;
    std::function<void(QTextCursor&)> build;
};

void PrintTo(const Feature& f, std::ostream* os) { *os << f.name; }

// Each feature on its own, between plain text, so that a lost property shows.
const Feature kFeatures[] = {
    {"font", [](QTextCursor& c) {
         QTextCharFormat f = base();
         f.setFontFamilies(QStringList{QStringLiteral("DejaVu Serif")});
         c.insertText(QStringLiteral("serif"), f);
         f.setFontFamilies(QStringList{QStringLiteral("Odd {name}; with \\ signs")});
         c.insertText(QStringLiteral("odd"), f);
     }},
    {"sizes", [](QTextCursor& c) {
         for (qreal pt : {8.0, 10.5, 20.0, 72.0}) {
             QTextCharFormat f = base();
             f.setFontPointSize(pt);
             c.insertText(QStringLiteral("size "), f);
         }
     }},
    {"bold italic underline strike", [](QTextCursor& c) {
         const std::function<void(QTextCharFormat&)> set[] = {
             [](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); },
             [](QTextCharFormat& f) { f.setFontItalic(true); },
             [](QTextCharFormat& f) { f.setFontUnderline(true); },
             [](QTextCharFormat& f) { f.setFontStrikeOut(true); },
             [](QTextCharFormat& f) { f.setFontWeight(QFont::Bold); f.setFontItalic(true); f.setFontUnderline(true); },
         };
         for (const auto& s : set) {
             QTextCharFormat f = base();
             s(f);
             c.insertText(QStringLiteral("styled"), f);
             c.insertText(QStringLiteral(" "), base());
         }
     }},
    {"colours", [](QTextCursor& c) {
         QTextCharFormat f = base();
         f.setForeground(QColor(192, 0, 0));
         c.insertText(QStringLiteral("red"), f);
         f = base();
         f.setBackground(QColor(255, 255, 0));
         c.insertText(QStringLiteral("yellow"), f);
         f.setForeground(QColor(0, 112, 192));
         c.insertText(QStringLiteral("both"), f);
         f = base();
         f.setForeground(QColor(192, 0, 0));  // the same colour again: one table entry
         c.insertText(QStringLiteral("red again"), f);
     }},
    {"alignment", [](QTextCursor& c) {
         for (Qt::Alignment a : {Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify, Qt::AlignLeft}) {
             QTextBlockFormat bf;
             bf.setAlignment(a);
             c.insertBlock(bf, base());
             c.insertText(QStringLiteral("aligned"));
         }
     }},
    {"indents and spacing", [](QTextCursor& c) {
         QTextBlockFormat bf;
         bf.setLeftMargin(75.6);
         bf.setRightMargin(30);
         bf.setTextIndent(-20);
         bf.setTopMargin(4);
         bf.setBottomMargin(12);
         c.insertBlock(bf, base());
         c.insertText(QStringLiteral("indented"));
         bf = QTextBlockFormat();
         bf.setTextIndent(37.8);
         c.insertBlock(bf, base());
         c.insertText(QStringLiteral("first line"));
     }},
    {"bullets and numbers", [](QTextCursor& c) {
         c.insertBlock(QTextBlockFormat(), base());
         c.insertText(QStringLiteral("first bullet"));
         c.createList(QTextListFormat::ListDisc);
         c.insertBlock();
         c.insertText(QStringLiteral("second bullet"));
         c.insertBlock(QTextBlockFormat(), base());
         c.insertText(QStringLiteral("between"));
         c.insertBlock(QTextBlockFormat(), base());
         c.insertText(QStringLiteral("one"));
         c.createList(QTextListFormat::ListDecimal);
         c.insertBlock();
         c.insertText(QStringLiteral("two"));
     }},
    {"tabs", [](QTextCursor& c) {
         QTextBlockFormat bf;
         bf.setTabPositions({QTextOption::Tab(40, QTextOption::LeftTab),
                             QTextOption::Tab(200, QTextOption::RightTab),
                             QTextOption::Tab(300, QTextOption::CenterTab)});
         c.insertBlock(bf, base());
         c.insertText(QStringLiteral("a\tb\tc\td"));
     }},
    {"line, paragraph and page breaks", [](QTextCursor& c) {
         c.insertText(QStringLiteral("line one\u2028line two"), base());
         c.insertBlock();
         c.insertBlock();  // an empty paragraph
         c.insertText(QStringLiteral("before the break\f"));
         c.insertBlock();
         c.insertText(QStringLiteral("on the next page"));
         c.insertBlock();  // an empty last paragraph
     }},
    {"unicode and escapes", [](QTextCursor& c) {
         c.insertText(QStringLiteral("caf\u00E9 \u20AC \u201Cq\u201D \u03A9mega \u4E2D\u6587 \u2713 \U0001F600 "
                                     "{braces} back\\slash \u00A0nbsp soft\u00ADhyphen \u2011"),
                      base());
     }},
};

class RtfRoundTrip : public ::testing::TestWithParam<Feature> {};

TEST_P(RtfRoundTrip, KeepsFeature)
{
    QTextDocument doc;
    QTextCursor c(&doc);
    c.insertText(QStringLiteral("plain "), base());
    GetParam().build(c);
    c.insertText(QStringLiteral(" plain"), base());

    const QByteArray rtf = writeRtf(doc);
    ASSERT_TRUE(rtf.startsWith("{\\rtf1"));
    for (char ch : rtf)
        ASSERT_LT((unsigned char)ch, 0x80) << "RTF is 7-bit text";
    QTextDocument back;
    ASSERT_TRUE(readRtf(rtf, &back));
    EXPECT_EQ(describe(back).toStdString(), describe(doc).toStdString()) << rtf.constData();
    // Written again, the document gives the same bytes.
    EXPECT_EQ(writeRtf(back), rtf);
}

INSTANTIATE_TEST_SUITE_P(Features, RtfRoundTrip, ::testing::ValuesIn(kFeatures));

TEST(RtfRoundTrip, SuperAndSubscript)
{
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat f = base();
    c.insertText(QStringLiteral("E=mc"), f);
    f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    c.insertText(QStringLiteral("2"), f);
    f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    c.insertText(QStringLiteral("0"), f);
    QTextDocument back;
    ASSERT_TRUE(readRtf(writeRtf(doc), &back));
    EXPECT_EQ(describe(back), describe(doc));
}

TEST(RtfRoundTrip, EmptyDocument)
{
    QTextDocument doc;
    QTextDocument back;
    back.setPlainText(QStringLiteral("old text"));
    ASSERT_TRUE(readRtf(writeRtf(doc), &back));
    EXPECT_EQ(back.blockCount(), 1);
    EXPECT_TRUE(back.toPlainText().isEmpty());
    EXPECT_FALSE(back.isModified());
}

// ---------------------------------------------------------------------------
// Documents written by a word processor.

QTextDocument* readFixture(const char* name, QTextDocument* doc)
{
    QFile f(fixture(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    EXPECT_TRUE(readRtf(f.readAll(), doc));
    return doc;
}

TEST(RtfWordProcessor, FeaturesDocument)
{
    QTextDocument doc;
    readFixture("features.rtf", &doc);
    QStringList paragraphs;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        paragraphs << b.text();
    const QStringList expected = {
        "Plain paragraph in DejaVu Serif 12 points.",
        "Bold, italic, underline, strike-out, and bold italic.",
        "Red text, blue text, yellow background.",
        "Twenty points.",
        "Eight points.",
        "Centred paragraph.",
        "Right-aligned paragraph.",
        "Justified paragraph with enough words to wrap across more than one line when the page is of "
        "ordinary width, so that justification shows.",
        "Left indent of two centimetres.",
        "First-line indent of one centimetre, and the rest of the paragraph continues on the next line "
        "without that indent when it wraps.",
        "First bullet",
        "Second bullet",
        QStringLiteral("Unicode: caf\u00E9, na\u00EFve, \u03A9mega, \u20ACuro, \u201Cquotes\u201D, "
                       "\u4E2D\u6587, \u2713.\f"),
        "After a page break.",
        "Monospaced line.",
    };
    ASSERT_EQ(paragraphs.join(u'|').toStdString(), expected.join(u'|').toStdString());

    auto block = [&](int i) { return doc.findBlockByNumber(i); };
    // The character format of the text `word` in paragraph `i`.
    auto fmt = [&](int i, const QString& word) {
        const QTextBlock b = block(i);
        const int pos = int(b.text().indexOf(word));
        EXPECT_GE(pos, 0) << word.toStdString();
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment fr = it.fragment();
            if (fr.position() <= b.position() + pos && b.position() + pos < fr.position() + fr.length())
                return fr.charFormat();
        }
        return QTextCharFormat();
    };

    EXPECT_EQ(family(fmt(0, "Plain")), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(fmt(0, "Plain").fontPointSize(), 12);
    EXPECT_TRUE(fmt(1, "Bold").fontWeight() >= QFont::DemiBold);
    EXPECT_FALSE(fmt(1, ", ").fontWeight() >= QFont::DemiBold);
    EXPECT_TRUE(fmt(1, "italic").fontItalic());
    EXPECT_TRUE(fmt(1, "underline").fontUnderline());
    EXPECT_TRUE(fmt(1, "strike-out").fontStrikeOut());
    EXPECT_TRUE(fmt(1, "bold italic").fontItalic());
    EXPECT_TRUE(fmt(1, "bold italic").fontWeight() >= QFont::DemiBold);
    EXPECT_EQ(fmt(2, "Red").foreground().color(), QColor(0xc0, 0, 0));
    EXPECT_EQ(fmt(2, "blue").foreground().color(), QColor(0, 0x70, 0xc0));
    EXPECT_EQ(fmt(2, "yellow").background().color(), QColor(0xff, 0xff, 0));
    EXPECT_FALSE(fmt(2, ", ").hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(fmt(3, "Twenty").fontPointSize(), 20);
    EXPECT_EQ(fmt(4, "Eight").fontPointSize(), 8);
    EXPECT_EQ(block(5).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(block(6).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(block(7).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
    EXPECT_EQ(block(4).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_NEAR(block(8).blockFormat().leftMargin(), 2 / 2.54 * 96, 0.5);   // 2 cm
    EXPECT_NEAR(block(9).blockFormat().textIndent(), 1 / 2.54 * 96, 0.5);   // 1 cm
    EXPECT_EQ(block(9).blockFormat().leftMargin(), 0);
    ASSERT_NE(block(10).textList(), nullptr);
    EXPECT_EQ(block(10).textList(), block(11).textList());
    EXPECT_EQ(block(10).textList()->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(block(12).textList(), nullptr);
    EXPECT_EQ(block(9).textList(), nullptr);
    EXPECT_EQ(family(fmt(14, "Monospaced")), QStringLiteral("DejaVu Sans Mono"));
}

QString rawText(const QTextDocument& doc);

TEST(RtfWordProcessor, Letter)
{
    QTextDocument doc;
    readFixture("letter.rtf", &doc);
    EXPECT_EQ(rawText(doc).toStdString(),
              QStringLiteral("Dear reader,\nThis short letter has three paragraphs. The second one has a bold "
                             "word.\nKind regards,\u2028The writer").toStdString());
    const QTextBlock second = doc.findBlockByNumber(1);
    int boldChars = 0;
    for (auto it = second.begin(); !it.atEnd(); ++it)
        if (it.fragment().charFormat().fontWeight() >= QFont::DemiBold) {
            EXPECT_EQ(it.fragment().text(), QStringLiteral("bold"));
            boldChars += it.fragment().length();
        }
    EXPECT_EQ(boldChars, 4);
}

TEST(RtfWordProcessor, FixturesSurviveOurRoundTrip)
{
    for (const char* name : {"features.rtf", "letter.rtf"}) {
        QTextDocument doc;
        readFixture(name, &doc);
        QTextDocument back;
        ASSERT_TRUE(readRtf(writeRtf(doc), &back));
        EXPECT_EQ(describe(back).toStdString(), describe(doc).toStdString()) << name;
    }
}

// ---------------------------------------------------------------------------
// Our RTF read by unrtf.

QString unrtf(const QByteArray& rtf, const char* mode)
{
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("unrtf"));
    if (exe.isEmpty())
        return QString();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.rtf"));
    test::writeFile(path, rtf);
    QProcess p;
    p.start(exe, {QString::fromLatin1(mode), path});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString squeeze(QString s)
{
    s.replace(QChar(0x2022), u' ').replace(QChar(0x00A0), u' ');
    return s.simplified();
}

TEST(RtfInterop, UnrtfReadsOurText)
{
    if (QStandardPaths::findExecutable(QStringLiteral("unrtf")).isEmpty())
        GTEST_SKIP() << "unrtf is not installed";
    QTextDocument doc;
    readFixture("features.rtf", &doc);
    const QByteArray rtf = writeRtf(doc);
    const QString html = unrtf(rtf, "--html");
    ASSERT_FALSE(html.isEmpty());

    // unrtf's HTML, read back through Qt's HTML reader, holds our text in order.
    QTextDocument theirs;
    theirs.setHtml(html);
    const QString got = squeeze(theirs.toPlainText());
    qsizetype from = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QString want = squeeze(b.text().remove(QChar(0x0C)));
        const qsizetype at = got.indexOf(want, from);
        EXPECT_GE(at, 0) << "missing: " << want.toStdString() << "\nin: " << got.toStdString();
        if (at >= 0)
            from = at + want.size();
    }
    // And the formatting.
    for (const char* mark : {"<b>Bold</b>", "<i>italic</i>", "<u>underline</u>", "<s>strike-out</s>",
                             "color=\"#c00000\">Red text", "background:#ffff00\">yellow background",
                             "<center>", "align=\"right\"", "align=\"justify\"", "face=\"DejaVu Sans Mono\"",
                             "font-size:20pt\">Twenty points.", "<hr>", "&bull;"})
        EXPECT_TRUE(html.contains(QString::fromLatin1(mark))) << mark;
}

TEST(RtfInterop, UnrtfTextOfPlainDocument)
{
    if (QStandardPaths::findExecutable(QStringLiteral("unrtf")).isEmpty())
        GTEST_SKIP() << "unrtf is not installed";
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("First line {with braces}\nSecond \\ line\tand a tab"));
    const QString text = unrtf(writeRtf(doc), "--text");
    const qsizetype body = text.indexOf(QStringLiteral("-----------------\n"));
    ASSERT_GE(body, 0) << text.toStdString();
    // unrtf writes a tab as blanks; the words and lines are ours.
    EXPECT_EQ(text.mid(body + 18).simplified(), QStringLiteral("First line {with braces} Second \\ line and a tab"))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("{with braces}\nSecond"))) << text.toStdString();
}

// ---------------------------------------------------------------------------
// What other writers produce.

// The paragraphs' text as it is stored (line separators and no-break spaces
// kept), one line each.
QString rawText(const QTextDocument& doc)
{
    QStringList lines;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        lines << b.text();
    return lines.join(u'\n');
}

QString plain(const QByteArray& rtf)
{
    QTextDocument doc;
    EXPECT_TRUE(readRtf(rtf, &doc));
    return rawText(doc);
}

TEST(RtfReader, TextOfConstructs)
{
    struct R {
        const char* name;
        QByteArray rtf;
        QString text;
    } cases[] = {
        {"minimal", "{\\rtf1 Hello}", "Hello"},
        {"final par adds no paragraph", "{\\rtf1 a\\par}", "a"},
        {"empty paragraphs", "{\\rtf1 a\\par\\par b\\par\\par}", "a\n\nb\n"},
        {"control symbols", "{\\rtf1 \\{x\\} \\\\ a\\~b\\-c\\_d}", QStringLiteral("{x} \\ a\u00A0b\u00ADc\u2011d")},
        {"newline in source is nothing", "{\\rtf1 a\r\nb\nc}", "abc"},
        {"escaped newline is a paragraph", "{\\rtf1 a\\\nb}", "a\nb"},
        {"special words", "{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}",
         QStringLiteral("\u2014\u2013\u2022\u2018\u2019\u201C\u201D")},
        {"tab and line", "{\\rtf1 a\\tab b\\line c}", QStringLiteral("a\tb\u2028c")},
        {"page", "{\\rtf1 a\\page b}", "a\f\nb"},
        {"page break before", "{\\rtf1 a\\par\\pard\\pagebb b\\par}", "a\f\nb"},
        {"hex in cp1252", "{\\rtf1\\ansi caf\\'e9 \\'80\\'93}", QStringLiteral("caf\u00E9 \u20AC\u201C")},
        {"raw 8-bit text", "{\\rtf1\\ansi caf\xe9}", QStringLiteral("caf\u00E9")},
        {"ansicpg 1251", "{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0\\'e8}", QStringLiteral("\u041F\u0440\u0438")},
        {"font charset", "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Arial Cyr;}}\\f1 \\'cf\\f0 \\'e9}",
         QStringLiteral("\u041F\u00E9")},
        {"shift-jis font", "{\\rtf1{\\fonttbl{\\f1\\fcharset128 MS Mincho;}}\\f1 \\'82\\'a0\\'82\\'a2}",
         QStringLiteral("\u3042\u3044")},
        {"unicode with fallback", "{\\rtf1 \\u233\\'e9t\\u-3913?}", QStringLiteral("\u00E9t\uF0B7")},
        {"uc2", "{\\rtf1\\uc2 \\u20013\\'3f\\'3fx}", QStringLiteral("\u4E2Dx")},
        {"uc0", "{\\rtf1\\uc0 \\u20013 x}", QStringLiteral("\u4E2Dx")},
        {"uc is scoped", "{\\rtf1 {\\uc2 \\u937 ??}\\u937?z}", QStringLiteral("\u03A9\u03A9z")},
        {"fallback ends with group", "{\\rtf1\\uc3 \\u937{}ab}", QStringLiteral("\u03A9ab")},
        {"surrogate pair", "{\\rtf1 \\u-10179?\\u-8704?}", QStringLiteral("\U0001F600")},
        {"lone surrogate", "{\\rtf1 \\u-10179?x}", QStringLiteral("\uFFFDx")},
        {"object and frame marks dropped", "{\\rtf1 a\\u-4?b\\u-560?\\u-559?c}", "abc"},
        {"unicode out of range", "{\\rtf1 \\u70000?\\u-70000?\\u99999999999999999999?x}",
         QStringLiteral("\uFFFD\uFFFD\uFFFDx")},
        {"field result kept", "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}} after}",
         "link after"},
        {"ignorable destination", "{\\rtf1 a{\\*\\unknowndest hidden {nested}}b}", "ab"},
        {"known skipped destinations",
         "{\\rtf1{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}{\\header head}a"
         "{\\footnote note}b{\\listtext 1.\\tab}c}",
         "abc"},
        {"picture with binary", "{\\rtf1 a{\\pict\\wmetafile8\\bin6 }}{{\\ b}c}", "ac"},
        {"hidden text", "{\\rtf1 a{\\v hidden}b}", "ab"},
        {"unknown words ignored", "{\\rtf1\\foo\\bar12 a\\baz-3 b}", "ab"},
        {"upr keeps the unicode version", "{\\rtf1{\\upr{ansi}{\\*\\ud{uni}}}x}", "unix"},
        {"table cells", "{\\rtf1\\trowd a\\cell b\\cell\\row c\\par}", "a\tb\t\nc"},
        {"text after the closing brace ignored", "{\\rtf1 a}trailing {\\b junk}", "a"},
    };
    for (const R& r : cases)
        EXPECT_EQ(plain(r.rtf).toStdString(), r.text.toStdString()) << r.name;
}

TEST(RtfReader, WordPadBullets)
{
    QTextDocument doc;
    ASSERT_TRUE(readRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}"
                        "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}"
                        "\\fi-360\\li720 one\\par{\\pntext\\f1\\'B7\\tab}two\\par\\pard plain\\par"
                        "{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart1{\\pntxta.}}\\li720 n\\par}",
                        &doc));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("one\ntwo\nplain\nn"));
    const QTextBlock one = doc.findBlockByNumber(0);
    ASSERT_NE(one.textList(), nullptr);
    EXPECT_EQ(one.textList()->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(doc.findBlockByNumber(1).textList(), one.textList());
    EXPECT_EQ(doc.findBlockByNumber(2).textList(), nullptr);
    ASSERT_NE(doc.findBlockByNumber(3).textList(), nullptr);
    EXPECT_EQ(doc.findBlockByNumber(3).textList()->format().style(), QTextListFormat::ListDecimal);
}

TEST(RtfReader, WordListTable)
{
    // Word's list table: \ls1 numbers with decimals, \ls2 shows bullets.
    QTextDocument doc;
    ASSERT_TRUE(readRtf("{\\rtf1{\\*\\listtable"
                        "{\\list\\listtemplateid1{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}"
                        "\\listid100}"
                        "{\\list\\listtemplateid2{\\listlevel\\levelnfc23{\\leveltext\\'01\\u-3913 ?;}}\\listid200}}"
                        "{\\listoverridetable{\\listoverride\\listid100\\listoverridecount0\\ls1}"
                        "{\\listoverride\\listid200\\listoverridecount0\\ls2}}"
                        "\\pard\\ls1\\ilvl0 {\\listtext 1.\\tab}first\\par{\\listtext 2.\\tab}second\\par"
                        "\\pard\\ls2 {\\listtext \\'b7\\tab}dot\\par\\pard end\\par}",
                        &doc));
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("first\nsecond\ndot\nend"));
    ASSERT_NE(doc.findBlockByNumber(0).textList(), nullptr);
    EXPECT_EQ(doc.findBlockByNumber(0).textList()->format().style(), QTextListFormat::ListDecimal);
    EXPECT_EQ(doc.findBlockByNumber(1).textList(), doc.findBlockByNumber(0).textList());
    ASSERT_NE(doc.findBlockByNumber(2).textList(), nullptr);
    EXPECT_EQ(doc.findBlockByNumber(2).textList()->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(doc.findBlockByNumber(3).textList(), nullptr);
}

TEST(RtfReader, FormattingWords)
{
    QTextDocument doc;
    ASSERT_TRUE(readRtf("{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman{\\*\\falt Times} Times New Roman;}}"
                        "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                        "\\f1\\fs30\\b\\i\\ul\\strike\\cf1\\highlight2 x\\plain y\\b z\\b0\\ulnone\\cb1 w"
                        "\\cf0\\cb0\\chcbpat2 v}",
                        &doc));
    const QTextBlock b = doc.begin();
    auto at = [&](int i) {
        QTextCursor c(&doc);
        c.setPosition(b.position() + i + 1);
        return c.charFormat();
    };
    EXPECT_EQ(b.text(), QStringLiteral("xyzwv"));
    QTextCharFormat x = at(0);
    EXPECT_EQ(family(x), QStringLiteral("Times New Roman"));
    EXPECT_EQ(x.fontPointSize(), 15);
    EXPECT_TRUE(x.fontWeight() >= QFont::DemiBold && x.fontItalic() && x.fontUnderline() && x.fontStrikeOut());
    EXPECT_EQ(x.foreground().color(), QColor(Qt::red));
    EXPECT_EQ(x.background().color(), QColor(Qt::blue));
    QTextCharFormat y = at(1);  // \plain: default font, 12 points, nothing else
    EXPECT_EQ(family(y), QStringLiteral("Arial"));
    EXPECT_EQ(y.fontPointSize(), 12);
    EXPECT_FALSE(y.fontWeight() >= QFont::DemiBold || y.fontItalic() || y.fontUnderline());
    EXPECT_FALSE(y.hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_TRUE(at(2).fontWeight() >= QFont::DemiBold);
    EXPECT_EQ(at(3).background().color(), QColor(Qt::red));
    EXPECT_EQ(at(4).background().color(), QColor(Qt::blue));
    EXPECT_FALSE(at(4).hasProperty(QTextFormat::ForegroundBrush));
}

TEST(RtfReader, ParagraphPropertiesAtTheEndCount)
{
    // The properties in force at \par are the paragraph's.
    QTextDocument doc;
    ASSERT_TRUE(readRtf("{\\rtf1\\pard text\\qc\\li1440\\par next\\par}", &doc));
    EXPECT_EQ(doc.begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(doc.begin().blockFormat().leftMargin(), 96);
}

TEST(RtfReader, RejectsWhatIsNotRtf)
{
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("old"));
    QString error;
    EXPECT_FALSE(readRtf("plain text", &doc, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(doc.isEmpty());
    EXPECT_FALSE(readRtf(QByteArray(), &doc));
}

// ---------------------------------------------------------------------------
// Damaged and hostile input: the reader finishes, quickly, with what it can.

TEST(RtfRobustness, DamagedInput)
{
    struct D {
        const char* name;
        QByteArray rtf;
        QString text;
    } cases[] = {
        {"missing closing braces", "{\\rtf1 a{\\b b{\\i c", "abc"},
        {"extra closing braces", "{\\rtf1 a}}}}b", "a"},
        {"closing brace inside", "{\\rtf1 a{\\b b}}c}", "ab"},
        {"backslash at end", "{\\rtf1 a\\", "a"},
        {"hex at end", "{\\rtf1 a\\'4", "a"},
        {"hex without digits", "{\\rtf1 a\\'zz}", "azz"},
        {"absurd numbers", "{\\rtf1\\fs999999999999999999999\\li-99999999999999\\fi99999999999\\cf99999999 a"
                           "\\tx99999999999\\sb-5\\uc99999999 \\u65?bcdefghijklmnopqrst}",
         "aAqrst"},
        {"absurd bin", "{\\rtf1 a\\bin99999999999999 xyz}", "a"},
        {"negative bin", "{\\rtf1 a\\bin-5 b}", "ab"},
        {"long control word", QByteArray("{\\rtf1 \\") + QByteArray(100000, 'x') + " a}", "a"},
        {"huge tables", QByteArray("{\\rtf1{\\colortbl") + QByteArray(200000, ';') + "}{\\fonttbl"
                            + QByteArray(50000, ';') + "}a}",
         "a"},
    };
    for (const D& d : cases)
        EXPECT_EQ(plain(d.rtf).toStdString(), d.text.toStdString()) << d.name;
}

TEST(RtfRobustness, DeepNesting)
{
    // A megabyte of nested groups is read in linear time and bounded memory;
    // the text inside still arrives.
    for (const bool closed : {true, false}) {
        const int depth = 500000;
        QByteArray rtf = "{\\rtf1 a" + QByteArray(depth, '{') + "\\b deep";
        if (closed)
            rtf += QByteArray(depth, '}') + " z}";
        QElapsedTimer t;
        t.start();
        QTextDocument doc;
        ASSERT_TRUE(readRtf(rtf, &doc));
        EXPECT_EQ(doc.toPlainText(), closed ? QStringLiteral("adeep z") : QStringLiteral("adeep"));
        EXPECT_LT(t.elapsed(), 20000);  // a guard against quadratic behaviour, not a speed test
    }
    // Groups beyond the depth limit share their parent's state, so closing
    // them restores it correctly.
    QByteArray rtf = "{\\rtf1 " + QByteArray(1000, '{') + "\\b " + QByteArray(1000, '}') + "plain}";
    QTextDocument doc;
    ASSERT_TRUE(readRtf(rtf, &doc));
    QTextCursor c(&doc);
    c.setPosition(2);
    EXPECT_FALSE(c.charFormat().fontWeight() >= QFont::DemiBold);
}

TEST(RtfRobustness, EveryTruncationOfAFixture)
{
    QFile f(fixture("features.rtf"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray all = f.readAll();
    QTextDocument full;
    ASSERT_TRUE(readRtf(all, &full));
    const QString fullText = full.toPlainText();
    for (qsizetype n = 5; n <= all.size(); n += 3) {
        QTextDocument doc;
        ASSERT_TRUE(readRtf(all.left(n), &doc));
        // What is read of a prefix is a prefix of the text (allowing the
        // last paragraph's page-break mark and a half-read character).
        const QString got = doc.toPlainText();
        const QString common = got.left(got.size() - 2);
        ASSERT_TRUE(fullText.startsWith(common)) << "prefix " << n << ": " << got.toStdString();
    }
}

}  // namespace
