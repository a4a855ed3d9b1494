# Native tree (Linux): unit tests of the portable core, the service, benchmarks
# and the registration of the Wine and end-to-end tests.

find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

include(GoogleTest)
file(GLOB_RECURSE LOTSE_UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(lotse_unit_tests ${LOTSE_UNIT_TEST_SOURCES})
target_link_libraries(lotse_unit_tests PRIVATE lotse_test_support lotse_core GTest::gtest_main GTest::gmock)
target_compile_definitions(lotse_unit_tests PRIVATE LOTSE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
gtest_discover_tests(lotse_unit_tests DISCOVERY_MODE PRE_TEST PROPERTIES LABELS unit)

# No folder of the program includes from a folder above it (README, Layout).
add_test(NAME layers COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-layers.sh)
set_tests_properties(layers PROPERTIES LABELS unit)

foreach(sub server tests/service tests/fuzz bench)
    if(EXISTS ${CMAKE_SOURCE_DIR}/${sub}/CMakeLists.txt)
        add_subdirectory(${sub})
    endif()
endforeach()

set(LOTSE_WIN_BUILD_DIR "" CACHE PATH "Windows build tree whose tests run under Wine")
if(LOTSE_WIN_BUILD_DIR)
    include(${CMAKE_SOURCE_DIR}/tests/WineTests.cmake)
endif()
