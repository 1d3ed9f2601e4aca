# The floors of the source tree, checked include by include:
#   cmake -DROOT=<tree> -P cmake/CheckLayering.cmake
# Prints every include that crosses a forbidden line as
#   <file>:<line>: includes "<path>": <rule>
# and fails when there is one. Only includes that name a room of the tree
# ("engine/...", "editor/...") are checked; system and third-party headers are
# not, except <windows.h> and the X11 headers (<X11/...>), which have their
# own rules.
#
#   platform/   platform/ only
#   engine/     engine/ and platform/ (DSP only)
#   framework/  framework/ and platform/
#   editor/     editor/, framework/, platform/, resources/ (generic: nothing of
#               the instrument, the adapters or the DSP)
#   adapters/   adapters/, framework/, platform/ and the graphics core's own
#               headers (editor/*.h, never a back-end folder under editor/);
#               plugin/ from the entry files only, the one place that creates
#               the plug-in instance
#   plugin/     anything but cli/, bench/ and tests/
#   cli/, bench/, tests/ stand on top and are not checked.
cmake_minimum_required(VERSION 3.25)
if(NOT ROOT)
  get_filename_component(ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
endif()

set(rooms platform engine framework editor adapters plugin resources cli bench tests tools)
set(allowed_platform platform)
set(allowed_engine engine platform)
set(allowed_framework framework platform)
set(allowed_editor editor framework platform resources)
set(allowed_adapters adapters framework platform editor)
set(allowed_plugin plugin engine framework editor adapters platform resources)
# The files of adapters/ that create the instance and so name the instrument.
set(adapter_entry_files adapters/vst2/VSTPluginMain.cpp adapters/vst3/VorblexEntry.cpp)
# Only these folders talk to Windows directly.
set(windows_folders platform/win32/ editor/win/ editor/raster/win32/)
# Only this folder talks to the X server.
set(x11_folders editor/x11/)

# Sets out to a broken rule when source lies in none of folders.
function(only_in_folders source folders what out)
  foreach(folder IN LISTS folders)
    string(FIND "${source}" "${folder}" at)
    if(at EQUAL 0)
      set(${out} "" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  string(REPLACE ";" ", " folders_text "${folders}")
  set(${out} "only ${folders_text} include ${what}" PARENT_SCOPE)
endfunction()

set(checked_floors platform engine framework editor adapters plugin)
set(violations 0)
foreach(floor IN LISTS checked_floors)
  if(NOT IS_DIRECTORY "${ROOT}/${floor}")
    continue()
  endif()
  file(GLOB_RECURSE sources RELATIVE "${ROOT}" LIST_DIRECTORIES false
       "${ROOT}/${floor}/*.h" "${ROOT}/${floor}/*.hpp" "${ROOT}/${floor}/*.cpp" "${ROOT}/${floor}/*.c")
  list(SORT sources)
  foreach(source IN LISTS sources)
    # One list element per line: the characters lists treat specially go first.
    file(READ "${ROOT}/${source}" content)
    string(REGEX REPLACE "[][;\\]" "_" content "${content}")
    string(REPLACE "\n" ";" lines "${content}")
    set(number 0)
    foreach(line IN LISTS lines)
      math(EXPR number "${number} + 1")
      if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([\"<])([^\">]+)[\">]")
        continue()
      endif()
      set(path "${CMAKE_MATCH_2}")
      if(CMAKE_MATCH_1 STREQUAL "<")
        set(written "<${path}>")
      else()
        set(written "\"${path}\"")
      endif()
      set(rule "")
      if(path MATCHES "^[Ww]indows\\.h$")
        only_in_folders("${source}" "${windows_folders}" "<windows.h>" rule)
      elseif(path MATCHES "^X11/")
        only_in_folders("${source}" "${x11_folders}" "the X11 headers" rule)
      elseif(path MATCHES "(^|/)\\.\\./")
        set(rule "name headers from the top of the tree, not with ../")
      elseif(path MATCHES "^([^/]+)/")
        set(room "${CMAKE_MATCH_1}")
        list(FIND rooms "${room}" is_room)
        list(FIND allowed_${floor} "${room}" is_allowed)
        if(is_room GREATER_EQUAL 0 AND is_allowed LESS 0)
          string(REPLACE ";" "/, " allowed_text "${allowed_${floor}}")
          set(rule "${floor}/ may include only ${allowed_text}/")
        elseif(floor STREQUAL "adapters" AND room STREQUAL "editor" AND path MATCHES "^editor/[^/]+/")
          set(rule "adapters/ reach the editor through the graphics core, not a back-end")
        endif()
        if(floor STREQUAL "adapters" AND room STREQUAL "plugin")
          list(FIND adapter_entry_files "${source}" is_entry)
          if(is_entry LESS 0)
            string(REPLACE ";" ", " entries_text "${adapter_entry_files}")
            set(rule "only the adapters' entry files (${entries_text}) include the instrument")
          else()
            set(rule "")
          endif()
        endif()
      endif()
      if(rule)
        message("${source}:${number}: includes ${written}: ${rule}")
        math(EXPR violations "${violations} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations GREATER 0)
  message(FATAL_ERROR "layering: ${violations} include(s) across a forbidden line")
endif()
message("layering: every include keeps to its floor")
