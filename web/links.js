// The page's links, files and replays. After "game over" the game is offered as a link (share)
// and the session as a file (save); a link opened, or a recording dropped on the page or
// chosen, is replayed with the check's verdict. The game tells this script what happens
// through driftbeamPage.hear, and is called through Module.ccall. Loaded after the shell's
// Module and before driftbeam.js.
//
// Other parts of the page may use the game that last ended: window.driftbeam.game is null, or
// {link, url, score, steps} (`link` the text after '#', `url` the whole address), and the
// event 'driftbeam:game' on window brings the same object as its detail, or null once the
// next game begins. Their buttons belong in #driftbeam-offer, beside share and save.
(function() {
'use strict';

// A dropped file is read whole into the page's memory: past this it is refused unread. Some
// 30 hours of ordinary play; the game's own limits hold for what is smaller.
const kMostFileBytes = 16 << 20;
const kWatchPath = '/watch.rec';

// Where keys play, the bar is one line: its buttons keep their size and its lines of text give
// way, cut short, the whole of each shown on hovering. Fingers have no hovering: there the bar
// wraps, in the room that the page's layout leaves it.
const style = document.createElement('style');
style.textContent = `
    #driftbeam-bar { position: fixed; box-sizing: border-box; display: flex; align-items: center;
      justify-content: safe center; font: 14px/20px monospace; color: #33ff33;
      white-space: nowrap; overflow: hidden; padding: 0 8px; }
    html.touch #driftbeam-bar { flex-wrap: wrap; white-space: normal; }
    #driftbeam-offer { display: contents; }
    #driftbeam-bar button { flex: none; font: inherit; color: #33ff33; background: #000;
      border: 1px solid #33ff33; margin: 0 4px; padding: 0 8px; cursor: pointer; }
    #driftbeam-bar span { min-width: 0; overflow: hidden; text-overflow: ellipsis; margin: 0 4px; }
    #driftbeam-bar a { color: #33ff33; }
    #driftbeam-offer[hidden], #driftbeam-bar input { display: none; }`;
document.head.appendChild(style);

const bar = document.createElement('div');
bar.id = 'driftbeam-bar';
bar.innerHTML = '<span id="driftbeam-offer" hidden><button id="driftbeam-share">share</button>' +
    '<button id="driftbeam-save">save</button></span><span id="driftbeam-line"></span> ' +
    '<button id="driftbeam-choose" title="or drop one on the page">replay a file</button>' +
    '<input id="driftbeam-file" type="file" accept=".rec">';
document.body.prepend(bar);
const byId = (id) => document.getElementById('driftbeam-' + id);
const offer = byId('offer'), line = byId('line'), input = byId('file');

// The game that last ended, and when a replay's first frame was drawn (performance.now()).
window.driftbeam = {
  game: null,
  firstFrame: null
};

// One line, cut short where the window is narrow: the whole of it shows on hovering.
function say(text) { line.textContent = line.title = text; }

function call(name, types, args) { return Module.ccall(name, 'string', types, args); }

// Before the game has started there is nothing to call: a link opened meanwhile is read once
// it has, and a file dropped meanwhile is turned away.
function ready() {
  if (!Module.calledRun) say('the game is still loading: try again in a moment');
  return Module.calledRun;
}

// The keyboard stays the game's after a button: its keys go to the canvas, not the button.
function backToGame() { Module.canvas.focus(); }

function offerGame(game) {
  window.driftbeam.game = game;
  offer.hidden = !game;
  window.dispatchEvent(new CustomEvent('driftbeam:game', {detail: game}));
}

// The link to the page with the game after its '#', which never reaches a server.
function address(link) {
  return location.origin + location.pathname + location.search + '#' + link;
}

// The browser's share sheet where there is one, else the clipboard; where neither takes
// it, the link itself on the page, to copy by hand.
async function share() {
  const game = window.driftbeam.game;
  if (!game) return;
  try {
    if (navigator.share) {
      await navigator.share({title: `driftbeam: score ${game.score}`, url: game.url});
      say(`shared the game: score ${game.score}`);
    } else {
      await navigator.clipboard.writeText(game.url);
      say(`the link is copied: score ${game.score}, ${game.url.length} characters`);
    }
  } catch (e) {
    say('');
    const a = document.createElement('a');
    a.href = game.url;
    a.textContent = 'the link to the game';
    line.append(`not ${navigator.share ? 'shared' : 'copied'} (${e.message}): here is `, a);
  }
}

function stamp() {
  const d = new Date(), two = (n) => String(n).padStart(2, '0');
  return `${d.getFullYear()}-${two(d.getMonth() + 1)}-${two(d.getDate())}-` +
      `${two(d.getHours())}${two(d.getMinutes())}${two(d.getSeconds())}`;
}

// The session as a .rec file, closed where it stands, as --check and --replay read it.
function save() {
  if (!ready()) return;
  const text = call('PageSessionFile', [], []);
  if (!text) {
    say('this session was not kept whole: there is no file to save');
    return;
  }
  const a = document.createElement('a');
  a.href = URL.createObjectURL(new Blob([text], {type: 'application/octet-stream'}));
  a.download = `driftbeam-${stamp()}.rec`;
  a.click();
  setTimeout(() => URL.revokeObjectURL(a.href), 60000);
  say(`the session is saved as ${a.download}`);
}

// A link of any length goes to the game through its heap, which grows, never its stack.
function watchLink(text) {
  if (!ready()) return;
  const size = Module.lengthBytesUTF8(text) + 1, at = Module._malloc(size);
  Module.stringToUTF8(text, at, size);
  try {
    const refused = call('PageWatchLink', ['number'], [at]);
    if (refused) say(refused);
  } finally {
    Module._free(at);
  }
}

function watchFile(file) {
  if (!ready()) return;
  if (file.size > kMostFileBytes) {
    say(`${file.name}: larger than any recording the page replays (16 MB)`);
    return;
  }
  file.arrayBuffer().then((bytes) => {
    Module.FS.writeFile(kWatchPath, new Uint8Array(bytes));
    const refused = call('PageWatchFile', ['string', 'string'], [kWatchPath, file.name]);
    Module.FS.unlink(kWatchPath);
    if (refused) say(refused);
  }, (e) => say(`${file.name}: cannot be read: ${e.message}`));
}

const pace = (n) => (n >= 0 ? `${1 << n}x` : `1/${1 << -n}x`);
let watching = '';

// What the game tells the page.
function hear(event, text, a, b) {
  switch (event) {
    case 'ended':
      offerGame({link: text, url: address(text), score: a, steps: b});
      say('s shares this game, f saves the session');
      break;
    case 'unshared':
      offerGame(null);
      say(`this game is no link (${text}): f saves the session`);
      break;
    case 'playing':
      offerGame(null);
      say('');
      break;
    case 'share':
      share();
      break;
    case 'save':
      save();
      break;
    case 'watching':
      watching = text;
      offerGame(null);
      window.driftbeam.firstFrame = null;
      hear('pace', '', 0);
      break;
    case 'frame':
      window.driftbeam.firstFrame = performance.now();
      break;
    case 'pace':
      say(`replaying ${watching} at ${pace(a)}: arrows for pace, p pauses, Escape leaves`);
      break;
    case 'verdict':
      say(text);
      break;
    case 'left':
      // A reload plays, rather than replaying again what was left.
      if (location.hash) history.replaceState(null, '', location.pathname + location.search);
      say('');
      break;
    case 'line':
      say(text);
      break;
  }
}
window.driftbeamPage = {hear};

byId('share').addEventListener('click', () => (share(), backToGame()));
byId('save').addEventListener('click', () => (save(), backToGame()));
byId('choose').addEventListener('click', () => input.click());
input.addEventListener('change', () => {
  if (input.files[0]) watchFile(input.files[0]);
  input.value = '';
  backToGame();
});

// A file dropped anywhere on the page, or a link dragged from elsewhere.
document.addEventListener('dragover', (e) => e.preventDefault());
document.addEventListener('drop', (e) => {
  e.preventDefault();
  const file = e.dataTransfer.files[0];
  const text = e.dataTransfer.getData('text/uri-list') || e.dataTransfer.getData('text/plain');
  if (file) {
    watchFile(file);
  } else if (text) {
    watchLink(text.trim());
  }
});

// A link opened, or pasted over the page's own address.
const opened = () => Module.calledRun && location.hash.length > 1 && watchLink(location.hash);
window.addEventListener('hashchange', opened);
(Module.postRun = Module.postRun || []).push(opened);
})();
