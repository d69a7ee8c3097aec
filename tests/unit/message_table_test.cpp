#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/message_id.h"
#include "link/link_engine.h"
#include "resources/string_table.h"
#include "window/message_table.h"

namespace travex {
namespace {

// Every message has a text the report shows whole and an icon; only a cancelled transfer is
// never reported.
TEST(MessageIds, EveryMessageHasATextAnIconAndAReport) {
    int count = 0;
    for (int index = 0; message_of_index(index) != MessageId::none; ++index, ++count) {
        const MessageId id = message_of_index(index);
        SCOPED_TRACE(string_id(id));
        EXPECT_EQ(message_index(id), index);
        ASSERT_EQ(message_table()[static_cast<std::size_t>(index)].index, index);
        const auto text = string_text(string_id(id));
        ASSERT_TRUE(text);
        EXPECT_LE(text->size(), kMessageTextLimit);
        const auto content = error_report_content(id);
        EXPECT_EQ(content.has_value(), id != MessageId::user_abort);
        if (content) {
            EXPECT_EQ(content->text, *text);
            EXPECT_EQ(content->icon, message_table()[static_cast<std::size_t>(index)].icon);
        }
    }
    EXPECT_EQ(message_of_index(0), kFirstMessage);
    EXPECT_EQ(message_of_index(count - 1), kLastMessage);
    EXPECT_EQ(message_table().size(), static_cast<std::size_t>(count)) << "one icon per message";
    EXPECT_FALSE(error_report_content(MessageId::none));
}

TEST(MessageIds, LinkCodesMapOntoTheirMessageAndUnknownCodesReadAsFailure) {
    for (int code = 0; code <= message_index(MessageId::name_too_long); ++code) {
        EXPECT_EQ(message_index(link::link_message(code)), code);
    }
    for (const int code : {-1, 29, 30, 400, 1 << 20}) {
        EXPECT_EQ(link::link_message(code), MessageId::communication_failed) << code;
    }
}

TEST(MessageIds, MessagesDoNotShareTheirIdsWithOtherStrings) {
    std::set<std::uint16_t> seen;
    for (const StringEntry& entry : string_table()) {
        EXPECT_TRUE(seen.insert(entry.id).second) << "string id " << entry.id << " twice";
        if (entry.id >= string_id(kFirstMessage) && entry.id < 500) {
            EXPECT_LE(entry.id, string_id(kLastMessage)) << "string " << entry.id;
        }
    }
}

}  // namespace
}  // namespace travex
