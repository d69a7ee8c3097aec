// The simulated bridge at the USB request block level: the descriptors, the configuration, the
// vendor requests (recorded with their setup fields), the abort of pipes and the bulk transfers
// that carry the byte stream. A bulk-out transfer is kept for the echo at once; a bulk-in
// transfer takes the echo, or waits (parked, cancellable) until there is some.
#include "bridge_bus.h"
// clang-format off
#include <usb.h>
#include <usbioctl.h>
// clang-format on

// Exported by the kernel, declared only in the file-system headers.
extern "C" NTSYSAPI NTSTATUS NTAPI ZwWaitForSingleObject(HANDLE handle, BOOLEAN alertable,
                                                         PLARGE_INTEGER timeout);

namespace {

// Pipe handles the bridge hands out at select-configuration; any other value is not a pipe.
const USBD_PIPE_HANDLE kPipes[2] = {reinterpret_cast<USBD_PIPE_HANDLE>(ULONG_PTR{0xB1}),
                                    reinterpret_cast<USBD_PIPE_HANDLE>(ULONG_PTR{0xB2})};

PURB urb_of(PIRP irp) {
    return static_cast<PURB>(IoGetCurrentIrpStackLocation(irp)->Parameters.Others.Argument1);
}

// The system address of a transfer's buffer: the plain pointer, else the mapped description.
PUCHAR transfer_buffer(PVOID buffer, PMDL mdl) {
    if (buffer == nullptr && mdl != nullptr)
        buffer = MmGetSystemAddressForMdlSafe(mdl, NormalPagePriority);
    return static_cast<PUCHAR>(buffer);
}

NTSTATUS finish(PIRP irp, PURB urb, NTSTATUS status, USBD_STATUS usb_status) {
    if (urb != nullptr)
        urb->UrbHeader.Status = usb_status;
    complete_request(irp, status);
    return status;
}

NTSTATUS get_descriptor(ChildExtension* child, PIRP irp, PURB urb) {
    auto& request = urb->UrbControlDescriptorRequest;
    const bool device = request.DescriptorType == USB_DEVICE_DESCRIPTOR_TYPE;
    if ((!device && request.DescriptorType != USB_CONFIGURATION_DESCRIPTOR_TYPE) ||
        request.Index != 0) {
        return finish(irp, urb, STATUS_UNSUCCESSFUL, USBD_STATUS_STALL_PID);
    }
    UCHAR bytes[bridge_model::kConfigurationSize];
    const ULONG size = bridge_model::descriptor(child->ids, !device, bytes);
    PUCHAR out = transfer_buffer(request.TransferBuffer, request.TransferBufferMDL);
    const ULONG length = out == nullptr ? 0 : least(request.TransferBufferLength, size);
    RtlCopyMemory(out, bytes, length);
    request.TransferBufferLength = length;
    return finish(irp, urb, STATUS_SUCCESS, USBD_STATUS_SUCCESS);
}

// Fills the interface information of a select-configuration request: the one interface with
// its two bulk pipes. The request's own lengths bound what is written.
NTSTATUS select_configuration(PIRP irp, PURB urb) {
    auto& select = urb->UrbSelectConfiguration;
    if (select.ConfigurationDescriptor == nullptr)
        return finish(irp, urb, STATUS_SUCCESS, USBD_STATUS_SUCCESS);
    PUSBD_INTERFACE_INFORMATION info = &select.Interface;
    if (info->Length <
        FIELD_OFFSET(USBD_INTERFACE_INFORMATION, Pipes) + 2 * sizeof(USBD_PIPE_INFORMATION)) {
        return finish(irp, urb, STATUS_INVALID_PARAMETER, USBD_STATUS_INVALID_PARAMETER);
    }
    info->NumberOfPipes = 2;
    const UCHAR endpoints[2] = {bridge_model::kBulkInEndpoint, bridge_model::kBulkOutEndpoint};
    for (ULONG i = 0; i < 2; ++i) {
        info->Pipes[i].MaximumPacketSize = bridge_model::kPacketSize;
        info->Pipes[i].EndpointAddress = endpoints[i];
        info->Pipes[i].PipeType = UsbdPipeTypeBulk;
        info->Pipes[i].PipeHandle = kPipes[i];
    }
    return finish(irp, urb, STATUS_SUCCESS, USBD_STATUS_SUCCESS);
}

void cancel_parked(PDEVICE_OBJECT device, PIRP irp) {
    IoReleaseCancelSpinLock(irp->CancelIrql);
    auto* child = static_cast<ChildExtension*>(device->DeviceExtension);
    KIRQL irql;
    KeAcquireSpinLock(&child->lock, &irql);
    child->parked_in = nullptr;
    KeReleaseSpinLock(&child->lock, irql);
    finish(irp, urb_of(irp), STATUS_CANCELLED, USBD_STATUS_CANCELED);
}

// Parks a bulk-in transfer until it is served, cancelled or failed.
NTSTATUS park(ChildExtension* child, PIRP irp) {
    KIRQL irql;
    KeAcquireSpinLock(&child->lock, &irql);
    NTSTATUS status = !child->present               ? STATUS_DEVICE_NOT_CONNECTED
                      : child->parked_in != nullptr ? STATUS_DEVICE_BUSY
                                                    : STATUS_PENDING;
    if (status == STATUS_PENDING) {
        (void)IoSetCancelRoutine(irp, cancel_parked);
        if (irp->Cancel && IoSetCancelRoutine(irp, nullptr) != nullptr) {
            status = STATUS_CANCELLED;
        } else {
            IoMarkIrpPending(irp);
            child->parked_in = irp;
        }
    }
    KeReleaseSpinLock(&child->lock, irql);
    return status;
}

// Takes the parked bulk-in transfer unless its cancellation has already begun.
PIRP unpark(ChildExtension* child) {
    KIRQL irql;
    KeAcquireSpinLock(&child->lock, &irql);
    PIRP irp = child->parked_in;
    if (irp != nullptr && IoSetCancelRoutine(irp, nullptr) == nullptr)
        irp = nullptr;  // the cancel routine owns it and clears the slot
    else
        child->parked_in = nullptr;
    KeReleaseSpinLock(&child->lock, irql);
    return irp;
}

// Hands the echo to the parked bulk-in transfer, if both are there.
void serve_bulk_in(ChildExtension* child) {
    KIRQL irql;
    KeAcquireSpinLock(&child->lock, &irql);
    PIRP irp = child->echo_length > 0 ? child->parked_in : nullptr;
    if (irp != nullptr && IoSetCancelRoutine(irp, nullptr) == nullptr)
        irp = nullptr;  // the cancel routine owns it and clears the slot
    if (irp != nullptr) {
        child->parked_in = nullptr;
        auto& transfer = urb_of(irp)->UrbBulkOrInterruptTransfer;
        PUCHAR out = transfer_buffer(transfer.TransferBuffer, transfer.TransferBufferMDL);
        const ULONG count =
            out == nullptr ? 0 : least(transfer.TransferBufferLength, child->echo_length);
        RtlCopyMemory(out, child->echo, count);
        RtlMoveMemory(child->echo, child->echo + count, child->echo_length - count);
        child->echo_length -= count;
        transfer.TransferBufferLength = count;
    }
    KeReleaseSpinLock(&child->lock, irql);
    if (irp != nullptr)
        finish(irp, urb_of(irp), STATUS_SUCCESS, USBD_STATUS_SUCCESS);
}

// A bulk-out transfer keeps what fits of its bytes for the echo; a bulk-in transfer waits for it.
NTSTATUS bulk_transfer(ChildExtension* child, PIRP irp, PURB urb) {
    auto& transfer = urb->UrbBulkOrInterruptTransfer;
    PUCHAR data = transfer_buffer(transfer.TransferBuffer, transfer.TransferBufferMDL);
    if (data == nullptr || (transfer.PipeHandle != kPipes[0] && transfer.PipeHandle != kPipes[1]))
        return finish(irp, urb, STATUS_INVALID_PARAMETER, USBD_STATUS_INVALID_PARAMETER);
    if (transfer.PipeHandle == kPipes[1]) {
        KIRQL irql;
        KeAcquireSpinLock(&child->lock, &irql);
        transfer.TransferBufferLength =
            least(transfer.TransferBufferLength, sizeof(child->echo) - child->echo_length);
        RtlCopyMemory(child->echo + child->echo_length, data, transfer.TransferBufferLength);
        child->echo_length += transfer.TransferBufferLength;
        KeReleaseSpinLock(&child->lock, irql);
        return finish(irp, urb, STATUS_SUCCESS, USBD_STATUS_SUCCESS);
    }
    const NTSTATUS status = park(child, irp);
    if (status != STATUS_PENDING)
        return finish(irp, urb, status, USBD_STATUS_DEVICE_GONE);
    // Echoed bytes that are already waiting complete the transfer inside its submission, which
    // a host controller may also do; the driver must not send it again before the call returns.
    serve_bulk_in(child);
    return STATUS_PENDING;
}

NTSTATUS submit_urb(ChildExtension* child, PIRP irp) {
    PURB urb = urb_of(irp);
    if (!child->present)
        return finish(irp, urb, STATUS_DEVICE_NOT_CONNECTED, USBD_STATUS_DEVICE_GONE);
    switch (urb->UrbHeader.Function) {
        case URB_FUNCTION_GET_DESCRIPTOR_FROM_DEVICE:
            return get_descriptor(child, irp, urb);
        case URB_FUNCTION_SELECT_CONFIGURATION:
            return select_configuration(irp, urb);
        case URB_FUNCTION_VENDOR_DEVICE: {
            // The setup packet as the chip sees it on the bus.
            auto& request = urb->UrbControlVendorClassRequest;
            const ULONG setup[4] = {
                0x40u | ((request.TransferFlags & USBD_TRANSFER_DIRECTION_IN) ? 0x80u : 0u),
                request.Request, request.Value, request.Index};
            record(child->bus, "vendor", setup, 4);
            request.TransferBufferLength = 0;
            return finish(irp, urb, STATUS_SUCCESS, USBD_STATUS_SUCCESS);
        }
        case URB_FUNCTION_BULK_OR_INTERRUPT_TRANSFER:
            return bulk_transfer(child, irp, urb);
        case URB_FUNCTION_ABORT_PIPE:
            // An abort ends the parked bulk-in transfer.
            if (PIRP parked = unpark(child))
                finish(parked, urb_of(parked), STATUS_CANCELLED, USBD_STATUS_CANCELED);
            [[fallthrough]];
        case URB_FUNCTION_RESET_PIPE:
            return finish(irp, urb, STATUS_SUCCESS, USBD_STATUS_SUCCESS);
        default:
            return finish(irp, urb, STATUS_NOT_SUPPORTED, USBD_STATUS_INVALID_URB_FUNCTION);
    }
}

}  // namespace

