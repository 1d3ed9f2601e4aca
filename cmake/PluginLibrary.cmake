# The plug-in class is written once and compiled once per adapter: a library
# vorblex_plugin_<api> with VORBLEX_API_<API> defined. Sources are gathered
# from the rooms that hold Vorblex's members.
function(vorblex_add_plugin_library api)
  string(TOUPPER ${api} API)
  set(sources
    ${CMAKE_SOURCE_DIR}/engine/Vorblex.cpp
    ${CMAKE_SOURCE_DIR}/engine/VorblexEditorLink.cpp
    ${CMAKE_SOURCE_DIR}/engine/MidiReceiver.cpp)
  # The tools reach the parameters only through the editor's controls.
  if(TARGET vorblex_editor)
    file(GLOB tool_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*.cpp)
    list(APPEND sources ${tool_sources} ${CMAKE_SOURCE_DIR}/editor/VorblexLayout.cpp)
  endif()
  add_library(vorblex_plugin_${api} STATIC ${sources})
  target_compile_definitions(vorblex_plugin_${api} PUBLIC VORBLEX_API_${API})
  target_link_libraries(vorblex_plugin_${api} PUBLIC vorblex_dsp vorblex_params vorblex_framework vorblex_platform)
  if(TARGET vorblex_editor)
    target_link_libraries(vorblex_plugin_${api} PUBLIC vorblex_editor)
    target_compile_definitions(vorblex_plugin_${api} PUBLIC VORBLEX_HAS_EDITOR)
  endif()
  # Modules for hosts get the real window where there is one; the in-process
  # adapter keeps the headless editor the tests and the command line drive.
  if(TARGET vorblex_editor_win AND NOT api STREQUAL "offline")
    target_link_libraries(vorblex_plugin_${api} PUBLIC vorblex_editor_win)
    target_compile_definitions(vorblex_plugin_${api} PRIVATE VORBLEX_EDITOR_WIN)
  endif()
  foreach(lib ${ARGN})
    target_link_libraries(vorblex_plugin_${api} PUBLIC ${lib})
  endforeach()
endfunction()
