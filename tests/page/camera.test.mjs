// The page's cameras: navigation that keeps what the host's promises, and lines cut at
// the near plane.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { orbit, pan, projectLine, projection, toView, viewToPixel, zoom } from '../../app/web/page/camera.mjs';

const near = (a, b, what) => assert.ok(Math.abs(a - b) < 1e-9, `${what}: ${a} is not ${b}`);
const length = (v) => Math.hypot(...v);
const PERSP = { eye: [10, -10, 10], target: [0, 0, 0], up: [0, 0, 1], fov: 45 };
const TOP = { center: [0, 0, 0], width: 20, right: [1, 0, 0], up: [0, 1, 0] };
const RANGE = [1e-4, 1e8];

test('orbit, pan and zoom move the camera as the host does', () => {
  const turned = orbit(PERSP, 90, 0);
  near(length(turned.eye), length(PERSP.eye), 'an orbit keeps the distance');
  near(turned.eye[2], 10, 'turning about the up axis keeps the height');
  let tilted = PERSP;
  for (let i = 0; i < 50; i++) tilted = orbit(tilted, 0, 100);
  assert.ok(tilted.eye[2] / length(tilted.eye) < Math.cos(Math.PI / 180 * 0.99), 'never over the pole');
  assert.equal(orbit(TOP, 10, 10), null, 'orthographic views do not orbit');

  near(pan(TOP, 400, 400, 40, 0).center[0], -2, 'the scene follows the pointer');
  const pixel = [300, 100];
  const under = (c) => {
    const p = projection(c, 400, 400);
    return [0, 1].map((i) => c.center[i] + p.right[i] * (pixel[0] - 200) / p.scale + p.up[i] * (200 - pixel[1]) / p.scale);
  };
  const zoomed = zoom(TOP, 400, 400, 2, ...pixel, RANGE);
  near(zoomed.width, 10, 'zoomed in twice');
  under(zoomed).forEach((v, i) => near(v, under(TOP)[i], 'the point under the pointer stays'));
  near(zoom(TOP, 400, 400, 1e-12, 0, 0, RANGE).width, 1e8, 'held to the range');
  near(length(zoom(PERSP, 400, 400, 1e12, 0, 0, RANGE).eye), 1e-4, 'held to the range');
  assert.equal(zoom(TOP, 400, 400, NaN, 0, 0, RANGE), null);
});

test('a perspective view projects the target to the centre and cuts lines at the near plane', () => {
  const p = projection(PERSP, 640, 480);
  assert.deepEqual(viewToPixel(p, toView(p, [0, 0, 0])).map((v) => Math.round(v * 1e9) / 1e9), [320, 240]);
  const cases = [
    // a, b, whether anything is left, whether a stays where it was
    [[0, 0, 0], [1, 1, 0], true, true],
    [[0, 0, 0], [20, -20, 20], true, true],
    [[20, -20, 20], [30, -30, 30], false, false],
  ];
  for (const [a, b, left, kept] of cases) {
    const line = projectLine(p, a, b);
    assert.equal(!!line, left, JSON.stringify([a, b]));
    if (line && kept) assert.deepEqual(line[0], viewToPixel(p, toView(p, a)));
    if (line) assert.ok(line.flat().every(Number.isFinite));
  }
});
