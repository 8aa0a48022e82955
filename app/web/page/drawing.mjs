// Drawing a view on its canvas: the host's frame, the world axes and the rubber band
// of a rectangle selection. A view is drawn at most once per animation frame.
import { page } from './page_state.mjs';

const AXIS_COLORS = ['#e06666', '#6ccf7f', '#6f9bf0'];
const BACKGROUND = '#1c1f26';

// A colour of the host's frames (0x00BBGGRR) as CSS.
export function cssColor(bgr) {
  return `rgb(${bgr & 0xff},${(bgr >> 8) & 0xff},${(bgr >> 16) & 0xff})`;
}

function drawMarker(ctx, code, x, y) {
  switch (code) {
    case 1: ctx.strokeRect(x - 3.5, y - 3.5, 7, 7); break;
    case 2: ctx.beginPath(); ctx.moveTo(x - 3.5, y); ctx.lineTo(x + 3.5, y); ctx.moveTo(x, y - 3.5); ctx.lineTo(x, y + 3.5); ctx.stroke(); break;
    case 4: ctx.beginPath(); ctx.moveTo(x - 3, y - 3); ctx.lineTo(x + 3, y + 3); ctx.moveTo(x - 3, y + 3); ctx.lineTo(x + 3, y - 3); ctx.stroke(); break;
    case 10: ctx.beginPath(); ctx.arc(x, y, 2.5, 0, 2 * Math.PI); ctx.stroke(); break;
    case 14: ctx.beginPath(); ctx.arc(x, y, 2.5, 0, 2 * Math.PI); ctx.fill(); break;
    default: ctx.fillRect(x - 0.5, y - 0.5, 1, 1);
  }
}

export function scheduleDraw(view) {
  if (view.pending) return;
  view.pending = true;
  requestAnimationFrame(() => { view.pending = false; drawView(view); });
}

function drawFrame(ctx, frame) {
  ctx.lineWidth = 1;
  ctx.lineJoin = 'round';
  const xy = frame.xy;
  let p = 0;
  for (const item of frame.items) {
    ctx.strokeStyle = ctx.fillStyle = cssColor(item.color);
    if (item.kind === 0) {
      ctx.beginPath();
      ctx.moveTo(xy[p], xy[p + 1]);
      for (let i = 1; i < item.points; i++) ctx.lineTo(xy[p + 2 * i], xy[p + 2 * i + 1]);
      if (item.closed) ctx.closePath();
      ctx.stroke();
    } else if (item.kind === 1) {
      ctx.beginPath();
      for (let i = 0; i + 1 < item.points; i += 2) {
        const q = p + 2 * i;
        ctx.moveTo(xy[q], xy[q + 1]);
        ctx.lineTo(xy[q + 2], xy[q + 3]);
      }
      ctx.stroke();
    } else {
      for (let i = 0; i < item.points; i++) drawMarker(ctx, item.code, xy[p + 2 * i], xy[p + 2 * i + 1]);
    }
    p += 2 * item.points;
  }
}

export function drawView(view) {
  const { ctx, dpr } = view;
  ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
  ctx.fillStyle = BACKGROUND;
  ctx.fillRect(0, 0, view.w, view.h);
  const frame = view.frame;
  if (frame) {
    // A frame drawn for another size (while the window is resized) is stretched.
    ctx.scale(view.w / frame.width, view.h / frame.height);
    drawFrame(ctx, frame);
    ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
  }
  drawTripod(view);
  drawRubberBand(view);
}

// The world axes as the view shows them, bottom left.
function drawTripod(view) {
  const info = page.state && page.state.views[view.index];
  if (!info) return;
  const { ctx } = view;
  const ox = 28;
  const oy = view.h - 28;
  ctx.lineWidth = 2;
  ctx.font = '11px "DejaVu Sans", sans-serif';
  info.axes.forEach(([x, y], i) => {
    if (Math.hypot(x, y) < 0.05) return;
    ctx.strokeStyle = ctx.fillStyle = AXIS_COLORS[i];
    ctx.beginPath();
    ctx.moveTo(ox, oy);
    ctx.lineTo(ox + 18 * x, oy + 18 * y);
    ctx.stroke();
    ctx.fillText('XYZ'[i], ox + 23 * x - 3, oy + 23 * y + 4);
  });
  ctx.lineWidth = 1;
}

function drawRubberBand(view) {
  const drag = page.drag;
  if (!drag || drag.view !== view.index || !drag.rubber || !page.state || page.state.drag !== 'rectangle') return;
  const { ctx } = view;
  ctx.save();
  ctx.strokeStyle = '#e8c34a';
  ctx.setLineDash([4, 3]);
  ctx.strokeRect(Math.min(drag.x0, drag.x) + 0.5, Math.min(drag.y0, drag.y) + 0.5,
                 Math.abs(drag.x - drag.x0), Math.abs(drag.y - drag.y0));
  ctx.restore();
}
