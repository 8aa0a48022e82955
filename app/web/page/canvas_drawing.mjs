// Drawing a view on a 2D canvas, for a browser without WebGL2: the same picture as
// the WebGL2 drawing (app/web/page/gl_drawing.mjs), its records projected on the CPU
// every frame. Lines first, then markers, as there.
import { inFront, projectLine, toView, viewToPixel } from './camera.mjs';
import {
  DRAWN_IN_NODE_COLOR, eachLine, eachMarker, HOST_NODE, POLYLINE_START, STYLE_FORCE, STYLE_HOST_LINE, STYLE_OBJECT_LINE,
} from './frame_decoding.mjs';
import { FORCE_BASE_ALPHA, HOVER_LIGHTEN, SKY_BOTTOM, SKY_TOP } from './gl_drawing.mjs';
import { drawMarkerShape, markerShape } from './marker_shapes.mjs';

const css = (rgb, alpha = 1) => `rgba(${rgb[0]},${rgb[1]},${rgb[2]},${alpha})`;
const bytes = (c) => [c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff];
const unit = (c) => c.map((v) => Math.round(v * 255));
const WIDTHS = [1, 1.3, 1.5, 1];

export function createCanvasDrawing(canvas) {
  const ctx = canvas.getContext('2d');
  return ctx && new CanvasDrawing(ctx);
}

class CanvasDrawing {
  constructor(ctx) {
    this.ctx = ctx;
    this.chunks = [];
    this.selected = new Set();
    this.hovered = new Set();
    this.selection = [0, 0, 0];
  }

  setChunks(chunks) { this.chunks = chunks; }

  setSelected(ids, color, hovered = []) {
    this.selected = new Set(ids);
    this.hovered = new Set(hovered);
    this.selection = unit(color);
  }

  colorOf(rgb, word) {
    const id = word & HOST_NODE;
    if ((word >>> 24) & DRAWN_IN_NODE_COLOR && id !== HOST_NODE) {
      if (this.selected.has(id)) return this.selection;
      if (this.hovered.has(id)) return bytes(rgb).map((c) => Math.round(c + (255 - c) * HOVER_LIGHTEN));
    }
    return bytes(rgb);
  }

  draw(p, dpr) {
    const { ctx } = this;
    ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
    const sky = ctx.createLinearGradient(0, 0, 0, p.height);
    sky.addColorStop(0, css(unit(SKY_TOP)));
    sky.addColorStop(1, css(unit(SKY_BOTTOM)));
    ctx.fillStyle = sky;
    ctx.fillRect(0, 0, p.width, p.height);
    ctx.lineCap = 'round';
    ctx.lineJoin = 'round';
    // As the renderer strokes them: each polyline as one path, each segment on its own
    // (lines that overlap darken their edges alike), a force segment fading.
    let open = false;
    const flush = () => {
      if (open) ctx.stroke();
      open = false;
    };
    eachLine(this.chunks, (a, b, rgb, style, word) => {
      const polyline = style === STYLE_HOST_LINE || style === STYLE_OBJECT_LINE;
      if (!polyline || (word >>> 24) & POLYLINE_START) flush();
      const pixels = projectLine(p, a, b);
      if (!pixels) return;
      const [[ax, ay], [bx, by]] = pixels;
      const color = this.colorOf(rgb, word);
      if (!open) {
        ctx.lineWidth = WIDTHS[style] ?? 1;
        if (style === STYLE_FORCE && Math.hypot(bx - ax, by - ay) >= 1) {
          const fade = ctx.createLinearGradient(ax, ay, bx, by);
          fade.addColorStop(0, css(color, FORCE_BASE_ALPHA));
          fade.addColorStop(1, css(color));
          ctx.strokeStyle = fade;
        } else {
          ctx.strokeStyle = css(color);
        }
        ctx.beginPath();
        ctx.moveTo(ax, ay);
        open = true;
      } else {
        ctx.moveTo(ax, ay);
      }
      ctx.lineTo(bx, by);
      if (!polyline) flush();
    });
    flush();
    ctx.lineWidth = 1;
    eachMarker(this.chunks, (at, rgb, code, word) => {
      const v = toView(p, at);
      if (!inFront(p, v)) return;
      const [x, y] = viewToPixel(p, v);
      ctx.strokeStyle = ctx.fillStyle = css(this.colorOf(rgb, word));
      drawMarkerShape(ctx, markerShape(code), x, y);
    });
  }
}
