# Runs the layering check on fixture/, a small tree with one include across
# each line and allowed includes beside them, and expects exactly the crossings
# to be reported, each with its file and line, and the check to fail.
#   cmake -DCHECK=<CheckLayering.cmake> -DFIXTURE=<fixture folder> -P CheckLayeringTest.cmake
execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${FIXTURE} -P ${CHECK}
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(report "${out}${err}")

set(failures "")
if(result EQUAL 0)
  string(APPEND failures "the check passed a tree with forbidden includes\n")
endif()

set(expected
  "platform/Random.h:2: includes \"framework/IParameter.h\""
  "engine/Osc.h:5: includes \"editor/IGraphics.h\""
  "engine/Voice.cpp:2: includes \"framework/IPlugStructs.h\""
  "engine/Voice.cpp:3: includes \"plugin/Vorblex.h\""
  "engine/Voice.cpp:4: includes \"../editor/IControl.h\""
  "framework/Base.h:3: includes \"adapters/vst2/IPlugVST.h\""
  "editor/Control.cpp:4: includes \"engine/Voice.h\""
  "editor/Control.cpp:5: includes \"plugin/ParamTable.h\""
  "editor/Control.cpp:6: includes <windows.h>"
  "editor/Control.cpp:7: includes <X11/Xlib.h>"
  "adapters/vst2/Dispatcher.cpp:3: includes \"plugin/Vorblex.h\""
  "adapters/vst2/Dispatcher.cpp:4: includes \"editor/headless/IGraphicsHeadless.h\""
  "plugin/Layout.cpp:5: includes \"cli/CliCommon.h\"")
foreach(line IN LISTS expected)
  string(FIND "${report}" "${line}" at)
  if(at LESS 0)
    string(APPEND failures "not reported: ${line}\n")
  endif()
endforeach()

# Each crossing once, nothing else: count the reported lines.
string(REGEX MATCHALL "[a-z0-9/]+\\.(h|cpp):[0-9]+: includes" reported "${report}")
list(LENGTH reported reported_count)
list(LENGTH expected expected_count)
if(NOT reported_count EQUAL expected_count)
  string(APPEND failures "reported ${reported_count} includes, expected ${expected_count}\n")
endif()
if(NOT report MATCHES "layering: 13 include\\(s\\) across a forbidden line")
  string(APPEND failures "no count of the crossings in the report\n")
endif()

if(failures)
  message(FATAL_ERROR "${failures}--- report ---\n${report}")
endif()
message("the layering check reports the ${expected_count} crossings of the fixture and fails")
