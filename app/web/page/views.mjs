// The viewports: building their canvases, keeping each canvas at whole pixels of its
// box, the layout and the active view, and turning the pointer in a view into
// navigation (orbit, pan, zoom) or into pointer events for the host.
import { attachDrawing, scheduleDraw, showRubberBand } from './drawing.mjs';
import { outbox } from './host_link.mjs';
import { gridOf, shownViews, toggledLayout } from './layout.mjs';
import { NAV_ORBIT, NAV_PAN, navigate, zoomView } from './navigation.mjs';
import { $, page } from './page_state.mjs';
import { openViewMenu } from './view_menu.mjs';

export { NAV_ORBIT, NAV_PAN };

export function buildViews(count) {
  const host = $('viewports');
  host.replaceChildren();
  for (const view of page.views) view.observer.disconnect();
  page.views = [];
  for (let i = 0; i < count; i++) {
    const root = document.createElement('div');
    root.className = 'viewport';
    root.dataset.view = String(i);
    const canvas = document.createElement('canvas');
    const label = document.createElement('button');
    label.type = 'button';
    label.className = 'label';
    label.title = 'View menu: projection, framing; double-click maximises (Alt+W)';
    root.append(canvas, label);
    host.append(root);
    const view = { index: i, root, canvas, label, w: 0, h: 0, dpr: 1, camera: null, unheard: 0 };
    attachDrawing(view);
    page.views.push(view);
    attachInput(view);
    view.observer = new ResizeObserver(() => remeasure(view));
    view.observer.observe(root);
  }
  setActiveView(Math.min(page.activeView, count - 1));
  applyLayout(false);
}

// Measures the view again and tells the host of a new size (once it has heard the
// views' sizes: until then its hello will carry them).
function remeasure(view) {
  if (!measure(view)) return;
  if (page.sized) outbox.send({ type: 'resize', view: view.index, width: view.w, height: view.h }, `resize${view.index}`);
  scheduleDraw(view);
}

// The views' sizes for the host's hello: a view not laid out yet (or hidden) counts as
// one pixel until it is measured.
export function viewSizes() {
  return page.views.map((v) => ({ width: Math.max(1, v.w), height: Math.max(1, v.h) }));
}

// Shows the views of the current layout, in a grid that fills the viewport area, and
// sizes their canvases for it, telling the host of new sizes unless `tell` is false
// (views just built, whose sizes the hello carries).
export function applyLayout(tell = true) {
  const count = page.views.length;
  if (!count) return;
  const shown = shownViews(page.layout, count, page.activeView);
  const [columns, rows] = gridOf(shown.length);
  const host = $('viewports');
  host.style.gridTemplateColumns = `repeat(${columns}, minmax(0, 1fr))`;
  host.style.gridTemplateRows = `repeat(${rows}, minmax(0, 1fr))`;
  for (const view of page.views) view.root.hidden = !shown.includes(view.index);
  // A layout shows what the views allow: a scene of two views has no four-view layout.
  for (const button of document.querySelectorAll('#layouts button')) {
    const n = Number(button.dataset.layout);
    button.classList.toggle('active', n === Math.min(page.layout, count) || (n === 4 && count === 3 && page.layout > 2));
    button.disabled = n > count && !(n === 4 && count === 3);
  }
  for (const view of page.views) {
    if (view.root.hidden) continue;
    if (tell) remeasure(view);
    else measure(view);
  }
}

export function setLayout(layout) {
  if (page.layout === layout) return;
  if (layout === 1) page.previousLayout = page.layout;
  page.layout = layout;
  applyLayout();
}

// Maximises the active view, or gives back the layout it was maximised from.
export function toggleMaximized() {
  const next = toggledLayout(page.layout, page.previousLayout, page.views.length);
  page.layout = next.layout;
  page.previousLayout = next.previous;
  applyLayout();
}

// Sizes the canvas to whole pixels of its box, so that the host draws on exactly the
// pixels the pointer reports; true when the size changed. A box that is not laid out
// (hidden, or before the first layout) keeps the size it had.
function measure(view) {
  if (!view.root.isConnected || view.root.hidden) return false;
  const w = view.root.clientWidth;
  const h = view.root.clientHeight;
  if (w < 1 || h < 1) return false;
  const dpr = window.devicePixelRatio || 1;
  if (w === view.w && h === view.h && dpr === view.dpr) return false;
  view.w = w;
  view.h = h;
  view.dpr = dpr;
  view.canvas.style.width = `${w}px`;
  view.canvas.style.height = `${h}px`;
  view.canvas.width = Math.round(w * dpr);
  view.canvas.height = Math.round(h * dpr);
  return true;
}

export function setActiveView(index) {
  if (index < 0 || index >= page.views.length) return;
  page.activeView = index;
  page.views.forEach((v) => v.root.classList.toggle('active', v.index === index));
}

