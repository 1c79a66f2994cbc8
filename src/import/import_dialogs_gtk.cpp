#include "import/import_dialogs.h"

#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <vector>

#include "bridge/window_state.h"
#include "import/folder_scan.h"
#include "import/track_batch.h"

namespace fs = std::filesystem;

namespace {

struct WidgetDestroyer {
    void operator()(GtkWidget* widget) const { gtk_widget_destroy(widget); }
};
using DialogPointer = std::unique_ptr<GtkWidget, WidgetDestroyer>;

struct FileNameListFree {
    void operator()(GSList* list) const { g_slist_free_full(list, g_free); }
};
using FileNameList = std::unique_ptr<GSList, FileNameListFree>;

constexpr const char* kAudioFilterName = "Audio Files (*.mp3;*.wav;*.flac;*.m4a;*.ogg;*.aac)";
// Bracketed so that, as on Windows, the filter ignores the case of the extension.
constexpr const char* kAudioPatterns[] = {"*.[mM][pP]3", "*.[wW][aA][vV]", "*.[fF][lL][aA][cC]",
                                          "*.[mM]4[aA]", "*.[oO][gG][gG]", "*.[aA][aA][cC]"};

GtkFileFilter* makeAudioFilter() {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, kAudioFilterName);
    for (const char* pattern : kAudioPatterns) gtk_file_filter_add_pattern(filter, pattern);
    return filter;
}

GtkFileFilter* makeAllFilesFilter() {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, "All Files (*.*)");
    gtk_file_filter_add_pattern(filter, "*");
    return filter;
}

DialogPointer makeChooser(const char* title, GtkFileChooserAction action, const char* acceptLabel) {
    GtkWidget* dialog = gtk_file_chooser_dialog_new(title, g_mainWindow, action, "_Cancel", GTK_RESPONSE_CANCEL,
                                                    acceptLabel, GTK_RESPONSE_ACCEPT, nullptr);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_set_local_only(GTK_FILE_CHOOSER(dialog), TRUE);
    return DialogPointer(dialog);
}

// Runs the chooser in its own loop; page calls keep being served meanwhile.
bool userAccepted(const DialogPointer& dialog) {
    return gtk_dialog_run(GTK_DIALOG(dialog.get())) == GTK_RESPONSE_ACCEPT;
}

}  // namespace

void pickAudioFiles(ScriptEvaluator& page) {
    std::vector<fs::path> chosen;
    {
        DialogPointer dialog = makeChooser("Open", GTK_FILE_CHOOSER_ACTION_OPEN, "_Open");
        GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog.get());
        gtk_file_chooser_set_select_multiple(chooser, TRUE);
        GtkFileFilter* audio = makeAudioFilter();
        gtk_file_chooser_add_filter(chooser, audio);
        gtk_file_chooser_add_filter(chooser, makeAllFilesFilter());
        gtk_file_chooser_set_filter(chooser, audio);
        if (!userAccepted(dialog)) return;

        // A name typed into the chooser comes back even when no such file
        // exists (GTK completes it); only files that are there are tracks,
        // as on Windows, where the dialog itself insists on it.
        const FileNameList names(gtk_file_chooser_get_filenames(chooser));
        for (const GSList* item = names.get(); item != nullptr; item = item->next) {
            fs::path name(static_cast<const char*>(item->data));
            std::error_code error;
            if (fs::is_regular_file(name, error)) chosen.push_back(std::move(name));
        }
    }  // the chooser is gone before the page hears of the files
    if (!chosen.empty()) deliverTracks(page, chosen);
}

void importMusicFolder(ScriptEvaluator& page) {
    fs::path folder;
    {
        DialogPointer dialog =
            makeChooser("Select Music Folder for Sonabel", GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, "_Select");
        if (!userAccepted(dialog)) return;
        g_autofree char* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog.get()));
        if (name == nullptr) return;
        folder = name;
    }  // closed before the walk, which may take a while on a large tree
    deliverTracks(page, scanMusicFolder(folder));
}
