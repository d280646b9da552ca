#pragma once
// A main window stand-in for the file-operation commands: three panels that
// list real directories, and a record of every call the commands make.

#include "fileops/fileopshost.h"
#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>

namespace zx::test {

class FakeHost : public FileOpsHost {
public:
    struct Panel {
        QString dir;
        QList<PanelEntry> entries;
        int current = -1;
        int top = 0;
        bool suspended = false;
    };
    Panel panels[4];
    int active = 1;
    QString start = QStringLiteral("/");
    QList<platform::Volume> vols;
    bool recycle = false, quickEmpty = true, showCase = true;
    QStringList calls;        // "updatedrive 2", "removedir /x", ...
    QStringList tree;         // paths known to the fake tree cache
    ProgressView* view = nullptr;
    QWidget* boxParent = nullptr;

    FakeHost()
    {
        platform::Volume a;
        a.letter = QLatin1Char('A');
        a.root = QStringLiteral("/");
        a.fsType = QStringLiteral("ext4");
        vols << a;
        if (QFileInfo(QStringLiteral("/dev/shm")).isDir()) {
            platform::Volume b;
            b.letter = QLatin1Char('B');
            b.root = QStringLiteral("/dev/shm/");
            b.fsType = QStringLiteral("tmpfs");
            b.type = platform::DriveType::Ram;
            vols << b;
        }
    }

    // Lists dir into panel p: ".." first (except at "/"), directories, then files.
    void list(int p, const QString& dir)
    {
        Panel& pn = panels[p];
        pn.dir = dir;
        pn.entries.clear();
        QDir d(dir);
        const auto filters = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
        QList<PanelEntry> dirs, files;
        for (const QFileInfo& fi : d.entryInfoList(filters, QDir::Name)) {
            PanelEntry e;
            e.name = fi.fileName();
            e.isdir = fi.isDir() && !fi.isSymLink();
            e.size = e.isdir ? 0 : fi.size();
            if (e.isdir)
                e.attr |= AttrDirectory;
            if (!fi.isSymLink() && !(fi.permissions() & QFileDevice::WriteOwner))
                e.attr |= AttrReadOnly;
            if (!fi.isSymLink() && !fi.isDir() && !fi.isFile())
                e.attr |= AttrSystem;
            (e.isdir ? dirs : files) << e;
        }
        if (dir != QLatin1String("/")) {
            PanelEntry up;
            up.name = QStringLiteral("..");
            up.isdir = true;
            dirs.prepend(up);
        }
        pn.entries = dirs + files;
        if (pn.entries.isEmpty()) {
            PanelEntry dot;
            dot.name = QStringLiteral(".");
            dot.isdir = true;
            pn.entries << dot;
        }
        pn.current = 0;
    }
    int indexOf(int p, const QString& name) const
    {
        for (int i = 0; i < panels[p].entries.size(); ++i)
            if (panels[p].entries[i].name == name)
                return i;
        return -1;
    }
    void select(int p, const QString& name) { panels[p].current = indexOf(p, name); }
    void tag(int p, const QString& name) { panels[p].entries[indexOf(p, name)].tagged = true; }
    QStringList names(int p) const
    {
        QStringList out;
        for (const auto& e : panels[p].entries)
            out << e.name;
        return out;
    }

