// Device set-up, registry parameters, start, stop, removal and capabilities.
#include <gtest/gtest.h>

#include "driver_harness.h"

namespace qmub::sim {
namespace {

constexpr uint32_t kSurpriseOk = 1u << 9;

class DriverPnp : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(h.kernel.faults.empty()) << h.kernel.faults.front(); }
    DriverHarness h;
};

TEST_F(DriverPnp, ParametersTakeTheirValuesAbsentMeansOn) {
    h.kernel.parameters = {{u"PreventFromSuspend", 0}, {u"PreventFromSuspend1", 5}};
    ASSERT_EQ(h.Add(), kSuccess);
    EXPECT_EQ(h.ext.receive_from_device, 0u);
    EXPECT_EQ(h.ext.serial_emulation, 5u);
    EXPECT_EQ(h.ext.idle_registry_enabled, 1u);  // "SSUsbEnable" absent: on
    EXPECT_EQ(h.ext.dtr_function.Load(), 1);
}

TEST_F(DriverPnp, UnreadableParametersKeyTurnsEverythingOff) {
    h.kernel.parameters_key_unreadable = true;
    ASSERT_EQ(h.Add(), kSuccess);
    EXPECT_EQ(h.ext.receive_from_device, 0u);
    EXPECT_EQ(h.ext.serial_emulation, 0u);
    EXPECT_EQ(h.ext.idle_registry_enabled, 0u);
}

TEST_F(DriverPnp, OlderWdmLevelsKeepThePresets) {
    h.kernel.parameters_key_unreadable = true;
    ASSERT_EQ(h.Add(1), kSuccess);
    EXPECT_EQ(h.ext.wdm_level, 1u);
    EXPECT_EQ(h.ext.receive_from_device, 1u);
    EXPECT_EQ(h.ext.serial_emulation, 1u);
    EXPECT_EQ(h.ext.idle_registry_enabled, 0u);
}

TEST_F(DriverPnp, AddDeviceWithoutMemoryForTheRingFails) {
    h.kernel.fail_allocation = [](size_t n) { return n == kRingSize; };
    EXPECT_EQ(h.Add(), kInsufficientResources);
    EXPECT_EQ(h.kernel.live_allocations, 0);
}

TEST_F(DriverPnp, StartPublishesLinkAndDeviceMapAndLoadsDefaults) {
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    EXPECT_EQ(h.ext.pnp_state.Load(), kStarted);
    EXPECT_EQ(h.kernel.dos_links.at(u"\\DosDevices\\COM3"), h.kernel.interface_link);
    EXPECT_EQ(h.kernel.serialcomm.at(h.kernel.interface_link), u"COM3");
    EXPECT_TRUE(h.kernel.interface_enabled);
    EXPECT_EQ(h.ext.baud_rate.Load(), 9600u);
    EXPECT_EQ(h.ext.line_control, 3);
    EXPECT_TRUE(h.kernel.bridge().vendor_calls.empty());  // no line coding in normal mode
    EXPECT_EQ(h.ext.io_count.Load(), 1);
}

TEST_F(DriverPnp, PortNameMissingTakesIdentifier) {
    h.kernel.device_strings = {{u"Identifier", u"COM7"}};
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    EXPECT_EQ(h.kernel.dos_links.count(u"\\DosDevices\\COM7"), 1u);
    EXPECT_EQ(h.kernel.serialcomm.at(h.kernel.interface_link), u"COM7");
}

TEST_F(DriverPnp, WithoutAnyPortNameTheStartFailsAndPublishesNothing) {
    h.kernel.device_strings.clear();
    EXPECT_EQ(h.AddAndStart(), kObjectNameNotFound);
    EXPECT_TRUE(h.kernel.dos_links.empty());
    EXPECT_TRUE(h.kernel.serialcomm.empty());
    EXPECT_EQ(h.ext.pnp_state.Load(), kNotStarted);
}

