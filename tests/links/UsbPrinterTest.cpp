// USB printer ports and their pool against named pipes the test serves itself: the
// pipes stand in for the printers' interfaces, the registry root is one of the test's own.
// Outcomes a pipe cannot give (short writes, failed closes) come from scripted calls.

#include "links/SystemUtil.h"
#include "links/UsbPrinterPool.h"
#include "links/UsbPrinterSystem.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using Bytes = std::vector<unsigned char>;

// One pipe instance that takes one client at a time and keeps what it reads, served from
// the test's own thread: its buffer takes every write of a test whole, what arrived is read
// when asked for and when its client has closed (PipeUsbSystem), and then the pipe listens
// for the next client at once, as a printer's driver is done when its close returns. With
// `reads` off its buffer is small and never read, so a large write stays pending.
class PipePrinter {
public:
    explicit PipePrinter(const std::wstring& name, bool reads = true)
        : path(L"\\\\.\\pipe\\tavrix-" + name), m_reads(reads) {
        const DWORD buffer = reads ? 1u << 20 : 4096u;
        m_pipe = CreateNamedPipeW(path.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                  PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, buffer, 0, nullptr);
        m_connected = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        Servers()[path] = this;
        Listen();
    }
    ~PipePrinter() {
        Servers().erase(path);
        CancelIo(m_pipe);
        DWORD n = 0;
        GetOverlappedResult(m_pipe, &m_connect, &n, TRUE);
        CloseHandle(m_pipe);
        CloseHandle(m_connected);
    }
    // The printer serving the pipe at path, if any.
    static PipePrinter* Serving(const std::wstring& pipePath) {
        auto it = Servers().find(pipePath);
        return it == Servers().end() ? nullptr : it->second;
    }
    // Its client has closed: keeps what is left and takes the next one.
    void ClientClosed() {
        Drain();
        DisconnectNamedPipe(m_pipe);
        Listen();
    }
    Bytes Received() {
        Drain();
        return m_received;
    }

    const std::wstring path;

private:
    void Listen() {
        m_connect = {};
        m_connect.hEvent = m_connected;
        ResetEvent(m_connected);
        ConnectNamedPipe(m_pipe, &m_connect);  // pending until a client opens the pipe
    }
    // Reads what the client has written so far.
    void Drain() {
        if (!m_reads) return;
        DWORD available = 0;
        while (PeekNamedPipe(m_pipe, nullptr, 0, nullptr, &available, nullptr) && available) {
            Bytes data(available);
            OVERLAPPED read = {};
            DWORD n = 0;
            if (!ReadFile(m_pipe, data.data(), available, nullptr, &read) &&
                GetLastError() != ERROR_IO_PENDING)
                return;
            if (!GetOverlappedResult(m_pipe, &read, &n, TRUE)) return;
            m_received.insert(m_received.end(), data.begin(), data.begin() + n);
        }
    }

    static std::map<std::wstring, PipePrinter*>& Servers() {
        static std::map<std::wstring, PipePrinter*> servers;
        return servers;
    }

    bool m_reads;
    HANDLE m_pipe;
    HANDLE m_connected;
    OVERLAPPED m_connect = {};
    Bytes m_received;
};

// Lists interfaces that lead to pipes, waits out short write limits and takes its
// registry root from the test.
class PipeUsbSystem : public UsbPrinterSystem {
public:
    std::vector<std::wstring> listed;
    std::map<std::wstring, std::wstring> pipes;  // interface path -> pipe path
    HKEY root = HKEY_LOCAL_MACHINE;
    std::vector<DWORD> waits;

    PipeUsbSystem() { UsbPrinterSystem::Install(this); }
    ~PipeUsbSystem() override { UsbPrinterSystem::Install(nullptr); }

    std::vector<std::wstring> ListInterfacePaths() override { return listed; }
    HKEY RegistryRoot() override { return root; }
    HANDLE Open(const std::wstring& devicePath) override {
        auto it = pipes.find(devicePath);
        const std::wstring path = it == pipes.end() ? devicePath : it->second;
        HANDLE h = UsbPrinterSystem::Open(path);
        PipePrinter* server = PipePrinter::Serving(path);
        if (h != INVALID_HANDLE_VALUE && server) m_servers[h] = server;
        return h;
    }
    BOOL Close(HANDLE file) override {
        const BOOL closed = UsbPrinterSystem::Close(file);
        auto it = m_servers.find(file);
        if (closed && it != m_servers.end()) {
            it->second->ClientClosed();
            m_servers.erase(it);
        }
        return closed;
    }
    DWORD Wait(HANDLE event, DWORD milliseconds) override {
        waits.push_back(milliseconds);
        return UsbPrinterSystem::Wait(event, std::min<DWORD>(milliseconds, 300));
    }

private:
    std::map<HANDLE, PipePrinter*> m_servers;  // open client handles and their printers
};