    int activePanel() const override { return active; }
    QString panelDir(int p) const override { return panels[p].dir; }
    QList<PanelEntry> entries(int p) const override { return panels[p].entries; }
    int currentIndex(int p) const override { return panels[p].current; }
    void setCurrentIndex(int p, int i) override { panels[p].current = i; }
    void setTagged(int p, int i, bool t) override { panels[p].entries[i].tagged = t; }
    void removelistentry(int p, int index) override
    {
        calls << QStringLiteral("removelistentry %1 %2").arg(p).arg(index);
        Panel& pn = panels[p];
        const int cur = pn.current;
        pn.entries.removeAt(index);
        if (pn.entries.isEmpty()) {
            PanelEntry dot;
            dot.name = QStringLiteral(".");
            dot.isdir = true;
            pn.entries << dot;
            pn.current = 0;
            return;
        }
        pn.current = cur;
        if (index >= pn.entries.size())
            pn.current = int(pn.entries.size()) - 1;
        else if (index < cur)
            --pn.current;
        pn.current = std::max(0, std::min(pn.current, int(pn.entries.size()) - 1));
    }
    void setEntryName(int p, int i, const QString& name) override
    {
        calls << QStringLiteral("setEntryName %1 %2 %3").arg(p).arg(i).arg(name);
        panels[p].entries[i].name = name;
    }
    void insertEntry(int p, int i, const PanelEntry& e) override
    {
        calls << QStringLiteral("insertEntry %1 %2 %3").arg(p).arg(i).arg(e.name);
        panels[p].entries.insert(i, e);
    }
    int topIndex(int p) const override { return panels[p].top; }
    void setTopIndex(int p, int i) override { panels[p].top = i; }
    int visibleRows(int) const override { return 20; }
    void updatedrive(int p) override
    {
        calls << QStringLiteral("updatedrive %1").arg(p);
        if (panels[p].suspended || panels[p].dir.isEmpty())
            return;
        const QString name = panels[p].current >= 0 && panels[p].current < panels[p].entries.size()
                                 ? panels[p].entries[panels[p].current].name
                                 : QString();
        const int cur = panels[p].current;
        list(p, panels[p].dir);
        const int i = indexOf(p, name);
        panels[p].current = i >= 0 ? i : std::min(std::max(cur, 0), int(panels[p].entries.size()) - 1);
    }
    void fillb(int p, const QString& dir) override
    {
        calls << QStringLiteral("fillb %1 %2").arg(p).arg(dir);
        list(p, dir);
    }
    void disableupdating(int p) override
    {
        calls << QStringLiteral("disableupdating %1").arg(p);
        panels[p].suspended = true;
    }
    void enableupdating(int p) override
    {
        calls << QStringLiteral("enableupdating %1").arg(p);
        panels[p].suspended = false;
    }
    int opendriveInNextFree(QChar letter) override
    {
        calls << QStringLiteral("opendrive %1").arg(letter);
        for (int p = 1; p <= 3; ++p) {
            if (p != active && panels[p].dir.isEmpty()) {
                const platform::Volume* v = platform::volumeOfLetter(vols, letter);
                if (v)
                    list(p, v->root);
                return p;
            }
        }
        return 0;
    }
    void setactive(int p, int index) override
    {
        active = p;
        panels[p].current = index;
    }
    QString startDir() const override { return start; }
    QList<platform::Volume> volumes() const override { return vols; }
    void drawhighlightbar(int) override {}
    void updatedrivespaceindicators() override { calls << QStringLiteral("updatedrivespaceindicators"); }
    void focusactivepanel() override { calls << QStringLiteral("focusactivepanel"); }
    bool recycleSetting() const override { return recycle; }
    bool quickEmptyDirDel() const override { return quickEmpty; }
    bool showCaseOfFilenames() const override { return showCase; }
    void adddir(const QString& parent, const QString& name) override
    {
        calls << QStringLiteral("adddir ") + platform::makefullname(parent, name);
        tree << platform::makefullname(parent, name);
    }
    void removedir(const QString& path) override
    {
        calls << QStringLiteral("removedir ") + path;
        tree.removeAll(path);
    }
    void changename(const QString& oldPath, const QString& newName) override
    {
        calls << QStringLiteral("changename ") + oldPath + QStringLiteral(" -> ") + newName;
        const int i = int(tree.indexOf(oldPath));
        if (i >= 0)
            tree[i] = QFileInfo(oldPath).absolutePath() + QLatin1Char('/') + newName;
    }
    bool findintree(const QString& path) override { return tree.contains(path); }
    ProgressView* progressView() override { return view; }
    QWidget* renameBoxParent() override { return boxParent; }
    QRect rowRect(int, int index) const override { return QRect(10, 40 + index * 18, 200, 18); }
    int nameOffset(int) const override { return 15; }
};

}  // namespace zx::test
