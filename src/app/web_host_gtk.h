#pragma once
// The Linux web host: a GTK 3 window holding a WebKitGTK 4.1 view, with the
// operations the shell needs of the webview library on Windows.

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "app/web_host.h"
#include "app/web_process_recovery.h"

// Releases a GObject reference when its owner goes.
struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// Destroys a top-level GTK widget, which also releases the widgets it holds.
struct GtkWidgetDestroy {
    void operator()(GtkWidget* widget) const { gtk_widget_destroy(widget); }
};
using GtkWidgetPtr = std::unique_ptr<GtkWidget, GtkWidgetDestroy>;

class GtkWebHost final : public WebHost {
public:
    // GTK must be initialised. Throws WebHostError when there is no display.
    GtkWebHost();
    ~GtkWebHost() override;
    GtkWebHost(const GtkWebHost&) = delete;
    GtkWebHost& operator=(const GtkWebHost&) = delete;

    void setTitle(const std::string& title) override;
    void setSize(int width, int height) override;
    void* nativeWindow() override;
    void bind(const std::string& name, NativeActionHandler handler) override;
    void navigate(const std::string& url) override;
    // Throws WebHostError when the web process died under the page.
    void run() override;
    void terminate() override;
    void evaluateScript(const std::string& script) override;

    // Where the page's web storage lives between runs.
    static std::string websiteDataFolder();

private:
    struct PageCall;

    static void onScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* message, gpointer self);
    static gboolean servePageCall(gpointer call);
    static gboolean onDeleteEvent(GtkWidget*, GdkEvent*, gpointer self);
    static gboolean onPermissionRequest(WebKitWebView*, WebKitPermissionRequest* request, gpointer);
    static gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                   gpointer self);
    static void onWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer self);

    void installBridgeScript();
    // Reloads the start page after the web process died, or ends the run.
    void recoverFromWebProcessDeath(const char* cause);
    void reply(const std::string& id, bool succeeded, const std::string& text);

    GObjectPtr<WebKitUserContentManager> contentManager_;
    GObjectPtr<WebKitWebContext> context_;
    GtkWidgetPtr window_;
    WebKitWebView* view_ = nullptr;  // owned by window_
    std::unique_ptr<GMainLoop, decltype(&g_main_loop_unref)> loop_;
    std::map<std::string, NativeActionHandler> bindings_;
    // Idle sources of page calls not served yet, removed if the host goes first.
    std::set<guint> queuedCalls_;
    bool shown_ = false;
    bool navigationAsked_ = false;  // the next main-frame load is ours
    std::optional<std::string> failure_;
    std::string startUrl_;
    WebProcessRecovery recovery_;
};
