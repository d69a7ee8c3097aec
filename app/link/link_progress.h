#pragma once
// The small progress window of a transfer as the link engine and the transfer flow drive it:
// one line of text, a count of units, and a Cancel button that sets the abort request.
#include <string>
#include <string_view>

#include "base/text_id.h"

namespace travex::link {

class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // Opens the window with a title (a text of the string table) and the number of units the
    // transfer has.
    virtual void show(TextId title, int total_units, bool cancel_rewrites) = 0;
    // Adds units (0 changes only the text; -1 closes at once) and, when text is given,
    // replaces the line of text. The window closes once all units are done.
    virtual void advance(int units, std::string_view text) = 0;
    // Replaces the line of text with a text of the string table.
    virtual void show_line(TextId text) = 0;
    virtual bool is_open() const = 0;
    // The caption flashes on every engine tick.
    virtual void flash() {}
};

// Keeps the counts only; used where nothing is shown (travex-cli's quiet parts, tests).
class CountingProgress : public ProgressSink {
public:
    void show(TextId title, int total_units, bool) override {
        title_ = title;
        total_ = total_units;
        done_ = 0;
        open_ = true;
        ++shows_;
    }
    void advance(int units, std::string_view text) override {
        if (!text.empty()) {
            text_ = std::string(text);
        }
        if (units < 0) {
            open_ = false;
            return;
        }
        done_ += units;
        if (done_ >= total_) {
            open_ = false;
        }
    }
    void show_line(TextId text) override {
        line_ = text;
        text_.clear();
    }
    bool is_open() const override { return open_; }
    void flash() override { ++flashes_; }

    TextId title_ = TextId::none;
    std::string text_;
    TextId line_ = TextId::none;  // a line of the string table, when text_ is empty
    int total_ = 0;
    int done_ = 0;
    int shows_ = 0;
    int flashes_ = 0;
    bool open_ = false;
};

}  // namespace travex::link
