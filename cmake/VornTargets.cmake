# Helpers shared by the folder CMakeLists files.

# vorn_add_tests(<name> SOURCES <files...> LIBS <targets...> [PROPERTIES <ctest properties...>])
# One GoogleTest executable per library, linked with the shared test helpers
# (tests/support) and their main, which gives every test process private
# settings and data folders so tests never touch the user's own or each
# other's. Every test gets a time-out.
function(vorn_add_tests name)
    if(NOT VORN_BUILD_TESTS)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    # A main of the program's own, if it has one, wins over vorn_test_main's.
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} vorn_test_main vorn_test_support GTest::gtest)
    target_compile_definitions(${name} PRIVATE
        VORN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
        VORN_BINARY_DIR="${CMAKE_BINARY_DIR}")
    gtest_discover_tests(${name}
        PROPERTIES TIMEOUT 300
        ENVIRONMENT "XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/test-home/run"
        ${ARG_PROPERTIES}
        DISCOVERY_TIMEOUT 60)
endfunction()
