// One simulated bridge device with the driver core on top: builds requests the way the I/O
// manager does and sends them to the core's dispatch routines.
#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/bridge_extension.h"
#include "core/serial_codes.h"
#include "sim_kernel.h"

namespace qmub::sim {

class DriverHarness {
public:
    explicit DriverHarness(bool threaded_kernel = false)
        : kernel(threaded_kernel), threaded(threaded_kernel) {
        kernel.device_strings[u"PortName"] = u"COM3";
    }
    // The platform takes a device that a test leaves behind away: last handle, then removal.
    ~DriverHarness() {
        if (threaded)
            kernel.StartClockThread();
        if (added_ && !kernel.device_deleted) {
            if (ext.pump_active.Load())
                DispatchCleanup(ext, kernel.NewRequest(irp::kCleanup)->view);
            Pnp(irp::kRemoveDevice);
        }
        kernel.StopClockThread();
        kernel.JoinThreads();
    }

    SimKernel kernel;
    BridgeExtension ext;
    const bool threaded;

    // AddDevice as the glue does it.
    Status Add() {
        kernel.Attach(&ext);
        Status status = InitializeExtension(ext, &kernel);
        added_ = IsSuccess(status);
        if (added_)
            ReadParameters(ext, 0);
        return status;
    }

    SimRequest* Pnp(uint8_t minor) {
        SimRequest* r = kernel.NewRequest(irp::kPnp, minor);
        DispatchPnp(ext, r->view);
        return r;
    }
    Status Start() { return Pnp(irp::kStartDevice)->status; }
    Status AddAndStart() {
        Status status = Add();
        return IsSuccess(status) ? Start() : status;
    }

    SimRequest* Open() {
        SimRequest* r = kernel.NewRequest(irp::kCreate);
        r->view.has_file_object = true;
        r->view.file_name = u"";
        r->view.file_context = &r->file_context;
        DispatchCreate(ext, r->view);
        return r;
    }
    // Cleanup then close, as the platform sends them when the handle goes.
    void CloseHandle(SimRequest* opened) {
        SimRequest* cleanup = kernel.NewRequest(irp::kCleanup);
        DispatchCleanup(ext, cleanup->view);
        SimRequest* close = kernel.NewRequest(irp::kClose);
        close->view.has_file_object = true;
        close->view.file_name = u"";
        close->file_context = opened->file_context;
        close->view.file_context = &close->file_context;
        DispatchClose(ext, close->view);
    }

    // A read or write of the bytes given (a read's buffer starts as 0xEE bytes).
    SimRequest* Transfer(uint8_t major, std::vector<uint8_t> bytes) {
        SimRequest* r = kernel.NewRequest(major);
        r->buffer = std::move(bytes);
        r->view.has_buffer = true;
        r->view.data = r->buffer.empty() ? nullptr : r->buffer.data();
        r->view.data_length = static_cast<uint32_t>(r->buffer.size());
        (major == irp::kRead ? DispatchRead : DispatchWrite)(ext, r->view);
        return r;
    }
    SimRequest* Read(uint32_t length) {
        return Transfer(irp::kRead, std::vector<uint8_t>(length, 0xEE));
    }
    SimRequest* Write(std::vector<uint8_t> data) { return Transfer(irp::kWrite, std::move(data)); }
    SimRequest* Write(std::string_view text) {
        return Write(std::vector<uint8_t>(text.begin(), text.end()));
    }
    std::string ReadText(const SimRequest* r) const {
        return std::string(r->buffer.begin(), r->buffer.begin() + r->information);
    }

    // A buffered I/O control: input and output share one system buffer.
    SimRequest* Control(uint32_t code, std::vector<uint8_t> input = {}, uint32_t output = 0) {
        SimRequest* r = kernel.NewRequest(irp::kDeviceControl);
        size_t size = input.size() > output ? input.size() : output;
        r->buffer.assign(size, 0xEE);
        std::copy(input.begin(), input.end(), r->buffer.begin());
        r->view.control_code = code;
        r->view.input = size ? r->buffer.data() : nullptr;
        r->view.input_length = static_cast<uint32_t>(input.size());
        r->view.output = size ? r->buffer.data() : nullptr;
        r->view.output_length = output;
        DispatchDeviceControl(ext, r->view);
        return r;
    }
    static std::vector<uint8_t> Word(uint32_t v) {
        return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    }
    static uint32_t WordAt(const SimRequest* r, size_t offset = 0) {
        return LoadLe32(r->buffer.data() + offset);
    }
    static std::vector<uint8_t> Timeouts(uint32_t interval, uint32_t multiplier,
                                         uint32_t constant) {
        std::vector<uint8_t> out(20, 0);
        StoreLe32(&out[0], interval);
        StoreLe32(&out[4], multiplier);
        StoreLe32(&out[8], constant);
        return out;
    }

    // A capabilities record: S0 -> D0, S1..S3 -> the states given.
    static std::vector<uint8_t> Capabilities(uint32_t s1, uint32_t s2, uint32_t s3) {
        std::vector<uint8_t> caps(64, 0);
        caps[0] = 64;
        caps[2] = 1;
        const uint32_t fields[] = {1, s1, s2, s3};  // D0 for S0
        std::memcpy(caps.data() + 20, fields, sizeof(fields));
        return caps;
    }
    // The capabilities query going down a stack whose bus fills in `bus`; the record the
    // query starts with has `size` and `version`.
    SimRequest* QueryCapabilities(std::vector<uint8_t> bus, uint8_t size = 64,
                                  uint8_t version = 1) {
        kernel.lower_capabilities = std::move(bus);
        SimRequest* r = kernel.NewRequest(irp::kPnp, irp::kQueryCapabilities);
        r->capabilities.assign(64, 0);
        r->capabilities[0] = size;
        r->capabilities[2] = version;
        r->view.capabilities = r->capabilities.data();
        DispatchPnp(ext, r->view);
        return r;
    }

    void Feed(const std::string& bytes) {
        std::lock_guard<std::mutex> lock(kernel.bridge_mutex());
        kernel.bridge().FeedFromPeer(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    // Runs the clock until `done` holds or `limit_ms` of virtual time have passed.
    template <typename F>
    bool RunUntil(F done, uint32_t limit_ms = 10000) {
        for (uint64_t end = kernel.now_us() + uint64_t{limit_ms} * 1000; !done();
             kernel.StepClock()) {
            if (kernel.now_us() >= end)
                return false;
        }
        return true;
    }
    uint32_t RingBytes() {
        uint32_t h = ext.ring_head;
        uint32_t t = ext.ring_tail;
        return h >= t ? h - t : h + kRingSize - t;
    }

private:
    bool added_ = false;
};

}  // namespace qmub::sim
