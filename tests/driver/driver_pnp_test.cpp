// Device set-up, registry parameters, start, stop, removal and capabilities.
#include <array>
#include <functional>
#include <map>

#include "driver_test.h"

namespace qmub::sim {
namespace {

constexpr uint32_t kSurpriseOk = 1u << 9;

using DriverPnp = DriverTest;

TEST(DriverPnpParameters, ValuesAbsentMeansOnUnreadableKeyOffOlderLevelsPresets) {
    struct Row {
        std::map<std::u16string, uint32_t> values;
        bool unreadable;
        uint32_t wdm_level, receive, serial, idle;
    };
    const Row rows[] = {
        {{{u"PreventFromSuspend", 0}, {u"PreventFromSuspend1", 5}}, false, 0, 0, 5, 1},
        {{}, true, 0, 0, 0, 0},
        {{}, true, 1, 1, 1, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        DriverHarness h;
        h.kernel.parameters = row.values;
        h.kernel.parameters_key_unreadable = row.unreadable;
        ASSERT_EQ(h.Add(row.wdm_level), kSuccess);
        EXPECT_EQ(h.ext.wdm_level, row.wdm_level);
        EXPECT_EQ(h.ext.receive_from_device, row.receive);
        EXPECT_EQ(h.ext.serial_emulation, row.serial);
        EXPECT_EQ(h.ext.idle_registry_enabled, row.idle);
        EXPECT_EQ(h.ext.dtr_function.Load(), 1);
    }
}

TEST_F(DriverPnp, AddDeviceWithoutMemoryForTheRingFails) {
    h.kernel.fail_allocation = [](size_t n) { return n == kRingSize; };
    EXPECT_EQ(h.Add(), kInsufficientResources);
    EXPECT_EQ(h.kernel.live_allocations, 0);
}

TEST_F(DriverPnp, StartPublishesLinkAndDeviceMapAndLoadsDefaults) {
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    EXPECT_EQ(h.ext.pnp_state.Load(), kStarted);
    EXPECT_TRUE(h.kernel.interface_enabled);
    EXPECT_EQ(h.ext.baud_rate.Load(), 9600u);
    EXPECT_EQ(h.ext.line_control, 3);
    EXPECT_TRUE(h.kernel.bridge().vendor_calls.empty());  // no line coding in normal mode
}

// The port's name: "PortName", else "Identifier", at most 32 characters.
TEST(DriverPnpPortName, PublishedUnderItsNameOrRefused) {
    struct Row {
        std::map<std::u16string, std::u16string> strings;
        Status status;
        std::u16string published;
        PnpState state;
    };
    const std::u16string longest(32, u'C');
    const Row rows[] = {
        {{{u"PortName", u"COM3"}, {u"Identifier", u"COM7"}}, kSuccess, u"COM3", kStarted},
        {{{u"Identifier", u"COM7"}}, kSuccess, u"COM7", kStarted},
        {{{u"PortName", longest}}, kSuccess, longest, kStarted},
        {{{u"PortName", longest + u"C"}}, kInvalidParameter, u"", kStarted},  // undone
        {{}, kObjectNameNotFound, u"", kNotStarted},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        DriverHarness h;
        h.kernel.device_strings = row.strings;
        EXPECT_EQ(h.AddAndStart(), row.status);
        EXPECT_EQ(h.ext.pnp_state.Load(), row.state);
        if (row.published.empty()) {
            EXPECT_TRUE(h.kernel.dos_links.empty());
            EXPECT_TRUE(h.kernel.serialcomm.empty());
            if (row.state == kStarted) {
                EXPECT_FALSE(h.kernel.interface_enabled);  // the start was undone
            }
        } else {
            EXPECT_EQ(h.kernel.dos_links.at(u"\\DosDevices\\" + row.published),
                      h.kernel.interface_link);
            EXPECT_EQ(h.kernel.serialcomm.at(h.kernel.interface_link), row.published);
        }
        ExpectNoFaults(h);
    }
}

// A start that fails publishes nothing; one that fails on the descriptors keeps no memory but
// the ring.
TEST(DriverPnpStart, FailsWhenTheLowerDeviceTheChipTheLinkOrTheDescriptorsDo) {
    struct Row {
        std::function<void(SimKernel&)> fault;
        Status status;
        bool only_the_ring;
    };
    const Row rows[] = {
        {[](SimKernel& k) { k.lower_status = kUnsuccessful; }, kUnsuccessful, false},
        {[](SimKernel& k) { k.bridge().select_status = kDeviceNotConnected; }, kDeviceNotConnected,
         false},
        {[](SimKernel& k) { k.create_link_status = kInsufficientResources; },
         kInsufficientResources, false},
        // An endpoint descriptor past wTotalLength, one of length zero, wTotalLength below the
        // header.
        {[](SimKernel& k) { k.bridge().config_descriptor[18] = 40; }, kUnsuccessful, true},
        {[](SimKernel& k) { k.bridge().config_descriptor[18] = 0; }, kUnsuccessful, true},
        {[](SimKernel& k) { k.bridge().config_descriptor[2] = 4; }, kUnsuccessful, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(&row - rows);
        DriverHarness h;
        row.fault(h.kernel);
        EXPECT_EQ(h.AddAndStart(), row.status);
        EXPECT_TRUE(h.kernel.dos_links.empty());
        EXPECT_TRUE(h.kernel.serialcomm.empty());
        EXPECT_FALSE(h.kernel.interface_enabled);
        if (row.only_the_ring) {
            EXPECT_EQ(h.kernel.live_allocations, 1);
        }
        if (row.status == kInsufficientResources) {
            EXPECT_FALSE(h.kernel.interface_name_present);  // freed with the interface
        }
        ExpectNoFaults(h);
    }
}

TEST_F(DriverPnp, SerialEmulationOffSendsLineCoding2400AtStart) {
    h.kernel.parameters = {{u"PreventFromSuspend1", 0}};
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    ASSERT_EQ(h.kernel.bridge().vendor_calls.size(), 1u);
    EXPECT_EQ(h.kernel.bridge().vendor_calls[0].request, 0x21);
    EXPECT_EQ(h.kernel.bridge().vendor_calls[0].value, 0x0303);
}

TEST_F(DriverPnp, SurpriseRemovalWithThePortOpenUnpublishesAndAbortsPipes) {
    StartAndOpen();
    EXPECT_TRUE(h.Pnp(irp::kSurpriseRemoval)->passed_down);
    EXPECT_TRUE(h.kernel.dos_links.empty());
    EXPECT_TRUE(h.kernel.serialcomm.empty());
    EXPECT_FALSE(h.kernel.interface_enabled);
    EXPECT_EQ(h.ext.pnp_state.Load(), kSurpriseRemoved);
    EXPECT_EQ(h.ext.pump_active.Load(), 0);
    EXPECT_EQ(h.kernel.bridge().aborted_pipes.size(), 2u);
    // Requests of the still-open handle are refused or end by themselves.
    EXPECT_EQ(h.Write(std::string("x"))->status, kInvalidDeviceState);
    EXPECT_EQ(h.Control(serial::kGetBaudRate, {}, 4)->status, kInvalidDeviceState);
    h.CloseHandle(open);
    EXPECT_TRUE(h.Pnp(irp::kRemoveDevice)->passed_down);
    EXPECT_TRUE(h.kernel.device_deleted);
    EXPECT_EQ(h.kernel.live_allocations, 0);
}

TEST_F(DriverPnp, RemovalWithoutSurpriseUnpublishesEvenWithThePortOpen) {
    StartAndOpen();
    h.Pnp(irp::kQueryRemoveDevice);
    h.Pnp(irp::kRemoveDevice);
    EXPECT_TRUE(h.kernel.dos_links.empty());
    EXPECT_TRUE(h.kernel.serialcomm.empty());
    EXPECT_TRUE(h.kernel.device_deleted);
    EXPECT_EQ(h.kernel.live_transfers, 0);
    EXPECT_EQ(h.kernel.live_allocations, 0);
    // A removed device answers every Plug and Play request with "delete pending".
    EXPECT_EQ(h.Pnp(irp::kQueryCapabilities)->status, kDeletePending);
}

TEST_F(DriverPnp, QueryRemoveStopsThePumpAndCancelDoesNotRestartIt) {
    StartAndOpen();
    EXPECT_TRUE(h.Pnp(irp::kQueryRemoveDevice)->passed_down);
    EXPECT_EQ(h.ext.pnp_state.Load(), kRemovePending);
    EXPECT_EQ(h.ext.pump_active.Load(), 0);
    EXPECT_FALSE(h.kernel.bridge().HasPendingIn());
    EXPECT_EQ(h.Pnp(irp::kCancelRemoveDevice)->status, kSuccess);
    EXPECT_EQ(h.ext.pnp_state.Load(), kStarted);
    EXPECT_EQ(h.ext.pump_active.Load(), 0);
    h.Feed("lost until reopened");
    h.kernel.Advance(20);
    EXPECT_EQ(h.RingBytes(), 0u);
    h.CloseHandle(open);
    ASSERT_EQ(h.Open()->status, kSuccess);
    EXPECT_EQ(h.ext.pump_active.Load(), 1);
    h.kernel.Advance(2);
    EXPECT_EQ(h.RingBytes(), 19u);
}

TEST_F(DriverPnp, QueryStopAndStopUnconfigureTheBridge) {
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    // A cancel without a pending query changes nothing and stays here.
    SimRequest* cancel = h.Pnp(irp::kCancelStopDevice);
    EXPECT_EQ(cancel->status, kSuccess);
    EXPECT_FALSE(cancel->passed_down);
    EXPECT_EQ(h.ext.pnp_state.Load(), kStarted);
    h.Pnp(irp::kQueryStopDevice);
    EXPECT_EQ(h.ext.pnp_state.Load(), kStopPending);
    h.Pnp(irp::kCancelStopDevice);
    EXPECT_EQ(h.ext.pnp_state.Load(), kStarted);
    h.Pnp(irp::kQueryStopDevice);
    EXPECT_TRUE(h.Pnp(irp::kStopDevice)->passed_down);
    EXPECT_EQ(h.ext.pnp_state.Load(), kStopped);
    EXPECT_EQ(h.kernel.bridge().unconfigure_calls, 1);
    EXPECT_EQ(h.ext.config_descriptor, nullptr);
    EXPECT_EQ(h.Open()->status, kInvalidDeviceState);
}

TEST_F(DriverPnp, QueryStopWhileThePortIsOpenIsRefused) {
    StartAndOpen();
    EXPECT_EQ(h.Pnp(irp::kQueryStopDevice)->status, kDeviceBusy);
    EXPECT_EQ(h.ext.pnp_state.Load(), kStarted);
}

TEST_F(DriverPnp, OtherRequestsArePassedDownUntouched) {
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    SimRequest* r = h.Pnp(0x07);  // query device relations
    EXPECT_TRUE(r->passed_down);
    EXPECT_FALSE(r->done());
}

TEST_F(DriverPnp, CapabilitiesGivePowerDownLevelD2AndRefuseABadRecord) {
    ASSERT_EQ(h.Add(), kSuccess);
    // S1..S3 as D1, D2, D3; all D3; unmapped; and D1 last, which wins.
    const std::pair<std::array<uint32_t, 3>, uint32_t> rows[] = {
        {{2, 3, 4}, kPowerD2}, {{4, 4, 4}, kPowerD2}, {{0, 0, 0}, kPowerD2}, {{3, 2, 4}, 2}};
    for (const auto& [states, level] : rows) {
        SimRequest* r =
            h.QueryCapabilities(DriverHarness::Capabilities(states[0], states[1], states[2]));
        EXPECT_EQ(r->status, kSuccess);
        EXPECT_TRUE(LoadLe32(r->capabilities.data() + 4) & kSurpriseOk);
        EXPECT_EQ(h.ext.power_down_level, level) << states[0] << states[1] << states[2];
    }
    EXPECT_EQ(h.ext.capabilities[16 + 8], 3);
    // A record smaller than 64 bytes or of version 0.
    EXPECT_EQ(h.QueryCapabilities({}, 63, 1)->status, kUnsuccessful);
    EXPECT_EQ(h.QueryCapabilities({}, 64, 0)->status, kUnsuccessful);
}

}  // namespace
}  // namespace qmub::sim
