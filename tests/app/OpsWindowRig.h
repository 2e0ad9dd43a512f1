#pragma once
// The main window's device buttons under test:
//   ScriptedDevice  a device object whose answers the test sets and whose every call lands in
//                   calls ("SetPlattorParams NAME 0 1 1 4", "LoadPrinter -1"...), with the
//                   window's status text at the time of the call in statuses;
//   OpsWindow       MainDialog with its members and handlers reachable;
//   OpsRig          the window (no start-up scan), message boxes answered from a list, the
//                   file dialog answered with a path, the simulated autoloader's sleeper,
//                   the channel factory over the simulated autoloader on COM3, and a folder
//                   for the test's files.
#include "ConnectWindowRig.h"
#include "SimSleeper.h"
#include "app/MainDialog.h"
#include "app/resource.h"
#include "framework/FileDialogs.h"
#include "framework/MessageBoxes.h"

#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace opsrig {

class ScriptedDevice : public Transporter {
public:
    explicit ScriptedDevice(HWND window = nullptr) : m_window(window) {
        m_settingsSupported = true;
        m_rotationOffsetSupported = true;
        m_printerPresent = 1;
    }
    void Caps(bool settings, bool rotation, bool margins, bool standalone, int printer) {
        m_settingsSupported = settings;
        m_rotationOffsetSupported = rotation;
        m_marginSettings = margins;
        m_isStandalonePrinter = standalone;
        m_printerPresent = printer;
    }
    void SetError(const std::string& text) { m_lastError = text; }
    // Notes the text of this window's status control at every call from now on.
    void Watch(HWND window, int statusId) {
        m_window = window;
        m_statusId = statusId;
    }

    // Results the test sets.
    bool senseOk = true, writeOk = true, storeOk = true, readOk = true;
    bool loadOk = true, unloadOk = true, printOk = true, loaded = false;
    bool beginFlashOk = true, flashDataOk = true;
    std::string name = "FRONTDSK        ";
    bool overrideFlag = true, fifthFlag = true;
    std::string loaderSn = "L0000001", printerSn = "P0000001";
    std::vector<std::string> calls;
    std::vector<std::wstring> statuses;

    void Initialize() override {}
    bool RequestSense(int, uint16_t*, uint16_t*) override { return Note("RequestSense", senseOk); }
    bool SetTopMargin(int m) override { return Note("SetTopMargin " + std::to_string(m), true); }
    bool SetLeftMargin(int m) override { return Note("SetLeftMargin " + std::to_string(m), true); }
    bool SetRotationOffset(int o) override {
        return Note("SetRotationOffset " + std::to_string(o), true);
    }
    bool SetAlternateOffset(int) override { return true; }
    bool SetOperatingMode(int m) override {
        return Note("SetOperatingMode " + std::to_string(m), true);
    }
    bool LoadPrinter(int o) override {
        loaded = loadOk;
        return Note("LoadPrinter " + std::to_string(o), loadOk);
    }
    bool ReloadPrinter(int o) override { return Note("ReloadPrinter " + std::to_string(o), loadOk); }
    bool MoveDisc(bool) override { return true; }
    bool UnloadPrinter() override {
        if (unloadOk) loaded = false;
        return Note("UnloadPrinter", unloadOk);
    }
    bool IsPrinterLoaded() override { return loaded; }
    bool IsFirmwareFileValid(const uint8_t*, uint32_t, bool*) override { return false; }
    bool BeginFlash(uint32_t size) override {
        return Note("BeginFlash " + std::to_string(size), beginFlashOk);
    }
    bool SendFlashData(const uint8_t*, uint32_t length) override {
        return Note("SendFlashData " + std::to_string(length), flashDataOk);
    }
    bool GetSerialNumbers(std::string& l, std::string& p) override {
        l.clear();
        p.clear();
        if (readOk) l = loaderSn, p = printerSn;
        return Note("GetSerialNumbers", readOk);
    }
    bool SetSerialNumbers(const std::string& l, const std::string& p) override {
        if (writeOk) loaderSn = Pad(l, 8), printerSn = Pad(p, 8);
        return Note("SetSerialNumbers " + l + " " + p, writeOk);
    }
    bool UpdateFlashParameters(bool printer) override {
        return Note(std::string("UpdateFlashParameters ") + (printer ? "1" : "0"), storeOk);
    }
    void PulseSignal(int) override {}
    bool WritePrintData(const uint8_t*, uint32_t length) override {
        return Note("WritePrintData " + std::to_string(length), true);
    }
    const char* GetPrinterSenseText() override { return ""; }
    const char* GetLoaderSenseText() override { return ""; }
    bool PresentPrinterTray() override { return true; }
    int GetRestartDelaySeconds() override { return 10; }
    bool BeginPrintJob() override { return true; }
    uint32_t GetPrintGridFile(int pattern, const uint8_t** data) override {
        Note("GetPrintGridFile " + std::to_string(pattern), printOk);
        static const uint8_t kFile[3] = {1, 2, 3};
        *data = printOk ? kFile : nullptr;
        return printOk ? sizeof kFile : 0;
    }
    bool WaitForPrintCompletion() override { return true; }
    bool SupportsPlattorParams() override { return true; }
    bool SetPlattorParams(const std::string& n, bool first, bool over, bool fifth,
                          int beeps) override {
        char flags[40];
        std::snprintf(flags, sizeof flags, " %d %d %d %d", first, over, fifth, beeps);
        if (writeOk) name = n.empty() ? name : Pad(n, 16), overrideFlag = over, fifthFlag = fifth;
        return Note("SetPlattorParams " + n + flags, writeOk);
    }
    bool GetPlattorParams(std::string& n, bool& first, bool& over, bool& fifth,
                          int& beeps) override {
        n.clear();
        first = over = fifth = false;
        beeps = 0;
        if (readOk) n = overrideFlag ? name : "", over = overrideFlag, fifth = fifthFlag,
                    beeps = 7;
        return Note("GetPlattorParams", readOk);
    }

