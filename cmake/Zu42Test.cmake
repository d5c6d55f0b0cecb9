# Every file named *test.cpp in a test folder becomes one QtTest executable and one
# ctest test of the same name; the folder's extra sources and libraries are shared.
#   zu42_add_tests(LIBS zu42link [EXTRA_SOURCES ...] [LABELS ...])
function(zu42_add_tests)
    cmake_parse_arguments(ARG "" "" "LIBS;EXTRA_SOURCES;LABELS" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*test.cpp)
    foreach(src IN LISTS tests)
        get_filename_component(name ${src} NAME_WE)
        zu42_add_test(${name} SOURCES ${src} ${ARG_EXTRA_SOURCES} LIBS ${ARG_LIBS} LABELS ${ARG_LABELS})
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
