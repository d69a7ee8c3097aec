// DriverEntry, AddDevice and the dispatch routines: each turns the platform's request into the
// core's view of it and hands it to the core.
#include <initguid.h>
#include <new>

#include <ntddk.h>
#include <ntddser.h>

#include "core/serial_codes.h"
#include "kernel_wdm.h"

namespace qmub {
namespace {

// The serial device interface class of the port.
DEFINE_GUID(kPortInterfaceClass, 0x153557D9, 0xF106, 0x4594, 0xB7, 0xEE, 0x81, 0x63, 0xC2, 0xB0,
            0xE5, 0xE9);

static_assert(kPending == STATUS_PENDING && kTimeout == STATUS_TIMEOUT);
static_assert(kBufferTooSmall == STATUS_BUFFER_TOO_SMALL);
static_assert(kInvalidDeviceState == STATUS_INVALID_DEVICE_STATE);
static_assert(kDeletePending == STATUS_DELETE_PENDING && kCancelled == STATUS_CANCELLED);
static_assert(kInsufficientResources == STATUS_INSUFFICIENT_RESOURCES);
static_assert(kDeviceNotConnected == STATUS_DEVICE_NOT_CONNECTED);
static_assert(kPowerStateInvalid == STATUS_POWER_STATE_INVALID);
static_assert(kDeviceBusy == STATUS_DEVICE_BUSY && kInvalidHandle == STATUS_INVALID_HANDLE);
static_assert(serial::kSetBaudRate == IOCTL_SERIAL_SET_BAUD_RATE);
static_assert(serial::kWaitOnMask == IOCTL_SERIAL_WAIT_ON_MASK);
static_assert(serial::kGetProperties == IOCTL_SERIAL_GET_PROPERTIES);
static_assert(serial::kSetFifoControl == IOCTL_SERIAL_SET_FIFO_CONTROL);
static_assert(irp::kSurpriseRemoval == IRP_MN_SURPRISE_REMOVAL);
static_assert(irp::kQueryCapabilities == IRP_MN_QUERY_CAPABILITIES);

UNICODE_STRING g_registry_path{};

DeviceContext* ContextOf(DEVICE_OBJECT* device) {
    return static_cast<DeviceContext*>(device->DeviceExtension);
}

IoRequest ViewOf(IRP* irp) {
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    IoRequest r;
    r.handle = irp;
    r.major = stack->MajorFunction;
    r.minor = stack->MinorFunction;
    switch (stack->MajorFunction) {
        case IRP_MJ_CREATE:
        case IRP_MJ_CLOSE:
            if (stack->FileObject != nullptr) {
                r.has_file_object = true;
                r.file_name = reinterpret_cast<const char16_t*>(stack->FileObject->FileName.Buffer);
                r.file_name_chars = stack->FileObject->FileName.Length / sizeof(wchar_t);
                r.file_context = &stack->FileObject->FsContext;
            }
            break;
        case IRP_MJ_READ:
        case IRP_MJ_WRITE:
            if (irp->MdlAddress != nullptr) {
                r.has_buffer = true;
                ULONG asked = stack->MajorFunction == IRP_MJ_READ ? stack->Parameters.Read.Length
                                                                  : stack->Parameters.Write.Length;
                ULONG described = MmGetMdlByteCount(irp->MdlAddress);
                r.data_length = asked < described ? asked : described;
                if (r.data_length != 0) {
                    r.data = static_cast<uint8_t*>(
                        MmGetSystemAddressForMdlSafe(irp->MdlAddress, NormalPagePriority));
                }
            }
            break;
        case IRP_MJ_DEVICE_CONTROL: {
            ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
            r.control_code = code;
            // Only buffered controls carry a system buffer; the serial controls all are.
            if (METHOD_FROM_CTL_CODE(code) == METHOD_BUFFERED &&
                irp->AssociatedIrp.SystemBuffer != nullptr) {
                r.input = static_cast<const uint8_t*>(irp->AssociatedIrp.SystemBuffer);
                r.input_length = stack->Parameters.DeviceIoControl.InputBufferLength;
                r.output = static_cast<uint8_t*>(irp->AssociatedIrp.SystemBuffer);
                r.output_length = stack->Parameters.DeviceIoControl.OutputBufferLength;
            }
            break;
        }
        case IRP_MJ_POWER:
            if (stack->MinorFunction == IRP_MN_SET_POWER ||
                stack->MinorFunction == IRP_MN_QUERY_POWER) {
                r.power_device = stack->Parameters.Power.Type == DevicePowerState;
                r.power_state =
                    r.power_device
                        ? static_cast<uint32_t>(stack->Parameters.Power.State.DeviceState)
                        : static_cast<uint32_t>(stack->Parameters.Power.State.SystemState);
            }
            break;
        case IRP_MJ_PNP:
            if (stack->MinorFunction == IRP_MN_QUERY_CAPABILITIES) {
                r.capabilities =
                    reinterpret_cast<uint8_t*>(stack->Parameters.DeviceCapabilities.Capabilities);
            }
            break;
        default:
            break;
    }
    return r;
}

template <Status (*Handler)(BridgeExtension&, IoRequest&)>
NTSTATUS Dispatch(DEVICE_OBJECT* device, IRP* irp) {
    IoRequest request = ViewOf(irp);
    return Handler(ContextOf(device)->core, request);
}

NTSTATUS AddDevice(DRIVER_OBJECT* driver, DEVICE_OBJECT* pdo) {
    DEVICE_OBJECT* fdo = nullptr;
    NTSTATUS status = IoCreateDevice(driver, sizeof(DeviceContext), nullptr, FILE_DEVICE_UNKNOWN,
                                     FILE_AUTOGENERATED_DEVICE_NAME, TRUE, &fdo);
    if (!NT_SUCCESS(status))
        return status;
    auto* context = new (fdo->DeviceExtension) DeviceContext();
    context->services.Bind(fdo, pdo, &context->core);
    fdo->Flags |= DO_DIRECT_IO;
    status = InitializeExtension(context->core, &context->services);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(fdo);
        return status;
    }
    status = IoWMIRegistrationControl(fdo, WMIREG_ACTION_REGISTER);
    if (!NT_SUCCESS(status)) {
        ReleaseExtension(context->core);
        IoDeleteDevice(fdo);
        return status;
    }
    fdo->Flags |= pdo->Flags & DO_POWER_PAGABLE;
    POWER_STATE power;
    power.DeviceState = PowerDeviceD0;
    PoSetPowerState(fdo, DevicePowerState, power);
    DEVICE_OBJECT* lower = IoAttachDeviceToDeviceStack(fdo, pdo);
    if (lower == nullptr) {
        IoWMIRegistrationControl(fdo, WMIREG_ACTION_DEREGISTER);
        ReleaseExtension(context->core);
        IoDeleteDevice(fdo);
        return STATUS_NO_SUCH_DEVICE;
    }
    context->services.SetLower(lower);
    UNICODE_STRING registered{};
    status = IoRegisterDeviceInterface(pdo, &kPortInterfaceClass, nullptr, &registered);
    if (NT_SUCCESS(status) && !context->services.AdoptInterfaceName(&registered)) {
        status = STATUS_INSUFFICIENT_RESOURCES;
    }
    if (registered.Buffer != nullptr)
        RtlFreeUnicodeString(&registered);
    if (!NT_SUCCESS(status)) {
        IoWMIRegistrationControl(fdo, WMIREG_ACTION_DEREGISTER);
        ReleaseExtension(context->core);
        IoDetachDevice(lower);
        IoDeleteDevice(fdo);
        return status;
    }
    uint32_t wdm_level = 3;
    if (IoIsWdmVersionAvailable(1, 0x20)) {
        wdm_level = 0;
    } else if (IoIsWdmVersionAvailable(1, 0x10)) {
        wdm_level = 1;
    } else if (IoIsWdmVersionAvailable(1, 0x05)) {
        wdm_level = 2;
    }
    ReadParameters(context->core, wdm_level);
    fdo->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

void Unload(DRIVER_OBJECT*) {
    if (g_registry_path.Buffer != nullptr)
        ExFreePoolWithTag(g_registry_path.Buffer, kPoolTag);
    g_registry_path.Buffer = nullptr;
}

}  // namespace

const UNICODE_STRING* DriverRegistryPath() {
    return &g_registry_path;
}

}  // namespace qmub

