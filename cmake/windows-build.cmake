# Build switches of the `windows` preset, which brings this file in through
# CMAKE_PROJECT_TOP_LEVEL_INCLUDES (read at the top-level project() call), so that the project's
# own CMakeLists stay as they are for the Linux builds.
#
# - Linux-only parts need nothing here: bench/ builds only if(UNIX); ALSA is not found in the
#   MinGW find root, so the tone falls back to Beep().
# - The MinGW compile checks of autotests/windows (ctest label "windows") check Windows code from
#   a Linux build; in a Windows build they add nothing, and the `windows` test preset leaves them
#   out by that label.
# - Every test builds for Windows; what cannot run under Wine skips with the reason.

if(NOT CMAKE_SYSTEM_NAME STREQUAL "Windows" OR CMAKE_HOST_WIN32)
    message(FATAL_ERROR "cmake/windows-build.cmake is for the MinGW cross build (the `windows` preset)")
endif()
