// Where the picture, the line under it and the touch controls go in the window as it is, and
// the full-screen button.
const Layout = (function() {
  const kWidth = 640, kHeight = 480;  // the game's picture
  const kGap = 8;
  // A control's side: never smaller than a thumb, nor larger than one reaches over.
  const kMinControl = 96, kMaxControl = 200;
  const root = document.documentElement;
  const canvas = document.getElementById('canvas');
  const bar = document.getElementById('bar');
  const stick = document.getElementById('stick');
  const fire = document.getElementById('fire');
  const full = document.getElementById('full');

  // As large as the room holds it, in whole multiples of 640 x 480 wherever one fits, so the
  // pixels stay square and sharp; smaller than the game only as much as it must.
  function scaleFor(width, height) {
    const scale = Math.max(Math.min(width / kWidth, height / kHeight), 0);
    return scale >= 1 ? Math.floor(scale) : scale;
  }

  function place(element, left, top, width, height) {
    element.style.left = left + 'px';
    element.style.top = top + 'px';
    if (width !== undefined) element.style.width = width + 'px';
    if (height !== undefined) element.style.height = height + 'px';
  }

  // Keys: the picture centred with the line of keys under it, wrapped to the window's width.
  function fitForKeys(w, h) {
    place(bar, kGap, 0, Math.max(w - 2 * kGap, 0));
    const room = h - bar.offsetHeight - kGap;
    const scale = scaleFor(w, room);
    const top = Math.max((room - kHeight * scale) / 2, 0);
    place(canvas, (w - kWidth * scale) / 2, top, kWidth * scale, kHeight * scale);
    place(bar, kGap, top + kHeight * scale + kGap);
    return scale;
  }

  // Touch, held sideways: the picture as tall as the window where that leaves each side a
  // column for a thumb's control, the controls a little below the middle, where thumbs rest.
  function fitSideways(w, h) {
    const scale = scaleFor(w - 2 * (kMinControl + 2 * kGap), h);
    const width = kWidth * scale, height = kHeight * scale;
    const left = (w - width) / 2;
    const size = Math.min(left - 2 * kGap, h * 0.45, kMaxControl);
    place(canvas, left, (h - height) / 2, width, height);
    const top = Math.min(h * 0.6 - size / 2, h - size - kGap);
    place(stick, (left - size) / 2, top, size, size);
    place(fire, left + width + (w - left - width - size) / 2, top, size, size);
    place(bar, left + width, kGap, w - left - width);
    return scale;
  }

  // Touch, held upright: the picture across the top, the controls in the room below it.
  function fitUpright(w, h) {
    const size = Math.min(Math.max(Math.min(w * 0.4, h * 0.22), kMinControl), kMaxControl);
    place(bar, 0, 0, w);
    const barHeight = bar.offsetHeight;
    const scale = scaleFor(w, h - size - barHeight - 3 * kGap);
    const width = kWidth * scale, height = kHeight * scale;
    place(canvas, (w - width) / 2, 0, width, height);
    place(bar, 0, height + kGap);
    const below = height + barHeight + 2 * kGap;
    const top = below + Math.max((h - below - size) / 2, 0);
    const margin = Math.max((w / 2 - size) / 2, kGap);
    place(stick, margin, top, size, size);
    place(fire, w - margin - size, top, size, size);
    return scale;
  }

  function fit() {
    const w = window.innerWidth, h = window.innerHeight;
    let scale;
    if (!root.classList.contains('touch')) {
      scale = fitForKeys(w, h);
    } else if (w >= h) {
      scale = fitSideways(w, h);
    } else {
      scale = fitUpright(w, h);
    }
    canvas.classList.toggle('smooth', scale < 1);
  }

  // Where the browser offers it; a phone's browser that does not (or an installed page shown
  // full screen already) gets no button.
  full.hidden = !document.fullscreenEnabled;
  full.addEventListener('click', function() {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(function() {});
    } else {
      root.requestFullscreen({navigationUI: 'hide'}).catch(function() {});
    }
    // Keys go back to the game, never to the button: Space would press it again.
    canvas.focus();
  });
  document.addEventListener('fullscreenchange', function() {
    full.textContent = document.fullscreenElement ? 'leave full screen' : 'full screen';
  });
  window.addEventListener('resize', fit);

  return {fit: fit};
})();
Layout.fit();
