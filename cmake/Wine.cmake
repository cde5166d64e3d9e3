# Windows test programs run under Wine in a prefix of the build's own, booted
# once per test run by the fixture below.
set(VQ_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(VQ_WINE_ENV
  WINEPREFIX=${VQ_WINEPREFIX}
  WINEARCH=win32
  WINEDEBUG=-all
  WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe=
  LC_ALL=C.UTF-8)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env ${VQ_WINE_ENV} wine)

set(VQ_WINEPREFIX_SCRIPT ${CMAKE_SOURCE_DIR}/scripts/wineprefix.sh)

add_test(NAME wineprefix_up COMMAND ${VQ_WINEPREFIX_SCRIPT} up ${VQ_WINEPREFIX})
add_test(NAME wineprefix_down COMMAND ${VQ_WINEPREFIX_SCRIPT} down ${VQ_WINEPREFIX})
set_tests_properties(wineprefix_up PROPERTIES FIXTURES_SETUP wineprefix TIMEOUT 300)
set_tests_properties(wineprefix_down PROPERTIES FIXTURES_CLEANUP wineprefix)

# vq_add_wine_test(NAME name COMMAND target args...): a test that needs the prefix.
# Tests that change the prefix's registry or shared files hold its lock.
function(vq_add_wine_test)
  cmake_parse_arguments(ARG "" "NAME" "COMMAND" ${ARGN})
  add_test(NAME ${ARG_NAME} COMMAND ${ARG_COMMAND})
  set_tests_properties(${ARG_NAME} PROPERTIES
    FIXTURES_REQUIRED wineprefix
    RESOURCE_LOCK wineprefix_registry
    TIMEOUT 300)
endfunction()
