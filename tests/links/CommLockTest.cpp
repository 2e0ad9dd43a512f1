#include "links/ILoaderComm.h"

#include <gtest/gtest.h>

namespace {

// Counts Lock/Unlock; every other operation is a stub.
class CountingComm : public ILoaderComm {
public:
    int locks = 0, unlocks = 0;
    int IsHid() override { return 0; }
    const char* GetPortName() override { return ""; }
    void SetCtsTimeout(int) override {}
    bool Transact(const byte*, int, byte*, int, int) override { return false; }
    bool SetBaudRate(int) override { return false; }
    int GetBaudRate() override { return 0; }
    int GetLastErrorCode() override { return 0; }
    const char* GetLastErrorText() override { return ""; }
    bool Write(const byte*, int) override { return false; }
    bool Read(byte*, int) override { return false; }
    bool SetReadTimeout(int) override { return false; }
    bool SetWriteTimeouts(int, int) override { return false; }
    void Lock() override { ++locks; }
    void Unlock() override { ++unlocks; }
    void SetCommandFlag(bool) override {}
    void Close() override {}
    bool Reopen() override { return false; }
};

TEST(CommLock, LocksForItsScopeOnly) {
    CountingComm comm;
    {
        CommLock lock(&comm);
        EXPECT_EQ(1, comm.locks);
        EXPECT_EQ(0, comm.unlocks);
    }
    EXPECT_EQ(1, comm.unlocks);
}

}  // namespace