TEST_F(DriverPnp, APortNameLongerThan32CharactersIsRefused) {
    h.kernel.device_strings[u"PortName"] = std::u16string(33, u'C');
    EXPECT_EQ(h.AddAndStart(), kInvalidParameter);
    EXPECT_TRUE(h.kernel.dos_links.empty());
    EXPECT_TRUE(h.kernel.serialcomm.empty());
    EXPECT_FALSE(h.kernel.interface_enabled);
    EXPECT_EQ(h.ext.pnp_state.Load(), kStarted);  // undone, but started
    h.kernel.device_strings[u"PortName"] = std::u16string(32, u'C');
}

TEST_F(DriverPnp, AFailedLinkUndoesTheInterface) {
    h.kernel.create_link_status = kInsufficientResources;
    EXPECT_EQ(h.AddAndStart(), kInsufficientResources);
    EXPECT_TRUE(h.kernel.serialcomm.empty());
    EXPECT_FALSE(h.kernel.interface_enabled);
    EXPECT_FALSE(h.kernel.interface_name_present);
}

TEST_F(DriverPnp, StartFailsWhenTheLowerDeviceRefusesOrTheChipDoes) {
    h.kernel.lower_status = kUnsuccessful;
    EXPECT_EQ(h.AddAndStart(), kUnsuccessful);
    EXPECT_EQ(h.ext.pnp_state.Load(), kNotStarted);
    h.kernel.lower_status = kSuccess;
    h.kernel.bridge().select_status = kDeviceNotConnected;
    EXPECT_EQ(h.Start(), kDeviceNotConnected);
    EXPECT_TRUE(h.kernel.dos_links.empty());
}

TEST_F(DriverPnp, MalformedConfigurationDescriptorsFailTheStart) {
    auto& config = h.kernel.bridge().config_descriptor;
    config[18] = 40;  // an endpoint descriptor running past wTotalLength
    EXPECT_EQ(h.AddAndStart(), kUnsuccessful);
    config[18] = 0;  // a zero-length descriptor
    EXPECT_EQ(h.Start(), kUnsuccessful);
    config[18] = 7;
    config[2] = 4;  // wTotalLength below the header
    EXPECT_EQ(h.Start(), kUnsuccessful);
    EXPECT_EQ(h.kernel.live_allocations, 1);  // only the ring
}

TEST_F(DriverPnp, SerialEmulationOffSendsLineCoding2400AtStart) {
    h.kernel.parameters = {{u"PreventFromSuspend1", 0}};
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    ASSERT_EQ(h.kernel.bridge().vendor_calls.size(), 1u);
    EXPECT_EQ(h.kernel.bridge().vendor_calls[0].request, 0x21);
    EXPECT_EQ(h.kernel.bridge().vendor_calls[0].value, 0x0303);
}

TEST_F(DriverPnp, SurpriseRemovalWithThePortOpenUnpublishesAndAbortsPipes) {
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    SimRequest* open = h.Open();
    ASSERT_EQ(open->status, kSuccess);
    SimRequest* surprise = h.Pnp(irp::kSurpriseRemoval);
    EXPECT_TRUE(surprise->passed_down);
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
    SimRequest* remove = h.Pnp(irp::kRemoveDevice);
    EXPECT_TRUE(remove->passed_down);
    EXPECT_TRUE(h.kernel.device_deleted);
    EXPECT_EQ(h.kernel.live_allocations, 0);
}

