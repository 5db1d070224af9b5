# Test registration. Host tests run natively; Windows tests run under wine64 through
# scripts/wine-run.sh, which gives them a prefix under the build folder, the Wine settings
# and the zh_CN.UTF-8 locale. The 32-bit build registers no tests: 32-bit code cannot run
# on these machines, so it is compiled and linked only.
option(QV_BUILD_TESTS "build the tests" ON)
enable_testing()

if(QV_BUILD_TESTS AND NOT TARGET gtest)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

set(QV_WINE_ROOT ${CMAKE_BINARY_DIR}/wine)
set(QV_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)

# qv_add_test(NAME name COMMAND target [args...] [FRESH_PREFIX] [SERIAL] [TIMEOUT s]
#             [ENVIRONMENT VAR=value ...])
# COMMAND's first word is a target of this build. FRESH_PREFIX gives the test a Wine prefix
# of its own, copied from a freshly booted template (for tests that install or change the
# registry); other Windows tests share one prefix. SERIAL keeps the test from running
# beside others (windows on the shared display, timing-sensitive waits).
function(qv_add_test)
  cmake_parse_arguments(T "FRESH_PREFIX;SERIAL" "NAME;TIMEOUT" "COMMAND;ENVIRONMENT" ${ARGN})
  if(QV_PLATFORM STREQUAL "win32")
    return()
  endif()
  list(POP_FRONT T_COMMAND exe)
  if(TARGET ${exe})
    set(exe $<TARGET_FILE:${exe}>)
  endif()
  if(QV_WINDOWS)
    add_test(NAME ${T_NAME} COMMAND ${QV_WINE_RUN} ${exe} ${T_COMMAND})
    set(env QV_WINE_ROOT=${QV_WINE_ROOT})
    if(T_FRESH_PREFIX)
      list(APPEND env QV_FRESH_PREFIX=${T_NAME})
    endif()
  else()
    add_test(NAME ${T_NAME} COMMAND ${exe} ${T_COMMAND})
    set(env "")
  endif()
  list(APPEND env ${T_ENVIRONMENT})
  set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" LABELS ${QV_PLATFORM})
  if(T_TIMEOUT)
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  else()
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 300)
  endif()
  if(T_SERIAL)
    set_tests_properties(${T_NAME} PROPERTIES RUN_SERIAL ON)
  endif()
endfunction()

# qv_add_gtest(name sources... [LIBS libs...] [FRESH_PREFIX] [SERIAL]): one GoogleTest
# program, built in every build, run as one test (under Wine in the 64-bit Windows build).
function(qv_add_gtest name)
  cmake_parse_arguments(T "FRESH_PREFIX;SERIAL" "" "LIBS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  qv_defaults(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest gmock gtest_main)
  set(flags "")
  if(T_FRESH_PREFIX)
    list(APPEND flags FRESH_PREFIX)
  endif()
  if(T_SERIAL)
    list(APPEND flags SERIAL)
  endif()
  qv_add_test(NAME ${name} COMMAND ${name} ${flags})
endfunction()
