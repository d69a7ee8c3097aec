// The simulated bridge at the USB request block level: the descriptors, the configuration, the
// two vendor requests (recorded, with their setup fields), the abort and reset of pipes, the
// port status, and the bulk transfers that carry the byte stream. A bulk-in transfer waits
// (parked, cancellable) until the port delivers bytes; a bulk-out transfer is written to the
// port at once.
#include "bridge_bus.h"
// clang-format off
#include <usb.h>
#include <usbioctl.h>
// clang-format on

namespace {

// Pipe handles the bridge hands out at select-configuration; any other value is not a pipe.
const USBD_PIPE_HANDLE kPipeIn = reinterpret_cast<USBD_PIPE_HANDLE>(static_cast<ULONG_PTR>(0xB1));
const USBD_PIPE_HANDLE kPipeOut = reinterpret_cast<USBD_PIPE_HANDLE>(static_cast<ULONG_PTR>(0xB2));
const USBD_CONFIGURATION_HANDLE kConfiguration =
    reinterpret_cast<USBD_CONFIGURATION_HANDLE>(static_cast<ULONG_PTR>(0xC1));
const USBD_INTERFACE_HANDLE kInterface =
    reinterpret_cast<USBD_INTERFACE_HANDLE>(static_cast<ULONG_PTR>(0xD1));

PURB urb_of(PIRP irp) {
    return static_cast<PURB>(IoGetCurrentIrpStackLocation(irp)->Parameters.Others.Argument1);
}

// The system address of a transfer's buffer: the plain pointer, else the mapped description.
PUCHAR transfer_buffer(PVOID buffer, PMDL mdl) {
    if (buffer != nullptr)
        return static_cast<PUCHAR>(buffer);
    if (mdl != nullptr)
        return static_cast<PUCHAR>(MmGetSystemAddressForMdlSafe(mdl, NormalPagePriority));
    return nullptr;
}

NTSTATUS finish(PIRP irp, PURB urb, NTSTATUS status, USBD_STATUS usb_status) {
    if (urb != nullptr)
        urb->UrbHeader.Status = usb_status;
    complete_request(irp, status);
    return status;
}

NTSTATUS get_descriptor(ChildExtension* child, PIRP irp, PURB urb) {
    auto& request = urb->UrbControlDescriptorRequest;
    UCHAR bytes[bridge_model::kConfigurationSize];
    ULONG size = 0;
    if (request.DescriptorType == USB_DEVICE_DESCRIPTOR_TYPE && request.Index == 0) {
        bridge_model::device_descriptor(child->ids, bytes);
        size = bridge_model::kDeviceDescriptorSize;
    } else if (request.DescriptorType == USB_CONFIGURATION_DESCRIPTOR_TYPE && request.Index == 0) {
        bridge_model::configuration_descriptor(bytes);
        size = bridge_model::kConfigurationSize;
    } else {
        return finish(irp, urb, STATUS_UNSUCCESSFUL, USBD_STATUS_STALL_PID);
    }
    PUCHAR out = transfer_buffer(request.TransferBuffer, request.TransferBufferMDL);
    const ULONG length =
        out == nullptr
            ? 0
            : (request.TransferBufferLength < size ? request.TransferBufferLength : size);
    RtlCopyMemory(out, bytes, length);
    request.TransferBufferLength = length;
    return finish(irp, urb, STATUS_SUCCESS, USBD_STATUS_SUCCESS);
}

// Fills the interface information of a select-configuration request: the one interface with
// its two bulk pipes. The request's own lengths bound what is written.
NTSTATUS select_configuration(ChildExtension* child, PIRP irp, PURB urb) {
    auto& select = urb->UrbSelectConfiguration;
    if (select.ConfigurationDescriptor == nullptr) {
        child->configured = false;
        return finish(irp, urb, STATUS_SUCCESS, USBD_STATUS_SUCCESS);
    }
    const ULONG header = FIELD_OFFSET(struct _URB_SELECT_CONFIGURATION, Interface);
    const ULONG pipes_at = FIELD_OFFSET(USBD_INTERFACE_INFORMATION, Pipes);
    PUSBD_INTERFACE_INFORMATION info = &select.Interface;
    if (select.Hdr.Length < header + pipes_at || info->Length < pipes_at ||
        select.Hdr.Length < header + info->Length ||
        (info->Length - pipes_at) / sizeof(USBD_PIPE_INFORMATION) < 2 ||
        info->InterfaceNumber != 0 || info->AlternateSetting != 0) {
        return finish(irp, urb, STATUS_INVALID_PARAMETER, USBD_STATUS_INVALID_PARAMETER);
    }
    info->Class = 0xFF;
    info->SubClass = 0;
    info->Protocol = 0;
    info->InterfaceHandle = kInterface;
    info->NumberOfPipes = 2;
    const UCHAR endpoints[2] = {bridge_model::kBulkInEndpoint, bridge_model::kBulkOutEndpoint};
    const USBD_PIPE_HANDLE handles[2] = {kPipeIn, kPipeOut};
    for (ULONG i = 0; i < 2; ++i) {
        USBD_PIPE_INFORMATION& pipe = info->Pipes[i];
        pipe.MaximumPacketSize = bridge_model::kPacketSize;
        pipe.EndpointAddress = endpoints[i];
        pipe.Interval = 0;
        pipe.PipeType = UsbdPipeTypeBulk;
        pipe.PipeHandle = handles[i];
    }
    select.ConfigurationHandle = kConfiguration;
    child->configured = true;
    return finish(irp, urb, STATUS_SUCCESS, USBD_STATUS_SUCCESS);
}

// The setup packet of a vendor request to the device, as the chip sees it on the bus.
NTSTATUS vendor_request(ChildExtension* child, PIRP irp, PURB urb) {
    auto& request = urb->UrbControlVendorClassRequest;
    const ULONG direction_in = (request.TransferFlags & USBD_TRANSFER_DIRECTION_IN) ? 0x80 : 0;
    RecordLine(child->bus)
        .text("vendor ")
        .hex(0x40 | direction_in | request.RequestTypeReservedBits, 2)
        .text(" request ")
        .hex(request.Request, 2)
        .text(" value ")
        .hex(request.Value, 4)
        .text(" index ")
        .hex(request.Index, 4);
    request.TransferBufferLength = 0;
    return finish(irp, urb, STATUS_SUCCESS, USBD_STATUS_SUCCESS);
}

void cancel_parked(PDEVICE_OBJECT device, PIRP irp) {
    IoReleaseCancelSpinLock(irp->CancelIrql);
    auto* child = static_cast<ChildExtension*>(device->DeviceExtension);
    KIRQL irql;
    KeAcquireSpinLock(&child->lock, &irql);
    if (child->parked_in == irp)
        child->parked_in = nullptr;
    if (child->parked_idle == irp)
        child->parked_idle = nullptr;
    KeReleaseSpinLock(&child->lock, irql);
    PURB urb = urb_of(irp);
    const bool is_urb =
        IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl.IoControlCode ==
        IOCTL_INTERNAL_USB_SUBMIT_URB;
    finish(irp, is_urb ? urb : nullptr, STATUS_CANCELLED, USBD_STATUS_CANCELED);
}

// Parks a request in `slot` until it is served, cancelled or failed.
NTSTATUS park(ChildExtension* child, PIRP& slot, PIRP irp) {
    KIRQL irql;
    KeAcquireSpinLock(&child->lock, &irql);
    if (!child->present || slot != nullptr) {
        const bool gone = !child->present;
        KeReleaseSpinLock(&child->lock, irql);
        return gone ? STATUS_DEVICE_NOT_CONNECTED : STATUS_DEVICE_BUSY;
    }
    (void)IoSetCancelRoutine(irp, cancel_parked);
    if (irp->Cancel && IoSetCancelRoutine(irp, nullptr) != nullptr) {
        KeReleaseSpinLock(&child->lock, irql);
        return STATUS_CANCELLED;
    }
    IoMarkIrpPending(irp);
    slot = irp;
    KeReleaseSpinLock(&child->lock, irql);
    return STATUS_PENDING;
}

// Takes the request out of `slot` unless its cancellation has already begun.
PIRP unpark(ChildExtension* child, PIRP& slot) {
    KIRQL irql;
    KeAcquireSpinLock(&child->lock, &irql);
    PIRP irp = slot;
    if (irp != nullptr && IoSetCancelRoutine(irp, nullptr) == nullptr) {
        irp = nullptr;  // the cancel routine owns it and clears the slot
    } else {
        slot = nullptr;
    }
    KeReleaseSpinLock(&child->lock, irql);
    return irp;
}

NTSTATUS bulk_transfer(ChildExtension* child, PIRP irp, PURB urb) {
    auto& transfer = urb->UrbBulkOrInterruptTransfer;
    if (!child->configured)
        return finish(irp, urb, STATUS_INVALID_DEVICE_STATE, USBD_STATUS_INVALID_PIPE_HANDLE);
    if (transfer.PipeHandle == kPipeIn) {
        const NTSTATUS status = park(child, child->parked_in, irp);
        if (status != STATUS_PENDING)
            return finish(irp, urb, status, USBD_STATUS_DEVICE_GONE);
        return STATUS_PENDING;
    }
    if (transfer.PipeHandle != kPipeOut)
        return finish(irp, urb, STATUS_INVALID_PARAMETER, USBD_STATUS_INVALID_PIPE_HANDLE);
    PUCHAR data = transfer_buffer(transfer.TransferBuffer, transfer.TransferBufferMDL);
    if (data == nullptr && transfer.TransferBufferLength != 0)
        return finish(irp, urb, STATUS_INVALID_PARAMETER, USBD_STATUS_INVALID_PARAMETER);
    ULONG written = 0;
    const NTSTATUS status = write_bridge_port(child, data, transfer.TransferBufferLength, &written);
    transfer.TransferBufferLength = written;
    if (!NT_SUCCESS(status))
        return finish(irp, urb, status, USBD_STATUS_DEVICE_GONE);
    return finish(irp, urb, STATUS_SUCCESS, USBD_STATUS_SUCCESS);
}

// Abort and reset of a pipe: an abort of the bulk-in pipe ends its parked transfer.
NTSTATUS pipe_request(ChildExtension* child, PIRP irp, PURB urb) {
    const USBD_PIPE_HANDLE pipe = urb->UrbPipeRequest.PipeHandle;
    if (pipe != kPipeIn && pipe != kPipeOut)
        return finish(irp, urb, STATUS_INVALID_PARAMETER, USBD_STATUS_INVALID_PIPE_HANDLE);
    if (pipe == kPipeIn && urb->UrbHeader.Function == URB_FUNCTION_ABORT_PIPE) {
        if (PIRP parked = unpark(child, child->parked_in))
            finish(parked, urb_of(parked), STATUS_CANCELLED, USBD_STATUS_CANCELED);
    }
    return finish(irp, urb, STATUS_SUCCESS, USBD_STATUS_SUCCESS);
}

NTSTATUS submit_urb(ChildExtension* child, PIRP irp) {
    PURB urb = urb_of(irp);
    if (urb == nullptr)
        return finish(irp, nullptr, STATUS_INVALID_PARAMETER, 0);
    if (!child->present)
        return finish(irp, urb, STATUS_DEVICE_NOT_CONNECTED, USBD_STATUS_DEVICE_GONE);
    switch (urb->UrbHeader.Function) {
        case URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE:
            return get_descriptor(child, irp, urb);
        case URB_FUNCTION_SELECT_CONFIGURATION:
            return select_configuration(child, irp, urb);
        case URB_FUNCTION_VENDOR_DEVICE:
            return vendor_request(child, irp, urb);
        case URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER:
            return bulk_transfer(child, irp, urb);
        case URB_FUNCTION_ABORT_PIPE:
        case URB_FUNCTION_SYNC_RESET_PIPE_AND_CLEAR_STALL:
            return pipe_request(child, irp, urb);
        default:
            return finish(irp, urb, STATUS_NOT_SUPPORTED, USBD_STATUS_INVALID_URB_FUNCTION);
    }
}

}  // namespace

