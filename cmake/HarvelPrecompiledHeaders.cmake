# Precompiled headers: the headers most files of a target include are parsed
# once per target instead of once per file. Making the precompiled header
# costs as much as compiling two or three files, so it is used in the targets
# of many files that include the same heavy headers (the standard library,
# Qt, gtest, the test site server): there it saves a fifth to a third of the
# target's compile time (measured as processor time, file by file, with and
# without). With a compiler launcher such as ccache they are off by default,
# because ccache does not cache files compiled with one unless it is told to
# be sloppy.
if(CMAKE_CXX_COMPILER_LAUNCHER)
  set(harvel_pch_default OFF)
else()
  set(harvel_pch_default ON)
endif()
option(HARVEL_PRECOMPILED_HEADERS "Precompile the headers most files include" ${harvel_pch_default})

set(HARVEL_PCH_std
  <algorithm> <chrono> <filesystem> <functional> <map> <memory> <optional> <set> <string>
  <string_view> <utility> <vector>)
set(HARVEL_PCH_qt <QCoreApplication> <QObject> <QString> <QTimer>)
set(HARVEL_PCH_widgets <QApplication> <QCheckBox> <QLabel> <QLineEdit> <QPushButton> <QSpinBox>
  <QStatusBar> <QTreeView> <QWidget>)
set(HARVEL_PCH_gtest <gtest/gtest.h>)
set(HARVEL_PCH_qtest <QTest>)
set(HARVEL_PCH_site <httplib.h>)

# harvel_precompile(TARGET GROUP...): precompiles the headers of the groups
# above (std, qt, widgets, gtest, qtest, site) for TARGET. A group must only
# name headers the target can include.
function(harvel_precompile target)
  if(NOT HARVEL_PRECOMPILED_HEADERS)
    return()
  endif()
  set(headers)
  foreach(group IN LISTS ARGN)
    list(APPEND headers ${HARVEL_PCH_${group}})
  endforeach()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()
