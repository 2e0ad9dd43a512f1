// TEMPORARY bodies of MainDialog's connection code and device handlers, each to be replaced
// by its own implementation in a MainDialog*.cpp file of its feature; delete a body here when
// its real one lands. Until then every one does nothing, and the window opens unconnected.
#include "app/MainDialog.h"

// To be filled: firmware update.
void MainDialog::OnBnClickedUpdateFirmware() {}

// To be filled: calibration dialog.
void MainDialog::OnBnClickedCalibrate() {}

// To be filled: print calibration grid.
void MainDialog::OnBnClickedPrintGrid() {}

// To be filled: apply display settings.
void MainDialog::OnBnClickedApplySettings() {}

// To be filled: update serial numbers.
void MainDialog::OnBnClickedUpdateSn() {}
