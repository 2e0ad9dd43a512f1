// The main window brought in line with the connected device: its controls enabled by what
// the device can do, and its identity, serial numbers, display settings and counters read
// into the window.
#include "app/MainDialog.h"

#include "app/resource.h"
#include "framework/AppBase.h"
#include "links/SystemUtil.h"

namespace {

constexpr int kMaxBeeps = 9;
// Printer firmware from which the print count has its own counter.
constexpr unsigned kPrintCountFirmware = 6000;

// The device controls, in the order they are disabled.
const int kDeviceControls[] = {IDC_UPDATE_FIRMWARE, IDC_UPDATE_SN,    IDC_CALIBRATE,
                               IDC_PRINT_GRID,      IDC_AUTOLOADER_SN, IDC_PRINTER_SN,
                               IDC_OVERRIDE_NAME,   IDC_OVERRIDE_NAME_FLAG,
                               IDC_APPLY_SETTINGS,  IDC_BEEPS_ON_FAULT, IDC_BEEPS_SPIN};

// A counter as the window shows it: empty (or emptyText) when it could not be read.
std::wstring CounterText(int value, const wchar_t* emptyText = L"") {
    return value >= 0 ? std::to_wstring(value) : std::wstring(emptyText);
}

}  // namespace

void MainDialog::ShowTransporterInfo(bool connected) {
    if (!connected || !m_transporter) {
        for (int id : kDeviceControls) EnableItem(id, false);
        return;
    }

    Transporter& device = *m_transporter;
    const bool manufacturing = AppBase::Current().IsManufacturingMode();

    device.Initialize();
    m_status.clear();

    EnableItem(IDC_UPDATE_FIRMWARE, true);
    EnableItem(IDC_UPDATE_SN, device.SupportsSettings());
    SetItemText(IDC_CALIBRATE,
                device.SupportsSettings() && !device.SupportsRotationOffset()
                    ? L"&Calibrate Margins"
                    : L"&Calibrate Rotator");
    EnableItem(IDC_CALIBRATE, device.CanCalibrate());
    EnableItem(IDC_AUTOLOADER_SN, device.SupportsSettings());
    EnableItem(IDC_PRINTER_SN, device.SupportsSettings());
    EnableItem(IDC_PRINT_GRID, device.CanPrintGrid());
    const bool displaySettings = device.SupportsPlattorParams();
    for (int id : {IDC_OVERRIDE_NAME, IDC_OVERRIDE_NAME_FLAG, IDC_APPLY_SETTINGS,
                   IDC_BEEPS_ON_FAULT, IDC_BEEPS_SPIN})
        EnableItem(id, displaySettings);

    m_serialNumbersUnread = false;
    if (device.HasSerialNumbers()) {
        // A failed read empties the fields and takes Update SN away: neither the numbers of a
        // device connected before nor blanks may be written to this one.
        std::string loaderSn, printerSn;
        if (device.GetSerialNumbers(loaderSn, printerSn)) {
            m_autoloaderSn = WidenString(loaderSn.c_str());
            m_printerSn = WidenString(printerSn.c_str());
        } else {
            m_autoloaderSn.clear();
            m_printerSn.clear();
            m_status = WidenString(device.GetErrorText());
            m_serialNumbersUnread = true;
            EnableItem(IDC_UPDATE_SN, false);
        }
        const bool writable = !m_serialNumbersUnread && manufacturing;
        if (!(writable && device.CanWritePrinterSn())) EnableItem(IDC_PRINTER_SN, false);
        if (!(writable && device.CanWriteLoaderSn())) EnableItem(IDC_AUTOLOADER_SN, false);
    } else {
        for (int id : {IDC_AUTOLOADER_SN, IDC_PRINTER_SN, IDC_UPDATE_SN, IDC_APPLY_SETTINGS})
            EnableItem(id, false);
    }

    m_inquiryId = WidenString(device.GetInquiryId());

    // Display settings replace the window's only when read: a failed read must not leave
    // values that a later Apply Settings would write to the device.
    std::string name;
    bool firstFlag = false, overrideName = false, fifthFlag = false;
    int beeps = 0;
    if (device.GetPlattorParams(name, firstFlag, overrideName, fifthFlag, beeps)) {
        m_overrideName = WidenString(name.c_str());
        m_overrideNameFlag = overrideName;
        m_displayFlagD = fifthFlag;
        m_beepsOnFault = static_cast<unsigned>(beeps) > static_cast<unsigned>(kMaxBeeps) ? 0 : beeps;
    }
    m_beepsSpin.SetRange(0, kMaxBeeps);

    const bool itsCounters = device.HasItsCounters();
    int printCount;
    if (itsCounters) {
        printCount = device.ReadCounter(0, '5');
    } else {
        printCount = -1;
        if (static_cast<unsigned>(device.GetPrinterFirmwareVersion()) >= kPrintCountFirmware)
            printCount = device.ReadCounter(0, '5');
        if (printCount < 0) printCount = device.ReadCounter(0, '1');
    }
    m_printCount = CounterText(printCount);
    m_ribbonCount = CounterText(device.ReadCounter(0, itsCounters ? '7' : '2'));
    m_imageCount = CounterText(device.ReadCounter(0, itsCounters ? '8' : '3'));
    SetItemText(IDC_IMAGE_COUNT_LABEL, itsCounters ? L"ITS Count" : L"Image Count");
    m_discsPicked.clear();
    if (device.SupportsPickCounter()) m_discsPicked = CounterText(device.ReadCounter(0, '9'), L"invalid");

    UpdateData(false);
}
