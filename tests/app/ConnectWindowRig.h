#pragma once
// The main window over simulated devices, for the connection and fill tests:
//   FakeChannels  the channel factory: serial ports and HID devices backed by simulated
//                 devices, every attempt written to events ("open COM5 9600", "rate 38400",
//                 "hid 13", "hid 13 #0");
//   TestWindow    MainDialog with its members and connection steps reachable, and the
//                 start-up scan switched on or off;
//   WindowRig     a profile key of the tests' own (cleared first), message boxes answered
//                 and recorded, waits skipped, and the factory installed.
//
//     WindowRig rig;
//     SimAutoloader loader;
//     rig.channels.AddSerial(3, loader);
//     rig.app.WriteProfileInt(MainDialog::kLastGood, MainDialog::kFirstPortEntry, 3);
//     TestWindow& window = rig.Open();             // runs the start-up scan

#include "SimAutoloader.h"
#include "SimChannel.h"
#include "app/ChannelFactory.h"
#include "app/MainDialog.h"
#include "app/resource.h"
#include "device/Sleeper.h"
#include "framework/AppBase.h"
#include "framework/MessageBoxes.h"

#include <windows.h>
// winspool's SetPrinter macro would rename SimAutoloader::SetPrinter at the call sites.
#ifdef SetPrinter
#undef SetPrinter
#endif

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The rig lives in its own namespace: other window tests link into the same program.
namespace connectrig {

// A serial channel that reports its rate changes to the factory's events and calls the
// factory's onTransact before each exchange.
class TrackedChannel : public SimChannel {
public:
    TrackedChannel(SimDevice& device, Kind kind, int port, std::vector<std::string>& events,
                   const std::function<void()>& onTransact)
        : SimChannel(device, kind, port), m_events(events), m_onTransact(onTransact) {}
    bool SetBaudRate(int baud) override {
        m_events.push_back("rate " + std::to_string(baud));
        return SimChannel::SetBaudRate(baud);
    }
    bool Transact(const byte* command, int commandLength, byte* reply, int replyLength,
                  int timeoutSeconds) override {
        if (m_onTransact) m_onTransact();
        return SimChannel::Transact(command, commandLength, reply, replyLength, timeoutSeconds);
    }

private:
    std::vector<std::string>& m_events;
    const std::function<void()>& m_onTransact;
};

class FakeChannels : public ChannelFactory {
public:
    void AddSerial(int port, SimDevice& device) { m_serial[port] = &device; }
    void AddHid(uint16_t productId, SimDevice& device) { m_hid[productId].push_back(&device); }
    // Product id whose devices are listed but refuse to connect.
    void RefuseHidConnect(uint16_t productId) { m_refused[productId] = true; }

    std::unique_ptr<ILoaderComm> OpenSerial(const std::string& portPath, int baud) override {
        const std::string prefix = "\\\\.\\COM";
        int port = portPath.compare(0, prefix.size(), prefix) == 0
                       ? std::atoi(portPath.c_str() + prefix.size())
                       : -1000;
        events.push_back("open COM" + std::to_string(port) + " " + std::to_string(baud));
        auto found = m_serial.find(port);
        if (found == m_serial.end()) return nullptr;
        std::unique_ptr<TrackedChannel> tracked(
            new TrackedChannel(*found->second, SimChannel::Kind::Serial, port, events, onTransact));
        tracked->SimChannel::SetBaudRate(baud);  // the rate it opened at
        lastSerial = tracked.get();
        if (onOpen) onOpen(*tracked);
        return tracked;
    }

    std::vector<std::wstring> ListHid(uint16_t productId) override {
        events.push_back("hid " + std::to_string(productId));
        std::vector<std::wstring> serials;
        for (size_t i = 0; i < m_hid[productId].size(); ++i)
            serials.push_back(L"SN" + std::to_wstring(i));
        return serials;
    }

