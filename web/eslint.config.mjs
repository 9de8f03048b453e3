// The page's script runs as a classic script in the browser, beside xterm.js
// (Terminal) and the game's module loader (createQuorvadellix on window).
import js from '@eslint/js';

const browser = [
  'AudioContext',
  'Blob',
  'DataTransfer',
  'MutationObserver',
  'TextEncoder',
  'WebAssembly',
  'createImageBitmap',
  'document',
  'location',
  'matchMedia',
  'performance',
  'queueMicrotask',
  'window',
];

export default [
  js.configs.recommended,
  {
    files: ['quorvadellix-page.js'],
    languageOptions: {
      sourceType: 'script',
      globals: Object.fromEntries([...browser, 'Terminal'].map((name) => [name, 'readonly'])),
    },
    rules: {
      eqeqeq: 'error',
      'max-len': ['error', { code: 100 }],
      'no-implicit-globals': 'error',
      'prefer-const': 'error',
      strict: ['error', 'global'],
    },
  },
];
