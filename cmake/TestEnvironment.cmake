# What every test needs from its environment, set on the test itself so that a plain `ctest` in
# any build folder runs it as the test scripts do: the offscreen platform, the sanitizers' options
# (harmless in builds without them), the leak suppressions for system libraries, and a private home.
# strict_string_checks stays off: libxkbcommon-x11 hands strndup unterminated buffers, which the
# strict check reports inside the X platform plugin before any of our code runs.
set(VORNAK_TEST_ENVIRONMENT
  QT_QPA_PLATFORM=offscreen
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0)
# The launcher gives each test program a fresh private home and this environment.
set(VORNAK_TEST_LAUNCHER /bin/sh ${CMAKE_SOURCE_DIR}/tests/support/run-isolated ${VORNAK_TEST_ENVIRONMENT})

# Windows programs built here run under wine, in the build's own prefix, without its prompts.
if(WIN32 AND CMAKE_CROSSCOMPILING)
  if(NOT VORNAK_WINE OR NOT VORNAK_WINEPREFIX)
    message(FATAL_ERROR "a Windows build with tests needs VORNAK_WINE and VORNAK_WINEPREFIX (scripts/windows sets them)")
  endif()
  set(VORNAK_TEST_LAUNCHER /usr/bin/env WINEPREFIX=${VORNAK_WINEPREFIX} WINEDEBUG=-all
                           WINEDLLOVERRIDES=mscoree,mshtml= ${VORNAK_WINE})
endif()
