"""The web edition in a headless Chromium. Usage: test_web.py Web[.TEST], with QV_WEB (the built
web folder) and QV_BUILD (the native build's folder, with the same pictures) set."""
import base64, os, re, shutil, subprocess, tempfile, unittest  # noqa: E401

from harness import Browser, decode, jpeg, share_shown, until
from test_game import BANNER, HELP, QUESTION, RESTART, end, two_games
from webdriver import ENGINES

WEB, BUILD = os.environ.get('QV_WEB', ''), os.environ.get('QV_BUILD', '')
Browser = ENGINES.get(os.environ.get('QV_ENGINE', ''), Browser)  # Chromium unless named
FRAMES = ('new Promise(done => {{ let n = {}; const next = () => --n ? requestAnimationFrame(next)'
          ' : done(); requestAnimationFrame(next); }})')
# The page's clocks run `skew` ms ahead; hide(on, ms) hides or shows the page as a browser does
# with a tab behind another, and moves the clocks on meanwhile.
CLOCKS = '''let skew = 0;
for (const o of [performance, Date]) { const real = o.now.bind(o); o.now = () => real() + skew; }
window.hide = async (on, ms) => {
  for (const [name, value] of [['hidden', on], ['visibilityState', on ? 'hidden' : 'visible']])
    Object.defineProperty(document, name, {configurable: true, get: () => value});
  document.dispatchEvent(new Event('visibilitychange'));
  await %s; skew += ms; await %s; };''' % (FRAMES.format(5), FRAMES.format(5))

def script(source):
    return 'Page.addScriptToEvaluateOnNewDocument', {'source': source}

# A laptop's viewport; every text written to the status line, and uncaught errors (said); the
# game's module held back until go().
LAPTOP = 'Emulation.setDeviceMetricsOverride', dict(width=1366, height=768, deviceScaleFactor=1,
                                                   mobile=False)
PHONE = lambda width, height: ('Emulation.setDeviceMetricsOverride', dict(  # noqa: E731
    width=width, height=height, deviceScaleFactor=1, mobile=True))
TOUCH = 'Emulation.setTouchEmulationEnabled', {'enabled': True, 'maxTouchPoints': 1}
SAID = script('window.said = []; new MutationObserver(all => all.forEach(c => c.target.id === '
              '"status" && said.push(c.target.textContent))).observe(document, {subtree: true, '
              'childList: true, characterData: true}); for (const e of ["error", '
              '"unhandledrejection"]) addEventListener(e, () => said.push("uncaught"))')
STALL = script('Object.defineProperty(window, "createQuorvadellix", {set(make) { this.make = make '
               '}, get() { return o => new Promise(go => window.go = go).then(() => this.make(o))'
               ' }})')

