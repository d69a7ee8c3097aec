// The send and receive flow driven the way the application drives it: its own timer calls the
// engine, the directory opens a modal dialog whose OK starts the transfer on the dialog's timer,
// the flow's posted close ends the dialog, and messages are reported when the operation ends.
#include <gtest/gtest.h>

#include <functional>

#include "link_test_support.h"
#include "sim/sim_faults.h"

namespace travex {
namespace {

using linktest::calc_name;
using linktest::file_image;
using linktest::pattern;

// The application's side: a dialog that, when the directory is in, does what a user's OK would
// and then runs its own message loop (ticks) until the flow posts its close.
class DialogUi final : public FileQuestions, public link::LinkHost {
public:
    SkipAnswer ask_skip(MessageId, std::string_view) override { return SkipAnswer::skip; }
    OverwriteAnswer ask_overwrite(std::string_view) override {
        ++overwrite_questions;
        return overwrite;
    }
    // Kept as error-report indexes, which are the link's error codes.
    void report(MessageId message) override { reports.push_back(message_index(message)); }
    void run_dialog(link::LinkOperation op) override {
        ++dialogs;
        dialog_op = op;
        if (on_ok) {
            on_ok();
        }
        // The dialog is modal: its own timer ticks run until the close arrives.
        while (engine->timer_armed() && !engine->dialog_close_posted()) {
            ++dialog_ticks;
            if (on_dialog_tick) {
                on_dialog_tick(dialog_ticks);
            }
            clock->sleep_ms(100);
            engine->on_timer();
        }
    }
    void window_enabled() override { ++enables; }
    void captured(const Bytes& screen) override { capture = screen; }
    void probe_answered() override { ++answers; }

    link::LinkEngine* engine = nullptr;
    VirtualClock* clock = nullptr;
    std::function<void()> on_ok;
    std::function<void(int)> on_dialog_tick;
    OverwriteAnswer overwrite = OverwriteAnswer::overwrite;
    std::vector<int> reports;
    int dialogs = 0;
    int dialog_ticks = 0;
    int enables = 0;
    int overwrite_questions = 0;
    int answers = 0;
    link::LinkOperation dialog_op = link::LinkOperation::none;
    Bytes capture;
};

struct DrivenRig {
    DrivenRig() : port(clock, &sim, {}), session(port, clock, settings, fs, ui, progress) {
        session.set_host(&ui);
        ui.engine = &session.engine();
        ui.clock = &clock;
    }
    // The frame's timer: ticks until the operation stops arming it.
    int run(link::LinkOperation op) {
        const int opened = session.begin(op);
        if (opened != 0) {
            return opened;
        }
        for (int ticks = 0; session.engine().timer_armed() && ticks < 100000; ++ticks) {
            clock.sleep_ms(100);
            session.engine().on_timer();
        }
        return 0;
    }

