// Plain-text encodings: the choice of encoding, the bytes written, the
// encoding question, Save As entries and reading files back.
#include "memo/utf8.h"

#include "support/scripteduserinterface.h"
#include "support/testenv.h"

#include <QDir>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace zx;

namespace {

QByteArray hex(const char* h) { return QByteArray::fromHex(h); }

TEST(Encoding, DetectEncoding)
{
    struct D {
        QString text;
        textencoding expected;
    } cases[] = {
        {QString(), textencoding::Ansi},
        {QStringLiteral("plain ASCII text\r\n"), textencoding::Ansi},
        {QStringLiteral("\u00A9 2024 \u00A9"), textencoding::Ansi},          // the copyright sign is plain
        {QStringLiteral("abcdef\u00E9\u00E8"), textencoding::Utf8},         // 8 units, 2 international
        {QStringLiteral("abcde\u00E9\u00E8\u00EA"), textencoding::Utf16},   // 8 units, 3 international
        {QStringLiteral("\u20AC"), textencoding::Utf16},                    // 1 of 1
        {QStringLiteral("abc\u007F"), textencoding::Ansi},
        {QStringLiteral("abc\u0080"), textencoding::Utf8},                  // 1 of 4 is not more than a quarter
    };
    for (const D& d : cases)
        EXPECT_EQ(int(detectencoding(d.text)), int(d.expected)) << d.text.toStdString();
}

TEST(Encoding, DetectEncodingAgreesWithUnitByUnitScan)
{
    // Texts of every length up to 40 and a long one, with international units
    // placed at random: the fast scan gives what counting unit by unit gives.
    const char16_t pool[] = {u'a', u' ', 0x7F, 0xA9, 0x80, 0xE9, 0x20AC, 0xD83D, 0xFF};
    QRandomGenerator rng(7);
    for (int round = 0; round < 4000; ++round) {
        const int n = round < 3000 ? round % 41 : 5000 + int(rng.bounded(100));
        const int spread = int(rng.bounded(1, 10));
        QString t;
        for (int i = 0; i < n; ++i)
            t += QChar(rng.bounded(spread * 4) < 4 ? pool[rng.bounded(9)] : u'x');
        qsizetype k = 0;
        for (QChar c : t)
            k += !isPlainUnit(c.unicode());
        const textencoding want = k == 0 ? textencoding::Ansi
                                  : k > t.size() / 4 ? textencoding::Utf16
                                                     : textencoding::Utf8;
        ASSERT_EQ(int(detectencoding(t)), int(want)) << t.size() << " units, " << k << " international";
    }
}

TEST(Encoding, EncodeTextBytes)
{
    struct E {
        QString text;
        textencoding enc;
        bool bom;
        QByteArray bytes;
    } cases[] = {
        {QString(), textencoding::Utf8, true, {}},
        {QString(), textencoding::Utf16, true, {}},
        {QStringLiteral("a\u00E9"), textencoding::Utf8, true, hex("efbbbf61c3a9")},
        {QStringLiteral("a\u00E9"), textencoding::Utf8, false, hex("61c3a9")},
        {QStringLiteral("a\u20AC"), textencoding::Utf16, true, hex("fffe6100ac20")},
        {QStringLiteral("a\u20AC"), textencoding::Utf16, false, hex("6100ac20")},
        {QStringLiteral("\U0001F600"), textencoding::Utf16, false, hex("3dd800de")},
        // Ansi keeps the low 8 bits of each unit; it is not a code-page conversion.
        {QStringLiteral("\u00E9\u20AC\u00A9z"), textencoding::Ansi, true, hex("e9aca97a")},
        // Auto without asking: plain text is Ansi, otherwise the detected encoding.
        {QStringLiteral("a\u00A9"), textencoding::Auto, true, hex("61a9")},
        {QStringLiteral("abcdef\u00E9\u00E8"), textencoding::Auto, true, hex("efbbbf616263646566c3a9c3a8")},
    };
    for (const E& e : cases)
        EXPECT_EQ(encodetext(e.text, e.enc, e.bom, false).toHex(), e.bytes.toHex())
            << e.text.toStdString();
}

TEST(Encoding, QuestionDecidesAutoEncoding)
{
    struct Q {
        QString text;
        bool answer;
        QByteArray bytes;
        const char* name;
    } cases[] = {
        {QStringLiteral("abcdef\u00E9\u00E8"), true, hex("efbbbf616263646566c3a9c3a8"), "UTF8"},
        {QStringLiteral("abcde\u00E9\u00E8\u00EA"), true,
         hex("fffe61006200630064006500e900e800ea00"), "UTF16"},
        {QStringLiteral("abcdef\u00E9\u00E8"), false, hex("616263646566e9e8"), "UTF8"},
        {QStringLiteral("\u0100\u20AC"), false, hex("00ac"), "UTF16"},
    };
    for (const Q& q : cases) {
        test::ScriptedUserInterface ui;
        ui.expectConfirm(q.answer);
        EXPECT_EQ(encodetext(q.text, textencoding::Auto, true, true, &ui).toHex(), q.bytes.toHex());
        ASSERT_EQ(ui.log().size(), 1);
        EXPECT_TRUE(ui.log()[0].text.contains(encodingQuestion(QString::fromLatin1(q.name))));
    }
    EXPECT_EQ(encodingQuestion(QStringLiteral("UTF8")),
              QStringLiteral("The text contains international characters.\n"
                             "Do you wish to save this file in UTF8 encoding?\n"
                             "If you choose 'NO', the international characters\n"
                             "will be lost."));

    // Plain text and empty text never ask.
    test::ScriptedUserInterface ui;
    EXPECT_EQ(encodetext(QStringLiteral("x \u00A9"), textencoding::Auto, true, true, &ui), hex("7820a9"));
    EXPECT_TRUE(encodetext(QString(), textencoding::Auto, true, true, &ui).isEmpty());
    EXPECT_TRUE(ui.log().isEmpty());
}

TEST(Encoding, SaveAsEntries)
{
    EXPECT_EQ(saveAsEncodingNames(),
              QStringList({"Default", "ANSI/ASCII", "ANSI/ASCII with UNIX line terminators - LF", "UTF-8",
                           "UTF-16", "UTF-8 - NO BOM", "UTF-16 - NO BOM"}));
    const QString text = QStringLiteral("a\u00E9\r\nb\rc");
    struct S {
        SaveAsEncoding entry;
        QByteArray bytes;
    } cases[] = {
        {SaveAsEncoding::Ansi, hex("61e90d0a620d63")},
        {SaveAsEncoding::AnsiLf, hex("61e90a620d63")},  // CR LF becomes LF, the lone CR stays
        {SaveAsEncoding::Utf8, hex("efbbbf61c3a90d0a620d63")},
        {SaveAsEncoding::Utf16, hex("fffe6100e9000d000a0062000d006300")},
        {SaveAsEncoding::Utf8NoBom, hex("61c3a90d0a620d63")},
        {SaveAsEncoding::Utf16NoBom, hex("6100e9000d000a0062000d006300")},
    };
    for (const S& s : cases)
        EXPECT_EQ(encodeForSaveAs(text, s.entry).toHex(), s.bytes.toHex()) << int(s.entry);
    EXPECT_EQ(encodeForSaveAs(QStringLiteral("a\r\nb"), SaveAsEncoding::AnsiLf), hex("610a62"));

    // Default is Save's rule: it asks, and No gives the low bytes.
    test::ScriptedUserInterface ui;
    ui.expectConfirm(false);
    EXPECT_EQ(encodeForSaveAs(text, SaveAsEncoding::Default, &ui), hex("61e90d0a620d63"));
    EXPECT_EQ(ui.log().size(), 1);

    EXPECT_EQ(int(preselectedSaveAsEncoding(QStringLiteral("abc"))), int(SaveAsEncoding::Default));
    EXPECT_EQ(int(preselectedSaveAsEncoding(QStringLiteral("abcdef\u00E9"))), int(SaveAsEncoding::Utf8));
    EXPECT_EQ(int(preselectedSaveAsEncoding(QStringLiteral("\u00E9"))), int(SaveAsEncoding::Utf16));
}

TEST(Encoding, LineEnds)
{
    EXPECT_EQ(crlfToLf(QStringLiteral("a\r\n\r\nb\r\rc\n")), QStringLiteral("a\n\nb\r\rc\n"));
    EXPECT_EQ(toCrLf(QStringLiteral("a\nb\r\nc\rd\u2029e\u2028f")),
              QStringLiteral("a\r\nb\r\nc\r\nd\r\ne\r\nf"));

    // A document's text as saved: CR LF line ends, no-break spaces and page
    // breaks kept; loading it back gives the same paragraphs.
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("one\u00A0two\f\nthree\r\n\nfour"));
    QTextCursor c(&doc);
    c.movePosition(QTextCursor::End);
    c.insertText(QStringLiteral("\u2028five"));
    EXPECT_EQ(documentPlainText(doc), QStringLiteral("one\u00A0two\f\r\nthree\r\n\r\nfour\r\nfive"));
    QTextDocument back;
    back.setPlainText(decodePlainText(encodetext(documentPlainText(doc), textencoding::Utf8, true, false)));
    EXPECT_EQ(back.blockCount(), 5);
    EXPECT_EQ(back.findBlockByNumber(0).text(), QStringLiteral("one\u00A0two\f"));
}

