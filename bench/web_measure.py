"""Measures the web edition in headless Chromium on this machine and prints the numbers, for the
game presenting through WebGL and through a 2D canvas side by side (SDL's render driver chosen
through the module's environment): the time from page load to the name prompt on the screen, the
main thread's busy share while the game waits for the name and during play, and the frames the
game presents per second during play beside the browser's own frame rate. Then the bytes a first
visit transfers (and what they would be with gzip) and those of a second visit. Then, on a phone's
viewport with touch and the CPU slowed down 4 times, the time from navigation to the name prompt
and from a tap on the Left key to the frame that draws the ship turned. Not a test: nothing here
passes or fails.
Usage: web_measure.py [--phone] [WEB_FOLDER]   (dist/quorvadellix-web unless given; --phone: only
the phone's figures)"""
import gzip, http.server, os, statistics, sys, time  # noqa: E401

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
sys.path.insert(0, os.path.join(ROOT, 'tests', 'system'))
from harness import Browser, until  # noqa: E402

# The moment the prompt is on the screen, and the animation frames the page asks for.
WATCH = '''new MutationObserver((_, watch) => {
  if (document.getElementById('terminal')?.textContent.includes('Please enter your name:')) {
    window.promptAt = performance.now(); watch.disconnect(); }
}).observe(document, {subtree: true, childList: true, characterData: true});
window.framesAsked = 0;
const askFrame = window.requestAnimationFrame.bind(window);
window.requestAnimationFrame = (f) => { window.framesAsked++; return askFrame(f); };
window.browserFrames = 0;
window.countFrames = () => { window.browserFrames++; askFrame(window.countFrames); };'''
# The module made with SDL's render driver named in its environment.
DRIVER = '''Object.defineProperty(window, 'createQuorvadellix', {configurable: true, set(make) {
  Object.defineProperty(window, 'createQuorvadellix', {configurable: true, writable: true,
    value: (options) => make({...options, preRun: [
      (m) => { m.ENV.SDL_RENDER_DRIVER = '%s'; }, ...options.preRun]})}); }});'''
MODES = {'WebGL': 'opengles2', '2D canvas': 'software'}
# A phone's viewport and touch screen, its CPU 4 times slower than this machine's.
PHONE = [('Emulation.setDeviceMetricsOverride', dict(width=390, height=844, deviceScaleFactor=3,
                                                    mobile=True)),
         ('Emulation.setTouchEmulationEnabled', dict(enabled=True, maxTouchPoints=5)),
         ('Emulation.setCPUThrottlingRate', dict(rate=4))]
# A touch's time (the event's), and the time of the first drawing of the game's canvas after it
# that changes the ship (a square around the middle, where it rests), with the animation frames
# between; the 2D canvas (the page's choice) is drawn with putImageData.
TURN = '''window.turns = [];
addEventListener('pointerdown', (e) => { if (!e.target.closest('[data-key]')) return;
  window.tapAt = e.timeStamp; window.tapFrames = 0;
  const c = document.getElementById('canvas'), s = 32;
  window.shipWas = c.getContext('2d').getImageData(c.width / 2 - s / 2, c.height / 2 - s / 2, s, s);
}, true);
const put = CanvasRenderingContext2D.prototype.putImageData;
CanvasRenderingContext2D.prototype.putImageData = function (...args) {
  put.apply(this, args);
  const was = window.shipWas, c = this.canvas, s = 32;
  if (!was) return;
  const now = this.getImageData(c.width / 2 - s / 2, c.height / 2 - s / 2, s, s).data;
  if (now.some((v, i) => v !== was.data[i])) {
    window.turns.push([performance.now() - window.tapAt, window.tapFrames]);
    window.shipWas = null;
  }
};
const frame = () => { window.tapFrames++; requestAnimationFrame(frame); };
requestAnimationFrame(frame);'''


def play(folder, driver):
    """One load and a few seconds of play: prompt time, busy shares waiting and playing, the
    game's and the browser's frames per second, and the context the game's canvas got."""
    page = Browser(folder, [('Page.addScriptToEvaluateOnNewDocument', {'source': s}) for s in (
        WATCH, DRIVER % driver)])
    try:
        until(lambda: page.js('window.promptAt') is not None, lambda: 'the prompt')
        page.send('Performance.enable')
        tasks = lambda: next(m['value'] for m in page.send('Performance.getMetrics')['metrics']
                             if m['name'] == 'TaskDuration')  # noqa: E731

        def busy(seconds):
            before, start = tasks(), time.monotonic()
            time.sleep(seconds)
            return (tasks() - before) / (time.monotonic() - start)
        waiting = busy(4)
        page.press('Ann\r')
        page.js('countFrames()')
        time.sleep(4)  # the help and the start delay
        frames, start = page.js('[window.framesAsked, window.browserFrames]'), time.monotonic()
        playing = busy(5)
        after, seconds = page.js('[window.framesAsked, window.browserFrames]'), \
            time.monotonic() - start
        context = page.js('document.getElementById("canvas").getContext("2d") ? "2d" : "webgl"')
        ended = 'Would you like' in bytes(page.js('quorvadellix.transcript')).decode('latin-1')
        return dict(prompt=page.js('window.promptAt') / 1000, waiting=waiting, playing=playing,
                    rates=[(a - b) / seconds for a, b in zip(after, frames)], context=context,
                    ended=ended)
    finally:
        page.stop()


