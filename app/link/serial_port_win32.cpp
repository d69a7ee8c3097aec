#include "link/serial_port_win32.h"

#include <windows.h>

#include <cstdio>

#include "link/serial_line.h"

namespace travex {
namespace {

constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
constexpr DWORD kDcbLength = 28;
constexpr WORD kXonLimit = 768;
constexpr WORD kXoffLimit = 256;

// Polls an overlapped request: true once it has completed, with the bytes it moved. A request
// that ended by its time-out has completed too (some systems report that as ERROR_TIMEOUT): the
// bytes it moved count, and an empty read is not a port error.
bool completed(HANDLE port, OVERLAPPED& block, DWORD& transferred) {
    if (GetOverlappedResult(port, &block, &transferred, FALSE)) {
        return true;
    }
    // A request that ended by its time-out moved what it reports; Wine says so for reads of a
    // serial port with either code.
    const DWORD error = GetLastError();
    return error == ERROR_TIMEOUT || error == ERROR_SEM_TIMEOUT;
}

}  // namespace

struct Win32SerialPort::State {
    HANDLE port = INVALID_HANDLE_VALUE;
    // Writes carry no event: their completion is polled on the port handle.
    OVERLAPPED write_block{};
    // Reads signal the link event.
    OVERLAPPED read_block{};
    HANDLE link_event = nullptr;
    COMSTAT last_status{};
    DWORD bytes_transferred = 0;

    bool clear_comm_error() {
        DWORD errors = 0;
        return ClearCommError(port, &errors, &last_status) != 0;
    }
};

Win32SerialPort::Win32SerialPort(std::uint32_t settle_ms)
    : state_(std::make_unique<State>()), settle_ms_(settle_ms) {}

Win32SerialPort::~Win32SerialPort() {
    if (is_open()) {
        CloseLinkPort();
    }
}

bool Win32SerialPort::is_open() const {
    return state_->port != INVALID_HANDLE_VALUE;
}

PortOpenResult Win32SerialPort::OpenLinkPort(int port_number) {
    if (const PortOpenResult claim = claim_link_port(is_open(), port_number);
        claim != PortOpenResult::ok) {
        return claim;
    }
    // "\\.\COMn" reaches every port number, also those above 9.
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\COM%d", port_number);
    State& s = *state_;
    s.port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, nullptr);
    if (s.port == INVALID_HANDLE_VALUE) {
        // A port that another program holds is in use, not missing.
        const DWORD error = GetLastError();
        release_link_port();
        return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION
                   ? PortOpenResult::in_use
                   : PortOpenResult::no_such_port;
    }
    auto setup_failed = [this] {
        CloseLinkPort();
        return PortOpenResult::port_error;
    };
    if (!PurgeComm(s.port, kPurgeAll)) {
        return setup_failed();
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(s.port, &dcb)) {
        return setup_failed();
    }
    // Only the fields of the link's line settings change; the rest stays as the driver reported.
    dcb.DCBlength = kDcbLength;
    dcb.BaudRate = kLinkBaudRate;
    dcb.ByteSize = kLinkDataBits;
    dcb.Parity = NOPARITY;
    dcb.StopBits = TWOSTOPBITS;
    dcb.fBinary = 1;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fNull = 0;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = 0;
    dcb.XonLim = kXonLimit;
    dcb.XoffLim = kXoffLimit;
    dcb.wReserved = 0;
    if (!SetCommState(s.port, &dcb)) {
        return setup_failed();
    }
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = kReadIntervalTimeoutMs;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = kReadTotalTimeoutMs;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = kWriteTotalTimeoutMs;
    if (!SetCommTimeouts(s.port, &timeouts)) {
        return setup_failed();
    }
    if (!s.clear_comm_error()) {
        return setup_failed();
    }
    if (settle_ms_ > 0) {
        Sleep(settle_ms_);
    }
    s.link_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (s.link_event == nullptr) {
        return setup_failed();
    }
    s.read_block = OVERLAPPED{};
    s.read_block.hEvent = s.link_event;
    s.write_block = OVERLAPPED{};
    ResetEvent(s.link_event);
    return PortOpenResult::ok;
}

