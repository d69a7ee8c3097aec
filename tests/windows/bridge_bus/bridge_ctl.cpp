// The user-mode side of the test bus, run under Wine by tests/wine/driver_bridge.sh:
//   bridge_ctl install INF             install the root-enumerated test bus from its INF
//   bridge_ctl plug HWID PORT          put a bridge with USB hardware ID HWID on the bus; its byte
//                                      stream goes to serial port PORT (e.g. COM8)
//   bridge_ctl unplug                  take the bridge away (surprise removal)
//   bridge_ctl record                  print what the bridge's driver asked of it
//   bridge_ctl dos NAME                print the target of DOS device NAME, or "none"
//   bridge_ctl hold FILE               keep the Wine session (and so the drivers) up until FILE
//                                      exists
//   bridge_ctl open-hold PORT FILE     open PORT, print "opened", keep it open until FILE exists
#include <windows.h>
// clang-format off
#include <setupapi.h>
#include <newdev.h>
// clang-format on

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bridge_bus_control.h"

namespace {

constexpr char kBusHardwareId[] = "root\\travex_bridge_bus\0";

int fail(const char* what) {
    std::fprintf(stderr, "bridge_ctl: %s failed, error %lu\n", what, GetLastError());
    return 1;
}

int install(const char* inf) {
    HDEVINFO set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    if (set == INVALID_HANDLE_VALUE)
        return fail("SetupDiCreateDeviceInfoList");
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    GUID system_class = {
        0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
    if (!SetupDiCreateDeviceInfoA(set, "root\\travex_bridge_bus\\0", &system_class, nullptr,
                                  nullptr, 0, &device)) {
        return fail("SetupDiCreateDeviceInfo");
    }
    if (!SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID,
                                           reinterpret_cast<const BYTE*>(kBusHardwareId),
                                           sizeof(kBusHardwareId))) {
        return fail("SetupDiSetDeviceRegistryProperty");
    }
    if (!SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device))
        return fail("DIF_REGISTERDEVICE");
    char path[MAX_PATH];
    GetFullPathNameA(inf, MAX_PATH, path, nullptr);
    BOOL reboot = FALSE;
    if (!UpdateDriverForPlugAndPlayDevicesA(nullptr, kBusHardwareId, path, INSTALLFLAG_FORCE,
                                            &reboot)) {
        return fail("UpdateDriverForPlugAndPlayDevices");
    }
    SetupDiDestroyDeviceInfoList(set);
    std::printf("installed\n");
    return 0;
}

HANDLE open_bus() {
    return CreateFileA(BRIDGE_BUS_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

// Sends one control request to the bus; answers the output bytes or -1.
long bus_control(DWORD code, void* input, DWORD input_length, void* output, DWORD output_length) {
    HANDLE bus = open_bus();
    // The bus's control device appears once the Plug and Play manager has started it.
    for (int tries = 0; bus == INVALID_HANDLE_VALUE && tries < 100; ++tries) {
        Sleep(100);
        bus = open_bus();
    }
    if (bus == INVALID_HANDLE_VALUE) {
        fail("opening the bus");
        return -1;
    }
    DWORD returned = 0;
    const BOOL ok =
        DeviceIoControl(bus, code, input, input_length, output, output_length, &returned, nullptr);
    if (!ok)
        fail("the bus request");
    CloseHandle(bus);
    return ok ? static_cast<long>(returned) : -1;
}

void copy_wide(uint16_t* out, size_t room, const std::string& text) {
    size_t i = 0;
    for (; i + 1 < room && i < text.size(); ++i)
        out[i] = static_cast<unsigned char>(text[i]);
    out[i] = 0;
}

int plug(const char* hardware_id, const char* port) {
    BridgePlugRequest request = {};
    copy_wide(request.hardware_id, 64, hardware_id);
    copy_wide(request.port_path, 128, std::string("\\??\\") + port);
    if (bus_control(BRIDGE_BUS_IOCTL_PLUG, &request, sizeof(request), nullptr, 0) < 0)
        return 1;
    std::printf("plugged\n");
    return 0;
}

int unplug() {
    if (bus_control(BRIDGE_BUS_IOCTL_UNPLUG, nullptr, 0, nullptr, 0) < 0)
        return 1;
    std::printf("unplugged\n");
    return 0;
}

int record() {
    std::vector<char> text(BRIDGE_BUS_RECORD_SIZE + 256);
    const long length = bus_control(BRIDGE_BUS_IOCTL_RECORD, nullptr, 0, text.data(),
                                    static_cast<DWORD>(text.size()));
    if (length < 0)
        return 1;
    std::fwrite(text.data(), 1, static_cast<size_t>(length), stdout);
    return 0;
}

int dos(const char* name) {
    char target[1024];
    if (QueryDosDeviceA(name, target, sizeof(target)) == 0) {
        std::printf("none\n");
    } else {
        std::printf("%s\n", target);
    }
    return 0;
}

void wait_for_file(const char* file) {
    while (GetFileAttributesA(file) == INVALID_FILE_ATTRIBUTES)
        Sleep(100);
}

int hold(const char* file) {
    std::printf("holding\n");
    std::fflush(stdout);
    wait_for_file(file);
    return 0;
}

int open_hold(const char* port, const char* file) {
    const std::string path = std::string("\\\\.\\") + port;
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return fail("opening the port");
    std::printf("opened\n");
    std::fflush(stdout);
    wait_for_file(file);
    CloseHandle(handle);
    std::printf("closed\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "install" && argc == 3)
        return install(argv[2]);
    if (command == "plug" && argc == 4)
        return plug(argv[2], argv[3]);
    if (command == "unplug" && argc == 2)
        return unplug();
    if (command == "record" && argc == 2)
        return record();
    if (command == "dos" && argc == 3)
        return dos(argv[2]);
    if (command == "hold" && argc == 3)
        return hold(argv[2]);
    if (command == "open-hold" && argc == 4)
        return open_hold(argv[2], argv[3]);
    std::fprintf(stderr,
                 "usage: bridge_ctl install INF | plug HWID PORT | unplug | record |"
                 " dos NAME | hold FILE | open-hold PORT FILE\n");
    return 2;
}
