// Plug and Play of the test bus and of its one child, the simulated bridge: the bus reports the
// child in its bus relations while it is plugged in; the child answers the identity queries
// with the bridge's USB IDs so that the Plug and Play manager installs the bridge's driver from
// its INF, and goes away (surprise removal, then removal) when it is unplugged.
#include "bridge_bus.h"

namespace {

// Pool tag "TrBs" (read as bytes in memory).
constexpr ULONG kPoolTag = 0x73427254;

// A growing multi-string of UTF-16 text in a caller's array.
class IdText {
public:
    IdText(WCHAR* buffer, ULONG capacity) : buffer_(buffer), capacity_(capacity) {}
    IdText& text(const char* part) {
        while (*part != 0)
            put(static_cast<WCHAR>(*part++));
        return *this;
    }
    IdText& hex4(uint16_t value) {
        for (int shift = 12; shift >= 0; shift -= 4)
            put(static_cast<WCHAR>("0123456789ABCDEF"[(value >> shift) & 0xF]));
        return *this;
    }
    // Ends one string of the multi-string.
    IdText& next() {
        put(0);
        return *this;
    }
    ULONG length() const { return length_; }

private:
    void put(WCHAR c) {
        if (length_ + 1 < capacity_)
            buffer_[length_++] = c;
    }
    WCHAR* buffer_;
    ULONG capacity_;
    ULONG length_ = 0;
};

void usb_id(IdText& id, bridge_model::UsbIds ids) {
    id.text("USB\\VID_").hex4(ids.vendor).text("&PID_").hex4(ids.product);
}

// The answer to one identity query, in pool memory the Plug and Play manager frees; no answer
// (the request's own status stays) for queries the bridge has nothing for.
void query_id(ChildExtension* child, BUS_QUERY_ID_TYPE type, PIRP irp) {
    WCHAR text[256];
    IdText id(text, 256);
    switch (type) {
        case BusQueryDeviceID:
            usb_id(id, child->ids);
            id.next();
            break;
        case BusQueryHardwareIDs:
            usb_id(id, child->ids);
            id.text("&REV_").hex4(bridge_model::kDeviceRelease).next();
            usb_id(id, child->ids);
            id.next().next();
            break;
        case BusQueryCompatibleIDs:
            id.text("USB\\Class_FF&SubClass_00&Prot_00").next();
            id.text("USB\\Class_FF&SubClass_00").next();
            id.text("USB\\Class_FF").next().next();
            break;
        case BusQueryInstanceID:
            id.text("1").next();
            break;
        default:
            return;
    }
    const ULONG bytes = (id.length() + 1) * sizeof(WCHAR);
    auto* copy = static_cast<WCHAR*>(ExAllocatePoolWithTag(PagedPool, bytes, kPoolTag));
    irp->IoStatus.Status = copy == nullptr ? STATUS_INSUFFICIENT_RESOURCES : STATUS_SUCCESS;
    if (copy != nullptr) {
        RtlZeroMemory(copy, bytes);
        RtlCopyMemory(copy, text, id.length() * sizeof(WCHAR));
        irp->IoStatus.Information = reinterpret_cast<ULONG_PTR>(copy);
    }
}

// A relations list of at most one device, referenced for the caller.
NTSTATUS relations_of(PDEVICE_OBJECT device, ULONG_PTR* information) {
    auto* relations = static_cast<PDEVICE_RELATIONS>(
        ExAllocatePoolWithTag(PagedPool, sizeof(DEVICE_RELATIONS), kPoolTag));
    if (relations == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    relations->Count = 0;
    if (device != nullptr) {
        ObReferenceObject(device);
        relations->Objects[0] = device;
        relations->Count = 1;
    }
    *information = reinterpret_cast<ULONG_PTR>(relations);
    return STATUS_SUCCESS;
}

// A removable device that may go without warning, in D3 whenever the system sleeps.
void fill_capabilities(PDEVICE_CAPABILITIES caps) {
    caps->Removable = TRUE;
    caps->SurpriseRemovalOK = TRUE;
    caps->Address = 1;
    caps->UINumber = 1;
    caps->DeviceState[PowerSystemWorking] = PowerDeviceD0;
    for (int state = PowerSystemSleeping1; state <= PowerSystemShutdown; ++state)
        caps->DeviceState[state] = PowerDeviceD3;
}

NTSTATUS signal_event(PDEVICE_OBJECT, PIRP, PVOID context) {
    KeSetEvent(static_cast<PKEVENT>(context), IO_NO_INCREMENT, FALSE);
    return STATUS_MORE_PROCESSING_REQUIRED;
}

// Sends the request to the device below and waits for it; the request stays ours.
NTSTATUS forward_and_wait(PDEVICE_OBJECT lower, PIRP irp) {
    KEVENT done;
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    IoCopyCurrentIrpStackLocationToNext(irp);
    IoSetCompletionRoutine(irp, signal_event, &done, TRUE, TRUE, TRUE);
    if (IoCallDriver(lower, irp) == STATUS_PENDING)
        KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
    return irp->IoStatus.Status;
}

void delete_child(ChildExtension* child) {
    close_bridge_port(child);
    fail_parked_requests(child, STATUS_NO_SUCH_DEVICE);
    IoDeleteDevice(child->self);
}

}  // namespace

NTSTATUS plug_bridge(BusExtension* bus, const BridgePlugRequest& request) {
    const bridge_model::UsbIds ids = bridge_model::parse_usb_ids(request.hardware_id);
    if (!ids.valid)
        return STATUS_INVALID_PARAMETER;
    if (bus->child != nullptr)
        return STATUS_DEVICE_BUSY;
    PDEVICE_OBJECT pdo = nullptr;
    NTSTATUS status = IoCreateDevice(
        bus->self->DriverObject, sizeof(ChildExtension), nullptr, FILE_DEVICE_UNKNOWN,
        FILE_AUTOGENERATED_DEVICE_NAME | FILE_DEVICE_SECURE_OPEN, FALSE, &pdo);
    if (!NT_SUCCESS(status))
        return status;
    auto* child = static_cast<ChildExtension*>(pdo->DeviceExtension);
    RtlZeroMemory(static_cast<void*>(child), sizeof(*child));
    child->kind = NodeKind::Child;
    child->self = pdo;
    child->bus = bus;
    child->ids = ids;
    child->present = 1;
    KeInitializeSpinLock(&child->lock);
    KeInitializeEvent(&child->port_gate, SynchronizationEvent, TRUE);
    status = open_bridge_port(child, request.port_path);
    if (!NT_SUCCESS(status)) {
        RecordLine(bus).text("plug failed, port status ").hex(static_cast<ULONG>(status), 8);
        IoDeleteDevice(pdo);
        return status;
    }
    pdo->Flags &= ~DO_DEVICE_INITIALIZING;

    KIRQL irql;
    KeAcquireSpinLock(&bus->lock, &irql);
    const bool busy = bus->child != nullptr;
    if (!busy)
        bus->child = pdo;
    KeReleaseSpinLock(&bus->lock, irql);
    if (busy) {
        delete_child(child);
        return STATUS_DEVICE_BUSY;
    }
    RecordLine(bus).text("plugged");
    IoInvalidateDeviceRelations(bus->pdo, BusRelations);
    return STATUS_SUCCESS;
}

NTSTATUS unplug_bridge(BusExtension* bus) {
    KIRQL irql;
    KeAcquireSpinLock(&bus->lock, &irql);
    PDEVICE_OBJECT pdo = bus->child;
    bus->child = nullptr;
    KeReleaseSpinLock(&bus->lock, irql);
    if (pdo == nullptr)
        return STATUS_NO_SUCH_DEVICE;
    auto* child = static_cast<ChildExtension*>(pdo->DeviceExtension);
    InterlockedExchange(&child->present, 0);
    // The cable is gone: transfers in flight end as on real hardware, and the byte stream stops.
    fail_parked_requests(child, STATUS_DEVICE_NOT_CONNECTED);
    close_bridge_port(child);
    IoInvalidateDeviceRelations(bus->pdo, BusRelations);
    return STATUS_SUCCESS;
}

NTSTATUS bus_pnp(BusExtension* bus, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    switch (stack->MinorFunction) {
        case IRP_MN_START_DEVICE: {
            const NTSTATUS status = forward_and_wait(bus->lower, irp);
            complete_request(irp, status, irp->IoStatus.Information);
            return status;
        }
        case IRP_MN_QUERY_DEVICE_RELATIONS: {
            if (stack->Parameters.QueryDeviceRelations.Type != BusRelations)
                return pass_down(bus->lower, irp);
            KIRQL irql;
            KeAcquireSpinLock(&bus->lock, &irql);
            PDEVICE_OBJECT child = bus->child;
            if (child != nullptr)
                ObReferenceObject(child);
            KeReleaseSpinLock(&bus->lock, irql);
            ULONG_PTR relations = 0;
            const NTSTATUS status = relations_of(child, &relations);
            if (child != nullptr)
                ObDereferenceObject(child);
            if (!NT_SUCCESS(status)) {
                complete_request(irp, status);
                return status;
            }
            irp->IoStatus.Status = STATUS_SUCCESS;
            irp->IoStatus.Information = relations;
            return pass_down(bus->lower, irp);
        }
        case IRP_MN_REMOVE_DEVICE: {
            KIRQL irql;
            KeAcquireSpinLock(&bus->lock, &irql);
            PDEVICE_OBJECT child = bus->child;
            bus->child = nullptr;
            KeReleaseSpinLock(&bus->lock, irql);
            if (child != nullptr)
                delete_child(static_cast<ChildExtension*>(child->DeviceExtension));
            UNICODE_STRING control_link;
            RtlInitUnicodeString(&control_link, BRIDGE_BUS_CONTROL_LINK);
            IoDeleteSymbolicLink(&control_link);
            IoDeleteDevice(bus->control);
            irp->IoStatus.Status = STATUS_SUCCESS;
            PDEVICE_OBJECT lower = bus->lower;
            PDEVICE_OBJECT self = bus->self;
            const NTSTATUS status = pass_down(lower, irp);
            IoDetachDevice(lower);
            IoDeleteDevice(self);
            return status;
        }
        case IRP_MN_QUERY_STOP_DEVICE:
        case IRP_MN_QUERY_REMOVE_DEVICE:
        case IRP_MN_CANCEL_STOP_DEVICE:
        case IRP_MN_CANCEL_REMOVE_DEVICE:
        case IRP_MN_STOP_DEVICE:
        case IRP_MN_SURPRISE_REMOVAL:
            irp->IoStatus.Status = STATUS_SUCCESS;
            [[fallthrough]];
        default:
            return pass_down(bus->lower, irp);
    }
}

NTSTATUS child_pnp(ChildExtension* child, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    NTSTATUS status = STATUS_SUCCESS;
    ULONG_PTR information = irp->IoStatus.Information;
    switch (stack->MinorFunction) {
        case IRP_MN_QUERY_ID:
            query_id(child, stack->Parameters.QueryId.IdType, irp);
            status = irp->IoStatus.Status;
            information = irp->IoStatus.Information;
            break;
        case IRP_MN_QUERY_CAPABILITIES:
            fill_capabilities(stack->Parameters.DeviceCapabilities.Capabilities);
            break;
        case IRP_MN_QUERY_DEVICE_RELATIONS:
            status = irp->IoStatus.Status;
            if (stack->Parameters.QueryDeviceRelations.Type == TargetDeviceRelation)
                status = relations_of(child->self, &information);
            break;
        case IRP_MN_START_DEVICE:
            RecordLine(child->bus).text("start");
            status = child->present ? STATUS_SUCCESS : STATUS_NO_SUCH_DEVICE;
            break;
        case IRP_MN_QUERY_STOP_DEVICE:
        case IRP_MN_CANCEL_STOP_DEVICE:
        case IRP_MN_STOP_DEVICE:
        case IRP_MN_QUERY_REMOVE_DEVICE:
        case IRP_MN_CANCEL_REMOVE_DEVICE:
            break;
        case IRP_MN_SURPRISE_REMOVAL:
            fail_parked_requests(child, STATUS_DEVICE_NOT_CONNECTED);
            break;
        case IRP_MN_REMOVE_DEVICE:
            RecordLine(child->bus).text("remove");
            complete_request(irp, STATUS_SUCCESS);
            // A child still plugged in stays (its driver may come back); an unplugged one is
            // gone for good.
            if (!child->present) {
                delete_child(child);
            } else {
                fail_parked_requests(child, STATUS_NO_SUCH_DEVICE);
            }
            return STATUS_SUCCESS;
        default:
            status = irp->IoStatus.Status;
            break;
    }
    complete_request(irp, status, information);
    return status;
}
