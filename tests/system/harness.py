"""Runs the real game: on a pseudo-terminal or pipes, on a private X server."""
import ctypes
import fcntl
import os
import pty
import re
import select
import struct
import subprocess
import termios
import time

TIMEOUT = 30  # seconds; only a hang trips it


def until(done, what, timeout=TIMEOUT):
    """Polls done() until it gives something true, which is returned."""
    end = time.monotonic() + timeout
    while not (result := done()):
        if time.monotonic() > end:
            raise AssertionError('timed out waiting for ' + what)
        time.sleep(0.02)
    return result


def fresh_settings():
    """The settings a new pseudo-terminal starts with."""
    master, slave = pty.openpty()
    try:
        return termios.tcgetattr(master)
    finally:
        os.close(master), os.close(slave)


def game_mode(s):
    """Keys come at once and without echo, while Ctrl+C still interrupts."""
    lflag, vmin = s[3], s[6][termios.VMIN]
    return lflag & (termios.ICANON | termios.ECHO | termios.ISIG) == termios.ISIG and vmin in (
        1, b'\x01')


class Child:
    """A program with standard output and error collected apart. On a
    pseudo-terminal that is its controlling terminal, input and output."""

    def __init__(self, argv, cwd=None, env=None, tty=False):
        if tty:
            self.master, self.slave = pty.openpty()
            stdin = stdout = self.slave
            start = lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0)  # noqa: E731
        else:
            self.slave, self.keys = os.pipe()  # the test keeps the read end
            stdin, stdout, start = self.slave, subprocess.PIPE, None
        self.tty, self.out, self.err = tty, '', ''
        self.proc = subprocess.Popen(argv, cwd=cwd, env=dict(os.environ, **(env or {})),
                                     stdin=stdin, stdout=stdout, stderr=subprocess.PIPE,
                                     start_new_session=True, preexec_fn=start)
        out = self.master if tty else self.proc.stdout.fileno()
        self.fds = {out: 'out', self.proc.stderr.fileno(): 'err'}

    def pump(self):
        """Collects what the child wrote within 20 ms."""
        for fd in select.select(list(self.fds), [], [], 0.02)[0]:
            try:
                data = os.read(fd, 65536).decode('latin-1')
            except OSError:  # EIO: nobody holds the terminal any more
                data = ''
            setattr(self, self.fds[fd], getattr(self, self.fds[fd]) + data)
            if not data:
                del self.fds[fd]

    def wait(self, done, what):
        end = time.monotonic() + TIMEOUT
        while not done():
            if time.monotonic() > end:
                raise AssertionError(f'timed out waiting for {what}: {self.out!r} {self.err!r}')
            self.pump()

    def expect(self, text, err=False):
        self.wait(lambda: text in (self.err if err else self.out), repr(text))

    def write(self, keys):
        os.write(self.master if self.tty else self.keys, keys.encode('latin-1'))

    def close_input(self):
        os.close(self.keys)
        self.keys = -1

    def unread(self):
        return struct.unpack('i', fcntl.ioctl(self.slave, termios.FIONREAD, b'\0' * 4))[0]

    def wait_read(self):
        """Until the keys written were seen waiting, then read by the child."""
        seen = []
        self.wait(lambda: seen.append(self.unread() > 0) or (any(seen) and not self.unread()),
                  'the keys to be read')

    def wait_exit(self):
        """Until the child is reaped and all it wrote collected; its status
        (minus the signal that killed it)."""
        self.wait(lambda: self.proc.poll() is not None, 'the end')
        if self.slave >= 0:
            os.close(self.slave)  # then the terminal reports its end
            self.slave = -1
        self.wait(lambda: not self.fds, 'the output to end')
        return self.proc.returncode

    def settings(self):
        return termios.tcgetattr(self.master)

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        for fd in [self.slave, getattr(self, 'master', -1), getattr(self, 'keys', -1)]:
            if fd >= 0:
                os.close(fd)
        self.proc.stdout and self.proc.stdout.close()
        self.proc.stderr.close()


