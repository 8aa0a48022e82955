// The shapes of the host's marker codes, from the host's first state (its table in
// app/viewport/marker_shape.h): the page draws every marker by this table, on WebGL2
// and on a 2D canvas alike, as the renderer draws it. Until the table comes, and for a
// code it lacks, a marker is its first entry: a single pixel.

// The forms a shape may have, in the order the WebGL2 shaders number them.
export const MARKER_FORMS = ['dot', 'box', 'plus', 'cross', 'ring', 'disc'];
// No marker is drawn wider than this, whatever a table says.
const MOST_RADIUS = 16;

const SINGLE_PIXEL = { code: 0, form: 'dot', radius: 0.5 };
let fallback = SINGLE_PIXEL;
let shapes = new Map();
let taken = '[]';
let version = 0;

// Takes the host's table ([{code, form, radius}]); entries whose code is not a byte (a
// record's marker code is one), of an unknown form, or with a radius that is not a
// positive number up to MOST_RADIUS are left out. True when the table changed.
export function setMarkerShapes(list) {
  const kept = (Array.isArray(list) ? list : []).filter((s) => s && Number.isInteger(s.code) && s.code >= 0 && s.code <= 255 &&
    MARKER_FORMS.includes(s.form) && Number.isFinite(s.radius) && s.radius > 0 && s.radius <= MOST_RADIUS)
    .map(({ code, form, radius }) => ({ code, form, radius }));
  const text = JSON.stringify(kept);
  if (text === taken) return false;
  taken = text;
  shapes = new Map(kept.map((s) => [s.code, s]));
  fallback = kept[0] || SINGLE_PIXEL;
  version++;
  return true;
}

// The shape drawn for `code`.
export function markerShape(code) { return shapes.get(code) || fallback; }

// Every shape of the table, and the one for the codes it lacks.
export function markerTable() { return { shapes: [...shapes.values()], fallback }; }

// Changes with every new table, for drawings that build on it (the WebGL2 shaders).
export function markerShapesVersion() { return version; }

// The side, in pixels, of the square sprite that holds every pixel `shape` covers: a
// stroke's antialiased edge reaches a pixel past its middle, so the plus and the cross
// reach their radius and a pixel along each axis, the rest half a pixel past it. Each
// pixel of a sprite costs a fragment on a software renderer, wanted or not.
export function spriteSize(shape) {
  const reach = shape.form === 'plus' || shape.form === 'cross' ? shape.radius + 1 : shape.radius + 0.5;
  return 2 * Math.ceil(reach);
}

// Draws `shape` at (x, y) on a 2D canvas in its current stroke and fill style, with a
// line width of 1: the renderer's strokes and fills.
export function drawMarkerShape(ctx, shape, x, y) {
  const r = shape.radius;
  const lines = (...ends) => {
    ctx.beginPath();
    for (const [ax, ay, bx, by] of ends) {
      ctx.moveTo(x + ax, y + ay);
      ctx.lineTo(x + bx, y + by);
    }
    ctx.stroke();
  };
  switch (shape.form) {
    case 'box': ctx.strokeRect(x - r + 0.5, y - r + 0.5, 2 * r - 1, 2 * r - 1); break;
    case 'plus': lines([-r, 0, r, 0], [0, -r, 0, r]); break;
    case 'cross': lines([-r, -r, r, r], [-r, r, r, -r]); break;
    case 'ring': ctx.beginPath(); ctx.arc(x, y, r - 0.5, 0, 2 * Math.PI); ctx.stroke(); break;
    case 'disc': ctx.beginPath(); ctx.arc(x, y, r, 0, 2 * Math.PI); ctx.fill(); break;
    default: ctx.fillRect(x - r, y - r, 2 * r, 2 * r);
  }
}
