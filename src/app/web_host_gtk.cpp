#include "app/web_host_gtk.h"

#include <string>
#include <utility>

#include "app/download_dialog_gtk.h"
#include "app/web_host_bridge_script.h"
#include "import/track_batch.h"

namespace {

constexpr const char* kMessageChannel = "__webview__";
constexpr std::string_view kBoundNamesMarker = "/*BOUND_NAMES*/[]";

// A JavaScript string literal holding `text` exactly.
std::string scriptString(const std::string& text) {
    std::string literal(1, '"');
    literal += escapeJsonString(text);
    literal += '"';
    return literal;
}

// A string property of a page message; empty when absent or not a string.
std::string stringProperty(JSCValue* object, const char* name) {
    GObjectPtr<JSCValue> value(jsc_value_object_get_property(object, name));
    if (!value || !jsc_value_is_string(value.get())) return {};
    g_autofree char* text = jsc_value_to_string(value.get());
    return text ? text : "";
}

}  // namespace

// One page call on its way from the message channel to the UI loop.
struct GtkWebHost::PageCall {
    GtkWebHost* host;
    std::string id;
    std::string name;
    std::string params;
};

std::string GtkWebHost::websiteDataFolder() {
    g_autofree char* folder = g_build_filename(g_get_user_data_dir(), "sonabel", nullptr);
    return folder;
}

