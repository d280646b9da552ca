#include "tree/directorytree.h"

#include <QCollator>
#include <QFile>
#include <QSaveFile>
#include <algorithm>

namespace zx {

namespace {
constexpr char kEofMark = 26;
}

// ---------------------------------------------------------------------------
// Names in the file

bool DirectoryTree::isStorableName(const char* name, size_t len)
{
    if (len == 0)
        return false;
    size_t i = 0;
    while (i < len && name[i] == ' ')
        ++i;
    if (i == len)
        return true;   // spaces only: all become "*"
    if (name[i] == '*' || name[i] == '\t')
        return false;
    for (size_t k = i; k < len; ++k)
        if (name[k] == '\n' || name[k] == '\r')
            return false;
    return true;
}

bool DirectoryTree::isStorableName(const QString& name)
{
    const QByteArray b = name.toUtf8();
    return isStorableName(b.constData(), size_t(b.size()));
}

QByteArray DirectoryTree::encodeName(const QString& name)
{
    QByteArray b = name.toUtf8();
    for (int i = 0; i < b.size() && b[i] == ' '; ++i)
        b[i] = '*';
    return b;
}

// ---------------------------------------------------------------------------
// Shape

void DirectoryTree::clear()
{
    nodes_.clear();
    top_.clear();
    index_.clear();
    byName_.clear();
    deadIndexEntries_ = 0;
    alive_ = 0;
    ++revision_;
}

DirectoryTree::NodeId DirectoryTree::appendNode(NodeId parent, const QString& text)
{
    const NodeId id = NodeId(nodes_.size());
    Node n;
    n.text = text;
    n.parent = parent;
    nodes_.push_back(std::move(n));
    if (parent == kNone)
        top_.push_back(id);
    else
        nodes_[size_t(parent)].children.push_back(id);
    ++alive_;
    indexAdd(id);
    ++revision_;
    return id;
}

int DirectoryTree::row(NodeId n) const
{
    const std::vector<NodeId>& sib = parent(n) == kNone ? top_ : children(parent(n));
    auto it = std::find(sib.begin(), sib.end(), n);
    return it == sib.end() ? -1 : int(it - sib.begin());
}

int DirectoryTree::depth(NodeId n) const
{
    int d = 0;
    while ((n = parent(n)) != kNone)
        ++d;
    return d;
}

QString DirectoryTree::joinPath(const QString& dir, const QString& name)
{
    if (dir.endsWith(QLatin1Char('/')))
        return dir + name;
    return dir + QLatin1Char('/') + name;
}

QString DirectoryTree::tvexpandname(NodeId n) const
{
    if (!isValid(n))
        return QString();
    std::vector<NodeId> chain;
    for (NodeId p = n; p != kNone; p = parent(p))
        chain.push_back(p);
    QString path = text(chain.back());
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it)
        path = joinPath(path, text(*it));
    return path;
}

void DirectoryTree::sortAll()
{
    QCollator collator;
    auto sortGroup = [&collator, this](std::vector<NodeId>& group) {
        if (group.size() < 2)
            return;
        std::vector<std::pair<QCollatorSortKey, NodeId>> keys;
        keys.reserve(group.size());
        for (NodeId id : group)
            keys.emplace_back(collator.sortKey(nodes_[size_t(id)].text), id);
        std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
            return a.first.compare(b.first) < 0;
        });
        for (size_t i = 0; i < group.size(); ++i)
            group[i] = keys[i].second;
    };
    sortGroup(top_);
    for (Node& n : nodes_)
        if (n.alive)
            sortGroup(n.children);
    ++revision_;
}

// ---------------------------------------------------------------------------
// The search index

void DirectoryTree::indexAdd(NodeId n)
{
    const int pos = int(index_.size());
    IndexEntry e;
    e.upper = nodes_[size_t(n)].text.toUpper();
    e.node = n;
    byName_[e.upper].push_back(pos);
    index_.push_back(std::move(e));
    nodes_[size_t(n)].indexPos = pos;
}

void DirectoryTree::indexRemove(NodeId n)
{
    const int pos = nodes_[size_t(n)].indexPos;
    if (pos < 0)
        return;
    IndexEntry& e = index_[size_t(pos)];
    auto it = byName_.find(e.upper);
    if (it != byName_.end()) {
        auto& v = it.value();
        v.erase(std::remove(v.begin(), v.end(), pos), v.end());
        if (v.empty())
            byName_.erase(it);
    }
    e.node = kNone;
    e.upper.clear();
    nodes_[size_t(n)].indexPos = -1;
    ++deadIndexEntries_;
}

void DirectoryTree::indexRename(NodeId n, const QString& newText)
{
    const int pos = nodes_[size_t(n)].indexPos;
    if (pos < 0)
        return;
    IndexEntry& e = index_[size_t(pos)];
    auto it = byName_.find(e.upper);
    if (it != byName_.end()) {
        auto& v = it.value();
        v.erase(std::remove(v.begin(), v.end(), pos), v.end());
        if (v.empty())
            byName_.erase(it);
    }
    e.upper = newText.toUpper();
    auto& v = byName_[e.upper];
    v.insert(std::lower_bound(v.begin(), v.end(), pos), pos);   // keeps index order
}

