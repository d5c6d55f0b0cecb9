# cmake -DCOMPILER=<mingw g++> -DSOURCE=<file.cpp> -DOBJECT=<file.obj> [-DSOURCE_ROOT=<src>] -P compilecheck.cmake
# cmake -DCOMPILER=<mingw g++> -DSOURCE=<file.cpp> -DINCLUDES=<dir|dir|...> -P compilecheck.cmake
#   (syntax only, with those include folders)
# Fails when the compiler is missing or the file does not compile for Windows.
if(NOT COMPILER OR COMPILER MATCHES "-NOTFOUND$")
    message(FATAL_ERROR
        "x86_64-w64-mingw32-g++ was not found when the build was configured; install "
        "g++-mingw-w64-x86-64 (scripts/install-deps.sh does) and configure again.")
endif()
if(INCLUDES)
    string(REPLACE "|" ";" include_dirs "${INCLUDES}")
    set(mode -fsyntax-only)
    foreach(dir IN LISTS include_dirs)
        list(APPEND mode -I${dir})
    endforeach()
else()
    file(REMOVE ${OBJECT})
    set(mode -c -o ${OBJECT})
endif()
if(SOURCE_ROOT)
    list(APPEND mode -I${SOURCE_ROOT})
endif()
execute_process(
    COMMAND ${COMPILER} -std=c++20 -DUNICODE -D_UNICODE -Wall -Wextra ${mode} ${SOURCE}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${SOURCE} does not compile for Windows:\n${output}")
endif()
if(output)
    message(STATUS "Warnings from ${SOURCE}:\n${output}")
endif()