def phone(folder, taps=5):
    """Navigation to the name prompt, and taps on Left in play to the ship drawn turned, on a
    slowed-down phone: seconds, and [milliseconds, animation frames] per tap."""
    page = Browser(folder, PHONE + [('Page.addScriptToEvaluateOnNewDocument', {'source': s})
                                    for s in (WATCH, TURN)])

    def tap(key):
        x, y, w, h = page.js(f'(({{x, y, width, height}}) => [x, y, width, height])('
                             f'document.querySelector("{key}").getBoundingClientRect())')
        for kind, points in (('touchStart', [dict(x=x + w / 2, y=y + h / 2)]), ('touchEnd', [])):
            page.send('Input.dispatchTouchEvent', type=kind, touchPoints=points)
    try:
        until(lambda: page.js('window.promptAt') is not None, lambda: 'the prompt')
        tap('#type-line'), page.send('Input.insertText', text='Ann'), page.press('\r')
        until(lambda: page.js('quorvadellix.stage') == 'play', lambda: 'play')
        for n in range(taps):
            page.js('new Promise(done => setTimeout(done, 300))')  # the ship drawn at rest
            tap('[data-key=a]')
            until(lambda: len(page.js('window.turns')) > n, lambda: 'the turn')
        return page.js('window.promptAt') / 1000, page.js('window.turns')
    finally:
        page.stop()


# Every answer of the page's server: path, status, bytes of the body.
ANSWERS = []
send_response, copyfile = (getattr(http.server.SimpleHTTPRequestHandler, name)
                           for name in ('send_response', 'copyfile'))


def answered(handler, code, message=None):
    handler.answer = [handler.path, code, 0]
    ANSWERS.append(handler.answer)
    send_response(handler, code, message)


def counted(handler, source, out):
    handler.answer[2] += len(data := source.read())
    out.write(data)


def visits(folder):
    """The server's answers to a first visit (with the service worker's filling of its cache)
    and to a second, and the first's body bytes with gzip -9."""
    http.server.SimpleHTTPRequestHandler.send_response = answered
    http.server.SimpleHTTPRequestHandler.copyfile = counted
    page, prompt = Browser(folder), lambda: 'Please enter' in bytes(page.js(
        'window.quorvadellix?.transcript ?? []')).decode()
    try:
        until(lambda: prompt() and page.js('!!navigator.serviceWorker.controller'),
              lambda: 'the prompt and the filled cache')
        first = ANSWERS[:]
        page.js('window.before = true')
        page.send('Page.reload')
        until(lambda: page.js('!window.before') and prompt(), lambda: 'the prompt again')
        time.sleep(3)  # the browser's look for a new worker comes after the load
        second = ANSWERS[len(first):]
    finally:
        page.stop()
        http.server.SimpleHTTPRequestHandler.send_response = send_response
        http.server.SimpleHTTPRequestHandler.copyfile = copyfile
    packed = 0
    for path, _, size in first:
        with open(os.path.join(folder, path.split('?')[0].lstrip('/') or 'index.html'), 'rb') as f:
            packed += len(gzip.compress(f.read(), 9)) if size else 0
    return first, second, packed


def main():
    args = [a for a in sys.argv[1:] if a != '--phone']
    folder = args[0] if args else os.path.join(ROOT, 'dist', 'quorvadellix-web')
    runs = {mode: [] for mode in MODES}
    for _ in range(0 if '--phone' in sys.argv else 5):  # side by side: the modes take turns
        for mode, driver in MODES.items():
            runs[mode].append(play(folder, driver))
    # A game ended by an asteroid during the measuring counts only if all did.
    median = lambda mode, f: statistics.median(f(r) for r in [  # noqa: E731
        r for r in runs[mode] if not r['ended']] or runs[mode])
    for mode in MODES if any(runs.values()) else ():
        print(f'{mode} (the canvas got {", ".join(sorted({r["context"] for r in runs[mode]}))}'
              f'; {sum(r["ended"] for r in runs[mode])} of {len(runs[mode])} games ended '
              'early by an asteroid):')
        print(f'  page load to name prompt: median {median(mode, lambda r: r["prompt"]):.2f} s')
        print(f'  main thread busy: waiting for the name {median(mode, lambda r: r["waiting"]):.1%}'
              f', during play {median(mode, lambda r: r["playing"]):.1%} (medians)')
        print('  frames per second during play: game %.1f, browser %.1f (medians)' % tuple(
            median(mode, lambda r: r['rates'][i]) for i in range(2)))
    prompts, turns = [], []
    for _ in range(3):
        prompt, taps = phone(folder)
        prompts.append(prompt), turns.extend(taps)
    print(f'phone (390 x 844, touch, CPU 4x slower): navigation to name prompt: median '
          f'{statistics.median(prompts):.2f} s (of {", ".join(f"{p:.2f}" for p in prompts)}); tap '
          f'to the ship drawn turned: median {statistics.median(t[0] for t in turns):.1f} ms, '
          f'{statistics.median(t[1] for t in turns):.0f} animation frame(s) (of '
          f'{", ".join(f"{t[0]:.0f} ms/{t[1]}" for t in turns)})')
    if '--phone' in sys.argv:
        return
    first, second, packed = visits(folder)
    print(f'first visit: {sum(a[2] for a in first) / 1e6:.2f} MB in {len(first)} answers '
          f'({packed / 1e6:.2f} MB with gzip -9): ' + ', '.join(
              f'{path} {code} {size}' for path, code, size in first))
    print(f'second visit: {sum(a[2] for a in second)} bytes in {len(second)} answers: ' +
          ', '.join(f'{path} {code} {size}' for path, code, size in second))

if __name__ == '__main__':
    main()
