// Cameras in the page, exactly as the host makes them (app/viewport/camera.h): the page
// projects the views' world-space drawing itself, and orbits, pans and zooms a view at
// once, the way the host's own navigation does (app/viewport/view_navigation.h), so
// that what the page shows and what the host picks against stay the same pixel.
//
// A view's camera is what the host's state gives: {eye, target, up, fov} for a
// perspective view, {center, width, right, up} for an orthographic one.

const DEGREES = Math.PI / 180;
// The host's near plane: this share of the eye's distance to its target, at least 1e-6.
const NEAR_FRACTION = 1e-3;
const MIN_NEAR = 1e-6;
export const ORBIT_DEGREES_PER_PIXEL = 0.4;
const ORBIT_POLE_MARGIN = 1 * DEGREES;

const add = (a, b) => [a[0] + b[0], a[1] + b[1], a[2] + b[2]];
const sub = (a, b) => [a[0] - b[0], a[1] - b[1], a[2] - b[2]];
const scale = (a, k) => [a[0] * k, a[1] * k, a[2] * k];
const dot = (a, b) => a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
const cross = (a, b) => [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]];
const length = (a) => Math.sqrt(dot(a, a));
const normalized = (a) => {
  const n = length(a);
  return n > 0 ? scale(a, 1 / n) : [0, 0, 0];
};
const finite = (...values) => values.flat().every(Number.isFinite);

export const isPerspective = (camera) => 'eye' in camera;

// The projection of `camera` on a width x height image: its axes, origin and scale
// (pixels per unit at unit depth, or across the image), and its near distance (0 for
// an orthographic camera, which cuts nothing).
export function projection(camera, width, height) {
  const w = Math.max(1, width);
  const h = Math.max(1, height);
  if (isPerspective(camera)) {
    const back = normalized(sub(camera.eye, camera.target));
    let right = normalized(cross(camera.up, back));
    if (length(right) === 0) right = normalized(cross([0, 1, 0], back));
    if (length(right) === 0) right = normalized(cross([1, 0, 0], back));
    return {
      perspective: true, right, up: cross(back, right), back, origin: camera.eye, width: w, height: h,
      scale: (w * 0.5) / Math.tan((camera.fov * DEGREES) / 2),
      near: Math.max(MIN_NEAR, NEAR_FRACTION * length(sub(camera.eye, camera.target))),
    };
  }
  return {
    perspective: false, right: camera.right, up: camera.up, back: cross(camera.right, camera.up),
    origin: camera.center, width: w, height: h, scale: w / camera.width, near: 0,
  };
}

// A world point in view space: x right, y up, z towards the viewer.
export function toView(p, world) {
  const d = sub(world, p.origin);
  return [dot(d, p.right), dot(d, p.up), dot(d, p.back)];
}

// The pixel of a view-space point in front of the camera.
export function viewToPixel(p, v) {
  const k = p.perspective ? p.scale / -v[2] : p.scale;
  return [p.width * 0.5 + v[0] * k, p.height * 0.5 - v[1] * k];
}

export const inFront = (p, v) => !p.perspective || v[2] <= -p.near;

// The pixels of the world line a-b, cut where it crosses the near plane as the host
// cuts it; null when none of it is in front.
export function projectLine(p, a, b) {
  let va = toView(p, a);
  let vb = toView(p, b);
  if (p.perspective) {
    const aIn = va[2] <= -p.near;
    const bIn = vb[2] <= -p.near;
    if (!aIn && !bIn) return null;
    if (!aIn || !bIn) {
      const t = (-p.near - va[2]) / (vb[2] - va[2]);
      const cut = [va[0] + (vb[0] - va[0]) * t, va[1] + (vb[1] - va[1]) * t, -p.near];
      if (aIn) vb = cut; else va = cut;
    }
  }
  return [viewToPixel(p, va), viewToPixel(p, vb)];
}

