// Registry parameters, the port name, the DOS link, the serial device map and the device
// interface on the real kernel.
#include "kernel_wdm.h"

namespace qmub {
namespace {

const wchar_t kParametersKey[] =
    L"\\REGISTRY\\Machine\\System\\CurrentControlSet\\SERVICES\\QMUB417K\\Parameters";
const wchar_t kDosDevices[] = L"\\DosDevices\\";
constexpr uint32_t kValueDataBytes = 256;

const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

// Reads one value of an open key into a partial-information record on the pool.
NTSTATUS QueryValue(HANDLE key, const char16_t* name, KEY_VALUE_PARTIAL_INFORMATION** info) {
    UNICODE_STRING value_name;
    RtlInitUnicodeString(&value_name, Wide(name));
    ULONG size = sizeof(KEY_VALUE_PARTIAL_INFORMATION) + kValueDataBytes;
    auto* record = static_cast<KEY_VALUE_PARTIAL_INFORMATION*>(
        ExAllocatePoolWithTag(PagedPool, size, kPoolTag));
    if (record == nullptr)
        return STATUS_INSUFFICIENT_RESOURCES;
    ULONG returned = 0;
    NTSTATUS status =
        ZwQueryValueKey(key, &value_name, KeyValuePartialInformation, record, size, &returned);
    if (!NT_SUCCESS(status)) {
        ExFreePoolWithTag(record, kPoolTag);
        return status;
    }
    *info = record;
    return STATUS_SUCCESS;
}

// "\DosDevices\" + port name, on the pool.
bool BuildDosName(const char16_t* port_name, UNICODE_STRING* dos) {
    size_t chars = 0;
    while (port_name[chars] != 0)
        ++chars;
    size_t prefix = sizeof kDosDevices / sizeof(wchar_t) - 1;
    size_t bytes = (prefix + chars + 1) * sizeof(wchar_t);
    auto* buffer = static_cast<wchar_t*>(ExAllocatePoolWithTag(PagedPool, bytes, kPoolTag));
    if (buffer == nullptr)
        return false;
    RtlCopyMemory(buffer, kDosDevices, prefix * sizeof(wchar_t));
    RtlCopyMemory(buffer + prefix, port_name, chars * sizeof(wchar_t));
    buffer[prefix + chars] = 0;
    dos->Buffer = buffer;
    dos->Length = static_cast<USHORT>((prefix + chars) * sizeof(wchar_t));
    dos->MaximumLength = static_cast<USHORT>(bytes);
    return true;
}

}  // namespace

RegistryRead WdmServices::ReadParameter(const char16_t* name, uint32_t* value) {
    UNICODE_STRING path;
    RtlInitUnicodeString(&path, kParametersKey);
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &path, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE,
                               nullptr, nullptr);
    HANDLE key = nullptr;
    NTSTATUS status = ZwOpenKey(&key, KEY_READ, &attributes);
    // The key is optional: without it every parameter keeps its preset meaning.
    if (status == STATUS_OBJECT_NAME_NOT_FOUND)
        return RegistryRead::kAbsent;
    if (!NT_SUCCESS(status))
        return RegistryRead::kFailed;
    KEY_VALUE_PARTIAL_INFORMATION* info = nullptr;
    status = QueryValue(key, name, &info);
    ZwClose(key);
    if (status == STATUS_OBJECT_NAME_NOT_FOUND)
        return RegistryRead::kAbsent;
    if (!NT_SUCCESS(status))
        return RegistryRead::kFailed;
    RegistryRead result = RegistryRead::kFailed;
    if (info->Type == REG_DWORD && info->DataLength == sizeof(ULONG)) {
        *value = *reinterpret_cast<ULONG*>(info->Data);
        result = RegistryRead::kFound;
    }
    ExFreePoolWithTag(info, kPoolTag);
    return result;
}

