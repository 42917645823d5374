#pragma once

// Qt's accessibility bridge asks for the session bus as the window is made. Where there is
// none, libdbus starts one of its own (dbus-launch --autolaunch), and that bus outlives the
// program until the X display ends. Where no session bus can be found, Qt's connection to it
// is made here, to an address that leads nowhere, so that nothing is started; Qt and libdbus
// keep that first answer. The environment is given back as it was, so that the programs a run
// opens look for a bus in their own way. Call it after the QApplication is made and before
// any widget.
void connectSessionBusWithoutAutolaunch();