// Hands out made-up handles and scripts each call on them: closes that fail and how a
// write completes.
class ScriptedUsbSystem : public UsbPrinterSystem {
public:
    std::vector<std::wstring> listed;
    std::set<HANDLE> open;  // handed out and not yet closed
    int closeFailures = 0;  // so many closes fail next, with closeError
    DWORD closeError = ERROR_INVALID_HANDLE;
    std::vector<HANDLE> writtenTo;
    std::vector<DWORD> sleeps;
    // The next write: issued at once or not (with its error), then the completion query.
    BOOL issued = TRUE;
    DWORD issueError = 0;
    BOOL completes = TRUE;
    DWORD transferred = 0;
    DWORD completionError = 0;

    ScriptedUsbSystem() { UsbPrinterSystem::Install(this); }
    ~ScriptedUsbSystem() override { UsbPrinterSystem::Install(nullptr); }

    std::vector<std::wstring> ListInterfacePaths() override { return listed; }
    HANDLE Open(const std::wstring&) override {
        HANDLE h = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(m_next += 4));
        open.insert(h);
        return h;
    }
    BOOL Close(HANDLE file) override {
        if (closeFailures-- > 0) {
            SetLastError(closeError);
            return FALSE;
        }
        if (open.erase(file) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        return TRUE;
    }
    BOOL Write(HANDLE file, const void*, DWORD, OVERLAPPED*) override {
        writtenTo.push_back(file);
        SetLastError(issueError);
        return issued;
    }
    DWORD Wait(HANDLE, DWORD) override { return WAIT_OBJECT_0; }
    BOOL GetResult(HANDLE, OVERLAPPED*, DWORD* count, BOOL) override {
        *count = transferred;
        SetLastError(completionError);
        return completes;
    }
    void Sleep(DWORD milliseconds) override { sleeps.push_back(milliseconds); }

private:
    INT_PTR m_next = 0x1000;
};

const std::wstring kPathA = L"\\\\?\\usb#vid_047e&pid_1001#a1#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
const std::wstring kPathB = L"\\\\?\\usb#vid_0f25&pid_0036#b2#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

TEST(UsbPrinterPrefixes, MatchOnlyTheKnownPrefixesAsWritten) {
    for (const wchar_t* prefix : kUsbPrinterPrefixes) {
        EXPECT_EQ(25u, std::wcslen(prefix));
        EXPECT_TRUE(HasUsbPrinterPrefix(std::wstring(prefix) + L"#5&1#{x}"));
    }
    EXPECT_TRUE(HasUsbPrinterPrefix(kPathA));
    EXPECT_FALSE(HasUsbPrinterPrefix(L"\\\\?\\USB#VID_047E&PID_1001#a1"));
    EXPECT_FALSE(HasUsbPrinterPrefix(L"\\\\?\\usb#vid_047e&pid_100"));
    EXPECT_FALSE(HasUsbPrinterPrefix(L"\\\\?\\usb#vid_dead&pid_beef#1"));
}

TEST(UsbPrinterPort, WritesProbesAndPiecesWhole) {
    PipeUsbSystem system;
    PipePrinter printer(L"pieces");
    UsbPrinterPort port(printer.path, 3);
    ASSERT_TRUE(port.IsOpen()) << port.GetLastErrorCode();
    EXPECT_EQ(L"USBPRINT-3", port.GetPortName());

    Bytes expected(reinterpret_cast<const unsigned char*>("\x1b!d1C"),
                   reinterpret_cast<const unsigned char*>("\x1b!d1C") + 5);
    EXPECT_TRUE(port.Write(expected.data(), 5));
    for (size_t piece : {65536u, 1024u}) {
        Bytes data(piece);
        for (size_t i = 0; i < piece; ++i) data[i] = static_cast<unsigned char>(i * 7 + piece);
        EXPECT_TRUE(port.Write(data.data(), static_cast<DWORD>(piece)));
        expected.insert(expected.end(), data.begin(), data.end());
    }
    EXPECT_EQ(expected, printer.Received());
    EXPECT_TRUE(port.Close());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(port.Close());
    EXPECT_FALSE(port.Write(expected.data(), 5));  // closed
}

TEST(UsbPrinterPort, IsOpenedByOneClientOnly) {
    PipeUsbSystem system;
    PipePrinter printer(L"exclusive");
    UsbPrinterPort first(printer.path, 0);
    ASSERT_TRUE(first.IsOpen());
    UsbPrinterPort second(printer.path, 1);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_NE(0u, second.GetLastErrorCode());
    EXPECT_FALSE(second.GetLastErrorText().empty());

    UsbPrinterPort missing(L"\\\\.\\pipe\\tavrix-nobody", 2);
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), missing.GetLastErrorCode());
    EXPECT_FALSE(missing.Open());
}

