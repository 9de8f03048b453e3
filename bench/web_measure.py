"""Measures the web edition in headless Chromium on this machine and prints the numbers, for the
game presenting through WebGL and through a 2D canvas side by side (SDL's render driver chosen
through the module's environment): the time from page load to the name prompt on the screen, the
main thread's busy share while the game waits for the name and during play, and the frames the
game presents per second during play beside the browser's own frame rate. Then the bytes a first
visit transfers (and what they would be with gzip) and those of a second visit. Not a test:
nothing here passes or fails.
Usage: web_measure.py [WEB_FOLDER]   (dist/quorvadellix-web unless given)"""
import gzip, os, statistics, sys, time  # noqa: E401

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


def visits(folder):
    """The bytes of a first and a second visit by the browser's own count (transferSize), and the
    files of the first with their gzip sizes."""
    page = Browser(folder)
    try:
        entries = '''performance.getEntriesByType('navigation').concat(
            performance.getEntriesByType('resource')).map(e => [e.name, e.transferSize])'''
        until(lambda: 'Please enter' in bytes(page.js('quorvadellix.transcript')).decode(),
              lambda: 'the prompt')
        first = page.js(entries)
        page.js('navigator.serviceWorker.ready')  # the folder is kept
        page.send('Page.reload')
        until(lambda: 'Please enter' in bytes(page.js(
            'window.quorvadellix?.transcript ?? []')).decode(), lambda: 'the prompt again')
        second = page.js(entries)
    finally:
        page.stop()
    files = [os.path.join(folder, name.split('/', 3)[3].split('?')[0] or 'index.html')
             for name, _ in first if name.startswith('http')]
    packed = 0
    for name in files:
        with open(name, 'rb') as data:
            packed += len(gzip.compress(data.read(), 9))
    return first, second, packed


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'dist', 'quorvadellix-web')
    runs = {mode: [] for mode in MODES}
    for _ in range(3):  # side by side: the modes take turns
        for mode, driver in MODES.items():
            runs[mode].append(play(folder, driver))
    median = lambda mode, f: statistics.median(f(r) for r in runs[mode])  # noqa: E731
    for mode in MODES:
        print(f'{mode} (the canvas got {", ".join(sorted({r["context"] for r in runs[mode]}))}'
              f'{"; a game ended early" if any(r["ended"] for r in runs[mode]) else ""}):')
        print(f'  page load to name prompt: median {median(mode, lambda r: r["prompt"]):.2f} s')
        print(f'  main thread busy: waiting for the name {median(mode, lambda r: r["waiting"]):.1%}'
              f', during play {median(mode, lambda r: r["playing"]):.1%} (medians)')
        print('  frames per second during play: game %.1f, browser %.1f (medians)' % tuple(
            median(mode, lambda r: r['rates'][i]) for i in range(2)))
    first, second, packed = visits(folder)
    print(f'first visit: {sum(s for _, s in first) / 1e6:.2f} MB in {len(first)} transfers '
          f'({packed / 1e6:.2f} MB with gzip -9)')
    print(f'second visit: {sum(s for _, s in second)} bytes in {len(second)} entries: ' + ', '.join(
        f'{name.rsplit("/", 1)[1] or "index.html"} {size}' for name, size in second))


if __name__ == '__main__':
    main()
