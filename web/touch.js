// The touch controls: a stick on the left that steers as the arrows do and a fire button on the
// right that holds z, shown from the first touch on and hidden again at the first key or pad
// button.
//
// SDL's own finger events come from the canvas alone, and the controls sit beside the picture
// or below it. So the page follows every finger on the whole document itself, finds what lies
// under each, and hands that to the game (driftbeam_touch in app/events.cpp), which turns the
// fingers into a pad and the pad into keys on the loop's own path, as a real pad's are.
(function() {
const kDown = 0, kMove = 1, kUp = 2;                   // app/touch.h's TouchEventType
const kNone = 0, kStick = 1, kFire = 2, kPicture = 3;  // and TouchControl
// The stick's full travel is its ring, 80 of the 100 from its centre to its box's edge: a
// thumb may overshoot the ring a little before it slides off.
const kTravel = 0.8;
const root = document.documentElement;
const canvas = document.getElementById('canvas');
const stick = document.getElementById('stick');
const knob = document.getElementById('knob');
const fire = document.getElementById('fire');
const fireRing = document.getElementById('fire-ring');
// Each finger on the page and what lies under it; the fingers that showed the controls
// are null, and do nothing more until they lift.
const fingers = new Map();
let stickFinger = null;  // drawn as the game follows it: the first finger on the stick

function inside(box, x, y) {
  return x >= box.left && x < box.right && y >= box.top && y < box.bottom;
}

// The control under a point, and on the stick how far it is pushed, right and down positive.
function under(x, y) {
  const box = stick.getBoundingClientRect();
  if (inside(box, x, y)) {
    const reach = box.width / 2 * kTravel;
    const dx = (x - box.left - box.width / 2) / reach, dy = (y - box.top - box.height / 2) / reach;
    return {control: kStick, dx: dx, dy: dy};
  }
  if (inside(fire.getBoundingClientRect(), x, y)) return {control: kFire, dx: 0, dy: 0};
  if (inside(canvas.getBoundingClientRect(), x, y)) return {control: kPicture, dx: 0, dy: 0};
  return {control: kNone, dx: 0, dy: 0};
}

function tell(type, id, at) {
  // Touches before the game has started have nothing to steer.
  if (Module._driftbeam_touch) Module._driftbeam_touch(type, id, at.control, at.dx, at.dy);
}

function draw() {
  if (stickFinger !== null && fingers.get(stickFinger)?.control !== kStick) stickFinger = null;
  let onFire = false;
  for (const [id, at] of fingers) {
    if (at === null) continue;
    if (stickFinger === null && at.control === kStick) stickFinger = id;
    onFire = onFire || at.control === kFire;
  }
  const at = stickFinger === null ? {dx: 0, dy: 0} : fingers.get(stickFinger);
  const length = Math.hypot(at.dx, at.dy), within = length > 1 ? 1 / length : 1;
  knob.setAttribute('transform', `translate(${at.dx * within * 80} ${at.dy * within * 80})`);
  knob.classList.toggle('lit', stickFinger !== null);
  fireRing.classList.toggle('lit', onFire);
}

function show(on) {
  if (root.classList.contains('touch') === on) return;
  root.classList.toggle('touch', on);
  Layout.fit();
  if (on) requestAnimationFrame(watchPads);
}

// Browsers tell a page of a pad's buttons only when it asks; it asks while the controls show.
function watchPads() {
  if (!root.classList.contains('touch')) return;
  const pads = navigator.getGamepads ? navigator.getGamepads() : [];
  for (const pad of pads) {
    if (pad && pad.buttons.some((button) => button.pressed)) return show(false);
  }
  requestAnimationFrame(watchPads);
}

document.addEventListener('touchstart', function(event) {
  // The buttons, and a link shown to copy by hand, take their own taps, which the browser
  // makes clicks of.
  if (event.target.closest && event.target.closest('button, a')) return;
  event.preventDefault();
  const revealing = !root.classList.contains('touch');
  show(true);
  for (const touch of event.changedTouches) {
    const at = revealing ? null : under(touch.clientX, touch.clientY);
    fingers.set(touch.identifier, at);
    if (at) tell(kDown, touch.identifier, at);
  }
  draw();
}, {passive: false});

document.addEventListener('touchmove', function(event) {
  event.preventDefault();
  for (const touch of event.changedTouches) {
    if (!fingers.get(touch.identifier)) continue;
    const at = under(touch.clientX, touch.clientY);
    fingers.set(touch.identifier, at);
    tell(kMove, touch.identifier, at);
  }
  draw();
}, {passive: false});

function lift(event) {
  for (const touch of event.changedTouches) {
    if (fingers.get(touch.identifier)) tell(kUp, touch.identifier, {control: kNone, dx: 0, dy: 0});
    fingers.delete(touch.identifier);
  }
  draw();
  // The browser lets a page sound from the end of a touch on, as from a key press.
  if (Module._driftbeam_touch_ended) Module._driftbeam_touch_ended();
}
document.addEventListener('touchend', lift);
document.addEventListener('touchcancel', lift);

window.addEventListener('keydown', function() {
  show(false);
}, true);
})();
