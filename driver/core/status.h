// Kernel status codes and small freestanding helpers shared by the driver core.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace qmub {

using Status = int32_t;

// The platform's status values, spelled out so that the core needs no platform header.
// The WDM glue checks each of them against the kernel headers at compile time.
inline constexpr Status kSuccess = 0;
inline constexpr Status kTimeout = 0x00000102;
inline constexpr Status kPending = 0x00000103;
inline constexpr Status kDeviceBusy = static_cast<Status>(0x80000011u);
inline constexpr Status kUnsuccessful = static_cast<Status>(0xC0000001u);
inline constexpr Status kInvalidHandle = static_cast<Status>(0xC0000008u);
inline constexpr Status kInvalidParameter = static_cast<Status>(0xC000000Du);
inline constexpr Status kNoSuchDevice = static_cast<Status>(0xC000000Eu);
inline constexpr Status kInvalidDeviceRequest = static_cast<Status>(0xC0000010u);
inline constexpr Status kMoreProcessingRequired = static_cast<Status>(0xC0000016u);
inline constexpr Status kBufferTooSmall = static_cast<Status>(0xC0000023u);
inline constexpr Status kObjectNameNotFound = static_cast<Status>(0xC0000034u);
inline constexpr Status kDeletePending = static_cast<Status>(0xC0000056u);
inline constexpr Status kInsufficientResources = static_cast<Status>(0xC000009Au);
inline constexpr Status kDeviceNotConnected = static_cast<Status>(0xC000009Du);
inline constexpr Status kNotSupported = static_cast<Status>(0xC00000BBu);
inline constexpr Status kCancelled = static_cast<Status>(0xC0000120u);
inline constexpr Status kInvalidDeviceState = static_cast<Status>(0xC0000184u);
inline constexpr Status kPowerStateInvalid = static_cast<Status>(0xC00002D3u);
inline constexpr Status kInfoLengthMismatch = static_cast<Status>(0xC0000004u);
inline constexpr Status kWmiGuidNotFound = static_cast<Status>(0xC0000295u);
inline constexpr Status kWmiReadOnly = static_cast<Status>(0xC00002C6u);

inline constexpr bool IsSuccess(Status s) {
    return s >= 0;
}
inline constexpr bool IsError(Status s) {
    return (static_cast<uint32_t>(s) >> 30) == 3;
}

// Byte helpers for records that cross the user-mode boundary (little-endian on the wire).
inline uint32_t LoadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline uint16_t LoadLe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline void StoreLe32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
inline void StoreLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

// Freestanding copies: the kernel build has no C runtime.
inline void CopyBytes(uint8_t* to, const uint8_t* from, size_t n) {
    for (size_t i = 0; i < n; ++i)
        to[i] = from[i];
}
inline void FillBytes(uint8_t* to, uint8_t value, size_t n) {
    for (size_t i = 0; i < n; ++i)
        to[i] = value;
}
inline bool EqualBytes(const uint8_t* a, const uint8_t* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}

// A word shared between dispatch routines, DPCs and completions: every access is atomic.
template <typename T>
class Shared {
public:
    T Load() const { return __atomic_load_n(&value_, __ATOMIC_SEQ_CST); }
    void Store(T v) { __atomic_store_n(&value_, v, __ATOMIC_SEQ_CST); }
    T Exchange(T v) { return __atomic_exchange_n(&value_, v, __ATOMIC_SEQ_CST); }
    bool CompareExchange(T expected, T desired) {
        return __atomic_compare_exchange_n(&value_, &expected, desired, false, __ATOMIC_SEQ_CST,
                                           __ATOMIC_SEQ_CST);
    }
    T Add(T v) { return __atomic_add_fetch(&value_, v, __ATOMIC_SEQ_CST); }
    // For a platform call that fills the cell itself before it returns.
    T* Cell() { return &value_; }

private:
    T value_{};
};

}  // namespace qmub
