#pragma once
// Serves a byte peer (the simulated calculator, an echo) on a new pseudo-terminal, so that a
// program opening the terminal by name, or Wine mapping it to a COM port, sees a serial line.
#include <cstdint>
#include <memory>
#include <string>

#include "sim/byte_peer.h"

namespace travex::sim {

class PtyServer {
public:
    virtual ~PtyServer() = default;
    // The terminal that clients open (the link name when one was asked for).
    virtual const std::string& device_path() const = 0;
    // The terminal's own name (/dev/pts/N).
    virtual const std::string& terminal_path() const = 0;
    // The speed the client has set the terminal to (0 when unknown), so that the peer can tell
    // bytes sent at another speed than it listens at.
    virtual std::uint32_t line_baud() const { return 0; }
    // Moves bytes both ways for at most wait_ms; false when the terminal has failed.
    virtual bool pump(BytePeer& peer, int wait_ms) = 0;
};

// Opens a pseudo-terminal in raw mode at 38400 baud; with a link path, also makes a symbolic
// link of that name to the terminal (replacing an older link, never another kind of file), which
// is removed again with the server. Nothing, with error set, on failure or where the system has
// no pseudo-terminals.
std::unique_ptr<PtyServer> open_pty_server(const std::string& link_path, std::string& error);

// Pumps until the process is asked to stop (interrupt or terminate signal). Exit status 0 when
// stopped that way, 1 when the terminal failed.
int serve_until_stopped(PtyServer& server, BytePeer& peer);

}  // namespace travex::sim
