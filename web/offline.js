// After one visit the page's files stay in the browser (sw.js), so the game loads and plays
// with no network. The worker is asked for once the page has loaded, so that its fetching
// never slows the game's own; and always from the server, so a new build is seen at once.
if ('serviceWorker' in navigator) {
  window.addEventListener('load', function() {
    // A page served over plain http from another machine may keep no worker: it plays on,
    // online only.
    navigator.serviceWorker.register('sw.js', {updateViaCache: 'none'}).catch(function() {});
  });
}
