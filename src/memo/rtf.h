#pragma once
// Rich text files: reading RTF into a QTextDocument and writing a
// QTextDocument as RTF.
//
// Kept: fonts, sizes, bold, italic, underline, strike-out, super- and
// subscript, text and background colours, paragraph alignment, first-line,
// left and right indents, space before and after, tab stops, bulleted and
// numbered lists, tabs, line breaks (U+2028 in the document) and page breaks
// (a form feed, U+000C, at the end of a paragraph; "\page" in RTF).
// Everything else a word processor writes (pictures, style sheets, document
// information, fields' instructions, headers, footnotes, ...) is skipped.

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace zx {

// Replaces the document's content by the RTF in `data`. Returns false, with
// the document left empty and *error set, when `data` is not RTF. Damaged
// RTF (unbalanced braces, a truncated file, absurd numbers, very deep
// nesting) is read as far as it makes sense; it never fails halfway.
//
// For large files pass a document that no view shows yet: every insertion
// into a shown document is laid out at once.
bool readRtf(const QByteArray& data, QTextDocument* doc, QString* error = nullptr);

// The document as RTF (code page 1252, other characters as \uN escapes).
QByteArray writeRtf(const QTextDocument& doc);

}  // namespace zx
