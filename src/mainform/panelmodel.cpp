#include "mainform/panelmodel.h"

namespace zx {

bool PanelModel::backdir(int i) const
{
    return valid(i) && entries[i].isNavigational();
}

int PanelModel::numtagged() const
{
    int n = 0;
    for (const Entry& e : entries)
        n += e.tagged ? 1 : 0;
    return n;
}

qint64 PanelModel::taggedBytes() const
{
    qint64 n = 0;
    for (const Entry& e : entries)
        if (e.tagged)
            n += e.size;
    return n;
}

void PanelModel::untagall()
{
    for (Entry& e : entries)
        e.tagged = false;
}

void PanelModel::tagAllFiles()
{
    for (Entry& e : entries)
        if (!e.isdir && !e.isNavigational())
            e.tagged = true;
}

bool PanelModel::toggleTag(int i)
{
    if (!valid(i) || backdir(i))
        return false;
    entries[i].tagged = !entries[i].tagged;
    return true;
}

void PanelModel::tagRange(int a, int b)
{
    if (a > b)
        std::swap(a, b);
    for (int i = qMax(0, a); i <= b && i < count(); ++i)
        if (!backdir(i))
            entries[i].tagged = true;
}

void PanelModel::clampTop()
{
    const int maxTop = qMax(0, count() - visiblerows);
    top = qBound(0, top, maxTop);
}

void PanelModel::setTop(int t)
{
    top = t;
    clampTop();
}

void PanelModel::moveDown(bool toggleFirst)
{
    if (count() < 2)
        return;
    if (toggleFirst)
        toggleTag(current);
    if (count() > visiblerows && current > top + visiblerows - 5)
        setTop(top + 1);
    if (current < 0)
        current = 0;
    if (current < count() - 1)
        ++current;
    if (current >= top + visiblerows)
        setTop(current - visiblerows + 1);
}

void PanelModel::moveUp(bool toggleFirst)
{
    if (current <= 0)
        return;
    if (toggleFirst)
        toggleTag(current);
    if (top > 0 && current - top < 3)
        setTop(top - 1);
    --current;
    if (current < top)
        setTop(current);
}

void PanelModel::pageUp()
{
    redrawpending = true;
    setTop(qMax(0, top - visiblerows));
    current = qMax(0, current - visiblerows);
}

void PanelModel::pageDown()
{
    redrawpending = true;
    if (count() < top + 2 * visiblerows)
        setTop(count() - visiblerows + 1);
    else
        setTop(top + visiblerows);
    current = qMin(count() - 1, current + visiblerows);
}

void PanelModel::end()
{
    redrawpending = true;
    if (count() > top + visiblerows)
        current = top + visiblerows - 1;
    else
        current = count() - 1;
}

void PanelModel::home()
{
    redrawpending = true;
    current = count() > 0 ? top : -1;
}

void PanelModel::ctrlHome()
{
    redrawpending = true;
    current = count() > 0 ? 0 : -1;
    top = 0;
}

void PanelModel::ctrlEnd()
{
    redrawpending = true;
    current = count() - 1;
    setTop(count() - visiblerows + 1);
}

void PanelModel::ctrlDown()
{
    int firstFile = -1;
    for (int i = 0; i < count(); ++i)
        if (!entries[i].isdir) {
            firstFile = i;
            break;
        }
    if (firstFile >= 2) {
        setTop(firstFile - visiblerows + 6);
        current = firstFile - 1;
    }
}

int PanelModel::findinrange(QChar letter, bool includeDirs, int last, int first, bool skipDirectories) const
{
    if (first > last || last == 0)
        return -1;
    for (int i = first; i <= last && i < count(); ++i) {
        const QString& n = entries[i].name;
        if (n.isEmpty())
            continue;
        QChar c = n.at(0);
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = c.toUpper();
        if (c != letter)
            continue;
        if (skipDirectories && entries[i].isdir && !includeDirs)
            continue;
        return i;
    }
    return -1;
}

int PanelModel::getnextindex(QChar letter, bool includeDirs, int cur, bool skipDirectories) const
{
    const int r = findinrange(letter, includeDirs, count() - 1, cur + 1, skipDirectories);
    if (r >= 0)
        return r;
    return findinrange(letter, includeDirs, cur - 1, 0, skipDirectories);
}

int PanelModel::getfirstindex(QChar letter, bool includeDirs, bool skipDirectories) const
{
    return findinrange(letter, includeDirs, count() - 1, 0, skipDirectories);
}

bool PanelModel::typeAhead(QChar letter, bool skipDirectories)
{
    const bool includeDirs = !skipDirectories;
    int i = -1;
    const Entry* cur = currentEntry();
    QChar c0 = cur && !cur->name.isEmpty() ? cur->name.at(0) : QChar();
    if (c0 >= QLatin1Char('a') && c0 <= QLatin1Char('z'))
        c0 = c0.toUpper();
    if (cur && c0 == letter)
        i = getnextindex(letter, includeDirs, current, skipDirectories);
    else
        i = getfirstindex(letter, includeDirs, skipDirectories);
    if (i < 0)
        return false;
    setTop(i - visiblerows + 7);
    current = i;
    return true;
}

int PanelModel::myindexof(const QString& name, bool exact) const
{
    for (int i = 0; i < count(); ++i) {
        if (exact ? entries[i].name == name : entries[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void PanelModel::pushHistory()
{
    if (st.historycount < kHistoryLevels) {
        st.panelhistory[size_t(st.historycount)] = {top, current};
        ++st.historycount;
    }
}

bool PanelModel::popHistory(HistorySlot* out)
{
    if (st.historycount <= 0)
        return false;
    --st.historycount;
    *out = st.panelhistory[size_t(st.historycount)];
    return true;
}

}  // namespace zx
