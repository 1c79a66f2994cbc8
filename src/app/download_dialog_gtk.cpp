#include "app/download_dialog_gtk.h"

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "import/track_batch.h"

namespace {

// The page hears where a file went, or null when it could not be written;
// a page without the hook ignores it.
void tellPage(WebKitDownload* download, const char* path) {
    WebKitWebView* view = webkit_download_get_web_view(download);
    if (view == nullptr) return;
    const std::string argument = path ? "\"" + escapeJsonString(path) + "\"" : std::string("null");
    const std::string script =
        "if (window.sonabel && window.sonabel.fileSaved) { window.sonabel.fileSaved(" + argument + "); }";
    webkit_web_view_evaluate_javascript(view, script.c_str(), -1, nullptr, nullptr, nullptr, nullptr, nullptr);
}

void onFailed(WebKitDownload* download, GError* error, gpointer) {
    // Cancelled in the dialog: the user knows; nothing to say.
    if (!g_error_matches(error, WEBKIT_DOWNLOAD_ERROR, WEBKIT_DOWNLOAD_ERROR_CANCELLED_BY_USER)) tellPage(download, nullptr);
    g_object_set_data(G_OBJECT(download), "sonabel-failed", GINT_TO_POINTER(1));
}

void onFinished(WebKitDownload* download, gpointer) {
    if (g_object_get_data(G_OBJECT(download), "sonabel-failed")) return;
    const char* uri = webkit_download_get_destination(download);
    g_autofree char* path = uri ? g_filename_from_uri(uri, nullptr, nullptr) : nullptr;
    // Shown to the user, so in UTF-8 whatever bytes the name holds.
    g_autofree char* shown = path ? g_filename_display_name(path) : nullptr;
    if (shown) tellPage(download, shown);
}

// One download waiting for the user's answer; it owns its dialog and a
// reference to the download until the dialog answers.
struct PendingDownload {
    WebKitDownload* download;
    GtkWidget* dialog;

    ~PendingDownload() {
        gtk_widget_destroy(dialog);
        g_object_unref(download);
    }
};

void onResponse(GtkDialog* dialog, gint response, gpointer data) {
    std::unique_ptr<PendingDownload> pending(static_cast<PendingDownload*>(data));
    if (response == GTK_RESPONSE_ACCEPT) {
        g_autofree char* uri = gtk_file_chooser_get_uri(GTK_FILE_CHOOSER(dialog));
        // The dialog has asked before replacing a file.
        webkit_download_set_allow_overwrite(pending->download, TRUE);
        webkit_download_set_destination(pending->download, uri);
        g_signal_connect(pending->download, "failed", G_CALLBACK(onFailed), nullptr);
        g_signal_connect(pending->download, "finished", G_CALLBACK(onFinished), nullptr);
    } else {
        webkit_download_cancel(pending->download);
    }
}

gboolean onDecideDestination(WebKitDownload* download, gchar* suggestedName, gpointer) {
    GtkWidget* parent = nullptr;
    if (WebKitWebView* view = webkit_download_get_web_view(download)) {
        parent = gtk_widget_get_toplevel(GTK_WIDGET(view));
    }
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        "Save", parent && gtk_widget_is_toplevel(parent) ? GTK_WINDOW(parent) : nullptr,
        GTK_FILE_CHOOSER_ACTION_SAVE, "_Cancel", GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
    if (const char* downloads = g_get_user_special_dir(G_USER_DIRECTORY_DOWNLOAD)) {
        gtk_file_chooser_set_current_folder(chooser, downloads);
    }
    gtk_file_chooser_set_current_name(chooser, suggestedName && *suggestedName ? suggestedName : "download");

    // Answered from the dialog's response, so the page keeps running; the
    // download waits until then.
    auto* pending = new PendingDownload{WEBKIT_DOWNLOAD(g_object_ref(download)), dialog};
    g_signal_connect(dialog, "response", G_CALLBACK(onResponse), pending);
    gtk_widget_show(dialog);
    return TRUE;
}

void onDownloadStarted(WebKitWebContext*, WebKitDownload* download, gpointer) {
    g_signal_connect(download, "decide-destination", G_CALLBACK(onDecideDestination), nullptr);
}

}  // namespace

void askWhereDownloadsGo(WebKitWebContext* context) {
    g_signal_connect(context, "download-started", G_CALLBACK(onDownloadStarted), nullptr);
}
