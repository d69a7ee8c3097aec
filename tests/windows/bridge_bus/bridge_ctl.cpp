// The user-mode side of the test bus, run under Wine by tests/wine/driver_bridge.sh:
//   bridge_ctl install INF        install the root-enumerated test bus from its INF
//   bridge_ctl plug HWID          put a bridge with USB hardware ID HWID on the bus
//   bridge_ctl unplug             take the bridge away (surprise removal)
//   bridge_ctl record             print what the bridge's driver asked of it
//   bridge_ctl dos NAME           print the target of DOS device NAME, or "none"
//   bridge_ctl hold FILE [PORT]   open PORT if given, print "holding", wait until FILE exists
#include <windows.h>
// clang-format off
#include <setupapi.h>
#include <newdev.h>
// clang-format on

#include <cstdio>
#include <string>

#include "bridge_bus_control.h"

namespace {

int fail(const char* what) {
    std::fprintf(stderr, "bridge_ctl: %s failed, error %lu\n", what, GetLastError());
    return 1;
}

int install(const char* inf) {
    static const char kBusHardwareId[] = "root\\travex_bridge_bus\0";
    HDEVINFO set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    GUID system_class = {
        0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
    char path[MAX_PATH];
    GetFullPathNameA(inf, MAX_PATH, path, nullptr);
    BOOL reboot = FALSE;
    if (set == INVALID_HANDLE_VALUE ||
        !SetupDiCreateDeviceInfoA(set, "root\\travex_bridge_bus\\0", &system_class, nullptr,
                                  nullptr, 0, &device) ||
        !SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID,
                                           reinterpret_cast<const BYTE*>(kBusHardwareId),
                                           sizeof(kBusHardwareId)) ||
        !SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device) ||
        !UpdateDriverForPlugAndPlayDevicesA(nullptr, kBusHardwareId, path, INSTALLFLAG_FORCE,
                                            &reboot)) {
        return fail("installing the bus");
    }
    SetupDiDestroyDeviceInfoList(set);
    std::printf("installed\n");
    return 0;
}

// Sends one control request to the bus and prints `done`, or the output when there is some.
int bus_control(DWORD code, const char* done, void* input = nullptr, DWORD input_length = 0) {
    HANDLE bus = INVALID_HANDLE_VALUE;
    // The bus's control device appears once the Plug and Play manager has started it.
    for (int tries = 0; bus == INVALID_HANDLE_VALUE && tries < 100; ++tries, Sleep(100)) {
        bus = CreateFileA("\\\\.\\TravexBridgeBus", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                          OPEN_EXISTING, 0, nullptr);
    }
    static char output[BRIDGE_BUS_RECORD_SIZE];
    DWORD returned = 0;
    if (bus == INVALID_HANDLE_VALUE || !DeviceIoControl(bus, code, input, input_length, output,
                                                        sizeof(output), &returned, nullptr)) {
        return fail("the bus request");
    }
    CloseHandle(bus);
    std::fwrite(output, 1, returned, stdout);
    std::printf("%s", done);
    return 0;
}

int plug(const char* hardware_id) {
    BridgePlugRequest request = {};
    for (size_t i = 0; i < 63 && hardware_id[i] != 0; ++i)
        request.hardware_id[i] = static_cast<unsigned char>(hardware_id[i]);
    return bus_control(BRIDGE_BUS_IOCTL_PLUG, "plugged\n", &request, sizeof(request));
}

int hold(const char* file, const char* port) {
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (port != nullptr) {
        handle = CreateFileA((std::string("\\\\.\\") + port).c_str(), GENERIC_READ | GENERIC_WRITE,
                             0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return fail("opening the port");
    }
    std::printf("holding\n");
    std::fflush(stdout);
    while (GetFileAttributesA(file) == INVALID_FILE_ATTRIBUTES)
        Sleep(100);
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "install" && argc == 3)
        return install(argv[2]);
    if (command == "plug" && argc == 3)
        return plug(argv[2]);
    if (command == "unplug" && argc == 2)
        return bus_control(BRIDGE_BUS_IOCTL_UNPLUG, "unplugged\n");
    if (command == "record" && argc == 2)
        return bus_control(BRIDGE_BUS_IOCTL_RECORD, "");
    if (command == "hold" && (argc == 3 || argc == 4))
        return hold(argv[2], argc == 4 ? argv[3] : nullptr);
    char target[1024];
    if (command == "dos" && argc == 3)
        return !std::printf("%s\n", QueryDosDeviceA(argv[2], target, 1024) ? target : "none");
    std::fprintf(stderr,
                 "usage: bridge_ctl install INF | plug HWID | unplug | record | dos NAME |"
                 " hold FILE [PORT]\n");
    return 2;
}