    std::unique_ptr<ILoaderComm> ConnectHid(uint16_t productId, const std::wstring& serialNumber,
                                            int index) override {
        events.push_back("hid " + std::to_string(productId) + " #" + std::to_string(index));
        std::vector<SimDevice*>& devices = m_hid[productId];
        if (m_refused[productId] || index < 0 || index >= static_cast<int>(devices.size()) ||
            serialNumber != L"SN" + std::to_wstring(index))
            return nullptr;
        return std::unique_ptr<ILoaderComm>(
            new SimChannel(*devices[static_cast<size_t>(index)], SimChannel::Kind::Hid, index));
    }

    // The "open ..." events only.
    std::vector<std::string> Opens() const {
        std::vector<std::string> opens;
        for (const std::string& event : events)
            if (event.compare(0, 5, "open ") == 0) opens.push_back(event);
        return opens;
    }

    std::vector<std::string> events;
    SimChannel* lastSerial = nullptr;
    // Called on every serial channel made (to inject channel failures).
    std::function<void(SimChannel&)> onOpen;
    // Called before every exchange on a serial channel.
    std::function<void()> onTransact;

private:
    std::map<int, SimDevice*> m_serial;
    std::map<uint16_t, std::vector<SimDevice*>> m_hid;
    std::map<uint16_t, bool> m_refused;
};

class TestWindow : public MainDialog {
public:
    bool runStartupScan = true;

    using MainDialog::ConnectOnPort;
    using MainDialog::IdentifyTransporter;
    using MainDialog::ScanAllPorts;
    using MainDialog::ShowTransporterInfo;
    using MainDialog::m_autoloaderSn;
    using MainDialog::m_baudRate;
    using MainDialog::m_beepsOnFault;
    using MainDialog::m_channel;
    using MainDialog::m_discsPicked;
    using MainDialog::m_imageCount;
    using MainDialog::m_inquiryId;
    using MainDialog::m_overrideName;
    using MainDialog::m_overrideNameFlag;
    using MainDialog::m_portIndex;
    using MainDialog::m_portPath;
    using MainDialog::m_printCount;
    using MainDialog::m_printerSn;
    using MainDialog::m_ribbonCount;
    using MainDialog::m_status;
    using MainDialog::m_transporter;

    bool IsEnabled(int id) const { return IsWindowEnabled(GetItem(id)) != FALSE; }
    // Chooses a port in the combo box as the user does.
    void ChoosePort(int index) {
        SendDlgItemMessageW(GetHwnd(), IDC_PORT, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(GetHwnd(), WM_COMMAND, MAKEWPARAM(IDC_PORT, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetItem(IDC_PORT)));
    }

protected:
    void ConnectAtStartup() override {
        if (runStartupScan) MainDialog::ConnectAtStartup();
    }
};

class RecordedBoxes : public MessageBoxes {
public:
    int Show(HWND, const std::wstring& text, const std::wstring&, UINT) override {
        texts.push_back(text);
        return IDOK;
    }
    std::vector<std::wstring> texts;
};

class NoWait : public Sleeper {
public:
    void Sleep(unsigned milliseconds) override { waits.push_back(milliseconds); }
    std::vector<unsigned> waits;
};

class WindowRig {
public:
    static constexpr const wchar_t* kMaker = L"TavrixConnectTests";

    WindowRig() : useBoxes(&boxes), useSleeper(&sleeper), useChannels(&channels) {
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\") + kMaker).c_str());
        app.SetRegistryKey(kMaker);
    }
    ~WindowRig() {
        if (window && window->GetHwnd()) window->DestroyWindow();
        window.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\") + kMaker).c_str());
    }

    // Makes the window; with startupScan false it opens unconnected.
    TestWindow& Open(bool startupScan = true) {
        window.reset(new TestWindow);
        window->runStartupScan = startupScan;
        window->Create();
        return *window;
    }

    void SetProfile(const wchar_t* section, const wchar_t* entry, int value) {
        app.WriteProfileInt(section, entry, value);
    }

    AppBase app;
    RecordedBoxes boxes;
    NoWait sleeper;
    FakeChannels channels;
    MessageBoxes::Override useBoxes;
    Sleeper::Override useSleeper;
    ChannelFactory::Override useChannels;
    std::unique_ptr<TestWindow> window;
};

}  // namespace connectrig
