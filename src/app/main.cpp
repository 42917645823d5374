#include "app/DisplayName.h"
#include "app/GraphicalSession.h"
#include "app/RelativeXdgFolders.h"
#include "app/SaveAtExit.h"
#include "app/SessionBusWithoutAutolaunch.h"
#include "app/SingleInstance.h"
#include "app/StandardDescriptors.h"
#include "app/SystemClock.h"
#include "app/TerminationSignals.h"
#include "base/ProgramSettings.h"
#include "base/SetAppTitle.h"
#include "base/SettingsKeys.h"
#include "base/SettingsStore.h"
#include "list/WebsiteList.h"
#include "opener/RunningBrowserShell.h"
#include "opener/SeededRandom.h"
#include "opener/XdgShell.h"
#include "ui/Form1.h"
#include "ui/QtDialogs.h"
#include "ui/WindowActivation.h"

#include <QApplication>
#include <QSessionManager>

namespace {

// A later start, while the list is open in another window: that window comes forward when it
// is on this display; otherwise a notice says where the list is open. A start whose lock file
// cannot be used says what is wrong with it. Nothing is written.
void endWithoutTheList(SingleInstance& instance, SingleInstance::Role role,
                       const QByteArray& activationId) {
    if (role == SingleInstance::Role::Second && instance.askFirstToComeForward(activationId))
        return;
    QtDialogs().notice(role == SingleInstance::Role::Unusable
                           ? instance.unusableLockNotice()
                           : SingleInstance::listOpenElsewhere(instance.holderDisplay()),
                       appTitleFromProductName(QLatin1String(Form1::productName)));
}

} // namespace

int main(int argc, char* argv[]) {
    openClosedStandardDescriptors(); // before any file takes the number of one
    if (reportMissingGraphicalSession(argc))
        return 1;
    dropRelativeXdgFolders();
    // Qt takes the launcher's startup id out of the environment as it starts.
    const QByteArray startupId = qgetenv("DESKTOP_STARTUP_ID");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QLatin1String(Form1::productName));
    QApplication::setDesktopFileName(QStringLiteral("org.corvantis.corvantis"));
    connectSessionBusWithoutAutolaunch(); // before the first widget wakes the bridge

    // Before anything is read or written: a second window would save its own list at close.
    SettingsStore settings = SettingsStore::forCurrentUser();
    SingleInstance instance(ProgramSettings(settings).pathOf(SettingsKeys::websitesLock),
                            displayOfThisStart(QGuiApplication::platformName()));
    const SingleInstance::Role role = instance.claim();
    if (role != SingleInstance::Role::First && role != SingleInstance::Role::Unguarded) {
        endWithoutTheList(instance, role, activationIdOfThisStart(startupId));
        return role == SingleInstance::Role::Unusable ? 1 : 0;
    }

    QtDialogs dialogs;
    XdgShell launcherShell;
    RunningBrowserShell shell(launcherShell);
    SeededRandom random;
    SystemClock clock;
    const Platform platform{dialogs, shell,    random,
                            clock,   settings, QCoreApplication::applicationDirPath()};

    // The list outlives the window: the window's close saves it.
    WebsiteList websites;
    Form1 window(platform, websites);
    dialogs.setParentWindow(&window);
    QObject::connect(
        &instance, &SingleInstance::comeForwardRequested, &window,
        [&window](const QByteArray& activationId) { bringWindowForward(window, activationId); });
    QObject::connect(&window, &Form1::unloaded, &app, [] { QCoreApplication::exit(0); });

    // Every way a person ends the program is a close request, which saves the list: the end
    // of the desktop session and the signals sent at log-out too.
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::closeRequested, &window,
                     &QWidget::close);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.close(); });

    window.Form_Load();
    if (window.isClosing()) // asked to close during start-up: the list is saved already
        return 0;
    window.centreOnScreen();
    window.show();
    const SaveAtExit saveAtExit(window); // a lost display ends the program without a close
    return QApplication::exec();
}
