// WMI requests on the real kernel: the registration information and the requests for the
// driver's one data block, decoded here and answered by the core's handlers. Nothing is
// imported from the WMI library (Wine ships none).
#include "kernel_wdm.h"

#include <wmistr.h>

namespace qmub {
namespace {

// The data block's GUID {BBA21300-6DD3-11D2-B844-00C04FAD5171}.
constexpr GUID kBlockGuid = {
    0xBBA21300, 0x6DD3, 0x11D2, {0xB8, 0x44, 0x00, 0xC0, 0x4F, 0xAD, 0x51, 0x71}};
constexpr wchar_t kMofResourceName[] = L"MofResourceName";

static_assert(kInfoLengthMismatch == STATUS_INFO_LENGTH_MISMATCH);
static_assert(kWmiGuidNotFound == STATUS_WMI_GUID_NOT_FOUND);
static_assert(kWmiReadOnly == STATUS_WMI_READ_ONLY);

ULONG AlignUp8(ULONG n) {
    return (n + 7) & ~ULONG{7};
}

bool SameGuid(const GUID& a, const GUID& b) {
    return RtlCompareMemory(&a, &b, sizeof(GUID)) == sizeof(GUID);
}

// The block's GUID index: 0 for the driver's block, 1 (not found) for any other.
uint32_t GuidIndex(const void* data_path) {
    return data_path != nullptr && SameGuid(*static_cast<const GUID*>(data_path), kBlockGuid) ? 0
                                                                                              : 1;
}

// Writes a counted string (a 16-bit byte count, then the characters) at offset.
ULONG PutCountedString(uint8_t* buffer, ULONG offset, const wchar_t* text, ULONG bytes) {
    StoreLe16(buffer + offset, static_cast<uint16_t>(bytes));
    RtlCopyMemory(buffer + offset + sizeof(USHORT), text, bytes);
    return offset + sizeof(USHORT) + bytes;
}

// The answer when the caller's buffer cannot take the whole result: the size needed.
NTSTATUS TooSmall(uint8_t* buffer, ULONG buffer_size, ULONG needed, ULONG_PTR* information) {
    if (buffer_size < sizeof(WNODE_TOO_SMALL))
        return STATUS_BUFFER_TOO_SMALL;
    auto* node = reinterpret_cast<WNODE_TOO_SMALL*>(buffer);
    node->WnodeHeader.BufferSize = sizeof(WNODE_TOO_SMALL);
    node->WnodeHeader.Flags |= WNODE_FLAG_TOO_SMALL;
    node->SizeNeeded = needed;
    *information = sizeof(WNODE_TOO_SMALL);
    return STATUS_SUCCESS;
}

NTSTATUS RegistrationInfo(DEVICE_OBJECT* pdo, uint8_t* buffer, ULONG buffer_size,
                          ULONG_PTR* information) {
    const UNICODE_STRING* path = DriverRegistryPath();
    ULONG path_offset = sizeof(WMIREGINFOW) + sizeof(WMIREGGUIDW);
    ULONG mof_offset = path_offset + sizeof(USHORT) + path->Length;
    ULONG mof_bytes = sizeof(kMofResourceName) - sizeof(wchar_t);
    ULONG needed = mof_offset + sizeof(USHORT) + mof_bytes;
    if (buffer == nullptr || buffer_size < needed) {
        if (buffer == nullptr || buffer_size < sizeof(ULONG))
            return STATUS_BUFFER_TOO_SMALL;
        StoreLe32(buffer, needed);
        *information = sizeof(ULONG);
        return STATUS_BUFFER_TOO_SMALL;
    }
    RtlZeroMemory(buffer, needed);
    auto* info = reinterpret_cast<WMIREGINFOW*>(buffer);
    info->BufferSize = needed;
    info->NextWmiRegInfo = 0;
    info->RegistryPath = path_offset;
    info->MofResourceName = mof_offset;
    info->GuidCount = 1;
    info->WmiRegGuid[0].Guid = kBlockGuid;
    info->WmiRegGuid[0].Flags = WMIREG_FLAG_INSTANCE_PDO;
    info->WmiRegGuid[0].InstanceCount = 1;
    info->WmiRegGuid[0].Pdo = reinterpret_cast<ULONG_PTR>(pdo);
    PutCountedString(buffer, path_offset, path->Buffer, path->Length);
    PutCountedString(buffer, mof_offset, kMofResourceName, mof_bytes);
    *information = needed;
    return STATUS_SUCCESS;
}

NTSTATUS QueryAllData(uint32_t index, uint8_t* buffer, ULONG buffer_size, ULONG_PTR* information) {
    if (index != 0)
        return STATUS_WMI_GUID_NOT_FOUND;
    if (buffer_size < sizeof(WNODE_ALL_DATA))
        return STATUS_BUFFER_TOO_SMALL;
    auto* node = reinterpret_cast<WNODE_ALL_DATA*>(buffer);
    ULONG offset = AlignUp8(sizeof(WNODE_ALL_DATA));
    uint32_t needed = 0;
    Status status = WmiQueryDataBlock(index, buffer_size > offset ? buffer + offset : nullptr,
                                      buffer_size > offset ? buffer_size - offset : 0, &needed);
    if (status == kBufferTooSmall)
        return TooSmall(buffer, buffer_size, offset + needed, information);
    if (!IsSuccess(status))
        return status;
    node->WnodeHeader.BufferSize = offset + needed;
    node->WnodeHeader.Flags |= WNODE_FLAG_FIXED_INSTANCE_SIZE;
    node->DataBlockOffset = offset;
    node->InstanceCount = 1;
    node->FixedInstanceSize = needed;
    *information = offset + needed;
    return STATUS_SUCCESS;
}

// The data of a single-instance node lies at DataBlockOffset, inside the node's buffer.
bool DataInside(ULONG buffer_size, ULONG offset, ULONG size) {
    return offset <= buffer_size && size <= buffer_size - offset;
}

NTSTATUS QuerySingleInstance(uint32_t index, uint8_t* buffer, ULONG buffer_size,
                             ULONG_PTR* information) {
    if (index != 0)
        return STATUS_WMI_GUID_NOT_FOUND;
    if (buffer_size < sizeof(WNODE_SINGLE_INSTANCE))
        return STATUS_BUFFER_TOO_SMALL;
    auto* node = reinterpret_cast<WNODE_SINGLE_INSTANCE*>(buffer);
    ULONG offset = node->DataBlockOffset;
    if (offset < sizeof(WNODE_SINGLE_INSTANCE) || offset > buffer_size)
        return STATUS_INVALID_PARAMETER;
    uint32_t needed = 0;
    Status status = WmiQueryDataBlock(index, buffer + offset, buffer_size - offset, &needed);
    if (status == kBufferTooSmall)
        return TooSmall(buffer, buffer_size, offset + needed, information);
    if (!IsSuccess(status))
        return status;
    node->SizeDataBlock = needed;
    node->WnodeHeader.BufferSize = offset + needed;
    *information = offset + needed;
    return STATUS_SUCCESS;
}

NTSTATUS ChangeSingleInstance(uint32_t index, uint8_t* buffer, ULONG buffer_size) {
    if (index != 0)
        return STATUS_WMI_GUID_NOT_FOUND;
    if (buffer_size < sizeof(WNODE_SINGLE_INSTANCE))
        return STATUS_BUFFER_TOO_SMALL;
    auto* node = reinterpret_cast<WNODE_SINGLE_INSTANCE*>(buffer);
    if (!DataInside(buffer_size, node->DataBlockOffset, node->SizeDataBlock))
        return STATUS_INVALID_PARAMETER;
    return WmiSetDataBlock(index, buffer + node->DataBlockOffset, node->SizeDataBlock);
}

NTSTATUS ChangeSingleItem(uint32_t index, uint8_t* buffer, ULONG buffer_size) {
    if (index != 0)
        return STATUS_WMI_GUID_NOT_FOUND;
    if (buffer_size < sizeof(WNODE_SINGLE_ITEM))
        return STATUS_BUFFER_TOO_SMALL;
    auto* node = reinterpret_cast<WNODE_SINGLE_ITEM*>(buffer);
    if (!DataInside(buffer_size, node->DataBlockOffset, node->SizeDataItem))
        return STATUS_INVALID_PARAMETER;
    return WmiSetDataItem(index, node->ItemId, buffer + node->DataBlockOffset, node->SizeDataItem);
}

}  // namespace

Status WdmServices::SystemControl(void* request) {
    IRP* irp = static_cast<IRP*>(request);
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    // Requests for another provider in the stack are not this driver's.
    if (stack->Parameters.WMI.ProviderId != reinterpret_cast<ULONG_PTR>(self_))
        return PassDown(request, false);
    auto* buffer = static_cast<uint8_t*>(stack->Parameters.WMI.Buffer);
    ULONG size = buffer != nullptr ? stack->Parameters.WMI.BufferSize : 0;
    uint32_t index = GuidIndex(stack->Parameters.WMI.DataPath);
    ULONG_PTR information = 0;
    NTSTATUS status = STATUS_INVALID_DEVICE_REQUEST;
    switch (stack->MinorFunction) {
        case IRP_MN_REGINFO:
        case IRP_MN_REGINFO_EX:
            status = RegistrationInfo(pdo_, buffer, size, &information);
            break;
        case IRP_MN_QUERY_ALL_DATA:
            status = QueryAllData(index, buffer, size, &information);
            break;
        case IRP_MN_QUERY_SINGLE_INSTANCE:
            status = QuerySingleInstance(index, buffer, size, &information);
            break;
        case IRP_MN_CHANGE_SINGLE_INSTANCE:
            status = ChangeSingleInstance(index, buffer, size);
            break;
        case IRP_MN_CHANGE_SINGLE_ITEM:
            status = ChangeSingleItem(index, buffer, size);
            break;
        default:
            // Method execution and function control are not provided.
            break;
    }
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

}  // namespace qmub
