#include "mainform/contextmenu.h"

#include "mainform/mainwindow.h"
#include "platform/openwith.h"

#include <QMenu>

namespace zx {

namespace {

struct Item {
    const char* caption;   // nullptr: separator
    const char* command;   // nullptr with children: submenu
    std::initializer_list<Item> children = {};
};

void addItems(MainWindow& w, QMenu* menu, std::initializer_list<Item> items)
{
    for (const Item& it : items) {
        if (!it.caption) {
            menu->addSeparator();
            continue;
        }
        const QString caption = QString::fromUtf8(it.caption);
        if (!it.command) {
            QMenu* sub = menu->addMenu(caption);
            addItems(w, sub, it.children);
            continue;
        }
        const QString cmd = QString::fromLatin1(it.command);
        QAction* a = menu->addAction(caption);
        a->setData(cmd);
        a->setEnabled(w.hasCommand(cmd));
        QObject::connect(a, &QAction::triggered, &w, [&w, cmd] { w.runCommand(cmd); });
    }
}

}  // namespace

QMenu* buildContextMenu(MainWindow& w, const MenuTarget& t, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("PopupMenu1"));
    if (!t.panelDirectory)
        addItems(w, menu, {{"Open/Execute", "open"}});

    // Open with: the applications for the first entry's content type.
    if (!t.paths.isEmpty()) {
        QMenu* with = menu->addMenu(QStringLiteral("Open with"));
        const auto apps = platform::applicationsFor(t.paths.first());
        for (const platform::AppChoice& app : apps) {
            QAction* a = with->addAction(app.isDefault ? app.name + QStringLiteral(" (default)") : app.name);
            const QString id = app.id;
            const QStringList paths = t.paths;
            QObject::connect(a, &QAction::triggered, &w, [&w, id, paths] {
                QString error;
                if (!platform::launchApplication(id, paths, &error))
                    w.amsg(error);
            });
        }
        with->setEnabled(!apps.isEmpty());
    }
    menu->addSeparator();

    const bool dir = t.isDirectory;
    if (t.panelDirectory) {
        // The directory's own menu: what applies to the place itself.
        addItems(w, menu, {{"Make Directory/Folder   (M)", "makedir"}, {nullptr, nullptr}});
    } else {
        if (!dir) {
            addItems(w, menu, {{"View    (V)", "view"},
                               {"ZX Edit", nullptr, {{"Edit file  (E)", "edit"}, {"New file (Ctrl+E)", "newfile"}}}});
        }
        addItems(w, menu,
                 {{"ZX Zip/Rar functions", nullptr,
                   {{"Extract to a directory of the same name   (Z)", "extractsame"},
                    {"Extract to an on-screen destination   (Ctrl+Z)", "extractother"},
                    {"Add files to a Zip file  (Alt-Z)", "zipadd"},
                    {"Make a Zip/Rar file into a self-extracting executable", "makesfx"},
                    {"Test Zip/Rar file integrity", "testarchive"}}},
                  {"ZX File encryption", nullptr,
                   {{"Encrypt", "encrypt"},
                    {"Encrypt (file names too)", "encryptnames"},
                    {nullptr, nullptr},
                    {"Decrypt", "decrypt"},
                    {nullptr, nullptr},
                    {"Change password", "changepassword"},
                    {nullptr, nullptr},
                    {"Logout", "logout"}}},
                  {nullptr, nullptr},
                  {"Rename   (R)", "rename"},
                  {"Delete   (D)", "delete"},
                  {"Make Directory/Folder   (M)", "makedir"}});
        if (!dir)
            menu->addSeparator();
        addItems(w, menu,
                 {{"File associations", nullptr,
                   {{"Create association", "createassoc"}, {"Delete association", "deleteassoc"}}},
                  {nullptr, nullptr}});
    }
    addItems(w, menu,
             {{"Sort   (S)", "sort"},
              {"Browse Directory Tree   (T)", "tree"},
              {"ZX Utilites", nullptr,
               {{"Find files   (F)", "find"},
                {"Recycle bin", "recyclebin"},
                {"Add/Remove programs", "addremove"},
                {"System properties", "systemproperties"},
                {"Explorer", "explorer"},
                {"Create desktop shortcut", "desktopshortcut"},
                {"Copy file path to clipboard   (Ctrl-C)", "copypath"},
                {"Copy file names to clipboard", "copynames"},
                {"Look-up file name in Google", "lookup"},
                {"Open with elevated privileges", "elevated"}}},
              {"ZX Go to . . .", nullptr,
               {{"Go to \"My Documents\" (Ctrl-M)", "goto:documents"},
                {"Go to \"My pictures\"", "goto:pictures"},
                {"Go to \"Desktop\"", "goto:desktop"},
                {"Go to \"Favorites\"", "goto:favorites"},
                {"Go to \"Program Files\"", "goto:programs"},
                {"Go to \"Application data\"", "goto:appdata"},
                {"Go to \"Application data - local\"", "goto:localappdata"},
                {"Go to \"System\"", "goto:system"},
                {"Go to \"Temporary  Internet Files\"", "goto:cache"},
                {"Go to \"Fonts\"", "goto:fonts"},
                {"Go to \"Temp\" (local)", "goto:temp"},
                {"Go to \"Send to\"", "goto:sendto"}}},
              {nullptr, nullptr},
              {"Properties", t.panelDirectory ? "dirproperties" : "properties"}});
    return menu;
}

}  // namespace zx
