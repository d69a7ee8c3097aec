#pragma once
// What the firmware update tells the user: each message with its text, its title and its icon,
// as the dialog shows it and as travex-cli prints it.
#include <string>
#include <string_view>

namespace travex::repro {

enum class MessageIcon { none, stop, exclamation, information };

struct ReproMessage {
    std::string text;
    std::string_view title;
    MessageIcon icon = MessageIcon::none;
};

inline constexpr std::string_view kReproTitle = "Repro";
inline constexpr std::string_view kProductTitle = "ZELTA TRAVEX";

inline constexpr std::string_view kCantOpenText = "Can't open file ! ";
inline constexpr std::string_view kNotValidText = "Not a valid Binary File.";
inline constexpr std::string_view kCheckSumText = "Check sum error!";
inline constexpr std::string_view kConfirmText =
    "Make sure that the cable is correctly connected and the calculator is turned on.";
inline constexpr std::string_view kEnableDataText = "Enable data page transfer ! ";
inline constexpr std::string_view kBaudRateText = "Do not support this baud rate ! ";
inline constexpr std::string_view kFinishText = "finish!";
inline constexpr std::string_view kNoResponseText =
    "No response.\nMake sure that the cable is correctly connected and that the calculator is "
    "turned on.";
inline constexpr std::string_view kOlderText =
    "This is an older version of the currently installed. ";
inline constexpr std::string_view kSendingText = "Sending...";

// The transfer worker's result: 1 written, -1 no response, -2 the calculator's firmware is not
// older than the image.
enum class TransferResult : int { finished = 1, no_response = -1, not_newer = -2 };

ReproMessage result_message(TransferResult result);

}  // namespace travex::repro
