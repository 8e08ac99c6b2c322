# Windows build (MinGW-w64 cross compiler): Tarvo.exe and its tests, run under Wine.

# The front end: control wrappers, form builder, windows, message loop and WinMain. The
# Win32 services the core calls (file layer, code pages, registry, shell) are in tarvo_core.
file(GLOB TARVO_WIN32_SOURCES CONFIGURE_DEPENDS src/frontend/win32/*.cpp)
list(FILTER TARVO_WIN32_SOURCES EXCLUDE REGEX ".*/main\\.cpp$")
add_library(tarvo_win32 STATIC ${TARVO_WIN32_SOURCES})
target_link_libraries(tarvo_win32 PUBLIC tarvo_core comctl32 comdlg32 shell32 ole32 oleaut32
                                         uuid shlwapi gdi32 user32 advapi32 uxtheme)

enable_language(RC)
# The version record and the manifest carry the project's version: made from templates. The
# record's text form is major.minor.revision with two and four digits ("2.06.0002").
set(TARVO_GENERATED ${CMAKE_BINARY_DIR}/generated)
set(TARVO_VERSION_COMMAS
    "${PROJECT_VERSION_MAJOR}, ${PROJECT_VERSION_MINOR}, ${PROJECT_VERSION_PATCH}, ${PROJECT_VERSION_TWEAK}")
string(SUBSTRING "00${PROJECT_VERSION_MINOR}" 0 -1 minor)
string(LENGTH "${minor}" length)
math(EXPR start "${length} - 2")
string(SUBSTRING "${minor}" ${start} 2 minor)
string(SUBSTRING "0000${PROJECT_VERSION_TWEAK}" 0 -1 revision)
string(LENGTH "${revision}" length)
math(EXPR start "${length} - 4")
string(SUBSTRING "${revision}" ${start} 4 revision)
set(TARVO_VERSION_RECORD "${PROJECT_VERSION_MAJOR}.${minor}.${revision}")
configure_file(src/resources/icon_version.rc.in ${TARVO_GENERATED}/icon_version.rc @ONLY)
configure_file(src/resources/Tarvo.exe.manifest.in ${TARVO_GENERATED}/Tarvo.exe.manifest @ONLY)
set(TARVO_VERSION_RC ${TARVO_GENERATED}/icon_version.rc)
# The resource compiler reports no dependencies: a new manifest must still rebuild its script.
set_source_files_properties(src/resources/tarvo.rc PROPERTIES
                            OBJECT_DEPENDS ${TARVO_GENERATED}/Tarvo.exe.manifest)

file(GLOB TARVO_RESOURCES CONFIGURE_DEPENDS src/resources/*.rc)
add_executable(Tarvo WIN32 src/frontend/win32/main.cpp ${TARVO_RESOURCES} ${TARVO_VERSION_RC})
# The resource scripts name their files (icon, cursor, manifest) without a folder.
target_include_directories(Tarvo PRIVATE src/resources ${TARVO_GENERATED})
target_link_libraries(Tarvo PRIVATE tarvo_win32)
set_target_properties(Tarvo PROPERTIES OUTPUT_NAME Tarvo)

# A small Tarvo.exe in Release, still one static executable: every function and object in a
# section of its own, so the linker drops what nothing calls, and no symbols or debugging
# sections (the static C++ runtime brings most of those).
set(TARVO_SECTIONS $<$<CONFIG:Release>:-ffunction-sections -fdata-sections>)
target_compile_options(tarvo_core PRIVATE ${TARVO_SECTIONS})
target_compile_options(tarvo_win32 PRIVATE ${TARVO_SECTIONS})
target_compile_options(Tarvo PRIVATE ${TARVO_SECTIONS})
target_link_options(Tarvo PRIVATE $<$<CONFIG:Release>:-Wl,--gc-sections -s>)

if(TARVO_TESTS)
    # GoogleTest for Windows, built from the Debian package's sources.
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    include(cmake/wine-tests.cmake OPTIONAL)
endif()
