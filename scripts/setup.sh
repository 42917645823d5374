# Shared by run.sh, test.sh and bench.sh: installs the Debian packages a step needs.
# shellcheck shell=bash

# To build and run the program.
CORVANTIS_RUN_PACKAGES=(cmake make g++ pkg-config qt6-base-dev qt6-qpa-plugins mdbtools-dev
                        libmdb3 xdg-utils fonts-liberation
                        # xcb: a later start brings the running window forward on X11
                        libxcb1-dev
                        # GIO: the default browser and its desktop entry, as the desktop reads them
                        libglib2.0-dev)
# To run every test: an X server for the end-to-end tests and the tools they drive it with,
# mdbtools' own commands as the judge of the database writer, the formatter, packaging checks.
CORVANTIS_TEST_PACKAGES=(xvfb x11-utils xdotool libx11-dev mdbtools clang-format clang-tidy
                         desktop-file-utils appstream dpkg-dev file
                         # scripts/mutation-check.sh and its test
                         git python3)
# To build the Debian package as ./test.sh does (dpkg-buildpackage with debhelper; the rest of
# debian/control's Build-Depends is in the lists above) and to check it with lintian; to run
# its own tests (debian/tests) on it with autopkgtest, and what those tests need beyond the
# lists above (xvfb-run's xauth, python3-xlib to close the window as a window manager does,
# python3-gi with AT-SPI's introspection data to press its buttons by name).
CORVANTIS_PACKAGE_PACKAGES=(build-essential debhelper lintian autopkgtest xauth python3-xlib
                            python3-gi gir1.2-atspi-2.0 dbus-daemon at-spi2-core)
# The real browsers the opening run is tried with, the session bus over which Firefox hands an
# address to its running instance, and LZ4 to read Firefox's record of its tabs.
CORVANTIS_TEST_PACKAGES+=(chromium firefox-esr dbus-daemon liblz4-dev)
# The accessibility bus (its launcher and registry), over which the end-to-end and package tests
# find the window's controls by name, as a screen reader does (Qt's bridge is in libqt6gui6).
CORVANTIS_TEST_PACKAGES+=(at-spi2-core)
# The openers xdg-open hands an address to on GNOME (gio), KDE (kde-open5) and Xfce (exo-open).
CORVANTIS_TEST_PACKAGES+=(libglib2.0-bin kde-cli-tools exo-utils)
# A headless Wayland compositor, for the browsers as native Wayland clients.
CORVANTIS_TEST_PACKAGES+=(weston)

# ensure_packages NAME...: installs what is missing (as root), or prints the command and stops.
ensure_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Some Debian packages are missing. Install them, then run this again:"
        echo "  sudo apt-get install ${missing[*]}"
        exit 1
    fi
    echo "Installing ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# at_exit COMMAND: runs COMMAND when the script ends, however it ends (success, failure, or an
# interrupt), after the commands registered before it. One trap serves every caller, so that a
# script's own clean-up cannot replace another's (such as the X server's).
CORVANTIS_EXIT_ACTIONS=()
at_exit() {
    CORVANTIS_EXIT_ACTIONS+=("$1")
    trap corvantis_run_exit_actions EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    trap 'exit 129' HUP
}
corvantis_run_exit_actions() {
    local action
    for action in "${CORVANTIS_EXIT_ACTIONS[@]}"; do
        eval "$action" || true
    done
}

# start_xvfb: starts an X server on a free display for the end-to-end tests and exports DISPLAY.
start_xvfb() {
    local display
    for display in $(seq 90 190); do
        [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ] && continue
        # -noreset: without it the server resets whenever its last client leaves, and a program
        # started in that moment cannot connect.
        Xvfb ":${display}" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
        CORVANTIS_XVFB_PID=$!
        for _ in $(seq 1 50); do
            if xdpyinfo -display ":${display}" >/dev/null 2>&1; then
                export DISPLAY=":${display}"
                at_exit 'kill "$CORVANTIS_XVFB_PID" 2>/dev/null; wait "$CORVANTIS_XVFB_PID" 2>/dev/null'
                return 0
            fi
            sleep 0.1
        done
        kill "$CORVANTIS_XVFB_PID" 2>/dev/null
    done
    echo "Could not start Xvfb on a free display" >&2
    return 1
}
