#include "opener/DefaultBrowserCommand.h"

#include "opener/XcbSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>

// GLib names a structure member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#pragma pop_macro("signals")

namespace {

// Characters that xdg-open's shell would expand in an Exec value, or that the desktop-entry
// rules would read otherwise than xdg-open does (quoting, escapes, reserved characters).
const QString readDifferently = QStringLiteral("\"'\\$`*?[]~;&|<>(){}");

// How long each question to the session bus or the X server may take.
constexpr std::chrono::seconds answerTime{2};

template <typename T> struct Unref {
    void operator()(T* object) const { g_object_unref(object); }
};
template <typename T> using GObjectPointer = std::unique_ptr<T, Unref<T>>;
struct FreeError {
    void operator()(GError* error) const { g_error_free(error); }
};
using ErrorPointer = std::unique_ptr<GError, FreeError>;

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

// Whether the program of this name first on PATH is xdg-utils' own, byte for byte as Debian's
// package manager installed it: another one (a wrapper of the user's, an edited copy) may do
// anything with an address. Not certain without the package manager's record.
bool isInstalledXdgUtils(const QString& name) {
    QFile sums(QStringLiteral("/var/lib/dpkg/info/xdg-utils.md5sums"));
    if (!sums.open(QIODevice::ReadOnly))
        return false;
    const QByteArray installedPath = "usr/bin/" + name.toLatin1();
    QByteArray installedSum;
    for (const QByteArray& line : sums.readAll().split('\n'))
        if (line.endsWith("  " + installedPath))
            installedSum = line.first(line.indexOf(' '));
    const QString found = QStandardPaths::findExecutable(name);
    QFile program(found);
    constexpr qint64 longestScript = 1 << 20; // xdg-utils' are about 30 KiB
    if (installedSum.isEmpty() || found.isEmpty() ||
        QFileInfo(found).canonicalFilePath() !=
            QFileInfo(u'/' + QString::fromLatin1(installedPath)).canonicalFilePath() ||
        !program.open(QIODevice::ReadOnly))
        return false;
    return QCryptographicHash::hash(program.read(longestScript), QCryptographicHash::Md5).toHex() ==
           installedSum;
}

// The desktop entry xdg-open runs for the handler named `entryName`: the first of the data
// folders' applications folders holding it (also as vendor/name for vendor-name). Nothing when a
// folder searched before it has subfolders, which xdg-open would search too.
std::optional<QString> desktopEntryFile(const QString& entryName,
                                        const QProcessEnvironment& environment) {
    QString userFolder = environment.value(QStringLiteral("XDG_DATA_HOME"));
    if (userFolder.isEmpty())
        userFolder = environment.value(QStringLiteral("HOME")) + QStringLiteral("/.local/share");
    QString systemFolders = environment.value(QStringLiteral("XDG_DATA_DIRS"));
    if (systemFolders.isEmpty())
        systemFolders = QStringLiteral("/usr/local/share/:/usr/share/");
    const QString folders = userFolder + u':' + systemFolders;
    if (folders.contains(QRegularExpression(QStringLiteral("\\s"))))
        return std::nullopt; // xdg-open splits the list at white space too
    QString vendorName = entryName;
    if (const qsizetype dash = vendorName.indexOf(u'-'); dash >= 0)
        vendorName[dash] = u'/';
    for (const QString& folder : folders.split(u':', Qt::SkipEmptyParts)) {
        const QString applications = folder + QStringLiteral("/applications/");
        for (const QString& name : {entryName, vendorName})
            if (QFileInfo file(applications + name); file.isReadable() && !file.isDir())
                return file.filePath();
        if (!QDir(applications).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty())
            return std::nullopt;
    }
    return std::nullopt;
}

// The folders of `variable`, or of `fallback` when it is unset, each as written.
QStringList foldersOf(const QProcessEnvironment& environment, const char* variable,
                      const QString& fallback) {
    const QString value = environment.value(QString::fromLatin1(variable));
    return (value.isEmpty() ? fallback : value).split(u':', Qt::SkipEmptyParts);
}

// The default handler for `type` that the association files name where every reader reads them
// alike: the first mimeapps.list (desktop-specific ones first in each folder; the configuration
// folders, then the data folders' applications folders) whose [Default Applications] group
// mentions the type mentions it once, as a plain `type=` line, and its first entry is taken.
// A file whose reading could differ (a key written twice, with blanks or in other case, a
// folder not absolute) gives nothing.
std::optional<QString> plainlyNamedDefault(const QString& type,
                                           const QProcessEnvironment& environment) {
    const QString home = environment.value(QStringLiteral("HOME"));
    QStringList folders =
        foldersOf(environment, "XDG_CONFIG_HOME", home + QStringLiteral("/.config")) +
        foldersOf(environment, "XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    for (const QString& data :
         foldersOf(environment, "XDG_DATA_HOME", home + QStringLiteral("/.local/share")) +
             foldersOf(environment, "XDG_DATA_DIRS",
                       QStringLiteral("/usr/local/share/:/usr/share/")))
        folders.append(data + QStringLiteral("/applications"));
    QStringList prefixes;
    for (const QString& desktop : environment.value(QStringLiteral("XDG_CURRENT_DESKTOP"))
                                      .toLower()
                                      .split(u':', Qt::SkipEmptyParts))
        prefixes.append(desktop + u'-');
    prefixes.append(QString());
    for (const QString& folder : folders) {
        if (!QDir::isAbsolutePath(folder))
            return std::nullopt;
        for (const QString& prefix : prefixes) {
            QFile file(folder + u'/' + prefix + QStringLiteral("mimeapps.list"));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            bool inDefaults = false;
            qsizetype mentions = 0;
            std::optional<QString> named;
            for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
                if (line.trimmed().startsWith(u'[')) {
                    inDefaults = line.trimmed() == QStringLiteral("[Default Applications]");
                } else if (inDefaults &&
                           line.section(u'=', 0, 0).trimmed().compare(type, Qt::CaseInsensitive) ==
                               0) {
                    ++mentions;
                    if (line.startsWith(type + u'='))
                        named = line.sliced(type.size() + 1).section(u';', 0, 0);
                }
            }
            if (mentions > 1 || (mentions == 1 && !named))
                return std::nullopt;
            if (named)
                return named;
        }
    }
    return std::nullopt;
}

