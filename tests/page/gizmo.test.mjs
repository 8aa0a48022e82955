// The gizmo the page draws is the shape the host hit-tests: a fixed length in pixels at
// the pivot, in a top view and in a perspective one.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { projection, projectLine } from '../../app/web/page/camera.mjs';
import { gizmoWorldLines } from '../../app/web/page/gizmo.mjs';

const GIZMO = { pivot: [2, 1, 0], pixels: 70, segments: 48, tick: 0.08 };

test('the gizmo keeps its length in pixels and its shape for each tool', () => {
  const views = {
    top: projection({ right: [1, 0, 0], up: [0, 1, 0], center: [0, 0, 0], width: 20 }, 400, 300),
    perspective: projection({ eye: [12, -9, 7], target: [0, 0, 0], up: [0, 0, 1], fov: 45 }, 400, 300),
  };
  for (const [name, p] of Object.entries(views)) {
    const counts = { move: 3, scale: 6, rotate: 3 * 48 };
    for (const [tool, count] of Object.entries(counts)) assert.equal(gizmoWorldLines(p, GIZMO, tool).length, count, `${name} ${tool}`);
    // The axis that lies across the view is 70 pixels long on it.
    const [a, b] = gizmoWorldLines(p, GIZMO, 'move').filter(([, , axis]) => axis === 0)[0];
    const [[x0, y0], [x1, y1]] = projectLine(p, a, b);
    const across = Math.hypot(x1 - x0, y1 - y0);
    assert.ok(name === 'top' ? Math.abs(across - 70) < 1e-9 : across > 20 && across < 90, `${name}: ${across}`);
  }
});
