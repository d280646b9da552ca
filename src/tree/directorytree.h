#pragma once
// The directory tree: every directory of the scanned volumes, kept in memory
// and in the cache file zxtree.dat (in the data directory).
//
// zxtree.dat is a text file, one line per directory, lines ended by CR LF:
//   - a volume's root line holds its mount point (ending in "/") at level 0;
//   - every other line holds one directory name behind as many spaces as its
//     depth below the root line, parent before children (depth first);
//   - leading spaces of a name are written as "*" so that they cannot be
//     taken for indentation;
//   - reading also accepts TABs as indentation (one level each), LF alone as
//     line end, and stops at a line holding only the end-of-file mark (26).
// Names are UTF-8 and keep their case (Linux names are case-sensitive).
// A name that this format cannot carry (one holding a line break, or one whose
// first character after its leading spaces is "*" or a TAB) is never stored.
//
// The tree has no widgets and no locks: use it from the user-interface thread.
// The file operations keep it in step through adddir, removedir and changename;
// every change sets the dirty flag, and writeBackIfDirty() saves the tree at
// the end of the program.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <vector>

namespace zx {

class DirectoryTree {
public:
    using NodeId = int;
    static constexpr NodeId kNone = -1;

    struct LoadResult {
        bool ok = true;            // false: the file was malformed or unreadable
        bool missing = false;      // the file does not exist (the tree stays empty)
        QString error;             // e.g. "Invalid TreeNode Level"
        int line = 0;              // 1-based line of the error
    };

    DirectoryTree() = default;

    // ---- the cache file ---------------------------------------------------
    // Removes all nodes and reads the file (load_dat_file). On a malformed line
    // the nodes read before it stay. The tree is sorted afterwards either way.
    LoadResult load_dat_file(const QString& datPath);
    LoadResult loadFromBytes(const QByteArray& data);

    // The tree in file form: depth first, in the order of the tree as it is.
    QByteArray serialize() const;
    // Writes the file atomically (a failed write leaves the old file intact).
    bool writeTo(const QString& datPath, QString* error = nullptr) const;
    // Writes the file when the dirty flag is set and clears the flag on
    // success. Returns false only when a write was due and failed.
    bool writeBackIfDirty(const QString& datPath, QString* error = nullptr);

    // A name as it stands in the file (leading spaces turned into "*"), and
    // whether the file can carry it at all.
    static QByteArray encodeName(const QString& name);
    static bool isStorableName(const QString& name);
    static bool isStorableName(const char* name, size_t len);

    // ---- the tree ---------------------------------------------------------
    void clear();
    bool isEmpty() const { return top_.empty(); }
    int nodeCount() const { return alive_; }
    const std::vector<NodeId>& topLevel() const { return top_; }
    const std::vector<NodeId>& children(NodeId n) const { return nodes_[size_t(n)].children; }
    NodeId parent(NodeId n) const { return nodes_[size_t(n)].parent; }
    const QString& text(NodeId n) const { return nodes_[size_t(n)].text; }
    bool isValid(NodeId n) const { return n >= 0 && size_t(n) < nodes_.size() && nodes_[size_t(n)].alive; }
    // Position of n among its siblings (or among the top-level nodes).
    int row(NodeId n) const;
    int depth(NodeId n) const;

    // The full path of a node (tvexpandname): the texts from the root node
    // down to the node joined by "/" (a root already ends in "/").
    QString tvexpandname(NodeId n) const;

    // Sorts the children of every node and the top-level nodes with the
    // locale's string collation.
    void sortAll();

    // Counts every change of shape or text (lets views know when to reset).
    quint64 revision() const { return revision_; }

    // ---- look-ups -------------------------------------------------------------
    // The node of a full path, or kNone. Only index entries whose name equals
    // the path's last component (without regard to case) have their full path
    // rebuilt and compared; the full path must match exactly. A trailing "/"
    // on a directory other than a root is ignored.
    NodeId findintree(const QString& path) const;

    // Incremental search: the nodes whose name begins with prefix (without
    // regard to case), in index order (load order, then order of addition),
    // at most `cap` of them. An empty prefix finds nothing.
    std::vector<NodeId> search(const QString& prefix, int cap) const;

    // ---- maintenance (called by the file operations) ------------------------
    // Adds the directory `path` under its parent when the parent is in the tree
    // and the directory is not; it becomes the parent's last child. Returns
    // whether a node was added.
    bool adddir(const QString& path);
    bool adddir(const QString& parentPath, const QString& name);
    // Removes the directory and everything below it. Returns whether it was there.
    bool removedir(const QString& path);
    // A directory was renamed (or moved) from oldPath to newPath. Within one
    // parent the node takes the new name; moved to another known parent the
    // node and its subtree move there; otherwise the node is removed. Nothing
    // happens when oldPath is not in the tree.
    bool changename(const QString& oldPath, const QString& newPath);

    bool isDirty() const { return dirty_; }
    void setDirty(bool d) { dirty_ = d; }

    // Adds a node without any check (used while reading); parent kNone adds a
    // top-level node.
    NodeId appendNode(NodeId parent, const QString& text);

private:
    struct Node {
        QString text;
        NodeId parent = kNone;
        std::vector<NodeId> children;
        int indexPos = -1;
        bool alive = true;
    };
    struct IndexEntry {
        QString upper;
        NodeId node = kNone;   // kNone: removed
    };

    bool pathIs(NodeId n, QStringView path) const;
    static QString normalize(const QString& path);
    static QString joinPath(const QString& dir, const QString& name);
    void indexAdd(NodeId n);
    void indexRemove(NodeId n);
    void indexRename(NodeId n, const QString& newText);
    void compactIndex();
    void removeSubtree(NodeId n);
    void detach(NodeId n);
    void serializeNode(NodeId n, int level, QByteArray& out) const;

    std::vector<Node> nodes_;
    std::vector<NodeId> top_;
    std::vector<IndexEntry> index_;
    QHash<QString, std::vector<int>> byName_;   // upper-case name -> index positions, ascending
    int deadIndexEntries_ = 0;
    int alive_ = 0;
    bool dirty_ = false;
    quint64 revision_ = 0;
};

}  // namespace zx