// Whether each group of the entry holds its Exec key on one line at most: of two, the library
// reads the last and xdg-open the first.
bool execWrittenOncePerGroup(const QString& text, const char* filename) {
    GKeyFile* file = g_key_file_new();
    const auto free = qScopeGuard([file] { g_key_file_free(file); });
    if (!g_key_file_load_from_file(file, filename, G_KEY_FILE_NONE, nullptr))
        return false;
    gchar** groups = g_key_file_get_groups(file, nullptr);
    qsizetype groupsWithExec = 0;
    for (gchar** group = groups; *group != nullptr; ++group)
        groupsWithExec += g_key_file_has_key(file, *group, "Exec", nullptr) ? 1 : 0;
    g_strfreev(groups);
    static const QRegularExpression execLine(QStringLiteral("^[ \t]*Exec[ \t]*="),
                                             QRegularExpression::MultilineOption);
    return text.count(execLine) == groupsWithExec;
}

// The command xdg-open runs for an address of `scheme`, its program found in PATH: the default
// handler as GLib finds it, where the association files name it plainly, read from its entry.
std::optional<BrowserCommand> commandForScheme(const QString& scheme,
                                               const QProcessEnvironment& environment) {
    const auto named =
        plainlyNamedDefault(QStringLiteral("x-scheme-handler/") + scheme, environment);
    static const QRegularExpression entryName(QStringLiteral("^[A-Za-z0-9_.-]+\\.desktop$"));
    if (!named || !named->contains(entryName))
        return std::nullopt;
    const GObjectPointer<GAppInfo> handler(
        g_app_info_get_default_for_uri_scheme(scheme.toUtf8().constData()));
    if (!handler || !G_IS_DESKTOP_APP_INFO(handler.get()) ||
        QString::fromUtf8(g_app_info_get_id(handler.get())) != *named)
        return std::nullopt;
    GDesktopAppInfo* entry = G_DESKTOP_APP_INFO(handler.get());
    const char* filename = g_desktop_app_info_get_filename(entry);
    const auto path = desktopEntryFile(*named, environment);
    if (!path || filename == nullptr ||
        QFileInfo(*path).canonicalFilePath() !=
            QFileInfo(QFile::decodeName(filename)).canonicalFilePath())
        return std::nullopt;
    QFile file(*path);
    constexpr qint64 longestEntry = 1 << 20;
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString text = QString::fromUtf8(file.read(longestEntry));
    gchar* execValue = g_desktop_app_info_get_string(entry, "Exec");
    const QString exec = QString::fromUtf8(execValue);
    g_free(execValue);
    // xdg-open reads the entry's lines as written: a line that ends in a backslash is joined to
    // the next, and an escape or blanks around the = read otherwise than the library's value.
    if (text.contains(QStringLiteral("\\\n")) ||
        g_desktop_app_info_get_boolean(entry, "Terminal") ||
        !text.split(u'\n').contains(QStringLiteral("Exec=") + exec) ||
        !execWrittenOncePerGroup(text, filename))
        return std::nullopt;
    auto command = commandOfExec(exec);
    if (!command)
        return std::nullopt;
    QString& program = command->arguments.first();
    if (program.contains(u'/') && !program.startsWith(u'/'))
        return std::nullopt;
    program = QStandardPaths::findExecutable(program);
    if (program.isEmpty())
        return std::nullopt;
    return command;
}

} // namespace

