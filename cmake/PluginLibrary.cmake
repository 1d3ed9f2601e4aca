# The plug-in class is written once and compiled once per adapter: a library
# vorblex_plugin_<api> with VORBLEX_API_<API> defined, from the sources of the
# instrument's room, plugin/.
#
# The editor's graphics back-end is chosen here and nowhere else: exactly one
# source defining CreateEditorGraphics (plugin/EditorBackend.h) goes into each
# library, named below per adapter, with the library that back-end needs. The
# in-process adapter (tests, benchmarks, the command line) keeps the
# window-less editor on every platform; the Windows modules get the window of
# editor/win/, the Linux modules the X11 window of editor/x11/. Elsewhere the
# modules keep the window-less editor, which hosts cannot open, so they
# announce none.
set(VORBLEX_EDITOR_BACKEND_OFFLINE plugin/EditorBackendHeadless.cpp)
set(VORBLEX_EDITOR_BACKEND_VST2 plugin/EditorBackendHeadless.cpp)
set(VORBLEX_EDITOR_BACKEND_VST3 plugin/EditorBackendHeadless.cpp)
if(WIN32)
  set(VORBLEX_EDITOR_BACKEND_VST2 plugin/EditorBackendWin.cpp)
  set(VORBLEX_EDITOR_BACKEND_VST3 plugin/EditorBackendWin.cpp)
elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(VORBLEX_EDITOR_BACKEND_VST2 plugin/EditorBackendX11.cpp)
  set(VORBLEX_EDITOR_BACKEND_VST3 plugin/EditorBackendX11.cpp)
endif()
set(VORBLEX_EDITOR_BACKEND_LIB_plugin/EditorBackendWin.cpp vorblex_editor_win)
set(VORBLEX_EDITOR_BACKEND_LIB_plugin/EditorBackendX11.cpp vorblex_editor_x11)

function(vorblex_add_plugin_library api)
  string(TOUPPER ${api} API)
  set(sources
    ${CMAKE_SOURCE_DIR}/plugin/Vorblex.cpp
    ${CMAKE_SOURCE_DIR}/plugin/VorblexEditorLink.cpp)
  if(TARGET vorblex_editor)
    # The layout and the sound design tools reach the parameters through the
    # editor's controls, so they exist only with the editor.
    if(NOT VORBLEX_EDITOR_BACKEND_${API})
      message(FATAL_ERROR "no editor back-end chosen for the ${api} plug-in library")
    endif()
    list(APPEND sources
      ${CMAKE_SOURCE_DIR}/plugin/VorblexLayout.cpp
      ${CMAKE_SOURCE_DIR}/${VORBLEX_EDITOR_BACKEND_${API}}
      ${CMAKE_SOURCE_DIR}/plugin/Recipes.cpp
      ${CMAKE_SOURCE_DIR}/plugin/SoundTools.cpp
      ${CMAKE_SOURCE_DIR}/plugin/DataIndex.cpp)
  endif()
  add_library(vorblex_plugin_${api} STATIC ${sources})
  target_compile_definitions(vorblex_plugin_${api} PUBLIC VORBLEX_API_${API})
  target_link_libraries(vorblex_plugin_${api} PUBLIC vorblex_dsp vorblex_params vorblex_framework vorblex_platform)
  if(TARGET vorblex_editor)
    target_link_libraries(vorblex_plugin_${api} PUBLIC vorblex_editor)
    target_compile_definitions(vorblex_plugin_${api} PUBLIC VORBLEX_HAS_EDITOR)
    set(backend_lib ${VORBLEX_EDITOR_BACKEND_LIB_${VORBLEX_EDITOR_BACKEND_${API}}})
    if(backend_lib)
      target_link_libraries(vorblex_plugin_${api} PUBLIC ${backend_lib})
    endif()
  endif()
  foreach(lib ${ARGN})
    target_link_libraries(vorblex_plugin_${api} PUBLIC ${lib})
  endforeach()
endfunction()
