#pragma once
// A fuzz target stops at the first broken promise; libFuzzer keeps the input that broke it.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "files/file_questions.h"

namespace travex::fuzz {

inline void fail_if(bool broken) {
    if (broken) {
        std::abort();
    }
}

inline std::string_view text_of(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Answers the overwrite question in turn with each answer there is; refused files are skipped.
class AnswerInTurn final : public FileQuestions {
public:
    OverwriteAnswer ask_overwrite(std::string_view) override {
        return static_cast<OverwriteAnswer>(turn_++ % 4);
    }
    SkipAnswer ask_skip(MessageId, std::string_view) override { return SkipAnswer::skip; }
    void report(MessageId) override {}

private:
    unsigned turn_ = 0;
};

}  // namespace travex::fuzz
