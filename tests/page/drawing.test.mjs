// When a moving view draws its frames fast, and when it gives the full picture back.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { fastFrame } from '../../app/web/page/drawing.mjs';

test('a view draws moving frames fast only after two slow ones, and fully once at rest', () => {
  const cases = [
    // frame times (ms) with the camera moved 1 ms before each; then a frame at rest
    { name: 'smooth frames stay full', frames: [0, 16, 33, 50, 66], fast: [false, false, false, false, false] },
    { name: 'two slow frames turn it fast', frames: [0, 100, 200, 300], fast: [false, false, true, true] },
    { name: 'one slow frame is not enough', frames: [0, 100, 116, 133], fast: [false, false, false, false] },
  ];
  for (const { name, frames, fast } of cases) {
    const view = {};
    const got = frames.map((t) => {
      view.movedAt = t - 1;
      return fastFrame(view, t);
    });
    assert.deepEqual(got, fast, name);
    assert.equal(fastFrame(view, frames.at(-1) + 500), false, `${name}: at rest`);
  }
});
