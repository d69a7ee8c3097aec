#pragma once
// The Opening Tool: an external program beside the application, started with the frame's
// handle and the settings file, which answers with a handshake message.
#include <cstdint>
#include <string>
#include <string_view>

namespace travex {

inline constexpr unsigned kOpeningToolHandshakeMessage = 1031;
inline constexpr unsigned kOpeningToolTimer = 602;
inline constexpr unsigned kOpeningToolTimeoutMs = 2000;
inline constexpr std::size_t kOpeningToolParametersLimit = 519;
inline constexpr std::string_view kOpeningToolFailure = "The Opening Tool cannot be started.";

// "\n<frame>,407,42,\n \"<settings path>\"": the frame handle, the handshake message number
// and 66, in lower-case hexadecimal, each followed by a comma; at most 519 characters.
std::string opening_tool_parameters(std::uint64_t frame_handle, std::string_view settings_path);

// The application's own path with the base name replaced by "Opening"; drive, folder and
// extension are kept.
std::string opening_tool_program(std::string_view application_path);

// The handshake carries the newest model's link identifier "75": '7' in bits 8-15, '5' in
// bits 0-7. Any other value is not an answer.
bool is_opening_tool_handshake(std::uint64_t w);

}  // namespace travex
