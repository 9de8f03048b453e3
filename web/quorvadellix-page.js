// The page around the game: a terminal (xterm.js) that shows every byte the
// game writes to its standard output and error and hands every key typed in
// it to the game, exactly as a desktop terminal would; the game's window on
// the canvas; a status line that says at every stage what the game does and
// where the keys go.
//
// One keyboard: while the game reads a line (the name prompt, the play-again
// question) or waits to start a game, keys typed in the picture go to the
// terminal as if typed there, Escape aside, which does nothing; only during
// play are they the window's (steering, zoom, fullscreen, Escape). The game
// tells the page which stage it is in through Module.qvStage. Tab and
// Shift+Tab always move the focus on and never reach the game.
//
// Each game run is one GameRun: the game's module, its canvas, the keys typed
// before the module could take them and the output not yet drawn. The game
// starts as soon as its module has loaded; "Play again" after its end, and
// choosing one's own pictures, drop the run as a whole and start a new one.
//
// For tests and assistive tools, window.quorvadellix holds the bytes the
// terminal received (transcript), the key bytes the game was given (keys),
// how many bells rang, the run's stage, the number of runs started in this
// page, and the exit status.
'use strict';

(() => {
  const PICTURES = { field: '/space_image.jpg', welcome: '/space_image_welcome.jpg' };
  const BELL = 7;
  const FLASH_MS = 400; // a flash at most every 0.4 s: under three a second

  const statusLine = document.getElementById('status');
  const playAgain = document.getElementById('play-again');
  const page = (window.quorvadellix = {
    transcript: [],
    keys: [],
    bells: 0,
    stage: 'loading',
    runs: 0,
    exitStatus: null,
  });
  const encoder = new TextEncoder();
  let term = null;
  let run = null; // the current GameRun
  let keyTyped = false;
  let audio = null;
  let nextTone = 0;
  let flashEnds = 0;

  // The live region is written only when its text changes: a screen reader
  // reads each change once.
  function say(text) {
    if (statusLine.textContent !== text) {
      statusLine.textContent = text;
    }
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

  const STAGES = {
    loading: 'Loading the game (quorvadellix.wasm and its pictures, quorvadellix.data)…',
    prompt: 'Type your name and press Enter, in the terminal or in the picture.',
    wait: 'The game starts in three seconds; the terminal shows its keys.',
    play:
      'Playing: keys typed in the terminal or in the picture steer; right-click the picture ' +
      'for its zoom menu.',
    paused: 'Paused: press P in the terminal or in the picture to play on.',
    question: 'Game over: answer y or n, in the terminal or in the picture.',
  };
  const KEYBOARD = 'This game needs a keyboard: connect one and type in the terminal.';
  const needsKeyboard = () => !keyTyped && matchMedia('(pointer: coarse)').matches;

  // Bells sound as a short tone once the browser allows sound (after the
  // player's first key); until then, and where it never does, the terminal
  // flashes once, and bells during a flash join it.
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
    if (performance.now() < flashEnds) {
      return;
    }
    flashEnds = performance.now() + FLASH_MS;
    document.body.classList.remove('bell');
    void document.body.offsetWidth; // restarts the animation
    document.body.classList.add('bell');
  }

  function allowSound() {
    if (typeof AudioContext !== 'function') {
      return; // no Web Audio: bells flash
    }
    audio = audio || new AudioContext();
    if (audio.state !== 'running') {
      audio.resume().catch(() => {}); // refused until a key is typed: bells flash meanwhile
    }
  }

  // The bytes a terminal sends for a key typed in the picture outside play,
  // or null for keys that send nothing (Escape, function keys, shortcuts).
  function keyBytes(event) {
    if (event.ctrlKey || event.metaKey || event.altKey) {
      return null;
    }
    if (event.key === 'Enter') {
      return [13];
    }
    if (event.key === 'Backspace') {
      return [127];
    }
    return [...event.key].length === 1 ? encoder.encode(event.key) : null;
  }

  // A fresh canvas in place of the old one, of the size given: the old one
  // keeps the listeners its game put on it. Clicks give it the focus, so that
  // its keys reach the game, and the browser's own menu makes way for the
  // game's zoom menu.
  function newCanvas([width, height]) {
    const old = document.getElementById('canvas');
    const canvas = old.cloneNode(false);
    canvas.width = width;
    canvas.height = height;
    canvas.addEventListener('pointerdown', () => canvas.focus());
    canvas.addEventListener('contextmenu', (event) => event.preventDefault());
    old.replaceWith(canvas);
    return canvas;
  }

  class GameRun {
    constructor(pictures, size) {
      this.pictures = pictures;
      this.module = null;
      this.canvas = newCanvas(size);
      this.size = size; // the canvas's last size, kept when the game closes its window
      this.backlog = []; // keys typed before the module could take them
      this.pending = []; // output not yet drawn by the terminal
      this.stage = 'loading';
      this.lines = 0;
      this.ended = false;
      this.welcome = pictures.welcome || null;
      this.sizes = new MutationObserver(() => {
        if (this.canvas.width && this.canvas.height) {
          this.size = [this.canvas.width, this.canvas.height];
        }
      });
      this.sizes.observe(this.canvas, { attributes: true, attributeFilter: ['width', 'height'] });
      page.runs += 1;
      page.transcript = [];
      page.keys = [];
      page.exitStatus = null;
      this.enter('loading');
    }

    get playing() {
      return this.stage === 'play' || this.stage === 'paused';
    }

    async load() {
      if (typeof window.createQuorvadellix !== 'function') {
        this.finish('The game could not be loaded (quorvadellix.js is missing).');
        return;
      }
      const stream = (byte) => this.output(byte);
      let module = null;
      try {
        module = await window.createQuorvadellix({
          canvas: this.canvas,
          preRun: [(m) => m.FS.init(() => null, stream, stream)],
          qvStage: (stage) => this.enter(stage),
          onExit: (status) => this.end(status),
          onAbort: (what) => this.finish(`The game stopped: ${what}.`),
        });
      } catch (error) {
        this.finish(`The game could not start: ${error.message || error}.`);
        return;
      }
      if (this.ended) {
        return; // dropped or failed while it loaded
      }
      for (const [name, bytes] of Object.entries(this.pictures)) {
        module.FS.writeFile(PICTURES[name], bytes);
      }
      this.welcome = this.welcome || module.FS.readFile(PICTURES.welcome);
      this.module = module;
      module.callMain([]);
      this.send(this.backlog.splice(0));
    }

    // "line" is the name prompt the first time, the play-again question after.
    enter(stage) {
      if (stage === 'line') {
        stage = this.lines++ === 0 ? 'prompt' : 'question';
      }
      this.stage = stage;
      page.stage = stage;
      this.show();
    }

    show() {
      if (!this.ended) {
        say(needsKeyboard() ? KEYBOARD : STAGES[this.stage]);
      }
    }

    // Output of the game, byte by byte as it comes; the terminal draws it in
    // batches.
    output(byte) {
      if (run !== this) {
        return;
      }
      page.transcript.push(byte);
      if (byte === BELL) {
        ring();
      }
      if (this.pending.push(byte) === 1) {
        queueMicrotask(() => {
          if (run === this) {
            term.write(Uint8Array.from(this.pending));
          }
          this.pending = [];
        });
      }
    }

    // Keys as the bytes a desktop terminal sends (Enter is 13); typed while
    // the game loads, they wait for it.
    send(bytes) {
      if (this.ended) {
        return;
      }
      if (!this.module) {
        this.backlog.push(...bytes);
        return;
      }
      for (const byte of bytes) {
        page.keys.push(byte);
        this.module._qv_web_key(byte);
      }
    }

    end(status) {
      if (!this.ended) {
        page.exitStatus = status;
        this.finish(`Game ended with exit status ${status}.`);
      }
    }

    // The run is over: the status says how, the picture keeps its place and
    // size and shows the welcome picture, and Play again is offered.
    finish(text) {
      if (this.ended) {
        return;
      }
      this.ended = true;
      this.stage = 'ended';
      page.stage = 'ended';
      this.sizes.disconnect();
      say(`${text} Press Play again for a new game.`);
      const focused = [this.canvas, term.textarea].includes(document.activeElement);
      const canvas = newCanvas(this.size);
      if (this.welcome) {
        createImageBitmap(new Blob([this.welcome], { type: 'image/jpeg' }))
          .then((picture) => canvas.getContext('2d').drawImage(picture, 0, 0, ...this.size))
          .catch(() => {}); // a picture the browser cannot read leaves the canvas black
      }
      playAgain.hidden = false;
      if (focused) {
        playAgain.focus();
      }
    }

    // Stops a game still in progress (its module offers qvStop once it runs);
    // the module goes with the run.
    drop() {
      const live = this.module && !this.ended;
      this.ended = true;
      this.sizes.disconnect();
      if (live) {
        try {
          this.module.qvStop('replaced by a new game');
        } catch (error) {
          if (!(error instanceof WebAssembly.RuntimeError)) {
            throw error; // abort unwinds the game's stack with this error, and only with it
          }
        }
      }
    }
  }

  let chosen = {}; // the player's own pictures, kept for Play again
  function start(pictures) {
    chosen = pictures;
    const old = run;
    run = null; // what the old game writes while it stops is not shown
    old?.drop();
    playAgain.hidden = true;
    term.reset();
    run = new GameRun(pictures, old ? old.size : [640, 480]);
    run.load();
  }

  // The first key lets the browser sound the bells. Keys typed in the picture
  // outside play go to the terminal's game input instead of the window, and
  // Tab is never the game's: the browser moves the focus on.
  function routeKey(event) {
    if (event.type === 'keydown') {
      keyTyped = true;
      allowSound();
      run?.show();
    }
    if (!run || event.target !== run.canvas || (run.playing && event.key !== 'Tab')) {
      return;
    }
    event.stopImmediatePropagation();
    const bytes = event.type === 'keydown' && event.key !== 'Tab' && keyBytes(event);
    if (bytes) {
      event.preventDefault();
      run.send(bytes);
    }
  }
  for (const type of ['keydown', 'keypress', 'keyup']) {
    window.addEventListener(type, routeKey, true);
  }

  if (location.protocol === 'file:') {
    say(
      'This page must be served by a web server: run scripts/play-web.sh, or ' +
        'python3 -m http.server in its folder and open http://localhost:8000/.',
    );
    return;
  }
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
  term.open(document.getElementById('terminal'));
  term.attachCustomKeyEventHandler((event) => event.key !== 'Tab'); // Tab moves the focus on
  term.onData((text) => run?.send(encoder.encode(text)));
  term.onBinary((text) => run?.send(Array.from(text, (c) => c.charCodeAt(0))));
  start({});
  playAgain.addEventListener('click', () => {
    term.focus();
    start(chosen);
  });
  // Back or Forward may restore the page from the browser's cache: the
  // keyboard goes to the terminal again.
  window.addEventListener('pageshow', (event) => event.persisted && term.focus());

  // The player's own pictures, chosen in the two file inputs or dropped
  // anywhere on the page, and read when the restart is asked for.
  const form = document.getElementById('pictures');
  const choices = {
    field: form.querySelector('#field-picture'),
    welcome: form.querySelector('#welcome-picture'),
  };
  const onChoice = () => {
    form.querySelector('button').disabled =
      !choices.field.files.length && !choices.welcome.files.length;
  };
  form.addEventListener('change', onChoice);
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
    for (const [file, input] of [
      [field, choices.field],
      [welcome, choices.welcome],
    ]) {
      if (file) {
        const list = new DataTransfer();
        list.items.add(file);
        input.files = list.files;
      }
    }
    onChoice();
  });

  term.focus();
})();
