# tarnwick_add_test(NAME SOURCES ... LIBRARIES ... [TIMEOUT s] [LABELS ...])
# One QTest executable, registered with CTest to run headless and deterministic.
function(tarnwick_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBRARIES;LABELS" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} Qt6::Test tarnwick_options)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/fakes)
    target_compile_definitions(${name} PRIVATE
        FAKE_SF_PATH="${PROJECT_SOURCE_DIR}/tests/fakes/fake-sf"
        FAKE_CHROME_PATH="${PROJECT_SOURCE_DIR}/tests/fakes/fake-chrome"
        TARNWICK_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures")
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${ARG_TIMEOUT}
        LABELS "${ARG_LABELS}"
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;LC_ALL=C.UTF-8;TARNWICK_SCREENSHOTS=${PROJECT_SOURCE_DIR}/build/screenshots")
endfunction()
