// The bridge's far side: the serial port that carries its byte stream (under Wine a COM port
// mapped to the simulated calculator's pseudo-terminal). Written bulk-out data goes straight to
// the port; a pump thread polls the port and hands what arrives to the parked bulk-in transfer,
// keeping up to one packet of it meanwhile, as the chip's own buffer does.
#include "bridge_bus.h"
// clang-format off
#include <ntddser.h>
// clang-format on

// Exported by the kernel, declared only in the file-system headers.
extern "C" NTSYSAPI NTSTATUS NTAPI ZwWaitForSingleObject(HANDLE handle, BOOLEAN alertable,
                                                         PLARGE_INTEGER timeout);

namespace {

class PortGate {
public:
    explicit PortGate(ChildExtension* child) : child_(child) {
        KeWaitForSingleObject(&child_->port_gate, Executive, KernelMode, FALSE, nullptr);
    }
    ~PortGate() { KeSetEvent(&child_->port_gate, IO_NO_INCREMENT, FALSE); }
    PortGate(const PortGate&) = delete;
    PortGate& operator=(const PortGate&) = delete;

private:
    ChildExtension* child_;
};

// Raw 8-bit line without flow control; reads return at once with what the port holds.
NTSTATUS set_up_line(HANDLE port) {
    SERIAL_BAUD_RATE baud = {38400};
    SERIAL_LINE_CONTROL line = {STOP_BIT_1, NO_PARITY, 8};
    SERIAL_HANDFLOW flow = {};
    SERIAL_TIMEOUTS timeouts = {MAXULONG, 0, 0, 0, 0};
    const struct {
        ULONG code;
        void* input;
        ULONG length;
    } settings[] = {{IOCTL_SERIAL_SET_BAUD_RATE, &baud, sizeof(baud)},
                    {IOCTL_SERIAL_SET_LINE_CONTROL, &line, sizeof(line)},
                    {IOCTL_SERIAL_SET_HANDFLOW, &flow, sizeof(flow)},
                    {IOCTL_SERIAL_SET_TIMEOUTS, &timeouts, sizeof(timeouts)}};
    for (const auto& setting : settings) {
        IO_STATUS_BLOCK io;
        const NTSTATUS status =
            ZwDeviceIoControlFile(port, nullptr, nullptr, nullptr, &io, setting.code, setting.input,
                                  setting.length, nullptr, 0);
        if (!NT_SUCCESS(status))
            return status;
    }
    return STATUS_SUCCESS;
}

void pump_main(PVOID context) {
    auto* child = static_cast<ChildExtension*>(context);
    LARGE_INTEGER pause;
    pause.QuadPart = -10000;  // 1 ms
    while (!child->pump_stop) {
        bool moved = false;
        if (child->staged_length == 0) {
            IO_STATUS_BLOCK io = {};
            NTSTATUS status;
            {
                PortGate gate(child);
                status = ZwReadFile(child->port, nullptr, nullptr, nullptr, &io, child->staged,
                                    sizeof(child->staged), nullptr, nullptr);
            }
            if (NT_SUCCESS(status) && io.Information > 0) {
                child->staged_length = static_cast<ULONG>(io.Information);
                moved = true;
            }
        }
        if (child->staged_length > 0) {
            const ULONG taken = deliver_to_bulk_in(child, child->staged, child->staged_length);
            if (taken > 0) {
                RtlMoveMemory(child->staged, child->staged + taken, child->staged_length - taken);
                child->staged_length -= taken;
                moved = true;
            }
        }
        if (!moved)
            KeDelayExecutionThread(KernelMode, FALSE, &pause);
    }
    PsTerminateSystemThread(STATUS_SUCCESS);
}

}  // namespace

NTSTATUS open_bridge_port(ChildExtension* child, const uint16_t* path) {
    UNICODE_STRING name;
    RtlInitUnicodeString(&name, reinterpret_cast<PCWSTR>(path));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE,
                               nullptr, nullptr);
    IO_STATUS_BLOCK io;
    NTSTATUS status = ZwCreateFile(
        &child->port, GENERIC_READ | GENERIC_WRITE | SYNCHRONIZE, &attributes, &io, nullptr, 0, 0,
        FILE_OPEN, FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE, nullptr, 0);
    if (!NT_SUCCESS(status)) {
        child->port = nullptr;
        return status;
    }
    status = set_up_line(child->port);
    if (NT_SUCCESS(status)) {
        child->pump_stop = 0;
        status = PsCreateSystemThread(&child->pump, THREAD_ALL_ACCESS, nullptr, nullptr, nullptr,
                                      pump_main, child);
    }
    if (!NT_SUCCESS(status)) {
        child->pump = nullptr;
        ZwClose(child->port);
        child->port = nullptr;
    }
    return status;
}

void close_bridge_port(ChildExtension* child) {
    if (child->pump != nullptr) {
        InterlockedExchange(&child->pump_stop, 1);
        ZwWaitForSingleObject(child->pump, FALSE, nullptr);
        ZwClose(child->pump);
        child->pump = nullptr;
    }
    if (child->port != nullptr) {
        PortGate gate(child);
        ZwClose(child->port);
        child->port = nullptr;
    }
}

NTSTATUS write_bridge_port(ChildExtension* child, const UCHAR* data, ULONG length, ULONG* written) {
    *written = 0;
    if (length == 0)
        return STATUS_SUCCESS;
    PortGate gate(child);
    if (child->port == nullptr)
        return STATUS_DEVICE_NOT_CONNECTED;
    IO_STATUS_BLOCK io = {};
    const NTSTATUS status = ZwWriteFile(child->port, nullptr, nullptr, nullptr, &io,
                                        const_cast<UCHAR*>(data), length, nullptr, nullptr);
    if (NT_SUCCESS(status))
        *written = static_cast<ULONG>(io.Information);
    return status;
}
