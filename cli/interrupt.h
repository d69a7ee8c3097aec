#pragma once
// Ctrl+C during a link operation. The first one asks the running operation to stop the way the
// progress window's Cancel button does (the calculator gets its cancel, no partial file is kept,
// the port is closed); a second one ends the program at once.
namespace travex::cli {

// The exit status of a command that Ctrl+C stopped (128 + SIGINT, as shells report it).
inline constexpr int kExitInterrupted = 130;

// Catches Ctrl+C while it lives; the handler that was there before comes back afterwards.
class InterruptCatcher {
public:
    InterruptCatcher();
    ~InterruptCatcher();
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;
};

// Whether Ctrl+C was pressed since the catcher was set up.
bool interrupt_requested();

}  // namespace travex::cli
