#include "cli/interrupt.h"

#include <csignal>
#include <cstdlib>

namespace travex::cli {
namespace {

volatile std::sig_atomic_t g_interrupts = 0;
using Handler = void (*)(int);
Handler g_previous = SIG_DFL;

extern "C" void on_interrupt(int signal) {
    if (g_interrupts != 0) {
        // The second Ctrl+C: the user does not want to wait for the calculator's cancel.
        std::_Exit(kExitInterrupted);
    }
    g_interrupts = 1;
    // Some C libraries reset the handler before calling it.
    std::signal(signal, on_interrupt);
}

}  // namespace

InterruptCatcher::InterruptCatcher() {
    g_interrupts = 0;
    g_previous = std::signal(SIGINT, on_interrupt);
    if (g_previous == SIG_ERR) {
        g_previous = SIG_DFL;
    }
}

InterruptCatcher::~InterruptCatcher() {
    std::signal(SIGINT, g_previous);
}

bool interrupt_requested() {
    return g_interrupts != 0;
}

}  // namespace travex::cli
