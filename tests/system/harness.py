"""Runs the real game on a pseudo-terminal or pipes, on an X server, and in a browser."""
import base64, ctypes, fcntl, functools, http.server, json, os, pty, re, select  # noqa: E401
import signal, struct, subprocess, tempfile, termios, threading, time  # noqa: E401

def until(done, what, step=lambda: time.sleep(0.02), timeout=30):  # only trips on a hang
    end = time.monotonic() + timeout
    while not done():
        if time.monotonic() > end:
            raise AssertionError('timed out waiting for ' + what())
        step()

def fresh_settings():
    fds = pty.openpty()
    return [termios.tcgetattr(fds[0]), os.close(fds[0]), os.close(fds[1])][0]

def game_mode(s):
    """Keys come at once and without echo, while Ctrl+C still interrupts."""
    flags = termios.ICANON | termios.ECHO | termios.ISIG
    return s[3] & flags == termios.ISIG and s[6][termios.VMIN] in (1, b'\1')

class Child:
    """A program with standard output and error apart, on pipes or a pseudo-terminal (also its
    controlling terminal, whose settings stay readable on the master after the end)."""

    def __init__(self, argv, cwd, env, tty):
        # On pipes the test keeps the read end, to see what is unread.
        self.slave, self.master = pty.openpty()[::-1] if tty else os.pipe()
        self.out, self.err, self.outlived = '', '', False
        self.proc = subprocess.Popen(
            argv, cwd=cwd, env=dict(os.environ, **env), stdin=self.slave,
            stdout=self.slave if tty else subprocess.PIPE, stderr=subprocess.PIPE,
            start_new_session=True,
            preexec_fn=(lambda: fcntl.ioctl(0, termios.TIOCSCTTY)) if tty else None)
        self.fds = {self.master if tty else self.proc.stdout.fileno(): 'out',
                    self.proc.stderr.fileno(): 'err'}

    def pump(self):
        for fd in select.select(list(self.fds), [], [], 0.02)[0]:
            try:
                data = os.read(fd, 65536).decode('latin-1')
            except OSError:  # EIO: nobody holds the terminal any more
                data = ''
            setattr(self, self.fds[fd], getattr(self, self.fds[fd]) + data)
            if not data:
                del self.fds[fd]

    def wait(self, done, what): until(done, lambda: f'{what}: {self.out!r} {self.err!r}', self.pump)
    def write(self, keys): os.write(self.master, keys.encode('latin-1'))
    def close_input(self): self.master = os.close(self.master) or -1

    def expect(self, text, err=False):
        self.wait(lambda: text in (self.err if err else self.out), repr(text))

    def unread(self):
        return struct.unpack('i', fcntl.ioctl(self.slave, termios.FIONREAD, b'1234'))[0]

    def wait_read(self, *others):
        """Until the keys written to it and others were seen waiting (a terminal passes them on
        later), then read."""
        children = (self, *others)
        seen = [[] for _ in children]
        until(lambda: [s.append(c.unread()) for c, s in zip(children, seen)]
              and all(max(s) > 0 and s[-1] == 0 for s in seen),
              lambda: f'reading: {self.out!r} {self.err!r}', lambda: [c.pump() for c in children])

    def wait_exit(self):
        """Until it is reaped and all it wrote is read; its status, or minus its signal."""
        self.wait(lambda: self.proc.poll() is not None, 'the end')
        self.slave = os.close(self.slave) or -1  # then the terminal reports its end
        if self.outlived:  # all it wrote is there, though a process it started holds its pipes
            while self.fds and select.select(list(self.fds), [], [], 0.1)[0]:
                self.pump()
        self.wait(lambda: self.outlived or not self.fds, 'the end of the output')
        return self.proc.returncode

    def kill(self):
        with self.proc:  # then its pipes are closed and it is reaped
            self.proc.kill()
        for fd in (self.slave, self.master):
            fd < 0 or os.close(fd)