QStringList BrowserCommand::launchWith(const QStringList& addresses) const {
    return arguments.first(addressesAt) + addresses + arguments.sliced(addressesAt);
}

bool isWebAddress(const QString& address) {
    if (!address.startsWith(QStringLiteral("http://")) &&
        !address.startsWith(QStringLiteral("https://")))
        return false;
    return std::none_of(address.begin(), address.end(), [](QChar character) {
        return character.isSpace() || character.category() == QChar::Other_Control;
    });
}

std::optional<BrowserCommand> commandOfExec(const QString& exec) {
    static const QRegularExpression blanks(QStringLiteral("[ \t]+"));
    const QStringList words = exec.split(blanks, Qt::SkipEmptyParts);
    BrowserCommand command;
    for (const QString& word : words) {
        if (word == QStringLiteral("%U") || word == QStringLiteral("%u")) {
            if (command.addressesAt != 0 || command.arguments.isEmpty())
                return std::nullopt;
            command.addressesAt = command.arguments.size();
            command.takesList = word == QStringLiteral("%U");
            continue;
        }
        if (word.contains(u'%') || std::any_of(word.begin(), word.end(), [](QChar character) {
                return readDifferently.contains(character);
            }))
            return std::nullopt;
        command.arguments.append(word);
    }
    if (command.addressesAt == 0)
        return std::nullopt;
    return command;
}

bool environmentChoosesGenericWay(const QProcessEnvironment& environment) {
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
    if (desktop.contains(namedDesktop))
        return false;
    if (desktop != QStringLiteral("X-Generic") &&
        (!value("KDE_FULL_SESSION").isEmpty() || !value("GNOME_DESKTOP_SESSION_ID").isEmpty() ||
         !value("MATE_DESKTOP_SESSION_ID").isEmpty() ||
         value("DESKTOP").startsWith(QStringLiteral("Enlightenment")) ||
         !value("LXQT_SESSION_CONFIG").isEmpty() ||
         value("DESKTOP_SESSION").contains(namedSession)))
        return false;
    if (QFileInfo(value("XDG_RUNTIME_DIR") + QStringLiteral("/flatpak-info")).isFile())
        return false;
    return !value("DISPLAY").isEmpty() || !value("WAYLAND_DISPLAY").isEmpty();
}

std::optional<BrowserCommand> defaultBrowserCommand() {
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!environmentChoosesGenericWay(environment) ||
        !isInstalledXdgUtils(QStringLiteral("xdg-open")) ||
        !isInstalledXdgUtils(QStringLiteral("xdg-mime")) || sessionNamesDesktop(environment))
        return std::nullopt;
    auto http = commandForScheme(QStringLiteral("http"), environment);
    const auto https = commandForScheme(QStringLiteral("https"), environment);
    if (!http || !https || http->arguments != https->arguments ||
        http->addressesAt != https->addressesAt || http->takesList != https->takesList)
        return std::nullopt;
    return http;
}
