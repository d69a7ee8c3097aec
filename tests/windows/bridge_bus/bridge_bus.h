// Test-only root-enumerated bus driver: it puts one simulated bridge chip on its bus as a child
// device with the bridge's USB hardware ID, answers the USB request blocks the function driver
// sends to it, and echoes every byte of its bulk-out pipe back on its bulk-in pipe, as a
// calculator link with its ends joined would. Never shipped.
#pragma once

#include <ntddk.h>

#include "bridge_bus_control.h"
#include "bridge_model.h"

enum class NodeKind : ULONG { Bus = 0x42757331, Child = 0x43686c64, Control = 0x4374726c };

// The bus's functional device object, on top of the root-enumerated device.
struct BusExtension {
    NodeKind kind;
    PDEVICE_OBJECT self;
    PDEVICE_OBJECT lower;
    PDEVICE_OBJECT pdo;
    PDEVICE_OBJECT control;
    // Guards child and the record.
    KSPIN_LOCK lock;
    // The bridge currently reported to the Plug and Play manager, or none.
    PDEVICE_OBJECT child;
    char record_text[BRIDGE_BUS_RECORD_SIZE];
    bridge_model::Record record;
};

// The named device bridge_ctl.exe opens.
struct ControlExtension {
    NodeKind kind;
    BusExtension* bus;
};

// The simulated bridge: the child's physical device object.
struct ChildExtension {
    NodeKind kind;
    PDEVICE_OBJECT self;
    BusExtension* bus;
    bridge_model::UsbIds ids;
    WCHAR hardware_id[64];
    // False once unplugged: every request then fails as on a device that is gone.
    volatile LONG present;
    // Guards the parked bulk-in transfer and the echo.
    KSPIN_LOCK lock;
    PIRP parked_in;
    // Bytes written to the bulk-out pipe that no bulk-in transfer has taken yet.
    UCHAR echo[4096];
    ULONG echo_length;
    // The thread that hands the echo to the parked bulk-in transfer.
    HANDLE pump;
    volatile LONG pump_stop;
};

inline ULONG least(ULONG a, ULONG b) {
    return a < b ? a : b;
}

// bridge_bus_entry.cpp
void complete_request(PIRP irp, NTSTATUS status, ULONG_PTR information = 0);
NTSTATUS pass_down(PDEVICE_OBJECT lower, PIRP irp);
// Adds a line to the record: `text`, then each of `values` as " 0x" and four hex digits.
void record(BusExtension* bus, const char* text, const ULONG* values = nullptr, int count = 0);

// bridge_bus_pnp.cpp: the bus's own Plug and Play and the child's.
NTSTATUS bus_pnp(BusExtension* bus, PIRP irp);
NTSTATUS child_pnp(ChildExtension* child, PIRP irp);
NTSTATUS plug_bridge(BusExtension* bus, const BridgePlugRequest& request);
NTSTATUS unplug_bridge(BusExtension* bus);

// bridge_child_usb.cpp: the request blocks and internal USB controls sent to the child.
NTSTATUS child_internal_control(ChildExtension* child, PIRP irp);
NTSTATUS start_pump(ChildExtension* child);
void stop_pump(ChildExtension* child);
void fail_parked_requests(ChildExtension* child, NTSTATUS status);
