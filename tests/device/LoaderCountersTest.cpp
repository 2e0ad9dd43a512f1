// Counters of the autoloader over the simulated device: which devices may be asked, both
// reply lengths, the missing counter and foreign replies; the pick counter and the printer
// kind.

#include "LoaderProbe.h"
#include "SimAutoloaderRig.h"

#include <gtest/gtest.h>

namespace {

struct Device {
    const char* model;
    const char* version;
    const char* printerModel;  // "" for none
    const char* printerVersion;
};

std::unique_ptr<LoaderProbe> Connect(SimAutoloaderRig& rig, const Device& d) {
    rig.device.SetLoader(d.model, d.version);
    if (*d.printerModel) rig.device.SetPrinter(d.printerModel, d.printerVersion);
    return rig.Connect<LoaderProbe>();
}

TEST(LoaderCounters, WhoMayBeAsked) {
    struct {
        Device device;
        char key;
        bool asked;
    } cases[] = {
        // Tolvane printers of these generations have no printer firmware number.
        {{"CD-R TRANSPORTER", "VERSION 3.214", "TOLVANE", "XJQN22"}, '1', false},
        {{"CD-R TRANSPORTER", "VERSION 3.214", "TOLVANE", "XJQN22"}, '5', true},
        {{"CD-R TRANSPORTER", "VERSION 3.214", "TOLVANE", "XJQN21"}, '5', true},
        {{"CD-R TRANSPORTER", "VERSION 3.214", "TOLVANE", "XJQN23"}, '8', true},
        {{"VARDEN 7340", "VERSION 4.050", "", ""}, '5', false},
        {{"VARDEN 7340", "VERSION 3.091", "", ""}, '5', false},
        {{"VARDEN 7340", "VERSION 3.092", "", ""}, '5', true},
        {{"VARDEN 7340", "VERSION 3.999", "", ""}, '5', true},
        {{"VARDEN 7340", "VERSION 4.000", "", ""}, '5', false},
        {{"VARDEN 7340", "VERSION 4.091", "", ""}, '5', false},
        {{"VARDEN 7340", "VERSION 4.092", "", ""}, '8', true},
        {{"CD-R TRANSPORTER", "VERSION 3.214", "VEXIL", "VERSION 5.021"}, '1', true},
        {{"CD-R TRANSPORTER", "VERSION 3.214", "VEXIL", "VERSION 5.020"}, '1', false},
        {{"VARDEN 7310", "VERSION 6.300", "VEXIL", "VERSION 6.100"}, '5', false},
        {{"VARDEN 3900j", "VERSION 3.214", "VEXIL", "VERSION 4.000"}, '5', true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.device.model) + " " + c.device.version + " " +
                     c.device.printerVersion + " key " + c.key);
        SimAutoloaderRig rig;
        rig.device.Counters().Set(c.key, 77);
        auto loader = Connect(rig, c.device);
        ASSERT_TRUE(loader);
        EXPECT_EQ(loader->ReadCounter(0, c.key), c.asked ? 77 : -1);
        EXPECT_EQ(rig.Log().Count(""), c.asked ? 1 : 0);
    }
    SimAutoloaderRig rig;
    auto loader = Connect(rig, {"VARDEN 7340", "VERSION 3.214A", "", ""});
    loader->m_bootFirmware = true;
    EXPECT_EQ(loader->ReadCounter(0, '5'), -1);
    EXPECT_EQ(rig.Log().Count(""), 0);
}

