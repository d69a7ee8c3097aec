#pragma once
// The one question-and-answer interface of file work: the file-exists question (dialog 30006:
// overwrite all, overwrite, skip, cancel) and the skip question (dialog 30007: skip, cancel),
// asked by group unpacking, by storing received items and by the send flow. TRAVEX.exe answers
// with its dialogs, travex-cli and the tests from a policy.
#include <string>
#include <string_view>
#include <vector>

#include "base/message_id.h"

namespace travex {

enum class OverwriteAnswer { overwrite_all, overwrite, skip, cancel };
enum class SkipAnswer { skip, cancel };

class FileQuestions {
public:
    virtual ~FileQuestions() = default;
    // The file at path exists already.
    virtual OverwriteAnswer ask_overwrite(std::string_view path) = 0;
    // The file at path cannot be used for the reason message (406, 407 or 408): skip it or stop.
    virtual SkipAnswer ask_skip(MessageId message, std::string_view path) = 0;
    // A failure the user is told about (the error report); the work has stopped.
    virtual void report(MessageId message) = 0;
};

// Answers every overwrite question the same way, skips every refused file and keeps what was
// asked and reported, for callers without a user to ask (travex-cli, tests).
class PolicyQuestions final : public FileQuestions {
public:
    explicit PolicyQuestions(OverwriteAnswer answer) : answer_(answer) {}
    OverwriteAnswer ask_overwrite(std::string_view path) override {
        asked_.emplace_back(path);
        return answer_;
    }
    SkipAnswer ask_skip(MessageId, std::string_view path) override {
        asked_.emplace_back(path);
        return SkipAnswer::skip;
    }
    void report(MessageId message) override { messages_.push_back(message); }
    const std::vector<std::string>& asked() const { return asked_; }
    const std::vector<MessageId>& messages() const { return messages_; }

private:
    OverwriteAnswer answer_;
    std::vector<std::string> asked_;
    std::vector<MessageId> messages_;
};

}  // namespace travex
