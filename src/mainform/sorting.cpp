#include "mainform/sorting.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace zx {

QString extractFileExt(const QString& name)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

void sortRange(PanelModel& m, int last, int first, int kind, bool showCase)
{
    if (first == 0 && m.backdir(0))
        first = 1;
    if (first >= last || kind == SortNone || last >= m.count())
        return;
    const int n = last - first + 1;
    std::vector<int> idx(static_cast<size_t>(n));
    std::iota(idx.begin(), idx.end(), first);
    const QVector<Entry>& e = m.entries;
    if (kind == SortName || kind == SortExtension) {
        // Keys computed once and sorted beside their indices: upper-casing or
        // cutting per comparison, or fetching keys from a side table, would
        // dominate the time of a large sort.
        std::vector<QString> owned;
        if (kind == SortExtension || showCase)
            owned.resize(static_cast<size_t>(n));
        struct Key {
            QStringView key;
            int index;
        };
        std::vector<Key> keys(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            const QString& name = e[first + i].name;
            if (kind == SortName && !showCase) {
                keys[size_t(i)] = {QStringView(name), first + i};
            } else {
                owned[size_t(i)] = kind == SortName ? name.toUpper() : extractFileExt(name);
                keys[size_t(i)] = {QStringView(owned[size_t(i)]), first + i};
            }
        }
        std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) { return a.key.compare(b.key) < 0; });
        for (int i = 0; i < n; ++i)
            idx[size_t(i)] = keys[size_t(i)].index;
    } else if (kind == SortSize) {
        std::sort(idx.begin(), idx.end(), [&e](int a, int b) { return e[a].size < e[b].size; });
    } else if (kind == SortTime) {
        std::sort(idx.begin(), idx.end(), [&e](int a, int b) { return e[a].lastwrite < e[b].lastwrite; });
    }
    QVector<Entry> sorted;
    sorted.reserve(n);
    for (int i : idx)
        sorted.append(std::move(m.entries[i]));
    std::move(sorted.begin(), sorted.end(), m.entries.begin() + first);
}

void sortall(PanelModel& m, bool showCase)
{
    const int d = m.st.dircount;
    if (d > 1)
        sortRange(m, d - 1, 0, m.st.sortkind, showCase);
    if (m.count() >= d + 2)
        sortRange(m, m.count() - 1, d, m.st.sortkind, showCase);
}

}  // namespace zx
