#include "opener/XdgOpenWay.h"

#include "opener/GObjectPointer.h"
#include "opener/XcbSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <chrono>
#include <functional>
#include <future>
#include <optional>
#include <thread>

namespace {

// How long each question to the session bus or the X server may take.
constexpr std::chrono::seconds answerTime{2};

// The answer of `question`, asked on a thread of its own; nothing when it has not answered in
// time. A server that takes the connection and never answers blocks only that thread, which
// is left to end whenever it does.
std::optional<bool> askWithin(std::function<std::optional<bool>()> question) {
    auto answer = std::make_shared<std::promise<std::optional<bool>>>();
    std::future<std::optional<bool>> future = answer->get_future();
    std::thread([answer, question = std::move(question)] {
        answer->set_value(question());
    }).detach();
    if (future.wait_for(answerTime) != std::future_status::ready)
        return std::nullopt;
    return future.get();
}

// Whether GNOME's session manager owns its name on the session bus, which makes xdg-open hand
// addresses to GNOME's opener. Asked only of a bus that is there (its address set, or the
// user's bus socket): a bus is never started for the question. No bus, or one that refuses the
// connection, has no GNOME session either; nothing when the bus does not answer in time.
std::optional<bool> gnomeOnSessionBus(const QProcessEnvironment& environment) {
    QByteArray address = environment.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")).toUtf8();
    const QString userBus =
        environment.value(QStringLiteral("XDG_RUNTIME_DIR")) + QStringLiteral("/bus");
    if (address.isEmpty() && environment.contains(QStringLiteral("XDG_RUNTIME_DIR")) &&
        QFileInfo(userBus).exists()) {
        char* escaped = g_dbus_address_escape_value(QFile::encodeName(userBus).constData());
        address = "unix:path=" + QByteArray(escaped);
        g_free(escaped);
    }
    if (address.isEmpty())
        return false;
    if (address.contains("autolaunch:"))
        return std::nullopt; // connecting would start a bus
    return askWithin([address]() -> std::optional<bool> {
        GError* failure = nullptr;
        const GObjectPointer<GDBusConnection> bus(g_dbus_connection_new_for_address_sync(
            address.constData(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &failure));
        if (!bus) {
            g_error_free(failure);
            return false;
        }
        GVariant* reply = g_dbus_connection_call_sync(
            bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "NameHasOwner", g_variant_new("(s)", "org.gnome.SessionManager"), G_VARIANT_TYPE("(b)"),
            G_DBUS_CALL_FLAGS_NONE, static_cast<int>(std::chrono::milliseconds(answerTime).count()),
            nullptr, &failure);
        g_dbus_connection_close_sync(bus.get(), nullptr, nullptr);
        if (reply == nullptr) {
            g_error_free(failure);
            return std::nullopt;
        }
        gboolean owned = FALSE;
        g_variant_get(reply, "(b)", &owned);
        g_variant_unref(reply);
        return owned != FALSE;
    });
}

// Whether the X root window carries Xfce's marks (a property named for Xfce, or Xfce's save
// mode), which make xdg-open hand addresses to Xfce's opener. Any property whose name mentions
// Xfce counts, more than xdg-open looks for. A display that cannot be reached has none; nothing
// when it does not answer in time.
std::optional<bool> xfceOnRootWindow(const QProcessEnvironment& environment) {
    const QByteArray display = environment.value(QStringLiteral("DISPLAY")).toLocal8Bit();
    if (display.isEmpty())
        return false;
    return askWithin([display]() -> std::optional<bool> {
        using XcbSupport::Reply;
        int screenNumber = 0;
        const XcbSupport::Connection connection(xcb_connect(display.constData(), &screenNumber));
        if (xcb_connection_has_error(connection.get()))
            return false;
        const xcb_window_t root = XcbSupport::rootOfScreen(connection.get(), screenNumber);
        const Reply<xcb_list_properties_reply_t> properties(xcb_list_properties_reply(
            connection.get(), xcb_list_properties(connection.get(), root), nullptr));
        if (!properties)
            return std::nullopt;
        const xcb_atom_t* atoms = xcb_list_properties_atoms(properties.get());
        QList<xcb_get_atom_name_cookie_t> names;
        for (int i = 0; i < xcb_list_properties_atoms_length(properties.get()); ++i)
            names.append(xcb_get_atom_name(connection.get(), atoms[i]));
        bool xfce = false;
        for (qsizetype i = 0; i < names.size(); ++i) {
            const Reply<xcb_get_atom_name_reply_t> name(
                xcb_get_atom_name_reply(connection.get(), names[i], nullptr));
            if (!name)
                return std::nullopt;
            const QByteArray text(xcb_get_atom_name_name(name.get()),
                                  xcb_get_atom_name_name_length(name.get()));
            const Reply<xcb_get_property_reply_t> value(xcb_get_property_reply(
                connection.get(),
                xcb_get_property(connection.get(), 0, root, atoms[i], XCB_ATOM_ANY, 0, 64),
                nullptr));
            const QByteArray bytes =
                value ? QByteArray(static_cast<const char*>(xcb_get_property_value(value.get())),
                                   xcb_get_property_value_length(value.get()))
                      : QByteArray();
            xfce = xfce || text.toLower().contains("xfce") ||
                   (text == "_DT_SAVE_MODE" && bytes.toLower().contains("xfce"));
        }
        return xfce;
    });
}

// Whether the session bus or the X root window names a desktop whose own opener xdg-open
// calls; true when a question went unanswered.
bool sessionNamesDesktop(const QProcessEnvironment& environment) {
    return gnomeOnSessionBus(environment).value_or(true) ||
           xfceOnRootWindow(environment).value_or(true);
}

} // namespace

XdgOpenWay xdgOpenWayByEnvironment(const QProcessEnvironment& environment) {
    const auto value = [&](const char* name) {
        return environment.value(QString::fromLatin1(name));
    };
    static const QRegularExpression namedDesktop(
        QStringLiteral("^(Cinnamon|X-Cinnamon|ENLIGHTENMENT|GNOME.*|KDE|DEEPIN|Deepin|deepin|LXDE|"
                       "LXQt|MATE|XFCE)$"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression namedSession(
        QStringLiteral("^(gnome|LXDE|Lubuntu|MATE|xfce|xfce4|Xfce Session)$"));
    const QString desktop = value("XDG_CURRENT_DESKTOP");
    // The older variables count only where XDG_CURRENT_DESKTOP names no desktop xdg-open knows.
    const bool olderVariablesNameDesktop =
        desktop != QStringLiteral("X-Generic") &&
        (!value("KDE_FULL_SESSION").isEmpty() || !value("GNOME_DESKTOP_SESSION_ID").isEmpty() ||
         !value("MATE_DESKTOP_SESSION_ID").isEmpty() ||
         value("DESKTOP").startsWith(QStringLiteral("Enlightenment")) ||
         !value("LXQT_SESSION_CONFIG").isEmpty() ||
         value("DESKTOP_SESSION").contains(namedSession));
    XdgOpenWay way = XdgOpenWay::generic;
    if (desktop.startsWith(QStringLiteral("GNOME")))
        way = XdgOpenWay::gnome;
    else if (desktop == QStringLiteral("KDE"))
        way = XdgOpenWay::kde;
    else if (desktop == QStringLiteral("XFCE"))
        way = XdgOpenWay::xfce;
    else if (desktop.contains(namedDesktop) || olderVariablesNameDesktop)
        way = XdgOpenWay::other;
    // Inside a Flatpak sandbox xdg-open asks the portal; without a display it opens nothing.
    if (QFileInfo(value("XDG_RUNTIME_DIR") + QStringLiteral("/flatpak-info")).isFile() ||
        (value("DISPLAY").isEmpty() && value("WAYLAND_DISPLAY").isEmpty()))
        return XdgOpenWay::other;
    return way;
}

XdgOpenWay xdgOpenWay(const QProcessEnvironment& environment) {
    const XdgOpenWay way = xdgOpenWayByEnvironment(environment);
    if (way == XdgOpenWay::generic && sessionNamesDesktop(environment))
        return XdgOpenWay::other;
    return way;
}
