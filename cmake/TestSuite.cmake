# One name scheme for every suite: the folder under tests/ and what the suite
# checks, e.g. tests/sendora/session + "transfers" -> CTest name
# sendora_session_transfers, executable test_sendora_session_transfers. So
# `ctest -R sendora` finds every suite of Sendora.
#
#   add_test_suite(<what> SOURCES file... [LIBRARIES target...] [DEPENDS target...]
#                  [ARGS arg...] [TIMEOUT seconds] [WINDOW])
#
# WINDOW runs the suite on the offscreen platform. The name is returned in
# TEST_SUITE_NAME for properties beyond these.
function(add_test_suite what)
    cmake_parse_arguments(PARSE_ARGV 1 SUITE "WINDOW" "TIMEOUT" "SOURCES;LIBRARIES;DEPENDS;ARGS")
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
    string(REPLACE "/" "_" prefix "${folder}")
    set(name ${prefix}_${what})

    add_executable(test_${name} ${SUITE_SOURCES})
    target_link_libraries(test_${name} PRIVATE ${SUITE_LIBRARIES} Qt6::Test)
    if(SUITE_DEPENDS)
        add_dependencies(test_${name} ${SUITE_DEPENDS})
    endif()
    add_test(NAME ${name} COMMAND test_${name} ${SUITE_ARGS})
    if(SUITE_WINDOW)
        set_tests_properties(${name} PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
    endif()
    if(SUITE_TIMEOUT)
        set_tests_properties(${name} PROPERTIES TIMEOUT ${SUITE_TIMEOUT})
    endif()
    set(TEST_SUITE_NAME ${name} PARENT_SCOPE)
endfunction()
