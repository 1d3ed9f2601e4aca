# Third-party libraries: Debian's packages natively, the per-target prefix that
# scripts/setup fills for the MinGW builds.
if(CMAKE_CROSSCOMPILING AND WIN32)
  set(VORBLEX_DEPS_PREFIX "${CMAKE_SOURCE_DIR}/build/deps/${VORBLEX_TARGET_TRIPLE}")
  list(PREPEND CMAKE_PREFIX_PATH "${VORBLEX_DEPS_PREFIX}")
  list(PREPEND CMAKE_FIND_ROOT_PATH "${VORBLEX_DEPS_PREFIX}")
endif()

if(WIN32)
  # The modules must carry zlib inside: Debian's MinGW zlib also ships an
  # import library, which would make them need zlib1.dll.
  set(ZLIB_USE_STATIC_LIBS ON)
endif()
find_package(ZLIB QUIET)
find_package(PNG QUIET)

# GoogleTest: Debian's build natively, built from its sources for MinGW.
if(VORBLEX_BUILD_TESTS)
  if(CMAKE_CROSSCOMPILING)
    if(NOT TARGET gtest)
      set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
    endif()
    foreach(t gtest gtest_main)
      if(NOT TARGET GTest::${t})
        add_library(GTest::${t} ALIAS ${t})
      endif()
    endforeach()
  else()
    find_package(GTest REQUIRED)
  endif()
  include(GoogleTest)
endif()