TEST(Encoding, WriteTextFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("note.txt"));
    QString error;
    ASSERT_TRUE(writetextfile(QStringLiteral("x\u00E9"), path, textencoding::Utf16, true, false, nullptr, &error));
    EXPECT_EQ(test::readFile(path), hex("fffe7800e900"));

    // An empty text truncates to an empty file.
    ASSERT_TRUE(writetextfile(QString(), path, textencoding::Auto, true, true, nullptr, &error));
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(QFileInfo(path).size(), 0);

    ASSERT_TRUE(writeSaveAsFile(QStringLiteral("a\r\nb"), path, SaveAsEncoding::AnsiLf, nullptr, &error));
    EXPECT_EQ(test::readFile(path), hex("610a62"));

    const QString bad = dir.filePath(QStringLiteral("missing/dir/note.txt"));
    EXPECT_FALSE(writetextfile(QStringLiteral("abc"), bad, textencoding::Ansi, false, false, nullptr, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot create file \"") + bad + QStringLiteral("\". ")))
        << error.toStdString();
    EXPECT_GT(error.size(), QStringLiteral("Cannot create file \"\". ").size() + bad.size());
}

TEST(Encoding, RtfDetection)
{
    struct R {
        QByteArray head;
        qint64 size;
        bool rtf;
    } cases[] = {
        {"{\\rtf1\\ansi", 100, true},
        {"{\\rtf1 ", 7, true},
        {"{\\rtf1", 6, false},   // six bytes or less is plain text
        {"{\\rtf", 5, false},
        {"{\\RTF1\\ansi", 100, false},
        {" {\\rtf1\\ansi", 100, false},
        {"", 0, false},
    };
    for (const R& r : cases)
        EXPECT_EQ(looksLikeRtf(r.head, r.size), r.rtf) << r.head.constData();

    QTemporaryDir dir;
    const QString six = dir.filePath(QStringLiteral("six.rtf"));
    const QString seven = dir.filePath(QStringLiteral("seven.rtf"));
    test::writeFile(six, "{\\rtf1");
    test::writeFile(seven, "{\\rtf1}");
    EXPECT_FALSE(isRtfFile(six));
    EXPECT_TRUE(isRtfFile(seven));
    EXPECT_FALSE(isRtfFile(dir.filePath(QStringLiteral("missing.rtf"))));
}

