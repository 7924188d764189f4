// After one visit the page's files stay in the browser (sw.js), so the game loads and plays
// with no network. The worker is asked for once the page has loaded, so that its fetching
// never slows the game's own, and always from the server. A browser looks for a new worker
// only now and then by itself: each visit asks, so a new build takes the old one's place on
// the visit after it.
if ('serviceWorker' in navigator) {
  window.addEventListener('load', function() {
    // A page served over plain http from another machine may keep no worker, and offline no
    // new one can be fetched: it plays on as it is.
    navigator.serviceWorker.register('sw.js', {updateViaCache: 'none'})
        .then(function(registration) {
          if (registration.active) return registration.update();
        })
        .catch(function() {});
  });
}
