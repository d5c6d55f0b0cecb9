# The Windows package, from packaging/CMakeLists.txt before it includes CPack: what zu42tool.exe
# needs beside it on a PC without Qt or MinGW (the deployment, as install rules), and CPack's ZIP
# and NSIS generators (scripts/package-windows.sh). The package's name and words are
# packaging/CMakeLists.txt's, as for the Debian package.
# Layout as Qt's own deployment leaves it: the programs, the Qt and MinGW runtime DLLs in bin/,
# the plugins in folders beside them (Qt looks for plugins in the program's folder), so no
# qt.conf is needed.
if(NOT WIN32)
    return()
endif()

set(zu42_bin ${CMAKE_INSTALL_BINDIR})

foreach(module IN ITEMS Core Gui Widgets Network SerialPort Sql)
    install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION ${zu42_bin})
endforeach()

# The plugins the tool loads: the window system, the native look, the records store's SQLite,
# and the offscreen platform zu42cli draws its PDFs on (a handover report, a certificate): a
# command line has no window, and without the plugin Qt GUI would not start at all.
# (No PostgreSQL driver: there is no MinGW build of the PostgreSQL client library here.)
foreach(plugin_and_folder IN ITEMS QWindowsIntegrationPlugin:platforms QOffscreenIntegrationPlugin:platforms
                                   QWindowsVistaStylePlugin:styles QSQLiteDriverPlugin:sqldrivers)
    string(REPLACE ":" ";" pair ${plugin_and_folder})
    list(GET pair 0 plugin)
    list(GET pair 1 folder)
    if(NOT TARGET Qt6::${plugin})
        message(FATAL_ERROR "Qt6::${plugin} is missing from the MinGW Qt: the package would not start")
    endif()
    install(FILES $<TARGET_FILE:Qt6::${plugin}> DESTINATION ${zu42_bin}/${folder})
endforeach()

# MinGW's runtime, from the compiler that built the programs.
foreach(dll IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
    endif()
    install(FILES ${path} DESTINATION ${zu42_bin})
endforeach()

set(CPACK_SYSTEM_NAME win64)
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "ZU42 Test Tools")
# Also the Start-menu folder, and the key by which a newer installer finds the old one to remove.
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "ZU42 Test Tools")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_LIST_DIR}/windows-package-notice.txt)
# The Start-menu entry: "ZU42 Test Tools" in a folder of the same name.
set(CPACK_PACKAGE_EXECUTABLES zu42tool "ZU42 Test Tools")
# The installer's name is also the Start-menu folder's: no version in it, so that a shortcut
# stays where the technician found it after an update. Installed programs list the version.
set(CPACK_NSIS_PACKAGE_NAME "ZU42 Test Tools")
set(CPACK_NSIS_DISPLAY_NAME "ZU42 Test Tools ${PROJECT_VERSION}")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\zu42tool.exe")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# A 64-bit installer for 64-bit programs: it runs where they run (Wine without its 32-bit part
# too) and writes the 64-bit registry view and Program Files.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
