// Update Firmware over the simulated autoloader: the bytes the device takes (file blocks,
// fill and trailer), the progress texts, the line speed, the refused files, printer
// firmware, the reconnect on a serial line and on USB HID, and the check box.
#include "OpsWindowRig.h"
#include "device/VardenTransporter.h"
#include "links/HidDeviceSearch.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace opsrig;

namespace {

// What a watched device saw; kept by the test, since the window releases the device when
// it reconnects.
struct Sent {
    std::vector<std::wstring> statuses;
    std::vector<uint32_t> lengths;
    int checks = 0;
};

// The autoloader as the window made it, noting each block sent with the status shown then;
// a test may make its image padded, or stand in for the file check.
class WatchedLoader : public VardenTransporter {
public:
    WatchedLoader(ILoaderComm* channel, HWND window, Sent& sent)
        : VardenTransporter(channel), statuses(sent.statuses), lengths(sent.lengths),
          checks(sent.checks), m_window(window) {}
    void Pad(uint16_t trailer) {
        m_paddedFlashImage = true;
        m_flashTrailerWord = trailer;
    }
    bool SendFlashData(const uint8_t* data, uint32_t length) override {
        wchar_t text[256] = L"";
        GetDlgItemTextW(m_window, IDC_STATUS, text, 256);
        statuses.push_back(text);
        lengths.push_back(length);
        return VardenTransporter::SendFlashData(data, length);
    }
    bool IsFirmwareFileValid(const uint8_t* header, uint32_t size, bool* below) override {
        ++checks;
        if (check == Check::Real) return VardenTransporter::IsFirmwareFileValid(header, size, below);
        m_printerFirmwareFile = check == Check::PrinterFile;
        *below = check == Check::BelowMinimum;
        return check != Check::BelowMinimum;
    }

    enum class Check { Real, PrinterFile, BelowMinimum } check = Check::Real;
    std::vector<std::wstring>& statuses;
    std::vector<uint32_t>& lengths;
    int& checks;

private:
    HWND m_window;
};

// The connected window with a watched device in place of the one it made.
WatchedLoader& ConnectWatched(OpsRig& rig, Sent& sent) {
    EXPECT_TRUE(rig.Connect());
    WatchedLoader* loader =
        new WatchedLoader(rig.window.m_channel.get(), rig.window.GetHwnd(), sent);
    rig.window.m_transporter.reset(loader);
    rig.loader.Log().Clear();
    return *loader;
}

// A loader image of size bytes whose identification at 256 names model and version.
std::string Image(size_t size, const std::string& version = "VERSION 3.300A  ") {
    std::string image(size, '\0');
    for (size_t i = 0; i < size; ++i) image[i] = static_cast<char>(i * 7 + 3);
    const std::string identity = "VARDEN 7340     " + version;
    if (size >= 256 + identity.size()) image.replace(256, identity.size(), identity);
    return image;
}

void Tick(OpsWindow& window) {
    CheckDlgButton(window.GetHwnd(), IDC_DISABLE_COMPAT_CHECK, BST_CHECKED);
}

}  // namespace

