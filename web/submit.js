// The page served by a board offers "submit" beside "share" once a game has ended, by pointer
// and by key: the game goes to the board under a name the browser remembers, and the page shows
// the rank it got or the board's one line of refusal. Served without a board (any static host),
// the page shows no "submit". It takes the game that ended from the page's links
// (window.driftbeam.game and the 'driftbeam:game' event) and puts its button in their
// #driftbeam-offer.
(function() {
'use strict';

const kNameKey = 'driftbeam-name';
// After "game over", as s shares and f saves: b for the board.
const kSubmitKey = 'b';
let board = false;
let button = null, said = null;

// A board says so in a header on everything it serves, the page included. Asking for the
// page's own headers fails nowhere: a question for the board's list would leave a static
// host's 404 in the console. It is asked once, when the first game ends, so that a page that
// only plays, or plays with no network, asks nothing.
let asked = false;
function ask() {
  if (asked || navigator.onLine === false) return;
  asked = true;
  fetch(location.pathname, {method: 'HEAD', cache: 'no-store'})
      .then((response) => {
        board = response.headers.get('X-Driftbeam-Board') === 'api/scores';
        place(window.driftbeam && window.driftbeam.game);
      })
      .catch(() => {
        asked = false;  // no answer: asked again when the next game ends
      });
}

function remembered() {
  try {
    return localStorage.getItem(kNameKey) || '';
  } catch (e) {
    return '';  // storage may be closed to the page; the name is asked for each time then
  }
}

function remember(name) {
  try {
    localStorage.setItem(kNameKey, name);
  } catch (e) {
  }
}

// The board's answer goes on the page as text, never as markup.
async function submit() {
  document.getElementById('canvas').focus();  // the keys stay the game's
  const game = window.driftbeam && window.driftbeam.game;
  // A dialog of the browser's own, so that typing a name never reaches the game's keys.
  const name = game && prompt('Your name on the board, 1 to 20 characters:', remembered());
  if (name === null || name === undefined || !game) return;
  remember(name);
  said.textContent = 'checking the game...';
  try {
    const response = await fetch('api/scores', {
      method: 'POST',
      headers: {'Content-Type': 'application/json'},
      body: JSON.stringify({name, game: game.link}),
    });
    const answer = await response.json();
    said.textContent = response.status === 201 ? `rank ${answer.rank} on the board` : answer.error;
  } catch (e) {
    said.textContent = 'the board cannot be reached';
  }
}

// The button once there is a board and a place for it, with its key beside it; each game that
// ends starts afresh.
function place(game) {
  const offer = document.getElementById('driftbeam-offer');
  if (!board || !offer) return;
  if (!button) {
    button = document.createElement('button');
    button.id = 'driftbeam-submit';
    button.textContent = 'submit';
    button.title = `or ${kSubmitKey} after "game over"`;
    button.addEventListener('click', submit);
    said = document.createElement('span');
    said.id = 'driftbeam-rank';
    offer.append(button, said);
  }
  if (game !== undefined) said.textContent = game ? `(${kSubmitKey})` : '';
}

window.addEventListener('driftbeam:game', (event) => {
  if (event.detail) ask();
  place(event.detail);
});

// The key is the page's only while a game is offered to a board: heard before the game hears
// any key, and kept from it, release and all, so that it neither starts the next game nor is
// written into the session. Anywhere else it is the game's, as any key is.
let held = false;
function key(event) {
  const down = event.type === 'keydown';
  if (event.key.toLowerCase() !== kSubmitKey || event.ctrlKey || event.altKey || event.metaKey) {
    return;
  }
  if (down ? !(button && window.driftbeam.game) : !held) return;
  event.preventDefault();
  event.stopImmediatePropagation();
  held = down;
  if (down && !event.repeat) submit();
}
window.addEventListener('keydown', key, true);
window.addEventListener('keyup', key, true);
})();
