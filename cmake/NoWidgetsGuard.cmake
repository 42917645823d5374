# corvantis_forbid_gui_headers(<target>): any Qt Gui or Qt Widgets header included by the
# target's own sources stops the compile. Every header of those modules includes its module's
# global header first; the guard folder, searched before Qt's own, holds a stand-in for each
# that is only an #error. (A plain <QWidget> is not found at all, since the target does not
# link Qt Widgets; the guard also catches the <QtWidgets/QWidget> spelling.)
set(CORVANTIS_GUI_GUARD_DIR ${CMAKE_BINARY_DIR}/gui-header-guard)
foreach(module_header IN ITEMS QtGui/qtguiglobal.h QtWidgets/qtwidgetsglobal.h)
  file(WRITE ${CORVANTIS_GUI_GUARD_DIR}/${module_header}
       "#error \"Widgets and Qt Gui belong in src/ui/: the layers below it link Qt Core only.\"\n")
endforeach()

function(corvantis_forbid_gui_headers target)
  target_include_directories(${target} BEFORE PRIVATE ${CORVANTIS_GUI_GUARD_DIR})
endfunction()
