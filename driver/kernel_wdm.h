// The kernel-services seam on the real kernel, and the device extension that holds it.
#pragma once

#include <ntddk.h>

#include "core/bridge_extension.h"

namespace qmub {

struct UsbTransfer;

class WdmServices final : public KernelServices {
public:
    void Bind(DEVICE_OBJECT* self, DEVICE_OBJECT* pdo, BridgeExtension* ext);
    void SetLower(DEVICE_OBJECT* lower) { lower_ = lower; }
    DEVICE_OBJECT* lower() const { return lower_; }
    UNICODE_STRING* interface_name() { return &interface_name_; }
    // Makes a NUL-terminated copy of the registered interface name; false without memory.
    bool AdoptInterfaceName(UNICODE_STRING* registered);

    QMUB_KERNEL_SERVICES(QMUB_KERNEL_OVERRIDE)

private:
    static void ReadTimerDpc(KDPC* dpc, void* context, void* arg1, void* arg2);
    static void WaitTimerDpc(KDPC* dpc, void* context, void* arg1, void* arg2);
    static void IdleTimerDpc(KDPC* dpc, void* context, void* arg1, void* arg2);
    static void ThreadStart(void* context);
    Status SubmitUrbSync(void* urb);
    Status InternalControlSync(ULONG code, void* argument);

    DEVICE_OBJECT* self_ = nullptr;
    DEVICE_OBJECT* pdo_ = nullptr;
    DEVICE_OBJECT* lower_ = nullptr;
    BridgeExtension* ext_ = nullptr;
    UNICODE_STRING interface_name_{};
    KEVENT events_[static_cast<int>(EventId::kCount)];
    KSPIN_LOCK locks_[static_cast<int>(LockId::kCount)];
    KIRQL lock_irql_[static_cast<int>(LockId::kCount)];
    // Each timer of the core is two kernel timers used in turn, so that a timer routine that
    // arms its timer again never sets the kernel timer it is running from: some kernels (Wine)
    // cancel a set timer first and wait for its routine, which would wait for itself.
    KTIMER timers_[static_cast<int>(TimerId::kCount)][2];
    KDPC dpcs_[static_cast<int>(TimerId::kCount)][2];
    int last_armed_[static_cast<int>(TimerId::kCount)] = {};
    ThreadRoutine thread_routine_ = nullptr;
    void* thread_context_ = nullptr;
};

// The device extension: the core's record and the services it runs on.
struct DeviceContext {
    BridgeExtension core;
    WdmServices services;
};

// The copy of DriverEntry's registry path, kept for the driver's lifetime (WMI reports it).
const UNICODE_STRING* DriverRegistryPath();

inline constexpr ULONG kPoolTag = 0x4B6C7542;  // reads "BulK" in memory

}  // namespace qmub
