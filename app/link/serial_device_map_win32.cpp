// The serial ports that Windows knows: the values of the serial device map in the registry.
#include <windows.h>

#include <string>
#include <vector>

#include "link/port_probe.h"

namespace travex {

std::vector<SerialDevice> system_serial_devices() {
    std::vector<SerialDevice> devices;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return devices;
    }
    DWORD value_count = 0;
    DWORD max_name = 0;
    DWORD max_data = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &value_count,
                         &max_name, &max_data, nullptr, nullptr) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return devices;
    }
    std::vector<std::string> names;
    std::vector<char> value_name(max_name + 2);
    std::vector<BYTE> data(max_data + 2);
    for (DWORD i = 0; i < value_count; ++i) {
        DWORD name_size = static_cast<DWORD>(value_name.size());
        DWORD data_size = static_cast<DWORD>(data.size() - 1);
        DWORD type = 0;
        if (RegEnumValueA(key, i, value_name.data(), &name_size, nullptr, &type, data.data(),
                          &data_size) != ERROR_SUCCESS ||
            type != REG_SZ) {
            continue;
        }
        data[data_size] = 0;  // registry strings need not end in a zero
        names.emplace_back(reinterpret_cast<const char*>(data.data()));
    }
    RegCloseKey(key);
    for (int number : usable_port_numbers(names)) {
        devices.push_back({number, "COM" + std::to_string(number)});
    }
    return devices;
}

}  // namespace travex