class X:
    """A private Xvfb (no key repeat: a busy machine could repeat keys), or DISPLAY."""

    def __init__(self, size=None, wm=False):
        self.procs, self.env = [], {'DISPLAY': os.environ.get('DISPLAY', '')}
        if size:
            self.procs.append(subprocess.Popen(
                ['Xvfb', '-displayfd', '1', '-screen', '0', '%dx%dx24' % size, '-nolisten',
                 'tcp', '-noreset', '-r', '-ardelay', '60000'],
                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL))
            self.env['DISPLAY'] = ':' + self.procs[0].stdout.readline().decode().strip()
        if wm:  # fullscreen is the window manager's work; evilwm: no borders, focuses all
            self.procs.append(subprocess.Popen(wm if isinstance(wm, list) else [
                'evilwm', '--bw', '0', '--fn', 'fixed'], env=dict(os.environ, **self.env)))
            until(lambda: 'window id' in self.run('xprop', '-root', '_NET_SUPPORTING_WM_CHECK'),
                  lambda: 'the window manager')

    def stop(self):
        for proc in reversed(self.procs):  # SIGTERM: the server removes its lock and socket
            with proc:
                proc.terminate()

    def run(self, *argv, text=True):
        return subprocess.run([str(a) for a in argv], env=dict(os.environ, **self.env),
                              capture_output=True, text=text).stdout

    def window(self, title, want):
        """Until the window is viewable, its client area at want (x, y, w, h); its id, x, y."""
        seen = []

        def look():
            text = self.run('xwininfo', '-name', title)
            seen[:] = [int(v, 0) for v in re.findall(
                r'(?:Window id|Absolute upper-left [XY]|Width|Height): +(\w+)', text)]
            return 'IsViewable' in text and tuple(seen[1:]) == want
        until(look, lambda: f'{title} at {want}, seen {seen}')
        return seen[:3]

    def screen(self):
        """The screen as (x, y) -> 0xRRGGBB; xwd's header is of big-endian 32-bit words."""
        while len(data := self.run('xwd', '-root', '-silent', text=False)) < 100:
            pass  # xwd now and then fails while Wine changes its windows: look again
        head = struct.unpack('>25I', data[:100])
        start, size, line = head[0] + head[19] * 12, head[11] // 8, head[12]
        order = 'little' if head[7] == 0 else 'big'
        return lambda x, y: int.from_bytes(
            data[(at := start + y * line + x * size):at + size], order) & 0xFFFFFF

    def close(self, window):
        """Asks the window to close as a window manager does (WM_DELETE_WINDOW)."""
        xlib = ctypes.CDLL('libX11.so.6')
        xlib.XOpenDisplay.restype, xlib.XInternAtom.restype = ctypes.c_void_p, ctypes.c_ulong
        display = ctypes.c_void_p(xlib.XOpenDisplay(self.env['DISPLAY'].encode()))
        atom = [xlib.XInternAtom(display, n, 0) for n in (b'WM_PROTOCOLS', b'WM_DELETE_WINDOW')]
        # An XClientMessageEvent: type, serial, send_event, display, window, type, format, data.
        event = (ctypes.c_long * 24)(33, 0, 0, 0, window, atom[0], 32, atom[1])
        sent = xlib.XSendEvent(display, ctypes.c_ulong(window), 0, 0, event)
        xlib.XCloseDisplay(display)  # flushes the request
        return sent

def decode(path):
    """A JPEG as libjpeg's own djpeg decodes it: width, height, RGB bytes."""
    _, size, _, rgb = subprocess.run(['djpeg', '-pnm', path], capture_output=True,
                                     check=True).stdout.split(b'\n', 3)  # P6, size, 255, pixels
    return (*map(int, size.split()), rgb)

def jpeg(path, width, height, rgb=None):
    """Writes a width x height JPEG of the RGB bytes given, or of grey."""
    ppm = b'P6 %d %d 255\n' % (width, height) + (rgb or b'\x80' * (width * height * 3))
    subprocess.run(['cjpeg', '-outfile', path], input=ppm, check=True)

