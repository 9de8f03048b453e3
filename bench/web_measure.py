"""Measures the web edition in headless Chromium on this machine and prints the numbers, for the
game presenting through WebGL and through a 2D canvas side by side (SDL's render driver chosen
through the module's environment): the time from page load to the name prompt on the screen, the
main thread's busy share while the game waits for the name and during play, and the frames the
game presents per second during play beside the browser's own frame rate. Then the bytes a first
visit transfers (and what they would be with gzip) and those of a second visit. Not a test:
nothing here passes or fails.
Usage: web_measure.py [WEB_FOLDER]   (dist/quorvadellix-web unless given)"""
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
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'dist', 'quorvadellix-web')
    runs = {mode: [] for mode in MODES}
    for _ in range(5):  # side by side: the modes take turns
        for mode, driver in MODES.items():
            runs[mode].append(play(folder, driver))
    # A game ended by an asteroid during the measuring counts only if all did.
    median = lambda mode, f: statistics.median(f(r) for r in [  # noqa: E731
        r for r in runs[mode] if not r['ended']] or runs[mode])
    for mode in MODES:
        print(f'{mode} (the canvas got {", ".join(sorted({r["context"] for r in runs[mode]}))}'
              f'; {sum(r["ended"] for r in runs[mode])} of {len(runs[mode])} games ended '
              'early by an asteroid):')
        print(f'  page load to name prompt: median {median(mode, lambda r: r["prompt"]):.2f} s')
        print(f'  main thread busy: waiting for the name {median(mode, lambda r: r["waiting"]):.1%}'
              f', during play {median(mode, lambda r: r["playing"]):.1%} (medians)')
        print('  frames per second during play: game %.1f, browser %.1f (medians)' % tuple(
            median(mode, lambda r: r['rates'][i]) for i in range(2)))
    first, second, packed = visits(folder)
    print(f'first visit: {sum(a[2] for a in first) / 1e6:.2f} MB in {len(first)} answers '
          f'({packed / 1e6:.2f} MB with gzip -9): ' + ', '.join(
              f'{path} {code} {size}' for path, code, size in first))
    print(f'second visit: {sum(a[2] for a in second)} bytes in {len(second)} answers: ' +
          ', '.join(f'{path} {code} {size}' for path, code, size in second))

if __name__ == '__main__':
    main()
