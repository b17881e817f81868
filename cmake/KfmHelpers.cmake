# kfm_add_test_suite(NAME name DIR dir LIBS libs... [LABELS labels...])
# Builds every *.cpp of a test folder into one GoogleTest executable and registers its tests.
function(kfm_add_test_suite)
    cmake_parse_arguments(T "" "NAME;DIR" "LIBS;LABELS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${T_DIR}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${T_NAME} ${sources})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} KfmTestSupport GTest::gtest GTest::gtest_main)
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KFM_OUTPUT_DIR})
    gtest_discover_tests(${T_NAME}
        WORKING_DIRECTORY ${KFM_OUTPUT_DIR}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES LABELS "${T_LABELS}"
                   ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KFM_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;KFM5_REGISTRY_DIR=${CMAKE_BINARY_DIR}/test-registry"
                   TIMEOUT 120)
endfunction()

# kfm_glob_sources(out dir): the .cpp files of one source folder.
function(kfm_glob_sources out dir)
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
    set(${out} ${sources} PARENT_SCOPE)
endfunction()
