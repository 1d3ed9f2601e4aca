# The VST 3 SDK as a static library `vst3sdk`: the interface definitions, the
# base library and the public SDK classes the VST3 adapter builds on (buses,
# component and edit-controller bases, parameters, plug-in view), plus the
# hosting helpers the test host uses. By default it comes from the copy Debian
# ships; VORBLEX_VST3_SDK_DIR points at any other checkout with the same layout.
include_guard(GLOBAL)

set(VORBLEX_VST3_SDK_DIR "/usr/share/juce/modules/juce_audio_processors/format_types/VST3_SDK"
    CACHE PATH "Root of the VST 3 SDK (holds pluginterfaces/, base/ and public.sdk/)")

if(NOT EXISTS "${VORBLEX_VST3_SDK_DIR}/pluginterfaces/base/funknown.h")
  message(WARNING "No VST 3 SDK at ${VORBLEX_VST3_SDK_DIR}; the VST3 module is not built")
  return()
endif()

set(_sdk "${VORBLEX_VST3_SDK_DIR}")
file(GLOB VORBLEX_VST3_SDK_SOURCES
  "${_sdk}/base/source/*.cpp"
  "${_sdk}/pluginterfaces/base/*.cpp"
  "${_sdk}/public.sdk/source/common/*.cpp"
  "${_sdk}/public.sdk/source/vst/*.cpp")
list(APPEND VORBLEX_VST3_SDK_SOURCES
  "${_sdk}/base/thread/source/flock.cpp"
  "${_sdk}/public.sdk/source/vst/hosting/hostclasses.cpp"
  "${_sdk}/public.sdk/source/vst/hosting/pluginterfacesupport.cpp")
# A full SDK checkout also carries the factory and single-component-effect
# sources; we bring our own, so leave theirs out to avoid duplicate symbols.
list(FILTER VORBLEX_VST3_SDK_SOURCES EXCLUDE REGEX "/(pluginfactory|vstsinglecomponenteffect|vstaudioeffect)\\.cpp$")

add_library(vst3sdk STATIC ${VORBLEX_VST3_SDK_SOURCES}
  "${CMAKE_CURRENT_LIST_DIR}/../adapters/vst3/ViewIids.cpp")
# The SDK's own warnings are not ours to fix: compile it quietly and hand its
# headers to users as system headers so they stay quiet there too.
target_compile_options(vst3sdk PRIVATE -w)
target_include_directories(vst3sdk SYSTEM PUBLIC "${_sdk}")
# fdebug.h insists on one of RELEASE, DEVELOPMENT, NDEBUG or _DEBUG. Always
# RELEASE: the development variant breaks into a debugger on its assertions,
# which hostile input to the plug-in must never be able to trigger.
target_compile_definitions(vst3sdk PUBLIC RELEASE=1)
if(NOT WIN32)
  find_package(Threads REQUIRED)
  target_link_libraries(vst3sdk PUBLIC Threads::Threads)
endif()
unset(_sdk)
