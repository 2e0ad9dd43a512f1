// The main window's Update Firmware button: a firmware file chosen by the user is judged by
// the device, sent in blocks with its progress on the status line, and the device is found
// again once it has restarted.
#include "app/MainDialog.h"

#include "app/resource.h"
#include "device/Sleeper.h"
#include "framework/FileDialogs.h"
#include "framework/ReadOnlyFile.h"
#include "framework/WaitCursor.h"
#include "links/SystemUtil.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kHeaderLength = 16384;
constexpr uint32_t kBlockLength = 4096;
constexpr int kFlashReadTimeoutMs = 30000;
constexpr unsigned kAfterDownloadMs = 5000;
constexpr unsigned kPrinterRestartMs = 5000;
constexpr uint8_t kFillByte = 0xFF;

std::wstring Percent(uint64_t percent) {
    wchar_t text[40];
    std::swprintf(text, sizeof text / sizeof text[0], L"Downloading - %u%%",
                  static_cast<unsigned>(percent));
    return text;
}

// Unticks the compatibility-check box, on screen and in the member, when the handler ends:
// no later update may skip the device's check without the user ticking it again.
class CompatCheckReset {
public:
    CompatCheckReset(HWND window, bool& member) : m_window(window), m_member(member) {}
    ~CompatCheckReset() {
        m_member = false;
        CheckDlgButton(m_window, IDC_DISABLE_COMPAT_CHECK, BST_UNCHECKED);
    }
    CompatCheckReset(const CompatCheckReset&) = delete;
    CompatCheckReset& operator=(const CompatCheckReset&) = delete;

private:
    HWND m_window;
    bool& m_member;
};

}  // namespace

void MainDialog::OnBnClickedUpdateFirmware() {
    // A click while another operation runs changes nothing, the check box included.
    if (m_busy) return;
    CompatCheckReset resetCheck(GetHwnd(), m_disableCompatCheck);
    const bool skipCheck = IsDlgButtonChecked(GetHwnd(), IDC_DISABLE_COMPAT_CHECK) == BST_CHECKED;
    if (!m_transporter) return;

    BusyScope busy(*this);
    auto show = [this](const std::wstring& text) {
        m_status = text;
        UpdateData(false);
    };

    std::wstring path;
    if (!FileDialogs::Current().OpenFile(GetHwnd(), L"Select file to load flash from",
                                         L"Flash Files(*.bin)", L"*.bin", path))
        return;
    if (!m_channel) return show(L"No transporter available");

    WaitCursor waitCursor;
    ReadOnlyFile file;
    if (!file.Open(path)) return show(L"Unable to open file " + path);
    uint64_t length = 0;
    if (!file.GetLength(length)) return show(L"Unable to get size of file '" + path + L"'");
    // The device takes a 32-bit byte count; a larger file is no firmware of its.
    if (length > UINT32_MAX) return show(L"Flash file is incompatible");
    const uint32_t fileSize = static_cast<uint32_t>(length);

    std::vector<uint8_t> header(kHeaderLength, 0);
    uint32_t headerRead = 0;
    if (!file.Read(header.data(), kHeaderLength, headerRead))
        return show(L"Unable to read version info from file '" + path + L"'");

    Transporter& device = *m_transporter;
    if (skipCheck) {
        device.ClearPrinterFirmwareFile();
    } else {
        bool belowMinimum = false;
        if (!device.IsFirmwareFileValid(header.data(), fileSize, &belowMinimum))
            return show(belowMinimum ? L"Firmware file version is below ratchel level"
                                     : L"Flash file is incompatible");
    }

    if (!file.SeekToBegin()) return show(L"Error reading file " + path);
    show(L"Erasing...");
    waitCursor.Restore();
    PumpMessages();

    const bool padded = device.UsesPaddedFlashImage();
    if (!LowerLineTo38400()) {
        UpdateData(false);
        return;
    }
    if (!device.BeginFlash(fileSize))
        return show(L"Failed to send Update Flash command - " +
                    WidenString(device.GetErrorText()));
    // Every byte count announced to the device: the file, or the padded image.
    const uint64_t total = device.GetFlashImageLength(fileSize);
    m_channel->SetReadTimeout(kFlashReadTimeoutMs);

    auto sendFailed = [&] {
        show(L"Error sending flash data - " + WidenString(device.GetErrorText()));
    };
    std::vector<uint8_t> block(kBlockLength);
    uint32_t sent = 0;
    while (sent < fileSize) {
        const uint32_t wanted = fileSize - sent < kBlockLength ? fileSize - sent : kBlockLength;
        uint32_t got = 0;
        // A file that ends before its size said (it changed meanwhile) is a read error: the
        // device must get exactly the bytes it was told of.
        if (!file.Read(block.data(), wanted, got) || got == 0)
            return show(L"Error reading file " + path);
        if (!device.SendFlashData(block.data(), got)) return sendFailed();
        sent += got;
        if (sent == fileSize) break;
        show(Percent(uint64_t(sent) * 100 / total));
        waitCursor.Restore();
        PumpMessages();
    }

    if (padded) {
        std::fill(block.begin(), block.end(), kFillByte);
        while (sent < Transporter::kPaddedFillEnd) {
            const uint32_t count = Transporter::kPaddedFillEnd - sent < kBlockLength
                                       ? Transporter::kPaddedFillEnd - sent
                                       : kBlockLength;
            if (!device.SendFlashData(block.data(), count)) return sendFailed();
            sent += count;
            show(Percent((uint64_t(sent) * 100) >> 16));
            PumpMessages();
        }
        const uint16_t word = device.GetFlashTrailerWord();
        const uint8_t trailer[2] = {static_cast<uint8_t>(word >> 8),
                                    static_cast<uint8_t>(word & 0xFF)};
        if (!device.SendFlashData(trailer, sizeof trailer)) return sendFailed();
    }

    show(L"Downloading - completed");
    PumpMessages();
    file.Close();
    Sleeper::Wait(kAfterDownloadMs);

    if (device.IsPrinterFirmwareFile()) {
        // The printer restarts on its own; the loader in front of it stays connected.
        Sleeper::Wait(kPrinterRestartMs);
        UpdateData(false);
        return;
    }

    const bool ok = device.ReconnectAfterFlash();
    const wchar_t* outcome = ok ? L"Flash update succeeded" : L"New inquiry / flash versions differ";
    if (m_channel->IsHid()) {
        m_transporter.reset();
        const bool identified = ok && IdentifyTransporter();
        ShowTransporterInfo(identified);
        // A device that answers no inquiry after the update is no success.
        show(ok && !identified ? L"No transporter found" : outcome);
        return;
    }

    const int delaySeconds = device.GetRestartDelaySeconds();
    ReleaseDevice();
    Sleeper::Wait(static_cast<unsigned>(delaySeconds) * 1000u);
    if (ConnectOnPort(nullptr))
        show(outcome);
    else
        UpdateData(false);
}
