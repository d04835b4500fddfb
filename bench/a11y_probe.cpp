#include "a11y_probe.h"

#include <atspi/atspi.h>
#include <dbus/dbus.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <thread>

namespace verrimo::bench {

namespace {

// A stalled program must still be measured, not given up on.
constexpr int kCallTimeoutMs = 300000;
// A reader reads a list's items as the user moves through them, not all at once.
constexpr int kSearchedChildren = 1000;

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "a11y probe: %s\n", what.c_str());
    std::exit(1);
}

struct Unref {
    void operator()(void* object) const {
        if (object) g_object_unref(object);
    }
};
template <class T>
using Ref = std::unique_ptr<T, Unref>;

std::string takeString(gchar* text) {
    std::string kept = text ? text : "";
    g_free(text);
    return kept;
}

bool hasState(AtspiAccessible* object, AtspiStateType state) {
    const Ref<AtspiStateSet> states(atspi_accessible_get_state_set(object));
    return states && atspi_state_set_contains(states.get(), state);
}

void countEvent(AtspiEvent* event, void* count) {
    ++*static_cast<std::size_t*>(count);
    g_boxed_free(ATSPI_TYPE_EVENT, event);
}

}  // namespace

void A11yProbe::AnnounceScreenReader() {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* session = dbus_bus_get(DBUS_BUS_SESSION, &error);
    if (!session) fail("no session bus");
    DBusMessage* set = dbus_message_new_method_call("org.a11y.Bus", "/org/a11y/bus",
                                                    "org.freedesktop.DBus.Properties", "Set");
    const char* interface = "org.a11y.Status";
    const char* property = "ScreenReaderEnabled";
    dbus_bool_t on = TRUE;
    DBusMessageIter args;
    DBusMessageIter value;
    dbus_message_iter_init_append(set, &args);
    dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &interface);
    dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &property);
    dbus_message_iter_open_container(&args, DBUS_TYPE_VARIANT, "b", &value);
    dbus_message_iter_append_basic(&value, DBUS_TYPE_BOOLEAN, &on);
    dbus_message_iter_close_container(&args, &value);
    DBusMessage* reply =
        dbus_connection_send_with_reply_and_block(session, set, kCallTimeoutMs, &error);
    if (!reply) fail(std::string("cannot start the accessibility bus: ") + error.message);
    dbus_message_unref(reply);
    dbus_message_unref(set);
    dbus_connection_unref(session);
}

template <class Ask>
auto A11yProbe::Timed(const char* what, Ask ask) {
    const Clock::time_point sent = Clock::now();
    auto answer = ask();
    calls_.push_back({what, sent, Clock::now() - sent});
    return answer;
}