class X:
    """A private Xvfb screen of width x height, or the display that DISPLAY
    names. Key repeat is off: on a busy machine a key pressed and released
    could otherwise arrive twice."""

    def __init__(self, size=None, wm=False):
        self.procs, self.env = [], {'DISPLAY': os.environ.get('DISPLAY', '')}
        if size:
            self.procs.append(subprocess.Popen(
                ['Xvfb', '-displayfd', '1', '-screen', '0', '%dx%dx24' % size, '-nolisten',
                 'tcp', '-noreset', '-r', '-ardelay', '60000'],
                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL))
            self.env['DISPLAY'] = ':' + self.procs[0].stdout.readline().decode().strip()
        if wm:  # fullscreen is the window manager's work; no borders
            self.procs.append(subprocess.Popen(['evilwm', '--bw', '0', '--fn', 'fixed'],
                                               env=dict(os.environ, **self.env)))
            until(lambda: 'window id' in self.run('xprop', '-root', '_NET_SUPPORTING_WM_CHECK'),
                  'the window manager')

    def stop(self):
        for proc in reversed(self.procs):
            proc.terminate()  # lets the server remove its lock file and socket
            proc.wait()
        self.procs and self.procs[0].stdout.close()

    def run(self, *argv):
        return subprocess.run([str(a) for a in argv], env=dict(os.environ, **self.env),
                              capture_output=True, text=True).stdout

    def window(self, title, want):
        """Until the window titled title is viewable at want (x, y, width,
        height of its client area); its id and want."""
        seen = []

        def look():
            text = self.run('xwininfo', '-name', title)
            seen[:] = [int(v, 0) for v in re.findall(
                r'(?:Window id|Absolute upper-left [XY]|Width|Height): +(\w+)', text)]
            return 'IsViewable' in text and tuple(seen[1:]) == want
        until(look, f'{title} at {want}, seen {seen}')
        return seen

    def screen(self):
        """The whole screen as a function (x, y) -> 0xRRGGBB, from xwd's
        ZPixmap with a header of big-endian 32-bit words."""
        data = subprocess.run(['xwd', '-root', '-silent'], env=dict(os.environ, **self.env),
                              capture_output=True, check=True).stdout
        head = struct.unpack('>25I', data[:100])
        start, size, line = head[0] + head[19] * 12, head[11] // 8, head[12]
        order = 'little' if head[7] == 0 else 'big'
        return lambda x, y: int.from_bytes(
            data[start + y * line + x * size:][:size], order) & 0xFFFFFF

    def close(self, window):
        """Asks the window to close as a window manager does (WM_DELETE_WINDOW)."""
        xlib = ctypes.CDLL('libX11.so.6')
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XInternAtom.restype = ctypes.c_ulong
        display = ctypes.c_void_p(xlib.XOpenDisplay(self.env['DISPLAY'].encode()))
        atom = lambda name: xlib.XInternAtom(display, name, 0)  # noqa: E731
        # An XClientMessageEvent: type, serial, send_event, display, window,
        # message_type, format, data.
        event = (ctypes.c_long * 24)(33, 0, 0, 0, window, atom(b'WM_PROTOCOLS'), 32,
                                     atom(b'WM_DELETE_WINDOW'))
        sent = xlib.XSendEvent(display, ctypes.c_ulong(window), 0, 0, event)
        xlib.XCloseDisplay(display)  # flushes the request
        return sent


def decode(path):
    """A JPEG as libjpeg's own djpeg decodes it: width, height, RGB bytes."""
    data = subprocess.run(['djpeg', '-pnm', path], capture_output=True, check=True).stdout
    head = re.match(rb'P6\s(\d+)\s(\d+)\s255\s', data)
    return int(head[1]), int(head[2]), data[head.end():]


def jpeg(path, width, height):
    """Writes a small grey JPEG of width x height with cjpeg."""
    ppm = b'P6\n%d %d\n255\n' % (width, height) + b'\x80' * (width * height * 3)
    with open(path, 'wb') as out:
        out.write(subprocess.run(['cjpeg'], input=ppm, capture_output=True, check=True).stdout)


def share_shown(shot, x, y, z, picture, tolerance):
    """The share of sampled pixels of picture that the screen shows, scaled
    by z from (x, y), within tolerance per channel."""
    width, height, rgb = picture
    samples = range(0, width * height, 331)
    near = sum(max(abs((shot(int(x + (p % width + .5) * z), int(y + (p // width + .5) * z))
                        >> 16 - 8 * c & 255) - rgb[3 * p + c]) for c in range(3)) <= tolerance
               for p in samples)
    return near / len(samples)