NTSTATUS child_internal_control(ChildExtension* child, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    NTSTATUS status = STATUS_NOT_SUPPORTED;
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
        case IOCTL_INTERNAL_USB_SUBMIT_URB:
            return submit_urb(child, irp);
        case IOCTL_INTERNAL_USB_GET_PORT_STATUS: {
            auto* port_status = static_cast<PULONG>(stack->Parameters.Others.Argument1);
            if (port_status != nullptr)
                *port_status = child->present ? (USBD_PORT_CONNECTED | USBD_PORT_ENABLED) : 0;
            status = STATUS_SUCCESS;
            break;
        }
        case IOCTL_INTERNAL_USB_RESET_PORT:
            status = child->present ? STATUS_SUCCESS : STATUS_DEVICE_NOT_CONNECTED;
            break;
        case IOCTL_INTERNAL_USB_SUBMIT_IDLE_NOTIFICATION:
            // The hub never asks the bridge to idle: the request waits until it is cancelled.
            status = park(child, child->parked_idle, irp);
            if (status == STATUS_PENDING)
                return status;
            break;
    }
    complete_request(irp, status);
    return status;
}

void fail_parked_requests(ChildExtension* child, NTSTATUS status) {
    if (PIRP in = unpark(child, child->parked_in))
        finish(in, urb_of(in), status, USBD_STATUS_DEVICE_GONE);
    if (PIRP idle = unpark(child, child->parked_idle))
        complete_request(idle, status);
}

// Called by the port's pump thread with bytes from the port: hands as many as fit to the parked
// bulk-in transfer. Answers how many were taken (0 when no transfer is waiting).
ULONG deliver_to_bulk_in(ChildExtension* child, const UCHAR* data, ULONG length) {
    PIRP irp = unpark(child, child->parked_in);
    if (irp == nullptr)
        return 0;
    PURB urb = urb_of(irp);
    auto& transfer = urb->UrbBulkOrInterruptTransfer;
    PUCHAR out = transfer_buffer(transfer.TransferBuffer, transfer.TransferBufferMDL);
    ULONG count = transfer.TransferBufferLength < length ? transfer.TransferBufferLength : length;
    if (out == nullptr)
        count = 0;
    RtlCopyMemory(out, data, count);
    transfer.TransferBufferLength = count;
    finish(irp, urb, STATUS_SUCCESS, USBD_STATUS_SUCCESS);
    return count;
}