TEST(FirmwareUpdate, SkippedCheckSendsTheFileInBlocksAt38400AndReconnects) {
    OpsRig rig;
    Sent sent;
    ConnectWatched(rig, sent);
    const std::string file = Image(9000);
    rig.files.path = rig.MakeFile(L"loader.bin", file);
    Tick(rig.window);
    std::vector<long> sleepsAtReopen;
    rig.channels.onOpen = [&](SimChannel&) { sleepsAtReopen = rig.loader.Log().Sleeps(); };

    rig.window.Click(IDC_UPDATE_FIRMWARE);

    EXPECT_EQ(rig.files.asked,
              std::vector<std::wstring>{L"Select file to load flash from|Flash Files(*.bin)|*.bin"});
    EXPECT_EQ(rig.loader.Log().Count("\x1b!b38400C"), 1);
    EXPECT_EQ(rig.loader.Flash().Announced(), 9000u);
    EXPECT_EQ(rig.loader.Flash().Image(), file);
    EXPECT_EQ(rig.loader.Flash().Excess(), 0u);
    EXPECT_EQ(sent.lengths, (std::vector<uint32_t>{4096, 4096, 808}));
    EXPECT_EQ(sent.statuses,
              (std::vector<std::wstring>{L"Erasing...", L"Downloading - 45%", L"Downloading - 91%"}));
    EXPECT_EQ(sent.checks, 0);
    // Reconnected at the lowered rate, with a new device object.
    EXPECT_EQ(rig.channels.Opens().back(), "open COM3 38400");
    EXPECT_EQ(rig.window.m_baudRate, 38400);
    ASSERT_NE(rig.window.m_transporter, nullptr);
    EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Flash update succeeded");
    EXPECT_NE(rig.window.Text(IDC_INQUIRY_ID).find(L"3.300A"), std::wstring::npos)
        << rig.window.Text(IDC_INQUIRY_ID);
    // The loader's restart delay is the last wait before the port is opened again.
    ASSERT_FALSE(sleepsAtReopen.empty());
    EXPECT_EQ(sleepsAtReopen.back(), 10000);
    // The box is cleared on screen and in the member.
    EXPECT_FALSE(rig.window.Checked(IDC_DISABLE_COMPAT_CHECK));
    EXPECT_FALSE(rig.window.m_disableCompatCheck);
    EXPECT_FALSE(rig.window.IsBusy());
}

TEST(FirmwareUpdate, PaddedImageGetsFillAndTrailerHighByteFirst) {
    OpsRig rig;
    Sent sent;
    WatchedLoader& device = ConnectWatched(rig, sent);
    device.Pad(0x024E);
    const std::string file = Image(10000);
    rig.files.path = rig.MakeFile(L"padded.bin", file);
    Tick(rig.window);

    rig.window.Click(IDC_UPDATE_FIRMWARE);

    EXPECT_EQ(rig.loader.Flash().Announced(), 65534u);
    EXPECT_EQ(rig.loader.Flash().Image(),
              file + std::string(65532 - 10000, '\xFF') + std::string("\x02\x4E", 2));
    std::vector<uint32_t> expected = {4096, 4096, 1808};
    for (int i = 0; i < 13; ++i) expected.push_back(4096);
    expected.push_back(2284);
    expected.push_back(2);
    EXPECT_EQ(sent.lengths, expected);
    ASSERT_GE(sent.statuses.size(), 5u);
    EXPECT_EQ(sent.statuses[1], L"Downloading - 6%");
    EXPECT_EQ(sent.statuses[2], L"Downloading - 12%");
    // No percentage after the file's last block; the fill counts in 65536ths.
    EXPECT_EQ(sent.statuses[3], L"Downloading - 12%");
    EXPECT_EQ(sent.statuses[4], L"Downloading - 21%");  // 14096 * 100 >> 16
}

TEST(FirmwareUpdate, RefusedFilesSendNothingAndAreClosed) {
    struct Case {
        WatchedLoader::Check check;
        const wchar_t* status;
    };
    for (const Case& c : {Case{WatchedLoader::Check::Real, L"Flash file is incompatible"},
                          Case{WatchedLoader::Check::BelowMinimum,
                               L"Firmware file version is below ratchel level"}}) {
        OpsRig rig;
        Sent sent;
        WatchedLoader& device = ConnectWatched(rig, sent);
        device.check = c.check;
        rig.files.path = rig.MakeFile(L"other.bin", std::string(300, 'x'));
        rig.window.Click(IDC_UPDATE_FIRMWARE);
        EXPECT_EQ(sent.checks, 1);
        EXPECT_EQ(rig.window.Text(IDC_STATUS), c.status);
        EXPECT_EQ(rig.loader.Log().Count("\x1b!b"), 0);
        EXPECT_EQ(rig.loader.Log().Count("\x1b!g"), 0);
        EXPECT_TRUE(sent.lengths.empty());
        EXPECT_TRUE(DeleteFileW(rig.files.path.c_str()));
    }
    {  // a missing file, and a cancelled dialog
        OpsRig rig;
        Sent sent;
        ConnectWatched(rig, sent);
        rig.files.path = rig.folder + L"\\missing.bin";
        rig.window.Click(IDC_UPDATE_FIRMWARE);
        EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Unable to open file " + rig.files.path);
        rig.files.path.clear();
        rig.window.m_status = L"before";
        rig.window.UpdateData(false);
        rig.window.Click(IDC_UPDATE_FIRMWARE);
        EXPECT_EQ(rig.window.Text(IDC_STATUS), L"before");
        EXPECT_FALSE(rig.window.IsBusy());
    }
}

