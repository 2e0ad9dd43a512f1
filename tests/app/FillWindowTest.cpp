// The main window filled from the connected device: controls enabled by the device's
// capabilities and the manufacturing mode, the two run-time captions, the serial numbers,
// display settings and counters, and the values a failed read must leave alone.
#include "ConnectWindowRig.h"

#include "device/InquiryRecord.h"
#include "device/VardenTransporter.h"
#include "links/SystemUtil.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>

using namespace connectrig;

namespace {

// An autoloader whose capabilities and reads the test sets, on a simulated line.
class ScriptedLoader : public VardenTransporter {
public:
    explicit ScriptedLoader(ILoaderComm* channel) : VardenTransporter(channel) {
        m_settingsSupported = true;
        m_rotationOffsetSupported = false;
        m_canCalibrate = true;
        m_canPrint = true;
        m_printerPresent = 1;
        m_hasSerialNumbers = true;
        m_loaderSnWritable = true;
        m_printerSnWritable = true;
    }
    void Set(std::function<void(ScriptedLoader&)> change) { change(*this); }

    void Initialize() override { ++initialized; }
    bool GetSerialNumbers(std::string& loaderSn, std::string& printerSn) override {
        loaderSn = "garbage";  // a failing read may leave anything behind
        printerSn = "garbage";
        if (!serialsOk) {
            m_lastError = "Transporter: Sense = 77";
            return false;
        }
        loaderSn = "L1234567";
        printerSn = "P7654321";
        return true;
    }
    bool SupportsPlattorParams() override { return plattor; }
    bool GetPlattorParams(std::string& name, bool& firstFlag, bool& overrideName, bool& fifthFlag,
                          int& beepCount) override {
        name.clear();
        overrideName = false;
        fifthFlag = false;
        beepCount = 0;
        if (!plattorOk) return false;
        name = "FRONTDSK";
        firstFlag = true;
        overrideName = true;
        fifthFlag = true;
        beepCount = beeps;
        return true;
    }
    int ReadCounter(int, char key) override {
        keys += key;
        auto found = counters.find(key);
        return found == counters.end() ? -1 : found->second;
    }
    bool HasItsCounters() override { return its; }
    bool SupportsPickCounter() override { return pick; }

    int initialized = 0;
    bool serialsOk = true;
    bool plattor = true;
    bool plattorOk = true;
    int beeps = 3;
    bool its = false;
    bool pick = true;
    std::map<char, int> counters{{'1', 11}, {'2', 22}, {'3', 33}, {'5', 55},
                                 {'7', 77}, {'8', 88}, {'9', 99}};
    std::string keys;
    using Transporter::m_hasSerialNumbers;
    using Transporter::m_loaderSnWritable;
    using Transporter::m_printerFirmwareVersion;
    using Transporter::m_printerSnWritable;
    using Transporter::m_rotationOffsetSupported;
    using Transporter::m_settingsSupported;
};

// A window (opened unconnected) holding a ScriptedLoader on a simulated line.
struct FillRig {
    FillRig() {
        window = &rig.Open(false);
        std::string record = device.InquiryRecord();
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(record.data());
        EXPECT_TRUE(VardenTransporter::Identify(bytes, static_cast<int>(record.size()),
                                                InquiryRecord::kLoaderPayload));
        window->m_channel.reset(new SimChannel(device));
        loader = new ScriptedLoader(window->m_channel.get());
        window->m_transporter.reset(loader);
    }
    void Fill() { window->ShowTransporterInfo(true); }

    WindowRig rig;
    SimAutoloader device;
    TestWindow* window = nullptr;
    ScriptedLoader* loader = nullptr;
};

}  // namespace

