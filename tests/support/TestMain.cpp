// The main of every test program. CTest finds a program's tests by having it list them
// (--gtest_list_tests) each time it runs them, so a listing does that alone: it prints the names
// and ends the process before any test environment starts (the GUI application, language
// libraries, fonts) and skips the libraries' shutdown. A run of tests is GoogleTest's own.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        const int status = RUN_ALL_TESTS(); // lists; starts no environment and runs no test
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return RUN_ALL_TESTS();
}