TEST(FirmwareUpdate, RefusedRateChangeShowsAFailureAndStartsNothing) {
    OpsRig rig;
    Sent sent;
    ConnectWatched(rig, sent);
    rig.files.path = rig.MakeFile(L"loader.bin", Image(5000));
    Tick(rig.window);
    rig.loader.ReplyWith("\x1b!b", "\x1b!b0C");
    rig.window.Click(IDC_UPDATE_FIRMWARE);
    EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Failed to change to 38400 Baud");
    EXPECT_EQ(rig.loader.Log().Count("\x1b!g"), 0);
    EXPECT_TRUE(sent.lengths.empty());
    EXPECT_EQ(rig.window.m_baudRate, 115200);
}

TEST(FirmwareUpdate, EachFailureShowsItsTextAndSendsNothingAfterIt) {
    // A pipe has no size; the process's memory file under Linux has one but no readable
    // first byte.
    const std::wstring pipe = L"\\\\.\\pipe\\tavrix-size-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring unreadable = L"Z:\\proc\\self\\mem";
    enum Fault { NoChannel, NoSize, NoRead, PortRate, BeginRefused, DataRefused };
    struct Case {
        Fault fault;
        std::wstring status;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {NoChannel, L"No transporter available", {}},
        {NoSize, L"Unable to get size of file '" + pipe + L"'", {}},
        {NoRead, L"Unable to read version info from file '" + unreadable + L"'", {}},
        {PortRate, L"Unable to change to 38400 Baud on COM3", {}},
        {BeginRefused, L"Failed to send Update Flash command - Transporter: Sense = 41",
         {"BeginFlash 9000"}},
        {DataRefused, L"Error sending flash data - Transporter: Sense = 41",
         {"BeginFlash 9000", "SendFlashData 4096"}},
    };
    for (const Case& c : cases) {
        OpsRig rig;
        ScriptedDevice& device = rig.UseScripted();
        device.SetError("Transporter: Sense = 41");
        rig.files.path = rig.MakeFile(L"loader.bin", Image(9000));
        Tick(rig.window);
        HANDLE server = INVALID_HANDLE_VALUE;
        if (c.fault == NoChannel) rig.window.m_channel.reset();
        if (c.fault == NoSize) {
            server = CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 0,
                                      0, 0, nullptr);
            rig.files.path = pipe;
        }
        if (c.fault == NoRead) rig.files.path = unreadable;
        if (c.fault == PortRate)
            static_cast<SimChannel&>(*rig.window.m_channel)
                .Fail(SimChannel::Op::SetBaudRate, "", ChannelError::SetCommStateFailed);
        device.beginFlashOk = c.fault != BeginRefused;
        device.flashDataOk = c.fault != DataRefused;

        rig.window.Click(IDC_UPDATE_FIRMWARE);

        if (server != INVALID_HANDLE_VALUE) CloseHandle(server);
        EXPECT_EQ(rig.window.Text(IDC_STATUS), c.status);
        EXPECT_EQ(device.calls, c.calls) << c.fault;
        EXPECT_FALSE(rig.window.IsBusy());
    }
}

