# Toolchain file of the `windows` preset: 64-bit Windows with Debian's MinGW-w64 (POSIX threads)
# against the MinGW build of Qt 6.4.2 that scripts/windows-qt.sh unpacks, with the host tools
# (moc, rcc, uic) of the system's Qt 6 (the preset sets QT_HOST_PATH).
#
# QT_MINGW_PREFIX, the unpacked Qt, is taken from (first found): -DQT_MINGW_PREFIX=..., the
# environment variable ZU42_QT_MINGW_PREFIX, or what scripts/windows-qt.sh prints (it unpacks the
# archive into a cache folder when needed). Without an archive the configure stops with that
# script's one line saying where to get one.
#
# Tests run under Wine through scripts/wine-test.sh (CMAKE_CROSSCOMPILING_EMULATOR), with a Wine
# prefix of the build tree's own in <build>/wineprefix.

get_filename_component(_zu42_repo "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)

if(NOT QT_MINGW_PREFIX)
    if(NOT "$ENV{ZU42_QT_MINGW_PREFIX}" STREQUAL "")
        set(_zu42_qt "$ENV{ZU42_QT_MINGW_PREFIX}")
    else()
        execute_process(
            COMMAND "${_zu42_repo}/scripts/windows-qt.sh"
            OUTPUT_VARIABLE _zu42_qt
            ERROR_VARIABLE _zu42_qt_error
            RESULT_VARIABLE _zu42_qt_status
            OUTPUT_STRIP_TRAILING_WHITESPACE
            ERROR_STRIP_TRAILING_WHITESPACE)
        if(NOT _zu42_qt_status EQUAL 0)
            message(FATAL_ERROR "scripts/windows-qt.sh (status ${_zu42_qt_status}): ${_zu42_qt_error}")
        endif()
    endif()
    set(QT_MINGW_PREFIX "${_zu42_qt}" CACHE PATH "The MinGW-w64 build of Qt (holds bin/Qt6Core.dll)")
endif()
if(NOT EXISTS "${QT_MINGW_PREFIX}/lib/cmake/Qt6/Qt6Config.cmake")
    message(FATAL_ERROR "QT_MINGW_PREFIX=${QT_MINGW_PREFIX} holds no lib/cmake/Qt6/Qt6Config.cmake")
endif()
# try_compile projects read this file again; hand them the prefix instead of running the script.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QT_MINGW_PREFIX)

include("${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake")
list(APPEND CMAKE_PREFIX_PATH "${QT_MINGW_PREFIX}")

# ctest runs every test executable as: wine-test.sh --qt ... --wineprefix ... test.exe
if(NOT DEFINED CACHE{CMAKE_CROSSCOMPILING_EMULATOR})
    set(CMAKE_CROSSCOMPILING_EMULATOR
        "${_zu42_repo}/scripts/wine-test.sh;--qt;${QT_MINGW_PREFIX};--wineprefix;${CMAKE_BINARY_DIR}/wineprefix"
        CACHE STRING "Runs a Windows test executable under Wine")
endif()