// Which navigation a button press starts, if any: the middle button pans; the right
// button, or the left one with Alt, orbits a perspective view and pans the others.
// `creating`: a class is being created, where a right click cancels instead.
export function navigationFor(e, { perspective, creating }) {
  if (e.button === 1) return NAV_PAN;
  if (e.button === 2 && creating) return null;
  if (e.button === 2 || (e.button === 0 && e.altKey)) {
    if (e.shiftKey) return NAV_PAN;
    return perspective ? NAV_ORBIT : NAV_PAN;
  }
  return null;
}

// The wheel's zoom factor: above 1 brings the scene closer.
export function wheelFactor(e) {
  return Math.exp(-e.deltaY * (e.deltaMode === 1 ? 0.05 : 0.0015));
}

function pointerMessage(view, e, phase) {
  return {
    type: 'pointer', view: view.index, phase, x: Math.round(e.offsetX), y: Math.round(e.offsetY),
    button: e.button === 2 ? 2 : 0, additive: e.shiftKey || e.ctrlKey,
  };
}

// How long the pointer rests before the host is asked what it hovers.
const HOVER_REST_MS = 80;

function attachInput(view) {
  const { canvas, label } = view;
  label.addEventListener('click', (e) => {
    e.stopPropagation();
    setActiveView(view.index);
    openViewMenu(view, { toggleMaximized });
  });
  label.addEventListener('dblclick', (e) => {
    e.stopPropagation();
    setActiveView(view.index);
    openViewMenu(null);
    toggleMaximized();
  });
  canvas.addEventListener('contextmenu', (e) => e.preventDefault());
  canvas.addEventListener('pointerdown', (e) => {
    clearTimeout(view.hoverTimer);
    setActiveView(view.index);
    canvas.setPointerCapture(e.pointerId);
    const info = page.state && page.state.views[view.index];
    const nav = navigationFor(e, {
      perspective: !!info && info.projection === 'perspective', creating: !!(page.state && page.state.create),
    });
    if (nav) {
      page.drag = { view: view.index, nav, x: e.offsetX, y: e.offsetY };
      return;
    }
    if (e.button === 0) {
      page.drag = { view: view.index, x0: e.offsetX, y0: e.offsetY, x: e.offsetX, y: e.offsetY, rubber: true };
      outbox.send(pointerMessage(view, e, 'down'));
    } else if (e.button === 2) {
      outbox.send(pointerMessage(view, e, 'down'));
    }
  });
  canvas.addEventListener('pointermove', (e) => {
    const drag = page.drag;
    // The right button pressed during a drag cancels it, as Escape does.
    if (drag && drag.view === view.index && !drag.nav && e.button === 2 && (e.buttons & 2)) {
      page.drag = null;
      outbox.send({ type: 'key', key: 'Escape' });
      showRubberBand(view);
      return;
    }
    if (drag && drag.view === view.index && drag.nav) {
      const dx = e.offsetX - drag.x;
      const dy = e.offsetY - drag.y;
      drag.x = e.offsetX;
      drag.y = e.offsetY;
      if (dx || dy) navigate(view, drag.nav, dx, dy);
      return;
    }
    if (drag && drag.view === view.index) {
      drag.x = e.offsetX;
      drag.y = e.offsetY;
      outbox.send(pointerMessage(view, e, 'move'), 'move');
      showRubberBand(view);
    } else if (page.state && page.state.create) {
      outbox.send(pointerMessage(view, e, 'move'), 'move');  // free moves show the snap
    } else if (!e.buttons) {
      // Once the pointer rests, the host lightens the node a click there would select;
      // a pointer passing over asks nothing, so clicks never wait behind hit tests.
      const at = { view: view.index, x: Math.round(e.offsetX), y: Math.round(e.offsetY) };
      clearTimeout(view.hoverTimer);
      view.hoverTimer = setTimeout(() => outbox.send({ type: 'hover', ...at }, 'hover'), HOVER_REST_MS);
    }
  });
  canvas.addEventListener('pointerleave', () => {
    clearTimeout(view.hoverTimer);
    if (page.state && page.state.hover) outbox.send({ type: 'hover' }, 'hover');
  });
  const finish = (e) => {
    const drag = page.drag;
    if (!drag || drag.view !== view.index) return;
    page.drag = null;
    if (!drag.nav && e.button === 0) outbox.send(pointerMessage(view, e, 'up'));
    if (drag.nav) scheduleDraw(view);
    else showRubberBand(view);
  };
  canvas.addEventListener('pointerup', finish);
  canvas.addEventListener('pointercancel', finish);
  canvas.addEventListener('wheel', (e) => {
    e.preventDefault();
    zoomView(view, wheelFactor(e), e.offsetX, e.offsetY);
  }, { passive: false });
}
