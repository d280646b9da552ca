#include "platform/openwith.h"

#include "platform/filenames.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

namespace zx::platform {

QList<AppChoice> applicationsFor(const QString& path)
{
    QList<AppChoice> out;
    GFile* file = g_file_new_for_path(encodeFileName(path).constData());
    GFileInfo* info = g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE, G_FILE_QUERY_INFO_NONE,
                                        nullptr, nullptr);
    g_object_unref(file);
    if (!info)
        return out;
    const char* type = g_file_info_get_content_type(info);
    if (type) {
        GAppInfo* def = g_app_info_get_default_for_type(type, FALSE);
        const char* defId = def ? g_app_info_get_id(def) : nullptr;
        GList* all = g_app_info_get_all_for_type(type);
        for (GList* l = all; l; l = l->next) {
            auto* app = G_APP_INFO(l->data);
            AppChoice c;
            c.id = QString::fromUtf8(g_app_info_get_id(app));
            c.name = QString::fromUtf8(g_app_info_get_name(app));
            c.isDefault = defId && c.id == QString::fromUtf8(defId);
            if (c.isDefault)
                out.prepend(c);
            else
                out.append(c);
        }
        g_list_free_full(all, g_object_unref);
        if (def)
            g_object_unref(def);
    }
    g_object_unref(info);
    return out;
}

bool launchApplication(const QString& appId, const QStringList& paths, QString* error)
{
    GDesktopAppInfo* app = g_desktop_app_info_new(appId.toUtf8().constData());
    if (!app) {
        if (error)
            *error = QStringLiteral("The application %1 is not installed.").arg(appId);
        return false;
    }
    GList* files = nullptr;
    for (const QString& p : paths)
        files = g_list_append(files, g_file_new_for_path(encodeFileName(p).constData()));
    GError* err = nullptr;
    const gboolean ok = g_app_info_launch(G_APP_INFO(app), files, nullptr, &err);
    g_list_free_full(files, g_object_unref);
    g_object_unref(app);
    if (!ok) {
        if (error)
            *error = QStringLiteral("Cannot start %1: %2").arg(appId, err ? QString::fromUtf8(err->message) : QString());
        if (err)
            g_error_free(err);
        return false;
    }
    return true;
}

}  // namespace zx::platform
