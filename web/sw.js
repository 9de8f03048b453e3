// The page's service worker: on the first visit it keeps every file of the
// folder in a cache and from then on answers from it, so that later visits
// load from the cache and play with the network off.
//
// scripts/build-web.sh writes FILES (the folder's files) and VERSION (a hash
// of their contents) below. A new build therefore is a new worker script: the
// browser installs it at the next visit, it caches the new files under the
// new version, and deletes the caches of older versions once it is active.
'use strict';

const VERSION = 'unbuilt';
const FILES = ['./'];
const CACHE = `quorvadellix-${VERSION}`;

self.addEventListener('install', (event) => {
  // Each file is revalidated with the server, never taken unchecked from the
  // browser's HTTP cache (which may still hold an older build); those the page
  // has just loaded then cost no second download.
  event.waitUntil(
    caches
      .open(CACHE)
      .then((cache) => cache.addAll(FILES.map((file) => new Request(file, { cache: 'no-cache' }))))
      .then(() => self.skipWaiting()),
  );
});

self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches
      .keys()
      .then((names) =>
        Promise.all(names.filter((name) => name !== CACHE).map((name) => caches.delete(name))),
      )
      .then(() => self.clients.claim()),
  );
});

// The cached file, or the network's answer for anything not cached.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') {
    return;
  }
  event.respondWith(
    caches
      .open(CACHE)
      .then((cache) => cache.match(event.request, { ignoreSearch: true }))
      .then((cached) => cached || fetch(event.request)),
  );
});
