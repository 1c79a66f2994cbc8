// Linux entry point: the shared start-up sequence over the GTK web host.

#include <gtk/gtk.h>

#include <iostream>
#include <memory>

#include "app/start_page.h"
#include "app/startup.h"
#include "app/web_host_gtk.h"

namespace {

// One modal error box; with no display to show it on, standard error.
void reportStartupError(const std::string& text) {
    if (gdk_display_get_default() == nullptr) {
        std::cerr << text << std::endl;
        return;
    }
    GtkWidgetPtr box(gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_OK, "%s",
                                            text.c_str()));
    gtk_window_set_title(GTK_WINDOW(box.get()), kStartupErrorCaption);
    gtk_dialog_run(GTK_DIALOG(box.get()));
}

}  // namespace

int main() {
    // The program takes no options, so GTK gets none of the command line.
    g_set_prgname("sonabel");
    g_set_application_name(kWindowTitle);
    gtk_init_check(nullptr, nullptr);

    const std::string startUrl = locateStartPage();
    return runStartupSequence([] { return std::make_unique<GtkWebHost>(); }, startUrl, reportStartupError);
}