TEST(UsbPrinterPort, StalledPrinterIsGivenUpAfterTheWriteLimit) {
    PipeUsbSystem system;
    PipePrinter printer(L"stalled", false);
    UsbPrinterPort port(printer.path, 0);
    ASSERT_TRUE(port.IsOpen());
    Bytes data(65536, 0x55);
    EXPECT_FALSE(port.Write(data.data(), static_cast<DWORD>(data.size())));
    EXPECT_EQ(static_cast<DWORD>(ERROR_OPERATION_ABORTED), port.GetLastErrorCode());
    EXPECT_EQ(GetSystemErrorText(ERROR_IO_PENDING), port.GetLastErrorText());
    ASSERT_FALSE(system.waits.empty());
    EXPECT_EQ(10000u, system.waits.back());
    EXPECT_TRUE(port.Close());
}

TEST(UsbPrinterPort, WriteOutcomesGiveTheirCodesAndTexts) {
    ScriptedUsbSystem system;
    UsbPrinterPort port(kPathA, 0);
    ASSERT_TRUE(port.IsOpen());
    const struct {
        BOOL issued;
        DWORD issueError;
        BOOL completes;
        DWORD transferred;
        DWORD completionError;
        bool ok;
        DWORD code;
        std::wstring text;  // empty: not looked at
        std::vector<DWORD> sleeps;
    } rows[] = {
        {TRUE, 0, TRUE, 3, 0, false, ERROR_WRITE_FAULT, L"WriteFile error: 3 bytes written of 5 requested", {}},
        // A failure without a reason: the driver is given time and the data taken as sent.
        {FALSE, 0, TRUE, 0, 0, true, 0, L"", {500}},
        {FALSE, ERROR_IO_PENDING, FALSE, 0, ERROR_GEN_FAILURE, false, ERROR_GEN_FAILURE,
         GetSystemErrorText(ERROR_GEN_FAILURE), {}},
        {FALSE, ERROR_IO_PENDING, TRUE, 4, 0, false, ERROR_WRITE_FAULT,
         L"WriteFile error: 4 bytes written of 5 requested", {}},
        {FALSE, ERROR_DEVICE_NOT_CONNECTED, TRUE, 5, 0, false, ERROR_DEVICE_NOT_CONNECTED,
         GetSystemErrorText(ERROR_DEVICE_NOT_CONNECTED), {}},
        {FALSE, ERROR_IO_PENDING, TRUE, 5, 0, true, ERROR_DEVICE_NOT_CONNECTED, L"", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        system.issued = row.issued;
        system.issueError = row.issueError;
        system.completes = row.completes;
        system.transferred = row.transferred;
        system.completionError = row.completionError;
        system.sleeps.clear();
        EXPECT_EQ(row.ok, port.Write("\x1b!d1C", 5));
        EXPECT_EQ(row.code, port.GetLastErrorCode());
        if (!row.text.empty()) {
            EXPECT_EQ(row.text, port.GetLastErrorText());
        }
        EXPECT_EQ(row.sleeps, system.sleeps);
    }
}

TEST(UsbPrinterPort, KeepsAHandleThatWouldNotCloseUntilItDoes) {
    ScriptedUsbSystem system;
    system.transferred = 1;
    const struct {
        DWORD closeError;
        bool opensAnew;  // the handle was dead already: dropped, and a new one opened
    } rows[] = {{ERROR_ACCESS_DENIED, false}, {ERROR_INVALID_HANDLE, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.closeError);
        {
            UsbPrinterPort port(kPathA, 0);
            const HANDLE first = *system.open.begin();
            system.closeFailures = 1;
            system.closeError = row.closeError;
            EXPECT_EQ(row.opensAnew, port.Open());
            EXPECT_EQ(row.opensAnew ? 2u : 1u, system.open.size());
            EXPECT_EQ(row.opensAnew ? 0u : row.closeError, port.GetLastErrorCode());
            EXPECT_TRUE(port.IsOpen());
            EXPECT_TRUE(port.Write("x", 1));
            EXPECT_EQ(row.opensAnew, first != system.writtenTo.back());
            if (row.opensAnew) {
                system.open.erase(first);
            } else {  // once the system lets it go, the port opens anew
                EXPECT_TRUE(port.Open());
                EXPECT_EQ(1u, system.open.size());
                EXPECT_EQ(0u, system.open.count(first));
            }
        }
        EXPECT_TRUE(system.open.empty());
    }

    system.listed = {kPathA, kPathB};
    {
        UsbPrinterPool pool;  // closes the ports still open when it goes
        ASSERT_EQ(2, pool.Initialize());
        ASSERT_TRUE(pool.AcquirePort(1)->Open());
        EXPECT_EQ(1u, system.open.size());
    }
    EXPECT_TRUE(system.open.empty());
}

TEST(UsbPrinterPort, IsNamedFromItsRegistryEntry) {
    PipeUsbSystem system;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\TavrixTests\\UsbRoot",
                                             0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &system.root,
                                             nullptr));
    auto setPortNumber = [&](const std::wstring& path, DWORD type, DWORD value) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(system.root, UsbPrinterPortKeyPath(path).c_str(),
                                                 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                                 nullptr));
        RegSetValueExW(key, L"Port Number", 0, type, reinterpret_cast<const BYTE*>(&value),
                       sizeof(value));
        RegCloseKey(key);
    };
    const std::wstring pathC = L"\\\\?\\usb#vid_044e&pid_200a#c3#{x}";
    setPortNumber(kPathA, REG_DWORD, 1);
    setPortNumber(kPathB, REG_DWORD, 12);
    setPortNumber(pathC, REG_BINARY, 2);
    EXPECT_EQ(L"USB001", UsbPrinterPort(kPathA, 4).GetPortName());
    EXPECT_EQ(L"USB012", UsbPrinterPort(kPathB, 4).GetPortName());
    EXPECT_EQ(L"USBPRINT-4", UsbPrinterPort(pathC, 4).GetPortName());
    EXPECT_EQ(L"USBPRINT-5", UsbPrinterPort(L"\\\\?\\usb#vid_044e&pid_1301#d4", 5).GetPortName());
    EXPECT_EQ(L"USBPRINT-6", UsbPrinterPort(L"", 6).GetPortName());
    RegCloseKey(system.root);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\TavrixTests");
}

