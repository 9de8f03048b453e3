"""Firefox and WebKit in place of harness.Browser's Chromium, through the WebDriver protocol:
headless Firefox through its own Marionette port (length-prefixed JSON on a socket), WebKitGTK's
MiniBrowser through WebKitWebDriver (JSON over HTTP) on a private X server."""
import json, os, signal, socket, subprocess, tempfile, urllib.error, urllib.request  # noqa: E401

from harness import X, pixels, serve, until

# The commands used: Marionette's name (WebDriver:...), and the HTTP method and path.
COMMANDS = {'NewSession': ('POST', ''), 'Navigate': ('POST', 'url'),
            'ExecuteAsyncScript': ('POST', 'execute/async'), 'PerformActions': ('POST', 'actions'),
            'TakeScreenshot': ('GET', 'screenshot'), 'SetWindowRect': ('POST', 'window/rect'),
            'ElementSendKeys': ('POST', 'element/{id}/value')}
# arguments[0] evaluated in the page's global scope, promises awaited: {value} or {error}.
EVALUATE = '''const done = arguments[arguments.length - 1];
Promise.resolve().then(() => (0, eval)(arguments[0])).then(value => done({value}),
  e => done({error: e instanceof Error ? `${e.name}: ${e.message}` : String(e)}));'''

class WebDriver:
    """One page served from folder in the browser a subclass starts (launch()) and talks to
    (call()); of Chromium's flags only those in FLAGS, as the browser's own settings."""
    FLAGS = {}

    def __init__(self, folder, before=(), flags=()):
        sizes = [params for name, params in before if name == 'Emulation.setDeviceMetricsOverride']
        if len(sizes) < len(before) or set(flags) - set(self.FLAGS):
            raise AssertionError(f'{before} {flags} need Chromium')
        size = sizes[0] if sizes else dict(width=1600, height=1200)
        self.server, self.profile, self.proc, self.display = serve(folder), \
            tempfile.TemporaryDirectory(), None, None
        try:
            self.launch([self.FLAGS[flag] for flag in flags])
            self.command('SetWindowRect', x=0, y=0, width=size['width'], height=size['height'])
            port = str(self.server.server_port)
            self.command('Navigate', url=f'http://127.0.0.1:{port}/')
            until(lambda: self.js('location.port + document.readyState') == port + 'complete',
                  lambda: 'the page')
        except BaseException:
            self.stop()
            raise

    def start(self, argv, **env):  # the browser or its driver, and every process it starts
        self.proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     start_new_session=True, env=dict(os.environ, **env))

    def stop(self):
        if self.proc:
            os.killpg(self.proc.pid, signal.SIGKILL), self.proc.wait()
        self.display and self.display.stop()
        self.profile.cleanup(), self.server.shutdown(), self.server.server_close()

    def command(self, name, **params):
        if 'error' in (reply := self.call(name, params)):
            raise AssertionError(f'{name}: {reply["error"]}: {reply.get("message")}')
        return reply.get('value')

    def js(self, expression, value=True):
        """A JavaScript expression's value in the page (promises awaited), or the element it
        names (value=False, for send())."""
        if 'error' in (reply := self.command('ExecuteAsyncScript', script=EVALUATE,
                                             args=[expression])):
            raise AssertionError(f'{expression}: {reply["error"]}')
        return reply.get('value')

    def send(self, method, objectId, files):
        """The one DevTools command of the web tests that WebDriver has: choosing files."""
        assert method == 'DOM.setFileInputFiles', method + ' needs Chromium'
        self.command('ElementSendKeys', id=next(iter(objectId.values())), text='\n'.join(files))

    def press(self, keys):
        """Types each key as a keyboard does: a letter or digit, \\r (Enter), \\033 (Escape)."""
        self.command('PerformActions', actions=[{'type': 'key', 'id': 'keys', 'actions': [
            {'type': kind, 'value': {'\r': '\ue007', '\033': '\ue00c'}.get(key, key)}
            for key in keys for kind in ('keyDown', 'keyUp')]}])

    def shot(self, x, y, width, height):
        """What the page shows in that rectangle, as (x, y) -> 0xRRGGBB."""
        return pixels(self.js, self.command('TakeScreenshot'), x, y, width, height)

class Firefox(WebDriver):
    """Headless Firefox, which has no WebGL: the page plays on its 2D canvas."""
    FLAGS = {'--disable-3d-apis': ('webgl.disabled', True)}

    def launch(self, prefs):
        with open(os.path.join(self.profile.name, 'user.js'), 'w') as out:
            out.writelines(f'user_pref({json.dumps(k)}, {json.dumps(v)});\n' for k, v in [
                ('marionette.port', 0), ('browser.shell.checkDefaultBrowser', False),
                ('app.update.disabledForTesting', True), *prefs])
        self.start(['firefox-esr', '--headless', '--marionette', '--no-remote', '--profile',
                    self.profile.name], MOZ_CRASHREPORTER_DISABLE='1')
        port = os.path.join(self.profile.name, 'MarionetteActivePort')  # written once it listens
        until(lambda: os.path.exists(port) and open(port).read().strip(), lambda: 'Marionette')
        self.socket, self.id = socket.create_connection(('127.0.0.1', int(open(port).read()))), 0
        self.stream = self.socket.makefile('rb')
        self.receive()  # its greeting
        self.command('NewSession', capabilities={})

    def receive(self):  # length:JSON
        size = b''.join(iter(lambda: self.stream.read(1) or b':', b':'))
        return json.loads(self.stream.read(int(size or 0)) or b'{"error": "it ended"}')

    def call(self, name, params):
        self.id += 1
        text = json.dumps([0, self.id, 'WebDriver:' + name, params]).encode()
        self.socket.sendall(b'%d:%s' % (len(text), text))
        while not isinstance(reply := self.receive(), dict) and reply[1] != self.id:
            pass  # [1, id, error, result]
        return reply if isinstance(reply, dict) else reply[2] or reply[3]

class WebKit(WebDriver):
    """WebKitGTK's MiniBrowser, the engine of Safari, on a private X server."""

    def launch(self, _):
        self.display = X((1700, 1400))
        with socket.socket() as free:  # a free port for the driver
            port = free.bind(('127.0.0.1', 0)) or free.getsockname()[1]
        self.url = f'http://127.0.0.1:{port}/session'
        self.start(['WebKitWebDriver', f'--port={port}'], **self.display.env)
        until(lambda: self.call('', {}, '/status'), lambda: 'WebKitWebDriver')
        self.url += '/' + self.command('NewSession', capabilities={'alwaysMatch': {
            'webkitgtk:browserOptions': {'args': ['--automation'], 'binary':
                                         '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser'}}}
        )['sessionId']

    def call(self, name, params, path=None):
        method, tail = COMMANDS.get(name, ('GET', ''))
        request = urllib.request.Request(
            self.url.rsplit('/session', 1)[0] + path if path else
            f'{self.url}/{tail.format(**params)}'.rstrip('/'), method=method,
            headers={'Content-Type': 'application/json'},
            data=json.dumps(params).encode() if method == 'POST' else None)
        try:
            with urllib.request.urlopen(request, timeout=120) as reply:
                return json.loads(reply.read())
        except urllib.error.HTTPError as failed:
            return json.loads(failed.read())['value']
        except OSError:
            return {}  # not listening yet

ENGINES = {'firefox': Firefox, 'webkit': WebKit}
