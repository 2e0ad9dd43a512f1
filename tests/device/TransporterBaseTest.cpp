// What a device that keeps the base class's optional operations answers.

#include "../app/MainWindowFakes.h"

#include <gtest/gtest.h>

namespace {

TEST(TransporterBase, OptionalOperationsAnswerThatTheyAreNotThere) {
    std::vector<std::string> log;
    LoggedTransporter device(log);
    Transporter& base = device;
    EXPECT_EQ(base.ReadCounter(0, '1'), -1);
    EXPECT_EQ(base.GetPrinterKind(), 5);
    EXPECT_FALSE(base.SupportsPickCounter());
    EXPECT_FALSE(base.HasItsCounters());
    EXPECT_FALSE(base.SupportsPlattorParams());
    EXPECT_FALSE(base.IsPrinterLoaded());
    EXPECT_TRUE(base.ReconnectAfterFlash());
}

}  // namespace
