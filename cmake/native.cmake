# Host build: the core's GoogleTest suite and benchmarks.
find_package(GTest REQUIRED)
enable_testing()
include(GoogleTest)

# The fakes are compiled once for the tests and every benchmark, and the
# tests parse GoogleTest's header once: most of this tree's build time.
add_library(velmaro_fakes STATIC ${FAKE_SOURCES})
target_link_libraries(velmaro_fakes PUBLIC velmaro_core)

file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS tests/native/*.cpp)
add_executable(velmaro_native_tests ${NATIVE_TEST_SOURCES})
target_link_libraries(velmaro_native_tests PRIVATE velmaro_fakes GTest::gtest_main)
target_precompile_headers(velmaro_native_tests PRIVATE <gtest/gtest.h>)
gtest_discover_tests(velmaro_native_tests DISCOVERY_TIMEOUT 30)

# Benchmarks: tests/bench/NAME_bench.cpp -> NAME_bench, each printing its
# figures as "bench <name> <value> <unit>" lines (make bench).
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS tests/bench/*_bench.cpp)
foreach(src ${BENCH_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE velmaro_fakes)
endforeach()