TEST(Encoding, DecodePlainText)
{
    struct P {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {hex("fffe6100ac20"), QStringLiteral("a\u20AC")},            // UTF-16 LE
        {hex("feff006120ac"), QStringLiteral("a\u20AC")},            // UTF-16 BE
        {hex("efbbbf61e282ac"), QStringLiteral("a\u20AC")},          // UTF-8 with BOM
        {hex("61e282ac"), QStringLiteral("a\u20AC")},                // valid UTF-8
        {hex("f09f9880"), QStringLiteral("\U0001F600")},
        {hex("61e9"), QStringLiteral("a\u00E9")},                    // not UTF-8: Windows-1252
        {hex("80939f"), QStringLiteral("\u20AC\u201C\u0178")},
        {hex("818d8f909d"), QStringLiteral("\u0081\u008D\u008F\u0090\u009D")},
        {hex("c0af"), QStringLiteral("\u00C0\u00AF")},               // overlong '/'
        {hex("eda080"), QStringLiteral("\u00ED\u00A0\u20AC")},       // encoded surrogate
        {hex("f4908080"), QStringLiteral("\u00F4\u0090\u20AC\u20AC")},  // above U+10FFFF
        {hex("61e282"), QStringLiteral("a\u00E2\u201A")},            // truncated sequence
        {hex("fffe61"), QStringLiteral("\uFFFD")},                   // odd UTF-16 byte
        {hex("fffefffe"), QStringLiteral("\uFEFF")},                 // a second BOM is text
        {hex("efbbbfefbbbf61"), QStringLiteral("\uFEFFa")},
        {hex("fffefffeac"), QStringLiteral("\uFEFF\uFFFD")},
        {QByteArray(), QString()},
    };
    for (const P& p : cases)
        EXPECT_EQ(decodePlainText(p.bytes), p.text) << p.bytes.toHex().constData();
}

