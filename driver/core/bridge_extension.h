// BridgeExtension: the per-device record that every area of the driver reads and writes.
#pragma once

#include "kernel_services.h"

namespace qmub {

enum PnpState : uint32_t {
    kNotStarted = 0,
    kStopped = 1,
    kStarted = 2,
    kStopPending = 3,
    kRemovePending = 4,
    kSurpriseRemoved = 5,
    kRemoved = 6
};

inline constexpr uint32_t kRingSize = 3072;
inline constexpr uint32_t kPacketSize = 64;
inline constexpr uint32_t kPortNameChars = 32;
inline constexpr uint32_t kPowerWorking = 1;
inline constexpr uint32_t kPowerD0 = 1;
inline constexpr uint32_t kPowerD2 = 3;
inline constexpr uint32_t kPowerD3 = 4;

enum TimeoutIndex : uint32_t {
    kReadInterval = 0,
    kReadMultiplier = 1,
    kReadConstant = 2,
    kWriteMultiplier = 3,
    kWriteConstant = 4
};

struct BridgeExtension {
    KernelServices* kernel = nullptr;

    // Plug and Play (StateLock guards changes; readers elsewhere just load).
    Shared<uint32_t> pnp_state;
    uint32_t prev_pnp_state = kNotStarted;
    uint8_t capabilities[64] = {};
    uint32_t system_power_state = kPowerWorking;
    uint32_t device_power_state = kPowerD0;
    uint32_t power_down_level = 0;
    // A system power request waits for the device request it asked for, holding its count.
    Shared<uint8_t> system_power_held;
    // The wait-wake request: its slot and its cancel and outstanding flags, changed only by
    // atomic exchange.
    Shared<void*> wait_wake_request;
    Shared<uint32_t> wait_wake_cancel;
    Shared<uint32_t> wait_wake_outstanding;
    // Selective suspend (IdleLock guards the request and the pending flag).
    void* idle_request = nullptr;
    uint32_t idle_request_pending = 0;
    Shared<int32_t> idle_free_count;
    Status idle_power_status = 0;
    uint32_t wait_wake_enabled = 0;
    uint32_t wdm_level = 0;
    bool link_created = false;
    bool serialcomm_written = false;
    char16_t port_name[kPortNameChars + 1] = {};

    // Operation counter: the device's own existence plus operations in progress.
    Shared<int32_t> io_count;
    Shared<int32_t> open_count;

    // Registry parameters.
    Shared<uint32_t> idle_enabled;  // read by timer routines and every dispatch
    uint32_t idle_registry_enabled = 0;
    uint32_t receive_from_device = 1;
    uint32_t serial_emulation = 1;
    Shared<uint8_t> dtr_function;

    // USB configuration, valid from start to stop or removal.
    uint8_t* config_descriptor = nullptr;
    uint32_t config_length = 0;
    bool configured = false;
    InterfaceInfo interface_info;
    uint8_t pipe_open[kMaxPipes] = {};
    const PipeInfo* read_binding = nullptr;
    const PipeInfo* write_binding = nullptr;

    // Receive pump (PumpLock guards stop, in-flight, held and the transfer).
    Shared<uint8_t> pump_active;  // the pump-start thread of the current open exists
    uint8_t pump_stop = 0;
    uint32_t pump_in_flight = 0;
    bool pump_held = false;  // the ring lacks room for a packet: the next transfer waits
    UsbTransfer* pump_transfer = nullptr;
    uint32_t pump_total = 0;
    uint8_t bulk_in[kPacketSize] = {};

    // Receive ring (RingLock guards the indexes; data move outside the lock).
    uint8_t* ring = nullptr;
    uint32_t ring_head = 0;
    uint32_t ring_tail = 0;

    // The held read; its fields belong to the read dispatch until it arms the read timer, then
    // to the read tick.
    Shared<uint8_t> read_held;
    void* held_read = nullptr;
    uint8_t* read_buffer = nullptr;
    uint32_t read_requested = 0;
    uint32_t read_done = 0;
    uint32_t read_ticks = 0;
    Shared<uint8_t> read_abort;

    // The held wait (SettingsLock guards wait_cancel and tx_since_wait).
    void* held_wait = nullptr;
    uint8_t* wait_result = nullptr;
    Shared<uint32_t> wait_mask;
    uint8_t wait_cancel = 0;
    uint8_t tx_since_wait = 0;

    // Serial settings (SettingsLock).
    Shared<uint32_t> baud_rate;
    uint8_t line_control = 0;
    uint32_t timeouts[5] = {};
    uint8_t chars[6] = {};  // EofChar, ErrorChar, BreakChar, EventChar, XonChar, XoffChar
    uint32_t handflow[4] = {};

    uint8_t restart_pump_on_open = 0;
    uint8_t reopen_in_progress = 0;
};

// Dispatch entry points of the core; the platform glue calls them for each request.
Status DispatchCreate(BridgeExtension& ext, IoRequest& request);
Status DispatchClose(BridgeExtension& ext, IoRequest& request);
Status DispatchRead(BridgeExtension& ext, IoRequest& request);
Status DispatchWrite(BridgeExtension& ext, IoRequest& request);
Status DispatchCleanup(BridgeExtension& ext, IoRequest& request);
Status DispatchFlush(BridgeExtension& ext, IoRequest& request);
Status DispatchDeviceControl(BridgeExtension& ext, IoRequest& request);
Status DispatchPnp(BridgeExtension& ext, IoRequest& request);
Status DispatchPower(BridgeExtension& ext, IoRequest& request);
Status DispatchSystemControl(BridgeExtension& ext, IoRequest& request);

// The WMI data block of the driver: one GUID, one instance, 26 bytes. The glue decodes the
// platform's WMI requests and calls these handlers.
inline constexpr uint32_t kWmiBlockSize = 26;
inline constexpr uint32_t kWmiLevelItem = 1;
// Writes the block into buffer; below 26 bytes answers kBufferTooSmall. *needed is 26 either way.
Status WmiQueryDataBlock(uint32_t guid_index, uint8_t* buffer, uint32_t size, uint32_t* needed);
Status WmiSetDataBlock(uint32_t guid_index, const uint8_t* data, uint32_t size);
Status WmiSetDataItem(uint32_t guid_index, uint32_t item, const uint8_t* data, uint32_t size);
// The driver-wide level value the block carries (3 until a caller sets it).
uint32_t WmiLevel();
void ResetWmiLevel();
void OnTimer(BridgeExtension& ext, TimerId timer);
// The hub's idle callback: the device may suspend now.
void OnIdleCallback(BridgeExtension& ext);

// AddDevice, the part after the device object exists and before it is attached: allocates the
// ring, initialises the kernel objects and the settings. Fails only for want of memory.
Status InitializeExtension(BridgeExtension& ext, KernelServices* kernel);
// AddDevice, after attaching: records the WDM level and reads the registry parameters.
void ReadParameters(BridgeExtension& ext, uint32_t wdm_level);
// Undoes InitializeExtension when AddDevice fails later.
void ReleaseExtension(BridgeExtension& ext);

// Operation counter.
void IoIncrement(BridgeExtension& ext);
void IoDecrement(BridgeExtension& ext);

}  // namespace qmub
