// The one seam between the driver core and the kernel it runs in. The WDM glue implements it
// on the real kernel (driver/*_wdm.cpp); the native tests implement it with a simulated kernel
// and a simulated bridge chip (tests/driver/).
#pragma once

#include "status.h"

namespace qmub {

// Kernel objects of one device, named by role. The implementation owns their storage.
enum class EventId : uint8_t {
    kPumpThreadDone,
    kPumpSettled,
    kPumpRunEnded,
    kCloseIdle,
    kNoReadHeld,
    kNoWaitHeld,
    kRemove,
    kStop,
    kNoWaitWake,
    kNoIdleDpcPending,
    kNoIdleRequestPending,
    kIdlePowerDone,
    kCount
};
enum class EventKind : uint8_t { kNotification, kSynchronization };
enum class LockId : uint8_t { kState, kIoCount, kPump, kRing, kSettings, kIdle, kCount };
enum class TimerId : uint8_t { kRead, kWait, kIdle, kCount };

// An I/O request as the core sees it: the glue decodes the platform's request into this view
// and keeps the request itself behind `handle`.
struct IoRequest {
    void* handle = nullptr;
    uint8_t major = 0;
    uint8_t minor = 0;
    uint32_t control_code = 0;
    // Buffered I/O controls: input and output may be the same memory (the platform's system
    // buffer), so handlers read all input before they write output.
    const uint8_t* input = nullptr;
    uint32_t input_length = 0;
    uint8_t* output = nullptr;
    uint32_t output_length = 0;
    // Reads and writes: the locked buffer's system address (null when it could not be mapped),
    // its byte count, and whether the request carries a buffer description at all.
    bool has_buffer = false;
    uint8_t* data = nullptr;
    uint32_t data_length = 0;
    // Opens and closes: the file object, its name (UTF-16, not terminated) and its context cell.
    bool has_file_object = false;
    const char16_t* file_name = nullptr;
    uint32_t file_name_chars = 0;
    void** file_context = nullptr;
    // Query-capabilities: the caller's 64-byte capabilities record.
    uint8_t* capabilities = nullptr;
    // Power requests: whether the target is a device state (else a system state), and the
    // target (system: 1 working .. 6 off; device: 1 D0 .. 4 D3).
    bool power_device = false;
    uint32_t power_state = 0;
};

// Major and minor request codes (the platform's numbering).
namespace irp {
inline constexpr uint8_t kCreate = 0x00;
inline constexpr uint8_t kClose = 0x02;
inline constexpr uint8_t kRead = 0x03;
inline constexpr uint8_t kWrite = 0x04;
inline constexpr uint8_t kFlushBuffers = 0x09;
inline constexpr uint8_t kDeviceControl = 0x0E;
inline constexpr uint8_t kCleanup = 0x12;
inline constexpr uint8_t kPower = 0x16;
inline constexpr uint8_t kSystemControl = 0x17;
inline constexpr uint8_t kPnp = 0x1B;

inline constexpr uint8_t kStartDevice = 0x00;
inline constexpr uint8_t kQueryRemoveDevice = 0x01;
inline constexpr uint8_t kRemoveDevice = 0x02;
inline constexpr uint8_t kCancelRemoveDevice = 0x03;
inline constexpr uint8_t kStopDevice = 0x04;
inline constexpr uint8_t kQueryStopDevice = 0x05;
inline constexpr uint8_t kCancelStopDevice = 0x06;
inline constexpr uint8_t kQueryCapabilities = 0x09;
inline constexpr uint8_t kSurpriseRemoval = 0x17;

inline constexpr uint8_t kWaitWake = 0x00;
inline constexpr uint8_t kPowerSequence = 0x01;
inline constexpr uint8_t kSetPower = 0x02;
inline constexpr uint8_t kQueryPower = 0x03;
}  // namespace irp

// USB pipe types (the platform's numbering).
inline constexpr uint8_t kPipeBulk = 2;
inline constexpr uint32_t kMaxPipes = 32;

struct PipeInfo {
    uint16_t max_packet_size = 0;
    uint8_t endpoint_address = 0;
    uint8_t interval = 0;
    uint8_t type = 0;
    void* handle = nullptr;
};

struct InterfaceInfo {
    uint32_t pipe_count = 0;
    PipeInfo pipes[kMaxPipes];
};

// One USB transfer object (request plus request block) owned by the core between
// NewTransfer and FreeTransfer and reusable for any number of submissions.
struct UsbTransfer;
using TransferDone = void (*)(void* context, Status status, uint32_t transferred);
using ThreadRoutine = void (*)(void* context);
// A power request the core passed down has come back with `status`. Answering true lets it
// complete now (the next power request is started first); false keeps it: the core completes
// it later with Complete.
using PowerDone = bool (*)(void* context, Status status);
// A device power request the core asked for has completed with `status`.
using DevicePowerDone = void (*)(void* context, Status status);

enum class RegistryRead : uint8_t { kFound, kAbsent, kFailed };

class KernelServices {
public:
    // Requests.
    virtual void Complete(void* request, Status status, uint64_t information) = 0;
    virtual void MarkPending(void* request) = 0;
    // Hands the request to the lower device; it is no longer the core's. With `succeed`, the
    // request's status is set to success first.
    virtual Status PassDown(void* request, bool succeed) = 0;
    // Sends the request down and waits until the lower device is done; it stays the core's.
    virtual Status PassDownAndWait(void* request) = 0;

