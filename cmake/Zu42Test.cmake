# Each named test is written as an ordinary QtTest program (<name>.cpp ending in QTEST_MAIN or a
# main of its own) and is one ctest test of that name. The tests of a folder link into one
# executable, <folder>tests, so that a folder's libraries, extra sources and Qt are linked once
# rather than once per test: each test's sources are an object library named after the test
# (so target_include_directories(<name> ...), target_compile_definitions and add_dependencies
# on it still work), compiled with its main renamed to zu42test_main_<name>, and a generated
# main runs the one its first argument names:
#   <folder>tests <name> [QtTest arguments]      e.g. build/autotests/linktests tcplinktest -v2
#   <folder>tests                                lists the tests it holds
#
#   zu42_add_tests(TESTS fooTest barTest LIBS zu42link [EXTRA_SOURCES ...] [LABELS ...])
#   zu42_add_test(name SOURCES ... LIBS ... [LABELS ...])
# Extra sources that are not a test's own (<name>.cpp) are compiled once, into the folder's
# executable.
include(${CMAKE_CURRENT_LIST_DIR}/Zu42Pch.cmake)

# The owners of the tests' precompiled headers, made here in the top folder, where the tests
# find them (_zu42_add_test).
zu42_use_pch(test)
zu42_use_pch(guitest)
zu42_use_pch(widgetstest)

function(zu42_add_tests)
    cmake_parse_arguments(ARG "" "" "TESTS;LIBS;EXTRA_SOURCES;LABELS" ${ARGN})
    foreach(name IN LISTS ARG_TESTS)
        _zu42_add_test(${name} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp
            SHARED_SOURCES ${ARG_EXTRA_SOURCES} LIBS ${ARG_LIBS} LABELS ${ARG_LABELS})
    endforeach()
endfunction()

function(zu42_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    set(own)
    set(shared)
    foreach(source IN LISTS ARG_SOURCES)
        get_filename_component(base ${source} NAME_WE)
        if(base STREQUAL name)
            list(APPEND own ${source})
        else()
            list(APPEND shared ${source})
        endif()
    endforeach()
    _zu42_add_test(${name} SOURCES ${own} SHARED_SOURCES ${shared} LIBS ${ARG_LIBS} LABELS ${ARG_LABELS})
endfunction()

function(_zu42_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;SHARED_SOURCES;LIBS;LABELS" ${ARGN})
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set(group ${folder}tests)
    if(NOT TARGET ${group})
        add_executable(${group} ${CMAKE_CURRENT_BINARY_DIR}/${group}_main.cpp)
        set_target_properties(${group} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/autotests)
        target_compile_options(${group} PRIVATE ${ZU42_TEST_FLAGS})
        # A deferred call reads its arguments' variables when it runs: hand it the name itself.
        cmake_language(EVAL CODE "cmake_language(DEFER CALL _zu42_write_group_main ${group})")
    endif()

    add_library(${name} OBJECT ${ARG_SOURCES})
    target_link_libraries(${name} PUBLIC Qt6::Test zu42testsupport ${ARG_LIBS})
    target_compile_options(${name} PRIVATE ${ZU42_TEST_FLAGS})
    # main becomes zu42test_main_<name> through a header read after the precompiled one: a
    # precompiled header is refused where a macro named like any of its identifiers was defined
    # before it, as -Dmain would be. So GCC is given the tests' precompiled header here, ahead of
    # the rename, rather than by target_precompile_headers, which would put it after.
    set(rename ${CMAKE_CURRENT_BINARY_DIR}/${name}_main.h)
    file(CONFIGURE OUTPUT ${rename} CONTENT "#define main zu42test_main_${name}\n")
    set(options)
    if(ZU42_PCH AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        zu42_pch_kind_of(kind ${ARG_LIBS})
        if(kind STREQUAL "core")
            set(owner zu42pch_test)
        else()
            set(owner zu42pch_${kind}test)
        endif()
        add_dependencies(${name} ${owner})
        set(options -Winvalid-pch -include ${PROJECT_BINARY_DIR}/CMakeFiles/${owner}.dir/cmake_pch.hxx)
    endif()
    foreach(source IN LISTS ARG_SOURCES)
        set_property(SOURCE ${source} APPEND PROPERTY COMPILE_OPTIONS ${options} -include ${rename})
    endforeach()

    # A source several tests share is compiled once.
    get_target_property(shared ${group} SOURCES)
    foreach(source IN LISTS ARG_SHARED_SOURCES)
        get_filename_component(source ${source} ABSOLUTE)
        if(NOT source IN_LIST shared)
            target_sources(${group} PRIVATE ${source})
            list(APPEND shared ${source})
        endif()
    endforeach()
    target_link_libraries(${group} PRIVATE ${name})
    set_property(TARGET ${group} APPEND PROPERTY ZU42_TESTS ${name})

    add_test(NAME ${name} COMMAND ${group} ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZU42SIM=$<TARGET_FILE:zu42sim>"
        TIMEOUT 300)
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()

# The group's main, written once the folder's CMakeLists has named all its tests (and rewritten
# only when that list changes, so that nothing rebuilds for nothing).
function(_zu42_write_group_main group)
    get_target_property(tests ${group} ZU42_TESTS)
    set(declarations "")
    set(entries "")
    foreach(name IN LISTS tests)
        string(APPEND declarations "int zu42test_main_${name}(int argc, char *argv[]);\n")
        string(APPEND entries "    {\"${name}\", zu42test_main_${name}},\n")
    endforeach()
    file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${group}_main.cpp CONTENT [[
// Generated by cmake/Zu42Test.cmake: runs the test its first argument names.
#include <cstdio>
#include <cstring>

@declarations@
namespace {
struct Test
{
    const char *name;
    int (*run)(int argc, char *argv[]);
};
const Test tests[] = {
@entries@};
} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 2) {
        for (const Test &test : tests) {
            if (std::strcmp(argv[1], test.name) == 0) {
                // The test sees the program's path as its argv[0] and QtTest's own arguments after it.
                argv[1] = argv[0];
                return test.run(argc - 1, argv + 1);
            }
        }
        std::fprintf(stderr, "%s: no test named %s here\n", argv[0], argv[1]);
    }
    std::fprintf(stderr, "usage: %s TEST [QtTest arguments]; the tests:\n", argc > 0 ? argv[0] : "@group@");
    for (const Test &test : tests)
        std::fprintf(stderr, "  %s\n", test.name);
    return 2;
}
]] @ONLY)
endfunction()
