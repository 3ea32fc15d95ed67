# Runs a Windows test program under Wine through tools/wine/run.sh: one Wine process for the
# whole program, a private prefix under the build folder, a private Xvfb display, and nothing
# left running afterwards. The program prints its own GoogleTest summary.
set(TAGCFG_WINE_RUNNER ${PROJECT_SOURCE_DIR}/tools/wine/run.sh)
set(TAGCFG_WINE_PREFIX ${PROJECT_BINARY_DIR}/wineprefix)

function(tagcfg_add_wine_test name target timeout)
  add_test(NAME ${name}
           COMMAND ${TAGCFG_WINE_RUNNER} ${TAGCFG_WINE_PREFIX} $<TARGET_FILE:${target}> ${ARGN})
  # The first run makes the prefix (about 20 s); every run shares it, so runs take turns.
  set_tests_properties(${name} PROPERTIES TIMEOUT ${timeout} RESOURCE_LOCK wineprefix
                                          FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]")
endfunction()