    VirtualClock clock;
    sim::SimCalculator sim;
    link::LinkSettings settings;
    VirtualPort port;
    testing::FaultFileSystem fs;
    DialogUi ui;
    link::CountingProgress progress;
    link::LinkSession session;
};

TEST(LinkDrivenSession, SendFromTheDialogReachesTheCalculatorByteForByte) {
    DrivenRig rig;
    const Bytes body = pattern(2000, 7);
    rig.fs.files["d/prog.g6p"] = file_image('6', 'p', calc_name("PROG"), "", body);
    rig.ui.on_ok = [&] { rig.session.start_sending({"d/prog.g6p"}); };
    ASSERT_EQ(rig.run(link::LinkOperation::send), 0);
    EXPECT_EQ(rig.ui.dialogs, 1);
    EXPECT_EQ(rig.ui.dialog_op, link::LinkOperation::send);
    EXPECT_GT(rig.ui.dialog_ticks, 0) << "the files travel on the dialog's own timer";
    const Bytes* stored = rig.sim.memory().find_item(link::make_name("PROGRAM"), calc_name("PROG"));
    ASSERT_NE(stored, nullptr);
    EXPECT_TRUE(rig.ui.reports.empty());
    EXPECT_EQ(rig.sim.stats().goodbyes, 1);
    EXPECT_FALSE(rig.port.is_open());
    EXPECT_FALSE(rig.progress.is_open());
    EXPECT_TRUE(rig.session.outcome().ok);
}

TEST(LinkDrivenSession, ClosingTheDialogWithoutOkSaysGoodbye) {
    DrivenRig rig;
    ASSERT_EQ(rig.run(link::LinkOperation::receive), 0);
    EXPECT_EQ(rig.ui.dialogs, 1);
    EXPECT_EQ(rig.ui.dialog_ticks, 0);
    EXPECT_EQ(rig.sim.stats().goodbyes, 1);
    EXPECT_FALSE(rig.port.is_open());
    EXPECT_FALSE(rig.session.engine().timer_armed());
}

TEST(LinkDrivenSession, ReceiveFromTheDialogStoresTheCalculatorsItems) {
    DrivenRig rig;
    rig.sim.memory().put_named(link::make_name("PROGRAM"), calc_name("ABC"), pattern(300, 3));
    rig.ui.on_ok = [&] {
        std::vector<link::ReceiveItem> chosen;
        for (const link::ReceiveItem& item : rig.session.listed()) {
            if (item.line_text == "abc.g6p" || item.line_text == "winsetup.g6w") {
                chosen.push_back(item);
            }
        }
        ASSERT_EQ(chosen.size(), 2u);
        rig.session.start_receiving(chosen, "in");
    };
    rig.fs.files["in/abc.g6p"] = {9};
    ASSERT_EQ(rig.run(link::LinkOperation::receive), 0);
    EXPECT_EQ(rig.ui.overwrite_questions, 1);
    ASSERT_EQ(rig.fs.files.count("in/abc.g6p"), 1u);
    EXPECT_GT(rig.fs.files["in/abc.g6p"].size(), 54u + 290) << "the old file was replaced";
    EXPECT_EQ(rig.fs.files.count("in/winsetup.g6w"), 1u);
    EXPECT_FALSE(rig.port.is_open());
}

TEST(LinkDrivenSession, FaultsEndWithTheirMessageAndTheNextOperationSucceeds) {
    // {fault, the message index reported}
    const std::pair<const char*, int> cases[] = {
        {"cancel82:6", link::code::kCommunicationFailed},
        {"memfull", link::code::kCalculatorMemoryOver},
        {"silence:6", link::code::kNoResponse},
        {"checksum:6", -1},  // one bad checksum is repeated and the send succeeds
    };
    for (const auto& [fault_text, message] : cases) {
        DrivenRig rig;
        std::string error;
        const auto fault = sim::parse_fault(fault_text, error);
        ASSERT_TRUE(fault) << error;
        rig.sim.add_fault(*fault);
        rig.fs.files["p.g6p"] = file_image('6', 'p', calc_name("P"), "", pattern(500, 1));
        rig.ui.on_ok = [&] { rig.session.start_sending({"p.g6p"}); };
        ASSERT_EQ(rig.run(link::LinkOperation::send), 0) << fault_text;
        if (message < 0) {
            EXPECT_TRUE(rig.ui.reports.empty()) << fault_text;
        } else {
            EXPECT_EQ(rig.ui.reports, std::vector<int>{message}) << fault_text;
        }
        EXPECT_FALSE(rig.port.is_open()) << fault_text;
        EXPECT_FALSE(rig.progress.is_open()) << fault_text;
        EXPECT_FALSE(rig.session.engine().timer_armed()) << fault_text;

        // The calculator is well again: the next operation goes through.
        rig.sim = sim::SimCalculator{};
        rig.ui.reports.clear();
        ASSERT_EQ(rig.run(link::LinkOperation::send), 0) << fault_text;
        EXPECT_TRUE(rig.ui.reports.empty()) << fault_text;
        EXPECT_NE(rig.sim.memory().find_item(link::make_name("PROGRAM"), calc_name("P")), nullptr)
            << fault_text;
    }
}

TEST(LinkDrivenSession, CancelInTheProgressWindowStopsAtTheNextStepWithoutMessage) {
    DrivenRig rig;
    rig.fs.files["a.g6p"] = file_image('6', 'p', calc_name("A"), "", pattern(3000, 1));
    rig.fs.files["b.g6p"] = file_image('6', 'p', calc_name("B"), "", pattern(30, 1));
    rig.ui.on_ok = [&] { rig.session.start_sending({"a.g6p", "b.g6p"}); };
    rig.ui.on_dialog_tick = [&](int tick) {
        if (tick == 30) {
            rig.session.engine().request_abort(false);
        }
    };
    ASSERT_EQ(rig.run(link::LinkOperation::send), 0);
    EXPECT_EQ(rig.ui.reports, std::vector<int>{link::code::kUserAbort});
    EXPECT_EQ(rig.sim.stats().items_stored, 0);
    EXPECT_EQ(rig.sim.stats().goodbyes, 1);
    EXPECT_FALSE(rig.port.is_open());
}

TEST(LinkDrivenSession, CaptureAndProbeTellTheApplication) {
    DrivenRig rig;
    ASSERT_EQ(rig.run(link::LinkOperation::capture), 0);
    EXPECT_EQ(rig.ui.capture.size(), 1056u);
    EXPECT_FALSE(rig.port.is_open());
    ASSERT_EQ(rig.run(link::LinkOperation::probe), 0);
    EXPECT_EQ(rig.ui.answers, 1);
    EXPECT_FALSE(rig.port.is_open());
}

TEST(LinkDrivenSession, APortThatCannotOpenAnswersItsCode) {
    DrivenRig rig;
    rig.settings.port_number = 0;
    link::LinkSession session(rig.port, rig.clock, rig.settings, rig.fs, rig.ui, rig.progress);
    session.set_host(&rig.ui);
    EXPECT_EQ(session.begin(link::LinkOperation::send), 2);
    EXPECT_FALSE(session.engine().timer_armed());
    EXPECT_EQ(session.outcome().code, 2);
}

}  // namespace
}  // namespace travex
