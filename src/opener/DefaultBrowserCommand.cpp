#include "opener/DefaultBrowserCommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

// Characters that xdg-open's shell would expand in an Exec value, or that the desktop-entry
// rules would read otherwise than xdg-open does (quoting, escapes, reserved characters).
const QString readDifferently = QStringLiteral("\"'\\$`*?[]~;&|<>(){}");

// Runs a program to its end in this program's environment; nothing when it could not be run
// to its end in time.
struct Finished {
    int exitCode;
    QString output;
};
std::optional<Finished> runToEnd(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(2000))
        return Finished{127, {}}; // not installed: xdg-open's own test fails the same way
    if (!process.waitForFinished(5000) || process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return Finished{process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput())};
}

// Whether xdg-open would find GNOME or Xfce by asking the session bus and the X root window;
// nothing when a question went unanswered.
std::optional<bool> sessionNamesDesktop() {
    const auto gnome =
        runToEnd(QStringLiteral("dbus-send"),
                 {QStringLiteral("--print-reply"), QStringLiteral("--dest=org.freedesktop.DBus"),
                  QStringLiteral("/org/freedesktop/DBus"),
                  QStringLiteral("org.freedesktop.DBus.GetNameOwner"),
                  QStringLiteral("string:org.gnome.SessionManager")});
    const auto saveMode = runToEnd(QStringLiteral("xprop"),
                                   {QStringLiteral("-root"), QStringLiteral("_DT_SAVE_MODE")});
    const auto root = runToEnd(QStringLiteral("xprop"), {QStringLiteral("-root")});
    if (!gnome || !saveMode || !root)
        return std::nullopt;
    static const QRegularExpression xfceSaveMode(QStringLiteral(" = \"xfce4\"$"),
                                                 QRegularExpression::MultilineOption);
    static const QRegularExpression xfceWindow(QStringLiteral("^xfce_desktop_window"),
                                               QRegularExpression::MultilineOption |
                                                   QRegularExpression::CaseInsensitiveOption);
    return gnome->exitCode == 0 || saveMode->output.contains(xfceSaveMode) ||
           root->output.contains(xfceWindow);
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

// Whether the xdg-open first in PATH is xdg-utils' script: the one that defines the generic way
// the look-up follows. Another one (a wrapper of the user's, a recorder) may do anything with an
// address. It is read, never run, for running it would hand an address over; when it cannot be
// read, it could not have run either, and the run never comes here.
bool xdgOpenIsXdgUtils() {
    constexpr qint64 longestScript = 1 << 20; // xdg-utils' is about 30 KiB
    QFile script(QStandardPaths::findExecutable(QStringLiteral("xdg-open")));
    return script.open(QIODevice::ReadOnly) &&
           script.read(longestScript).contains("\nopen_generic()");
}

// The command xdg-open runs for an address of `scheme`, its program found in PATH.
std::optional<BrowserCommand> commandForScheme(const QString& scheme,
                                               const QProcessEnvironment& environment) {
    const auto handler =
        runToEnd(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                              QStringLiteral("x-scheme-handler/") + scheme});
    static const QRegularExpression entryName(QStringLiteral("^[A-Za-z0-9_.-]+\\.desktop$"));
    if (!handler || handler->exitCode != 0 || !handler->output.trimmed().contains(entryName))
        return std::nullopt;
    const auto path = desktopEntryFile(handler->output.trimmed(), environment);
    if (!path)
        return std::nullopt;
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString entry = QString::fromUtf8(file.readAll());
    // A line that ends in a backslash is joined to the next one by xdg-open's reading.
    if (entry.contains(QStringLiteral("\\\n")) ||
        desktopEntryValue(entry, QStringLiteral("Terminal")) == QStringLiteral("true"))
        return std::nullopt;
    auto command = commandOfExec(desktopEntryValue(entry, QStringLiteral("Exec")));
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

QString desktopEntryValue(const QString& entryText, const QString& key) {
    bool inDesktopEntry = false;
    const QString start = key + u'=';
    for (const QString& line : entryText.split(u'\n')) {
        if (line == QStringLiteral("[Desktop Entry]"))
            inDesktopEntry = true;
        else if (line.startsWith(u'['))
            inDesktopEntry = false;
        else if (inDesktopEntry && line.startsWith(start))
            return line.sliced(start.size());
    }
    return {};
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
    if (!environmentChoosesGenericWay(environment) || !xdgOpenIsXdgUtils())
        return std::nullopt;
    if (sessionNamesDesktop().value_or(true))
        return std::nullopt;
    auto http = commandForScheme(QStringLiteral("http"), environment);
    const auto https = commandForScheme(QStringLiteral("https"), environment);
    if (!http || !https || http->arguments != https->arguments ||
        http->addressesAt != https->addressesAt || http->takesList != https->takesList)
        return std::nullopt;
    return http;
}
