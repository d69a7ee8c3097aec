#pragma once
// The print command's way out of a failed attempt: when the print dialog or the layout throws
// (out of memory, a printer driver fault), the attempt is run again, a bounded number of times,
// and the failure never leaves the command half done.
#include <functional>

namespace travex::print {

// How many more times an attempt that threw is run.
inline constexpr int kPrintRetries = 3;

struct RetryOutcome {
    int attempts = 0;
    // The last attempt ended without an exception (it printed, or the user cancelled).
    bool completed = false;
};

// Runs attempt until it ends without an exception, at most 1 + retries times; every exception is
// caught here.
RetryOutcome run_with_retries(const std::function<void()>& attempt, int retries = kPrintRetries);

}  // namespace travex::print
