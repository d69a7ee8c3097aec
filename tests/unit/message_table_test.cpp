#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/message_id.h"
#include "link/link_engine.h"
#include "resources/string_table.h"
#include "window/message_table.h"

namespace travex {
namespace {

std::vector<MessageId> every_message() {
    std::vector<MessageId> all;
    for (int index = 0; message_of_index(index) != MessageId::none; ++index) {
        all.push_back(message_of_index(index));
    }
    return all;
}

TEST(MessageIds, EveryIdHasATextAndAnIconAndIndexesRoundTrip) {
    const std::vector<MessageId> all = every_message();
    ASSERT_EQ(all.front(), kFirstMessage);
    ASSERT_EQ(all.back(), kLastMessage);
    ASSERT_EQ(message_table().size(), all.size()) << "one icon per message";
    for (std::size_t i = 0; i < all.size(); ++i) {
        const MessageId id = all[i];
        EXPECT_EQ(message_index(id), static_cast<int>(i));
        EXPECT_EQ(message_table()[i].index, static_cast<int>(i));
        const auto text = string_text(string_id(id));
        ASSERT_TRUE(text) << "no text for message " << string_id(id);
        EXPECT_FALSE(text->empty());
        EXPECT_LE(text->size(), kMessageTextLimit) << "the report would cut message " << i;
    }
    EXPECT_EQ(message_of_index(-1), MessageId::none);
    EXPECT_EQ(message_index(MessageId::none), -1);
}

TEST(MessageIds, ReportShowsEveryMessageButNoneAndUserAbort) {
    for (const MessageId id : every_message()) {
        const auto content = error_report_content(id);
        if (id == MessageId::user_abort) {
            EXPECT_FALSE(content) << "a cancelled transfer is never reported";
            continue;
        }
        ASSERT_TRUE(content) << string_id(id);
        EXPECT_EQ(content->text, *string_text(string_id(id)));
        EXPECT_EQ(content->icon, message_table()[static_cast<std::size_t>(message_index(id))].icon);
    }
    EXPECT_FALSE(error_report_content(MessageId::none));
    EXPECT_EQ(error_report_content(MessageId::no_memory)->icon, MessageIcon::error);
    EXPECT_EQ(error_report_content(MessageId::port_in_use)->icon, MessageIcon::warning);
}

TEST(MessageIds, LinkCodesMapOntoTheMessageOfTheirIndex) {
    for (int code = 0; code <= message_index(MessageId::name_too_long); ++code) {
        EXPECT_EQ(message_index(link::link_message(code)), code);
    }
    // Codes the engine never answers read as a failed communication, never as nothing.
    for (const int code : {-1, 29, 30, 400, 1 << 20}) {
        EXPECT_EQ(link::link_message(code), MessageId::communication_failed) << code;
    }
}

TEST(MessageIds, MessagesDoNotShareTheirIdsWithOtherStrings) {
    // The string table holds each id once; the message range holds only messages.
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
