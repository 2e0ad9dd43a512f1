// The loader's and the printer's sense texts, and the status messages built from them.

#include "SimAutoloaderRig.h"
#include "VardenProbe.h"
#include "device/SenseTexts.h"

#include <gtest/gtest.h>

namespace {

TEST(SenseTexts, LoaderList) {
    const char* const expected[] = {
        nullptr,          "Recovered",         "Not Ready",          "Medium Error",
        "Hardware Error", "Illegal Request",   "Unit Attention(door)", "No Drive Detected",
        "No Carousel",    "No Printer",        "Carousel Failure",   "Lift Failure",
        "DDA Failure",    nullptr,             "Printer busy",       "Host Comm Failure",
        "Prog Flash Failure", "Rotate Failure", "Mailbox failure",   "Vellumark failure",
        "Printer Clamp failure",
    };
    for (unsigned code = 0; code < 21; ++code) {
        SCOPED_TRACE(code);
        const char* text = SenseTexts::LoaderText(code);
        if (expected[code])
            EXPECT_STREQ(text, expected[code]);
        else
            EXPECT_EQ(text, nullptr);
    }
    EXPECT_EQ(SenseTexts::LoaderText(21), nullptr);
    EXPECT_EQ(SenseTexts::LoaderText(65535), nullptr);
}

TEST(SenseTexts, PrinterListAndEachClassesRange) {
    const char* const expected[] = {
        "OK",           "Ribbon Out",        "Printer Busy",         "Lower Head Error",
        "Raise Head Error", "Drawer Home Error", "Drawer In Error",  "Drawer Out Error",
        "Invalid Data", "Data Mismatch",     "Invalid Left Margin",  "No Left Margin",
        "Disc detection Error", "Color Change Error", "User Aborted", "Printhead Integrity",
        "Prog Flash Failure", "Rotate Failure", "Mailbox failure",    "Vellumark failure",
    };
    for (unsigned code = 0; code < 20; ++code) {
        SCOPED_TRACE(code);
        EXPECT_STREQ(SenseTexts::PrinterText(code, SenseTexts::kStandalonePrinterCodes),
                     expected[code]);
        if (code <= 15)
            EXPECT_STREQ(SenseTexts::PrinterText(code, SenseTexts::kAutoloaderPrinterCodes),
                         expected[code]);
        else
            EXPECT_EQ(SenseTexts::PrinterText(code, SenseTexts::kAutoloaderPrinterCodes), nullptr);
    }
    EXPECT_EQ(SenseTexts::PrinterText(20, SenseTexts::kStandalonePrinterCodes), nullptr);
    EXPECT_EQ(SenseTexts::PrinterText(1000, 1000), nullptr);
}

class SenseText : public ::testing::Test {
protected:
    std::unique_ptr<VardenProbe> Connect(const char* printerModel) {
        rig.device.SetPrinter(printerModel, "XJQN22");
        return rig.Connect<VardenProbe>();
    }
    SimAutoloaderRig rig;
};

TEST_F(SenseText, CodesWithoutTextReadAsTheirNumber) {
    auto loader = Connect("VEXIL");
    ASSERT_TRUE(loader);
    loader->m_loaderSense = 13;
    EXPECT_STREQ(loader->GetLoaderSenseText(), "Sense = 13");
    loader->m_loaderSense = 0;
    EXPECT_STREQ(loader->GetLoaderSenseText(), "Sense = 0");
    loader->m_loaderSense = 65535;
    EXPECT_STREQ(loader->GetLoaderSenseText(), "Sense = 65535");
    loader->m_printerSense = 16;
    EXPECT_STREQ(loader->GetPrinterSenseText(), "Sense = 16");
    loader->m_printerSense = 300;
    EXPECT_STREQ(loader->GetPrinterSenseText(), "Sense = 300");
    loader->m_printerSense = 0;
    EXPECT_STREQ(loader->GetPrinterSenseText(), "OK");
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