TEST(FirmwareUpdate, PrinterFirmwareKeepsTheDeviceAndEndsWithCompleted) {
    OpsRig rig;
    rig.loader.SetPrinter("TOLVANE", "XJQN22");
    Sent sent;
    WatchedLoader& device = ConnectWatched(rig, sent);
    device.check = WatchedLoader::Check::PrinterFile;
    const std::string file = Image(65536);
    rig.files.path = rig.MakeFile(L"printer.bin", file);
    const size_t opens = rig.channels.Opens().size();

    rig.window.Click(IDC_UPDATE_FIRMWARE);

    EXPECT_EQ(rig.loader.Flash().LastTarget(), SimFlashReceiver::Target::Printer);
    EXPECT_EQ(rig.loader.Flash().Image(), file);
    EXPECT_EQ(rig.window.m_transporter.get(), &device);
    EXPECT_EQ(rig.channels.Opens().size(), opens);
    EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Downloading - completed");
    std::vector<long> sleeps = rig.loader.Log().Sleeps();
    ASSERT_GE(sleeps.size(), 2u);
    EXPECT_EQ(sleeps[sleeps.size() - 2], 5000);
    EXPECT_EQ(sleeps.back(), 5000);
}

TEST(FirmwareUpdate, DeviceThatComesBackWithOtherFirmwareOrNotAtAll) {
    {  // the image carries no identification: the loader stays in its boot loader
        OpsRig rig;
        Sent sent;
        ConnectWatched(rig, sent);
        rig.files.path = rig.MakeFile(L"short.bin", std::string(12, 'z'));
        Tick(rig.window);
        rig.window.Click(IDC_UPDATE_FIRMWARE);
        EXPECT_EQ(rig.loader.Flash().Image(), std::string(12, 'z'));
        EXPECT_EQ(rig.window.Text(IDC_STATUS), L"New inquiry / flash versions differ");
    }
    {  // the port is gone after the restart: the connection's own text
        OpsRig rig;
        Sent sent;
        ConnectWatched(rig, sent);
        rig.files.path = rig.MakeFile(L"loader.bin", Image(4096));
        Tick(rig.window);
        connectrig::FakeChannels gone;
        ChannelFactory::Override useGone(&gone);
        rig.window.Click(IDC_UPDATE_FIRMWARE);
        EXPECT_EQ(rig.window.m_transporter, nullptr);
        EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Unable to open \\\\.\\COM3");
    }
}

TEST(FirmwareUpdate, HidReconnectIdentifiesOnTheSameChannel) {
    for (bool answers : {true, false}) {
        OpsRig rig;
        rig.channels.AddHid(kHidProductIds[0], rig.loader);
        rig.window.m_portIndex = 0;
        ASSERT_TRUE(rig.window.ConnectOnPort(nullptr));
        ILoaderComm* channel = rig.window.m_channel.get();
        Sent sent;
        WatchedLoader* device = new WatchedLoader(channel, rig.window.GetHwnd(), sent);
        rig.window.m_transporter.reset(device);
        rig.files.path = rig.MakeFile(L"loader.bin", Image(4096));
        Tick(rig.window);
        if (!answers) {
            // The loader takes the image and comes back, but answers no further inquiry
            // after the one that checks the new firmware.
            rig.loader.ReplyWith("\x1b!e0C", rig.loader.InquiryRecord(), 1);
            rig.loader.Silence("\x1b!e0C", -1);
            rig.loader.Log().Clear();
        }
        rig.window.Click(IDC_UPDATE_FIRMWARE);
        EXPECT_EQ(rig.window.m_channel.get(), channel);
        EXPECT_EQ(rig.loader.Log().Count("\x1b!b"), 0);
        if (answers) {
            EXPECT_EQ(rig.window.Text(IDC_STATUS), L"Flash update succeeded");
            EXPECT_NE(rig.window.m_transporter, nullptr);
        } else {
            EXPECT_EQ(rig.window.Text(IDC_STATUS), L"No transporter found");
            EXPECT_EQ(rig.window.m_transporter, nullptr);
        }
    }
}

TEST(FirmwareUpdate, NoDeviceOnlyClearsTheBox) {
    OpsRig rig;
    Tick(rig.window);
    rig.window.m_disableCompatCheck = true;
    rig.files.path = rig.MakeFile(L"loader.bin", Image(100));
    rig.window.Click(IDC_UPDATE_FIRMWARE);
    EXPECT_TRUE(rig.files.asked.empty());
    EXPECT_FALSE(rig.window.Checked(IDC_DISABLE_COMPAT_CHECK));
    EXPECT_FALSE(rig.window.m_disableCompatCheck);
}
