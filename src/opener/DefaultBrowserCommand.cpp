#include "opener/DefaultBrowserCommand.h"

#include "opener/DesktopOpenerChoice.h"
#include "opener/GObjectPointer.h"
#include "opener/XdgBaseFolders.h"
#include "opener/XdgOpenWay.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <memory>

// GLib names a structure member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#pragma pop_macro("signals")

namespace {

// Characters that xdg-open's shell would expand in an Exec value, or that the desktop-entry
// rules would read otherwise than xdg-open does (quoting, escapes, reserved characters).
const QString readDifferently = QStringLiteral("\"'\\$`*?[]~;&|<>(){}");

// The desktop entry xdg-open runs for the handler named `entryName`: the first of the data
// folders' applications folders holding it (also as vendor/name for vendor-name). Nothing when a
// folder searched before it has subfolders, which xdg-open would search too.
std::optional<QString> desktopEntryFile(const QString& entryName,
                                        const QProcessEnvironment& environment) {
    const QStringList folders = xdgDataFolders(environment);
    if (folders.join(u':').contains(QRegularExpression(QStringLiteral("\\s"))))
        return std::nullopt; // xdg-open splits the list at white space too
    QString vendorName = entryName;
    if (const qsizetype dash = vendorName.indexOf(u'-'); dash >= 0)
        vendorName[dash] = u'/';
    for (const QString& folder : folders) {
        const QString applications = folder + QStringLiteral("/applications/");
        for (const QString& name : {entryName, vendorName})
            if (QFileInfo file(applications + name); file.isReadable() && !file.isDir())
                return file.filePath();
        if (!QDir(applications).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty())
            return std::nullopt;
    }
    return std::nullopt;
}

// The default handler for `type` that the association files name where every reader reads them
// alike: the first mimeapps.list (desktop-specific ones first in each folder; the configuration
// folders, then the data folders' applications folders) whose [Default Applications] group
// mentions the type mentions it once, as a plain `type=` line, and its first entry is taken.
// A file whose reading could differ (a key written twice, with blanks or in other case, a
// folder not absolute) gives nothing.
std::optional<QString> plainlyNamedDefault(const QString& type,
                                           const QProcessEnvironment& environment) {
    QStringList folders = xdgConfigFolders(environment);
    for (const QString& data : xdgDataFolders(environment))
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
    // GLib starts an entry that is activated on the session bus through the bus, and one with a
    // working folder in that folder, where xdg-open runs its Exec as it is.
    if (text.contains(QStringLiteral("\\\n")) ||
        g_desktop_app_info_get_boolean(entry, "Terminal") ||
        g_desktop_app_info_get_boolean(entry, "DBusActivatable") ||
        g_desktop_app_info_has_key(entry, "Path") ||
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

std::optional<BrowserCommand> defaultBrowserCommand() {
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!openerChoosesByAssociations(xdgOpenWay(environment), environment))
        return std::nullopt;
    auto http = commandForScheme(QStringLiteral("http"), environment);
    const auto https = commandForScheme(QStringLiteral("https"), environment);
    if (!http || !https || http->arguments != https->arguments ||
        http->addressesAt != https->addressesAt || http->takesList != https->takesList)
        return std::nullopt;
    return http;
}
