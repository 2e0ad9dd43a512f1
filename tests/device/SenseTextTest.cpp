// The loader's and the printer's sense texts, and the status messages built from them.

#include "SimAutoloaderRig.h"
#include "VardenProbe.h"
#include "device/SenseTexts.h"

#include <gtest/gtest.h>

namespace {

TEST(SenseTexts, TwoListsOfTheirOwn) {
    // The same number means different things, and the capitalisation differs.
    EXPECT_STREQ(SenseTexts::LoaderText(2), "Not Ready");
    EXPECT_STREQ(SenseTexts::PrinterText(2, SenseTexts::kAutoloaderPrinterCodes), "Printer Busy");
    EXPECT_STREQ(SenseTexts::LoaderText(14), "Printer busy");
    EXPECT_STREQ(SenseTexts::LoaderText(6), "Unit Attention(door)");
    EXPECT_STREQ(SenseTexts::LoaderText(20), "Printer Clamp failure");
    EXPECT_EQ(SenseTexts::LoaderText(13), nullptr);
    EXPECT_EQ(SenseTexts::LoaderText(21), nullptr);
    EXPECT_EQ(SenseTexts::LoaderText(0), nullptr);
    EXPECT_STREQ(SenseTexts::PrinterText(15, SenseTexts::kAutoloaderPrinterCodes),
                 "Printhead Integrity");
    // Codes 16 to 19 have printer texts only on the stand-alone printer.
    EXPECT_EQ(SenseTexts::PrinterText(16, SenseTexts::kAutoloaderPrinterCodes), nullptr);
    EXPECT_STREQ(SenseTexts::PrinterText(16, SenseTexts::kStandalonePrinterCodes),
                 "Prog Flash Failure");
    EXPECT_STREQ(SenseTexts::PrinterText(19, SenseTexts::kStandalonePrinterCodes),
                 "Vellumark failure");
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
