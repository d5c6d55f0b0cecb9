# Build switches of the `windows` preset, which brings this file in through
# CMAKE_PROJECT_TOP_LEVEL_INCLUDES (read at the top-level project() call), so that the project's
# own CMakeLists stay as they are for the Linux builds.
#
# - Linux-only parts need nothing here: bench/ builds only if(UNIX); ALSA is not found in the
#   MinGW find root, so the tone falls back to Beep().
# - The MinGW compile checks of autotests/windows (ctest label "windows") check Windows code from
#   a Linux build; in a Windows build they add nothing, and the `windows` test preset leaves them
#   out by that label.
# - ZU42_WINDOWS_UNBUILT_TESTS: test executables whose sources do not compile for Windows yet.
#   They are left out of the default build, so the rest builds; ctest still lists them, and
#   reports them as not run (no executable), until their sources are fixed and the name is
#   taken off this list.

if(NOT CMAKE_SYSTEM_NAME STREQUAL "Windows" OR CMAKE_HOST_WIN32)
    message(FATAL_ERROR "cmake/windows-build.cmake is for the MinGW cross build (the `windows` preset)")
endif()

set(ZU42_WINDOWS_UNBUILT_TESTS
    # autotests/link/seriallinktest.cpp includes <termios.h>, <fcntl.h> and <unistd.h> and drives
    # a pseudo-terminal: there is no termios.h in MinGW.
    seriallinktest
    CACHE STRING "Test targets left out of the Windows build (their sources do not compile for Windows)")

function(_zu42_windows_after_all_subdirectories)
    foreach(target IN LISTS ZU42_WINDOWS_UNBUILT_TESTS)
        if(TARGET ${target})
            set_property(TARGET ${target} PROPERTY EXCLUDE_FROM_ALL ON)
            message(STATUS "windows: ${target} is not built (see ZU42_WINDOWS_UNBUILT_TESTS)")
        endif()
    endforeach()
endfunction()
cmake_language(DEFER DIRECTORY "${CMAKE_SOURCE_DIR}" CALL _zu42_windows_after_all_subdirectories)
