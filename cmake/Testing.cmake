# GoogleTest from the distribution's source tree, built with whatever compiler
# this build uses (native or MinGW-w64).
set(QM_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${QM_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# Where the tests find their data and where they may write.
set(QM_FIXTURES_DIR ${CMAKE_SOURCE_DIR}/tests/fixtures)
set(QM_TEST_TMP ${CMAKE_BINARY_DIR}/test-tmp)
file(MAKE_DIRECTORY ${QM_TEST_TMP})

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/Wine.cmake)
  # Windows test programs see the host's file system as drive Z: under Wine.
  set(QM_TEST_PATH_PREFIX "Z:")
endif()

# qm_add_gtest(name sources... LIBS libs... [DISPLAY])
# DISPLAY: the tests use the (virtual) screen, real input or the active window;
# no two such tests run at the same time.
function(qm_add_gtest name)
  cmake_parse_arguments(ARG "DISPLAY" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest gtest_main)
  target_compile_definitions(${name} PRIVATE
    QM_FIXTURES_DIR="${QM_TEST_PATH_PREFIX}${QM_FIXTURES_DIR}"
    QM_TEST_TMP="${QM_TEST_PATH_PREFIX}${QM_TEST_TMP}")
  if(QM_RUN_TESTS)
    set(props TIMEOUT 300)
    if(ARG_DISPLAY)
      list(APPEND props RESOURCE_LOCK display)
    endif()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                         PROPERTIES ${props})
  endif()
endfunction()
