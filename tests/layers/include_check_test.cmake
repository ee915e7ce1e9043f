# Runs the include check on a small tree of three layers (base, middle, window) in several
# variants and checks its verdict and message for each.
cmake_minimum_required(VERSION 3.25)

foreach(module Core Gui Widgets)
  foreach(dir IN LISTS QT_DIRS)
    if(dir MATCHES "/Qt${module}$")
      set(qt_${module} ${dir})
    endif()
  endforeach()
endforeach()

set(failures "")

# Writes the tree with `base_extra` added to the base library's source and `middle_extra` to the
# middle one's, runs the check, and compares the outcome with `expect` ("pass" or a regular
# expression the failure's output must match).
function(check_case name base_extra middle_extra expect)
  set(root ${WORK}/${name})
  file(REMOVE_RECURSE ${root})
  file(WRITE ${root}/base/base.h "#pragma once\n#include <QString>\n#include <cstdint>\n")
  file(WRITE ${root}/base/base.cpp "#include \"base/base.h\"\n${base_extra}\n")
  file(WRITE ${root}/middle/middle.h "#pragma once\n#include \"base/base.h\"\n#include <QColor>\n")
  file(WRITE ${root}/middle/middle.cpp "#include \"middle/middle.h\"\n${middle_extra}\n")
  file(WRITE ${root}/window/window.cpp "#include \"middle/middle.h\"\n#include <QDialog>\n")
  file(WRITE ${root}/manifest.txt
    "module|Core|${qt_Core}\nmodule|Gui|${qt_Gui}\nmodule|Widgets|${qt_Widgets}\n"
    "header|base/base.h|base\nheader|middle/middle.h|middle\n"
    "library|base|Core||${root}/base/base.h,${root}/base/base.cpp\n"
    "library|middle|Core,Gui|base|${root}/middle/middle.h,${root}/middle/middle.cpp\n"
    "library|window|Core,Gui,Widgets|middle|${root}/window/window.cpp\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DMANIFEST=${root}/manifest.txt -P ${CHECKER}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(expect STREQUAL "pass")
    if(NOT result EQUAL 0)
      list(APPEND failures "${name}: refused a tree that keeps its layers:\n${err}")
    endif()
  elseif(result EQUAL 0)
    list(APPEND failures "${name}: passed, but should stop")
  elseif(NOT err MATCHES "${expect}")
    list(APPEND failures "${name}: the message does not match \"${expect}\":\n${err}")
  endif()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

# The window may include the base through the middle layer; system headers are not Qt's.
check_case(layered "#include <vector>\n#include <QtCore/QFile>" "#include \"base/base.h\"" pass)
# An include back up a layer, also with blanks after the hash.
check_case(upward "#  include \"middle/middle.h\"" "" "base includes \"middle/middle.h\" of middle")
# A Gui header in a Core-only layer, by its class name and by its module path.
check_case(gui_by_name "#include <QColor>" "" "base includes <QColor> of Qt Gui, which it may not use")
check_case(gui_by_path "#include <QtGui/QImage>" "" "base includes <QtGui/QImage> of Qt Gui")
# A Widgets header in a layer that may use Gui only.
check_case(widgets "" "#include <QWidget>" "middle includes <QWidget> of Qt Widgets")

if(failures)
  list(JOIN failures "\n" shown)
  message(FATAL_ERROR "${shown}")
endif()
