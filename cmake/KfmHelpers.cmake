# The time limits of tests: only a hang reaches them, never a slow or busy machine (a sanitizer
# build listing or running its tests on a loaded machine takes many times its usual time).
# A test's whole run, and a test program's listing of its tests when CTest asks for them.
set(KFM_TEST_TIMEOUT 1800)
set(KFM_TEST_DISCOVERY_TIMEOUT 600)

# kfm_quick_test_build(target sources...)
# A test program's own code builds quickly: it is compiled without optimisation (the libraries it
# tests keep the build's flags, and the sanitizer build's are unoptimised anyway), and a program
# of several files parses GoogleTest and the common standard headers once, precompiled.
function(kfm_quick_test_build target)
    target_compile_options(${target} PRIVATE -O0)
    list(LENGTH ARGN count)
    if(count GREATER 2)
        target_precompile_headers(${target} PRIVATE <gtest/gtest.h> <string> <vector> <filesystem>)
    endif()
endfunction()

# kfm_widget_precompiled_headers(target)
# The editor's widget libraries parse the Qt headers most of their files include once,
# precompiled.
function(kfm_widget_precompiled_headers target)
    target_precompile_headers(${target} PRIVATE <QApplication> <QDialog> <QLabel> <QPainter>
                              <QPushButton> <QString> <QVBoxLayout> <QWidget> <functional>
                              <memory> <string> <vector>)
endfunction()

# kfm_add_test_suite(NAME name DIR dir | SOURCES files... LIBS libs... [LABELS labels...] [THREADS])
# Builds every *.cpp of a test folder (or the files named) into one GoogleTest executable and
# registers its tests. The ThreadSanitizer build runs only the thread tests: it makes only the
# suites marked THREADS.
# Each test is found when CTest runs (PRE_TEST), by the program listing its tests: the shared main
# of tests/support answers that before any application or other set-up starts.
function(kfm_add_test_suite)
    cmake_parse_arguments(T "THREADS" "NAME;DIR" "SOURCES;LIBS;LABELS" ${ARGN})
    if(KFM_TSAN AND NOT T_THREADS)
        return()
    endif()
    set(sources ${T_SOURCES})
    if(T_DIR)
        file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${T_DIR}/*.cpp)
    endif()
    if(NOT sources)
        return()
    endif()
    add_executable(${T_NAME} ${sources})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} KfmTestSupport KfmTestMain GTest::gtest)
    kfm_quick_test_build(${T_NAME} ${sources})
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KFM_OUTPUT_DIR})
    gtest_discover_tests(${T_NAME}
        WORKING_DIRECTORY ${KFM_OUTPUT_DIR}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT ${KFM_TEST_DISCOVERY_TIMEOUT}
        PROPERTIES LABELS "${T_LABELS}"
                   ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KFM_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;KFM5_REGISTRY_DIR=${CMAKE_BINARY_DIR}/test-registry"
                   TIMEOUT ${KFM_TEST_TIMEOUT})
endfunction()

# kfm_glob_sources(out dir): the .cpp files of one source folder.
function(kfm_glob_sources out dir)
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
    set(${out} ${sources} PARENT_SCOPE)
endfunction()
