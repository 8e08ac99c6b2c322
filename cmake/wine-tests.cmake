# The Windows test programs and the start-up benchmark, and their registration with CTest,
# which runs them under Wine through the toolchain's emulator (scripts/wine-run.sh).
include(GoogleTest)

# Everything lands beside Tarvo.exe, where the end-to-end tests look for their programs.
set(TARVO_WIN_OUT ${CMAKE_BINARY_DIR})

# Each test program runs in its own Wine process; a hung one is ended by CTest's timeout and
# the wrapper's. Tests that type into windows share one desktop and keyboard: they must not
# run at the same time as each other.
set(TARVO_WINE_TEST_PROPERTIES TIMEOUT 300 RESOURCE_LOCK wine_desktop)

# probe.exe: the target the launch tests start; it records how it was started.
add_executable(probe WIN32 tests/win32/probe/probe.cpp)
set_target_properties(probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TARVO_WIN_OUT})

# The front end's own tests against the real Win32 platform.
file(GLOB TARVO_WIN32_TEST_SOURCES CONFIGURE_DEPENDS tests/win32/*_test.cpp)
if(TARVO_WIN32_TEST_SOURCES)
    # The build links with -municode, so the C runtime calls wmain, which gtest_main lacks.
    # The windows it builds take their link pointer and icon from the program's resources.
    add_executable(tarvo_win32_tests ${TARVO_WIN32_TEST_SOURCES} tests/e2e/unicode_main.cpp
                                     src/resources/link_cursor.rc ${TARVO_VERSION_RC})
    target_include_directories(tarvo_win32_tests PRIVATE tests src/resources)
    target_link_libraries(tarvo_win32_tests PRIVATE tarvo_win32 oleacc GTest::gtest_main)
    target_link_options(tarvo_win32_tests PRIVATE -static)
    set_target_properties(tarvo_win32_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TARVO_WIN_OUT})
    add_dependencies(tarvo_win32_tests probe)
    gtest_discover_tests(tarvo_win32_tests
        DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
        WORKING_DIRECTORY ${TARVO_WIN_OUT}
        PROPERTIES ${TARVO_WINE_TEST_PROPERTIES})
endif()

# End-to-end tests: start Tarvo.exe and probe.exe as a user would and check what they did.
file(GLOB TARVO_E2E_SOURCES CONFIGURE_DEPENDS tests/e2e/*.cpp)
add_executable(tarvo_e2e_tests ${TARVO_E2E_SOURCES})
target_link_libraries(tarvo_e2e_tests PRIVATE GTest::gtest shell32 user32)
target_compile_definitions(tarvo_e2e_tests PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                   _WIN32_WINNT=0x0A00)
target_link_options(tarvo_e2e_tests PRIVATE -static)
set_target_properties(tarvo_e2e_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TARVO_WIN_OUT})
add_dependencies(tarvo_e2e_tests probe)
if(TARGET Tarvo)
    add_dependencies(tarvo_e2e_tests Tarvo)
endif()
gtest_discover_tests(tarvo_e2e_tests
    DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY ${TARVO_WIN_OUT}
    PROPERTIES ${TARVO_WINE_TEST_PROPERTIES})

# The start-up benchmark (scripts/bench-startup.sh): a minimal dialog as the yardstick and the
# program that times a start. Not tests; built so that the script finds them.
enable_language(RC)
add_executable(minimal_dialog WIN32 bench/startup/minimal_dialog.cpp bench/startup/minimal_dialog.rc)
target_link_libraries(minimal_dialog PRIVATE comctl32)
add_executable(startup_timer bench/startup/startup_timer.cpp)
target_link_libraries(startup_timer PRIVATE user32)
set_target_properties(minimal_dialog startup_timer PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TARVO_WIN_OUT})
foreach(target minimal_dialog startup_timer probe)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                 _WIN32_WINNT=0x0A00)
    target_link_options(${target} PRIVATE -static)
endforeach()

# The release: scripts/build-dist.sh packs this tree's Tarvo.exe into dist/ (the setup, the
# portable zip, SHA256SUMS, the winget manifests); the installer's end-to-end tests install,
# upgrade and remove that setup under Wine. A second, independent build must give the same
# bytes, and the winget manifests must match the setup.
find_program(TARVO_BASH bash)
set(TARVO_DIST_DIR ${CMAKE_SOURCE_DIR}/dist)
add_test(NAME dist_build
         COMMAND ${TARVO_BASH} ${CMAKE_SOURCE_DIR}/scripts/build-dist.sh
                 --build-dir ${CMAKE_BINARY_DIR} --out ${TARVO_DIST_DIR})
set_tests_properties(dist_build PROPERTIES FIXTURES_SETUP tarvo_dist TIMEOUT 600)
add_test(NAME dist_reproducible_and_winget
         COMMAND ${TARVO_BASH} ${CMAKE_SOURCE_DIR}/tests/installer/dist_test.sh ${TARVO_DIST_DIR})
# It compiles Tarvo.exe again: not while a test types into a window, whose keys a busy
# machine can deliver late.
set_tests_properties(dist_reproducible_and_winget PROPERTIES FIXTURES_REQUIRED tarvo_dist
                                                               TIMEOUT 900
                                                               RESOURCE_LOCK wine_desktop)
# The signed road: a throw-away certificate signs the release twice (the same bytes), every
# signed file verifies against it, and the signed setup installs and uninstalls under Wine in
# a prefix of its own. After dist_build, which builds the same tree.
add_test(NAME dist_signed
         COMMAND ${TARVO_BASH} ${CMAKE_SOURCE_DIR}/tests/installer/signed_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(dist_signed PROPERTIES FIXTURES_REQUIRED tarvo_dist TIMEOUT 600
                                             RESOURCE_LOCK wine_desktop)

add_executable(tarvo_installer_tests tests/installer/installer_test.cpp tests/e2e/driver.cpp
                                     tests/e2e/unicode_main.cpp)
target_include_directories(tarvo_installer_tests PRIVATE tests)
target_link_libraries(tarvo_installer_tests PRIVATE GTest::gtest shell32 ole32 uuid user32)
target_compile_definitions(tarvo_installer_tests PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN
                                                         NOMINMAX _WIN32_WINNT=0x0A00
                                                         TARVO_VERSION="${PROJECT_VERSION}")
target_link_options(tarvo_installer_tests PRIVATE -static)
set_target_properties(tarvo_installer_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TARVO_WIN_OUT})
add_dependencies(tarvo_installer_tests probe Tarvo)
gtest_discover_tests(tarvo_installer_tests
    DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY ${TARVO_WIN_OUT}
    PROPERTIES ${TARVO_WINE_TEST_PROPERTIES} FIXTURES_REQUIRED tarvo_dist
               ENVIRONMENT "TARVO_DIST=${TARVO_DIST_DIR}")
