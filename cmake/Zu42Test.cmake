# Each named test is one QtTest executable built from <name>.cpp and one ctest test of the
# same name; the folder's extra sources and libraries are shared by its tests.
#   zu42_add_tests(TESTS fooTest barTest LIBS zu42link [EXTRA_SOURCES ...] [LABELS ...])
function(zu42_add_tests)
    cmake_parse_arguments(ARG "" "" "TESTS;LIBS;EXTRA_SOURCES;LABELS" ${ARGN})
    foreach(name IN LISTS ARG_TESTS)
        zu42_add_test(${name} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp ${ARG_EXTRA_SOURCES}
            LIBS ${ARG_LIBS} LABELS ${ARG_LABELS})
    endforeach()
endfunction()

#   zu42_add_test(name SOURCES ... LIBS ... [LABELS ...])
function(zu42_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test zu42testsupport ${ARG_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/autotests)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZU42SIM=$<TARGET_FILE:zu42sim>"
        TIMEOUT 300)
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()
