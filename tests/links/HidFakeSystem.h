#pragma once
// A scripted set of HID devices behind the HID system calls: the interface list, the
// HID queries and the overlapped file calls. Input reports are queued per device; each
// write can release the next group of them (the device's answer). The fake keeps a clock
// that waits advance instead of sleeping, and records every misuse of the overlapped
// calls (a second I/O while one is pending, a handle closed with I/O pending, a wait that
// could never end) in `faults`.

#include "links/HidSystem.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct FakeInput {
    enum Kind { Report, Error, Silent } kind = Silent;
    std::vector<unsigned char> bytes;

    // An input report: id, count, then the data bytes.
    static FakeInput Data(const std::vector<unsigned char>& data, int id = 1, int count = -1) {
        FakeInput input{Report, std::vector<unsigned char>(data.size() + 2)};
        input.bytes[0] = static_cast<unsigned char>(id);
        input.bytes[1] = static_cast<unsigned char>(count < 0 ? data.size() : count);
        std::copy(data.begin(), data.end(), input.bytes.begin() + 2);
        return input;
    }
    static FakeInput Raw(const std::vector<unsigned char>& bytes) { return {Report, bytes}; }
    static FakeInput Failure() { return {Error, {}}; }
};

struct FakeHidDevice {
    enum WriteResult { WriteOk, WriteFails, WriteHangs };

    std::string path;
    USHORT vendorId = 0x0CC3;
    USHORT productId = 0x000D;
    std::wstring serial = L"SN1";
    std::wstring manufacturer = L"Maker";
    std::wstring product = L"Loader";
    USHORT inputReportSize = 64;
    bool openFails = false;
    bool attributesFail = false;

    std::deque<FakeInput> inbox;                   // what a read gets now
    std::deque<std::vector<FakeInput>> answers;    // each write moves the next group in
    std::optional<FakeInput> endless;              // what a read gets once the inbox is empty
    std::deque<WriteResult> writeResults;          // per write; WriteOk when empty

    std::vector<std::vector<unsigned char>> written;
    std::vector<DWORD> readLengths;
};

class HidFakeSystem : public HidSystem {
public:
    std::deque<FakeHidDevice> devices;  // references stay valid as devices are added
    bool libraryLoads = true;
    std::vector<std::string> faults;
    std::vector<DWORD> waits;
    ULONGLONG now = 0;
    ULONGLONG ticksPerRead = 0;
    int opens = 0;

    HidFakeSystem() { HidSystem::Install(this); }
    ~HidFakeSystem() override { HidSystem::Install(nullptr); }

    FakeHidDevice& Add(const std::string& path) {
        devices.emplace_back();
        devices.back().path = path;
        return devices.back();
    }

    int OpenHandles() const {
        int n = 0;
        for (const auto& h : m_handles) n += h.second.open ? 1 : 0;
        return n;
    }

    bool LoadHidLibrary() override { return libraryLoads; }

    std::vector<std::string> ListInterfacePaths() override {
        std::vector<std::string> paths;
        for (const auto& d : devices) paths.push_back(d.path);
        return paths;
    }

