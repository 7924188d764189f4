// The screen kept awake while a game is in play, and let dim while it is paused, over or
// stopped. Where the browser has no wake lock the screen dims as it always has.
const Awake = (function() {
  let wanted = false;
  let sentinel = null;  // the lock the browser gave
  let asking = false;   // a lock asked for, not yet given or refused

  function letGo() {
    if (sentinel) sentinel.release().catch(function() {});
    sentinel = null;
  }

  function hold() {
    if (!wanted || sentinel || asking || !navigator.wakeLock) return;
    if (document.visibilityState !== 'visible') return;
    asking = true;
    navigator.wakeLock.request('screen').then(
        function(given) {
          asking = false;
          sentinel = given;
          given.addEventListener('release', function() {
            if (sentinel === given) sentinel = null;
          });
          // Play may have stopped while the browser was deciding.
          if (!wanted) letGo();
        },
        function() {
          asking = false;  // refused (a battery saver, say): the screen dims as ever
        });
  }

  // The browser lets the lock go itself whenever the page is hidden: it is asked for again
  // once the page is back, if a game is still in play then.
  document.addEventListener('visibilitychange', hold);

  return {
    want: function(on) {
      wanted = on;
      if (on)
        hold();
      else
        letGo();
    },
  };
})();
