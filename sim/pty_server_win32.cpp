#include "sim/pty_server.h"

namespace travex::sim {

std::unique_ptr<PtyServer> open_pty_server(const std::string&, std::string& error) {
    error = "pseudo-terminals are not available on this system";
    return nullptr;
}

int serve_until_stopped(PtyServer&, BytePeer&) {
    return 1;
}

}  // namespace travex::sim
