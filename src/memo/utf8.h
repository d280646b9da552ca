#pragma once
// Text encodings of the editor: which encoding a plain text is saved in, the
// bytes it becomes, and how plain-text files are read back.
//
// The editor keeps a plain text with CR LF line ends when it saves it; the
// functions here write the text exactly as they get it.

#include <QByteArray>
#include <QString>
#include <QStringList>

class QTextDocument;

namespace zx {

class UserInterface;

// Auto decides from the text; Ansi writes one byte per UTF-16 unit (its low
// 8 bits), Utf16 is little-endian.
enum class textencoding { Auto = 0, Ansi = 1, Utf16 = 2, Utf8 = 3 };

// A unit is plain when it is at most 127 or the copyright sign U+00A9;
// everything else is international.
constexpr bool isPlainUnit(char16_t u) { return u <= 127 || u == 0xA9; }

// Ansi when the text has no international unit; Utf16 when more than a
// quarter of its units are international; Utf8 otherwise.
textencoding detectencoding(const QString& text);

// The encoding question's text; `name` is "UTF8" or "UTF16".
QString encodingQuestion(const QString& name);

// The bytes of `text` in `encoding`. Auto takes detectencoding; with `ask`
// set and international characters present, `ui` is asked the encoding
// question (no ui: the answer is Yes) and No writes Ansi. An empty text
// gives no bytes.
QByteArray encodetext(const QString& text, textencoding encoding, bool withBom, bool ask,
                      UserInterface* ui = nullptr);

// Encodes and writes `text` to `fileName`. The file is replaced only when all
// bytes were written (an existing file is never left truncated). On failure
// returns false and sets *error to "Cannot create file "<name>". <reason>".
bool writetextfile(const QString& text, const QString& fileName, textencoding encoding,
                   bool withBom, bool ask, UserInterface* ui = nullptr,
                   QString* error = nullptr);

// The encodings offered by Save As, in list order.
enum class SaveAsEncoding {
    Default = 0,    // as Save: Auto with BOM, asking
    Ansi = 1,
    AnsiLf = 2,     // CR LF pairs become LF, then Ansi
    Utf8 = 3,
    Utf16 = 4,
    Utf8NoBom = 5,
    Utf16NoBom = 6,
};
QStringList saveAsEncodingNames();
// The entry preselected for `text`: UTF-8 or UTF-16 when detectencoding says
// so, otherwise Default.
SaveAsEncoding preselectedSaveAsEncoding(const QString& text);
// The bytes Save As writes for a plain text with the chosen list entry.
QByteArray encodeForSaveAs(const QString& text, SaveAsEncoding entry, UserInterface* ui = nullptr);
bool writeSaveAsFile(const QString& text, const QString& fileName, SaveAsEncoding entry,
                     UserInterface* ui = nullptr, QString* error = nullptr);

// Every CR LF pair becomes a single LF; a lone CR stays.
QString crlfToLf(const QString& text);
// Every line end (LF, CR LF, lone CR, U+2028, U+2029) becomes CR LF, as a
// saved plain text has it.
QString toCrLf(const QString& text);
// The text of a document as a plain-text file holds it: paragraphs and line
// breaks end in CR LF, no-break spaces and form feeds stay as they are
// (QTextDocument::toPlainText would turn them into blanks and LFs).
QString documentPlainText(const QTextDocument& doc);

// RTF detection: more than 6 bytes that begin with "{\rtf".
bool looksLikeRtf(const QByteArray& head, qint64 fileSize);
// The same for a file; a file that cannot be read counts as plain text.
bool isRtfFile(const QString& fileName);

// Decodes a plain-text file's bytes: a byte-order mark selects UTF-16 LE,
// UTF-16 BE or UTF-8; without one the bytes are UTF-8 when they are valid
// UTF-8, else Windows-1252.
QString decodePlainText(const QByteArray& bytes);
// Windows-1252 to text (the five unassigned bytes become U+0081 etc.).
QString decodeWindows1252(const char* data, qsizetype size);
char16_t windows1252Char(unsigned char byte);
// True when the bytes are valid UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(const char* data, qsizetype size);

// Reads a plain-text file; false (and *error) when it cannot be read.
bool readPlainTextFile(const QString& fileName, QString* text, QString* error = nullptr);

}  // namespace zx
