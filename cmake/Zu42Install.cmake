# zu42_install_program(<target> "<what it does, for the manual page>")
# Installs a program into bin/ and, where the program can run at build time, its manual page,
# which help2man makes from the program's own --help and --version: the page cannot disagree
# with the program, and a program whose --help fails breaks the build.
include(GNUInstallDirs)

# Folders made by the installation are 0755 whatever the umask of the one who builds: a package
# with group-writable folders would let others change what root installed.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

find_program(ZU42_HELP2MAN help2man DOC "help2man, for the manual pages of the installed programs")
if(CMAKE_CROSSCOMPILING OR WIN32)
    set(zu42_man_pages OFF)
elseif(ZU42_HELP2MAN)
    set(zu42_man_pages ON)
else()
    set(zu42_man_pages OFF)
    message(WARNING "help2man not found: the programs are installed without manual pages "
                    "(scripts/install-deps.sh installs it)")
endif()

function(zu42_install_program target what)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    if(NOT zu42_man_pages)
        return()
    endif()
    set(page ${PROJECT_BINARY_DIR}/man/${target}.1)
    # Found on the PATH, so that the page names the program, not the build folder. A sanitizer
    # build's leak report at exit is no concern of the page.
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
        COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                "PATH=$<TARGET_FILE_DIR:${target}>:$ENV{PATH}" ASAN_OPTIONS=detect_leaks=0
                ${ZU42_HELP2MAN} --no-info --name=${what} --output=${page} ${target}
        COMMAND gzip -9 -n -f ${page}
        DEPENDS ${target}
        COMMENT "Manual page of ${target}"
        VERBATIM)
    add_custom_target(${target}_manpage ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
