#!/usr/bin/env python3
"""A device stand-in on a pseudo-terminal for the serial channel's test under Wine.

Opens a pty, keeps its slave open (in raw mode), writes the slave's path to the file named
by TAVRIX_PTY_FILE and answers escape commands (ESC '!' letter ... 'C') on the master with
fixed replies. Most replies echo the command's first four bytes and a status '1':

  ESC!e1C  11 bytes "ESC!e1" "1234567"            a plain command
  ESC!s0C  6 bytes, sent as 3, a 300 ms pause, 3   a reply in two pieces
  ESC!h0C  3 bytes of what would be a 6-byte reply  a partial reply
  ESC!j0C  300 bytes of 'J', no reply               input left stale on the line
  ESC!c0C / ESC!c1C  CTS off / on, then 5 bytes     through the file in TAVRIX_CTS_FILE
  ESC!t0C  15 bytes: echo, '1', 6-digit baud, data bits, parity, stop bits, 'H' or '-'
           for hardware flow control: the line settings the slave holds
anything else: no reply.

Ends after --lifetime seconds (default 120) or when killed.
"""
import argparse
import os
import select
import termios
import time
import tty

SPEEDS = {getattr(termios, 'B%d' % b): b for b in
          (1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400)}
DATA_BITS = {termios.CS5: '5', termios.CS6: '6', termios.CS7: '7', termios.CS8: '8'}


def line_state(slave):
    _, _, cflag, _, _, ospeed, _ = termios.tcgetattr(slave)
    parity = 'N'
    if cflag & termios.PARENB:
        parity = 'O' if cflag & termios.PARODD else 'E'
    return b'%06d%s%s%s%s' % (SPEEDS.get(ospeed, 0), DATA_BITS[cflag & termios.CSIZE].encode(),
                              parity.encode(), b'2' if cflag & termios.CSTOPB else b'1',
                              b'H' if cflag & termios.CRTSCTS else b'-')


def set_cts(on):
    path = os.environ.get('TAVRIX_CTS_FILE')
    if path:
        with open(path + '.new', 'w') as f:
            f.write('1' if on else '0')
        os.replace(path + '.new', path)


def answer(master, slave, frame):
    echo = frame[:4]
    if frame == b'\x1b!e1C':
        os.write(master, echo + b'1' + b'234567')
    elif frame == b'\x1b!s0C':
        os.write(master, echo[:3])
        time.sleep(0.3)
        os.write(master, echo[3:] + b'10')
    elif frame == b'\x1b!h0C':
        os.write(master, echo[:3])
    elif frame == b'\x1b!j0C':
        os.write(master, b'J' * 300)
    elif frame in (b'\x1b!c0C', b'\x1b!c1C'):
        set_cts(frame[3:4] == b'1')
        os.write(master, echo + b'1')
    elif frame == b'\x1b!t0C':
        os.write(master, echo + b'1' + line_state(slave))


def frames(buffer):
    """Splits complete frames off the front of buffer; returns (frames, rest)."""
    found = []
    while True:
        start = buffer.find(b'\x1b!')
        if start < 0:
            return found, b''
        end = buffer.find(b'C', start + 3)
        if end < 0:
            return found, buffer[start:]
        found.append(buffer[start:end + 1])
        buffer = buffer[end + 1:]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--lifetime', type=float, default=120)
    args = parser.parse_args()

    master, slave = os.openpty()
    tty.setraw(slave)
    ready = os.environ['TAVRIX_PTY_FILE']
    with open(ready + '.new', 'w') as f:
        f.write(os.ttyname(slave))
    os.replace(ready + '.new', ready)

    end = time.monotonic() + args.lifetime
    pending = b''
    while time.monotonic() < end:
        readable, _, _ = select.select([master], [], [], 0.5)
        if not readable:
            continue
        try:
            data = os.read(master, 4096)
        except OSError:
            time.sleep(0.05)  # no slave open just now
            continue
        found, pending = frames(pending + data)
        for frame in found:
            answer(master, slave, frame)


if __name__ == '__main__':
    main()
