#include "repro/repro_messages.h"

namespace travex::repro {

ReproMessage result_message(TransferResult result) {
    switch (result) {
        case TransferResult::finished:
            return {std::string(kFinishText), kReproTitle, MessageIcon::none};
        case TransferResult::not_newer:
            return {std::string(kOlderText), kReproTitle, MessageIcon::exclamation};
        case TransferResult::no_response:
            break;
    }
    return {std::string(kNoResponseText), kProductTitle, MessageIcon::stop};
}

}  // namespace travex::repro
