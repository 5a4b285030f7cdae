# Host build: the core's GoogleTest suite and benchmarks.
find_package(GTest REQUIRED)
enable_testing()
include(GoogleTest)

file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS tests/native/*_test.cpp)
add_executable(velmaro_native_tests ${NATIVE_TEST_SOURCES} ${FAKE_SOURCES})
target_link_libraries(velmaro_native_tests PRIVATE velmaro_core GTest::gtest_main)
gtest_discover_tests(velmaro_native_tests DISCOVERY_TIMEOUT 30)

# Benchmarks: tests/bench/NAME_bench.cpp -> NAME_bench, each printing its
# figures as "bench <name> <value> <unit>" lines (make bench).
file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS tests/bench/*_bench.cpp)
foreach(src ${BENCH_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src} ${FAKE_SOURCES})
  target_link_libraries(${name} PRIVATE velmaro_core)
endforeach()
