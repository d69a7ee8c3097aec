// The settings file is the user's to edit: any bytes read without harm, and values written into
// any file read back exactly.
#include <string>

#include "fuzz_check.h"
#include "settings/ini_profile_store.h"
#include "settings/settings.h"
#include "tests/unit/fault_file_system.h"

namespace {

class NoFolders final : public travex::FolderQueries {
public:
    bool folder_exists(const std::string& path) override { return path.size() % 2 == 0; }
    std::string desktop_folder() override { return "/desktop"; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using travex::fuzz::fail_if;
    travex::testing::FaultFileSystem files;
    files.put("TM-RZ4.INI", travex::Bytes(data, data + size));
    travex::IniProfileStore store(files, "TM-RZ4.INI");
    const std::string_view section = travex::kSettingsSection;
    NoFolders folders;
    const travex::Settings settings = travex::read_settings(store, folders);
    fail_if(settings.window_limit <= 0 || settings.timer_interval_ms <= 0 ||
            settings.out_buffer <= 0 || settings.font_size_index < 1 ||
            settings.font_size_index > 9);
    travex::write_port_setting(store, 41);
    fail_if(travex::read_port_setting(store) != 41 || store.get_int(section, "CommPort", 0) != 42);
    travex::write_settings(store, settings);
    // A value in a pair of quotes loses them on every read, as profile files do.
    const std::string& folder = settings.data_folder;
    const bool quoted = folder.size() >= 2 && (folder.front() == '"' || folder.front() == '\'') &&
                        folder.back() == folder.front();
    fail_if(!quoted && store.get_string(section, "DataDir", "<none>") != folder);
    fail_if(store.get_string(section, "FontSize", "") != std::to_string(settings.font_size_index));
    return 0;
}
