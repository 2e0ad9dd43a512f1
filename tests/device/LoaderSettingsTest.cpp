// Serial numbers, display parameters and the parameter store of the autoloader over the
// simulated device: stored-text reads and writes, their gates, refusals and channel
// failures, and the store with its baud drop and sense polls.

#include "LoaderProbe.h"

#include <gtest/gtest.h>

namespace {

class LoaderSettings : public LoaderTest {
protected:
    void SetUp() override { Connect("VARDEN 7340", "VERSION 3.214A", "VEXIL"); }
};

TEST_F(LoaderSettings, SerialNumbersAreReadAsTheyAre) {
    rig.device.SetStoredText(0, "AL73 01");
    rig.device.SetStoredText(260, "PR621302");
    std::string loaderSn = "old", printerSn = "old";
    EXPECT_TRUE(loader->GetSerialNumbers(loaderSn, printerSn));
    EXPECT_EQ(loaderSn, "AL73 01 ");
    EXPECT_EQ(printerSn, "PR621302");
    EXPECT_EQ(Sent(), (Lines{"e1C", "f:000C", "f:260C"}));
    auto reads = rig.Log().Exchanges("\x1b!f:");
    EXPECT_EQ(reads[0].replyLength, 14);
    EXPECT_EQ(reads[0].timeoutSeconds, 15);
    EXPECT_EQ(reads[1].timeoutSeconds, 5);

    for (const char* model : {"VARDEN 3900j", "VARDEN 7340"}) {
        Connect(model, "VERSION 3.214A", model[7] == '3' ? "VEXIL" : "");
        EXPECT_TRUE(loader->GetSerialNumbers(loaderSn, printerSn));
        EXPECT_EQ(printerSn, "");
        EXPECT_EQ(Sent(), (Lines{"e1C", "f:000C"})) << model;
    }
}

TEST_F(LoaderSettings, SerialNumberFailures) {
    std::string loaderSn, printerSn;
    rig.device.SetStoredText(0, "AL734001");
    rig.device.Refuse("\x1b!f:260", 1, 0, 10);
    EXPECT_TRUE(loader->GetSerialNumbers(loaderSn, printerSn)) << "a printer refusal is no failure";
    EXPECT_EQ(loaderSn, "AL734001");
    EXPECT_EQ(printerSn, "");
    EXPECT_EQ(loader->m_lastError, "Printer: Invalid Left Margin");

    rig.channel.Fail(SimChannel::Op::Transact, "\x1b!f:260", ChannelError::CtsOff);
    EXPECT_FALSE(loader->GetSerialNumbers(loaderSn, printerSn));
    EXPECT_EQ(loader->m_lastError, "Get Printer SN - " + SimChannel::ErrorText(ChannelError::CtsOff));
    EXPECT_EQ(loaderSn, "AL734001") << "what was read stays";

    rig.channel.Fail(SimChannel::Op::Transact, "\x1b!f:000", ChannelError::ReceiveTimeout);
    EXPECT_FALSE(loader->GetSerialNumbers(loaderSn, printerSn));
    EXPECT_EQ(loader->m_lastError, "Get SN - Receive timeout");

    rig.device.Refuse("\x1b!f:000", 1, 5, 0);
    EXPECT_FALSE(loader->GetSerialNumbers(loaderSn, printerSn));
    EXPECT_EQ(loader->m_lastError, "Transporter: Illegal Request");
}

TEST_F(LoaderSettings, SerialNumberGates) {
    struct {
        const char* model;
        const char* version;
        bool passes;
        const char* reason;
    } cases[] = {
        {"CD-R TRANSPORTER", "VERSION 3.069", false, "low revision firmware"},
        {"CD-R TRANSPORTER", "VERSION 3.070", true, ""},
        {"BOOT8", "VERSION 3.214", false, "OTP firmware"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        Connect(c.model, c.version, "VEXIL");
        loader->m_bootFirmware = c.model[0] == 'B';  // as initialisation finds it
        std::string loaderSn, printerSn;
        EXPECT_EQ(loader->GetSerialNumbers(loaderSn, printerSn), c.passes);
        if (!c.passes) {
            EXPECT_EQ(loader->m_lastError, std::string("GetSerialNumbers failed - ") + c.reason);
        }
        EXPECT_EQ(loader->SetSerialNumbers("A", "B"), c.passes);
        if (!c.passes) {
            EXPECT_EQ(loader->m_lastError, std::string("SetSerialNumbers failed - ") + c.reason);
            EXPECT_EQ(Sent(), Lines{});
        }
    }

    // The serially controlled kind has no numbers to read, yet takes the loader's.
    Connect("VARDEN 7340", "VERSION 3.214A", "VEXIL");
    loader->m_printerKindSerialTolvane = true;
    std::string loaderSn = "x", printerSn = "y";
    EXPECT_TRUE(loader->GetSerialNumbers(loaderSn, printerSn));
    EXPECT_EQ(loaderSn + printerSn, "");
    EXPECT_EQ(Sent(), Lines{});
    EXPECT_TRUE(loader->SetSerialNumbers("AL1", "PR1"));
    EXPECT_EQ(Sent(), (Lines{"f0C", "f9000CAL1     "}));
}

TEST_F(LoaderSettings, SerialNumbersAreWrittenInEightCharacters) {
    EXPECT_TRUE(loader->SetSerialNumbers("ABC", "0123456789"));
    EXPECT_EQ(Sent(), (Lines{"e1C", "f9000CABC     ", "SetReadTimeout 15000", "f9260C01234567"}));
    EXPECT_EQ(rig.device.StoredText(260), "01234567");
    EXPECT_EQ(rig.Log().Exchanges("\x1b!f9")[1].timeoutSeconds, 5);

    for (const char* model : {"VARDEN 3900j", "VARDEN 7340"}) {
        Connect(model, "VERSION 3.214A", model[7] == '3' ? "VEXIL" : "TOLVANE");
        EXPECT_TRUE(loader->SetSerialNumbers("ABC", "DEF"));
        EXPECT_EQ(Sent(), (Lines{"e1C", "f9000CABC     "})) << model;
    }
    Connect("VARDEN 7340", "VERSION 3.214A", "");
    EXPECT_TRUE(loader->SetSerialNumbers("ABC", "DEF"));
    EXPECT_EQ(Sent().size(), 2u) << "no printer, no printer number";

    Connect("VARDEN 7340", "VERSION 3.214A", "VEXIL");
    rig.device.Refuse("\x1b!f9000", 1, 5, 0);
    EXPECT_FALSE(loader->SetSerialNumbers("ABC", "DEF"));
    EXPECT_EQ(rig.Log().Count("\x1b!f9260"), 0);
    EXPECT_EQ(loader->m_lastError, "Transporter: Illegal Request");
}

TEST_F(LoaderSettings, DisplayParametersAreWritten) {
    EXPECT_TRUE(loader->SetPlattorParams("Front Desk Unit 7 extra", true, true, false, 10));
    EXPECT_EQ(Sent(), (Lines{"e1C", "f9099C11100000", "f9100CFront De", "f9101Csk Unit "}));

    rig.Log().Clear();
    EXPECT_TRUE(loader->SetPlattorParams("Lab 5", false, true, true, -1));
    EXPECT_EQ(Sent(), (Lines{"e1C", "f9099C01101000", "f9100CLab 5   ", "f9101C        "}));

    rig.Log().Clear();
    EXPECT_TRUE(loader->SetPlattorParams("ignored", false, false, true, 9));
    EXPECT_EQ(Sent(), (Lines{"e1C", "f9099C00091000"}));
    EXPECT_EQ(rig.Log().Exchanges("\x1b!f9")[0].timeoutSeconds, 5);

    rig.device.Refuse("\x1b!f9100", 1, 5, 0);
    EXPECT_FALSE(loader->SetPlattorParams("Lab", true, true, true, 1));
    EXPECT_EQ(rig.Log().Count("\x1b!f9101"), 0);
}

TEST_F(LoaderSettings, DisplayParametersAreRead) {
    rig.device.SetStoredText(99, "1x0a1000");
    std::string name = "old";
    bool first = false, shown = true, fifth = false;
    int beeps = 7;
    EXPECT_TRUE(loader->GetPlattorParams(name, first, shown, fifth, beeps));
    EXPECT_TRUE(first);
    EXPECT_FALSE(shown);
    EXPECT_EQ(beeps, 0);
    EXPECT_TRUE(fifth);
    EXPECT_EQ(name, "");
    EXPECT_EQ(Sent(), (Lines{"e1C", "f:099C"}));
    EXPECT_EQ(rig.Log().Exchanges("\x1b!f:")[0].timeoutSeconds, 10);

    rig.Log().Clear();
    rig.device.SetStoredText(99, "01131000");
    rig.device.SetStoredText(100, "Corlane");
    rig.device.SetStoredText(101, "Lab 7340");
    EXPECT_TRUE(loader->GetPlattorParams(name, first, shown, fifth, beeps));
    EXPECT_EQ(name, "Corlane Lab 7340");
    EXPECT_FALSE(first);
    EXPECT_TRUE(shown);
    EXPECT_EQ(beeps, 3);
    EXPECT_TRUE(fifth);
    EXPECT_EQ(Sent(), (Lines{"e1C", "f:099C", "f:100C", "f:101C"}));

    rig.channel.Fail(SimChannel::Op::Transact, "\x1b!f:099", ChannelError::CtsOff);
    EXPECT_FALSE(loader->GetPlattorParams(name, first, shown, fifth, beeps));
    EXPECT_EQ(loader->m_lastError,
              "Get Plattor Params - " + SimChannel::ErrorText(ChannelError::CtsOff));
    EXPECT_EQ(name + (first ? "1" : "") + (shown ? "1" : "") + std::to_string(beeps), "0");

    rig.channel.Fail(SimChannel::Op::Transact, "\x1b!f:101", ChannelError::CtsOff);
    EXPECT_FALSE(loader->GetPlattorParams(name, first, shown, fifth, beeps));
    EXPECT_EQ(loader->m_lastError, SimChannel::ErrorText(ChannelError::CtsOff));
    EXPECT_EQ(name, "Corlane ") << "what was read stays";
}

TEST_F(LoaderSettings, DisplayParameterGate) {
    struct {
        const char* model;
        const char* version;
        const char* refusal;  // null: passes
    } cases[] = {
        {"Tessaran  IV", "VERSION 3.000", nullptr},
        {"Tessaran III", "VERSION 3.000", nullptr},
        {"VARDEN QRX", "VERSION01.000", nullptr},
        {"VARDEN 7310", "VERSION 6.012", "low revision firmware"},
        {"VARDEN 7310", "VERSION 6.013", nullptr},
        {"BOOT7", "VERSION 6.500", "OTP firmware"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " " + c.version);
        Connect(c.model, c.version, "VEXIL");
        loader->m_bootFirmware = c.model[0] == 'B';  // as initialisation finds it
        std::string name;
        bool first, shown, fifth;
        int beeps;
        EXPECT_EQ(loader->SetPlattorParams("", false, false, false, 0), !c.refusal);
        if (c.refusal) {
            EXPECT_EQ(loader->m_lastError, std::string("SetPlattorParams failed - ") + c.refusal);
        }
        EXPECT_EQ(loader->GetPlattorParams(name, first, shown, fifth, beeps), !c.refusal);
        if (c.refusal) {
            EXPECT_EQ(loader->m_lastError, std::string("GetPlattorParams failed - ") + c.refusal);
            EXPECT_EQ(Sent(), Lines{});
        }
    }
}

TEST_F(LoaderSettings, StoreDropsTheLineAndComesBackAtFullRate) {
    for (int rate : {115200, 57600}) {
        SCOPED_TRACE(rate);
        rig.device.SetBaudRate(rate);
        rig.channel.SetBaudRate(rate);
        rig.Log().Clear();
        EXPECT_TRUE(loader->UpdateFlashParameters(true));
        EXPECT_EQ(Sent(), (Lines{"e1C", "b38400C", "SetBaudRate 38400", "h1C", "g1C", "e1C",
                                 "b11520C", "SetBaudRate 115200"}));
        EXPECT_EQ(rig.device.BaudRate(), 115200);
        EXPECT_EQ(rig.channel.GetBaudRate(), 115200);
        EXPECT_EQ(rig.Log().Exchanges("\x1b!g1C")[0].timeoutSeconds, 20);
        EXPECT_EQ(rig.Log().Exchanges("\x1b!h1C")[0].timeoutSeconds, 20);
    }
    for (int rate : {38400, 9600}) {
        rig.device.SetBaudRate(rate);
        rig.channel.SetBaudRate(rate);
        rig.Log().Clear();
        EXPECT_TRUE(loader->UpdateFlashParameters(false));
        EXPECT_EQ(Sent(), (Lines{"e1C", "g1C", "e1C"})) << rate;
    }
}

TEST_F(LoaderSettings, StoreOverHidOrWithoutPrinterStore) {
    SimAutoloaderRig hid(SimChannel::Kind::Hid);
    hid.device.SetPrinter("TOLVANE", "XJQN22");
    auto tolvane = hid.Connect<LoaderProbe>();
    ASSERT_TRUE(tolvane);
    EXPECT_TRUE(tolvane->UpdateFlashParameters(true));
    EXPECT_EQ(LoaderTrace(hid.Log()), (Lines{"e1C", "g1C", "e1C"}));

    // The device restarting to store: HID's own receive time-out is tolerated too.
    hid.device.Silence("\x1b!g1");
    EXPECT_TRUE(tolvane->UpdateFlashParameters(true));
    // An unplugged device is not.
    hid.channel.Fail(SimChannel::Op::Transact, "\x1b!g1", ChannelError::HidNoDevice);
    EXPECT_FALSE(tolvane->UpdateFlashParameters(true));
    EXPECT_EQ(tolvane->m_lastError, SimChannel::ErrorText(ChannelError::HidNoDevice));

    // The serially controlled kind stores no printer, whatever the printer's model.
    loader->m_printerKindSerialTolvane = true;
    EXPECT_TRUE(loader->UpdateFlashParameters(true));
    EXPECT_EQ(rig.Log().Count("\x1b!h1"), 0);
}

TEST_F(LoaderSettings, StoreToleratesSilenceButNotRefusals) {
    // No answer to the store and none to the polls: eleven polls, ten pauses, still true.
    rig.device.Silence("\x1b!g1");
    rig.device.Silence("\x1b!e1C", -1);
    EXPECT_TRUE(loader->UpdateFlashParameters(false));
    EXPECT_EQ(rig.Log().Sleeps(), std::vector<long>(10, 2000));
    EXPECT_EQ(rig.Log().Count("\x1b!e1C"), 2 + 11 * 2) << "each poll repeats after a time-out";
    EXPECT_EQ(rig.channel.GetBaudRate(), 115200);

    // A refusal, or a line that fails otherwise than by silence, fails the store.
    struct {
        const char* command;
        int loaderSense;
        int channelError;  // 0: the device refuses
        std::string text;
    } cases[] = {
        {"\x1b!g1", 5, 0, "Transporter: Illegal Request"},
        {"\x1b!g1", 0, 0, "Parameter store refused"},
        {"\x1b!h1", 0, 0, "Parameter store refused"},
        {"\x1b!g1", 0, ChannelError::ComWriteError,
         SimChannel::ErrorText(ChannelError::ComWriteError)},
        {"\x1b!h1", 0, ChannelError::CtsOff, SimChannel::ErrorText(ChannelError::CtsOff)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(SimLog::Printable(c.command) + " " + std::to_string(c.channelError));
        rig.device.ClearInjections();
        rig.device.SetSense(0, 0);
        rig.Log().Clear();
        if (c.channelError)
            rig.channel.Fail(SimChannel::Op::Transact, c.command, c.channelError);
        else
            rig.device.Refuse(c.command, 1, c.loaderSense, 0);
        EXPECT_FALSE(loader->UpdateFlashParameters(true));
        EXPECT_EQ(loader->m_lastError, c.text);
        EXPECT_EQ(Sent().back(), "SetBaudRate 115200") << "the line is back all the same";
    }
}

TEST_F(LoaderSettings, StoreRefusedBaudChanges) {
    rig.device.Refuse("\x1b!b38400", 1, 5, 0);
    EXPECT_FALSE(loader->UpdateFlashParameters(true));
    EXPECT_EQ(Sent(), (Lines{"e1C", "b38400C", "e1C"}));
    EXPECT_EQ(loader->m_lastError, "Transporter: Illegal Request");

    rig.device.SetSense(0, 0);
    rig.Log().Clear();
    rig.device.Refuse("\x1b!b11520", 1, 5, 0);
    EXPECT_TRUE(loader->UpdateFlashParameters(true));
    EXPECT_EQ(rig.channel.GetBaudRate(), 38400) << "left at 38400 when the way back is refused";
}

}  // namespace