A11yProbe::A11yProbe(pid_t program, const std::vector<std::string>& windows) {
    if (atspi_init() < 0) fail("no accessibility bus");
    atspi_set_timeout(kCallTimeoutMs, kCallTimeoutMs);
    AtspiEventListener* listener = atspi_event_listener_new(countEvent, &events_, nullptr);
    listener_ = listener;
    for (const char* events : {"object:", "window:", "focus:"})
        if (!atspi_event_listener_register(listener, events, nullptr)) fail("cannot follow events");
    for (int attempt = 0; attempt < 600 && !app_; ++attempt) {
        const Ref<AtspiAccessible> desktop(atspi_get_desktop(0));
        const int apps = atspi_accessible_get_child_count(desktop.get(), nullptr);
        for (int i = 0; i < apps && !app_; ++i) {
            Ref<AtspiAccessible> app(
                atspi_accessible_get_child_at_index(desktop.get(), i, nullptr));
            if (app &&
                atspi_accessible_get_process_id(app.get(), nullptr) == static_cast<guint>(program))
                app_ = app.release();
        }
        if (!app_) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!app_) fail("the program did not come onto the accessibility bus");
    for (const std::string& name : windows) {
        std::optional<Clock::time_point> showing;
        for (int attempt = 0; attempt < 600 && !showing; ++attempt) {
            Ref<AtspiAccessible> window(Window(name, &showing));
            if (!showing) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (!showing) fail("the window " + name + " did not show");
    }
    calls_.clear();
}

A11yProbe::~A11yProbe() {
    if (listener_) {
        for (const char* events : {"object:", "window:", "focus:"})
            atspi_event_listener_deregister(static_cast<AtspiEventListener*>(listener_), events,
                                            nullptr);
        g_object_unref(listener_);
    }
    for (AtspiAccessible* text : texts_) g_object_unref(text);
    if (app_) g_object_unref(app_);
}

AtspiAccessible* A11yProbe::Window(const std::string& name,
                                   std::optional<Clock::time_point>* showing) {
    const int count =
        Timed("window list", [&] { return atspi_accessible_get_child_count(app_, nullptr); });
    AtspiAccessible* found = nullptr;
    for (int i = 0; i < count; ++i) {
        Ref<AtspiAccessible> window(Timed(
            "window list", [&] { return atspi_accessible_get_child_at_index(app_, i, nullptr); }));
        if (!window) continue;
        const std::string title = Timed("window name", [&] {
            return takeString(atspi_accessible_get_name(window.get(), nullptr));
        });
        const bool shows =
            Timed("window state", [&] { return hasState(window.get(), ATSPI_STATE_SHOWING); });
        if (title == name && !found) {
            found = window.release();
            if (shows) *showing = Clock::now();
        }
    }
    return found;
}

AtspiAccessible* A11yProbe::Find(AtspiAccessible* from, const std::string& name, int role,
                                 const char* what, const char* whole) {
    const std::function<AtspiAccessible*(AtspiAccessible*)> search =
        [&](AtspiAccessible* node) -> AtspiAccessible* {
        const int count =
            Timed(what, [&] { return atspi_accessible_get_child_count(node, nullptr); });
        if (count > kSearchedChildren) return nullptr;
        for (int i = 0; i < count; ++i) {
            Ref<AtspiAccessible> child(
                Timed(what, [&] { return atspi_accessible_get_child_at_index(node, i, nullptr); }));
            if (!child) continue;
            const std::string childName = Timed(
                what, [&] { return takeString(atspi_accessible_get_name(child.get(), nullptr)); });
            const int childRole =
                Timed(what, [&] { return atspi_accessible_get_role(child.get(), nullptr); });
            if (childName == name && (role < 0 || childRole == role)) return child.release();
            Look();
            if (AtspiAccessible* below = search(child.get())) return below;
        }
        return nullptr;
    };
    const Clock::time_point sent = Clock::now();
    AtspiAccessible* found = search(from);
    calls_.push_back({whole, sent, Clock::now() - sent});
    return found;
}

void A11yProbe::Type(const std::string& window, const std::string& field, const std::string& text) {
    std::optional<Clock::time_point> showing;
    const Ref<AtspiAccessible> form(Window(window, &showing));
    if (!form) fail("no window " + window);
    const Ref<AtspiAccessible> edit(Find(form.get(), field, ATSPI_ROLE_TEXT, "find", "find"));
    if (!edit) fail("no text field " + field);
    const Ref<AtspiEditableText> editable(atspi_accessible_get_editable_text_iface(edit.get()));
    if (!editable || !Timed("type", [&] {
            return atspi_editable_text_set_text_contents(editable.get(), text.c_str(), nullptr);
        }))
        fail("cannot type into " + field);
}

void A11yProbe::Press(const std::string& window, const std::string& button) {
    std::optional<Clock::time_point> showing;
    const Ref<AtspiAccessible> form(Window(window, &showing));
    if (!form) fail("no window " + window);
    const Ref<AtspiAccessible> found(
        Find(form.get(), button, ATSPI_ROLE_PUSH_BUTTON, "find", "find"));
    if (!found) fail("no button " + button);
    const Ref<AtspiAction> action(atspi_accessible_get_action_iface(found.get()));
    if (!action ||
        !Timed("press", [&] { return atspi_action_do_action(action.get(), 0, nullptr); }))
        fail("cannot press " + button);
}

void A11yProbe::ReadLine(AtspiAccessible* object) {
    const Ref<AtspiText> text(atspi_accessible_get_text_iface(object));
    if (!text) fail("a text without its text interface");
    Timed("character count", [&] { return atspi_text_get_character_count(text.get(), nullptr); });
    const int caret =
        Timed("caret", [&] { return atspi_text_get_caret_offset(text.get(), nullptr); });
    AtspiTextRange* line = Timed("line at the caret", [&] {
        return atspi_text_get_string_at_offset(text.get(), caret, ATSPI_TEXT_GRANULARITY_LINE,
                                               nullptr);
    });
    if (line) g_boxed_free(ATSPI_TYPE_TEXT_RANGE, line);
}

void A11yProbe::FollowTexts(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        AtspiAccessible* text = Find(app_, name, ATSPI_ROLE_TEXT, "find", "find");
        if (!text) fail("no text " + name);
        texts_.push_back(text);
    }
}

void A11yProbe::Watch(const std::string& window) {
    watched_ = window;
    seen_.reset();
    looked_ = {};
}

void A11yProbe::Look() {
    if (watched_.empty() || seen_ || Clock::now() - looked_ < std::chrono::milliseconds(100))
        return;
    looked_ = Clock::now();
    const Ref<AtspiAccessible> window(Window(watched_, &seen_));
}

void A11yProbe::Round(const std::string& button) {
    // The desktop's list of applications comes from the registry, and each one's name from it.
    const Ref<AtspiAccessible> desktop(atspi_get_desktop(0));
    const int apps =
        Timed("desktop", [&] { return atspi_accessible_get_child_count(desktop.get(), nullptr); });
    for (int i = 0; i < apps; ++i) {
        const Ref<AtspiAccessible> app(
            atspi_accessible_get_child_at_index(desktop.get(), i, nullptr));
        if (app)
            Timed("application name",
                  [&] { return takeString(atspi_accessible_get_name(app.get(), nullptr)); });
    }
    std::optional<Clock::time_point> showing;
    const Ref<AtspiAccessible> window(Window(watched_, &showing));
    if (!seen_) seen_ = showing;
    const Ref<AtspiAccessible> found(
        Find(app_, button, ATSPI_ROLE_PUSH_BUTTON, "search step", "search for the button"));
    // The list of windows may change under a search while windows come and go.
    if (!found) ++missed_;
    for (AtspiAccessible* text : texts_) ReadLine(text);
    // The events that came in meanwhile reach their listener.
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

}  // namespace verrimo::bench
