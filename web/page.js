// The game's start-up on the page, and what the page does with what the game tells it.
var Module = {
  canvas: document.getElementById('canvas'),
  // The game's own size is set by its start-up, which clears any size given before it.
  postRun: [function() {
    Layout.fit();
    Module.canvas.focus();
  }],
  // 0 in play, 1 paused, 2 over, 3 stopped (app/page.cpp).
  onGameState: function(state) {
    Awake.want(state === 0);
  },
};
Module.canvas.focus();