extern "C" NTSTATUS DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registry_path) {
    using namespace qmub;
    // Kept for the driver's lifetime, NUL-terminated, for the WMI registration.
    USHORT bytes = static_cast<USHORT>(registry_path->Length + sizeof(wchar_t));
    auto* copy = static_cast<wchar_t*>(ExAllocatePoolWithTag(NonPagedPool, bytes, kPoolTag));
    if (copy == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    RtlZeroMemory(copy, bytes);
    RtlCopyMemory(copy, registry_path->Buffer, registry_path->Length);
    g_registry_path.Buffer = copy;
    g_registry_path.Length = registry_path->Length;
    g_registry_path.MaximumLength = bytes;

    driver->MajorFunction[IRP_MJ_CREATE] = Dispatch<DispatchCreate>;
    driver->MajorFunction[IRP_MJ_CLOSE] = Dispatch<DispatchClose>;
    driver->MajorFunction[IRP_MJ_READ] = Dispatch<DispatchRead>;
    driver->MajorFunction[IRP_MJ_WRITE] = Dispatch<DispatchWrite>;
    driver->MajorFunction[IRP_MJ_FLUSH_BUFFERS] = Dispatch<DispatchFlush>;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = Dispatch<DispatchDeviceControl>;
    driver->MajorFunction[IRP_MJ_CLEANUP] = Dispatch<DispatchCleanup>;
    driver->MajorFunction[IRP_MJ_POWER] = Dispatch<DispatchPower>;
    driver->MajorFunction[IRP_MJ_SYSTEM_CONTROL] = Dispatch<DispatchSystemControl>;
    driver->MajorFunction[IRP_MJ_PNP] = Dispatch<DispatchPnp>;
    driver->DriverExtension->AddDevice = AddDevice;
    driver->DriverUnload = Unload;
    return STATUS_SUCCESS;
}

// Called only if a pure virtual function were ever reached: never in a correct build.
extern "C" void __cxa_pure_virtual() {
    KeBugCheck(0xDEADC0DE);
}
