// The application object's base: the current object, the program's directory, the profile
// in the registry and the message boxes' caption; and the read-only file.
#include "framework/AppBase.h"
#include "framework/ReadOnlyFile.h"
#include "framework/ScriptedMessageBoxes.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

const wchar_t* const kMaker = L"TavrixFrameworkTest";

// The profile's registry key of this test program, removed before and after each test.
class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + std::wstring(kMaker)).c_str()); }
    void TearDown() override { SetUp(); }
};

TEST(AppBase, LatestObjectIsCurrentWhileItLives) {
    AppBase& before = AppBase::Current();
    {
        AppBase app;
        EXPECT_EQ(&app, &AppBase::Current());
        {
            AppBase inner;
            EXPECT_EQ(&inner, &AppBase::Current());
        }
        EXPECT_EQ(&app, &AppBase::Current());
    }
    EXPECT_EQ(&before, &AppBase::Current());
}

TEST(AppBase, KnowsTheProgramsNameAndDirectory) {
    AppBase app;
    EXPECT_EQ(L"framework_tests", app.GetAppName());
    ASSERT_FALSE(app.GetExeDir().empty());
    EXPECT_EQ(L'\\', app.GetExeDir().back());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES,
              GetFileAttributesW((app.GetExeDir() + L"framework_tests.exe").c_str()));
    app.SetExeDir(L"C:\\prints");
    EXPECT_EQ(L"C:\\prints\\", app.GetExeDir());
    app.SetExeDir(L"C:\\other\\");
    EXPECT_EQ(L"C:\\other\\", app.GetExeDir());
    EXPECT_FALSE(app.IsManufacturingMode());
}

TEST(AppBase, MessageBoxesCarryTheProgramsName) {
    ScriptedMessageBoxes boxes;
    boxes.answers = {IDCANCEL};
    AppBase app;
    EXPECT_EQ(IDCANCEL, app.ShowMessage(L"Go on?", MB_OKCANCEL));
    ASSERT_EQ(1u, boxes.shown.size());
    EXPECT_EQ(L"Go on?", boxes.shown[0].text);
    EXPECT_EQ(L"framework_tests", boxes.shown[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL), boxes.shown[0].type);
}

TEST_F(ProfileTest, IntegersLiveUnderMakerProgramAndSection) {
    AppBase app;
    EXPECT_EQ(-5, app.GetProfileInt(L"Last Good", L"Baud Rate", -5));
    EXPECT_FALSE(app.WriteProfileInt(L"Last Good", L"Baud Rate", 1));  // no maker yet
    app.SetRegistryKey(kMaker);
    EXPECT_EQ(1200, app.GetProfileInt(L"Last Good", L"Baud Rate", 1200));
    ASSERT_TRUE(app.WriteProfileInt(L"Last Good", L"Baud Rate", 38400));
    ASSERT_TRUE(app.WriteProfileInt(L"Last Good", L"First Port", -1));
    EXPECT_EQ(38400, app.GetProfileInt(L"Last Good", L"Baud Rate", 1200));
    EXPECT_EQ(-1, app.GetProfileInt(L"Last Good", L"First Port", 0));
    EXPECT_EQ(9600, app.GetProfileInt(L"COM Params", L"Baud", 9600));

    DWORD value = 0, size = sizeof(value);
    ASSERT_EQ(ERROR_SUCCESS,
              RegGetValueW(HKEY_CURRENT_USER,
                           L"Software\\TavrixFrameworkTest\\framework_tests\\Last Good",
                           L"Baud Rate", RRF_RT_REG_DWORD, nullptr, &value, &size));
    EXPECT_EQ(38400u, value);
}

TEST(ReadOnlyFile, ReadsAnExistingFileOnly) {
    std::wstring dir = AppBase::Current().GetExeDir();
    std::wstring path = dir + L"readonly-test.bin";
    {
        std::ofstream out(path.c_str(), std::ios::binary);
        out << "0123456789";
    }
    ReadOnlyFile file;
    EXPECT_FALSE(file.Open(dir + L"no-such-file.bin"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), file.GetLastErrorCode());
    ASSERT_TRUE(file.Open(path));
    uint64_t length = 0;
    ASSERT_TRUE(file.GetLength(length));
    EXPECT_EQ(10u, length);

    // Others may read meanwhile, not write.
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, reader);
    if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);

    char buffer[8] = {};
    uint32_t got = 0;
    ASSERT_TRUE(file.Read(buffer, 8, got));
    EXPECT_EQ(8u, got);
    ASSERT_TRUE(file.Read(buffer, 8, got));
    EXPECT_EQ(2u, got);
    EXPECT_EQ('8', buffer[0]);
    ASSERT_TRUE(file.Read(buffer, 8, got));
    EXPECT_EQ(0u, got);
    ASSERT_TRUE(file.SeekToBegin());
    ASSERT_TRUE(file.Read(buffer, 1, got));
    EXPECT_EQ('0', buffer[0]);
    file.Close();
    EXPECT_FALSE(file.Read(buffer, 1, got));
    DeleteFileW(path.c_str());
}

}  // namespace
