#pragma once
// Number, size and date texts, and the colours and shortening of names.

#include <QLocale>
#include <QString>
#include <functional>

namespace zx {

// The locale used for numbers and dates, read once at start. Tests may set
// their own.
const QLocale& displayLocale();
void setDisplayLocale(const QLocale& l);

// "0" for zero, else the integer with thousands separators.
QString commas(qint64 value);
// The "#,#.#" pattern: separators, at most one decimal, none when it is 0.
QString formatOneDecimal(double value);
// "20 Mb" above 10,485,760 bytes, else "1,234 bytes".
QString freeSpaceText(qint64 freeBytes);
// "5/7/2014  3:05PM"; empty for 0.
QString getdatetimestring(qint64 msSinceEpoch);
// "D", "S", "R", "H", "A" letters of the set attributes.
QString attributeLetters(quint32 attr);
// The size column: "<DIR>  ", "<Up DIR>  ", "1,234", or "1.5Mb" when the
// size is at least 1,000,000 and the name is wider than half the name area.
QString sizeColumnText(bool isdir, bool isUp, qint64 size, bool nameIsWide);

// Index 0..19 into the type colours: 0 for directories, else by extension.
int typeColorIndex(const QString& name, bool isdir);

// Shortens name with "~" until width(name) <= avail.
QString shortenName(const QString& name, const std::function<int(const QString&)>& width, int avail);

// Tagged total: "1,234 bytes in 2 files selected"; empty when none.
QString taggedTotalText(qint64 bytes, int count);

}  // namespace zx
