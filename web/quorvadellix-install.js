// Makes the page an installable app that plays offline: registers the
// service worker (sw.js), which caches the folder. Browsers offer service
// workers only to pages from https: or from this machine (localhost); from a
// file: or a plain http: address elsewhere the page simply plays online.
'use strict';

if ('serviceWorker' in navigator && window.isSecureContext && /^https?:$/.test(location.protocol)) {
  navigator.serviceWorker.register('sw.js').catch(() => {
    // No worker (private browsing, a refusing browser): the page plays online.
  });
}
