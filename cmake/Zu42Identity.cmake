# Who the programs are, in one place. The version is project(VERSION); the application id names
# the desktop entry, the AppStream metainfo and the icon (packaging/), and the window programs
# hand it to the desktop. Programs reach both through the generated header zu42version.h
# (target zu42version).
set(ZU42_APP_ID io.github.zu42tools.Zu42Tool)

configure_file(${CMAKE_CURRENT_LIST_DIR}/zu42version.h.in ${PROJECT_BINARY_DIR}/generated/zu42version.h @ONLY)
add_library(zu42version INTERFACE)
target_include_directories(zu42version INTERFACE ${PROJECT_BINARY_DIR}/generated)