Status WdmServices::ReadDeviceString(const char16_t* name, char16_t* buffer, uint32_t capacity,
                                     uint32_t* chars) {
    HANDLE key = nullptr;
    NTSTATUS status = IoOpenDeviceRegistryKey(pdo_, PLUGPLAY_REGKEY_DEVICE, KEY_READ, &key);
    if (!NT_SUCCESS(status))
        return status;
    // Some kernels report a missing key with a success code and an invalid handle.
    if (key == nullptr || key == reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)))
        return STATUS_OBJECT_NAME_NOT_FOUND;
    KEY_VALUE_PARTIAL_INFORMATION* info = nullptr;
    status = QueryValue(key, name, &info);
    ZwClose(key);
    if (!NT_SUCCESS(status))
        return status;
    if (info->Type != REG_SZ) {
        ExFreePoolWithTag(info, kPoolTag);
        return STATUS_OBJECT_TYPE_MISMATCH;
    }
    uint32_t n = info->DataLength / sizeof(wchar_t);
    const auto* text = reinterpret_cast<const char16_t*>(info->Data);
    uint32_t count = 0;
    while (count < n && count + 1 < capacity && text[count] != 0) {
        buffer[count] = text[count];
        ++count;
    }
    buffer[count] = 0;
    *chars = count;
    ExFreePoolWithTag(info, kPoolTag);
    return STATUS_SUCCESS;
}

bool WdmServices::AdoptInterfaceName(UNICODE_STRING* registered) {
    USHORT bytes = static_cast<USHORT>(registered->Length + sizeof(wchar_t));
    auto* buffer = static_cast<wchar_t*>(ExAllocatePoolWithTag(PagedPool, bytes, kPoolTag));
    if (buffer == nullptr)
        return false;
    RtlCopyMemory(buffer, registered->Buffer, registered->Length);
    buffer[registered->Length / sizeof(wchar_t)] = 0;
    interface_name_.Buffer = buffer;
    interface_name_.Length = registered->Length;
    interface_name_.MaximumLength = bytes;
    return true;
}

Status WdmServices::SetInterfaceState(bool enabled) {
    if (interface_name_.Buffer == nullptr)
        return STATUS_SUCCESS;
    return IoSetDeviceInterfaceState(&interface_name_, enabled ? TRUE : FALSE);
}

Status WdmServices::CreateDosLink(const char16_t* port_name) {
    UNICODE_STRING dos;
    if (!BuildDosName(port_name, &dos))
        return STATUS_INSUFFICIENT_RESOURCES;
    NTSTATUS status = IoCreateUnprotectedSymbolicLink(&dos, &interface_name_);
    ExFreePoolWithTag(dos.Buffer, kPoolTag);
    return status;
}

void WdmServices::DeleteDosLink(const char16_t* port_name) {
    UNICODE_STRING dos;
    if (!BuildDosName(port_name, &dos))
        return;
    IoDeleteSymbolicLink(&dos);
    ExFreePoolWithTag(dos.Buffer, kPoolTag);
}

Status WdmServices::WriteSerialComm(const char16_t* port_name) {
    if (interface_name_.Buffer == nullptr)
        return STATUS_INVALID_DEVICE_STATE;
    size_t chars = 0;
    while (port_name[chars] != 0)
        ++chars;
    auto write = [&] {
        return RtlWriteRegistryValue(RTL_REGISTRY_DEVICEMAP, L"SERIALCOMM", interface_name_.Buffer,
                                     REG_SZ, const_cast<char16_t*>(port_name),
                                     static_cast<ULONG>((chars + 1) * sizeof(wchar_t)));
    };
    NTSTATUS status = write();
    // On a system without serial ports the device map has no "SERIALCOMM" key yet.
    if (!NT_SUCCESS(status) && NT_SUCCESS(RtlCreateRegistryKey(
                                   RTL_REGISTRY_DEVICEMAP, const_cast<wchar_t*>(L"SERIALCOMM")))) {
        status = write();
    }
    return status;
}

void WdmServices::DeleteSerialComm() {
    if (interface_name_.Buffer == nullptr)
        return;
    RtlDeleteRegistryValue(RTL_REGISTRY_DEVICEMAP, L"SERIALCOMM", interface_name_.Buffer);
}

void WdmServices::FreeInterfaceName() {
    if (interface_name_.Buffer != nullptr)
        ExFreePoolWithTag(interface_name_.Buffer, kPoolTag);
    interface_name_.Buffer = nullptr;
    interface_name_.Length = 0;
    interface_name_.MaximumLength = 0;
}

void WdmServices::ReportPowerD0() {
    POWER_STATE state;
    state.DeviceState = PowerDeviceD0;
    PoSetPowerState(self_, DevicePowerState, state);
    ext_->device_power_state = kPowerD0;
}

void WdmServices::DeleteDevice() {
    IoWMIRegistrationControl(self_, WMIREG_ACTION_DEREGISTER);
    FreeInterfaceName();
    KeFlushQueuedDpcs();
    DEVICE_OBJECT* self = self_;
    if (lower_ != nullptr)
        IoDetachDevice(lower_);
    IoDeleteDevice(self);
}

}  // namespace qmub
