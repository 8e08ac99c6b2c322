# tarvolin: the Qt 6 Widgets front end on the same core library as Tarvo.exe, its widget tests
# (offscreen) and its end-to-end test (real key events under Xvfb).
find_package(Qt6 REQUIRED COMPONENTS Widgets)
if(TARVO_TESTS)
    find_package(Qt6 REQUIRED COMPONENTS Test)
endif()

file(GLOB TARVO_QT_SOURCES CONFIGURE_DEPENDS src/frontend/qt/*.cpp)
list(FILTER TARVO_QT_SOURCES EXCLUDE REGEX "/main\\.cpp$")
add_library(tarvo_qt STATIC ${TARVO_QT_SOURCES})
set_target_properties(tarvo_qt PROPERTIES AUTOMOC ON)
target_link_libraries(tarvo_qt PUBLIC tarvo_core Qt6::Widgets)

qt_add_executable(tarvolin src/frontend/qt/main.cpp src/frontend/qt/tarvolin.qrc)
# The resource format without file times: the program's bytes do not depend on when the
# tree was checked out.
set_target_properties(tarvolin PROPERTIES AUTORCC ON AUTORCC_OPTIONS "--format-version;1")
target_link_libraries(tarvolin PRIVATE tarvo_qt)
# "tarvolin --version" prints the project's version.
target_compile_definitions(tarvolin PRIVATE TARVO_VERSION="${PROJECT_VERSION}")

if(TARVO_TESTS)
    file(GLOB TARVO_QT_TEST_SOURCES CONFIGURE_DEPENDS tests/qt/*_test.cpp tests/qt/qt_test_main.cpp)
    add_executable(tarvolin_widget_tests ${TARVO_QT_TEST_SOURCES})
    target_include_directories(tarvolin_widget_tests PRIVATE tests)
    target_link_libraries(tarvolin_widget_tests PRIVATE tarvo_qt Qt6::Test GTest::gtest
                                                        Threads::Threads)
    gtest_discover_tests(tarvolin_widget_tests DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")

    # End to end: tarvolin itself under a private Xvfb, driven by xdotool.
    add_test(NAME TarvolinEndToEnd
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/qt/e2e.sh $<TARGET_FILE:tarvolin>)
    set_tests_properties(TarvolinEndToEnd PROPERTIES TIMEOUT 120 RUN_SERIAL ON)
    # The command line of the real program: options, exit codes, "--".
    add_test(NAME TarvolinCommandLine
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/qt/command_line_test.sh
                     $<TARGET_FILE:tarvolin> ${PROJECT_VERSION})
    set_tests_properties(TarvolinCommandLine PROPERTIES TIMEOUT 60)

    # The entries in the real file managers, under Xvfb with a window manager, read through
    # the accessibility bus; make_menus writes them for a private home.
    add_executable(make_menus tests/desktop/make_menus.cpp)
    target_link_libraries(make_menus PRIVATE tarvo_core)
    add_test(NAME TarvolinFileManagers
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/desktop/file_managers_e2e.sh
                     $<TARGET_FILE:tarvolin> $<TARGET_FILE:make_menus>)
    set_tests_properties(TarvolinFileManagers PROPERTIES TIMEOUT 300 RUN_SERIAL ON)

    # Both windows, the Browse menu, the input box and a message box as a screen reader reads
    # them over the accessibility bus (AT-SPI), and every control reached with Tab.
    add_test(NAME TarvolinAccessibility
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/qt/a11y.sh $<TARGET_FILE:tarvolin>)
    set_tests_properties(TarvolinAccessibility PROPERTIES TIMEOUT 180 RUN_SERIAL ON)

    # The windows' geometry where text is large: at twice the scale, and with the fonts at
    # 192 dpi without scaling (the logical DPI itself doubles).
    add_test(NAME TarvolinLargeText.Scale2 COMMAND tarvolin_widget_tests --gtest_filter=QtLargeText.*)
    set_tests_properties(TarvolinLargeText.Scale2 PROPERTIES
                         ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_SCALE_FACTOR=2")
    add_test(NAME TarvolinLargeText.FontDpi192
             COMMAND tarvolin_widget_tests --gtest_filter=QtLargeText.*)
    set_tests_properties(TarvolinLargeText.FontDpi192 PROPERTIES ENVIRONMENT
                         "QT_QPA_PLATFORM=offscreen;QT_ENABLE_HIGHDPI_SCALING=0;QT_FONT_DPI=192")
endif()
