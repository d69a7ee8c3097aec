#include "files/group_file.h"

#include <algorithm>
#include <array>
#include <limits>

#include "base/le_bytes.h"

namespace travex::group {
namespace {

char lower_ascii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lower_ascii);
    return out;
}

bool is_separator(char c) {
    return c == '/' || c == '\\';
}

// Names the system treats as devices in every folder, with or without an extension.
constexpr std::array<std::string_view, 6> kDeviceNames = {"con", "prn", "aux", "nul", "com", "lpt"};

bool is_device_name(std::string_view name) {
    std::string base = lowered(name.substr(0, name.find('.')));
    while (!base.empty() && (base.back() == ' ')) {
        base.pop_back();
    }
    for (std::string_view device : kDeviceNames) {
        if (device == "com" || device == "lpt") {
            if (base.size() == 4 && base.compare(0, 3, device) == 0 && base[3] >= '0' &&
                base[3] <= '9') {
                return true;
            }
        } else if (base == device) {
            return true;
        }
    }
    return false;
}

std::string_view field_text(std::span<const std::uint8_t> field) {
    const auto* begin = reinterpret_cast<const char*>(field.data());
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    return std::string_view(begin, static_cast<std::size_t>(end - field.begin()));
}

}  // namespace

bool Selection::add(std::string_view path) {
    std::string key = lowered(path);
    std::replace(key.begin(), key.end(), '/', '\\');
    const auto at =
        std::lower_bound(entries_.begin(), entries_.end(), key,
                         [](const Entry& e, const std::string& k) { return e.key < k; });
    if (at != entries_.end() && at->key == key) {
        return false;
    }
    entries_.insert(at, Entry{std::string(path), std::move(key)});
    return true;
}

void Selection::remove(std::size_t index) {
    if (index < entries_.size()) {
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

std::string member_name_of(std::string_view path) {
    const auto last = std::find_if(path.rbegin(), path.rend(), is_separator);
    if (last == path.rend()) {
        return lowered(path.substr(0, 12));
    }
    return lowered(path.substr(static_cast<std::size_t>(path.rend() - last)));
}

Bytes build_group_image(std::string_view group_path, std::span<const Member> members) {
    std::size_t total = 2 + kTerminatorSize;
    for (const Member& m : members) {
        total += kRecordHeaderSize + m.bytes.size();
    }
    Bytes out;
    out.reserve(total);
    const std::string_view tail =
        group_path.size() >= 2 ? group_path.substr(group_path.size() - 2) : std::string_view("6g");
    out.insert(out.end(), tail.begin(), tail.end());
    for (const Member& m : members) {
        append_u32le(out, static_cast<std::uint32_t>(m.bytes.size() + kRecordHeaderSize));
        std::array<std::uint8_t, kNameFieldSize> field{};
        std::copy_n(m.name.begin(), std::min(m.name.size(), kNameFieldSize - 1), field.begin());
        out.insert(out.end(), field.begin(), field.end());
        out.insert(out.end(), m.bytes.begin(), m.bytes.end());
    }
    out.resize(out.size() + kTerminatorSize, 0);
    return out;
}

WriteOutcome write_group(FileSystem& fs, const std::string& group_path,
                         const Selection& selection) {
    WriteOutcome outcome;
    if (selection.empty()) {
        return outcome;
    }
    constexpr std::uint64_t kLargestMember =
        std::numeric_limits<std::uint32_t>::max() - kRecordHeaderSize;
    std::vector<Member> members;
    std::uint64_t sum = 0;
    for (const Selection::Entry& entry : selection.entries()) {
        std::optional<Bytes> bytes = fs.read_file(entry.path);
        if (!bytes || bytes->size() > kLargestMember) {
            outcome.message = MessageId::file_access_failed;
            outcome.failed_path = entry.path;
            return outcome;
        }
        std::string name = member_name_of(entry.key);
        if (name.size() >= kNameFieldSize) {
            outcome.message = MessageId::name_too_long;
            outcome.failed_path = entry.path;
            return outcome;
        }
        sum += bytes->size();
        members.push_back(Member{std::move(name), std::move(*bytes)});
    }
    const std::uint64_t needed = kFreeSpacePerRecord * (members.size() + 1) + sum;
    const std::optional<std::uint64_t> free = fs.free_space(group_path);
    if (free && *free < needed) {
        outcome.message = MessageId::disk_full;
        outcome.failed_path = group_path;
        return outcome;
    }
    if (group_path.size() >= kPathLimit) {
        outcome.message = MessageId::name_too_long;
        outcome.failed_path = group_path;
        return outcome;
    }
    const Bytes image = build_group_image(group_path, members);
    if (write_file_atomic(fs, group_path, image) != WriteResult::written) {
        outcome.message = MessageId::cannot_create;
        outcome.failed_path = group_path;
        return outcome;
    }
    outcome.written = true;
    outcome.members = members.size();
    outcome.size = image.size();
    return outcome;
}

MessageId check_group_header(std::span<const std::uint8_t> group) {
    if (group.size() < 2 || (group[1] != 'G' && group[1] != 'g')) {
        return MessageId::not_group_file;
    }
    return MessageId::none;
}

std::optional<std::string> unsafe_member_name(std::string_view name) {
    if (name.empty()) {
        return "the name is empty";
    }
    if (name == "." || name == "..") {
        return "the name names a folder";
    }
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            return "the name holds a control character";
        }
        if (is_separator(c)) {
            return "the name holds a folder separator";
        }
        if (c == ':') {
            return "the name holds a drive or stream colon";
        }
        if (std::string_view("<>\"|?*").find(c) != std::string_view::npos) {
            return "the name holds a character that file names cannot hold";
        }
    }
    if (is_device_name(name)) {
        return "the name is a device name";
    }
    return std::nullopt;
}

