// Linked into every test program that uses the image library: the program fails when images are
// still alive after its last test, and names the tests after which the number of live images grew.

#include "ImageTable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The tests after which more images were alive than before them.
std::string& growingTests() {
    static std::string names;
    return names;
}

class LiveImagesPerTest : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override { before_ = KpxLiveImageCount(); }
    void OnTestEnd(const ::testing::TestInfo& test) override {
        const int grown = KpxLiveImageCount() - before_;
        if (grown > 0)
            growingTests() += std::string(" ") + test.test_suite_name() + "." + test.name() +
                              " (+" + std::to_string(grown) + ")";
    }

private:
    int before_ = 0;
};

class NoImagesLeftAtTheEnd : public ::testing::Environment {
public:
    void SetUp() override { atStart_ = KpxLiveImageCount(); }
    void TearDown() override {
        const int left = KpxLiveImageCount() - atStart_;
        if (left > 0)
            ADD_FAILURE() << left << " image(s) still alive after the last test; the count grew in"
                          << growingTests();
    }

private:
    int atStart_ = 0;
};

// Registered before main runs; GoogleTest owns and deletes both objects.
const bool registered = [] {
    ::testing::AddGlobalTestEnvironment(new NoImagesLeftAtTheEnd);
    ::testing::UnitTest::GetInstance()->listeners().Append(new LiveImagesPerTest);
    return true;
}();

} // namespace
