// Entry, AddDevice and the dispatch routing of the test bus driver, and the control device that
// bridge_ctl.exe uses to plug and unplug the bridge and to read the record of its requests.
#include "bridge_bus.h"

namespace {

NodeKind kind_of(PDEVICE_OBJECT device) {
    return *static_cast<NodeKind*>(device->DeviceExtension);
}

NTSTATUS control_request(BusExtension* bus, PIRP irp) {
    const auto& parameters = IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl;
    NTSTATUS status = STATUS_INVALID_DEVICE_REQUEST;
    ULONG length = 0;
    if (parameters.IoControlCode == BRIDGE_BUS_IOCTL_PLUG) {
        status = STATUS_BUFFER_TOO_SMALL;
        if (parameters.InputBufferLength >= sizeof(BridgePlugRequest)) {
            BridgePlugRequest request;
            RtlCopyMemory(&request, irp->AssociatedIrp.SystemBuffer, sizeof(request));
            request.hardware_id[63] = 0;
            status = plug_bridge(bus, request);
        }
    } else if (parameters.IoControlCode == BRIDGE_BUS_IOCTL_UNPLUG) {
        status = unplug_bridge(bus);
    } else if (parameters.IoControlCode == BRIDGE_BUS_IOCTL_RECORD) {
        KIRQL irql;
        KeAcquireSpinLock(&bus->lock, &irql);
        length = least(bus->record.size(), parameters.OutputBufferLength);
        RtlCopyMemory(irp->AssociatedIrp.SystemBuffer, bus->record_text, length);
        KeReleaseSpinLock(&bus->lock, irql);
        status = STATUS_SUCCESS;
    }
    complete_request(irp, status, length);
    return status;
}

NTSTATUS dispatch_open_close(PDEVICE_OBJECT, PIRP irp) {
    complete_request(irp, STATUS_SUCCESS);
    return STATUS_SUCCESS;
}

NTSTATUS dispatch_pnp(PDEVICE_OBJECT device, PIRP irp) {
    void* extension = device->DeviceExtension;
    if (kind_of(device) == NodeKind::Bus)
        return bus_pnp(static_cast<BusExtension*>(extension), irp);
    if (kind_of(device) == NodeKind::Child)
        return child_pnp(static_cast<ChildExtension*>(extension), irp);
    const NTSTATUS status = irp->IoStatus.Status;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

// Controls: the control device's own, the bus passes them down, the child has none. Internal
// controls: the child's USB requests.
NTSTATUS dispatch_control(PDEVICE_OBJECT device, PIRP irp) {
    const bool internal =
        IoGetCurrentIrpStackLocation(irp)->MajorFunction == IRP_MJ_INTERNAL_DEVICE_CONTROL;
    void* extension = device->DeviceExtension;
    if (!internal && kind_of(device) == NodeKind::Control)
        return control_request(static_cast<ControlExtension*>(extension)->bus, irp);
    if (!internal && kind_of(device) == NodeKind::Bus)
        return pass_down(static_cast<BusExtension*>(extension)->lower, irp);
    if (internal && kind_of(device) == NodeKind::Child)
        return child_internal_control(static_cast<ChildExtension*>(extension), irp);
    complete_request(irp, STATUS_INVALID_DEVICE_REQUEST);
    return STATUS_INVALID_DEVICE_REQUEST;
}

// Power requests: the bridge is always on; the bus passes them down.
NTSTATUS dispatch_power(PDEVICE_OBJECT device, PIRP irp) {
    PoStartNextPowerIrp(irp);
    if (kind_of(device) == NodeKind::Bus) {
        IoSkipCurrentIrpStackLocation(irp);
        return PoCallDriver(static_cast<BusExtension*>(device->DeviceExtension)->lower, irp);
    }
    complete_request(irp, STATUS_SUCCESS, irp->IoStatus.Information);
    return STATUS_SUCCESS;
}

NTSTATUS add_device(PDRIVER_OBJECT driver, PDEVICE_OBJECT pdo) {
    PDEVICE_OBJECT fdo = nullptr;
    NTSTATUS status =
        IoCreateDevice(driver, sizeof(BusExtension), nullptr, FILE_DEVICE_BUS_EXTENDER,
                       FILE_DEVICE_SECURE_OPEN, FALSE, &fdo);
    if (!NT_SUCCESS(status))
        return status;
    auto* bus = static_cast<BusExtension*>(fdo->DeviceExtension);
    RtlZeroMemory(static_cast<void*>(bus), sizeof(*bus));
    bus->kind = NodeKind::Bus;
    bus->self = fdo;
    bus->pdo = pdo;
    KeInitializeSpinLock(&bus->lock);
    bus->record = bridge_model::Record(bus->record_text, sizeof(bus->record_text));

    UNICODE_STRING control_name;
    UNICODE_STRING control_link;
    RtlInitUnicodeString(&control_name, BRIDGE_BUS_CONTROL_NAME);
    RtlInitUnicodeString(&control_link, BRIDGE_BUS_CONTROL_LINK);
    status = IoCreateDevice(driver, sizeof(ControlExtension), &control_name, FILE_DEVICE_UNKNOWN, 0,
                            FALSE, &bus->control);
    if (NT_SUCCESS(status)) {
        *static_cast<ControlExtension*>(bus->control->DeviceExtension) = {NodeKind::Control, bus};
        bus->control->Flags = (bus->control->Flags | DO_BUFFERED_IO) & ~DO_DEVICE_INITIALIZING;
        status = IoCreateSymbolicLink(&control_link, &control_name);
        bus->lower = NT_SUCCESS(status) ? IoAttachDeviceToDeviceStack(fdo, pdo) : nullptr;
        if (bus->lower == nullptr) {
            IoDeleteSymbolicLink(&control_link);
            IoDeleteDevice(bus->control);
        }
    }
    if (bus->lower == nullptr) {
        IoDeleteDevice(fdo);
        return NT_SUCCESS(status) ? STATUS_NO_SUCH_DEVICE : status;
    }
    fdo->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

}  // namespace

void complete_request(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
}

NTSTATUS pass_down(PDEVICE_OBJECT lower, PIRP irp) {
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(lower, irp);
}

void record(BusExtension* bus, const char* text, const ULONG* values, int count) {
    KIRQL irql;
    KeAcquireSpinLock(&bus->lock, &irql);
    bus->record.begin();
    bus->record.text(text);
    for (int i = 0; i < count; ++i) {
        bus->record.text(" ");
        bus->record.hex(values[i], 4);
    }
    bus->record.end();
    KeReleaseSpinLock(&bus->lock, irql);
}

extern "C" NTSTATUS DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING) {
    driver->MajorFunction[IRP_MJ_CREATE] = dispatch_open_close;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatch_open_close;
    driver->MajorFunction[IRP_MJ_CLEANUP] = dispatch_open_close;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatch_control;
    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = dispatch_control;
    driver->MajorFunction[IRP_MJ_PNP] = dispatch_pnp;
    driver->MajorFunction[IRP_MJ_POWER] = dispatch_power;
    driver->DriverExtension->AddDevice = add_device;
    return STATUS_SUCCESS;
}
