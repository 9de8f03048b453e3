"""Firefox and WebKit in place of harness.Browser's Chromium, driven through the WebDriver
protocol: Firefox headless through its own Marionette port (length-prefixed JSON on a socket),
WebKitGTK's MiniBrowser through WebKitWebDriver (JSON over HTTP) on a private X server."""
import base64, functools, http.server, json, os, signal, socket, subprocess  # noqa: E401
import tempfile, threading, time, urllib.error, urllib.request  # noqa: E401

from harness import X, until

# The WebDriver commands used here: Marionette's name, and the HTTP method and path.
COMMANDS = {'NewSession': ('POST', ''), 'Navigate': ('POST', 'url'),
            'SetWindowRect': ('POST', 'window/rect'),
            'ExecuteAsyncScript': ('POST', 'execute/async'),
            'PerformActions': ('POST', 'actions'), 'TakeScreenshot': ('GET', 'screenshot'),
            'ElementSendKeys': ('POST', 'element/{id}/value'), 'DeleteSession': ('DELETE', '')}
# Evaluates arguments[0] in the page's global scope, promises awaited; {value} or {error}.
EVALUATE = '''const done = arguments[arguments.length - 1];
Promise.resolve().then(() => (0, eval)(arguments[0]))
  .then(value => done({value}),
        e => done({error: e instanceof Error ? `${e.name}: ${e.message}` : String(e)}));'''
KEYS = {'\r': '\ue007', '\033': '\ue00c'}  # Enter, Escape

class WebDriver:
    """One page served from folder on a free local port in a browser that a subclass starts
    (launch() returns the process group's leader), then talks to (call()); of Chromium's flags
    only those in FLAGS, as the subclass's own settings."""
    FLAGS = {}

    def __init__(self, folder, before=(), flags=()):
        if before or set(flags) - set(self.FLAGS):
            raise AssertionError(f'{before} {flags} need Chromium')
        self.flags = [self.FLAGS[flag] for flag in flags]
        self.server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), functools.partial(type(
            'Quiet', (http.server.SimpleHTTPRequestHandler,), {'log_message': lambda *_: None}),
            directory=folder))
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.profile, self.display = tempfile.TemporaryDirectory(), None
        try:
            self.proc = self.launch()
            self.command('SetWindowRect', x=0, y=0, width=1600, height=1200)
            port = str(self.server.server_port)
            self.command('Navigate', url=f'http://127.0.0.1:{port}/')
            until(lambda: self.js('location.port + document.readyState') == port + 'complete',
                  lambda: 'the page')
        except BaseException:
            self.stop()
            raise

    def stop(self):
        if getattr(self, 'proc', None):
            os.killpg(self.proc.pid, signal.SIGKILL)  # the browser and every process it started
            self.proc.wait()
            self.proc = None
        self.display and self.display.stop()
        self.profile.cleanup(), self.server.shutdown(), self.server.server_close()

    def command(self, name, **params):
        reply = self.call(name, params)
        if isinstance(reply, dict) and 'error' in reply:
            raise AssertionError(f'{name}: {reply["error"]}: {reply.get("message")}')
        return reply.get('value') if isinstance(reply, dict) else reply

    def js(self, expression, value=True):
        """A JavaScript expression's value in the page (promises awaited); with value=False an
        element it names, for send()."""
        reply = self.command('ExecuteAsyncScript', script=EVALUATE, args=[expression])
        if 'error' in reply:
            raise AssertionError(f'{expression}: {reply["error"]}')
        return reply.get('value')

    def send(self, method, **params):
        """The one DevTools command the web tests send that WebDriver has: choosing files."""
        if method != 'DOM.setFileInputFiles':
            raise AssertionError(method + ' needs Chromium')
        element = next(iter(params['objectId'].values()))
        self.command('ElementSendKeys', id=element, text='\n'.join(params['files']))

    def press(self, keys):
        """Types each key as a keyboard does: a letter or digit, \\r (Enter), \\033 (Escape)."""
        self.command('PerformActions', actions=[{'type': 'key', 'id': 'keys', 'actions': [
            {'type': kind, 'value': KEYS.get(key, key)} for key in keys
            for kind in ('keyDown', 'keyUp')]}])

    def click(self, x, y, button='left'):
        number = {'left': 0, 'right': 2}[button]
        self.command('PerformActions', actions=[{
            'type': 'pointer', 'id': 'mouse', 'parameters': {'pointerType': 'mouse'}, 'actions': [
                {'type': 'pointerMove', 'x': int(x), 'y': int(y), 'origin': 'viewport'},
                {'type': 'pointerDown', 'button': number},
                {'type': 'pointerUp', 'button': number}]}])

    def shot(self, x, y, width, height):
        """What the page shows in that rectangle, as (x, y) -> 0xRRGGBB; the browser decodes its
        own screenshot."""
        png = self.command('TakeScreenshot')
        rgba = base64.b64decode(self.js(
            f"""fetch('data:image/png;base64,{png}').then(r => r.blob())
            .then(b => createImageBitmap(b, {{colorSpaceConversion: 'none',
                                             premultiplyAlpha: 'none'}}))
            .then(p => {{ const c = document.createElement('canvas');
              [c.width, c.height] = [{width}, {height}];
              const d = c.getContext('2d'); d.drawImage(p, {-x}, {-y});
              return d.getImageData(0, 0, {width}, {height}).data; }})
            .then(d => btoa(Array.from(d, b => String.fromCharCode(b)).join('')))"""))
        return lambda px, py: int.from_bytes(rgba[(at := (py * width + px) * 4):at + 3], 'big')

