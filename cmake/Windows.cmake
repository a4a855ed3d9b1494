# Windows tree (MinGW-w64): lotse.exe and the Windows test executable.

add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0A00 WINVER=0x0A00 NOMINMAX)
# Runtime linked statically so the program runs on a bare Windows or Wine.
set(LOTSE_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

# MinGW's headers lack the UI Automation client interfaces; take just those two
# headers from Wine's development files, through links in the build tree.
set(LOTSE_UIA_INCLUDE ${CMAKE_BINARY_DIR}/uia-include)
file(MAKE_DIRECTORY ${LOTSE_UIA_INCLUDE})
foreach(header uiautomationclient.h uiautomationcore.h)
    if(EXISTS /usr/include/wine/wine/windows/${header})
        file(CREATE_LINK /usr/include/wine/wine/windows/${header} ${LOTSE_UIA_INCLUDE}/${header} SYMBOLIC)
    endif()
endforeach()

set(LOTSE_WIN_LIBS user32 gdi32 msimg32 comctl32 comdlg32 shell32 ole32 oleaut32 uuid wininet psapi
    advapi32 version winmm)

list(FILTER LOTSE_WIN_SOURCES EXCLUDE REGEX "/app/win/WinMain\\.cpp$")
add_library(lotse_win STATIC ${LOTSE_WIN_SOURCES})
target_include_directories(lotse_win BEFORE PUBLIC ${LOTSE_UIA_INCLUDE})
target_link_libraries(lotse_win PUBLIC lotse_core ${LOTSE_WIN_LIBS})
# The in-process UI Automation of the tests implements the same COM interfaces.
target_include_directories(lotse_test_support BEFORE PUBLIC ${LOTSE_UIA_INCLUDE})
target_link_libraries(lotse_test_support PUBLIC ${LOTSE_WIN_LIBS})

set(LOTSE_RESOURCES ${CMAKE_SOURCE_DIR}/resources/lotse.rc)
set_source_files_properties(${LOTSE_RESOURCES} PROPERTIES
    OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/resource.h;${CMAKE_SOURCE_DIR}/resources/lotse.ico;${CMAKE_SOURCE_DIR}/resources/lotse.manifest;${CMAKE_BINARY_DIR}/generated/LotseConfig.h")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR} -I${CMAKE_BINARY_DIR}/generated -c65001")

add_executable(lotse WIN32 app/win/WinMain.cpp ${LOTSE_RESOURCES})
target_link_libraries(lotse PRIVATE lotse_win ${LOTSE_STATIC_RUNTIME})
target_link_options(lotse PRIVATE -municode)

include(${CMAKE_SOURCE_DIR}/cmake/Installer.cmake)

# GoogleTest for Windows, built from Debian's sources.
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB_RECURSE LOTSE_WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
list(FILTER LOTSE_WIN_TEST_SOURCES EXCLUDE REGEX "/tests/win/(helper|target|driver)/")
add_executable(lotse_wintests ${LOTSE_WIN_TEST_SOURCES} ${LOTSE_RESOURCES})
target_link_libraries(lotse_wintests PRIVATE lotse_test_support lotse_win oleacc gtest gmock ${LOTSE_STATIC_RUNTIME})

# The program's parts that the end-to-end scripts use without a running
# lotse.exe: asking as this computer's user, recording for one ticket.
add_executable(lotse_e2e_driver tests/win/driver/EndToEndDriver.cpp ${LOTSE_RESOURCES})
target_link_libraries(lotse_e2e_driver PRIVATE lotse_win ${LOTSE_STATIC_RUNTIME})
target_link_options(lotse_e2e_driver PRIVATE -municode)

# Figures of the Win32 layer for the bench scripts (bench/win).
add_executable(lotse_winbench bench/win/WinBench.cpp ${LOTSE_RESOURCES})
target_link_libraries(lotse_winbench PRIVATE lotse_win ${LOTSE_STATIC_RUNTIME})
target_link_options(lotse_winbench PRIVATE -municode)

# Helper of the test scripts: holds named mutexes, sends broadcasts and
# messages to windows found by title, reports their state and programs'
# file versions.
add_executable(lotse_testhelper tests/win/helper/TestHelper.cpp)
target_link_libraries(lotse_testhelper PRIVATE user32 version ole32 oleaut32 oleacc ${LOTSE_STATIC_RUNTIME})
target_link_options(lotse_testhelper PRIVATE -municode)
target_include_directories(lotse_testhelper PRIVATE ${CMAKE_SOURCE_DIR})

# A program to guide, record and pick on that logs when its buttons receive the
# user's clicks (the click latency benchmark and the journeys that play on it),
# and the benchmark's watcher of the frame.
add_executable(lotse_clicktarget WIN32 tests/win/target/ClickTarget.cpp)
target_link_libraries(lotse_clicktarget PRIVATE user32 ${LOTSE_STATIC_RUNTIME})
target_link_options(lotse_clicktarget PRIVATE -municode)
add_executable(lotse_framewatcher bench/win/FrameWatcher.cpp)
target_link_libraries(lotse_framewatcher PRIVATE user32 winmm ${LOTSE_STATIC_RUNTIME})
target_link_options(lotse_framewatcher PRIVATE -municode)