std::size_t UnpackOutcome::count(MemberOutcome outcome) const {
    return static_cast<std::size_t>(
        std::count_if(members.begin(), members.end(),
                      [outcome](const UnpackedMember& m) { return m.outcome == outcome; }));
}

std::string target_path(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (!path.empty() && !is_separator(path.back())) {
        const bool backslashes_only =
            path.find('\\') != std::string::npos && path.find('/') == std::string::npos;
        path += backslashes_only ? '\\' : '/';
    }
    path += name;
    return path;
}

UnpackOutcome unpack_group(FileSystem& fs, std::span<const std::uint8_t> group,
                           const std::string& folder, FileQuestions& questions,
                           bool overwrite_all) {
    UnpackOutcome outcome;
    auto stop = [&outcome](UnpackEnd end, MessageId message, std::string path) {
        outcome.end = end;
        outcome.message = message;
        outcome.message_path = std::move(path);
        return outcome;
    };
    auto damaged = [&outcome](std::string what) {
        outcome.end = UnpackEnd::damaged;
        outcome.damage = std::move(what);
        return outcome;
    };
    if (check_group_header(group) != MessageId::none) {
        return stop(UnpackEnd::failed, MessageId::not_group_file, {});
    }
    const std::optional<std::uint64_t> free = fs.free_space(folder);
    if (free && *free < group.size()) {
        return stop(UnpackEnd::failed, MessageId::disk_full, folder);
    }
    std::size_t at = 2;
    for (;;) {
        if (group.size() - at < 4) {
            return damaged("the group ends at offset " + std::to_string(group.size()) +
                           " without its terminating record");
        }
        const std::uint32_t length = read_u32le(group, at);
        if (length == 0) {
            return outcome;
        }
        const std::string where = "the record at offset " + std::to_string(at);
        if (length < kRecordHeaderSize) {
            return damaged(where + " has the length " + std::to_string(length) +
                           ", less than its own 264-byte head");
        }
        if (length > group.size() - at) {
            return damaged(where + " (length " + std::to_string(length) +
                           ") runs past the end of the group (" +
                           std::to_string(group.size() - at) + " bytes left)");
        }
        const auto field = group.subspan(at + 4, kNameFieldSize);
        if (std::find(field.begin(), field.end(), std::uint8_t{0}) == field.end()) {
            return damaged(where + " has a name without its terminating zero");
        }
        UnpackedMember member;
        member.name = std::string(field_text(field));
        member.offset = at;
        member.size = length - kRecordHeaderSize;
        const auto body = group.subspan(at + kRecordHeaderSize, member.size);
        at += length;

        if (std::optional<std::string> reason = unsafe_member_name(member.name)) {
            member.outcome = MemberOutcome::refused;
            member.reason = std::move(*reason);
            outcome.members.push_back(std::move(member));
            continue;
        }
        member.path = target_path(folder, member.name);
        if (member.path.size() >= kPathLimit) {
            return stop(UnpackEnd::failed, MessageId::name_too_long, member.path);
        }
        if (!overwrite_all && fs.exists(member.path)) {
            switch (questions.ask_overwrite(member.path)) {
                case OverwriteAnswer::overwrite_all:
                    overwrite_all = true;
                    break;
                case OverwriteAnswer::overwrite:
                    break;
                case OverwriteAnswer::skip:
                    member.outcome = MemberOutcome::skipped;
                    outcome.members.push_back(std::move(member));
                    continue;
                case OverwriteAnswer::cancel:
                    return stop(UnpackEnd::cancelled, MessageId::none, member.path);
            }
        }
        const std::string_view data(reinterpret_cast<const char*>(body.data()), body.size());
        if (fs.write_file_atomic(member.path, data) != WriteResult::written) {
            return stop(UnpackEnd::failed, MessageId::cannot_create, member.path);
        }
        member.outcome = MemberOutcome::written;
        outcome.members.push_back(std::move(member));
    }
}

UnpackOutcome unpack_group_file(FileSystem& fs, const std::string& group_path,
                                const std::string& folder, FileQuestions& questions,
                                bool overwrite_all) {
    const std::optional<Bytes> group = fs.read_file(group_path);
    if (!group) {
        UnpackOutcome outcome;
        outcome.end = UnpackEnd::failed;
        outcome.message = MessageId::not_group_file;
        outcome.message_path = group_path;
        return outcome;
    }
    UnpackOutcome outcome = unpack_group(fs, *group, folder, questions, overwrite_all);
    if (outcome.message == MessageId::not_group_file) {
        outcome.message_path = group_path;
    }
    return outcome;
}

}  // namespace travex::group
