// Test-only root-enumerated bus driver: it puts one simulated bridge chip on its bus as a child
// device with the bridge's USB hardware ID, answers the USB request blocks the function driver
// sends to it, and carries the bulk byte stream to a serial port of the machine (under Wine a
// COM port mapped to the simulated calculator's pseudo-terminal). Never shipped.
#pragma once

#include <ntddk.h>

#include "bridge_bus_control.h"
#include "bridge_model.h"

enum class NodeKind : ULONG { Bus = 0x42757331, Child = 0x43686c64, Control = 0x4374726c };

struct ChildExtension;

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
    bool configured;
    // The port that carries the byte stream, and a gate that keeps its reads and writes apart.
    HANDLE port;
    KEVENT port_gate;
    // Guards the parked requests and the staged bytes.
    KSPIN_LOCK lock;
    PIRP parked_in;
    PIRP parked_idle;
    // Bytes read from the port that no bulk-in transfer has taken yet (the chip's own buffer).
    UCHAR staged[bridge_model::kPacketSize];
    ULONG staged_length;
    // The thread that polls the port and hands its bytes to the parked bulk-in transfer.
    HANDLE pump;
    volatile LONG pump_stop;
};

// bridge_bus_entry.cpp
void complete_request(PIRP irp, NTSTATUS status, ULONG_PTR information = 0);
NTSTATUS pass_down(PDEVICE_OBJECT lower, PIRP irp);

// One line of the record, built part by part while the bus lock is held: what the test reads
// back (the chip's vendor requests and the child's start and removal).
class RecordLine {
public:
    explicit RecordLine(BusExtension* bus) : bus_(bus) {
        KeAcquireSpinLock(&bus_->lock, &irql_);
        bus_->record.begin();
    }
    ~RecordLine() {
        bus_->record.end();
        KeReleaseSpinLock(&bus_->lock, irql_);
    }
    RecordLine(const RecordLine&) = delete;
    RecordLine& operator=(const RecordLine&) = delete;

    RecordLine& text(const char* part) {
        bus_->record.text(part);
        return *this;
    }
    RecordLine& hex(ULONG value, int digits) {
        bus_->record.hex(value, digits);
        return *this;
    }

private:
    BusExtension* bus_;
    KIRQL irql_;
};

// bridge_bus_pnp.cpp: the bus's own Plug and Play and the child's.
NTSTATUS bus_pnp(BusExtension* bus, PIRP irp);
NTSTATUS child_pnp(ChildExtension* child, PIRP irp);
NTSTATUS plug_bridge(BusExtension* bus, const BridgePlugRequest& request);
NTSTATUS unplug_bridge(BusExtension* bus);

// bridge_child_usb.cpp: the request blocks and internal USB controls sent to the child.
NTSTATUS child_internal_control(ChildExtension* child, PIRP irp);
void fail_parked_requests(ChildExtension* child, NTSTATUS status);
ULONG deliver_to_bulk_in(ChildExtension* child, const UCHAR* data, ULONG length);

// bridge_child_port.cpp: the byte stream between the bulk pipes and the port.
NTSTATUS open_bridge_port(ChildExtension* child, const uint16_t* path);
void close_bridge_port(ChildExtension* child);
NTSTATUS write_bridge_port(ChildExtension* child, const UCHAR* data, ULONG length, ULONG* written);
