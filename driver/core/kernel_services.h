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

// The calls the core makes on its kernel, as X(result, name, parameters) rows. KernelServices
// declares them; the real kernel's services and the test kernel override them with
// QMUB_KERNEL_SERVICES(QMUB_KERNEL_OVERRIDE), so a call added here reaches both.
//
// Requests. PassDown hands the request to the lower device; it is no longer the core's. With
// `succeed`, the request's status is set to success first. PassDownAndWait sends the request
// down and waits until the lower device is done; it stays the core's.
//
// Events, spin locks (never nested), one-shot timers whose expiry calls OnTimer, threads,
// non-paged memory. A timer routine may arm its own timer again but never cancels it;
// CancelTimer also waits until a running timer routine has returned.
//
// USB requests to the lower device. The synchronous ones hold an operation count while they run
// (the core takes it around the call). SubmitBulk returns kPending once the transfer is on its
// way (done runs later, exactly once) or the failure of the submission (done does not run).
//
// Registry, names and the device interface. ReadDeviceString reads a REG_SZ value of the
// device's hardware key; chars excludes the NUL.
//
// Power. PassDownPower sends a power request down with a completion; it is no longer the core's
// unless done keeps it. RequestDevicePower asks the power manager for a device power request
// (set or query) to this device's stack; done runs exactly once after it completed, unless the
// answer is a failure (then done does not run). ReportDevicePower tells the power manager the
// device's new state. QueueWork runs routine once at passive level. RequestWaitWake asks the
// power manager for a wait-wake request to this device's stack for the system state given;
// *request receives the request before it is sent (the wait-wake slot); done runs exactly once
// after it completed, unless the answer is a failure.
//
// Selective suspend: SubmitIdleRequest sends the hub's idle notification with a callback the hub
// calls (OnIdleCallback) when the device may suspend; *request receives the request before it
// is sent. done runs once at its completion; the request stays until FreeIdleRequest.
//
// SystemControl: a WMI request, answered from the driver's data block (the Wmi* handlers of the
// core) or passed down when it is not for this device. DeleteDevice detaches from the lower
// device and deletes the device object: the last call for it.
#define QMUB_KERNEL_SERVICES(X)                                                         \
    X(void, Complete, (void* request, Status status, uint64_t information))             \
    X(void, MarkPending, (void* request))                                               \
    X(Status, PassDown, (void* request, bool succeed))                                  \
    X(Status, PassDownAndWait, (void* request))                                         \
    X(void, InitEvent, (EventId id, EventKind kind, bool signalled))                    \
    X(void, SetEvent, (EventId id))                                                     \
    X(void, ClearEvent, (EventId id))                                                   \
    X(void, WaitEvent, (EventId id))                                                    \
    X(void, Acquire, (LockId id))                                                       \
    X(void, Release, (LockId id))                                                       \
    X(void, ArmTimer, (TimerId id, uint32_t milliseconds))                              \
    X(void, CancelTimer, (TimerId id))                                                  \
    X(bool, StartThread, (ThreadRoutine routine, void* context))                        \
    X(void*, Allocate, (size_t bytes))                                                  \
    X(void, Free, (void* memory))                                                       \
    X(Status, GetDescriptor,                                                            \
      (uint8_t type, uint8_t * buffer, uint32_t length, uint32_t * received))           \
    X(Status, SelectConfiguration,                                                      \
      (const uint8_t* config, uint32_t length, InterfaceInfo* selected))                \
    X(Status, Unconfigure, ())                                                          \
    X(Status, VendorRequest, (uint8_t request, uint16_t value))                         \
    X(Status, AbortPipe, (void* pipe))                                                  \
    X(Status, ResetPipe, (void* pipe))                                                  \
    X(void, RecoverPort, ())                                                            \
    X(UsbTransfer*, NewTransfer, ())                                                    \
    X(void, FreeTransfer, (UsbTransfer * transfer))                                     \
    X(Status, SubmitBulk,                                                               \
      (UsbTransfer * transfer, void* pipe, bool in, uint8_t* buffer, uint32_t length,   \
       TransferDone done, void* context))                                               \
    X(void, CancelTransfer, (UsbTransfer * transfer))                                   \
    X(RegistryRead, ReadParameter, (const char16_t* name, uint32_t* value))             \
    X(Status, ReadDeviceString,                                                         \
      (const char16_t* name, char16_t* buffer, uint32_t capacity, uint32_t* chars))     \
    X(Status, SetInterfaceState, (bool enabled))                                        \
    X(Status, CreateDosLink, (const char16_t* port_name))                               \
    X(void, DeleteDosLink, (const char16_t* port_name))                                 \
    X(Status, WriteSerialComm, (const char16_t* port_name))                             \
    X(void, DeleteSerialComm, ())                                                       \
    X(void, FreeInterfaceName, ())                                                      \
    X(void, ReportPowerD0, ())                                                          \
    X(Status, PassDownPower, (void* request, PowerDone done, void* context))            \
    X(Status, RequestDevicePower,                                                       \
      (uint8_t minor, uint32_t state, DevicePowerDone done, void* context))             \
    X(void, ReportDevicePower, (uint32_t state))                                        \
    X(bool, QueueWork, (ThreadRoutine routine, void* context))                          \
    X(Status, RequestWaitWake,                                                          \
      (uint32_t system_state, void** request, DevicePowerDone done, void* context))     \
    X(void, CancelRequest, (void* request))                                             \
    X(Status, SubmitIdleRequest, (void** request, DevicePowerDone done, void* context)) \
    X(void, FreeIdleRequest, (void* request))                                           \
    X(Status, SystemControl, (void* request))                                           \
    X(void, DeleteDevice, ())

#define QMUB_KERNEL_PURE(result, name, parameters) virtual result name parameters = 0;
#define QMUB_KERNEL_OVERRIDE(result, name, parameters) result name parameters override;

class KernelServices {
public:
    QMUB_KERNEL_SERVICES(QMUB_KERNEL_PURE)

protected:
    ~KernelServices() = default;
};

}  // namespace qmub
