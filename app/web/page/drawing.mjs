// Drawing a view: its chunks through its camera, on WebGL2 where the browser has it and
// on a 2D canvas otherwise, with the world axes and the rubber band of a rectangle
// selection over it. A view is drawn at most once per animation frame, and only when
// something it shows changed: its camera, size, drawing or selection.
import { projection } from './camera.mjs';
import { createCanvasDrawing } from './canvas_drawing.mjs';
import { createGlDrawing } from './gl_drawing.mjs';
import { CONSTRAINED_COLOR, GIZMO_COLORS, gizmoPaths } from './gizmo.mjs';
import { page } from './page_state.mjs';

const AXIS_COLORS = ['#e06666', '#6ccf7f', '#6f9bf0'];
const SVG = 'http://www.w3.org/2000/svg';

function svg(tag, attributes = {}) {
  const element = document.createElementNS(SVG, tag);
  for (const [key, value] of Object.entries(attributes)) element.setAttribute(key, value);
  return element;
}

// Makes the view's drawing surface: WebGL2 where the canvas can have it.
function makeSurface(view) {
  let drawing = null;
  try {
    drawing = createGlDrawing(view.canvas);
  } catch (e) {
    console.warn(`WebGL2 drawing unavailable, drawing on a 2D canvas: ${e.message}`);
  }
  view.surface = { drawing: drawing || createCanvasDrawing(view.canvas), kind: drawing ? 'webgl2' : '2d' };
  view.surface.drawing.setSelected(...shownSelection.args);
  return view.surface;
}

// Gives the view its drawing surface, made when first used (a WebGL2 context and its
// shaders cost a software renderer a good part of a page load, and views laid out
// before the scene's are known are never drawn), and the overlay its axes and rubber
// band show on.
export function attachDrawing(view) {
  Object.defineProperty(view, 'drawing', { get: () => (view.surface || makeSurface(view)).drawing });
  Object.defineProperty(view, 'drawingKind', { get: () => (view.surface || makeSurface(view)).kind });
  const overlay = svg('svg', { class: 'overlay' });
  const axes = [0, 1, 2].map((i) => {
    const g = svg('g', { stroke: AXIS_COLORS[i], fill: AXIS_COLORS[i] });
    g.append(svg('line', { 'stroke-width': 2 }), svg('text', { stroke: 'none' }));
    g.lastChild.textContent = 'XYZ'[i];
    overlay.append(g);
    return g;
  });
  const band = svg('rect', { fill: 'none', stroke: '#e8c34a', 'stroke-dasharray': '4 3', visibility: 'hidden' });
  const gizmo = [0, 1, 2].map(() => svg('path', { fill: 'none', 'stroke-width': 1.5 }));
  overlay.append(...gizmo, band);
  view.root.append(overlay);
  view.overlay = { axes, band, gizmo };
}

// While its camera moves, a view whose frames come more than SLOW_FRAME_MS apart, twice
// running, draws its moving frames fast from then on (one-pixel lines and markers: a
// software renderer spends most of a frame on the full strokes). Fast frames that still
// come later than FRAME_BUDGET_MS after the one before, twice running, thin the next
// ones a step: of each large run of force samples only every second, third, ... (up to
// the last of STRIDES) is drawn. After CALM_FRAMES frames running that would have kept
// within the budget at the step below, counting their time as all drawing, the thinning
// eases a step. The full picture follows once the camera has rested for REST_MS.
const SLOW_FRAME_MS = 40;
const FRAME_BUDGET_MS = 33;
const CALM_FRAMES = 4;
const STRIDES = [1, 2, 3, 4, 6, 8];
const REST_MS = 160;

// The view's camera was just moved by the user.
export function noteMotion(view) {
  view.movedAt = performance.now();
  clearTimeout(view.restTimer);
  view.restTimer = setTimeout(() => scheduleDraw(view), REST_MS);
}

// How the view's frame drawn at `now` is drawn: 0 in full, else fast, drawing every
// n-th force sample of large runs (1: all); learns from the frames' pace.
export function motionFrame(view, now) {
  const moving = now - (view.movedAt ?? -Infinity) < REST_MS;
  const gap = now - (view.movingDrawnAt ?? Infinity);
  view.movingDrawnAt = moving ? now : undefined;
  if (!moving) return 0;
  // The first frame of a motion has no pace to learn from.
  if (!Number.isFinite(gap)) return view.fastMotion ? view.stride : 0;
  if (!view.fastMotion) {
    view.slowFrames = gap > SLOW_FRAME_MS ? (view.slowFrames || 0) + 1 : 0;
    view.fastMotion = view.slowFrames >= 2;
    view.stride = 1;
    view.overFrames = 0;
    view.calmFrames = 0;
    return view.fastMotion ? 1 : 0;
  }
  const at = STRIDES.indexOf(view.stride);
  view.overFrames = gap > FRAME_BUDGET_MS ? view.overFrames + 1 : 0;
  view.calmFrames = at > 0 && (gap * view.stride) / STRIDES[at - 1] < FRAME_BUDGET_MS ? view.calmFrames + 1 : 0;
  if (view.overFrames >= 2 && at < STRIDES.length - 1) {
    view.stride = STRIDES[at + 1];
    view.overFrames = 0;
  } else if (view.calmFrames >= CALM_FRAMES) {
    view.stride = STRIDES[at - 1];
    view.calmFrames = 0;
  }
  return view.stride;
}

