# One executable per test class, registered with CTest.
#
#   vexa_add_qtest(NAME tst_foo SOURCES tst_foo.cpp LIBS vexa_common [NETWORK] [LABELS a b])
#   vexa_add_gtest(NAME tst_codec SOURCES tst_codec.cpp LIBS vexa_core [NETWORK] [LABELS a b])
#   both also take [INCLUDES dir...] [DEPENDS target...]
#
# Every test runs with the discovery interface pinned to loopback. A test marked NETWORK also gets a
# port of its own (VEXA_PORT) so that tests running in parallel never hear each other; every test gets a
# WS-Discovery port of its own (VEXA_WSD_PORT) too.
set_property(GLOBAL PROPERTY VEXA_NEXT_TEST_PORT 43100)
set(VEXA_TEST_OUTPUT_DIR "${CMAKE_BINARY_DIR}/tests")

function(_vexa_register_test name)
    cmake_parse_arguments(T "NETWORK;GUI" "" "LABELS;ENV" ${ARGN})
    add_test(NAME ${name} COMMAND ${name})
    # XDG_DATA_HOME: what the program keeps in the user's data folder (receipts) stays in the build tree.
    set(_env "VEXA_IFACE=127.0.0.1" "VEXA_BIN_DIR=${VEXA_OUTPUT_DIR}" "VEXA_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
             "XDG_DATA_HOME=${VEXA_TEST_OUTPUT_DIR}/data-home" "VEXA_VERDICT_FILE=")
    if(T_GUI)
        list(APPEND _env "QT_QPA_PLATFORM=offscreen")
    endif()
    get_property(_port GLOBAL PROPERTY VEXA_NEXT_TEST_PORT)
    math(EXPR _next "${_port} + 11")
    math(EXPR _wsd "${_port} + 10")
    set_property(GLOBAL PROPERTY VEXA_NEXT_TEST_PORT ${_next})
    # Ten ports per test: a test may run several independent fleets. The eleventh is its WS-Discovery port, so
    # that no test hears another's ONVIF devices (a test that needs 3702 sets it and takes RESOURCE_LOCK wsd3702).
    list(APPEND _env "VEXA_PORT=${_port}" "VEXA_TEST_PORT_BASE=${_port}" "VEXA_WSD_PORT=${_wsd}")
    list(APPEND _env ${T_ENV})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${_env}" TIMEOUT 300)
    if(T_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
endfunction()

# One executable registered with CTest. INCLUDES: extra include folders; DEPENDS: targets that must be built
# first (the programs a test starts).
function(_vexa_add_test framework)
    cmake_parse_arguments(T "NETWORK" "NAME" "SOURCES;LIBS;LABELS;ENV;INCLUDES;DEPENDS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    set(_flags "")
    if(framework STREQUAL "qt")
        target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
        list(APPEND _flags GUI)
    else()
        find_package(GTest REQUIRED)
        target_link_libraries(${T_NAME} PRIVATE GTest::gtest GTest::gtest_main ${T_LIBS})
    endif()
    # Code the tests share is included as "support/<Name>.h".
    target_include_directories(${T_NAME} PRIVATE "${CMAKE_SOURCE_DIR}/tests" ${T_INCLUDES})
    if(T_DEPENDS)
        add_dependencies(${T_NAME} ${T_DEPENDS})
    endif()
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${VEXA_TEST_OUTPUT_DIR}")
    vexa_warnings(${T_NAME})
    if(T_NETWORK)
        list(APPEND _flags NETWORK)
    endif()
    _vexa_register_test(${T_NAME} ${_flags} LABELS ${T_LABELS} ENV ${T_ENV})
endfunction()

function(vexa_add_qtest)
    _vexa_add_test(qt ${ARGN})
endfunction()

function(vexa_add_gtest)
    _vexa_add_test(gtest ${ARGN})
endfunction()