GtkWebHost::GtkWebHost() : loop_(g_main_loop_new(nullptr, FALSE), &g_main_loop_unref) {
    if (gdk_display_get_default() == nullptr) {
        const char* name = gdk_get_display_arg_name();
        throw WebHostError(std::string("Cannot open display: ") + (name ? name : ""));
    }

    // Storage in our own folder, so it persists between runs and is ours alone.
    const std::string dataFolder = websiteDataFolder();
    g_autofree char* cacheFolder = g_build_filename(g_get_user_cache_dir(), "sonabel", nullptr);
    GObjectPtr<WebKitWebsiteDataManager> dataManager(webkit_website_data_manager_new(
        "base-data-directory", dataFolder.c_str(), "base-cache-directory", cacheFolder, nullptr));
    context_.reset(webkit_web_context_new_with_website_data_manager(dataManager.get()));
    // One local page: no need for the memory a browser's caches take.
    webkit_web_context_set_cache_model(context_.get(), WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
    askWhereDownloadsGo(context_.get());

    contentManager_.reset(webkit_user_content_manager_new());
    g_signal_connect(contentManager_.get(), "script-message-received::__webview__",
                     G_CALLBACK(&GtkWebHost::onScriptMessage), this);
    webkit_user_content_manager_register_script_message_handler(contentManager_.get(), kMessageChannel);
    installBridgeScript();

    GObjectPtr<WebKitSettings> settings(webkit_settings_new());
    webkit_settings_set_enable_developer_extras(settings.get(), FALSE);
    // The player may read the clipboard without asking (see also the
    // permission request below).
    webkit_settings_set_javascript_can_access_clipboard(settings.get(), TRUE);
    // A music player must move on to the next track without a click.
    webkit_settings_set_media_playback_requires_user_gesture(settings.get(), FALSE);
    // The player plays file:// tracks from any folder and may read them.
    webkit_settings_set_allow_file_access_from_file_urls(settings.get(), TRUE);
    // The player is text and a few images: drawn without the GL compositor,
    // its first frame after start-up comes about 500 ms sooner with Mesa's
    // software renderer and the web process needs less memory (bench/).
    webkit_settings_set_hardware_acceleration_policy(settings.get(), WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
    webkit_settings_set_enable_html5_local_storage(settings.get(), TRUE);
    webkit_settings_set_enable_html5_database(settings.get(), TRUE);

    GObjectPtr<WebKitWebsitePolicies> policies(
        webkit_website_policies_new_with_policies("autoplay", WEBKIT_AUTOPLAY_ALLOW, nullptr));

    window_.reset(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    g_signal_connect(window_.get(), "delete-event", G_CALLBACK(&GtkWebHost::onDeleteEvent), this);

    view_ = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context_.get(),
                                         "user-content-manager", contentManager_.get(), "settings",
                                         settings.get(), "website-policies", policies.get(), nullptr));
    g_signal_connect(view_, "permission-request", G_CALLBACK(&GtkWebHost::onPermissionRequest), this);
    g_signal_connect(view_, "decide-policy", G_CALLBACK(&GtkWebHost::onDecidePolicy), this);
    g_signal_connect(view_, "web-process-terminated", G_CALLBACK(&GtkWebHost::onWebProcessTerminated), this);
    gtk_container_add(GTK_CONTAINER(window_.get()), GTK_WIDGET(view_));
    gtk_widget_grab_focus(GTK_WIDGET(view_));
}

GtkWebHost::~GtkWebHost() {
    for (guint source : queuedCalls_) g_source_remove(source);
    g_signal_handlers_disconnect_by_data(contentManager_.get(), this);
    if (window_) g_signal_handlers_disconnect_by_data(window_.get(), this);
    if (view_) g_signal_handlers_disconnect_by_data(view_, this);
}

void GtkWebHost::setTitle(const std::string& title) {
    gtk_window_set_title(GTK_WINDOW(window_.get()), title.c_str());
}

void GtkWebHost::setSize(int width, int height) {
    GtkWindow* window = GTK_WINDOW(window_.get());
    gtk_window_set_resizable(window, TRUE);
    if (shown_) {
        gtk_window_resize(window, width, height);
        return;
    }
    // As on Windows, the first size request shows the window, at that size.
    gtk_window_set_default_size(window, width, height);
    gtk_widget_show_all(window_.get());
    gtk_window_present(window);
    shown_ = true;
}

void* GtkWebHost::nativeWindow() {
    return window_.get();
}

void GtkWebHost::bind(const std::string& name, NativeActionHandler handler) {
    bindings_[name] = std::move(handler);
    installBridgeScript();
}

void GtkWebHost::navigate(const std::string& url) {
    if (startUrl_.empty()) startUrl_ = url;
    navigationAsked_ = true;
    webkit_web_view_load_uri(view_, url.c_str());
}

namespace {
// The same document, whatever the fragment: a reload or an in-page link.
bool sameDocument(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return false;
    const std::string x(a), y(b);
    return x.substr(0, x.find('#')) == y.substr(0, y.find('#'));
}
}  // namespace

// A backstop for the page's own guards: the main frame never leaves the
// page we loaded (a dropped file or a stray link would replace the player),
// and nothing opens a window of its own.
gboolean GtkWebHost::onDecidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision,
                                    WebKitPolicyDecisionType type, gpointer self) {
    auto* host = static_cast<GtkWebHost*>(self);
    if (type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
        webkit_policy_decision_ignore(decision);
        return TRUE;
    }
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) return FALSE;
    if (host->navigationAsked_) {
        host->navigationAsked_ = false;
        return FALSE;
    }
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    const char* target = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    if (sameDocument(target, webkit_web_view_get_uri(view))) return FALSE;
    // The page's own data offered as a file (an exported playlist) is saved,
    // never shown in place of the player.
    if (target != nullptr && g_str_has_prefix(target, "blob:")) {
        webkit_policy_decision_download(decision);
        return TRUE;
    }
    webkit_policy_decision_ignore(decision);
    return TRUE;
}

void GtkWebHost::run() {
    g_main_loop_run(loop_.get());
    if (failure_) throw WebHostError(*failure_);
}

void GtkWebHost::terminate() {
    g_main_loop_quit(loop_.get());
}

void GtkWebHost::evaluateScript(const std::string& script) {
    webkit_web_view_evaluate_javascript(view_, script.c_str(), static_cast<gssize>(script.size()), nullptr,
                                        nullptr, nullptr, nullptr, nullptr);
}

