// The control interface of the test bus: what bridge_ctl.exe sends to the bus driver through its
// control device "\\.\TravexBridgeBus". Shared by the kernel and the user-mode side, so it uses
// plain fixed-width types only.
#pragma once

#include <stdint.h>

#define BRIDGE_BUS_CONTROL_NAME L"\\Device\\TravexBridgeBus"
#define BRIDGE_BUS_CONTROL_LINK L"\\DosDevices\\TravexBridgeBus"

// FILE_DEVICE_UNKNOWN, function 0x900 + n, METHOD_BUFFERED, FILE_ANY_ACCESS.
#define BRIDGE_BUS_CODE(n) ((0x22u << 16) | ((0x900u + (n)) << 2))
// Input: BridgePlugRequest. Puts a bridge on the bus; fails with STATUS_DEVICE_BUSY while one is.
#define BRIDGE_BUS_IOCTL_PLUG BRIDGE_BUS_CODE(0)
// No buffers. Takes the bridge away as if its cable was pulled.
#define BRIDGE_BUS_IOCTL_UNPLUG BRIDGE_BUS_CODE(1)
// Output: the record of what the function driver asked of the bridge, one text line per event.
#define BRIDGE_BUS_IOCTL_RECORD BRIDGE_BUS_CODE(2)

struct BridgePlugRequest {
    // "USB\VID_xxxx&PID_yyyy", NUL-terminated.
    uint16_t hardware_id[64];
};

// Room the record keeps; later events are counted but not stored.
#define BRIDGE_BUS_RECORD_SIZE 8192
