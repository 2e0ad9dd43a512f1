#include "links/CTransporterSerial.h"

#include "links/CommApi.h"

#include <algorithm>
#include <climits>

CTransporterSerial::CTransporterSerial(const char* portPath, int baud)
    : m_api(CommApi::Current()),
      m_byteSize(8),
      m_stopBits(ONESTOPBIT),
      m_commErrors(0),
      m_baud(baud),
      m_ctsWaitSeconds(3),
      m_errorCode(0),
      m_systemError(0),
      m_portName(portPath ? portPath : ""),
      m_handle(INVALID_HANDLE_VALUE),
      m_open(false),
      m_ownFailure(false),
      m_ownText() {
    InitializeCriticalSection(&m_lock);
    m_port.reset(new SerialPort(portPath, baud, m_byteSize, NOPARITY, m_stopBits));
    m_handle = m_port->GetHandle();
    m_open = m_handle != INVALID_HANDLE_VALUE;
    if (!m_open) return;  // the reason stays in the port
    if (m_portName.size() >= 4 && m_portName[0] == '\\') m_portName.erase(0, 4);

    // Both failures count as a failed line setup; the port's own line state stays.
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (!m_api.GetCommState(m_handle, &dcb)) {
        FailOwn(ChannelError::SetCommStateFailed, m_api.GetLastError());
        return;
    }
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = m_byteSize;
    dcb.Parity = NOPARITY;
    dcb.StopBits = m_stopBits;
    dcb.XonLim = 0;
    dcb.XoffLim = 0;
    dcb.ErrorChar = 0;
    dcb.EofChar = 0;
    dcb.EvtChar = 0;
    dcb.wReserved1 = 0;
    // Flag word 0x2804: output waits for CTS, RTS by handshake, received NULs dropped.
    dcb.fBinary = FALSE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = TRUE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = TRUE;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    dcb.fAbortOnError = FALSE;
    dcb.fDummy2 = 0;
    if (!m_api.SetCommState(m_handle, &dcb))
        FailOwn(ChannelError::SetCommStateFailed, m_api.GetLastError());
}

CTransporterSerial::~CTransporterSerial() {
    m_handle = INVALID_HANDLE_VALUE;
    m_port.reset();
    DeleteCriticalSection(&m_lock);
}

bool CTransporterSerial::WaitForCts(int seconds) {
    CommLock lock(this);
    const unsigned polls = static_cast<unsigned>(std::min(std::max(seconds, 0), INT_MAX / 100)) * 100u;
    unsigned counter = 0;
    do {
        DWORD status = 0;
        if (!m_api.GetCommModemStatus(m_handle, &status)) {
            FailOwn(ChannelError::ModemStatusFailed, m_api.GetLastError());
            m_api.ClearCommError(m_handle, &m_commErrors, nullptr);
            return false;
        }
        if (status & MS_CTS_ON) return true;
        m_api.Sleep(kCtsPollMs);
    } while (counter++ < polls);
    return FailOwn(ChannelError::CtsOff, m_systemError);
}

bool CTransporterSerial::Transact(const byte* command, int commandLength, byte* reply,
                                  int replyLength, int timeoutSeconds) {
    if (commandLength < 0 || replyLength < 0) return false;
    CommLock lock(this);
    if (!WaitForCts(m_ctsWaitSeconds)) return false;

    if (replyLength != 0) {
        // Whatever waits on the line now is no reply to this command.
        byte scratch[kDrainChunk];
        m_port->SetReadTimeout(kDrainTimeoutMs);
        for (int i = 0; i < kMaxDrainReads && m_port->Read(scratch, sizeof scratch); ++i) {
        }
    }
    if (!m_port->Write(command, static_cast<unsigned>(commandLength))) return FailFromPort();
    if (replyLength == 0 || !reply) return true;

    m_port->SetReadTimeout(std::min(std::max(timeoutSeconds, 0), INT_MAX / 1000) * 1000);
    if (!m_port->Read(reply, static_cast<unsigned>(replyLength))) return FailFromPort();
    return true;
}

bool CTransporterSerial::SetBaudRate(int baud) {
    CommLock lock(this);
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (!m_api.GetCommState(m_handle, &dcb))
        return FailOwn(ChannelError::GetCommStateFailed, m_api.GetLastError());
    dcb.BaudRate = static_cast<DWORD>(baud);
    if (!m_api.SetCommState(m_handle, &dcb))
        return FailOwn(ChannelError::SetCommStateFailed, m_api.GetLastError());
    m_baud = baud;
    return true;
}

const char* CTransporterSerial::GetLastErrorText() {
    return m_ownFailure ? m_ownText : m_port->GetErrorText();
}

bool CTransporterSerial::Write(const byte* data, int length) {
    if (length < 0) return false;
    return PortResult(m_port->Write(data, static_cast<unsigned>(length)));
}

bool CTransporterSerial::Read(byte* buffer, int length) {
    if (length < 0) return false;
    return PortResult(m_port->Read(buffer, static_cast<unsigned>(length)));
}

bool CTransporterSerial::SetReadTimeout(int milliseconds) {
    return PortResult(m_port->SetReadTimeout(milliseconds));
}

bool CTransporterSerial::SetWriteTimeouts(int constantMilliseconds, int perByteMilliseconds) {
    return PortResult(m_port->SetWriteTimeouts(constantMilliseconds, perByteMilliseconds));
}

// A failure of the channel's own: its number, and a text of its own.
bool CTransporterSerial::FailOwn(int code, DWORD systemError) {
    m_errorCode = code;
    m_systemError = systemError;
    SerialPort::FormatErrorText(code, systemError, m_ownText, sizeof m_ownText);
    m_ownFailure = true;
    return false;
}

// An exchange that failed in the port takes the port's number and system error.
bool CTransporterSerial::FailFromPort() {
    m_errorCode = m_port->GetErrorCode();
    m_systemError = m_port->GetSystemError();
    return PortResult(false);
}

// A failure in the port (recorded there only) makes the port's text the one to show.
bool CTransporterSerial::PortResult(bool ok) {
    if (!ok) m_ownFailure = false;
    return ok;
}
