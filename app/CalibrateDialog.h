#pragma once
// The "Rotational Calibration" dialog (dialog 104), run modally from the main window: sends
// the rotation offset and the margins, brings a calibration disc into the printer and prints
// the offset marks, so that the user can read them and test again; Save Offset has the device
// keep the values; Exit takes the disc out of the printer.
//
// The device object and the channel belong to the main window, which keeps both alive for
// the dialog's whole run. While one button's operation runs (it pumps messages), the other
// buttons, Exit and Esc are refused.

#include "framework/Dialog.h"

#include <string>

class ILoaderComm;
class Transporter;

class CalibrateDialog : public Dialog {
public:
    // The values the fields show when the dialog opens and after every Test.
    static constexpr int kDefaultOffset = 32;
    static constexpr int kDefaultLeftMargin = 5;
    static constexpr int kDefaultTopMargin = 75;
    // The offset Restore Default sends.
    static constexpr int kRestoredOffset = 100;

    CalibrateDialog(Transporter* device, ILoaderComm* channel, HWND parent);

    // The rotation offset sent for the two offsets: their mean, truncated toward zero.
    static int MeanOffset(int left, int right);

protected:
    void DoDataExchange(DataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    void OnBnClickedTest();
    void OnBnClickedRestoreDefault();
    void OnBnClickedSaveOffset();
    void ReturnDisc();

    int m_leftOffset = 0;
    int m_rightOffset = 0;
    int m_leftMargin = 0;
    int m_topMargin = 0;
    std::wstring m_status;
    Transporter* m_transporter;
    ILoaderComm* m_channel;
    bool m_restoreDefault = false;
    // A button's operation is running.
    bool m_running = false;

private:
    void ShowDefaults();
};
