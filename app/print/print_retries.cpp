#include "print/print_retries.h"

namespace travex::print {

RetryOutcome run_with_retries(const std::function<void()>& attempt, int retries) {
    RetryOutcome outcome;
    while (outcome.attempts <= retries) {
        ++outcome.attempts;
        try {
            attempt();
            outcome.completed = true;
            return outcome;
        } catch (...) {
            // Whatever the attempt held has been released by its own destructors; the next
            // attempt starts from the dialog again.
        }
    }
    return outcome;
}

}  // namespace travex::print
