# Shared build functions.

# Warnings for our own targets (not for the third-party code we build).
function(mendwick_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wno-missing-field-initializers)
endfunction()

# GoogleTest: the system's package natively; built from the Debian sources with the cross compiler for Windows.
macro(mendwick_find_gtest)
  if(WIN32)
    set(MENDWICK_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    add_subdirectory(${MENDWICK_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    set(MENDWICK_GTEST_LIBS gtest_main gtest gmock)
  else()
    find_package(GTest REQUIRED)
    set(MENDWICK_GTEST_LIBS GTest::gtest_main GTest::gtest GTest::gmock)
  endif()
endmacro()

# A test executable: one per folder of tests, each started once by scripts/test.
function(mendwick_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  mendwick_warnings(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${MENDWICK_GTEST_LIBS})
  if(NOT WIN32)
    # dlopen() then finds the test libraries beside the executable through the system's own search.
    set_target_properties(${name} PROPERTIES BUILD_RPATH "${CMAKE_BINARY_DIR}/bin")
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_property(GLOBAL APPEND PROPERTY MENDWICK_SUITES ${name})
endfunction()

# Writes bin/suites.txt: one test executable a line, for scripts/test.
function(mendwick_write_suites)
  get_property(suites GLOBAL PROPERTY MENDWICK_SUITES)
  set(lines "")
  foreach(s IN LISTS suites)
    string(APPEND lines "$<TARGET_FILE_NAME:${s}>\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/suites.txt CONTENT "${lines}")
endfunction()
