# Precompiled headers. Nearly every file of ours includes Qt, the standard
# library and, in the tests, GoogleTest; parsing those again for each file was
# most of a fresh build. Each kind below is compiled once, in a small donor
# library, and every target of that kind reuses it.
#
#   core     Qt Core and the standard library: the window-free libraries
#   widgets  core plus Qt Widgets: pages, the main window, the tools
#   test     core plus GoogleTest: the window-free tests
#   guitest  widgets plus GoogleTest and Qt Test: the widget tests
#
# A header in a kind is visible to every file of that kind whether it names it
# or not; build once with -DTRGUI_PCH=OFF to find a file that forgot one.
# Off by default with MSVC, where reusing one target's precompiled header in
# another has not been tried.
if(MSVC)
  option(TRGUI_PCH "Precompile the headers most files include" OFF)
else()
  option(TRGUI_PCH "Precompile the headers most files include" ON)
endif()

set(TRGUI_PCH_core
  <algorithm> <array> <chrono> <cmath> <cstdint> <functional> <map> <memory> <optional>
  <span> <string> <string_view> <utility> <vector>
  <QByteArray> <QCoreApplication> <QDateTime> <QDir> <QElapsedTimer> <QFile> <QFileInfo>
  <QObject> <QPointer> <QString> <QStringList> <QTimer> <QVector>)
set(TRGUI_PCH_widgets ${TRGUI_PCH_core}
  <QApplication> <QCheckBox> <QComboBox> <QGridLayout> <QHBoxLayout> <QLabel> <QLineEdit>
  <QMessageBox> <QPushButton> <QTabWidget> <QVBoxLayout> <QWidget>)
set(TRGUI_PCH_test ${TRGUI_PCH_core} <gtest/gtest.h> <gmock/gmock.h> <QTemporaryDir>)
set(TRGUI_PCH_guitest ${TRGUI_PCH_widgets} <gtest/gtest.h> <gmock/gmock.h> <QTemporaryDir> <QTest>)

function(trgui_pch_donor kind)
  set(source ${CMAKE_BINARY_DIR}/pch/${kind}.cpp)
  if(NOT EXISTS ${source})
    file(WRITE ${source} "// The precompiled headers of the ${kind} kind are made here.\n")
  endif()
  add_library(trgui_pch_${kind} STATIC ${source})
  target_link_libraries(trgui_pch_${kind} PRIVATE ${ARGN})
  # The same flags as the files that reuse it: -Wpedantic, for one, changes
  # what the compiler predefines.
  target_compile_options(trgui_pch_${kind} PRIVATE ${TRGUI_WARNINGS})
  target_precompile_headers(trgui_pch_${kind} PRIVATE ${TRGUI_PCH_${kind}})
  set_target_properties(trgui_pch_${kind} PROPERTIES AUTOMOC OFF)
endfunction()

# trgui_use_pch(target kind [draws]): the target's files start from that
# kind's headers; with draws true, from those of its drawing kind (core:
# widgets, test: guitest).
function(trgui_use_pch target kind)
  if(ARGV2)
    set(drawing_core widgets)
    set(drawing_test guitest)
    set(kind ${drawing_${kind}})
  endif()
  if(TRGUI_PCH)
    target_precompile_headers(${target} REUSE_FROM trgui_pch_${kind})
  endif()
endfunction()

if(TRGUI_PCH)
  trgui_pch_donor(core Qt6::Core)
  trgui_pch_donor(widgets Qt6::Widgets)
endif()