void DirectoryTree::compactIndex()
{
    if (deadIndexEntries_ < 1024 || deadIndexEntries_ * 2 < int(index_.size()))
        return;
    std::vector<IndexEntry> old;
    old.swap(index_);
    byName_.clear();
    for (IndexEntry& e : old) {
        if (e.node == kNone)
            continue;
        const int pos = int(index_.size());
        byName_[e.upper].push_back(pos);
        nodes_[size_t(e.node)].indexPos = pos;
        index_.push_back(std::move(e));
    }
    deadIndexEntries_ = 0;
}

QString DirectoryTree::normalize(const QString& path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return p;
}

// Whether the full path of n is exactly path, compared from the end upwards
// without building the path.
bool DirectoryTree::pathIs(NodeId n, QStringView path) const
{
    qsizetype end = path.size();
    for (NodeId c = n; c != kNone; c = parent(c)) {
        const QString& t = text(c);
        const NodeId p = parent(c);
        if (p == kNone)
            return end == t.size() && path.left(end) == t;
        if (end < t.size() || path.mid(end - t.size(), t.size()) != t)
            return false;
        end -= t.size();
        if (!text(p).endsWith(QLatin1Char('/'))) {
            if (end < 1 || path[end - 1] != QLatin1Char('/'))
                return false;
            --end;
        }
    }
    return false;
}

DirectoryTree::NodeId DirectoryTree::findintree(const QString& pathIn) const
{
    if (pathIn.isEmpty())
        return kNone;
    // A root is stored with its trailing "/": try the path as given first.
    auto lookup = [this](const QString& path) -> NodeId {
        QString key;
        if (path.endsWith(QLatin1Char('/'))) {
            key = path.toUpper();
        } else {
            const int slash = path.lastIndexOf(QLatin1Char('/'));
            key = path.mid(slash + 1).toUpper();
        }
        auto it = byName_.constFind(key);
        if (it == byName_.constEnd())
            return kNone;
        for (int pos : it.value()) {
            const NodeId n = index_[size_t(pos)].node;
            if (n != kNone && pathIs(n, path))
                return n;
        }
        return kNone;
    };
    if (pathIn.endsWith(QLatin1Char('/'))) {
        NodeId n = lookup(pathIn);
        if (n != kNone)
            return n;
        return pathIn.size() > 1 ? lookup(normalize(pathIn)) : kNone;
    }
    NodeId n = lookup(pathIn);
    if (n != kNone)
        return n;
    return lookup(pathIn + QLatin1Char('/'));   // the root of a volume mounted there
}

std::vector<DirectoryTree::NodeId> DirectoryTree::search(const QString& prefix, int cap) const
{
    std::vector<NodeId> found;
    if (prefix.isEmpty() || cap <= 0)
        return found;
    const QString up = prefix.toUpper();
    for (const IndexEntry& e : index_) {
        if (e.node == kNone || !e.upper.startsWith(up))
            continue;
        found.push_back(e.node);
        if (int(found.size()) >= cap)
            break;
    }
    return found;
}

// ---------------------------------------------------------------------------
// Maintenance

bool DirectoryTree::adddir(const QString& pathIn)
{
    const QString path = normalize(pathIn);
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || slash == path.size() - 1)
        return false;   // a root or no parent
    const QString parentPath = slash == 0 ? QStringLiteral("/") : path.left(slash);
    return adddir(parentPath, path.mid(slash + 1));
}

bool DirectoryTree::adddir(const QString& parentPath, const QString& name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || !isStorableName(name))
        return false;
    const NodeId p = findintree(parentPath);
    if (p == kNone)
        return false;
    const QString full = joinPath(tvexpandname(p), name);
    for (NodeId c : children(p))
        if (text(c) == name)
            return false;
    if (findintree(full) != kNone)
        return false;
    appendNode(p, name);
    dirty_ = true;
    return true;
}

void DirectoryTree::detach(NodeId n)
{
    std::vector<NodeId>& sib = parent(n) == kNone ? top_ : nodes_[size_t(parent(n))].children;
    sib.erase(std::remove(sib.begin(), sib.end(), n), sib.end());
}

void DirectoryTree::removeSubtree(NodeId n)
{
    std::vector<NodeId> stack{n};
    while (!stack.empty()) {
        const NodeId c = stack.back();
        stack.pop_back();
        Node& node = nodes_[size_t(c)];
        for (NodeId k : node.children)
            stack.push_back(k);
        indexRemove(c);
        node.alive = false;
        node.children.clear();
        node.children.shrink_to_fit();
        node.text.clear();
        --alive_;
    }
}

