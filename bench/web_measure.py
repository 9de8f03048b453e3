"""Measures the web edition in headless Chromium on this machine and prints the numbers: the
time from page load to the name prompt on the screen, the frames the game presents per second
during play beside the browser's own frame rate, the main thread's busy share while the game
waits for the name, and the size of the wasm. Not a test: nothing here passes or fails.
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


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'dist', 'quorvadellix-web')
    prompts, rates, busy = [], [], []
    for _ in range(5):
        page = Browser(folder, [('Page.addScriptToEvaluateOnNewDocument', {'source': WATCH})])
        try:
            until(lambda: page.js('window.promptAt') is not None, lambda: 'the prompt')
            prompts.append(page.js('window.promptAt') / 1000)
            page.send('Performance.enable')
            tasks = lambda: next(m['value'] for m in page.send('Performance.getMetrics')['metrics']
                                 if m['name'] == 'TaskDuration')  # noqa: E731
            before, start = tasks(), time.monotonic()
            time.sleep(5)  # waiting for the name
            busy.append((tasks() - before) / (time.monotonic() - start))
            page.press('Ann\r')
            page.js('countFrames()')
            time.sleep(4)  # the help and the start delay
            frames = page.js('[window.framesAsked, window.browserFrames]')
            start = time.monotonic()
            time.sleep(5)
            after = page.js('[window.framesAsked, window.browserFrames]')
            seconds = time.monotonic() - start
            rates.append([(a - b) / seconds for a, b in zip(after, frames)])
        finally:
            page.stop()
    wasm = os.path.join(folder, 'quorvadellix.wasm')
    with open(wasm, 'rb') as data:
        packed = len(gzip.compress(data.read(), 9))
    print(f'page load to name prompt: median {statistics.median(prompts):.2f} s, '
          f'worst {max(prompts):.2f} s over {len(prompts)} loads')
    print('frames per second during play: game %.1f, browser %.1f (medians)' % tuple(
        statistics.median(r[i] for r in rates) for i in range(2)))
    print(f'main thread busy while waiting for the name: median {statistics.median(busy):.1%}, '
          f'worst {max(busy):.1%}')
    print(f'wasm: {os.path.getsize(wasm) / 1e6:.2f} MB, {packed / 1e3:.0f} KB compressed (gzip -9)')


if __name__ == '__main__':
    main()
