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
    { name: 'fast frames over budget thin a step for every two', frames: [0, 100, 200, 250, 300, 350, 400],
      got: [0, 0, 1, 1, 2, 2, 3] },
    { name: 'four frames that would fit a step below ease it, down to what fits',
      frames: [0, 100, 200, 250, 300, 350, 400, 417, 434, 451, 468, 485, 502, 519, 536],
      got: [0, 0, 1, 1, 2, 2, 3, 3, 3, 3, 2, 2, 2, 2, 2] },
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