TEST(LoaderCounters, RepliesOfBothLengths) {
    SimAutoloaderRig rig;
    auto loader = Connect(rig, {"CD-R TRANSPORTER", "VERSION 3.214", "VEXIL", "VERSION 6.000"});
    rig.device.Counters().Set('1', 42);
    rig.device.Counters().Set('5', 123);
    rig.device.Counters().Set('7', 2147483647);
    rig.device.Counters().Set('8', 2147483648);
    EXPECT_EQ(loader->ReadCounter(0, '1'), 42);
    EXPECT_EQ(loader->ReadCounter(0, '5'), 123);
    EXPECT_EQ(loader->ReadCounter(0, '9'), -1) << "4294967295: no such counter";
    EXPECT_EQ(loader->ReadCounter(0, '7'), 2147483647);
    EXPECT_EQ(loader->ReadCounter(0, '8'), -1) << "beyond the range of int";
    auto reads = rig.Log().Exchanges();
    ASSERT_EQ(reads.size(), 5u);
    EXPECT_EQ(reads[0].bytes, "\x1b!f;1C");
    EXPECT_EQ(reads[0].replyLength, 12);
    EXPECT_EQ(reads[0].timeoutSeconds, 15);
    EXPECT_EQ(reads[1].replyLength, 17);
    rig.device.ReplyWith("\x1b!f;5", "\x1b!f;51       123C");
    EXPECT_EQ(loader->ReadCounter(0, '5'), 123) << "leading blanks are skipped";
}

TEST(LoaderCounters, ForeignRepliesAndChannelFailures) {
    SimAutoloaderRig rig;
    auto loader = Connect(rig, {"CD-R TRANSPORTER", "VERSION 3.214", "VEXIL", "VERSION 6.000"});
    loader->m_lastError = "earlier";
    rig.device.ReplyWith("\x1b!f;5", "\x1b!f;610000000123C");  // the echo names key 6
    EXPECT_EQ(loader->ReadCounter(0, '5'), -1);
    rig.device.ReplyWith("\x1b!f;5", "\x1b!f;500000000123C");  // refused
    EXPECT_EQ(loader->ReadCounter(0, '5'), -1);
    rig.device.ReplyWith("\x1b!f;5", "\x1b!f;51000000123xC");  // stops at the letter
    EXPECT_EQ(loader->ReadCounter(0, '5'), 123);
    EXPECT_EQ(rig.Log().Count("\x1b!e1C"), 0) << "no sense request";
    EXPECT_EQ(loader->m_lastError, "earlier");

    rig.channel.Fail(SimChannel::Op::Transact, "\x1b!f;", ChannelError::CtsOff);
    EXPECT_EQ(loader->ReadCounter(0, '5'), -1);
    EXPECT_EQ(loader->m_lastError, SimChannel::ErrorText(ChannelError::CtsOff));
}

TEST(LoaderCounters, PickCounterAndPrinterKind) {
    struct {
        Device device;
        bool pickCounter;
        int printerKind;
    } cases[] = {
        {{"VARDEN 6345", "VERSION 3.000", "VEXIL", "VERSION 6.000"}, true, 0},
        {{"Tessaran  IV", "VERSION 3.000", "TOLVANE", "XJQN21"}, true, 2},
        {{"VARDEN QRX", "VERSION01.000", "TOLVANE", "XJQN22"}, true, 2},
        {{"Tessaran III", "VERSION 3.613", "TOLVANE", "XJQN23"}, false, 1},
        {{"Tessaran III", "VERSION 3.614", "TOLVANE", "XJQN99"}, true, 1},
        {{"VARDEN 7330", "VERSION 6.214", "", ""}, false, 5},
        {{"VARDEN 7330", "VERSION 6.215", "", ""}, true, 5},
        {{"CD-R TRANSPORTER", "VERSION 9.999", "VEXIL", "VERSION 6.000"}, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.device.model) + " " + c.device.version);
        SimAutoloaderRig rig;
        auto loader = Connect(rig, c.device);
        ASSERT_TRUE(loader);
        EXPECT_EQ(loader->SupportsPickCounter(), c.pickCounter);
        EXPECT_EQ(loader->GetPrinterKind(), c.printerKind);
    }
    SimAutoloaderRig rig;
    auto loader = Connect(rig, {"VARDEN 7340", "VERSION 3.214A", "TOLVANE", "XJQN21"});
    loader->m_printerPresent = 0;  // no port answered the probe
    EXPECT_EQ(loader->GetPrinterKind(), 5);
}

}  // namespace