TEST(FillWindow, EnablesControlsByCapabilityAndManufacturingMode) {
    for (bool manufacturing : {false, true}) {
        FillRig f;
        f.rig.app.SetManufacturingMode(manufacturing);
        f.loader->m_printerSnWritable = false;
        f.Fill();
        TestWindow& w = *f.window;
        EXPECT_EQ(f.loader->initialized, 1);
        for (int id : {IDC_UPDATE_FIRMWARE, IDC_UPDATE_SN, IDC_CALIBRATE, IDC_PRINT_GRID,
                       IDC_OVERRIDE_NAME, IDC_OVERRIDE_NAME_FLAG, IDC_APPLY_SETTINGS,
                       IDC_BEEPS_ON_FAULT, IDC_BEEPS_SPIN})
            EXPECT_TRUE(w.IsEnabled(id)) << id;
        EXPECT_EQ(w.IsEnabled(IDC_AUTOLOADER_SN), manufacturing);
        EXPECT_FALSE(w.IsEnabled(IDC_PRINTER_SN));  // not writable on this device
        EXPECT_EQ(w.GetItemText(IDC_CALIBRATE), L"&Calibrate Margins");
        EXPECT_EQ(w.GetItemText(IDC_AUTOLOADER_SN), L"L1234567");
        EXPECT_EQ(w.GetItemText(IDC_PRINTER_SN), L"P7654321");
        EXPECT_EQ(w.GetItemText(IDC_OVERRIDE_NAME), L"FRONTDSK");
        EXPECT_EQ(w.GetItemText(IDC_BEEPS_ON_FAULT), L"3");
        EXPECT_TRUE(w.m_overrideNameFlag);
        EXPECT_EQ(w.GetItemText(IDC_INQUIRY_ID), L"VARDEN 7340     VERSION 3.214A  ");
        EXPECT_EQ(w.GetItemText(IDC_STATUS), L"");
        int lower = -1, upper = -1;
        SendDlgItemMessageW(w.GetHwnd(), IDC_BEEPS_SPIN, UDM_GETRANGE32,
                            reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
        EXPECT_EQ(lower, 0);
        EXPECT_EQ(upper, 9);
    }
}

TEST(FillWindow, DeviceWithoutSettingsOrSerialNumbers) {
    FillRig f;
    f.rig.app.SetManufacturingMode(true);
    f.loader->Set([](ScriptedLoader& l) {
        l.m_settingsSupported = false;
        l.m_rotationOffsetSupported = true;
        l.m_hasSerialNumbers = false;
    });
    f.Fill();
    TestWindow& w = *f.window;
    // Without settings support the button reads "Rotator" even with a rotation offset.
    EXPECT_EQ(w.GetItemText(IDC_CALIBRATE), L"&Calibrate Rotator");
    for (int id : {IDC_UPDATE_SN, IDC_AUTOLOADER_SN, IDC_PRINTER_SN, IDC_APPLY_SETTINGS})
        EXPECT_FALSE(w.IsEnabled(id)) << id;
    EXPECT_TRUE(w.IsEnabled(IDC_OVERRIDE_NAME));  // display settings stay usable

    FillRig g;
    g.loader->plattor = false;
    g.Fill();
    for (int id : {IDC_OVERRIDE_NAME, IDC_OVERRIDE_NAME_FLAG, IDC_APPLY_SETTINGS,
                   IDC_BEEPS_ON_FAULT, IDC_BEEPS_SPIN})
        EXPECT_FALSE(g.window->IsEnabled(id)) << id;
    EXPECT_TRUE(g.window->IsEnabled(IDC_UPDATE_SN));
}

TEST(FillWindow, FailedReadsEmptyAndLockTheSerialNumbersAndKeepTheDisplaySettings) {
    FillRig f;
    f.rig.app.SetManufacturingMode(true);
    TestWindow& w = *f.window;
    // What the window showed of the device connected before.
    w.m_autoloaderSn = L"OLDLOAD";
    w.m_printerSn = L"OLDPRNT";
    w.m_overrideName = L"KEEPME";
    w.m_overrideNameFlag = true;
    w.m_beepsOnFault = 4;
    f.loader->serialsOk = false;
    f.loader->plattorOk = false;
    f.Fill();
    EXPECT_EQ(w.GetItemText(IDC_STATUS), L"Transporter: Sense = 77");
    EXPECT_EQ(w.GetItemText(IDC_AUTOLOADER_SN), L"");
    EXPECT_EQ(w.GetItemText(IDC_PRINTER_SN), L"");
    EXPECT_EQ(w.m_overrideName, L"KEEPME");
    EXPECT_TRUE(w.m_overrideNameFlag);
    EXPECT_EQ(w.m_beepsOnFault, 4);
    // Numbers that could not be read cannot be written back as blanks, not even by a click
    // that reaches the window.
    for (int id : {IDC_UPDATE_SN, IDC_AUTOLOADER_SN, IDC_PRINTER_SN})
        EXPECT_FALSE(w.IsEnabled(id)) << id;
    f.device.Log().Clear();
    PostMessageW(w.GetHwnd(), WM_COMMAND, MAKEWPARAM(IDC_UPDATE_SN, BN_CLICKED),
                 reinterpret_cast<LPARAM>(w.GetItem(IDC_UPDATE_SN)));
    PumpMessages();
    EXPECT_TRUE(f.device.Log().Commands().empty()) << f.device.Log().Describe();
    // Until a fill reads them.
    f.loader->serialsOk = true;
    f.Fill();
    for (int id : {IDC_UPDATE_SN, IDC_AUTOLOADER_SN, IDC_PRINTER_SN})
        EXPECT_TRUE(w.IsEnabled(id)) << id;

    FillRig g;
    g.loader->beeps = 12;  // out of the spin's range
    g.Fill();
    EXPECT_EQ(g.window->m_beepsOnFault, 0);
}

TEST(FillWindow, CountersByDeviceKindAndPrinterFirmware) {
    struct Case {
        bool its;
        int firmware;
        std::map<char, int> missing;  // counters that read -1
        std::string keys;
        std::wstring print, ribbon, image, label;
    };
    const Case cases[] = {
        {false, 5999, {}, "1239", L"11", L"22", L"33", L"Image Count"},
        {false, 6000, {}, "5239", L"55", L"22", L"33", L"Image Count"},
        {false, 6000, {{'5', -1}}, "51239", L"11", L"22", L"33", L"Image Count"},
        {false, -1, {}, "5239", L"55", L"22", L"33", L"Image Count"},  // compared unsigned
        {true, 0, {{'7', -1}}, "5789", L"55", L"", L"88", L"ITS Count"},
    };
    for (const Case& c : cases) {
        FillRig f;
        f.loader->its = c.its;
        f.loader->m_printerFirmwareVersion = c.firmware;
        for (auto& m : c.missing) f.loader->counters[m.first] = m.second;
        f.Fill();
        TestWindow& w = *f.window;
        EXPECT_EQ(f.loader->keys, c.keys) << c.firmware;
        EXPECT_EQ(w.GetItemText(IDC_PRINT_COUNT), c.print) << c.firmware;
        EXPECT_EQ(w.GetItemText(IDC_RIBBON_COUNT), c.ribbon) << c.firmware;
        EXPECT_EQ(w.GetItemText(IDC_IMAGE_COUNT), c.image) << c.firmware;
        EXPECT_EQ(w.GetItemText(IDC_IMAGE_COUNT_LABEL), c.label) << c.firmware;
        EXPECT_EQ(w.GetItemText(IDC_DISCS_PICKED), L"99");
    }

    FillRig unreadable;
    unreadable.loader->counters['9'] = -1;
    unreadable.Fill();
    EXPECT_EQ(unreadable.window->GetItemText(IDC_DISCS_PICKED), L"invalid");
    FillRig none;
    none.loader->pick = false;
    none.window->m_discsPicked = L"17";
    none.Fill();
    EXPECT_EQ(none.window->GetItemText(IDC_DISCS_PICKED), L"");
}

TEST(FillWindow, DisconnectedDisablesOnlyTheDeviceControls) {
    FillRig f;
    f.Fill();
    TestWindow& w = *f.window;
    w.ShowTransporterInfo(false);
    for (int id : {IDC_UPDATE_FIRMWARE, IDC_UPDATE_SN, IDC_CALIBRATE, IDC_PRINT_GRID,
                   IDC_AUTOLOADER_SN, IDC_PRINTER_SN, IDC_OVERRIDE_NAME, IDC_OVERRIDE_NAME_FLAG,
                   IDC_APPLY_SETTINGS, IDC_BEEPS_ON_FAULT, IDC_BEEPS_SPIN})
        EXPECT_FALSE(w.IsEnabled(id)) << id;
    for (int id : {IDC_PORT, IDC_EXIT, IDC_ABOUT, IDC_DISABLE_COMPAT_CHECK})
        EXPECT_TRUE(w.IsEnabled(id)) << id;
    EXPECT_EQ(w.GetItemText(IDC_AUTOLOADER_SN), L"L1234567");  // the last texts stay
}

// Real models over the simulated autoloader, as a user sees the window after the fill in
// both modes: which controls take input and what the counters' caption reads. The serial-
// number edits open only in manufacturing mode, and only where that number may be written.
TEST(FillWindow, SimulatedModelsInBothModes) {
    struct Model {
        const char* loader;
        const char* version;
        const char* printer;  // null: none
        const char* printerVersion;
        bool updateSn, calibrate, grid, loaderSn, printerSn, display, apply;
        const wchar_t* caption;
    };
    const Model models[] = {
        {"VARDEN 7340", "VERSION 3.214A", "VARDEN PRINTER", "VERSION 6.010",
         true, false, false, true, true, true, true, L"ITS Count"},
        // Desktop firmware up to 3000 takes no settings, but has display settings.
        {"VARDEN QM7310", "VERSION 2.100B", nullptr, nullptr,
         false, false, false, false, false, true, true, L"Image Count"},
        // Firmware below 3070 reads no serial numbers: they cannot be updated either.
        {"Tessaran III", "VERSION 1.050C", "TOLVANE", "XJQN22",
         false, true, false, false, false, true, true, L"ITS Count"},
        {"CD-R TRANSPORTER", "VERSION 4.000A", "VARDEN PRINTER", "VERSION 5.990",
         true, true, true, true, true, false, false, L"Image Count"},
    };
    for (const Model& m : models) {
        for (bool manufacturing : {false, true}) {
            WindowRig rig;
            rig.app.SetManufacturingMode(manufacturing);
            SimAutoloader device;
            device.SetLoader(m.loader, m.version);
            if (m.printer) device.SetPrinter(m.printer, m.printerVersion);
            rig.channels.AddSerial(1, device);
            rig.SetProfile(MainDialog::kLastGood, MainDialog::kFirstPortEntry, 1);
            rig.SetProfile(MainDialog::kLastGood, MainDialog::kBaudRateEntry, 115200);
            TestWindow& w = rig.Open();
            ASSERT_NE(w.m_transporter, nullptr) << m.loader;
            const std::string where = std::string(m.loader) + (manufacturing ? " mfng" : "");
            EXPECT_TRUE(w.IsEnabled(IDC_UPDATE_FIRMWARE)) << where;
            EXPECT_EQ(w.IsEnabled(IDC_UPDATE_SN), m.updateSn) << where;
            EXPECT_EQ(w.IsEnabled(IDC_CALIBRATE), m.calibrate) << where;
            EXPECT_EQ(w.IsEnabled(IDC_PRINT_GRID), m.grid) << where;
            EXPECT_EQ(w.IsEnabled(IDC_AUTOLOADER_SN), m.loaderSn && manufacturing) << where;
            EXPECT_EQ(w.IsEnabled(IDC_PRINTER_SN), m.printerSn && manufacturing) << where;
            for (int id : {IDC_OVERRIDE_NAME, IDC_OVERRIDE_NAME_FLAG, IDC_BEEPS_ON_FAULT,
                           IDC_BEEPS_SPIN})
                EXPECT_EQ(w.IsEnabled(id), m.display) << where << " " << id;
            EXPECT_EQ(w.IsEnabled(IDC_APPLY_SETTINGS), m.apply) << where;
            EXPECT_EQ(w.GetItemText(IDC_CALIBRATE), L"&Calibrate Rotator") << where;
            EXPECT_EQ(w.GetItemText(IDC_IMAGE_COUNT_LABEL), m.caption) << where;
            char inquiry[40];
            std::snprintf(inquiry, sizeof inquiry, "%-16s%-16s", m.loader, m.version);
            EXPECT_EQ(w.GetItemText(IDC_INQUIRY_ID), WidenString(inquiry)) << where;
            EXPECT_TRUE(rig.boxes.texts.empty()) << where;
        }
    }
}
