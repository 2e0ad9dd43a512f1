#pragma once
// Prints one prepared print file of the device (the alignment grid or the calibration
// marks) and waits until it is printed:
//
//     CPrint print(transporter);            // the device object outlives the call
//     if (!print.PrintFile(CPrint::kCalibrationMarks)) status = print.GetErrorText();
//
// Loading the disc into the printer before and taking it out afterwards are the caller's.

#include <string>

class Transporter;

class CPrint {
public:
    // Print patterns: the files beginning "AlignDisc_" and "Marks_".
    static constexpr int kAlignmentGrid = 2;
    static constexpr int kCalibrationMarks = 3;

    explicit CPrint(Transporter* transporter);
    virtual ~CPrint();

    // Sends the pattern's print file, waits for the print and presents the printer tray.
    // False: GetErrorText tells why; after a refused start or unsent data nothing more is
    // sent but one sense request.
    bool PrintFile(int pattern);
    const char* GetErrorText() const { return m_lastError.c_str(); }

private:
    // m_lastError := the device's error text, or fallback when it has none.
    void TakeDeviceError(const char* fallback);

    Transporter* m_transporter;
    std::string m_lastError;
};
