# Native build: unit tests of the core against in-memory doubles, benchmarks, fuzz targets;
# on Linux also tarvolin, the Qt 6 front end, with its widget and end-to-end tests.
set(TARVO_QT_DEFAULT OFF)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(TARVO_QT_DEFAULT ON)
endif()
option(TARVO_QT "Build tarvolin, the Linux front end on Qt 6 Widgets" ${TARVO_QT_DEFAULT})
if(TARVO_TESTS)
    find_package(GTest REQUIRED)
    find_package(Threads REQUIRED)
    file(GLOB TARVO_UNIT_SOURCES CONFIGURE_DEPENDS tests/unit/*.cpp tests/doubles/*.cpp)
    add_executable(tarvo_unit_tests ${TARVO_UNIT_SOURCES})
    target_include_directories(tarvo_unit_tests PRIVATE tests)
    # Tests that compare generated text with a file the package installs read it from here.
    target_compile_definitions(tarvo_unit_tests PRIVATE TARVO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    target_link_libraries(tarvo_unit_tests PRIVATE tarvo_core GTest::gtest GTest::gtest_main
                                                   Threads::Threads)
    include(GoogleTest)
    gtest_discover_tests(tarvo_unit_tests DISCOVERY_TIMEOUT 60)
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/bench/CMakeLists.txt AND TARVO_BENCHMARKS)
    add_subdirectory(bench)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/fuzz/CMakeLists.txt AND TARVO_FUZZ)
    add_subdirectory(fuzz)
endif()

# The house rules: platform headers only in the front ends and platform/<system>/ folders.
if(TARVO_TESTS)
    add_test(NAME HouseRules COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check-house.sh)
    # One version: CHANGELOG.md has its entry and the documents name its release files.
    add_test(NAME ReleaseVersion
             COMMAND python3 ${CMAKE_SOURCE_DIR}/scripts/release-files.py check)
    # The test command fails whenever one of its steps fails.
    add_test(NAME TestCommandFails
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/scripts/test_command_test.sh)
endif()

if(TARVO_QT)
    include(cmake/qt.cmake)
endif()