bool Win32SerialPort::CloseLinkPort() {
    State& s = *state_;
    if (s.port == INVALID_HANDLE_VALUE) {
        return false;
    }
    if (s.link_event != nullptr) {
        CloseHandle(s.link_event);
        s.link_event = nullptr;
        s.read_block.hEvent = nullptr;
    }
    s.clear_comm_error();
    const bool closed = CloseHandle(s.port) != 0;
    s.port = INVALID_HANDLE_VALUE;
    release_link_port();
    return closed;
}

PortWriteResult Win32SerialPort::WriteLinkBytes(std::span<const std::uint8_t> bytes) {
    State& s = *state_;
    const DWORD count = static_cast<DWORD>(bytes.size());
    if (s.port == INVALID_HANDLE_VALUE) {
        return {PortWriteStatus::failed, count};
    }
    s.bytes_transferred = count;
    s.write_block = OVERLAPPED{};
    DWORD written = 0;
    if (WriteFile(s.port, bytes.data(), count, &written, &s.write_block)) {
        return {PortWriteStatus::all_written, written};
    }
    if (GetLastError() != ERROR_IO_PENDING) {
        // The whole request counts as written; the protocol notices the missing answer.
        return {PortWriteStatus::failed, count};
    }
    // The write time-out bounds this loop to about 1.3 s; a 1 ms pause spares the processor.
    for (;;) {
        DWORD transferred = 0;
        if (completed(s.port, s.write_block, transferred)) {
            return {
                transferred == count ? PortWriteStatus::all_written : PortWriteStatus::timed_out,
                transferred};
        }
        if (GetLastError() != ERROR_IO_INCOMPLETE) {
            return {PortWriteStatus::failed, count};
        }
        Sleep(1);
    }
}

PortReadResult Win32SerialPort::ReadLinkBytes(std::span<std::uint8_t> buffer) {
    State& s = *state_;
    if (s.port == INVALID_HANDLE_VALUE) {
        return {PortReadStatus::failed, 0, 3};
    }
    const DWORD request = static_cast<DWORD>(read_request_size(buffer.size()));
    DWORD got = 0;
    if (ReadFile(s.port, buffer.data(), request, &got, &s.read_block)) {
        // Completed at once. Fewer bytes than asked are still bytes the driver has handed over:
        // they are taken, not thrown away as a port error.
    } else if (GetLastError() != ERROR_IO_PENDING) {
        s.clear_comm_error();
        return {PortReadStatus::failed, 0, 3};
    } else {
        DWORD previous = 0;
        int empty_polls = 0;
        for (;;) {
            DWORD count = 0;
            if (!completed(s.port, s.read_block, count)) {
                if (GetLastError() == ERROR_IO_INCOMPLETE) {
                    Sleep(1);
                    continue;
                }
                s.clear_comm_error();
                ResetEvent(s.link_event);
                return {PortReadStatus::failed, 0, 3};
            }
            if (count != 0) {
                if (count == previous || count >= request) {
                    got = count;
                    break;
                }
                previous = count;
                Sleep(10);
                continue;
            }
            if (++empty_polls >= 3) {
                got = 0;
                break;
            }
            Sleep(10);
        }
    }
    s.clear_comm_error();
    ResetEvent(s.link_event);
    return {PortReadStatus::received, got, 0};
}

bool Win32SerialPort::PurgeLinkPort() {
    return is_open() && PurgeComm(state_->port, kPurgeAll) != 0;
}

std::size_t Win32SerialPort::ClearLinkErrors() {
    if (!is_open() || !state_->clear_comm_error()) {
        return 0;
    }
    return state_->last_status.cbOutQue;
}

bool Win32SerialPort::SetLinkBaud(std::uint32_t rate) {
    if (!is_open()) {
        return false;
    }
    Sleep(1);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(state_->port, &dcb)) {
        return false;
    }
    dcb.BaudRate = rate;
    return SetCommState(state_->port, &dcb) != 0;
}

}  // namespace travex
