# Cross build: Velmaro.exe for 32-bit Windows XP and later, and the tests
# that run under Wine.
add_compile_definitions(_WIN32_WINNT=0x0501 WINVER=0x0501 UNICODE _UNICODE NOMINMAX)
set(XP_LINK_FLAGS -static -static-libgcc -static-libstdc++
    -Wl,--major-subsystem-version,5,--minor-subsystem-version,1,--major-os-version,5,--minor-os-version,1)
set(SYSTEM_LIBS comctl32 comdlg32 shell32 ole32 oleaut32 user32 gdi32 advapi32 kernel32)
# Velmaro.exe is to stay within 400 KB; a tray program that acts every ten
# seconds gains nothing from the larger code of -O3, and little from the
# faster code of -Os over -Oz (1.5 KB).
string(REPLACE "-O3" "-Oz" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
# Nor from type names it never asks for, nor from guards around local
# statics: it has one thread and no dynamic_cast or typeid (3 and 1.5 KB).
# At -Oz GCC gives a constructor or destructor one "unified" body that the
# two ABI entry points call; a PE object cannot alias them, so that body is
# a local copy in every object that uses it (std::string's copy constructor
# 23 times over). Without it each entry point is a shared definition, kept
# once (8 KB). Likewise the clones GCC makes of a library function with its
# arguments split up for one object's callers (std::string's _M_create 32
# times over): without them the one shared definition serves all (4 KB).
# The core was made before this file was read, so it is named too.
set(SIZE_OPTIONS $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti> $<$<COMPILE_LANGUAGE:CXX>:-fno-threadsafe-statics>
                 $<$<COMPILE_LANGUAGE:CXX>:-fno-declone-ctor-dtor> $<$<COMPILE_LANGUAGE:CXX>:-fno-ipa-sra>)
add_compile_options(${SIZE_OPTIONS})
target_compile_options(velmaro_core PRIVATE ${SIZE_OPTIONS})
# What goes into the exes is compiled as C++20. Up to C++17 the library
# declares std::string instantiated in itself, so the program links the
# library's whole instantiation, each member kept by its unwind table whether
# called or not; from C++20 on, the program instantiates only the members it
# calls (14 KB less). The tests, the benchmarks and the native build stay at
# C++17: their <chrono> has a literal that code page 936 cannot hold.
set_property(TARGET velmaro_core PROPERTY CXX_STANDARD 20)

file(GLOB WIN_SOURCES CONFIGURE_DEPENDS ${WIN_GLOBS})
list(FILTER WIN_SOURCES EXCLUDE REGEX "/(main|runtime_overrides|program_services)_win\\.cpp$")
add_library(velmaro_win STATIC ${WIN_SOURCES})
set_property(TARGET velmaro_win PROPERTY CXX_STANDARD 20)
target_link_libraries(velmaro_win PUBLIC velmaro_core ${SYSTEM_LIBS})

# Icons drawn by our generator, then the resource script with the manifest.
set(RES_DIR ${CMAKE_BINARY_DIR}/resources)
add_custom_command(
  OUTPUT ${RES_DIR}/icons.rc ${RES_DIR}/enashut.ico ${RES_DIR}/disshut.ico
  COMMAND ${CMAKE_COMMAND} -E make_directory ${RES_DIR}
  COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/make-icons.py ${RES_DIR}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make-icons.py)
string(REPLACE "." "," VERSION_COMMAS "${PROJECT_VERSION}.0")
configure_file(resources/version.h.in ${RES_DIR}/version.h)
# The logon task's one definition: compiled into the program, shipped by the installer.
file(READ ${CMAKE_SOURCE_DIR}/resources/logon-task.xml LOGON_TASK_XML)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS resources/logon-task.xml)
configure_file(resources/logon_task.h.in ${RES_DIR}/logon_task.h @ONLY)
target_include_directories(velmaro_win PRIVATE ${RES_DIR})
add_custom_command(
  OUTPUT ${RES_DIR}/velmaro_res.o
  COMMAND ${CMAKE_RC_COMPILER} -I${CMAKE_SOURCE_DIR}/resources -I${RES_DIR}
          -O coff -i ${CMAKE_SOURCE_DIR}/resources/velmaro.rc -o ${RES_DIR}/velmaro_res.o
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/velmaro.rc ${CMAKE_SOURCE_DIR}/resources/velmaro.manifest
          ${RES_DIR}/icons.rc ${RES_DIR}/version.h)
# One target owns the generated resources, so parallel builds of both exes don't race.
add_custom_target(velmaro_resources DEPENDS ${RES_DIR}/velmaro_res.o)