bool DirectoryTree::removedir(const QString& path)
{
    const NodeId n = findintree(path);
    if (n == kNone)
        return false;
    detach(n);
    removeSubtree(n);
    compactIndex();
    dirty_ = true;
    ++revision_;
    return true;
}

bool DirectoryTree::changename(const QString& oldPath, const QString& newPathIn)
{
    const NodeId n = findintree(oldPath);
    if (n == kNone)
        return false;
    const QString newPath = normalize(newPathIn);
    const int slash = newPath.lastIndexOf(QLatin1Char('/'));
    const QString newName = slash >= 0 ? newPath.mid(slash + 1) : newPath;
    const QString newParentPath = slash > 0 ? newPath.left(slash) : QStringLiteral("/");
    if (parent(n) == kNone || newName.isEmpty() || !isStorableName(newName)) {
        // A root cannot be renamed; a name the file cannot hold is dropped.
        return removedir(oldPath);
    }
    const NodeId oldParent = parent(n);
    NodeId newParent = oldParent;
    if (slash >= 0 && tvexpandname(oldParent) != newParentPath)
        newParent = findintree(newParentPath);
    if (newParent == kNone)
        return removedir(oldPath);
    // Moving a directory into its own subtree cannot happen on disk; refuse.
    for (NodeId p = newParent; p != kNone; p = parent(p))
        if (p == n)
            return false;
    // Another node already holds the new path (e.g. it was added before the
    // rename was reported): keep that one.
    const NodeId existing = findintree(joinPath(tvexpandname(newParent), newName));
    if (existing != kNone && existing != n)
        return removedir(oldPath);
    if (newParent != oldParent) {
        detach(n);
        nodes_[size_t(n)].parent = newParent;
        nodes_[size_t(newParent)].children.push_back(n);
    }
    nodes_[size_t(n)].text = newName;
    indexRename(n, newName);
    dirty_ = true;
    ++revision_;
    return true;
}

// ---------------------------------------------------------------------------
// Reading and writing

DirectoryTree::LoadResult DirectoryTree::load_dat_file(const QString& datPath)
{
    LoadResult r;
    QFile f(datPath);
    if (!f.exists()) {
        clear();
        r.missing = true;
        return r;
    }
    if (!f.open(QIODevice::ReadOnly)) {
        clear();
        r.ok = false;
        r.error = f.errorString();
        return r;
    }
    return loadFromBytes(f.readAll());
}

DirectoryTree::LoadResult DirectoryTree::loadFromBytes(const QByteArray& data)
{
    clear();
    LoadResult r;
    std::vector<NodeId> chain;   // chain[k]: the last node read at level k
    int lineNo = 0;
    const char* p = data.constData();
    const char* end = p + data.size();
    while (p < end) {
        const char* nl = static_cast<const char*>(memchr(p, '\n', size_t(end - p)));
        const char* lineEnd = nl ? nl : end;
        const char* next = nl ? nl + 1 : end;
        if (lineEnd > p && lineEnd[-1] == '\r')
            --lineEnd;
        ++lineNo;
        if (lineEnd - p == 1 && *p == kEofMark)
            break;
        int level = 0;
        const char* t = p;
        while (t < lineEnd && (*t == ' ' || *t == '\t')) {
            ++level;
            ++t;
        }
        if (t == lineEnd) {   // blank line: nothing to add
            p = next;
            continue;
        }
        if (level > int(chain.size())) {
            r.ok = false;
            r.error = QStringLiteral("Invalid TreeNode Level");
            r.line = lineNo;
            break;
        }
        QByteArray raw(t, int(lineEnd - t));
        for (int i = 0; i < raw.size() && raw[i] == '*'; ++i)
            raw[i] = ' ';
        chain.resize(size_t(level));
        const NodeId parentNode = level == 0 ? kNone : chain.back();
        chain.push_back(appendNode(parentNode, QString::fromUtf8(raw)));
        p = next;
    }
    sortAll();
    dirty_ = false;
    return r;
}

void DirectoryTree::serializeNode(NodeId n, int level, QByteArray& out) const
{
    const Node& node = nodes_[size_t(n)];
    if (level > 0 && !isStorableName(node.text))
        return;
    out.append(QByteArray(level, ' '));
    out.append(level == 0 ? node.text.toUtf8() : encodeName(node.text));
    out.append("\r\n");
    for (NodeId c : node.children)
        serializeNode(c, level + 1, out);
}

QByteArray DirectoryTree::serialize() const
{
    QByteArray out;
    out.reserve(alive_ * 24);
    for (NodeId t : top_)
        serializeNode(t, 0, out);
    return out;
}

bool DirectoryTree::writeTo(const QString& datPath, QString* error) const
{
    QSaveFile f(datPath);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    const QByteArray bytes = serialize();
    if (f.write(bytes) != bytes.size() || !f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

bool DirectoryTree::writeBackIfDirty(const QString& datPath, QString* error)
{
    if (!dirty_)
        return true;
    if (!writeTo(datPath, error))
        return false;
    dirty_ = false;
    return true;
}

}  // namespace zx
