# Helpers shared by the folder CMakeLists files.

# vorn_add_tests(<name> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable per library; every test gets a time-out and a
# private settings and data folder so tests never touch the user's own.
function(vorn_add_tests name)
    if(NOT VORN_BUILD_TESTS)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE
        VORN_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
        VORN_BINARY_DIR="${CMAKE_BINARY_DIR}")
    gtest_discover_tests(${name}
        PROPERTIES TIMEOUT 300
        ENVIRONMENT "VORN_CONFIG_DIR=${CMAKE_BINARY_DIR}/test-home/config;VORN_DATA_DIR=${CMAKE_BINARY_DIR}/test-home/data;XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/test-home/run"
        DISCOVERY_TIMEOUT 60)
endfunction()