    HANDLE Open(const std::string& path) override {
        for (size_t i = 0; i < devices.size(); ++i) {
            if (devices[i].path != path) continue;
            if (devices[i].openFails) break;
            HANDLE h = reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x100 + ++opens));
            m_handles[h] = {i, true};
            return h;
        }
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }

    BOOL Close(HANDLE h) override {
        FakeHidDevice* d = Device(h, "Close");
        if (d == nullptr) return FALSE;
        if (m_pending && m_pending->file == h) faults.push_back("handle closed with I/O pending");
        m_handles[h].open = false;
        return TRUE;
    }

    bool GetAttributes(HANDLE h, HIDD_ATTRIBUTES* attributes) override {
        FakeHidDevice* d = Device(h, "GetAttributes");
        if (d == nullptr || d->attributesFail) return false;
        attributes->VendorID = d->vendorId;
        attributes->ProductID = d->productId;
        return true;
    }
    USHORT GetInputReportSize(HANDLE h) override {
        FakeHidDevice* d = Device(h, "GetInputReportSize");
        return d ? d->inputReportSize : 0;
    }
    std::wstring GetSerialNumberString(HANDLE h) override { return Text(h, &FakeHidDevice::serial); }
    std::wstring GetManufacturerString(HANDLE h) override {
        return Text(h, &FakeHidDevice::manufacturer);
    }
    std::wstring GetProductString(HANDLE h) override { return Text(h, &FakeHidDevice::product); }

    BOOL Write(HANDLE h, const void* data, DWORD length, OVERLAPPED* ov) override {
        FakeHidDevice* d = Begin(h, ov, "Write");
        if (d == nullptr) return FALSE;
        const auto* bytes = static_cast<const unsigned char*>(data);
        d->written.emplace_back(bytes, bytes + length);
        if (!d->answers.empty()) {
            for (const FakeInput& input : d->answers.front()) d->inbox.push_back(input);
            d->answers.pop_front();
        }
        FakeHidDevice::WriteResult result = FakeHidDevice::WriteOk;
        if (!d->writeResults.empty()) {
            result = d->writeResults.front();
            d->writeResults.pop_front();
        }
        if (result == FakeHidDevice::WriteFails) {
            SetLastError(ERROR_GEN_FAILURE);
            return FALSE;
        }
        return StartPending(h, ov, result == FakeHidDevice::WriteOk, length);
    }

    BOOL Read(HANDLE h, void* buffer, DWORD length, OVERLAPPED* ov) override {
        FakeHidDevice* d = Begin(h, ov, "Read");
        if (d == nullptr) return FALSE;
        d->readLengths.push_back(length);
        now += ticksPerRead;
        FakeInput input;
        if (!d->inbox.empty()) {
            input = d->inbox.front();
            d->inbox.pop_front();
        } else if (d->endless) {
            input = *d->endless;
        }
        if (input.kind == FakeInput::Error) {
            SetLastError(ERROR_DEVICE_NOT_CONNECTED);
            return FALSE;
        }
        DWORD n = 0;
        if (input.kind == FakeInput::Report) {
            n = std::min<DWORD>(length, static_cast<DWORD>(input.bytes.size()));
            std::memcpy(buffer, input.bytes.data(), n);
        }
        return StartPending(h, ov, input.kind == FakeInput::Report, n);
    }

    DWORD Wait(HANDLE event, DWORD milliseconds) override {
        waits.push_back(milliseconds);
        if (!m_pending || m_pending->ov->hEvent != event) {
            faults.push_back("wait on an event with no I/O");
            return WAIT_FAILED;
        }
        if (m_pending->complete) return WAIT_OBJECT_0;
        now += milliseconds;
        return WAIT_TIMEOUT;
    }

    BOOL GetResult(HANDLE h, OVERLAPPED* ov, DWORD* transferred, BOOL wait) override {
        if (!m_pending || m_pending->file != h || m_pending->ov != ov) {
            faults.push_back("result asked for no pending I/O");
            return FALSE;
        }
        if (m_pending->complete) {
            *transferred = m_pending->bytes;
            m_pending.reset();
            return TRUE;
        }
        if (m_pending->cancelled) {
            m_pending.reset();
            SetLastError(ERROR_OPERATION_ABORTED);
            return FALSE;
        }
        if (wait) faults.push_back("waiting for I/O that never completes");
        SetLastError(ERROR_IO_INCOMPLETE);
        return FALSE;
    }

    BOOL Cancel(HANDLE h) override {
        if (m_pending && m_pending->file == h && !m_pending->complete) m_pending->cancelled = true;
        return TRUE;
    }

    void Sleep(DWORD milliseconds) override { now += milliseconds; }
    ULONGLONG Ticks() override { return now; }

private:
    struct Handle {
        size_t device;
        bool open;
    };
    struct Pending {
        HANDLE file;
        OVERLAPPED* ov;
        bool complete;
        bool cancelled;
        DWORD bytes;
    };

    FakeHidDevice* Device(HANDLE h, const char* call) {
        auto it = m_handles.find(h);
        if (it == m_handles.end() || !it->second.open) {
            faults.push_back(std::string(call) + " on a handle that is not open");
            return nullptr;
        }
        return &devices[it->second.device];
    }

    FakeHidDevice* Begin(HANDLE h, OVERLAPPED* ov, const char* call) {
        if (m_pending) faults.push_back(std::string(call) + " while an I/O is pending");
        if (ov == nullptr || ov->hEvent == nullptr) {
            faults.push_back(std::string(call) + " without an event");
        }
        FakeHidDevice* d = Device(h, call);
        if (d == nullptr) SetLastError(ERROR_INVALID_HANDLE);
        return d;
    }

    BOOL StartPending(HANDLE h, OVERLAPPED* ov, bool complete, DWORD bytes) {
        m_pending = Pending{h, ov, complete, false, bytes};
        SetLastError(ERROR_IO_PENDING);
        return FALSE;
    }

    std::wstring Text(HANDLE h, std::wstring FakeHidDevice::*field) {
        FakeHidDevice* d = Device(h, "string query");
        return d ? d->*field : std::wstring();
    }

    std::map<HANDLE, Handle> m_handles;
    std::optional<Pending> m_pending;
};
