#pragma once
// Units and characters shared by the RTF reader and writer.
#include <QtGlobal>
#include <cmath>

namespace zx {

// A page break in the document: a form feed at the end of a paragraph.
constexpr char16_t kPageBreak = 0x000C;

// Document lengths are screen pixels at 96 per inch; RTF counts twips
// (1440 per inch).
inline qreal twipsToPixels(int twips) { return twips / 15.0; }
inline int pixelsToTwips(qreal px) { return int(std::lround(px * 15.0)); }

}  // namespace zx
