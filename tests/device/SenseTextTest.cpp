// The loader's and the printer's sense texts, and the status messages built from them.

#include "AutoPrinterProbe.h"
#include "SimAutoloaderRig.h"
#include "VardenProbe.h"

#include <gtest/gtest.h>

namespace {

// Each code as the autoloader shows it for its loader and its printer, and as the
// stand-alone printer shows it. The two lists are separate: the same number means
// different things, and the capitalisation differs between them.
TEST(SenseTexts, EveryCodeOfEachList) {
    const struct {
        unsigned code;
        const char* loader;
        const char* printer;     // on an autoloader
        const char* standalone;  // on a stand-alone printer
    } rows[] = {
        {0, "Sense = 0", "OK", "OK"},
        {1, "Recovered", "Ribbon Out", "Ribbon Out"},
        {2, "Not Ready", "Printer Busy", "Printer Busy"},
        {3, "Medium Error", "Lower Head Error", "Lower Head Error"},
        {4, "Hardware Error", "Raise Head Error", "Raise Head Error"},
        {5, "Illegal Request", "Drawer Home Error", "Drawer Home Error"},
        {6, "Unit Attention(door)", "Drawer In Error", "Drawer In Error"},
        {7, "No Drive Detected", "Drawer Out Error", "Drawer Out Error"},
        {8, "No Carousel", "Invalid Data", "Invalid Data"},
        {9, "No Printer", "Data Mismatch", "Data Mismatch"},
        {10, "Carousel Failure", "Invalid Left Margin", "Invalid Left Margin"},
        {11, "Lift Failure", "No Left Margin", "No Left Margin"},
        {12, "DDA Failure", "Disc detection Error", "Disc detection Error"},
        {13, "Sense = 13", "Color Change Error", "Color Change Error"},
        {14, "Printer busy", "User Aborted", "User Aborted"},
        {15, "Host Comm Failure", "Printhead Integrity", "Printhead Integrity"},
        {16, "Prog Flash Failure", "Sense = 16", "Prog Flash Failure"},
        {17, "Rotate Failure", "Sense = 17", "Rotate Failure"},
        {18, "Mailbox failure", "Sense = 18", "Mailbox failure"},
        {19, "Vellumark failure", "Sense = 19", "Vellumark failure"},
        {20, "Printer Clamp failure", "Sense = 20", "Sense = 20"},
        {21, "Sense = 21", "Sense = 21", "Sense = 21"},
    };
    SimAutoloaderRig loaderRig;
    loaderRig.device.SetPrinter("VEXIL", "VERSION 5.210");
    auto loader = loaderRig.Connect<VardenProbe>();
    SimAutoPrinterRig printerRig;
    auto printer = printerRig.Connect<AutoPrinterProbe>();
    ASSERT_TRUE(loader && printer);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        loader->m_loaderSense = static_cast<uint16_t>(row.code);
        loader->m_printerSense = static_cast<uint16_t>(row.code);
        printer->m_printerSense = static_cast<uint16_t>(row.code);
        EXPECT_STREQ(loader->GetLoaderSenseText(), row.loader);
        EXPECT_STREQ(loader->GetPrinterSenseText(), row.printer);
        EXPECT_STREQ(printer->GetPrinterSenseText(), row.standalone);
        EXPECT_STREQ(printer->GetLoaderSenseText(), "");
    }
}

class SenseText : public ::testing::Test {
protected:
    std::unique_ptr<VardenProbe> Connect(const char* printerModel) {
        rig.device.SetPrinter(printerModel, "XJQN22");
        return rig.Connect<VardenProbe>();
    }
    SimAutoloaderRig rig;
};

TEST_F(SenseText, CodesBeyondTheListsReadInFull) {
    auto loader = Connect("VEXIL");
    ASSERT_TRUE(loader);
    loader->m_loaderSense = 65535;
    EXPECT_STREQ(loader->GetLoaderSenseText(), "Sense = 65535");
    loader->m_printerSense = 300;
    EXPECT_STREQ(loader->GetPrinterSenseText(), "Sense = 300");
}

TEST_F(SenseText, TolvanePrinterCodesAreAlwaysNumbers) {
    auto loader = Connect("TOLVANE");
    ASSERT_TRUE(loader);
    loader->m_printerSense = 0;
    EXPECT_STREQ(loader->GetPrinterSenseText(), "Sense = 0");
    loader->m_printerSense = 3;
    loader->FormatStatusMessage();
    EXPECT_EQ(loader->m_lastError, "Printer: Sense = 3");
    loader->m_loaderSense = 14;
    EXPECT_STREQ(loader->GetLoaderSenseText(), "Printer busy") << "loader texts stay";
}

TEST_F(SenseText, StatusMessagePrefersTheLoader) {
    auto loader = Connect("VEXIL");
    ASSERT_TRUE(loader);
    loader->m_loaderSense = 4;
    loader->m_printerSense = 1;
    loader->FormatStatusMessage();
    EXPECT_EQ(loader->m_lastError, "Transporter: Hardware Error");
    loader->m_loaderSense = 0;
    loader->FormatStatusMessage();
    EXPECT_EQ(loader->m_lastError, "Printer: Ribbon Out");
    loader->m_printerSense = 0;
    loader->FormatStatusMessage();
    EXPECT_EQ(loader->m_lastError, "");
}

}  // namespace