    // The calls whose text begins with prefix.
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const std::string& call : calls) n += call.compare(0, prefix.size(), prefix) == 0;
        return n;
    }

private:
    // Texts are kept blank-padded to their field's width, as the device keeps them.
    static std::string Pad(std::string text, size_t width) {
        text.resize(width, ' ');
        return text;
    }
    bool Note(const std::string& call, bool result) {
        calls.push_back(call);
        if (m_window) {
            wchar_t text[512] = L"";
            GetDlgItemTextW(m_window, m_statusId, text, 512);
            statuses.push_back(text);
        }
        return result;
    }
    HWND m_window;
    int m_statusId = IDC_STATUS;
};

class OpsWindow : public MainDialog {
public:
    using MainDialog::ConnectOnPort;
    using MainDialog::m_autoloaderSn;
    using MainDialog::m_baudRate;
    using MainDialog::m_beepsOnFault;
    using MainDialog::m_channel;
    using MainDialog::m_disableCompatCheck;
    using MainDialog::m_displayFlagD;
    using MainDialog::m_overrideName;
    using MainDialog::m_overrideNameFlag;
    using MainDialog::m_portIndex;
    using MainDialog::m_printerSn;
    using MainDialog::m_status;
    using MainDialog::m_transporter;

    void Click(int id, int code = BN_CLICKED) {
        SendMessageW(GetHwnd(), WM_COMMAND, MAKEWPARAM(id, code),
                     reinterpret_cast<LPARAM>(GetItem(id)));
    }
    std::wstring Text(int id) const { return GetItemText(id); }
    bool Checked(int id) const { return IsDlgButtonChecked(GetHwnd(), id) == BST_CHECKED; }

protected:
    void ConnectAtStartup() override {}
};

class AnsweredBoxes : public MessageBoxes {
public:
    int Show(HWND, const std::wstring& text, const std::wstring&, UINT) override {
        texts.push_back(text);
        int answer = IDCANCEL;
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        // What reaches the window while the box is up (its loop dispatches the messages).
        if (whileShown) {
            std::function<void()> once;
            once.swap(whileShown);
            once();
        }
        return answer;
    }
    std::deque<int> answers;
    std::vector<std::wstring> texts;
    std::function<void()> whileShown;
};

class PickedFile : public FileDialogs {
public:
    bool OpenFile(HWND, const std::wstring& title, const std::wstring& filterName,
                  const std::wstring& pattern, std::wstring& chosen) override {
        asked.push_back(title + L"|" + filterName + L"|" + pattern);
        if (path.empty()) return false;
        chosen = path;
        return true;
    }
    std::wstring path;  // empty: the user cancels
    std::vector<std::wstring> asked;
};

class OpsRig {
public:
    static constexpr const wchar_t* kMaker = L"TavrixOpsTests";

    OpsRig()
        : sleeper(loader), useSleeper(&sleeper), useBoxes(&boxes), useFiles(&files),
          useChannels(&channels) {
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\") + kMaker).c_str());
        app.SetRegistryKey(kMaker);
        channels.AddSerial(3, loader);
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"tavrix-ops-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder.c_str(), nullptr);
        window.Create();
    }
    ~OpsRig() {
        if (window.GetHwnd()) window.DestroyWindow();
        for (const std::wstring& file : made) DeleteFileW(file.c_str());
        RemoveDirectoryW(folder.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\") + kMaker).c_str());
    }

    // A scripted device on a serial channel to the simulated autoloader at 115200 baud.
    ScriptedDevice& UseScripted() {
        window.m_channel.reset(new SimChannel(loader, SimChannel::Kind::Serial, 3));
        window.m_baudRate = 115200;
        ScriptedDevice* device = new ScriptedDevice(window.GetHwnd());
        window.m_transporter.reset(device);
        return *device;
    }

    // The window connected to the simulated autoloader on COM3 at its rate.
    bool Connect() {
        window.m_portIndex = 3;
        window.m_baudRate = loader.BaudRate();
        return window.ConnectOnPort(nullptr);
    }

    // Writes a file of the test's own; returns its path.
    std::wstring MakeFile(const std::wstring& name, const std::string& bytes) {
        std::wstring path = folder + L"\\" + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        made.push_back(path);
        return path;
    }

    AppBase app;
    SimAutoloader loader;
    SimSleeper sleeper;
    Sleeper::Override useSleeper;
    AnsweredBoxes boxes;
    MessageBoxes::Override useBoxes;
    PickedFile files;
    FileDialogs::Override useFiles;
    connectrig::FakeChannels channels;
    ChannelFactory::Override useChannels;
    std::wstring folder;
    std::vector<std::wstring> made;
    OpsWindow window;
};

}  // namespace opsrig
