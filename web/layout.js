// Where the picture, the line under it, the page's links and the touch controls go in the
// window as it is, and the full-screen button.
const Layout = (function() {
  const kWidth = 640, kHeight = 480;  // the game's picture
  const kGap = 8;
  const kLinksTop = 4;  // the links' line from the window's top edge, where keys play
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

  // Share, save, submit and replay a file (links.js), once they are on the page. A picture laid
  // over them would hide them and take the taps meant for them, and a tap on the picture after
  // "game over" starts the next game: they always have room of their own. Where fingers play
  // they grow as a game ends and shrink as the next begins, and the controls move down out of
  // their way while they need it.
  let watched = null;
  function placeLinks(left, top, width) {
    const links = document.getElementById('driftbeam-bar');
    if (!links) return 0;
    if (watched !== links && window.ResizeObserver) {
      watched = links;
      new ResizeObserver(fit).observe(links);
    }
    place(links, left, top, width);
    return links.offsetHeight;
  }

  // The controls' top where they rest, or lower, below the links that end at linksBottom, as
  // far as the window's bottom edge allows.
  function clearOfLinks(top, linksBottom, size, h) {
    return Math.max(top, Math.min(linksBottom + kGap, h - size - kGap));
  }

  function place(element, left, top, width, height) {
    element.style.left = left + 'px';
    element.style.top = top + 'px';
    if (width !== undefined) element.style.width = width + 'px';
    if (height !== undefined) element.style.height = height + 'px';
  }

  // Keys: the links along the top, then the picture centred with the line of keys under it,
  // wrapped to the window's width.
  function fitForKeys(w, h) {
    const above = kLinksTop + placeLinks(0, kLinksTop, w) + kLinksTop;
    place(bar, kGap, 0, Math.max(w - 2 * kGap, 0));
    const room = h - above - bar.offsetHeight - kGap;
    const scale = scaleFor(w, room);
    const top = above + Math.max((room - kHeight * scale) / 2, 0);
    place(canvas, (w - kWidth * scale) / 2, top, kWidth * scale, kHeight * scale);
    place(bar, kGap, top + kHeight * scale + kGap);
    return scale;
  }

  // Touch, held sideways: the picture as tall as the window where that leaves each side a
  // column for a thumb's control, the controls a little below the middle, where thumbs rest.
  // The links head the stick's column, as the full-screen button heads the other.
  function fitSideways(w, h) {
    const scale = scaleFor(w - 2 * (kMinControl + 2 * kGap), h);
    const width = kWidth * scale, height = kHeight * scale;
    const left = (w - width) / 2;
    const size = Math.min(left - 2 * kGap, h * 0.45, kMaxControl);
    place(canvas, left, (h - height) / 2, width, height);
    place(bar, left + width, kGap, w - left - width);
    const linksBottom = kGap + placeLinks(0, kGap, left);
    const top = clearOfLinks(Math.min(h * 0.6 - size / 2, h - size - kGap), linksBottom, size, h);
    place(stick, (left - size) / 2, top, size, size);
    place(fire, left + width + (w - left - width - size) / 2, top, size, size);
    return scale;
  }

  // Touch, held upright: the picture across the top, the controls in the room below it, and
  // the links between, where a line that grows at "game over" moves nothing else.
  function fitUpright(w, h) {
    const size = Math.min(Math.max(Math.min(w * 0.4, h * 0.22), kMinControl), kMaxControl);
    place(bar, 0, 0, w);
    const barHeight = bar.offsetHeight;
    const scale = scaleFor(w, h - size - barHeight - 3 * kGap);
    const width = kWidth * scale, height = kHeight * scale;
    place(canvas, (w - width) / 2, 0, width, height);
    place(bar, 0, height + kGap);
    const below = height + barHeight + 2 * kGap;
    const linksBottom = below + placeLinks(0, below, w);
    const top = clearOfLinks(below + Math.max((h - below - size) / 2, 0), linksBottom, size, h);
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
