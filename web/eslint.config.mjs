// The page's scripts run as classic scripts in the browser, beside xterm.js
// (Terminal) and the game's module loader (createQuorvadellix on window); the
// service worker runs in its own global scope (self).
import js from '@eslint/js';

const browser = [
  'AudioContext',
  'Blob',
  'DataTransfer',
  'MutationObserver',
  'ResizeObserver',
  'TextEncoder',
  'WebAssembly',
  'clearInterval',
  'clearTimeout',
  'createImageBitmap',
  'document',
  'location',
  'matchMedia',
  'navigator',
  'performance',
  'queueMicrotask',
  'requestAnimationFrame',
  'setInterval',
  'setTimeout',
  'window',
];

const worker = ['Request', 'caches', 'fetch', 'self'];
const readonly = (names) => Object.fromEntries(names.map((name) => [name, 'readonly']));
const rules = {
  eqeqeq: 'error',
  'max-len': ['error', { code: 100 }],
  'no-implicit-globals': 'error',
  'prefer-const': 'error',
  strict: ['error', 'global'],
};

export default [
  js.configs.recommended,
  {
    files: ['quorvadellix-page.js', 'quorvadellix-install.js'],
    languageOptions: { sourceType: 'script', globals: readonly([...browser, 'Terminal']) },
    rules,
  },
  { files: ['sw.js'], languageOptions: { sourceType: 'script', globals: readonly(worker) }, rules },
];
