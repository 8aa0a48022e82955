// How a moving view draws its frames: in full, fast, or fast and thinned, and when it
// gives the full picture back.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { motionFrame } from '../../app/web/page/drawing.mjs';

test('a moving view turns fast after two slow frames, thins while over budget, and is full at rest', () => {
  const cases = [
    // frame times (ms) with the camera moved 1 ms before each; then a frame at rest
    { name: 'smooth frames stay full', frames: [0, 16, 33, 50, 66], got: [0, 0, 0, 0, 0] },
    { name: 'one slow frame is not enough', frames: [0, 100, 116, 133], got: [0, 0, 0, 0] },
    { name: 'two slow frames turn it fast, however slow', frames: [0, 300, 600, 616], got: [0, 0, 1, 1] },
    { name: 'fast frames over budget thin a step each', frames: [0, 100, 200, 260, 305, 335], got: [0, 0, 1, 2, 3, 3] },
    { name: 'eight frames at the display pace ease a step',
      frames: [0, 100, 200, 260, ...Array.from({ length: 9 }, (_, i) => 276 + 16 * i)], got: [0, 0, 1, 2, 2, 2, 2, 2, 2, 2, 2, 1, 1] },
  ];
  for (const { name, frames, got } of cases) {
    const view = {};
    const drawn = frames.map((t) => {
      view.movedAt = t - 1;
      return motionFrame(view, t);
    });
    assert.deepEqual(drawn, got, name);
    assert.equal(motionFrame(view, frames.at(-1) + 500), 0, `${name}: at rest`);
  }
});
