# Shared target settings: warnings everywhere, errors when VQ_WERROR is on (CI).
function(vq_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                             -Wno-missing-field-initializers)
    if(VQ_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# A Qt Test executable registered with CTest; windows run offscreen.
function(vq_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test vq_testsupport ${ARG_LIBS})
    vq_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VQ_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
        TIMEOUT 300)
endfunction()