def share_shown(shot, x, y, z, picture, tolerance):
    """The share of sampled pixels of picture (w, h, rgb) shown scaled by z from (x, y)."""
    width, height, rgb = picture
    samples = range(0, width * height, 331)
    return sum(max(abs((shot(int(x + (p % width + .5) * z), int(y + (p // width + .5) * z))
                        >> 16 - 8 * c & 255) - rgb[3 * p + c]) for c in range(3)) <= tolerance
               for p in samples) / len(samples)

def serve(folder):
    """Serves folder on a free port of 127.0.0.1 until shut down."""
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), functools.partial(type(
        'Quiet', (http.server.SimpleHTTPRequestHandler,), {'log_message': lambda *_: None}),
        directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server

def pixels(js, png, x, y, width, height):
    """A rectangle of a PNG (base64) as (x, y) -> 0xRRGGBB: the browser (js) decodes it. A place
    between pixels is taken at the pixel the browser drew it on."""
    rgba = base64.b64decode(js(
        f"""fetch('data:image/png;base64,{png}').then(r => r.blob()).then(createImageBitmap)
        .then(p => {{ const c = new OffscreenCanvas({width}, {height}).getContext('2d');
          c.drawImage(p, {-round(x)}, {-round(y)}); return c.getImageData(0, 0, {width}, {height}).data; }})
        .then(d => btoa(Array.from(d, b => String.fromCharCode(b)).join('')))"""))
    return lambda px, py: int.from_bytes(rgba[(at := (py * width + px) * 4):at + 3], 'big')

def check(reply, error, what):
    if error in reply:
        raise AssertionError(f'{what}: {reply[error]}')
    return reply

class Browser:
    """Headless Chromium on one page served from folder on a free local port, driven through the
    DevTools pipe (it reads fd 3, writes fd 4); the commands in `before` (method, params) apply
    to the page before it loads; flags are more command-line flags."""

    def __init__(self, folder, before=(), flags=()):
        self.buffer, self.id, self.session, self.server = b'', 0, None, serve(folder)
        self.profile = tempfile.TemporaryDirectory()
        (read_in, self.into), (self.out, write_out) = os.pipe(), os.pipe()
        self.proc = subprocess.Popen(
            ['chromium', '--headless=new', '--no-sandbox', '--disable-gpu', '--no-first-run',
             '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--disable-sync',
             '--disable-background-networking', '--disable-component-update', '--disable-quic',
             '--disable-dev-shm-usage', '--mute-audio', '--window-size=1600,1200',
             '--remote-debugging-pipe', '--user-data-dir=' + self.profile.name, *flags],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, close_fds=False,
            start_new_session=True, preexec_fn=lambda: (os.dup2(read_in, 3), os.dup2(write_out, 4)))
        os.close(read_in), os.close(write_out)
        target = self.send('Target.createTarget', url='about:blank')['targetId']
        self.session = self.send('Target.attachToTarget', targetId=target,
                                 flatten=True)['sessionId']
        for method, params in [('Page.enable', {}), *before]:
            self.send(method, **params)
        port = str(self.server.server_port)
        self.send('Page.navigate', url=f'http://127.0.0.1:{port}/')
        until(lambda: self.js('location.port + document.readyState') == port + 'complete',
              lambda: 'the page')

    def stop(self):
        os.killpg(self.proc.pid, signal.SIGKILL)  # the browser and every process it started
        self.proc.wait(), os.close(self.into), os.close(self.out), self.profile.cleanup()
        self.server.shutdown(), self.server.server_close()

    def send(self, method, **params):
        """A DevTools command on the page (on the browser before there is one); its result."""
        self.id += 1
        message = dict(id=self.id, method=method, params=params, **(
            {'sessionId': self.session} if self.session else {}))
        os.write(self.into, json.dumps(message).encode() + b'\0')
        while True:
            while b'\0' not in self.buffer:
                if not select.select([self.out], [], [], 60)[0]:
                    raise AssertionError('no answer to ' + method)
                self.buffer += (os.read(self.out, 1 << 20)
                                or b'{"id": %d, "error": "it ended"}\0' % self.id)
            text, self.buffer = self.buffer.split(b'\0', 1)
            if (reply := json.loads(text)).get('id') == self.id:
                return check(reply, 'error', method)['result']

    def js(self, expression, value=True):
        """A JavaScript expression's value in the page (promises awaited), or its object id."""
        reply = check(self.send('Runtime.evaluate', expression=expression, awaitPromise=True,
                                returnByValue=value), 'exceptionDetails', expression)
        return reply['result'].get('value') if value else reply['result']['objectId']

    def press(self, keys):
        """Types each key as a keyboard does: a letter or digit, \\r (Enter), \\t (Tab), \\033
        (Escape)."""
        for key in keys:
            name, code, number, text = {'\r': ('Enter', 'Enter', 13, '\r'), '\t': (
                'Tab', 'Tab', 9, ''), '\033': ('Escape', 'Escape', 27, '')}.get(key) or (
                key, ('Key' if key.isalpha() else 'Digit') + key.upper(), ord(key.upper()), key)
            for kind in ('keyDown', 'keyUp'):
                self.send('Input.dispatchKeyEvent', type=kind, key=name, code=code, text=text,
                          windowsVirtualKeyCode=number, nativeVirtualKeyCode=number)

    def click(self, x, y, button='left'):
        for kind in ('mouseMoved', 'mousePressed', 'mouseReleased'):
            self.send('Input.dispatchMouseEvent', type=kind, x=x, y=y, button=button, clickCount=1)

    def shot(self, x, y, width, height):
        """What the page shows in that rectangle, as (x, y) -> 0xRRGGBB."""
        return pixels(self.js, self.send(
            'Page.captureScreenshot', captureBeyondViewport=True,
            clip=dict(x=x, y=y, width=width, height=height, scale=1))['data'], 0, 0, width, height)
