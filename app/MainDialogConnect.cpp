// The main window's connection: the start-up port scan, the connection on one port (USB HID
// or a COM port at its rates), the inquiry and identification of the device, and the port
// combo box.
#include "app/MainDialog.h"

#include "app/ChannelFactory.h"
#include "app/WaitDialog.h"
#include "app/resource.h"
#include "device/AutoPrinter.h"
#include "device/InquiryRecord.h"
#include "device/VardenTransporter.h"
#include "framework/AppBase.h"
#include "framework/WaitCursor.h"
#include "links/HidDeviceSearch.h"
#include "links/SystemUtil.h"

#include <cstdio>

namespace {

constexpr int kLastPortIndex = 256;
constexpr int kInquiryTimeoutSeconds = 3;
constexpr int kSerialReadTimeoutMs = 1000;
constexpr int kDefaultComBaud = 9600;
constexpr int kHidBaudRate = 9600;
// The standard rates, tried in this order after the start rate.
constexpr int kStandardRates[] = {9600, 38400, 115200};
constexpr int kStandardRateCount = sizeof kStandardRates / sizeof kStandardRates[0];

std::wstring Printf(const wchar_t* format, const std::wstring& text, int number) {
    wchar_t buffer[160];
    std::swprintf(buffer, sizeof buffer / sizeof buffer[0], format, text.c_str(), number);
    return buffer;
}

}  // namespace

void MainDialog::ConnectAtStartup() {
    WaitDialog waitDialog(nullptr);
    PumpMessages();

    // A remembered port outside 0..256 (a negative one is stored when the combo had no
    // selection) starts the scan at HID.
    int first = AppBase::Current().GetProfileInt(kLastGood, kFirstPortEntry, 0);
    if (first < 0 || first > kLastPortIndex) first = 0;

    bool found = false;
    for (m_portIndex = first; m_portIndex <= kLastPortIndex; ++m_portIndex)
        if ((found = ConnectOnPort(&waitDialog))) break;
    if (!found)
        for (m_portIndex = 0; m_portIndex < first; ++m_portIndex)
            if ((found = ConnectOnPort(&waitDialog))) break;

    waitDialog.Close();
    if (!found) AppBase::Current().ShowMessage(L"Unable to communicate with a transporter", MB_OK);
}

bool MainDialog::ConnectOnPort(WaitDialog* waitDialog) {
    ReleaseDevice();

    if (m_portIndex == 0) {
        bool connected = false;
        for (uint16_t productId : kHidProductIds)
            if ((connected = ConnectHid(productId))) break;
        if (!connected) {
            ShowTransporterInfo(false);
            return false;
        }
        m_baudRate = kHidBaudRate;
        ShowTransporterInfo(true);
        return true;
    }

    wchar_t path[32];
    std::swprintf(path, sizeof path / sizeof path[0], L"\\\\.\\COM%d", m_portIndex);
    m_portPath = path;
    if (m_baudRate == kNoGoodBaudRate)
        m_baudRate = AppBase::Current().GetProfileInt(kComParams, kBaudEntry, kDefaultComBaud);

    std::unique_ptr<ILoaderComm> channel =
        ChannelFactory::Current().OpenSerial(NarrowString(m_portPath), m_baudRate);
    if (!channel) {
        m_status = L"Unable to open " + m_portPath;
        UpdateData(false);
        ShowTransporterInfo(false);
        return false;
    }
    m_channel = std::move(channel);
    m_channel->SetReadTimeout(kSerialReadTimeoutMs);

    bool tried[kStandardRateCount] = {};
    for (int i = 0; i < kStandardRateCount; ++i)
        if (kStandardRates[i] == m_baudRate) tried[i] = true;

    const std::wstring portName = m_portPath.substr(4);
    for (;;) {
        std::wstring text =
            Printf(L"Looking for a transporter on %ls at %d baud", portName, m_baudRate);
        if (waitDialog) {
            waitDialog->SetText(text);
        } else {
            m_status = text;
            UpdateData(false);
            PumpMessages();
        }
        if (IdentifyTransporter()) {
            ShowTransporterInfo(true);
            return true;
        }

        int next = 0;
        while (next < kStandardRateCount && tried[next]) ++next;
        if (next == kStandardRateCount) {
            m_status = L"No transporter found";
            ShowTransporterInfo(false);
            return false;
        }
        if (m_channel->GetLastErrorCode() == ChannelError::CtsOff) {
            // The line is there but the device holds it: keep the channel and the window.
            m_status = L"CTS is off";
            return false;
        }
        if (!m_channel->SetBaudRate(kStandardRates[next])) {
            m_status = L"Unable to change to " + std::to_wstring(kStandardRates[next]) +
                       L" Baud on " + WidenString(m_channel->GetPortName());
            ShowTransporterInfo(false);
            return false;
        }
        m_baudRate = kStandardRates[next];
        tried[next] = true;
    }
}

bool MainDialog::ConnectHid(uint16_t productId) {
    ChannelFactory& factory = ChannelFactory::Current();
    std::vector<std::wstring> serialNumbers = factory.ListHid(productId);
    for (size_t i = 0; i < serialNumbers.size(); ++i) {
        m_channel = factory.ConnectHid(productId, serialNumbers[i], static_cast<int>(i));
        if (m_channel && IdentifyTransporter()) break;
        m_channel.reset();
    }
    return m_channel != nullptr;
}

bool MainDialog::ScanAllPorts(WaitDialog* waitDialog) {
    for (m_portIndex = 0; m_portIndex <= kLastPortIndex; ++m_portIndex)
        if (ConnectOnPort(waitDialog)) return true;
    m_portIndex = 1;
    return false;
}

bool MainDialog::IdentifyTransporter() {
    uint8_t reply[InquiryRecord::kBufferLength];
    int payloadLength = -1;
    // A reply whose length field lies outside 32..96 counts as no device of ours.
    InquiryRecord::Outcome outcome = InquiryRecord::Request(m_channel.get(), reply,
                                                            kInquiryTimeoutSeconds, &payloadLength);
    if (outcome == InquiryRecord::Outcome::NoReply) {
        if (m_channel->GetLastErrorCode() == ChannelError::CtsOff) m_status = L"CTS is off";
        return false;
    }
    if (outcome != InquiryRecord::Outcome::Answered) return false;

    const int replyLength = InquiryRecord::kHeaderLength + payloadLength;
    if (VardenTransporter::Identify(reply, replyLength, payloadLength)) {
        m_transporter.reset(new VardenTransporter(m_channel.get()));
        return true;
    }
    if (AutoPrinter::Identify(reply, replyLength, payloadLength)) {
        m_transporter.reset(new AutoPrinter(m_channel.get()));
        return true;
    }
    return false;
}

void MainDialog::OnCbnSelchangePort() {
    if (m_busy) return;
    BusyScope busy(*this);
    WaitCursor waitCursor;
    UpdateData(true);
    // The port chosen now, even when an earlier field of the window refused the read.
    int selected = static_cast<int>(SendDlgItemMessageW(GetHwnd(), IDC_PORT, CB_GETCURSEL, 0, 0));
    if (selected < 0) return;
    m_portIndex = selected;

    if (m_portIndex != 0) {
        if (!ConnectOnPort(nullptr))
            AppBase::Current().ShowMessage(
                L"Unable to communicate with the transporter on " + m_portPath, MB_OK);
    } else if (!ScanAllPorts(nullptr)) {
        AppBase::Current().ShowMessage(L"Unable to find a transporter", MB_OK);
    }
}