class Firefox(WebDriver):
    """Headless Firefox, which has no WebGL: the page plays on its 2D canvas."""
    FLAGS = {'--disable-3d-apis': ('webgl.disabled', True)}
    PREFS = {'marionette.port': 0, 'browser.shell.checkDefaultBrowser': False,
             'app.update.disabledForTesting': True, 'browser.aboutwelcome.enabled': False,
             'datareporting.policy.dataSubmissionEnabled': False,
             'toolkit.telemetry.reportingpolicy.firstRun': False,
             'browser.startup.homepage_override.mstone': 'ignore',
             'network.captive-portal-service.enabled': False, 'media.autoplay.default': 0}

    def launch(self):
        with open(os.path.join(self.profile.name, 'user.js'), 'w') as prefs:
            prefs.writelines(f'user_pref({json.dumps(k)}, {json.dumps(v)});\n'
                             for k, v in [*self.PREFS.items(), *self.flags])
        proc = subprocess.Popen(
            ['firefox-esr', '--headless', '--marionette', '--no-remote', '--profile',
             self.profile.name, 'about:blank'], stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, start_new_session=True,
            env=dict(os.environ, MOZ_CRASHREPORTER_DISABLE='1'))
        port_file = os.path.join(self.profile.name, 'MarionetteActivePort')
        until(lambda: os.path.exists(port_file) and open(port_file).read().strip(),
              lambda: 'Firefox\'s Marionette port', step=lambda: time.sleep(0.1))
        self.socket = socket.create_connection(('127.0.0.1', int(open(port_file).read())))
        self.buffer, self.id = b'', 0
        self.receive()  # its greeting
        self.proc = proc
        self.command('NewSession', capabilities={})
        return proc

    def receive(self):
        while b':' not in self.buffer:
            self.buffer += self.socket.recv(1 << 20) or b'0:'
        size, self.buffer = self.buffer.split(b':', 1)
        while len(self.buffer) < int(size):
            self.buffer += self.socket.recv(1 << 20)
        text, self.buffer = self.buffer[:int(size)], self.buffer[int(size):]
        return json.loads(text or b'{"error": "it ended"}')

    def call(self, name, params):
        self.id += 1
        text = json.dumps([0, self.id, 'WebDriver:' + name, params]).encode()
        self.socket.sendall(b'%d:%s' % (len(text), text))
        while True:  # [1, id, error, result]
            if isinstance(reply := self.receive(), dict):
                return reply
            if reply[1] == self.id:
                return {'error': reply[2]['error'], 'message': reply[2]['message']} \
                    if reply[2] else reply[3]

    def stop(self):
        getattr(self, 'socket', None) and self.socket.close()
        super().stop()

class WebKit(WebDriver):
    """WebKitGTK's MiniBrowser, the engine of Safari, on a private X server."""
    BROWSER = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser'

    def launch(self):
        self.display = X((1700, 1400))
        with socket.socket() as free:  # a free port for the driver
            free.bind(('127.0.0.1', 0))
            port = free.getsockname()[1]
        self.url = f'http://127.0.0.1:{port}/session'
        proc = subprocess.Popen(['WebKitWebDriver', f'--port={port}'],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                start_new_session=True, env=dict(os.environ, **self.display.env))
        self.proc = proc
        until(lambda: self.call('Status', None, '/status') != {}, lambda: 'WebKitWebDriver')
        self.url += '/' + self.command('NewSession', capabilities={'alwaysMatch': {
            'webkitgtk:browserOptions': {'binary': self.BROWSER, 'args': ['--automation']}}}
        )['sessionId']
        return proc

    def call(self, name, params, path=None):
        method, tail = COMMANDS.get(name, ('GET', ''))
        url = self.url.rsplit('/session', 1)[0] + path if path else '/'.join(
            [self.url, tail.format(**params)]).rstrip('/')
        request = urllib.request.Request(url, method=method, headers={
            'Content-Type': 'application/json'}, data=None if method != 'POST' else json.dumps(
                params).encode())
        try:
            with urllib.request.urlopen(request, timeout=120) as reply:
                return json.loads(reply.read())
        except urllib.error.HTTPError as failed:
            return json.loads(failed.read())['value']
        except OSError:
            return {}  # not listening yet

ENGINES = {'firefox': Firefox, 'webkit': WebKit}
