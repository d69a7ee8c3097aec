// Bridge configuration at start, the two vendor requests, pipe abort at removal.
#include "internal.h"
#include "line_coding.h"

namespace qmub {
namespace {

constexpr uint8_t kDeviceDescriptor = 1;
constexpr uint8_t kConfigurationDescriptor = 2;
constexpr uint32_t kDeviceDescriptorLength = 18;
constexpr uint32_t kConfigurationHeaderLength = 9;
constexpr uint8_t kRemoteWakeup = 0x20;

// Every synchronous request block holds an operation count while it runs.
class CountedCall {
public:
    explicit CountedCall(BridgeExtension& ext) : ext_(ext) { IoIncrement(ext_); }
    ~CountedCall() { IoDecrement(ext_); }
    CountedCall(const CountedCall&) = delete;
    CountedCall& operator=(const CountedCall&) = delete;

private:
    BridgeExtension& ext_;
};

// The descriptors come from the device: each must have a sane length and lie inside the whole.
bool DescriptorChainIsSound(const uint8_t* config, uint32_t length) {
    uint32_t at = 0;
    while (at + 2 <= length) {
        uint8_t size = config[at];
        if (size < 2 || at + size > length)
            return false;
        at += size;
    }
    return at == length;
}

}  // namespace

Status Configure(BridgeExtension& ext) {
    KernelServices& k = *ext.kernel;
    CountedCall counted(ext);
    uint8_t device[kDeviceDescriptorLength] = {};
    uint32_t received = 0;
    Status status = k.GetDescriptor(kDeviceDescriptor, device, sizeof device, &received);
    if (!IsSuccess(status))
        return status;

    uint8_t header[kConfigurationHeaderLength] = {};
    status = k.GetDescriptor(kConfigurationDescriptor, header, sizeof header, &received);
    if (!IsSuccess(status))
        return status;
    uint32_t total = LoadLe16(header + 2);
    if (received < kConfigurationHeaderLength || total < kConfigurationHeaderLength) {
        return kUnsuccessful;
    }
    auto* config = static_cast<uint8_t*>(k.Allocate(total));
    if (config == nullptr)
        return kInsufficientResources;
    status = k.GetDescriptor(kConfigurationDescriptor, config, total, &received);
    if (IsSuccess(status) && (received != total || !DescriptorChainIsSound(config, total))) {
        status = kUnsuccessful;
    }
    if (!IsSuccess(status)) {
        k.Free(config);
        return status;
    }
    ext.config_descriptor = config;
    ext.config_length = total;
    ext.wait_wake_enabled = (config[7] & kRemoteWakeup) ? 1 : 0;

    InterfaceInfo selected;
    status = k.SelectConfiguration(config, total, &selected);
    if (!IsSuccess(status))
        return status;
    if (selected.pipe_count > kMaxPipes)
        selected.pipe_count = kMaxPipes;
    ext.interface_info = selected;
    FillBytes(ext.pipe_open, 0, sizeof ext.pipe_open);
    ext.configured = true;

    if (ext.serial_emulation == 0) {
        ext.baud_rate.Store(2400);
        {
            LockHold hold(ext, LockId::kSettings);
            ext.line_control = 3;
        }
        status = SendLineCoding(ext);
    }
    return status;
}

Status Unconfigure(BridgeExtension& ext) {
    CountedCall counted(ext);
    return ext.kernel->Unconfigure();
}

void FreeConfiguration(BridgeExtension& ext) {
    if (ext.config_descriptor != nullptr)
        ext.kernel->Free(ext.config_descriptor);
    ext.config_descriptor = nullptr;
    ext.config_length = 0;
    ext.configured = false;
    ext.interface_info.pipe_count = 0;
    ext.read_binding = nullptr;
    ext.write_binding = nullptr;
    FillBytes(ext.pipe_open, 0, sizeof ext.pipe_open);
}

void AbortPipes(BridgeExtension& ext) {
    if (!ext.configured)
        return;
    for (uint32_t i = 0; i < ext.interface_info.pipe_count; ++i) {
        if (ext.pipe_open[i] != 1)
            continue;
        CountedCall counted(ext);
        if (IsSuccess(ext.kernel->AbortPipe(ext.interface_info.pipes[i].handle))) {
            ext.pipe_open[i] = 0;
        }
    }
}

Status SendLineCoding(BridgeExtension& ext) {
    uint32_t rate = ext.baud_rate.Load();
    uint8_t line_control = 0;
    {
        LockHold hold(ext, LockId::kSettings);
        line_control = ext.line_control;
    }
    uint16_t value = 0;
    if (!LineCodingValue(rate, line_control, &value))
        return kInvalidParameter;
    CountedCall counted(ext);
    return ext.kernel->VendorRequest(kVendorLineCoding, value);
}

Status SendDtrState(BridgeExtension& ext, bool raise) {
    CountedCall counted(ext);
    return ext.kernel->VendorRequest(kVendorDtr, raise ? 0x0100 : 0x0000);
}

}  // namespace qmub
