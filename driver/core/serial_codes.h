// The platform's serial I/O control codes: device type 0x1B, buffered, any access.
#pragma once

#include <stdint.h>

namespace qmub {

inline constexpr uint32_t SerialControl(uint32_t function) {
    return 0x001B0000u | function << 2;
}

// The function number of a serial control code, or 0 when the code is not one of them.
inline constexpr uint32_t SerialFunction(uint32_t code) {
    if ((code & ~(0xFFFu << 2)) != 0x001B0000u)
        return 0;
    uint32_t function = (code >> 2) & 0xFFF;
    return function >= 1 && function <= 39 ? function : 0;
}

namespace serial {
inline constexpr uint32_t kSetBaudRate = SerialControl(1);
inline constexpr uint32_t kSetQueueSize = SerialControl(2);
inline constexpr uint32_t kSetLineControl = SerialControl(3);
inline constexpr uint32_t kSetBreakOn = SerialControl(4);
inline constexpr uint32_t kSetBreakOff = SerialControl(5);
inline constexpr uint32_t kImmediateChar = SerialControl(6);
inline constexpr uint32_t kSetTimeouts = SerialControl(7);
inline constexpr uint32_t kGetTimeouts = SerialControl(8);
inline constexpr uint32_t kSetDtr = SerialControl(9);
inline constexpr uint32_t kClrDtr = SerialControl(10);
inline constexpr uint32_t kResetDevice = SerialControl(11);
inline constexpr uint32_t kSetRts = SerialControl(12);
inline constexpr uint32_t kClrRts = SerialControl(13);
inline constexpr uint32_t kSetXoff = SerialControl(14);
inline constexpr uint32_t kSetXon = SerialControl(15);
inline constexpr uint32_t kGetWaitMask = SerialControl(16);
inline constexpr uint32_t kSetWaitMask = SerialControl(17);
inline constexpr uint32_t kWaitOnMask = SerialControl(18);
inline constexpr uint32_t kPurge = SerialControl(19);
inline constexpr uint32_t kGetBaudRate = SerialControl(20);
inline constexpr uint32_t kGetLineControl = SerialControl(21);
inline constexpr uint32_t kGetChars = SerialControl(22);
inline constexpr uint32_t kSetChars = SerialControl(23);
inline constexpr uint32_t kGetHandflow = SerialControl(24);
inline constexpr uint32_t kSetHandflow = SerialControl(25);
inline constexpr uint32_t kGetModemStatus = SerialControl(26);
inline constexpr uint32_t kGetCommStatus = SerialControl(27);
inline constexpr uint32_t kXoffCounter = SerialControl(28);
inline constexpr uint32_t kGetProperties = SerialControl(29);
inline constexpr uint32_t kGetDtrRts = SerialControl(30);
inline constexpr uint32_t kLsrMstInsert = SerialControl(31);
inline constexpr uint32_t kConfigSize = SerialControl(32);
inline constexpr uint32_t kGetCommConfig = SerialControl(33);
inline constexpr uint32_t kSetCommConfig = SerialControl(34);
inline constexpr uint32_t kGetStats = SerialControl(35);
inline constexpr uint32_t kClearStats = SerialControl(36);
inline constexpr uint32_t kGetModemControl = SerialControl(37);
inline constexpr uint32_t kSetModemControl = SerialControl(38);
inline constexpr uint32_t kSetFifoControl = SerialControl(39);

// Wait events that are ever reported.
inline constexpr uint32_t kEvRxChar = 0x0001;
inline constexpr uint32_t kEvRxFlag = 0x0002;
inline constexpr uint32_t kEvTxEmpty = 0x0004;
inline constexpr uint32_t kEvAll = 0x1FFF;
}  // namespace serial

}  // namespace qmub