TEST(Encoding, AnsiSaveReadsBack)
{
    // Latin-1 text saved with "ANSI/ASCII" reads back unchanged.
    QString latin;
    for (char16_t u = 0x20; u < 0x100; ++u)
        if (u < 0x7F || u >= 0xA0)
            latin += QChar(u);
    EXPECT_EQ(decodePlainText(encodetext(latin, textencoding::Ansi, false, false)), latin);
    EXPECT_EQ(decodePlainText(encodetext(latin, textencoding::Utf8, true, false)), latin);
    EXPECT_EQ(decodePlainText(encodetext(latin, textencoding::Utf16, true, false)), latin);
}

TEST(Encoding, Utf8ValidationAgreesWithQt)
{
    // Random byte strings built from UTF-8 fragments, valid and broken, are
    // judged as Qt's own strict decoder judges them.
    const QList<QByteArray> parts = {"a", "z\n", hex("c3a9"), hex("e282ac"), hex("f09f9880"), hex("c0"),
                                     hex("80"), hex("e2"), hex("eda080"), hex("efbfbf"), hex("f4908080"),
                                     hex("e08080"), hex("f08f8080"), hex("ff"), hex("c2"), hex("0001")};
    QRandomGenerator rng(42);
    int valid = 0;
    for (int round = 0; round < 20000; ++round) {
        QByteArray b;
        const int n = int(rng.bounded(1, 12));
        for (int k = 0; k < n; ++k)
            b += parts[int(rng.bounded(qsizetype(parts.size())))];
        QStringDecoder dec(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString s = dec.decode(b);
        const bool qtValid = !dec.hasError();
        ASSERT_EQ(isValidUtf8(b.constData(), b.size()), qtValid) << b.toHex().constData();
        valid += qtValid;
    }
    EXPECT_GT(valid, 100);
}

}  // namespace
