// A minimal function driver for the test bus's bridge, used to check the bus on its own: at
// start it reads the descriptors, selects the configuration and sends the line-coding and DTR
// vendor requests; afterwards a write to "\\.\TravexBridgeProbe" goes out as one bulk-out
// transfer and a read waits for one bulk-in transfer. Never shipped.
#include <ntddk.h>
// clang-format off
#include <usb.h>
#include <usbioctl.h>
// clang-format on

namespace {

constexpr ULONG kPoolTag = 0x62725054;  // "TPrb"
constexpr ULONG kConfigurationRoom = 256;

struct ProbeExtension {
    PDEVICE_OBJECT self;
    PDEVICE_OBJECT lower;
    USBD_PIPE_HANDLE pipe_in;
    USBD_PIPE_HANDLE pipe_out;
};

ProbeExtension* probe_of(PDEVICE_OBJECT device) {
    return static_cast<ProbeExtension*>(device->DeviceExtension);
}

void complete(PIRP irp, NTSTATUS status, ULONG_PTR information = 0) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
}

// Submits one request block to the bus and waits for it.
NTSTATUS submit(ProbeExtension* probe, PURB urb) {
    KEVENT done;
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    IO_STATUS_BLOCK io;
    PIRP irp = IoBuildDeviceIoControlRequest(IOCTL_INTERNAL_USB_SUBMIT_URB, probe->lower, nullptr,
                                             0, nullptr, 0, TRUE, &done, &io);
    if (irp == nullptr) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    IoGetNextIrpStackLocation(irp)->Parameters.Others.Argument1 = urb;
    NTSTATUS status = IoCallDriver(probe->lower, irp);
    if (status == STATUS_PENDING) {
        KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
        status = io.Status;
    }
    return status;
}

NTSTATUS get_descriptor(ProbeExtension* probe, UCHAR type, void* buffer, ULONG length) {
    URB urb = {};
    urb.UrbHeader.Function = URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE;
    urb.UrbHeader.Length = sizeof(struct _URB_CONTROL_DESCRIPTOR_REQUEST);
    urb.UrbControlDescriptorRequest.DescriptorType = type;
    urb.UrbControlDescriptorRequest.TransferBuffer = buffer;
    urb.UrbControlDescriptorRequest.TransferBufferLength = length;
    return submit(probe, &urb);
}

NTSTATUS vendor(ProbeExtension* probe, UCHAR request, USHORT value) {
    URB urb = {};
    urb.UrbHeader.Function = URB_FUNCTION_VENDOR_DEVICE;
    urb.UrbHeader.Length = sizeof(struct _URB_CONTROL_VENDOR_OR_CLASS_REQUEST);
    urb.UrbControlVendorClassRequest.TransferFlags = USBD_SHORT_TRANSFER_OK;
    urb.UrbControlVendorClassRequest.Request = request;
    urb.UrbControlVendorClassRequest.Value = value;
    return submit(probe, &urb);
}

// Selects configuration 1 with interface 0 and room for two pipes.
NTSTATUS select_configuration(ProbeExtension* probe, PUSB_CONFIGURATION_DESCRIPTOR configuration) {
    constexpr ULONG kInterfaceLength =
        sizeof(USBD_INTERFACE_INFORMATION) + sizeof(USBD_PIPE_INFORMATION);
    constexpr ULONG kLength =
        FIELD_OFFSET(struct _URB_SELECT_CONFIGURATION, Interface) + kInterfaceLength;
    auto* urb = static_cast<PURB>(ExAllocatePoolWithTag(NonPagedPool, kLength, kPoolTag));
    if (urb == nullptr) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    RtlZeroMemory(urb, kLength);
    urb->UrbHeader.Function = URB_FUNCTION_SELECT_CONFIGURATION;
    urb->UrbHeader.Length = kLength;
    urb->UrbSelectConfiguration.ConfigurationDescriptor = configuration;
    PUSBD_INTERFACE_INFORMATION info = &urb->UrbSelectConfiguration.Interface;
    info->Length = kInterfaceLength;
    info->NumberOfPipes = 2;
    info->Pipes[0].MaximumTransferSize = 4096;
    info->Pipes[1].MaximumTransferSize = 4096;
    const NTSTATUS status = submit(probe, urb);
    if (NT_SUCCESS(status)) {
        probe->pipe_in = info->Pipes[0].PipeHandle;
        probe->pipe_out = info->Pipes[1].PipeHandle;
    }
    ExFreePoolWithTag(urb, kPoolTag);
    return status;
}

