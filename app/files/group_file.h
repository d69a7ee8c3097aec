#pragma once
// Group files pack any number of files into one: two name characters (the model digit and
// 'g'), then one record per member — a 32-bit little-endian record length (member size + 264),
// the member's file name in a 260-byte zero-padded field and the member's bytes unchanged —
// and finally a record of length 0 (264 zero bytes).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"
#include "base/file_system.h"
#include "files/file_messages.h"
#include "files/file_questions.h"

namespace travex::group {

inline constexpr std::size_t kNameFieldSize = 260;
inline constexpr std::size_t kRecordHeaderSize = 4 + kNameFieldSize;  // length + name
inline constexpr std::size_t kTerminatorSize = kRecordHeaderSize;
// The free space a group needs besides its members' bytes: 265 per member and one more 265.
inline constexpr std::uint64_t kFreeSpacePerRecord = 265;

// The files chosen for a group: full paths, kept lower-cased and sorted, each at most once.
// The group is written in this order.
class Selection {
public:
    struct Entry {
        std::string path;  // as given, used to read the file
        std::string key;   // lower-cased, with '/' as '\', the sort and duplicate key
    };
    // Adds a file; false when the same path (ignoring case) is already chosen.
    bool add(std::string_view path);
    void remove(std::size_t index);
    void clear() { entries_.clear(); }
    bool empty() const { return entries_.empty(); }
    const std::vector<Entry>& entries() const { return entries_; }

private:
    std::vector<Entry> entries_;
};

// The name a chosen path is stored under: the lower-cased text after the last folder
// separator, or, for an entry without folder part, at most its first 12 characters.
std::string member_name_of(std::string_view path);

struct Member {
    std::string name;
    Bytes bytes;
};

// The whole group image: name characters from the last two characters of group_path, the
// member records in the given order and the terminator.
Bytes build_group_image(std::string_view group_path, std::span<const Member> members);

struct WriteOutcome {
    bool written = false;
    MessageId message = MessageId::none;  // why nothing was written
    std::string failed_path;              // the file the message concerns
    std::size_t members = 0;
    std::uint64_t size = 0;
};

// Reads every chosen file and writes the group file. An empty selection writes nothing and
// reports nothing. Checks: a member that cannot be read (410), the group's free space
// 265 × (members + 1) + the members' sizes (419), a group path of 256 characters or more
// (428), a member name that does not fit its field (428), a file that cannot be created (427).
WriteOutcome write_group(FileSystem& fs, const std::string& group_path, const Selection& selection);

// MessageId::none when the bytes can start a group file (the second byte is 'G' or 'g'), else 411.
MessageId check_group_header(std::span<const std::uint8_t> group);

// Why a member name must not be used as a file name in the target folder (it names a folder,
// a drive, a parent folder or a device, or holds control bytes or characters that file names
// cannot hold on the calculator's PC), or nullopt when it is safe.
std::optional<std::string> unsafe_member_name(std::string_view name);

enum class MemberOutcome {
    written,
    skipped,  // the file existed and the answer was skip: the old file is kept
    refused,  // the name is not safe to use; nothing written for this member
};

struct UnpackedMember {
    std::string name;
    std::string path;  // empty for a refused name
    MemberOutcome outcome = MemberOutcome::written;
    std::size_t offset = 0;  // where the member's record starts in the group
    std::uint64_t size = 0;
    std::string reason;  // why a name was refused
};

enum class UnpackEnd {
    complete,   // every record up to the terminator was handled
    cancelled,  // the question was answered cancel
    failed,     // stopped with a message
    damaged,    // the records are damaged; members before the damage stay written
};

struct UnpackOutcome {
    UnpackEnd end = UnpackEnd::complete;
    MessageId message = MessageId::none;
    std::string message_path;
    std::string damage;  // what is damaged, and where
    std::vector<UnpackedMember> members;

    std::size_t count(MemberOutcome outcome) const;
    // True when the group was unpacked to the end and every member was written or kept.
    bool clean() const { return end == UnpackEnd::complete && count(MemberOutcome::refused) == 0; }
};

// The target path of a member: the folder, a separator unless it ends in one, and the name.
// The separator is '\' for a folder written with '\' only, '/' otherwise.
std::string target_path(std::string_view folder, std::string_view name);

// Unpacks a group image into folder. Existing files are replaced only after the question
// allows it (or from the start with overwrite_all). Members written before a failure, a
// cancel or damage stay on disk.
UnpackOutcome unpack_group(FileSystem& fs, std::span<const std::uint8_t> group,
                           const std::string& folder, FileQuestions& questions,
                           bool overwrite_all = false);

// Reads the group file first: a file that cannot be read is not a group file (411).
UnpackOutcome unpack_group_file(FileSystem& fs, const std::string& group_path,
                                const std::string& folder, FileQuestions& questions,
                                bool overwrite_all = false);

}  // namespace travex::group