TEST_F(DriverPnp, RemovalWithoutSurpriseUnpublishesEvenWithThePortOpen) {
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    ASSERT_EQ(h.Open()->status, kSuccess);
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
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    SimRequest* open = h.Open();
    ASSERT_EQ(h.ext.pump_active.Load(), 1);
    SimRequest* query = h.Pnp(irp::kQueryRemoveDevice);
    EXPECT_TRUE(query->passed_down);
    EXPECT_EQ(h.ext.pnp_state.Load(), kRemovePending);
    EXPECT_EQ(h.ext.pump_active.Load(), 0);
    EXPECT_FALSE(h.kernel.bridge().HasPendingIn());
    SimRequest* cancel = h.Pnp(irp::kCancelRemoveDevice);
    EXPECT_EQ(cancel->status, kSuccess);
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

TEST_F(DriverPnp, CancelWithoutAPendingQueryChangesNothing) {
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    SimRequest* cancel = h.Pnp(irp::kCancelStopDevice);
    EXPECT_EQ(cancel->status, kSuccess);
    EXPECT_FALSE(cancel->passed_down);
    EXPECT_EQ(h.ext.pnp_state.Load(), kStarted);
}

TEST_F(DriverPnp, QueryStopAndStopUnconfigureTheBridge) {
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    h.Pnp(irp::kQueryStopDevice);
    EXPECT_EQ(h.ext.pnp_state.Load(), kStopPending);
    h.Pnp(irp::kCancelStopDevice);
    EXPECT_EQ(h.ext.pnp_state.Load(), kStarted);
    h.Pnp(irp::kQueryStopDevice);
    SimRequest* stop = h.Pnp(irp::kStopDevice);
    EXPECT_TRUE(stop->passed_down);
    EXPECT_EQ(h.ext.pnp_state.Load(), kStopped);
    EXPECT_EQ(h.kernel.bridge().unconfigure_calls, 1);
    EXPECT_EQ(h.ext.config_descriptor, nullptr);
    EXPECT_EQ(h.Open()->status, kInvalidDeviceState);
    EXPECT_EQ(h.ext.io_count.Load(), 1);
}

TEST_F(DriverPnp, QueryStopWhileThePortIsOpenIsRefused) {
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    h.Open();
    SimRequest* query = h.Pnp(irp::kQueryStopDevice);
    EXPECT_EQ(query->status, kDeviceBusy);
    EXPECT_EQ(h.ext.pnp_state.Load(), kStarted);
}

TEST_F(DriverPnp, OtherRequestsArePassedDownUntouched) {
    ASSERT_EQ(h.AddAndStart(), kSuccess);
    SimRequest* r = h.Pnp(0x07);  // query device relations
    EXPECT_TRUE(r->passed_down);
    EXPECT_FALSE(r->done());
    EXPECT_EQ(h.ext.io_count.Load(), 1);
}

uint32_t QueryPowerDownLevel(DriverHarness& h, uint32_t s1, uint32_t s2, uint32_t s3) {
    SimRequest* r = h.QueryCapabilities(DriverHarness::Capabilities(s1, s2, s3));
    EXPECT_EQ(r->status, kSuccess);
    uint32_t flags = 0;
    std::memcpy(&flags, r->capabilities.data() + 4, 4);
    EXPECT_TRUE(flags & kSurpriseOk);
    return h.ext.power_down_level;
}

TEST_F(DriverPnp, CapabilitiesGivePowerDownLevelD2) {
    ASSERT_EQ(h.Add(), kSuccess);
    EXPECT_EQ(QueryPowerDownLevel(h, 2, 3, 4), kPowerD2);  // D1, D2, D3
    EXPECT_EQ(QueryPowerDownLevel(h, 4, 4, 4), kPowerD2);  // all D3
    EXPECT_EQ(QueryPowerDownLevel(h, 0, 0, 0), kPowerD2);  // unmapped
    EXPECT_EQ(QueryPowerDownLevel(h, 3, 2, 4), 2u);        // the last wins: D1
    EXPECT_EQ(h.ext.capabilities[16 + 8], 3);
}

TEST_F(DriverPnp, CapabilitiesRecordTooSmallOrUnversionedFails) {
    ASSERT_EQ(h.Add(), kSuccess);
    EXPECT_EQ(h.QueryCapabilities({}, 63, 1)->status, kUnsuccessful);
    EXPECT_EQ(h.QueryCapabilities({}, 64, 0)->status, kUnsuccessful);
}

}  // namespace
}  // namespace qmub::sim
