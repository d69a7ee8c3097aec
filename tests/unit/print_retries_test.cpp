#include "print/print_retries.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace travex::print {
namespace {

TEST(PrintRetries, AnAttemptThatFailsThreeTimesIsRunAFourthTimeAndThatOneCounts) {
    int runs = 0;
    const RetryOutcome outcome = run_with_retries([&] {
        if (++runs <= 3) {
            throw std::bad_alloc();
        }
    });
    EXPECT_EQ(outcome.attempts, 4);
    EXPECT_TRUE(outcome.completed);
    EXPECT_EQ(runs, 4);
}

TEST(PrintRetries, AnAttemptThatAlwaysFailsStopsAfterThreeRetriesWhateverItThrows) {
    int runs = 0;
    const RetryOutcome outcome = run_with_retries([&] {
        ++runs;
        if (runs % 2 == 0) {
            throw std::runtime_error("printer driver fault");
        }
        throw 42;  // not even an exception class
    });
    EXPECT_EQ(outcome.attempts, 4);
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(runs, 4);
}

}  // namespace
}  // namespace travex::print