// World to view as a 4x4 column-major matrix (for the GPU): rows right, up, back.
export function viewMatrix(p) {
  const t = [-dot(p.right, p.origin), -dot(p.up, p.origin), -dot(p.back, p.origin)];
  return new Float32Array([
    p.right[0], p.up[0], p.back[0], 0,
    p.right[1], p.up[1], p.back[1], 0,
    p.right[2], p.up[2], p.back[2], 0,
    t[0], t[1], t[2], 1,
  ]);
}

// Rodrigues' rotation of v by `angle` radians about the unit axis k.
function rotate(v, k, angle) {
  const c = Math.cos(angle);
  const s = Math.sin(angle);
  return add(add(scale(v, c), scale(cross(k, v), s)), scale(k, dot(k, v) * (1 - c)));
}

// A camera the host would take: finite, and a perspective eye apart from its target.
function usable(camera) {
  if (isPerspective(camera)) {
    return finite(camera.eye, camera.target, camera.up, camera.fov) && length(sub(camera.eye, camera.target)) > 0 &&
      length(camera.up) > 0 && camera.fov > 0 && camera.fov < 180;
  }
  return finite(camera.center, camera.width) && camera.width > 0;
}

const accept = (camera) => (usable(camera) ? camera : null);

// The camera orbited by a drag of dx, dy pixels; null when it cannot orbit.
export function orbit(camera, dx, dy) {
  if (!isPerspective(camera) || !finite(dx, dy)) return null;
  const up = normalized(camera.up);
  const offset = sub(camera.eye, camera.target);
  const distance = length(offset);
  if (length(up) === 0 || !(distance > 0)) return null;
  let turned = rotate(offset, up, -dx * ORBIT_DEGREES_PER_PIXEL * DEGREES);
  const polar = Math.acos(Math.min(1, Math.max(-1, dot(normalized(turned), up))));
  const wanted = Math.min(Math.PI - ORBIT_POLE_MARGIN,
    Math.max(ORBIT_POLE_MARGIN, polar - dy * ORBIT_DEGREES_PER_PIXEL * DEGREES));
  const side = normalized(cross(up, turned));
  if (length(side) > 0) turned = rotate(turned, side, wanted - polar);
  return accept({ ...camera, eye: add(camera.target, scale(normalized(turned), distance)) });
}

// The camera panned so that the scene follows a drag of dx, dy pixels.
export function pan(camera, width, height, dx, dy) {
  if (!finite(dx, dy)) return null;
  const p = projection(camera, width, height);
  const depth = p.perspective ? length(sub(camera.eye, camera.target)) : 1;
  const shift = scale(add(scale(p.right, -dx), scale(p.up, dy)), depth / p.scale);
  if (p.perspective) return accept({ ...camera, eye: add(camera.eye, shift), target: add(camera.target, shift) });
  return accept({ ...camera, center: add(camera.center, shift) });
}

// The camera zoomed by `factor` towards the pixel (x, y), its extent held within
// `range` ([least, most]: the host's own).
export function zoom(camera, width, height, factor, x, y, range) {
  if (!(factor > 0) || !finite(factor, x, y)) return null;
  const clamp = (v) => Math.min(range[1], Math.max(range[0], v));
  if (isPerspective(camera)) {
    const offset = sub(camera.eye, camera.target);
    return accept({ ...camera, eye: add(camera.target, scale(normalized(offset), clamp(length(offset) / factor))) });
  }
  const p = projection(camera, width, height);
  const vx = (x - p.width * 0.5) / p.scale;
  const vy = (p.height * 0.5 - y) / p.scale;
  const under = add(add(camera.center, scale(p.right, vx)), scale(p.up, vy));
  const newWidth = clamp(camera.width / factor);
  return accept({ ...camera, width: newWidth, center: add(under, scale(sub(camera.center, under), newWidth / camera.width)) });
}

// Whether two cameras are the same.
export function sameCamera(a, b) {
  return !!a && !!b && JSON.stringify(a) === JSON.stringify(b);
}

// The camera message for the host: the fields the host takes.
export function cameraMessage(view, camera) {
  if (isPerspective(camera)) {
    return { type: 'camera', view, eye: camera.eye, target: camera.target, up: camera.up, fov: camera.fov };
  }
  return { type: 'camera', view, center: camera.center, width: camera.width };
}
