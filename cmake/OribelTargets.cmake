# Helpers shared by every folder: one place that gives a target the project's warnings.

function(oribel_warnings target)
    target_compile_options(${target} PRIVATE ${ORIBEL_WARNINGS})
endfunction()

# oribel_library(name SOURCES ... [DEPS ...]): a static library of the project.
function(oribel_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    oribel_warnings(${name})
endfunction()

# oribel_test(name SOURCES ... [DEPS ...] [PROPERTIES ...]): a GoogleTest program. Its cases are
# listed when ctest runs (under Wine for the Windows build), and each case becomes one ctest test.
function(oribel_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PROPERTIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    oribel_warnings(${name})
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES TIMEOUT 300 ${ARG_PROPERTIES})
endfunction()

# oribel_test_in_languages(name SOURCES ... [DEPS ...] [PROPERTIES ...]): as oribel_test, but every
# case runs twice, once in a Korean and once in an English session, as ko.<case> and en.<case>.
# Under Wine the system language follows the locale; LC_ALL overrides whatever the caller set.
function(oribel_test_in_languages name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PROPERTIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    oribel_warnings(${name})
    foreach(language "ko=ko_KR.UTF-8" "en=en_US.UTF-8")
        string(REPLACE "=" ";" language "${language}")
        list(GET language 0 prefix)
        list(GET language 1 locale)
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                             TEST_PREFIX "${prefix}."
                             PROPERTIES TIMEOUT 300 ENVIRONMENT "LC_ALL=${locale}"
                                        ${ARG_PROPERTIES})
    endforeach()
endfunction()