// The request blocks; the hub's other requests (port status and reset, idle) are not supported.
NTSTATUS child_internal_control(ChildExtension* child, PIRP irp) {
    const auto& parameters = IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl;
    if (parameters.IoControlCode == IOCTL_INTERNAL_USB_SUBMIT_URB)
        return submit_urb(child, irp);
    complete_request(irp, STATUS_NOT_SUPPORTED);
    return STATUS_NOT_SUPPORTED;
}

void fail_parked_requests(ChildExtension* child, NTSTATUS status) {
    if (PIRP in = unpark(child))
        finish(in, urb_of(in), status, USBD_STATUS_DEVICE_GONE);
}

namespace {

// Serves the parked bulk-in transfer every millisecond from a thread of its own, for bytes that
// arrive while it waits.
void pump_main(PVOID context) {
    auto* child = static_cast<ChildExtension*>(context);
    LARGE_INTEGER pause;
    pause.QuadPart = -10000;  // 1 ms
    while (!child->pump_stop) {
        serve_bulk_in(child);
        KeDelayExecutionThread(KernelMode, FALSE, &pause);
    }
    PsTerminateSystemThread(STATUS_SUCCESS);
}

}  // namespace

NTSTATUS start_pump(ChildExtension* child) {
    return PsCreateSystemThread(&child->pump, THREAD_ALL_ACCESS, nullptr, nullptr, nullptr,
                                pump_main, child);
}

void stop_pump(ChildExtension* child) {
    if (child->pump == nullptr)
        return;
    InterlockedExchange(&child->pump_stop, 1);
    ZwWaitForSingleObject(child->pump, FALSE, nullptr);
    ZwClose(child->pump);
    child->pump = nullptr;
}
