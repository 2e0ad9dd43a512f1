#include "SimFlashReceiver.h"

#include "SimAutoloader.h"

#include <algorithm>

namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

const char* const kBootLoaderModels[] = {"VARDEN 7340", "VARDEN 6340", "VARDEN 7341",
                                         "VARDEN 6341", "VARDEN 7345", "VARDEN 6345",
                                         "VARDEN QRX"};

// Where a loader image carries its identification text (16-character model, then version).
size_t IdentityOffset(const std::string& model) {
    if (StartsWith(model, "VARDEN QRX")) return 528;
    return SimFlashReceiver::HasBootLoader(model) ? 256 : 160;
}

// The count of "\x1b!g0<n>C"; 0 when the digits are missing, too many or not digits.
uint64_t CountOf(const std::string& frame) {
    const size_t first = 4, last = frame.size() - 1;  // frame ends in 'C'
    if (frame.size() < 6 || last - first > 10) return 0;
    uint64_t count = 0;
    for (size_t i = first; i < last; ++i) {
        if (frame[i] < '0' || frame[i] > '9') return 0;
        count = count * 10 + static_cast<uint64_t>(frame[i] - '0');
    }
    return count;
}

}  // namespace

bool SimFlashReceiver::HasBootLoader(const std::string& loaderModel) {
    for (const char* model : kBootLoaderModels)
        if (StartsWith(loaderModel, model)) return true;
    return false;
}

bool SimFlashReceiver::Respond(SimAutoloader& device, const std::string& frame, bool refuse,
                               std::string& reply) {
    reply.clear();
    if (device.Now() < m_silentUntil) return true;  // restarting: nothing is heard
    if (frame == "\x1b!g5C") {
        if (!HasBootLoader(device.LoaderModel())) return true;
        if (refuse) {
            reply = "\x1b!g50C";
            return true;
        }
        reply = "\x1b!g51C";
        device.SetLoader(device.LoaderModel(), m_bootVersion);
        m_silentUntil = device.Now() + m_bootSwitchMs;
        return true;
    }
    if (StartsWith(frame, "\x1b!g0") && frame.back() == 'C') {
        reply = StartLoader(device, frame, refuse);
        return true;
    }
    if (frame == "\x1b!h0C" || frame == "\x1b!h064000C") {
        reply = std::string("\x1b!h0") + (refuse ? '0' : '1') + 'C';
        if (!refuse) Start(Target::Printer, frame == "\x1b!h0C" ? 65536 : 64000);
        return true;
    }
    return false;
}

std::string SimFlashReceiver::StartLoader(SimAutoloader& device, const std::string& frame,
                                          bool refuse) {
    const uint64_t count = CountOf(frame);
    const bool inBootLoader = StartsWith(device.LoaderVersion(), "BOOT");
    if (refuse || count == 0 || (HasBootLoader(device.LoaderModel()) && !inBootLoader))
        return "\x1b!g00C";
    Start(Target::Loader, count);
    return "\x1b!g01C";
}

void SimFlashReceiver::Start(Target target, uint64_t count) {
    m_target = target;
    m_announced = count;
    m_remaining = static_cast<size_t>(count);
    m_image.clear();
    m_excess = 0;
}

bool SimFlashReceiver::Absorb(SimAutoloader& device, const std::string& data) {
    if (m_remaining == 0) return false;
    const size_t taken = std::min(m_remaining, data.size());
    m_image.append(data, 0, taken);
    m_excess += data.size() - taken;
    m_remaining -= taken;
    if (m_remaining == 0) Finish(device);
    return true;
}

void SimFlashReceiver::Finish(SimAutoloader& device) {
    ++m_completed;
    if (m_target != Target::Loader) return;
    std::string version = device.LoaderVersion();
    const size_t at = IdentityOffset(device.LoaderModel()) + 16;
    if (m_image.size() >= at + 16) version = m_image.substr(at, 16);
    device.SetLoader(device.LoaderModel(), version);
    m_silentUntil = device.Now() + m_restartMs;
}