# --gc-sections drops the sections nothing refers to, mostly parts of the
# static C++ runtime, which keeps the exe within its 400 KB. Each program
# names the file that makes its services (MakeProgramServices).
function(velmaro_exe name services)
  add_executable(${name} WIN32 app/main_win.cpp app/runtime_overrides_win.cpp ${services} ${RES_DIR}/velmaro_res.o)
  set_property(TARGET ${name} PROPERTY CXX_STANDARD 20)
  target_link_libraries(${name} PRIVATE velmaro_win ${XP_LINK_FLAGS} -s -Wl,--gc-sections)
  add_dependencies(${name} velmaro_resources)
endfunction()
velmaro_exe(Velmaro app/program_services_win.cpp)
# The same program with every power call recorded instead of made, for the
# end-to-end tests.
velmaro_exe(VelmaroE2E tests/e2e/doubles/e2e_services_win.cpp)
target_sources(VelmaroE2E PRIVATE ${DOUBLE_SOURCES})

# The cleanup batch beside the exe, as it is shipped.
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/QLLJ.bat
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/resources/QLLJ.bat ${CMAKE_BINARY_DIR}/QLLJ.bat
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/QLLJ.bat)
set(RELEASE_OUTPUTS ${CMAKE_BINARY_DIR}/QLLJ.bat)

# What a user downloads: the help file beside the exe, the installer, and the
# three files as a portable zip. One target owns every rule here, so a
# parallel build runs each once. Debian has both tools (tools/install-deps.sh).
find_program(CHMCMD chmcmd)
find_program(MAKENSIS makensis)
if(CHMCMD AND MAKENSIS)
  set(VELMARO_RELEASE ON)
  file(GLOB HELP_SOURCES CONFIGURE_DEPENDS docs/help/*)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/Velmaro.CHM
    COMMAND ${CMAKE_SOURCE_DIR}/tools/make-help.sh ${CMAKE_SOURCE_DIR}/docs/help ${CMAKE_BINARY_DIR}/Velmaro.CHM
    DEPENDS ${HELP_SOURCES} ${CMAKE_SOURCE_DIR}/tools/make-help.sh)
  # The 64-bit test build's installer is a 64-bit one too, for machines that
  # run no 32-bit program; what ships is the 32-bit one.
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(NSIS_TARGET -DAMD64)
  endif()
  set(RELEASE_FILES ${CMAKE_BINARY_DIR}/Velmaro.exe ${CMAKE_BINARY_DIR}/QLLJ.bat ${CMAKE_BINARY_DIR}/Velmaro.CHM)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/Velmaro-Setup.exe
    COMMAND ${MAKENSIS} -V2 -INPUTCHARSET UTF8 ${NSIS_TARGET} -DVERSION=${PROJECT_VERSION} -DFILES=${CMAKE_BINARY_DIR}
            -DICONS=${RES_DIR} -DOUTFILE=${CMAKE_BINARY_DIR}/Velmaro-Setup.exe
            ${CMAKE_SOURCE_DIR}/packaging/velmaro.nsi
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/velmaro.nsi ${CMAKE_SOURCE_DIR}/resources/logon-task.xml Velmaro ${RELEASE_FILES})
  set(PORTABLE_DIR ${CMAKE_BINARY_DIR}/portable)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/Velmaro-Portable.zip
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${PORTABLE_DIR}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PORTABLE_DIR}/Velmaro
    COMMAND ${CMAKE_COMMAND} -E copy ${RELEASE_FILES} ${PORTABLE_DIR}/Velmaro
    COMMAND ${CMAKE_COMMAND} -E chdir ${PORTABLE_DIR}
            ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/Velmaro-Portable.zip --format=zip Velmaro
    DEPENDS Velmaro ${RELEASE_FILES})
  list(APPEND RELEASE_OUTPUTS ${CMAKE_BINARY_DIR}/Velmaro.CHM ${CMAKE_BINARY_DIR}/Velmaro-Setup.exe
       ${CMAKE_BINARY_DIR}/Velmaro-Portable.zip)
else()
  message(WARNING "chmcmd or makensis not found: no help file, installer or portable zip")
endif()
add_custom_target(velmaro_release ALL DEPENDS ${RELEASE_OUTPUTS})

enable_testing()
include(GoogleTest)
# A download of 460 KB at most (KB as 1000 bytes), every icon size and the
# three languages included. Only the 32-bit program ships; the 64-bit one,
# built for Wine tests alone, has wider pointers in every table.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_test(NAME VelmaroExeSize COMMAND ${CMAKE_SOURCE_DIR}/tools/check-size.sh $<TARGET_FILE:Velmaro> 460000)
endif()
if(VELMARO_RELEASE)
  add_test(NAME VelmaroHelp COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/help/help_test.py ${CMAKE_BINARY_DIR}/Velmaro.CHM)
endif()

# The programs that run under Wine: tests, benchmarks, the soak run. A tree
# whose programs no Wine here can run (the 32-bit one on a machine without
# 32-bit Wine) builds only what ships and what is checked.
option(VELMARO_WINE_TESTS "Build the Wine tests, benchmarks and soak run" ON)
if(VELMARO_WINE_TESTS)
  include(cmake/windows_tests.cmake)
endif()