    // Events, spin locks (never nested), one-shot timers whose expiry calls OnTimer, threads,
    // non-paged memory. A timer routine may arm its own timer again but never cancels it;
    // CancelTimer also waits until a running timer routine has returned.
    virtual void InitEvent(EventId id, EventKind kind, bool signalled) = 0;
    virtual void SetEvent(EventId id) = 0;
    virtual void ClearEvent(EventId id) = 0;
    virtual void WaitEvent(EventId id) = 0;
    virtual void Acquire(LockId id) = 0;
    virtual void Release(LockId id) = 0;
    virtual void ArmTimer(TimerId id, uint32_t milliseconds) = 0;
    virtual void CancelTimer(TimerId id) = 0;
    virtual bool StartThread(ThreadRoutine routine, void* context) = 0;
    virtual void* Allocate(size_t bytes) = 0;
    virtual void Free(void* memory) = 0;

    // USB requests to the lower device. The synchronous ones hold an operation count while
    // they run (the core takes it around the call).
    virtual Status GetDescriptor(uint8_t type, uint8_t* buffer, uint32_t length,
                                 uint32_t* received) = 0;
    virtual Status SelectConfiguration(const uint8_t* config, uint32_t length,
                                       InterfaceInfo* selected) = 0;
    virtual Status Unconfigure() = 0;
    virtual Status VendorRequest(uint8_t request, uint16_t value) = 0;
    virtual Status AbortPipe(void* pipe) = 0;
    virtual Status ResetPipe(void* pipe) = 0;
    virtual void RecoverPort() = 0;
    virtual UsbTransfer* NewTransfer() = 0;
    virtual void FreeTransfer(UsbTransfer* transfer) = 0;
    // Returns kPending once the transfer is on its way (done runs later, exactly once) or the
    // failure of the submission (done does not run).
    virtual Status SubmitBulk(UsbTransfer* transfer, void* pipe, bool in, uint8_t* buffer,
                              uint32_t length, TransferDone done, void* context) = 0;
    virtual void CancelTransfer(UsbTransfer* transfer) = 0;

    // Registry, names and the device interface.
    virtual RegistryRead ReadParameter(const char16_t* name, uint32_t* value) = 0;
    // Reads a REG_SZ value of the device's hardware key; chars excludes the NUL.
    virtual Status ReadDeviceString(const char16_t* name, char16_t* buffer, uint32_t capacity,
                                    uint32_t* chars) = 0;
    virtual Status SetInterfaceState(bool enabled) = 0;
    virtual Status CreateDosLink(const char16_t* port_name) = 0;
    virtual void DeleteDosLink(const char16_t* port_name) = 0;
    virtual Status WriteSerialComm(const char16_t* port_name) = 0;
    virtual void DeleteSerialComm() = 0;
    virtual void FreeInterfaceName() = 0;
    virtual void ReportPowerD0() = 0;

    // Power. PassDownPower sends a power request down with a completion; it is no longer the
    // core's unless done keeps it. RequestDevicePower asks the power manager for a device power
    // request (set or query) to this device's stack; done runs exactly once after it completed,
    // unless the answer is a failure (then done does not run). ReportDevicePower tells the
    // power manager the device's new state. QueueWork runs routine once at passive level.
    virtual Status PassDownPower(void* request, PowerDone done, void* context) = 0;
    virtual Status RequestDevicePower(uint8_t minor, uint32_t state, DevicePowerDone done,
                                      void* context) = 0;
    virtual void ReportDevicePower(uint32_t state) = 0;
    virtual bool QueueWork(ThreadRoutine routine, void* context) = 0;
    // Asks the power manager for a wait-wake request to this device's stack for the system
    // state given; *request receives the request before it is sent (the wait-wake slot).
    // done runs exactly once after it completed, unless the answer is a failure.
    virtual Status RequestWaitWake(uint32_t system_state, void** request, DevicePowerDone done,
                                   void* context) = 0;
    virtual void CancelRequest(void* request) = 0;
    // Selective suspend: sends the hub's idle notification with a callback the hub calls
    // (OnIdleCallback) when the device may suspend; *request receives the request before it is
    // sent. done runs once at its completion; the request stays until FreeIdleRequest.
    virtual Status SubmitIdleRequest(void** request, DevicePowerDone done, void* context) = 0;
    virtual void FreeIdleRequest(void* request) = 0;

    // A WMI request: answered from the driver's data block (the Wmi* handlers of the core) or
    // passed down when it is not for this device.
    virtual Status SystemControl(void* request) = 0;
    // Detaches from the lower device and deletes the device object: the last call for it.
    virtual void DeleteDevice() = 0;

protected:
    ~KernelServices() = default;
};

}  // namespace qmub