class UsbPrinterPoolTest : public ::testing::Test {
protected:
    PipeUsbSystem system;
    PipePrinter printerA{L"pool-a"};
    PipePrinter printerB{L"pool-b"};
    UsbPrinterPool pool;

    void SetUp() override {
        system.pipes[kPathA] = printerA.path;
        system.pipes[kPathB] = printerB.path;
    }
};

TEST_F(UsbPrinterPoolTest, KeepsUsableKnownPortsAndLendsThemOneAtATime) {
    system.listed = {kPathA, L"\\\\?\\USB#VID_047E&PID_1001#a1#{x}", L"\\\\?\\usb#vid_dead&pid_beef#x",
                     kPathB, L"\\\\?\\usb#vid_0cc3&pid_000c#gone#{x}"};
    EXPECT_EQ(2, pool.Initialize());
    EXPECT_EQ(2, pool.GetPortCount());

    UsbPrinterPort* a = pool.AcquirePort(-1);
    UsbPrinterPort* b = pool.AcquirePort(-1);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(kPathA, a->GetDevicePath());
    EXPECT_EQ(L"USBPRINT-1", b->GetPortName());
    EXPECT_FALSE(a->IsOpen());  // the pool's test-open is closed again
    EXPECT_EQ(nullptr, pool.AcquirePort(-1));
    EXPECT_EQ(nullptr, pool.AcquirePort(2));
    EXPECT_EQ(nullptr, pool.AcquirePort(0));

    ASSERT_TRUE(b->Open()) << b->GetLastErrorCode();
    EXPECT_TRUE(b->Write("\x1b!d1C", 5));
    pool.ReleasePort(b);
    EXPECT_FALSE(b->IsOpen());
    UsbPrinterPort stranger(L"\\\\.\\pipe\\tavrix-nobody", 9);
    pool.ReleasePort(&stranger);
    pool.ReleasePort(nullptr);
    EXPECT_EQ(nullptr, pool.AcquirePort(0));
    EXPECT_EQ(b, pool.AcquirePort(-1));
    pool.ReleasePort(a);
    pool.ReleasePort(a);  // already free: stays free
    EXPECT_EQ(a, pool.AcquirePort(0));
    EXPECT_EQ(5u, printerB.Received().size());
}

TEST_F(UsbPrinterPoolTest, SecondInitializeAddsCopiesOnlyOfPortsNotInUse) {
    system.listed = {kPathA};
    EXPECT_EQ(1, pool.Initialize());
    EXPECT_EQ(2, pool.Initialize());
    UsbPrinterPort* first = pool.AcquirePort(0);
    ASSERT_TRUE(first->Open());
    EXPECT_EQ(2, pool.Initialize());  // the open copy keeps the port to itself
    UsbPrinterPort* copy = pool.AcquirePort(-1);
    ASSERT_NE(nullptr, copy);
    EXPECT_NE(first, copy);
    EXPECT_FALSE(copy->Open());
    first->Close();

    system.listed.clear();
    EXPECT_EQ(2, pool.Initialize());
}

}  // namespace
