# Helpers shared by every folder of the kit.

# lumora_add_gtest(<name> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <seconds>] [SERIAL])
# A GoogleTest executable whose cases are registered one by one with CTest.
# Tests see the build's program folder as LUMORA_BIN_DIR and the source tree as
# LUMORA_SOURCE_DIR. The shared main (tests/support) selects Qt's offscreen
# platform so no display is needed; a test may define its own main instead.
# SERIAL keeps the cases of this executable from running beside other tests
# (for scenarios whose timing suffers when the two cores are busy).
function(lumora_add_gtest name)
  if(NOT LUMORA_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "SERIAL" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} lumora_test_main lumora_test_leaks GTest::gtest GTest::gmock Threads::Threads)
  lumora_define_test_paths(${ARG_SOURCES})
  set(props TIMEOUT ${ARG_TIMEOUT})
  if(ARG_SERIAL)
    list(APPEND props RUN_SERIAL TRUE)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()

# lumora_define_test_paths(<sources...>): LUMORA_BIN_DIR, LUMORA_LIB_DIR and
# LUMORA_SOURCE_DIR for the sources that use them, directly or through a
# header of their own folder or of the tree. Only those get the build's
# absolute paths on their command line, so the compiler cache serves every
# other file to a checkout in another folder.
set(LUMORA_TEST_PATH_MACROS "LUMORA_(BIN|LIB|SOURCE)_DIR")
function(lumora_define_test_paths)
  foreach(src ${ARGN})
    get_filename_component(path ${src} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    if(NOT EXISTS ${path})
      continue()
    endif()
    get_filename_component(folder ${path} DIRECTORY)
    file(STRINGS ${path} lines REGEX "${LUMORA_TEST_PATH_MACROS}|^#include \"")
    set(uses FALSE)
    foreach(line IN LISTS lines)
      if(line MATCHES "${LUMORA_TEST_PATH_MACROS}" AND NOT line MATCHES "^#include")
        set(uses TRUE)
      elseif(line MATCHES "^#include \"([^\"]+)\"")
        foreach(base ${folder} ${PROJECT_SOURCE_DIR})
          if(EXISTS ${base}/${CMAKE_MATCH_1})
            file(STRINGS ${base}/${CMAKE_MATCH_1} header_uses REGEX "${LUMORA_TEST_PATH_MACROS}")
            if(header_uses)
              set(uses TRUE)
            endif()
            break()
          endif()
        endforeach()
      endif()
      if(uses)
        break()
      endif()
    endforeach()
    if(uses)
      set_property(SOURCE ${src} APPEND PROPERTY COMPILE_DEFINITIONS
        LUMORA_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
        LUMORA_LIB_DIR="${CMAKE_BINARY_DIR}/lib"
        LUMORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    endif()
  endforeach()
endfunction()

# lumora_add_benchmark(<name> SOURCES <files...> [LIBS <targets...>])
# Benchmarks are named bench_<something> and run by `make bench`.
function(lumora_add_benchmark name)
  if(NOT LUMORA_BUILD_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark Threads::Threads)
  target_compile_definitions(${name} PRIVATE
    LUMORA_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    LUMORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endfunction()

# lumora_sources_present(<var> <files...>): the files of the list that exist in
# the current source folder. Shared folders use it for files other people add,
# so a file announced in the list but not written yet never breaks a configure.
function(lumora_sources_present var)
  set(present "")
  foreach(f ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${f})
      list(APPEND present ${f})
    endif()
  endforeach()
  set(${var} ${present} PARENT_SCOPE)
endfunction()

# lumora_add_xsession_test(<name> [ATSPI] [TIMEOUT <seconds>] COMMAND <program> [args...])
# A test that needs a real X server (keyboard state, focus, input methods,
# titles) or the accessibility bus: the command runs inside
# tests/support/xsession, a private Xvfb with its own D-Bus session (and with
# ATSPI the accessibility bus, as a screen reader sees it). A GoogleTest
# program run this way counts as one test.
function(lumora_add_xsession_test name)
  if(NOT LUMORA_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "ATSPI" "TIMEOUT" "COMMAND" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 180)
  endif()
  set(session_options "")
  if(ARG_ATSPI)
    list(APPEND session_options --atspi)
  endif()
  add_test(NAME ${name}
           COMMAND ${PROJECT_SOURCE_DIR}/tests/support/xsession ${session_options} -- ${ARG_COMMAND})
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "LUMORA_BIN_DIR=${CMAKE_BINARY_DIR}/bin;LUMORA_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
