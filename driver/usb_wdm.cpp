// USB request blocks to the hub driver below: descriptors, configuration, vendor requests,
// pipe abort and reset, port recovery and the bulk transfers.
#include "kernel_wdm.h"

extern "C" {
#include <usb.h>
#include <usbdlib.h>
#include <usbioctl.h>
}

namespace qmub {

struct UsbTransfer {
    IRP* irp;
    _URB_BULK_OR_INTERRUPT_TRANSFER urb;
    TransferDone done;
    void* context;
    // 0 while the submission is under way, 1 once it has returned, 2 when the transfer completed
    // before it returned (the submitter then reports that completion).
    LONG phase;
    NTSTATUS early_status;
    ULONG early_length;
};

namespace {

constexpr uint32_t kMaxTransferSize = 4096;
constexpr uint32_t kInterfaceSearchLimit = 32;

// A completion that arrives before the submitter's IoCallDriver has returned is only recorded:
// the submitter reports it once the call is back. Otherwise `done` could send the transfer again
// while its first submission is still unwinding, and that submission would then take the new
// one's state for its own completion and report it a second time.
NTSTATUS TransferComplete(DEVICE_OBJECT*, IRP* irp, void* context) {
    auto* t = static_cast<UsbTransfer*>(context);
    NTSTATUS status = irp->IoStatus.Status;
    // Recorded before the exchange, which publishes them to the submitter.
    t->early_status = status;
    t->early_length = t->urb.TransferBufferLength;
    if (InterlockedCompareExchange(&t->phase, 2, 0) == 0)
        return STATUS_MORE_PROCESSING_REQUIRED;
    // The transfer belongs to the driver, which may free or resubmit it from `done`.
    t->done(t->context, status, t->urb.TransferBufferLength);
    return STATUS_MORE_PROCESSING_REQUIRED;
}

template <typename Urb>
Urb* NewUrb() {
    auto* urb = static_cast<Urb*>(ExAllocatePoolWithTag(NonPagedPool, sizeof(Urb), kPoolTag));
    if (urb != nullptr)
        RtlZeroMemory(urb, sizeof(Urb));
    return urb;
}

}  // namespace

Status WdmServices::InternalControlSync(ULONG code, void* argument) {
    KEVENT done;
    KeInitializeEvent(&done, NotificationEvent, FALSE);
    IO_STATUS_BLOCK io{};
    IRP* irp =
        IoBuildDeviceIoControlRequest(code, lower_, nullptr, 0, nullptr, 0, TRUE, &done, &io);
    if (irp == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    IoGetNextIrpStackLocation(irp)->Parameters.Others.Argument1 = argument;
    NTSTATUS status = IoCallDriver(lower_, irp);
    if (status == STATUS_PENDING) {
        KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, nullptr);
        status = io.Status;
    }
    return status;
}

Status WdmServices::SubmitUrbSync(void* urb) {
    return InternalControlSync(IOCTL_INTERNAL_USB_SUBMIT_URB, urb);
}

Status WdmServices::GetDescriptor(uint8_t type, uint8_t* buffer, uint32_t length,
                                  uint32_t* received) {
    auto* urb = NewUrb<_URB_CONTROL_DESCRIPTOR_REQUEST>();
    auto* bounce = static_cast<uint8_t*>(Allocate(length));
    NTSTATUS status = STATUS_INSUFFICIENT_RESOURCES;
    if (urb != nullptr && bounce != nullptr) {
        RtlZeroMemory(bounce, length);
        UsbBuildGetDescriptorRequest(reinterpret_cast<URB*>(urb),
                                     sizeof(_URB_CONTROL_DESCRIPTOR_REQUEST), type, 0, 0, bounce,
                                     nullptr, length, nullptr);
        status = SubmitUrbSync(urb);
        uint32_t got = urb->TransferBufferLength < length ? urb->TransferBufferLength : length;
        RtlCopyMemory(buffer, bounce, got);
        *received = got;
    }
    if (bounce != nullptr)
        Free(bounce);
    if (urb != nullptr)
        Free(urb);
    return status;
}

Status WdmServices::SelectConfiguration(const uint8_t* config, uint32_t length,
                                        InterfaceInfo* selected) {
    (void)length;
    auto* descriptor =
        reinterpret_cast<USB_CONFIGURATION_DESCRIPTOR*>(const_cast<uint8_t*>(config));
    uint32_t wanted = descriptor->bNumInterfaces;
    if (wanted == 0 || wanted > kInterfaceSearchLimit)
        return STATUS_UNSUCCESSFUL;
    size_t list_size = sizeof(USBD_INTERFACE_LIST_ENTRY) * (wanted + 1);
    auto* list = static_cast<USBD_INTERFACE_LIST_ENTRY*>(Allocate(list_size));
    if (list == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    RtlZeroMemory(list, list_size);
    // Interface numbers 0, 1, 2 ... until every announced interface is found; the search is
    // bounded for descriptors that announce more interfaces than they hold.
    uint32_t found = 0;
    for (LONG number = 0; found < wanted && number < static_cast<LONG>(kInterfaceSearchLimit);
         ++number) {
        USB_INTERFACE_DESCRIPTOR* iface =
            USBD_ParseConfigurationDescriptorEx(descriptor, descriptor, number, 0, -1, -1, -1);
        if (iface != nullptr)
            list[found++].InterfaceDescriptor = iface;
    }
    if (found == 0) {
        Free(list);
        return STATUS_UNSUCCESSFUL;
    }
    URB* urb = USBD_CreateConfigurationRequestEx(descriptor, list);
    if (urb == nullptr) {
        Free(list);
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    for (uint32_t i = 0; i < found; ++i) {
        USBD_INTERFACE_INFORMATION* info = list[i].Interface;
        for (ULONG p = 0; info != nullptr && p < info->NumberOfPipes; ++p) {
            info->Pipes[p].MaximumTransferSize = kMaxTransferSize;
        }
    }
    NTSTATUS status = SubmitUrbSync(urb);
    if (NT_SUCCESS(status)) {
        USBD_INTERFACE_INFORMATION* info = &urb->UrbSelectConfiguration.Interface;
        uint32_t pipes = info->NumberOfPipes < kMaxPipes ? info->NumberOfPipes : kMaxPipes;
        selected->pipe_count = pipes;
        for (uint32_t p = 0; p < pipes; ++p) {
            const USBD_PIPE_INFORMATION& pipe = info->Pipes[p];
            selected->pipes[p].max_packet_size = pipe.MaximumPacketSize;
            selected->pipes[p].endpoint_address = pipe.EndpointAddress;
            selected->pipes[p].interval = pipe.Interval;
            selected->pipes[p].type = static_cast<uint8_t>(pipe.PipeType);
            selected->pipes[p].handle = pipe.PipeHandle;
        }
    }
    ExFreePool(urb);
    Free(list);
    return status;
}

Status WdmServices::Unconfigure() {
    auto* urb = NewUrb<_URB_SELECT_CONFIGURATION>();
    if (urb == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    UsbBuildSelectConfigurationRequest(reinterpret_cast<URB*>(urb),
                                       sizeof(_URB_SELECT_CONFIGURATION), nullptr);
    NTSTATUS status = SubmitUrbSync(urb);
    Free(urb);
    return status;
}

Status WdmServices::VendorRequest(uint8_t request, uint16_t value) {
    auto* urb = NewUrb<_URB_CONTROL_VENDOR_OR_CLASS_REQUEST>();
    if (urb == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    UsbBuildVendorRequest(reinterpret_cast<URB*>(urb), URB_FUNCTION_VENDOR_DEVICE,
                          sizeof(_URB_CONTROL_VENDOR_OR_CLASS_REQUEST),
                          USBD_TRANSFER_DIRECTION_OUT | USBD_SHORT_TRANSFER_OK, 0, request, value,
                          0, nullptr, nullptr, 0, nullptr);
    NTSTATUS status = SubmitUrbSync(urb);
    Free(urb);
    return status;
}

static Status PipeRequest(WdmServices& services, USHORT function, void* pipe,
                          Status (WdmServices::*submit)(void*)) {
    auto* urb = NewUrb<_URB_PIPE_REQUEST>();
    if (urb == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    urb->Hdr.Length = sizeof(_URB_PIPE_REQUEST);
    urb->Hdr.Function = function;
    urb->PipeHandle = pipe;
    NTSTATUS status = (services.*submit)(urb);
    services.Free(urb);
    return status;
}

Status WdmServices::AbortPipe(void* pipe) {
    return PipeRequest(*this, URB_FUNCTION_ABORT_PIPE, pipe, &WdmServices::SubmitUrbSync);
}

Status WdmServices::ResetPipe(void* pipe) {
    return PipeRequest(*this, URB_FUNCTION_RESET_PIPE, pipe, &WdmServices::SubmitUrbSync);
}

void WdmServices::RecoverPort() {
    ULONG port_status = 0;
    if (!NT_SUCCESS(InternalControlSync(IOCTL_INTERNAL_USB_GET_PORT_STATUS, &port_status))) {
        return;
    }
    if ((port_status & USBD_PORT_CONNECTED) && !(port_status & USBD_PORT_ENABLED)) {
        InternalControlSync(IOCTL_INTERNAL_USB_RESET_PORT, nullptr);
    }
}

UsbTransfer* WdmServices::NewTransfer() {
    auto* t = static_cast<UsbTransfer*>(Allocate(sizeof(UsbTransfer)));
    if (t == nullptr)
        return nullptr;
    RtlZeroMemory(t, sizeof(UsbTransfer));
    t->irp = IoAllocateIrp(lower_->StackSize, FALSE);
    if (t->irp == nullptr) {
        Free(t);
        return nullptr;
    }
    return t;
}

void WdmServices::FreeTransfer(UsbTransfer* transfer) {
    IoFreeIrp(transfer->irp);
    Free(transfer);
}

Status WdmServices::SubmitBulk(UsbTransfer* t, void* pipe, bool in, uint8_t* buffer,
                               uint32_t length, TransferDone done, void* context) {
    IoReuseIrp(t->irp, STATUS_SUCCESS);
    RtlZeroMemory(&t->urb, sizeof t->urb);
    ULONG flags = USBD_SHORT_TRANSFER_OK | (in ? USBD_TRANSFER_DIRECTION_IN : 0);
    UsbBuildInterruptOrBulkTransferRequest(reinterpret_cast<URB*>(&t->urb),
                                           sizeof(_URB_BULK_OR_INTERRUPT_TRANSFER), pipe, buffer,
                                           nullptr, length, flags, nullptr);
    t->done = done;
    t->context = context;
    t->phase = 0;
    IO_STACK_LOCATION* next = IoGetNextIrpStackLocation(t->irp);
    next->MajorFunction = IRP_MJ_INTERNAL_DEVICE_CONTROL;
    next->Parameters.DeviceIoControl.IoControlCode = IOCTL_INTERNAL_USB_SUBMIT_URB;
    next->Parameters.Others.Argument1 = &t->urb;
    IoSetCompletionRoutine(t->irp, TransferComplete, t, TRUE, TRUE, TRUE);
    NTSTATUS status = IoCallDriver(lower_, t->irp);
    if (InterlockedCompareExchange(&t->phase, 1, 0) == 0)
        return STATUS_PENDING;
    // The transfer completed before the call returned. A failure the call itself returns is the
    // submission's failure (done does not run); any other end is reported through `done`, now
    // that the request is back and may be sent again.
    if (!NT_SUCCESS(status) && status != STATUS_PENDING)
        return status;
    done(context, t->early_status, t->early_length);
    return STATUS_PENDING;
}

void WdmServices::CancelTransfer(UsbTransfer* transfer) {
    IoCancelIrp(transfer->irp);
}

}  // namespace qmub