NTSTATUS configure(ProbeExtension* probe) {
    UCHAR device[18];
    NTSTATUS status = get_descriptor(probe, USB_DEVICE_DESCRIPTOR_TYPE, device, sizeof(device));
    if (!NT_SUCCESS(status)) {
        return status;
    }
    auto* configuration = static_cast<PUSB_CONFIGURATION_DESCRIPTOR>(
        ExAllocatePoolWithTag(NonPagedPool, kConfigurationRoom, kPoolTag));
    if (configuration == nullptr) {
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    status = get_descriptor(probe, USB_CONFIGURATION_DESCRIPTOR_TYPE, configuration, 9);
    if (NT_SUCCESS(status) && configuration->wTotalLength <= kConfigurationRoom) {
        status = get_descriptor(probe, USB_CONFIGURATION_DESCRIPTOR_TYPE, configuration,
                                configuration->wTotalLength);
    }
    if (NT_SUCCESS(status)) {
        status = select_configuration(probe, configuration);
    }
    ExFreePoolWithTag(configuration, kPoolTag);
    if (NT_SUCCESS(status)) {
        status = vendor(probe, 0x21, 0x0709);  // 38400 baud, 8 data bits, no parity, 2 stop bits
    }
    if (NT_SUCCESS(status)) {
        status = vendor(probe, 0x22, 0x0100);  // DTR up
    }
    return status;
}

NTSTATUS bulk(ProbeExtension* probe, bool in, void* buffer, ULONG length, ULONG* moved) {
    URB urb = {};
    urb.UrbHeader.Function = URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER;
    urb.UrbHeader.Length = sizeof(struct _URB_BULK_OR_INTERRUPT_TRANSFER);
    urb.UrbBulkOrInterruptTransfer.PipeHandle = in ? probe->pipe_in : probe->pipe_out;
    urb.UrbBulkOrInterruptTransfer.TransferFlags =
        USBD_SHORT_TRANSFER_OK | (in ? USBD_TRANSFER_DIRECTION_IN : 0);
    urb.UrbBulkOrInterruptTransfer.TransferBuffer = buffer;
    urb.UrbBulkOrInterruptTransfer.TransferBufferLength = length;
    const NTSTATUS status = submit(probe, &urb);
    *moved = NT_SUCCESS(status) ? urb.UrbBulkOrInterruptTransfer.TransferBufferLength : 0;
    return status;
}

NTSTATUS signal_event(PDEVICE_OBJECT, PIRP, PVOID context) {
    KeSetEvent(static_cast<PKEVENT>(context), IO_NO_INCREMENT, FALSE);
    return STATUS_MORE_PROCESSING_REQUIRED;
}

NTSTATUS forward_and_wait(ProbeExtension* probe, PIRP irp) {
    KEVENT done;
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    IoCopyCurrentIrpStackLocationToNext(irp);
    IoSetCompletionRoutine(irp, signal_event, &done, TRUE, TRUE, TRUE);
    if (IoCallDriver(probe->lower, irp) == STATUS_PENDING) {
        KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
    }
    return irp->IoStatus.Status;
}

void link_name(UNICODE_STRING* name) {
    RtlInitUnicodeString(name, L"\\DosDevices\\TravexBridgeProbe");
}

NTSTATUS dispatch_pnp(PDEVICE_OBJECT device, PIRP irp) {
    ProbeExtension* probe = probe_of(device);
    switch (IoGetCurrentIrpStackLocation(irp)->MinorFunction) {
        case IRP_MN_START_DEVICE: {
            NTSTATUS status = forward_and_wait(probe, irp);
            if (NT_SUCCESS(status)) {
                status = configure(probe);
            }
            complete(irp, status);
            return status;
        }
        case IRP_MN_SURPRISE_REMOVAL: {
            UNICODE_STRING link;
            link_name(&link);
            IoDeleteSymbolicLink(&link);
            irp->IoStatus.Status = STATUS_SUCCESS;
            IoSkipCurrentIrpStackLocation(irp);
            return IoCallDriver(probe->lower, irp);
        }
        case IRP_MN_REMOVE_DEVICE: {
            UNICODE_STRING link;
            link_name(&link);
            IoDeleteSymbolicLink(&link);
            irp->IoStatus.Status = STATUS_SUCCESS;
            IoSkipCurrentIrpStackLocation(irp);
            const NTSTATUS status = IoCallDriver(probe->lower, irp);
            IoDetachDevice(probe->lower);
            IoDeleteDevice(probe->self);
            return status;
        }
        default:
            IoSkipCurrentIrpStackLocation(irp);
            return IoCallDriver(probe->lower, irp);
    }
}

NTSTATUS dispatch_open_close(PDEVICE_OBJECT, PIRP irp) {
    complete(irp, STATUS_SUCCESS);
    return STATUS_SUCCESS;
}

NTSTATUS dispatch_read_write(PDEVICE_OBJECT device, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    const bool in = stack->MajorFunction == IRP_MJ_READ;
    ULONG length = in ? stack->Parameters.Read.Length : stack->Parameters.Write.Length;
    if (length > 64) {
        length = 64;
    }
    ULONG moved = 0;
    const NTSTATUS status =
        bulk(probe_of(device), in, irp->AssociatedIrp.SystemBuffer, length, &moved);
    complete(irp, status, moved);
    return status;
}

NTSTATUS add_device(PDRIVER_OBJECT driver, PDEVICE_OBJECT pdo) {
    UNICODE_STRING name;
    RtlInitUnicodeString(&name, L"\\Device\\TravexBridgeProbe");
    PDEVICE_OBJECT fdo = nullptr;
    NTSTATUS status =
        IoCreateDevice(driver, sizeof(ProbeExtension), &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &fdo);
    if (!NT_SUCCESS(status)) {
        return status;
    }
    ProbeExtension* probe = probe_of(fdo);
    RtlZeroMemory(probe, sizeof(*probe));
    probe->self = fdo;
    probe->lower = IoAttachDeviceToDeviceStack(fdo, pdo);
    if (probe->lower == nullptr) {
        IoDeleteDevice(fdo);
        return STATUS_NO_SUCH_DEVICE;
    }
    UNICODE_STRING link;
    link_name(&link);
    IoCreateSymbolicLink(&link, &name);
    fdo->Flags |= DO_BUFFERED_IO;
    fdo->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

}  // namespace

extern "C" NTSTATUS DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING) {
    driver->MajorFunction[IRP_MJ_CREATE] = dispatch_open_close;
    driver->MajorFunction[IRP_MJ_CLOSE] = dispatch_open_close;
    driver->MajorFunction[IRP_MJ_READ] = dispatch_read_write;
    driver->MajorFunction[IRP_MJ_WRITE] = dispatch_read_write;
    driver->MajorFunction[IRP_MJ_PNP] = dispatch_pnp;
    driver->DriverExtension->AddDevice = add_device;
    return STATUS_SUCCESS;
}
