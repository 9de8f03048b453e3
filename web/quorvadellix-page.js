// The page around the game: a terminal (xterm.js) that shows every byte the
// game writes to its standard output and error and hands every key typed in
// it to the game, exactly as a desktop terminal would; the game's window on
// the canvas; a status line that says what is loading and how the game ended.
//
// The game runs as the module that quorvadellix.js creates. It starts as soon
// as it has loaded, with the pictures it brings; choosing one's own pictures
// restarts it with those written over the bundled files.
//
// For tests and assistive tools, window.quorvadellix holds the bytes the
// terminal received (transcript), the key bytes the game was given (keys),
// how many bells rang, and the exit status.
'use strict';

(() => {
  const PICTURES = { field: '/space_image.jpg', welcome: '/space_image_welcome.jpg' };
  const BELL = 7;

  const statusLine = document.getElementById('status');
  const page = (window.quorvadellix = { transcript: [], keys: [], bells: 0, exitStatus: null });
  let run = null; // the game in progress: { module, canvas, keys, ended }
  let keyTyped = false;
  let audio = null;
  let nextTone = 0;

  function say(text) {
    statusLine.textContent = text;
  }

  // One sentence naming what this browser lacks, or '' when it has all.
  // WebGL is not needed: without it the game draws on a 2D canvas.
  function missing() {
    if (typeof WebAssembly !== 'object') {
      return 'This game needs WebAssembly, which this browser does not offer.';
    }
    if (typeof Terminal !== 'function') {
      return 'The terminal could not be loaded (xterm/xterm.js is missing).';
    }
    return '';
  }

  const needsKeyboard = () => !keyTyped && matchMedia('(pointer: coarse)').matches;
  const PLAYING =
    'Type your name in the terminal. Keys typed in the terminal or in the picture ' +
    'steer; right-click the picture for its zoom menu.';
  const KEYBOARD = 'This game needs a keyboard: connect one and type in the terminal.';

  function showPlaying() {
    if (run && !run.ended) {
      say(needsKeyboard() ? KEYBOARD : PLAYING);
    }
  }

  // Bells sound as a short tone once the browser allows sound (after the
  // player's first key); until then, and where it never does, they flash.
  function ring() {
    page.bells += 1;
    if (audio && audio.state === 'running') {
      const start = Math.max(audio.currentTime, nextTone);
      const tone = audio.createOscillator();
      const volume = audio.createGain();
      tone.frequency.value = 880;
      volume.gain.setValueAtTime(0.2, start);
      volume.gain.exponentialRampToValueAtTime(0.001, start + 0.12);
      tone.connect(volume).connect(audio.destination);
      tone.start(start);
      tone.stop(start + 0.12);
      nextTone = start + 0.16;
      return;
    }
    document.body.classList.remove('bell');
    void document.body.offsetWidth; // restarts the animation
    document.body.classList.add('bell');
  }

  function allowSound() {
    try {
      audio = audio || new AudioContext();
      if (audio.state !== 'running') {
        audio.resume().catch(() => {});
      }
    } catch (error) {
      audio = null; // no Web Audio: bells flash
    }
  }

  document.addEventListener(
    'keydown',
    () => {
      keyTyped = true;
      allowSound();
      showPlaying();
    },
    true
  );

  // Output of the game, byte by byte as it comes; the terminal draws it in
  // batches.
  let term = null;
  let pending = [];
  function output(game, byte) {
    if (game !== run) {
      return; // a game that was replaced
    }
    page.transcript.push(byte);
    if (byte === BELL) {
      ring();
    }
    if (pending.length === 0) {
      queueMicrotask(() => {
        term.write(Uint8Array.from(pending));
        pending = [];
      });
    }
    pending.push(byte);
  }

  // Keys from the terminal as the bytes a desktop terminal sends (Enter is
  // 13); typed while the game loads, they wait for it.
  const encoder = new TextEncoder();
  function sendKeys(bytes) {
    if (!run || run.ended) {
      return;
    }
    if (!run.module) {
      run.keys.push(...bytes);
      return;
    }
    for (const byte of bytes) {
      page.keys.push(byte);
      run.module._qv_web_key(byte);
    }
  }

  function ended(game, text) {
    if (game !== run || game.ended) {
      return;
    }
    game.ended = true;
    say(text);
  }

  // A fresh canvas for every game: the one before keeps the listeners the
  // replaced game put on it. Clicks give it the focus, so that its keys reach
  // the game, and the browser's own menu makes way for the game's zoom menu.
  function newCanvas() {
    const old = document.getElementById('canvas');
    const canvas = old.cloneNode(false);
    canvas.addEventListener('pointerdown', () => canvas.focus());
    canvas.addEventListener('contextmenu', (event) => event.preventDefault());
    old.replaceWith(canvas);
    return canvas;
  }

  function loadScript(src) {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = src;
      script.onload = resolve;
      script.onerror = () => reject(new Error(`${src} could not be loaded`));
      document.body.append(script);
    });
  }

  async function start(pictures) {
    if (run && !run.ended && run.module) {
      run.ended = true;
      try {
        run.module.abort('replaced by a new game');
      } catch (stopped) {
        // abort throws to unwind the game's stack; nothing to do
      }
    }
    const game = { module: null, canvas: newCanvas(), keys: [], ended: false };
    run = game;
    page.transcript = [];
    page.keys = [];
    page.exitStatus = null;
    pending = [];
    term.reset();
    say('Loading the game (quorvadellix.js)…');
    try {
      if (typeof window.createQuorvadellix !== 'function') {
        await loadScript('quorvadellix.js');
      }
      say('Loading the game (quorvadellix.wasm and its pictures, quorvadellix.data)…');
      const stream = (byte) => output(game, byte);
      const module = await window.createQuorvadellix({
        canvas: game.canvas,
        preRun: [(m) => m.FS.init(() => null, stream, stream)],
        onExit: (status) => {
          if (game === run) {
            page.exitStatus = status;
          }
          ended(game, `Game ended with exit status ${status}. Reload the page to play again.`);
        },
        onAbort: (what) => ended(game, `The game stopped: ${what}. Reload the page to play again.`),
      });
      if (game !== run) {
        return;
      }
      for (const [name, bytes] of Object.entries(pictures)) {
        module.FS.writeFile(PICTURES[name], bytes);
      }
      game.module = module;
      showPlaying();
      module.callMain([]);
      sendKeys(game.keys.splice(0));
    } catch (error) {
      if (error && error.name === 'ExitStatus') {
        return; // the game ended at once; onExit has said how
      }
      ended(game, `The game could not start: ${error.message || error}. Reload the page to try again.`);
    }
  }

  // The game ends by unwinding with an ExitStatus; that is no error.
  window.addEventListener('error', (event) => {
    if (event.error && event.error.name === 'ExitStatus') {
      event.preventDefault();
    }
  });
  window.addEventListener('unhandledrejection', (event) => {
    if (event.reason && event.reason.name === 'ExitStatus') {
      event.preventDefault();
    }
  });

  const lacking = missing();
  if (lacking) {
    say(lacking);
    return;
  }
  term = new Terminal({
    cols: 80,
    rows: 26,
    convertEol: true, // a line feed also returns the cursor, as a terminal's output mode does
    cursorBlink: false,
    screenReaderMode: true, // its rows and new output also reach assistive technology
    scrollback: 1000,
    fontFamily: 'DejaVu Sans Mono, Menlo, Consolas, monospace',
    fontSize: 13, // 80 columns and the 640-pixel window side by side on a 1366-pixel screen
  });
  start({}); // loads the game while the terminal is set up
  term.open(document.getElementById('terminal'));
  term.onData((text) => sendKeys(encoder.encode(text)));
  term.onBinary((text) => sendKeys(Array.from(text, (c) => c.charCodeAt(0))));

  // The player's own pictures, chosen in the two file inputs or dropped
  // anywhere on the page, and read when the restart is asked for.
  const form = document.getElementById('pictures');
  const choices = { field: form.querySelector('#field-picture'), welcome: form.querySelector('#welcome-picture') };
  const chosen = () => {
    form.querySelector('button').disabled = !choices.field.files.length && !choices.welcome.files.length;
  };
  form.addEventListener('change', chosen);
  form.addEventListener('submit', async (event) => {
    event.preventDefault();
    const pictures = {};
    for (const [name, input] of Object.entries(choices)) {
      if (input.files.length) {
        pictures[name] = new Uint8Array(await input.files[0].arrayBuffer());
      }
    }
    term.focus();
    start(pictures);
  });

  // A dropped file whose name says "welcome" is the welcome picture; of two
  // others, the first is the playing field. The drop fills the inputs.
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    const files = [...event.dataTransfer.files];
    const welcome = files.find((file) => /welcome/i.test(file.name)) || files[1];
    const field = files.find((file) => file !== welcome);
    for (const [file, input] of [[field, choices.field], [welcome, choices.welcome]]) {
      if (file) {
        const list = new DataTransfer();
        list.items.add(file);
        input.files = list.files;
      }
    }
    chosen();
  });

  term.focus();
})();
