# Host build: the core's GoogleTest suite and benchmarks.
find_package(GTest REQUIRED)
find_package(benchmark QUIET)
enable_testing()
include(GoogleTest)

file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS tests/native/*_test.cpp)
add_executable(velmaro_native_tests ${NATIVE_TEST_SOURCES} ${FAKE_SOURCES})
target_link_libraries(velmaro_native_tests PRIVATE velmaro_core GTest::gtest_main GTest::gmock)
gtest_discover_tests(velmaro_native_tests DISCOVERY_TIMEOUT 30)

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS tests/bench/*_bench.cpp)
if(benchmark_FOUND AND BENCH_SOURCES)
  add_executable(velmaro_bench ${BENCH_SOURCES} ${FAKE_SOURCES})
  target_link_libraries(velmaro_bench PRIVATE velmaro_core benchmark::benchmark_main)
endif()
