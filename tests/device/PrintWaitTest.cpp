// The wait for a Tolvane printer to finish a print, driven by the printer codes the
// simulated device reports, without real waiting.

#include "SimAutoloaderRig.h"
#include "VardenStateProbe.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Codes = std::vector<unsigned>;

class TolvaneWait : public ::testing::Test {
protected:
    void SetUp() override {
        rig.device.SetPrinter("TOLVANE", "XJQN22");
        loader = rig.Connect<VardenStateProbe>();
        ASSERT_TRUE(loader);
        loader->m_lastError = "earlier";
    }
    bool Wait(const Codes& codes) {
        for (unsigned code : codes) rig.device.QueueSense(0, code);
        return loader->PollPrintCompletion();
    }
    int Resets() { return rig.Log().Count("\x1b!f12600C"); }

    SimAutoloaderRig rig;
    std::unique_ptr<VardenStateProbe> loader;
};

TEST_F(TolvaneWait, OutcomesByCodeSequence) {
    struct {
        const char* name;
        Codes codes;
        bool done;
        int polls;
        const char* error;  // null: not looked at
    } cases[] = {
        {"waiting then printed", {3, 3, 21}, true, 3, nullptr},
        {"printed without waiting first", {5, 21}, false, 2, "Print failed - Sense = 21"},
        {"idle twice", {0, 0}, false, 2, "Print failed - Sense = 0"},
        {"idle note cleared by another code", {0, 5, 0, 4}, true, 4, nullptr},
        {"done at once", {4}, true, 1, nullptr},
        {"a fault", {2, 2, 254}, false, 3, "Print failed - Sense = 254"},
        {"255 is no fault", {255, 4}, true, 2, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rig.device.Log().Clear();
        EXPECT_EQ(Wait(c.codes), c.done);
        EXPECT_EQ(rig.Log().Count("\x1b!e1C"), c.polls);
        if (c.error) {
            EXPECT_STREQ(loader->GetErrorText(), c.error);
        }
        rig.device.SetSense(0, 0);
    }
}

TEST_F(TolvaneWait, LoadStateResetOnceAndSixtyOneWaitingPolls) {
    Codes waiting(61, 3);
    waiting.push_back(21);
    EXPECT_TRUE(Wait(waiting));
    EXPECT_EQ(Resets(), 1);
    const auto reset = rig.Log().Exchanges("\x1b!f12600C")[0];
    EXPECT_EQ(reset.replyLength, 6);
    EXPECT_EQ(reset.timeoutSeconds, 7);

    rig.device.Log().Clear();
    EXPECT_FALSE(Wait(Codes(62, 3)));
    EXPECT_EQ(rig.Log().Count("\x1b!e1C"), 62);
    EXPECT_STREQ(loader->GetErrorText(), "Print failed - Sense = 3");
}

TEST_F(TolvaneWait, PausesBetweenPollsAndAfterAnIdleCode) {
    EXPECT_TRUE(Wait({2, 0, 4}));
    EXPECT_EQ(rig.Log().Sleeps(), (std::vector<long>{500, 2000, 500}));
}

TEST_F(TolvaneWait, SixHundredAndOnePollsAtMost) {
    EXPECT_FALSE(Wait({2}));  // busy for good
    EXPECT_EQ(rig.Log().Count("\x1b!e1C"), 601);
    EXPECT_STREQ(loader->GetErrorText(), "Timed out waiting for print completion");
}

TEST_F(TolvaneWait, SenseRequestRetriedOnceAfterFiveSeconds) {
    rig.channel.Fail(SimChannel::Op::Transact, "\x1b!e1C", ChannelError::CtsOff, 1);
    EXPECT_TRUE(Wait({4}));
    EXPECT_EQ(rig.Log().Sleeps(), std::vector<long>{5000});

    rig.channel.Fail(SimChannel::Op::Transact, "\x1b!e1C", ChannelError::CtsOff, 2);
    EXPECT_FALSE(Wait({4}));
    EXPECT_EQ(loader->GetErrorText(),
              "Print failed - " + SimChannel::ErrorText(ChannelError::CtsOff));
}

TEST_F(TolvaneWait, CompletionWaitOfATolvanePrinterPolls) {
    rig.device.QueueSense(0, 4);
    EXPECT_TRUE(loader->WaitForPrintCompletion());
    EXPECT_EQ(rig.Log().Exchanges("\x1b!e1C")[0].timeoutSeconds, 3) << "not the base's 60 s";
}

}  // namespace