class Web(unittest.TestCase):
    def page(self, *before, prompt=True, flags=()):
        """The page loaded, and the game at its name prompt."""
        self.browser = Browser(WEB, before, flags)
        self.addCleanup(self.browser.stop)
        prompt and self.expect(BANNER)
        return self.browser

    def transcript(self):
        return bytes(self.browser.js('quorvadellix.transcript')).decode('latin-1')

    def expect(self, text):
        until(lambda: text in self.transcript(), lambda: f'{text!r} in {self.transcript()!r}')

    def status(self):
        return self.browser.js('document.getElementById("status").textContent')

    def ended(self, status, transcript, scored=False):  # scored: any score, written as 0
        until(lambda: self.browser.js('quorvadellix.exitStatus') == status, self.transcript)
        said = f'Game ended with exit status {status}. Press Play again for a new game.'
        seen = re.sub(r'(was: |is:  )\d+', r'\g<1>0', self.transcript()) if scored else None
        self.assertEqual((self.browser.js('quorvadellix.exitStatus'), seen or self.transcript(),
                          self.status()), (status, transcript, said))

    def playing(self, ship=True):  # until the next game is in play (the ship resting in the middle)
        until(lambda: self.browser.js('quorvadellix.stage') == 'play', self.transcript)
        self.shows('space_image.jpg', ship=True) if ship else self.browser.js(FRAMES.format(10))

    def fits(self, size):  # the game at that size, shown whole within the laptop's viewport
        until(lambda: self.browser.js('document.getElementById("canvas").width') == size,
              lambda: f'the game at {size}')
        x, y, w, h = self.canvas()
        self.assertTrue(x + w <= 1366 and y + h <= 768 and abs(w * 3 - h * 4) < 4 and
                        (w == size if size == 640 else 640 < w <= size), (size, x, y, w, h))

    def canvas(self, shot=False):  # its place and size, or what it shows as (x, y) -> colour
        place = self.browser.js('(({x, y, width, height}) => [x, y, width, height])('
                                'document.getElementById("canvas").getBoundingClientRect())')
        return self.browser.shot(*place) if shot else place

    def shows(self, name, ship=False):
        """Until the canvas shows the picture, and the ship resting in the middle if asked."""
        picture = decode(f'{BUILD}/{name}')
        until(lambda: share_shown(shot := self.canvas(True), 0, 0, 1, picture, 2) > .95
              and (not ship or self.ship_in_middle(shot)), lambda: name)

    def still(self):  # the picture stands still for half a second
        w, h = map(int, self.canvas()[2:])
        first, _, second = self.canvas(True), self.browser.js(FRAMES.format(30)), self.canvas(True)
        return all(first(x, y) == second(x, y) for x in range(0, w, 4) for y in range(0, h, 4))

    def ship_in_middle(self, shot):  # its tip and its two rear corners
        w, h = self.canvas()[2:]
        return all(shot(x, y) == 0xFFFFFF for x, y in [
            (w // 2, h // 2 - 1), (w // 2 - 5, h // 2 + 4), (w // 2 + 5, h // 2 + 4)])

    def test_two_games_then_own_pictures(self):
        page = self.page(LAPTOP)
        page.press('Ann\rkykn')
        self.ended(0, BANNER + two_games('Ann'))
        self.assertEqual((bytes(page.js('quorvadellix.keys')), page.js('quorvadellix.bells')),
                         (b'Ann\rkykn', 8))  # Enter as 13; four bells a game
        screen = [line.rstrip() for line in (HELP[11:] + end('Ann')[4:]).split('\n')]
        rows = lambda: page.js('[...document.querySelectorAll("#terminal .xterm-accessibility-'
                               'tree > div")].map(row => row.textContent.trimEnd())')  # noqa: E731
        until(lambda: rows()[:len(screen)] == screen, lambda: str(rows()))  # as read aloud
        # The player's own pictures, one chosen and one dropped on the page, start a new run; the
        # largest fit the laptop's viewport. A refused picture ends the run, as Play again does.
        folder = self.enterContext(tempfile.TemporaryDirectory())

        def restart(width, height):
            jpeg(folder + '/field.jpg', 1024, 768), jpeg(folder + '/my-welcome.jpg', width, height)
            page.send('DOM.setFileInputFiles', files=[folder + '/field.jpg'],
                      objectId=page.js('document.getElementById("field-picture")', value=False))
            with open(folder + '/my-welcome.jpg', 'rb') as picture:
                page.js(f'''{{ const files = new DataTransfer(); files.items.add(new File(
                    [Uint8Array.from(atob('{base64.b64encode(picture.read()).decode()}'),
                                     c => c.charCodeAt(0))], 'my-welcome.jpg'));
                  document.body.dispatchEvent(new DragEvent('drop', {{dataTransfer: files,
                                                                      bubbles: true}})) }}''')
            page.js('document.getElementById("play-pictures").click()')
        restart(1024, 768), self.expect(BANNER), self.fits(1024)
        refused = ('quorvadellix: space_image_welcome.jpg: the picture is 32 x 48 pixels but '
                   'space_image.jpg is 1024 x 768; both pictures must have the same size\n')
        restart(32, 48), self.ended(1, refused)
        page.js('document.getElementById("play-again").click()'), self.ended(1, refused)
        self.assertEqual(page.js('quorvadellix.runs'), 4)

    def test_play_pause_and_hidden_page(self):
        page = self.page(script(CLOCKS))
        self.shows('space_image_welcome.jpg')
        page.press('Ann\r')
        self.shows('space_image.jpg', ship=True)  # in play
        page.js('hide(true, 100000).then(() => hide(false, 0))')  # 100 s hidden
        page.press('w')
        page.js(FRAMES.format(10))  # about a sixth of a second: away, but not yet hit
        page.press('p')
        until(self.still, lambda: 'the paused game to stand still')
        self.assertFalse(self.ship_in_middle(self.canvas(True)))
        self.assertTrue(self.status().startswith('Paused'), self.status())
        page.press('p'), until(lambda: self.status().startswith('Playing'), self.status)
        page.js('hide(false, 100000)')  # 100 s visible
        page.press('k')  # unless hit meanwhile
        self.expect('Your High Score')
        score = int(re.search(r'Your Score this Game was: (\d+)', self.transcript())[1])
        self.assertTrue(10000 <= score < 13000, score)  # the visible 100 s count, the hidden not

    def tap(self, key, held=None):  # a touch on the key (a selector), held until held() is true
        x, y, w, h = self.browser.js(f'(({{x, y, width, height}}) => [x, y, width, height])('
                                     f'document.querySelector("{key}").getBoundingClientRect())')
        self.browser.send('Input.dispatchTouchEvent', type='touchStart',
                          touchPoints=[dict(x=x + w / 2, y=y + h / 2)])
        held and until(held, lambda: f'{key} held')
        self.browser.send('Input.dispatchTouchEvent', type='touchEnd', touchPoints=[])

    def fits_phone(self, width, height, text):
        """The page at that viewport: no horizontal overflow, 50 columns at least and every line
        of text in the terminal's rows (one wider than the screen goes on in the next), the
        picture and the keys under it in the viewport."""
        self.browser.send(PHONE(width, height)[0], **PHONE(width, height)[1])
        view = lambda: self.browser.js('[innerWidth, innerHeight]')  # noqa: E731
        until(lambda: view() == [width, height], lambda: f'{view()}: a page too wide zooms out')
        self.browser.js(FRAMES.format(2))  # the page's resizing done
        if not text:
            return
        rows = lambda: [re.sub(r'(was: |is:  )\d+', r'\g<1>0', row) for row in  # noqa: E731
                        self.browser.js('[...document.querySelectorAll("#terminal .xterm-accessi'
                                        'bility-tree > div")].map(r => r.textContent.trimEnd())')
                        ] + ['']  # any score, written as 0
        cut = lambda: [line for line in text.replace('\a', '').split('\n')  # noqa: E731
                       if line.rstrip() not in rows()]
        until(lambda: cut() == ['**April 7, 2004\t\t\t\t\t\t\t   *****'] * ('April' in text),
              lambda: str(cut()))
        self.assertEqual(self.browser.js(
            '(r => [document.documentElement.scrollWidth <= innerWidth, quorvadellix.columns >= 50,'
            ' r(".xterm-screen").right <= r(".console").right, r("#canvas").top >= 0,'
            ' r("#canvas").left >= 0, r("#canvas").right <= innerWidth,'
            ' r(".controls").bottom <= innerHeight])(s => document.querySelector(s)'
            '.getBoundingClientRect())'), [True] * 7, (width, height))

    def test_phone_by_taps(self):
        """A whole game by taps on a phone: the name in the text field, forward, a turn, a pause
        held still through a rotation, a phone keyboard opening and closing and a time in the
        background, the quit and No. The transcript and the keys are the typed game's."""
        page = self.page(PHONE(390, 844), TOUCH, script(CLOCKS))
        self.fits_phone(390, 844, BANNER)
        self.tap('#type-line'), page.send('Input.insertText', text='Ann'), page.press('\r')
        self.playing(False), self.fits_phone(390, 844, HELP[11:])
        self.tap('[data-key=w]'), self.tap('[data-key=a]'), self.tap('[data-key=p]')
        until(self.still, lambda: 'the paused game to stand still')
        self.tap('[data-key=w]', lambda: bytes(page.js('quorvadellix.keys')).endswith(b'www'))
        keys = page.js('quorvadellix.keys')  # no more once let go
        self.fits_phone(844, 390, HELP[11:]), self.fits_phone(390, 400, '')  # keyboard open
        self.fits_phone(360, 740, HELP[11:]), self.fits_phone(390, 844, HELP[11:])
        self.assertEqual((self.still(), page.js('quorvadellix.keys')), (True, keys))
        page.js('hide(true, 5000).then(() => hide(false, 0))')  # in the background and back
        self.tap('[data-key=p]'), self.tap('[data-key=k]')
        self.expect(QUESTION), self.fits_phone(390, 844, end('Ann')), self.tap('[data-key=n]')
        self.ended(0, BANNER + 'Ann\n' + HELP + end('Ann'), scored=True)
        self.assertRegex(bytes(page.js('quorvadellix.keys')), b'^Ann\rwapw{3,}pkn$')

    def test_canvas_keys(self):
        page = self.page(LAPTOP)
        page.press('Ann\rp')
        self.shows('space_image.jpg', ship=True)  # paused in its first pass
        x, y, _, _ = self.canvas()
        page.click(x + 100, y + 100, 'right')
        self.assertEqual(page.js('document.activeElement.id'), 'canvas')
        self.assertFalse(page.js('document.getElementById("canvas").dispatchEvent('
                                 'new MouseEvent("contextmenu", {cancelable: true}))'))
        until(lambda: self.canvas(True)(102, 102) == 0xF0F0F0, lambda: 'the zoom menu')
        page.click(x + 100 + 70, y + 100 + 4 + 24 + 12)  # "Zoom 2 x 2"
        for key, size in (('', 1280), ('1', 640), ('2', 1280), ('4', 2560), ('1', 640)):
            page.press(key), self.fits(size)
        page.press('\t')  # leaves the picture in play too
        self.assertEqual(page.js('document.activeElement.tagName'), 'SUMMARY')
        page.click(x + 10, y + 10)
        page.press('k')  # a key given twice would answer the question
        self.expect(QUESTION)
        page.click(x - 100, y + 10)  # the terminal: the window waits while the game asks
        page.press('y')
        self.expect(RESTART + HELP)
        page.click(x + 10, y + 10)
        page.press('\033'), self.playing(False)  # before play: does nothing, is not kept for it
        self.assertIsNone(page.js('quorvadellix.exitStatus'))
        page.press('\033')
        self.ended(0, BANNER + 'Ann\n' + HELP + end('Ann') + RESTART + HELP)

    def test_one_keyboard_and_what_the_status_says(self):
        """Outside play keys typed in the picture are the terminal's (Escape does nothing), also
        while the game loads; none acts in play. The status at each stage, written once each.
        Play again without a reload, the picture in its place showing the welcome."""
        page = self.page(SAID, STALL, prompt=False)
        x, y, _, _ = place = self.canvas()
        page.click(x + 10, y + 10), page.press('\033An'), page.js('go()')
        self.expect(BANNER + 'An')
        page.press('n2w\033\r'), self.playing()  # w flew nothing, 2 zoomed nothing
        self.assertEqual(self.canvas(), place)
        for key, shown in (('k', QUESTION), ('y', RESTART + HELP), ('', ''),
                           ('k', RESTART + HELP + '\a')):  # the window's k, the question's y
            _ = page.press(key), self.expect(shown) if key else self.playing(False)
        page.press('k')  # answers no
        self.ended(0, BANNER + two_games('Ann2w'), scored=True)
        stages = ('Loading the page|Loading the game|your name|three seconds|Playing|Game over|'
                  'three seconds|Playing|Game over|exit status 0').split('|')
        said = page.js('said')
        self.assertTrue(len(said) == len(stages) and all(map(str.__contains__, said, stages)), said)
        self.assertEqual((self.canvas(), page.js('document.activeElement.id')),
                         (place, 'play-again'))
        self.shows('space_image_welcome.jpg')
        page.js('window.kept = 1'), page.press('\r'), page.js('go()'), self.expect(BANNER)
        self.assertEqual(page.js('[kept, quorvadellix.runs, quorvadellix.stage]'), [1, 2, 'prompt'])

    def test_tab_focus_and_bell(self):
        """Tab and Shift+Tab leave the terminal and the picture in the page's order, typing nothing
        into the game; Back or Forward gives the terminal the keyboard; the bell flashes once."""
        page = self.page()
        active = lambda: page.js('(e => e.id || e.className)(document.activeElement)')  # noqa: E731
        shift_tab = lambda: [page.send('Input.dispatchKeyEvent', type=kind, key='Tab', code='Tab',
                                       modifiers=8, windowsVirtualKeyCode=9)
                             for kind in ('keyDown', 'keyUp')] and active()  # noqa: E731
        order = [page.press('\t') or active() for _ in range(4)] + [shift_tab() for _ in range(4)]
        self.assertEqual((order, page.js('quorvadellix.keys')), (
            ['canvas', '', 'field-picture', 'welcome-picture', 'field-picture', '', 'canvas',
             'xterm-helper-textarea'], []))
        page.js('document.getElementById("canvas").focus()')
        self.assertEqual(page.js('getComputedStyle(document.activeElement).outlineStyle'), 'solid')
        page.js('dispatchEvent(new PageTransitionEvent("pageshow", {persisted: true}))')
        self.assertEqual(active(), 'xterm-helper-textarea')
        flash = lambda: page.js(  # noqa: E731
            'document.body.classList.add("bell"); (s => [s.animationName, s.animationDuration, '
            's.animationIterationCount])(getComputedStyle(document.querySelector(".console")))')
        self.assertEqual(flash(), ['bell', '0.4s', '1'])
        page.send('Emulation.setEmulatedMedia', features=[{'name': 'prefers-reduced-motion',
                                                           'value': 'reduce'}])
        self.assertEqual(flash(), ['bell-soft', '0.4s', '1'])

    def test_without_webgl(self):  # Chromium's switched off; Firefox headless has none
        page = self.page(flags=['--disable-3d-apis'])
        self.assertFalse(page.js('!!document.createElement("canvas").getContext("webgl")'))
        self.shows('space_image_welcome.jpg')
        page.press('Ann\rp')
        self.shows('space_image.jpg', ship=True)  # paused in its first pass
        self.assertTrue(page.js('!!document.getElementById("canvas").getContext("2d")'))
        page.press('kn')
        self.ended(0, BANNER + 'Ann\n' + HELP + end('Ann'))

    def test_offline_and_new_build(self):  # the service worker's cache
        folder = self.enterContext(tempfile.TemporaryDirectory()) + '/web'
        shutil.copytree(WEB, folder)
        page = self.browser = Browser(folder)
        self.addCleanup(page.stop)

        def loaded():  # the page after the reload; one navigating away answers no question
            try:
                return page.js('!window.before && document.readyState === "complete"')
            except AssertionError as error:
                self.assertIn('navigated', str(error))

        def reload():
            page.js('window.before = true'), page.send('Page.reload'), until(loaded, str)
        until(lambda: page.js('!!navigator.serviceWorker.controller'), lambda: 'the worker')
        first, css = page.js('caches.keys()'), 'fetch("quorvadellix.css").then(r => r.text())'
        with open(folder + '/quorvadellix.css', 'a') as out:  # a new build
            out.write('/* built again */\n')
        subprocess.run([os.path.dirname(__file__) + '/../../scripts/lib/stamp-web-cache.sh',
                        folder], check=True)
        reload()
        until(lambda: page.js(f'caches.keys().then(k => k.length === 1 && {css})') and
              page.js(css).endswith('/* built again */\n') and page.js('caches.keys()') != first,
              lambda: 'the new build in the cache')
        page.send('Network.enable')
        page.send('Network.emulateNetworkConditions', offline=True, latency=0,
                  downloadThroughput=-1, uploadThroughput=-1)
        page.server.shutdown(), page.server.server_close()  # nothing answers either
        reload()
        self.expect(BANNER)
        page.press('Ann\rkn')
        self.ended(0, BANNER + 'Ann\n' + HELP + end('Ann'))
        self.assertTrue(page.js('!!document.getElementById("canvas").getContext("2d")'))  # cheaper

    def test_lacking_browser(self):
        page = self.page(TOUCH)  # a tablet's keyboard types as any: the status says so
        self.assertEqual(self.status(), 'Type your name in the field under the picture and press '
                         'Enter.')
        page.press('Ann\r'), self.expect(HELP), until(lambda: 'keys typed' in self.status(), str)
        self.page(script('delete window.WebAssembly'), prompt=False)
        until(lambda: self.status() == 'This game needs WebAssembly, which this browser does not '
              'offer.', self.status)
        page = self.browser
        page.send('Page.navigate', url=f'file://{os.path.abspath(WEB)}/index.html')
        until(lambda: page.js('document.getElementById("status")?.textContent || ""').startswith(
            'This page must be served by a web server: run scripts/play-web.sh, or python3 -m '
            'http.server'), self.status)

if __name__ == '__main__':
    unittest.main()