void GtkWebHost::installBridgeScript() {
    std::string names = "[";
    for (const auto& [name, handler] : bindings_) {
        if (names.size() > 1) names += ",";
        names += scriptString(name);
    }
    names += "]";
    std::string source(kWebHostBridgeScript);
    source.replace(source.find(kBoundNamesMarker), kBoundNamesMarker.size(), names);

    webkit_user_content_manager_remove_all_scripts(contentManager_.get());
    // At document start of every top-level document, reloads included, so
    // the page's first script already finds its bindings.
    std::unique_ptr<WebKitUserScript, decltype(&webkit_user_script_unref)> script(
        webkit_user_script_new(source.c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                               WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr),
        &webkit_user_script_unref);
    webkit_user_content_manager_add_script(contentManager_.get(), script.get());
}

void GtkWebHost::onScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* message, gpointer self) {
    auto* host = static_cast<GtkWebHost*>(self);
    JSCValue* value = webkit_javascript_result_get_js_value(message);
    if (!jsc_value_is_object(value)) return;
    auto call = std::make_unique<PageCall>(
        PageCall{host, stringProperty(value, "id"), stringProperty(value, "name"), stringProperty(value, "params")});
    if (call->id.empty()) return;
    // Served from the loop rather than inside WebKit's message delivery; a
    // dialog's nested loop serves these too.
    const guint source = g_idle_add_full(
        G_PRIORITY_DEFAULT, &GtkWebHost::servePageCall, call.release(),
        [](gpointer data) { delete static_cast<PageCall*>(data); });
    host->queuedCalls_.insert(source);
}

gboolean GtkWebHost::servePageCall(gpointer data) {
    const auto& call = *static_cast<PageCall*>(data);
    GtkWebHost* host = call.host;
    host->queuedCalls_.erase(g_source_get_id(g_main_current_source()));

    const auto binding = host->bindings_.find(call.name);
    if (binding == host->bindings_.end()) {
        host->reply(call.id, false, "No native function named " + call.name);
        return G_SOURCE_REMOVE;
    }
    // No exception may cross back into GTK's C frames.
    try {
        const std::string result = binding->second(call.params);
        host->reply(call.id, true, result);
    } catch (const std::exception& error) {
        host->reply(call.id, false, error.what());
    } catch (...) {
        host->reply(call.id, false, "Native call failed");
    }
    return G_SOURCE_REMOVE;
}

void GtkWebHost::reply(const std::string& id, bool succeeded, const std::string& text) {
    evaluateScript("window.__webview__ && window.__webview__.onReply(" + scriptString(id) + "," +
                   (succeeded ? "true" : "false") + "," + scriptString(text) + ")");
}

gboolean GtkWebHost::onDeleteEvent(GtkWidget*, GdkEvent*, gpointer self) {
    // Closing from the frame ends the loop; the window goes with the host.
    static_cast<GtkWebHost*>(self)->terminate();
    return TRUE;
}

gboolean GtkWebHost::onPermissionRequest(WebKitWebView*, WebKitPermissionRequest* request, gpointer) {
    // The player may read the clipboard without asking; other requests get
    // WebKit's default answer.
    if (WEBKIT_IS_CLIPBOARD_PERMISSION_REQUEST(request)) {
        webkit_permission_request_allow(request);
        return TRUE;
    }
    return FALSE;
}

void GtkWebHost::onWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason reason, gpointer self) {
    auto* host = static_cast<GtkWebHost*>(self);
    switch (reason) {
    case WEBKIT_WEB_PROCESS_CRASHED:
        host->recoverFromWebProcessDeath("The web process crashed.");
        break;
    case WEBKIT_WEB_PROCESS_EXCEEDED_MEMORY_LIMIT:
        host->recoverFromWebProcessDeath("The web process exceeded its memory limit.");
        break;
    default:
        break;
    }
}

void GtkWebHost::recoverFromWebProcessDeath(const char* cause) {
    // The library is on disk, so a fresh start page brings the player back.
    if (!startUrl_.empty() && recovery_.shouldReloadAfterDeathAt(WebProcessRecovery::Clock::now())) {
        navigationAsked_ = true;
        webkit_web_view_load_uri(view_, startUrl_.c_str());
        return;
    }
    // Dying again at once: the window would stay blank; end the run the way
    // any other host failure does.
    failure_ = cause;
    terminate();
}
