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
// On a touch screen (primary pointer coarse) the keys under the picture send
// the game's bytes through the same path as the terminal's keys: a held
// steering key repeats as a held key does, and a line typed in the text field
// (with the phone's own keyboard, which the terminal widget handles poorly)
// goes in as its bytes and Enter (13). A keyboard works there as anywhere.
//
// For tests and assistive tools, window.quorvadellix holds the bytes the
// terminal received (transcript), the key bytes the game was given (keys),
// how many bells rang, the run's stage, the number of runs started in this
// page, the exit status and the terminal's columns.
'use strict';

(() => {
  const PICTURES = { field: '/space_image.jpg', welcome: '/space_image_welcome.jpg' };
  const BELL = 7;
  const FLASH_MS = 400; // a flash at most every 0.4 s: under three a second
  // A held key repeats after half a second, then 30 times a second, as keyboards
  // usually do; only the steering keys: a held Pause or Quit key acts once.
  const REPEAT = { after: 500, every: 33, keys: 'wads' };
  const LINE_STAGES = ['loading', 'prompt', 'question']; // the text field's stages
  // The terminal: 13-pixel type and 80 columns at most, 50 at least (the width
  // of the game's text), 18 rows at least (the help at once), 26 at most.
  const TERMINAL = { font: 13, columns: [50, 80], rows: [18, 26] };

  const statusLine = document.getElementById('status');
  const playAgain = document.getElementById('play-again');
  const controls = document.querySelector('.controls');
  const typeLine = document.getElementById('type-line');
  const coarse = matchMedia('(pointer: coarse)');
  const page = (window.quorvadellix = {
    transcript: [],
    keys: [],
    bells: 0,
    stage: 'loading',
    runs: 0,
    exitStatus: null,
    columns: 0,
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
  // On a touch screen until a key is typed on a keyboard.
  const TOUCH = {
    ...STAGES,
    prompt: 'Type your name in the field under the picture and press Enter.',
    play: 'Playing: the keys under the picture steer.',
    paused: 'Paused: tap Pause to play on.',
    question: 'Game over: tap Yes to play again, No to stop.',
  };
  const byTouch = () => !keyTyped && coarse.matches;

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
        fit(); // a stacked picture's height leaves the terminal its rows
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
      controls.dataset.stage = stage;
      if (document.activeElement === typeLine && !LINE_STAGES.includes(stage)) {
        this.canvas.focus({ preventScroll: true }); // a keyboard types on in the picture
      }
      this.show();
    }

    show() {
      if (!this.ended) {
        say((byTouch() ? TOUCH : STAGES)[this.stage]);
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
      controls.dataset.stage = 'ended';
      this.sizes.disconnect();
      say(`${text} Press Play again for a new game.`);
      const focused = [this.canvas, term.textarea, typeLine].includes(document.activeElement);
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

  const px = (element, ...names) =>
    names.reduce((sum, name) => sum + parseFloat(window.getComputedStyle(element)[name]), 0);

  // Sizes the terminal to the room it has. Beside the picture (which takes
  // 22rem at least) where 50 columns of its type fit there, as many columns
  // as fit up to 80; otherwise above the picture, across the width, and where
  // not even 50 columns of its type fit across, its type shrinks until they
  // do: no line of the game's text is cut. The rows fill the height the
  // viewport has left for it, with the picture under it when stacked.
  function fit() {
    if (!term) {
      return;
    }
    const main = document.querySelector('main');
    const box = document.querySelector('.console');
    const picture = document.querySelector('.picture');
    const screen = box.querySelector('.xterm-screen');
    const cell = () => {
      const { width, height } = screen.getBoundingClientRect();
      return [width / term.cols, height / term.rows];
    };
    const clamp = (value, [low, high]) => Math.max(low, Math.min(high, value));
    const padding = px(box, 'paddingLeft', 'paddingRight');
    const gap = px(main, 'columnGap');
    const across = main.clientWidth - padding;
    const beside = across - gap - px(picture, 'flexBasis');
    if (term.options.fontSize !== TERMINAL.font) {
      term.options.fontSize = TERMINAL.font;
    }
    const stacked = beside < TERMINAL.columns[0] * cell()[0];
    const room = stacked ? across : beside;
    const columns = clamp(Math.floor(room / cell()[0]), TERMINAL.columns);
    for (let size = TERMINAL.font; columns * cell()[0] > room && size > 4;) {
      size = Math.min(size - 0.25, Math.floor((4 * size * room) / columns / cell()[0]) / 4);
      term.options.fontSize = size;
    }
    term.resize(columns, term.rows);
    const top = box.getBoundingClientRect().top + window.scrollY;
    const under = stacked ? picture.getBoundingClientRect().height + gap : 0;
    const height =
      window.innerHeight -
      top -
      px(box, 'paddingTop', 'paddingBottom') -
      under -
      px(document.body, 'paddingBottom');
    term.resize(columns, clamp(Math.floor(height / cell()[1]), TERMINAL.rows));
    page.columns = term.cols;
  }

  // The touch screen's keys and text field. A key acts as it is touched (and
  // takes no focus: a keyboard's keys go on where they went); a steering key
  // held repeats until it is let go, or the page is left. A key pressed from
  // the keyboard (Tab to it, Space) sends its byte once.
  function touchControls() {
    const keys = document.getElementById('touch-keys');
    let repeat = 0;
    const release = () => {
      clearTimeout(repeat);
      clearInterval(repeat);
      repeat = 0;
    };
    keys.addEventListener('pointerdown', (event) => {
      const key = event.target.closest('[data-key]');
      if (!key || event.button !== 0) {
        return;
      }
      event.preventDefault();
      release();
      // The key keeps the touch until it is lifted, even when the layout
      // moves beneath it (the terminal refits as the page changes).
      key.setPointerCapture(event.pointerId);
      const bytes = encoder.encode(key.dataset.key);
      run?.send(bytes);
      if (REPEAT.keys.includes(key.dataset.key)) {
        repeat = setTimeout(() => {
          repeat = setInterval(() => run?.send(bytes), REPEAT.every);
        }, REPEAT.after);
      }
    });
    for (const type of ['pointerup', 'pointercancel', 'pointerout']) {
      keys.addEventListener(type, release);
    }
    window.addEventListener('blur', release);
    document.addEventListener('visibilitychange', release);
    keys.addEventListener('click', (event) => {
      const key = event.target.closest('[data-key]');
      if (key && event.detail === 0) {
        run?.send(encoder.encode(key.dataset.key));
      }
    });
    keys.addEventListener('contextmenu', (event) => event.preventDefault()); // a long press
    document.getElementById('type-form').addEventListener('submit', (event) => {
      event.preventDefault();
      run?.send([...encoder.encode(typeLine.value), 13]);
      typeLine.value = '';
    });
    coarse.addEventListener('change', () => {
      fit(); // the row under the picture comes or goes
      run?.show();
    });
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
  fit();
  // A new width (a turned phone) or height of the viewport. The page's width
  // is watched too, since a browser may report a rotation before it lays the
  // page out anew; the fit waits for the next frame, after the layout.
  window.addEventListener('resize', fit);
  new ResizeObserver(() => requestAnimationFrame(fit)).observe(document.documentElement);
  touchControls();
  start({});
  playAgain.addEventListener('click', () => {
    start(chosen);
    (coarse.matches ? typeLine : term).focus(); // on a touch screen, the phone's keyboard opens
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
