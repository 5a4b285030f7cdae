# The tests, benchmarks and soak run of the cross build, all run under Wine.
# GoogleTest from Debian's sources, with our port header first on its path.
set(GTEST_SRC /usr/src/googletest/googletest)
add_library(gtest_win STATIC ${GTEST_SRC}/src/gtest-all.cc ${GTEST_SRC}/src/gtest_main.cc)
target_include_directories(gtest_win SYSTEM BEFORE PUBLIC ${CMAKE_SOURCE_DIR}/tests/win32/gtest-port
                           ${GTEST_SRC}/include PRIVATE ${GTEST_SRC})
target_compile_options(gtest_win PRIVATE -w)

# The fakes once for both test programs, and the system's and GoogleTest's
# headers parsed once per program.
add_library(velmaro_fakes STATIC ${FAKE_SOURCES})
target_link_libraries(velmaro_fakes PUBLIC velmaro_core)

file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS tests/win32/*_test.cpp)
add_executable(velmaro_win32_tests ${WIN32_TEST_SOURCES})
target_link_libraries(velmaro_win32_tests PRIVATE velmaro_win velmaro_fakes gtest_win version ${XP_LINK_FLAGS})
target_precompile_headers(velmaro_win32_tests PRIVATE <windows.h> <gtest/gtest.h>)
# Some of them read the shipped exe itself.
add_dependencies(velmaro_win32_tests Velmaro)
# The Win32 tests share one prefix, its registry and its Run value: one at a
# time, while the installer's cases, each in a prefix of its own, run beside them.
gtest_discover_tests(velmaro_win32_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                     PROPERTIES TIMEOUT 120 RESOURCE_LOCK wine_prefix)

# The junk cleanup batch as the Chinese systems the program serves run it:
# tests/win32/zh_CN/ run under a zh_CN locale, generated into the build folder
# (no root needed), so that Wine's command interpreter reads QLLJ.bat and
# writes its log in code page 936.
set(ZH_LOCALE_DIR ${CMAKE_BINARY_DIR}/locale)
add_custom_command(
  OUTPUT ${ZH_LOCALE_DIR}/zh_CN.UTF-8/LC_CTYPE
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZH_LOCALE_DIR}
  COMMAND localedef -i zh_CN -f UTF-8 ${ZH_LOCALE_DIR}/zh_CN.UTF-8 || test -f ${ZH_LOCALE_DIR}/zh_CN.UTF-8/LC_CTYPE)
add_custom_target(velmaro_zh_locale DEPENDS ${ZH_LOCALE_DIR}/zh_CN.UTF-8/LC_CTYPE)
file(GLOB ZH_TEST_SOURCES CONFIGURE_DEPENDS tests/win32/zh_CN/*_test.cpp)
add_executable(velmaro_zh_tests ${ZH_TEST_SOURCES})
target_link_libraries(velmaro_zh_tests PRIVATE velmaro_win velmaro_fakes gtest_win ${XP_LINK_FLAGS})
add_dependencies(velmaro_zh_tests velmaro_zh_locale Velmaro)
set_target_properties(velmaro_zh_tests PROPERTIES CROSSCOMPILING_EMULATOR
  "env;LANG=zh_CN.UTF-8;LC_ALL=zh_CN.UTF-8;LOCPATH=${ZH_LOCALE_DIR};${CMAKE_CROSSCOMPILING_EMULATOR}")
gtest_discover_tests(velmaro_zh_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                     PROPERTIES TIMEOUT 300 RESOURCE_LOCK wine_prefix)

# The language of the windows under each display language: one program, run
# under C.UTF-8, zh_CN and zh_TW, each lane naming what it must give.
add_custom_command(
  OUTPUT ${ZH_LOCALE_DIR}/zh_TW.UTF-8/LC_CTYPE
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZH_LOCALE_DIR}
  COMMAND localedef -i zh_TW -f UTF-8 ${ZH_LOCALE_DIR}/zh_TW.UTF-8 || test -f ${ZH_LOCALE_DIR}/zh_TW.UTF-8/LC_CTYPE)
add_custom_target(velmaro_zh_tw_locale DEPENDS ${ZH_LOCALE_DIR}/zh_TW.UTF-8/LC_CTYPE)
add_executable(velmaro_ui_language_tests tests/win32/ui_language/ui_language_test.cpp)
target_link_libraries(velmaro_ui_language_tests PRIVATE velmaro_win velmaro_fakes gtest_win ${XP_LINK_FLAGS})
add_dependencies(velmaro_ui_language_tests velmaro_zh_locale velmaro_zh_tw_locale)
foreach(lane "C.UTF-8;en" "zh_CN.UTF-8;zh-CN" "zh_TW.UTF-8;zh-TW")
  list(GET lane 0 locale)
  list(GET lane 1 expected)
  add_test(NAME UiLanguage.${locale}
           COMMAND env LANG=${locale} LC_ALL=${locale} LOCPATH=${ZH_LOCALE_DIR} VELMARO_EXPECT_LANGUAGE=${expected}
                   ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:velmaro_ui_language_tests>)
  set_tests_properties(UiLanguage.${locale} PROPERTIES TIMEOUT 120 RESOURCE_LOCK wine_prefix)
endforeach()

# Small programs the Win32 tests start: tests/win32/helpers/NAME.cpp -> NAME.exe.
file(GLOB HELPER_SOURCES CONFIGURE_DEPENDS tests/win32/helpers/*.cpp)
foreach(src ${HELPER_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE velmaro_win ${XP_LINK_FLAGS})
  add_dependencies(velmaro_win32_tests ${name})
endforeach()

# The installer, run silently under Wine, each case in a prefix of its own.
if(VELMARO_RELEASE)
  add_executable(velmaro_setup_tests tests/setup/setup_test.cpp)
  target_link_libraries(velmaro_setup_tests PRIVATE gtest_win ole32 uuid psapi ${XP_LINK_FLAGS} ${SYSTEM_LIBS})
  add_dependencies(velmaro_setup_tests velmaro_release)
  add_test(NAME VelmaroSetup COMMAND ${CMAKE_SOURCE_DIR}/tools/test-setup.sh)
endif()

# Start-up bench (tools/bench-startup.sh): Velmaro beside a bare tray program
# built with the same flags and resources.
add_executable(velmaro_bare_tray WIN32 tests/bench/bare_tray_win.cpp ${RES_DIR}/velmaro_res.o)
target_link_libraries(velmaro_bare_tray PRIVATE ${SYSTEM_LIBS} ${XP_LINK_FLAGS} -s)
add_dependencies(velmaro_bare_tray velmaro_resources)
add_executable(velmaro_startup_bench tests/bench/startup_bench_win.cpp)
target_link_libraries(velmaro_startup_bench PRIVATE ${SYSTEM_LIBS} ${XP_LINK_FLAGS} -municode)

# End-to-end: the real program under Wine, driven from outside.
file(GLOB E2E_SOURCES CONFIGURE_DEPENDS tests/e2e/*_test.cpp)
if(E2E_SOURCES)
  add_executable(velmaro_e2e_tests ${E2E_SOURCES})
  target_link_libraries(velmaro_e2e_tests PRIVATE gtest_win ${XP_LINK_FLAGS} ${SYSTEM_LIBS})
  target_precompile_headers(velmaro_e2e_tests PRIVATE <windows.h> <gtest/gtest.h>)
  add_dependencies(velmaro_e2e_tests Velmaro VelmaroE2E velmaro_sleeper)
endif()

# Benchmarks under Wine against the real registry (make bench).
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS tests/bench/*_bench.cpp)
foreach(src ${BENCH_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE velmaro_win ${XP_LINK_FLAGS})
endforeach()

# The soak run of the program (make soak).
add_executable(velmaro_soak tests/soak/velmaro_soak.cpp)
target_link_libraries(velmaro_soak PRIVATE gtest_win psapi ${XP_LINK_FLAGS} ${SYSTEM_LIBS})
add_dependencies(velmaro_soak VelmaroE2E)