export function scheduleDraw(view) {
  if (view.pending) return;
  view.pending = true;
  requestAnimationFrame(() => {
    view.pending = false;
    drawView(view, motionFrame(view, performance.now()));
  });
}

// The projection the view is drawn with now, or null before the host gave its camera.
export function projectionOf(view) {
  return view.camera ? projection(view.camera, view.w, view.h) : null;
}

// `motion`: 0 for the full picture, else the thinning of a fast moving frame (see
// motionFrame).
export function drawView(view, motion = 0) {
  const p = projectionOf(view);
  // A view not laid out yet draws nothing: its first frame is drawn at its real size.
  if (!p || view.w < 1 || view.h < 1) return;
  view.drawing.draw(p, view.dpr, motion);
  drawTripod(view, p);
  drawGizmo(view, p);
  showRubberBand(view);
}

// The transform gizmo at the selection, in the axis colours, the constrained axes in
// yellow.
function drawGizmo(view, p) {
  const state = page.state;
  const gizmo = state && state.gizmo;
  const paths = gizmo ? gizmoPaths(p, gizmo, state.tool) : ['', '', ''];
  view.overlay.gizmo.forEach((path, axis) => {
    path.setAttribute('d', paths[axis]);
    const constrained = state && state.axes && state.axes.includes('xyz'[axis]);
    path.setAttribute('stroke', constrained ? CONSTRAINED_COLOR : GIZMO_COLORS[axis]);
  });
}

// The world axes as the view shows them, bottom left.
function drawTripod(view, p) {
  const ox = 28;
  const oy = view.h - 28;
  view.overlay.axes.forEach((g, i) => {
    const x = p.right[i];
    const y = -p.up[i];
    const shown = Math.hypot(x, y) >= 0.05;
    g.setAttribute('visibility', shown ? 'visible' : 'hidden');
    if (!shown) return;
    const [line, text] = g.children;
    line.setAttribute('x1', ox);
    line.setAttribute('y1', oy);
    line.setAttribute('x2', ox + 18 * x);
    line.setAttribute('y2', oy + 18 * y);
    text.setAttribute('x', ox + 23 * x - 3);
    text.setAttribute('y', oy + 23 * y + 4);
  });
}

// The rubber band of a rectangle selection as it stands. It lies over the view, so a
// move of it alone leaves the view's picture as it is.
export function showRubberBand(view) {
  const drag = page.drag;
  const band = view.overlay.band;
  const shown = !!drag && drag.view === view.index && drag.rubber && !!page.state && page.state.drag === 'rectangle';
  band.setAttribute('visibility', shown ? 'visible' : 'hidden');
  if (!shown) return;
  band.setAttribute('x', Math.min(drag.x0, drag.x) + 0.5);
  band.setAttribute('y', Math.min(drag.y0, drag.y) + 0.5);
  band.setAttribute('width', Math.abs(drag.x - drag.x0));
  band.setAttribute('height', Math.abs(drag.y - drag.y0));
}

// Gives the views the chunks of the store that changed for them (all, without `which`)
// and draws them again.
// A view with nothing to show and no surface yet makes its surface at its first frame:
// views just laid out make theirs while the host draws for them, not before the page
// has told it their sizes.
export function showChunks(store, which = null) {
  for (const view of page.views) {
    if (which && !which.includes(view.index)) continue;
    const chunks = store.chunksOf(view.index);
    if (chunks.length || view.surface) view.drawing.setChunks(chunks);
    scheduleDraw(view);
  }
}

const shownSelection = { key: '', args: [[], [0, 0, 0], []] };

// Shows the nodes of `ids` selected, in `color` (red, green, blue from 0 to 1), and those
// of `hovered` lightened, in every view (those without a surface yet show it once they
// have one); draws again only when that changed.
export function showSelection(ids, color, force = false, hovered = []) {
  const key = JSON.stringify([[...ids].sort((a, b) => a - b), color, hovered]);
  if (key === shownSelection.key && !force) return;
  shownSelection.key = key;
  shownSelection.args = [ids, color, hovered];
  for (const view of page.views) {
    if (!view.surface) continue;
    view.drawing.setSelected(ids, color, hovered);
    scheduleDraw(view);
  }
}

// The view's picture as a PNG data address, drawn now: for tests that compare it.
export function pictureOf(view) {
  drawView(view);
  return view.canvas.toDataURL('image/png');
}
