#include "mainform/sorting.h"

#include <gtest/gtest.h>

using namespace zx;

namespace {
struct Row {
    const char* name;
    bool dir;
    qint64 size;
    qint64 time;
};
PanelModel make(std::initializer_list<Row> rows)
{
    PanelModel m;
    for (const Row& r : rows) {
        Entry e;
        e.name = e.real = QString::fromLatin1(r.name);
        e.isdir = r.dir;
        e.size = r.size;
        e.lastwrite = r.time;
        m.entries.append(e);
        if (r.dir)
            ++m.st.dircount;
    }
    m.current = 0;
    return m;
}
QStringList names(const PanelModel& m)
{
    QStringList out;
    for (const Entry& e : m.entries)
        out << e.name;
    return out;
}
}  // namespace

TEST(Sorting, EachKindKeepsGroupsAndLeadingParent)
{
    const auto base = {Row{"..", true, 0, 50}, Row{"zdir", true, 0, 10}, Row{"adir", true, 0, 30},
                       Row{"b.txt", false, 300, 5}, Row{"a.zip", false, 100, 9}, Row{"c.doc", false, 200, 1}};
    struct Case {
        int kind;
        QStringList expect;
    } cases[] = {
        {SortName, {"..", "adir", "zdir", "a.zip", "b.txt", "c.doc"}},
        {SortSize, {"..", "zdir", "adir", "a.zip", "c.doc", "b.txt"}},   // directories all 0: any order
        {SortTime, {"..", "zdir", "adir", "c.doc", "b.txt", "a.zip"}},
        {SortExtension, {"..", "zdir", "adir", "c.doc", "b.txt", "a.zip"}},
    };
    for (const Case& c : cases) {
        PanelModel m = make(base);
        m.st.sortkind = c.kind;
        sortall(m, false);
        const QStringList got = names(m);
        SCOPED_TRACE(c.kind);
        EXPECT_EQ(got[0], QStringLiteral(".."));
        EXPECT_EQ(got.mid(3), c.expect.mid(3));
        if (c.kind == SortName || c.kind == SortTime)
            EXPECT_EQ(got.mid(1, 2), c.expect.mid(1, 2));
    }
}

TEST(Sorting, ParentNotFirstIsSortedLikeAnyDirectory)
{
    PanelModel m = make({{"!first", true, 0, 0}, {"..", true, 0, 0}, {"b", true, 0, 0}});
    m.st.sortkind = SortName;
    std::swap(m.entries[0], m.entries[2]);   // b, .., !first
    sortall(m, false);
    EXPECT_EQ(names(m), (QStringList{"!first", "..", "b"}));
}

TEST(Sorting, NoneAndTinyListsChangeNothing)
{
    PanelModel m = make({{"z", true, 0, 0}, {"y", false, 1, 0}});
    m.st.sortkind = SortName;
    sortall(m, false);
    EXPECT_EQ(names(m), (QStringList{"z", "y"}));
    PanelModel n = make({{"c", false, 3, 0}, {"a", false, 1, 0}, {"b", false, 2, 0}});
    n.st.sortkind = SortNone;
    sortall(n, false);
    EXPECT_EQ(names(n), (QStringList{"c", "a", "b"}));
}

TEST(Sorting, ExtensionOrderIsOrdinalWithCaseKept)
{
    PanelModel m = make({{"b.txt", false, 0, 0}, {"a.TXT", false, 0, 0}, {"noext", false, 0, 0}});
    m.st.sortkind = SortExtension;
    sortall(m, true);
    EXPECT_EQ(names(m), (QStringList{"noext", "a.TXT", "b.txt"}));
    EXPECT_EQ(extractFileExt(QStringLiteral("x.tar.gz")), QStringLiteral(".gz"));
}

TEST(Sorting, NameOrderIgnoresCaseWhenCaseIsShown)
{
    PanelModel m = make({{"b", false, 0, 0}, {"C", false, 0, 0}, {"a", false, 0, 0}});
    m.st.sortkind = SortName;
    sortall(m, true);
    EXPECT_EQ(names(m), (QStringList{"a", "b", "C"}));
}

TEST(Sorting, LargeListsSortCorrectly)
{
    PanelModel m;
    for (int i = 0; i < 20000; ++i) {
        Entry e;
        e.name = QStringLiteral("f%1").arg((i * 7919) % 20000);
        e.size = (i * 104729) % 50000;
        m.entries.append(e);
    }
    for (int kind : {SortName, SortSize}) {
        m.st.sortkind = kind;
        sortall(m, false);
        for (int i = 1; i < m.count(); ++i) {
            if (kind == SortName)
                ASSERT_LE(m.entries[i - 1].name, m.entries[i].name);
            else
                ASSERT_LE(m.entries[i - 1].size, m.entries[i].size);
        }
    }
}
