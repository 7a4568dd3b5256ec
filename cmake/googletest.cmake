# Native builds use Debian's prebuilt GoogleTest; cross builds compile the
# sources that Debian's googletest package ships.
if(CMAKE_CROSSCOMPILING)
  set(VORSANT_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${VORSANT_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()

include(GoogleTest)

# vorsant_add_test(<name> SOURCES ... LIBS ... [FILTER <gtest filter>]
#                  [PROPERTIES <name> <value>...]): one
# test program whose cases are ctest entries of their own, named
# <name>.<Suite>.<Case>, so that a failure names its case and the count is of
# cases. The cases are listed when ctest starts, not at build time: cross
# builds list and run them through the Wine emulator, and a tree whose
# programs this host cannot run is built without running them. FILTER leaves
# cases out (they run elsewhere); PROPERTIES are set on every case.
function(vorsant_add_test name)
  cmake_parse_arguments(T "" "FILTER" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  vorsant_discover_tests(${name} ${name} FILTER "${T_FILTER}" PROPERTIES ${T_PROPERTIES})
endfunction()

# vorsant_discover_tests(<target> <prefix> [FILTER <gtest filter>]
#                        [PROPERTIES <name> <value>...]
#                        [ENVIRONMENT <NAME=value>...]): the target's cases
# as ctest entries <prefix>.<Suite>.<Case>, with those properties (values
# without semicolons) and run with that environment.
function(vorsant_discover_tests target prefix)
  cmake_parse_arguments(T "" "FILTER" "PROPERTIES;ENVIRONMENT" ${ARGN})
  set(filter)
  if(T_FILTER)
    set(filter TEST_FILTER ${T_FILTER})
  endif()
  gtest_discover_tests(${target}
    TEST_PREFIX ${prefix}.
    ${filter}
    EXTRA_ARGS --gtest_brief=1
    NO_PRETTY_VALUES
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    TEST_LIST ${prefix}_cases
    PROPERTIES TIMEOUT 600 ${T_PROPERTIES})
  # Where Wine runs no 32-bit program (scripts/wine-env.sh says so in
  # VORSANT_WINE_32), an i686 program cannot list its cases: ctest shows it
  # as one disabled entry instead of failing to read the tree.
  if(CMAKE_CROSSCOMPILING AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    get_property(includes DIRECTORY PROPERTY TEST_INCLUDE_FILES)
    list(POP_BACK includes listing)
    set(guard ${CMAKE_CURRENT_BINARY_DIR}/${prefix}_guard.cmake)
    file(WRITE ${guard}
      "if(\"\$ENV{VORSANT_WINE_32}\" STREQUAL \"0\")\n"
      "  add_test(${prefix}.not_run_without_32_bit_wine \"${CMAKE_COMMAND}\" -E false)\n"
      "  set_tests_properties(${prefix}.not_run_without_32_bit_wine PROPERTIES DISABLED TRUE)\n"
      "else()\n"
      "  include(\"${listing}\")\n"
      "endif()\n")
    list(APPEND includes ${guard})
    set_property(DIRECTORY PROPERTY TEST_INCLUDE_FILES ${includes})
  endif()
  # The environment is set once the cases are listed, by a file ctest reads
  # after the list: a list of variables cannot pass through the discovery's
  # own properties.
  if(T_ENVIRONMENT)
    set(file ${CMAKE_CURRENT_BINARY_DIR}/${prefix}_environment.cmake)
    file(WRITE ${file}
      "if(${prefix}_cases)\n"
      "  set_tests_properties(\${${prefix}_cases} PROPERTIES ENVIRONMENT \"${T_ENVIRONMENT}\")\n"
      "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${file})
  endif()
endfunction()
