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

    void Complete(void* request, Status status, uint64_t information) override;
    void MarkPending(void* request) override;
    Status PassDown(void* request, bool succeed) override;
    Status PassDownAndWait(void* request) override;
    void InitEvent(EventId id, EventKind kind, bool signalled) override;
    void SetEvent(EventId id) override;
    void ClearEvent(EventId id) override;
    void WaitEvent(EventId id) override;
    void Acquire(LockId id) override;
    void Release(LockId id) override;
    void ArmTimer(TimerId id, uint32_t milliseconds) override;
    void CancelTimer(TimerId id) override;
    bool StartThread(ThreadRoutine routine, void* context) override;
    void* Allocate(size_t bytes) override;
    void Free(void* memory) override;
    Status GetDescriptor(uint8_t type, uint8_t* buffer, uint32_t length,
                         uint32_t* received) override;
    Status SelectConfiguration(const uint8_t* config, uint32_t length,
                               InterfaceInfo* selected) override;
    Status Unconfigure() override;
    Status VendorRequest(uint8_t request, uint16_t value) override;
    Status AbortPipe(void* pipe) override;
    Status ResetPipe(void* pipe) override;
    void RecoverPort() override;
    UsbTransfer* NewTransfer() override;
    void FreeTransfer(UsbTransfer* transfer) override;
    Status SubmitBulk(UsbTransfer* transfer, void* pipe, bool in, uint8_t* buffer, uint32_t length,
                      TransferDone done, void* context) override;
    void CancelTransfer(UsbTransfer* transfer) override;
    RegistryRead ReadParameter(const char16_t* name, uint32_t* value) override;
    Status ReadDeviceString(const char16_t* name, char16_t* buffer, uint32_t capacity,
                            uint32_t* chars) override;
    Status SetInterfaceState(bool enabled) override;
    Status CreateDosLink(const char16_t* port_name) override;
    void DeleteDosLink(const char16_t* port_name) override;
    Status WriteSerialComm(const char16_t* port_name) override;
    void DeleteSerialComm() override;
    void FreeInterfaceName() override;
    void ReportPowerD0() override;
    void DeleteDevice() override;
    Status PassDownPower(void* request, PowerDone done, void* context) override;
    Status RequestDevicePower(uint8_t minor, uint32_t state, DevicePowerDone done,
                              void* context) override;
    void ReportDevicePower(uint32_t state) override;
    bool QueueWork(ThreadRoutine routine, void* context) override;
    Status RequestWaitWake(uint32_t system_state, void** request, DevicePowerDone done,
                           void* context) override;
    void CancelRequest(void* request) override;
    Status SubmitIdleRequest(void** request, DevicePowerDone done, void* context) override;
    void FreeIdleRequest(void* request) override;
    Status SystemControl(void* request) override;

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
