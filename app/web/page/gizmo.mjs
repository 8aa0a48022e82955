// The transform gizmo over a view: at the selection's pivot, the axes for move and
// scale (scale with a tick across each end) and a circle about each axis for rotate,
// a fixed number of pixels long whatever the zoom. The host hit-tests the same shape:
// its figures come with the state.
import { projectLine, toView } from './camera.mjs';

export const GIZMO_COLORS = ['#eb4d4d', '#59d959', '#598cff'];
export const CONSTRAINED_COLOR = '#ffd933';

const unit = (axis) => [0, 1, 2].map((i) => (i === axis ? 1 : 0));
const along = (p, d, k) => p.map((v, i) => v + d[i] * k);

// The gizmo's world lines, each [a, b, axis], through projection `p`.
export function gizmoWorldLines(p, gizmo, tool) {
  const depth = p.perspective ? -toView(p, gizmo.pivot)[2] : 1;
  const length = gizmo.pixels * (depth > 0 ? depth : 0) / p.scale;
  const lines = [];
  if (!(length > 0) || !Number.isFinite(length)) return lines;
  for (let axis = 0; axis < 3; axis++) {
    if (tool === 'rotate') {
      const u = unit((axis + 1) % 3);
      const v = unit((axis + 2) % 3);
      const point = (i) => {
        const a = (2 * Math.PI * i) / gizmo.segments;
        return along(along(gizmo.pivot, u, length * Math.cos(a)), v, length * Math.sin(a));
      };
      for (let i = 0; i < gizmo.segments; i++) lines.push([point(i), point(i + 1), axis]);
      continue;
    }
    const end = along(gizmo.pivot, unit(axis), length);
    lines.push([gizmo.pivot, end, axis]);
    if (tool === 'scale') {
      const across = unit((axis + 1) % 3);
      lines.push([along(end, across, -length * gizmo.tick), along(end, across, length * gizmo.tick), axis]);
    }
  }
  return lines;
}

// One SVG path per axis: the gizmo's lines in pixels of the view.
export function gizmoPaths(p, gizmo, tool) {
  const paths = ['', '', ''];
  for (const [a, b, axis] of gizmoWorldLines(p, gizmo, tool)) {
    const line = projectLine(p, a, b);
    if (!line) continue;
    const [[x0, y0], [x1, y1]] = line;
    paths[axis] += `M${x0.toFixed(1)} ${y0.toFixed(1)}L${x1.toFixed(1)} ${y1.toFixed(1)}`;
  }
  return paths;
}
