// The page's marker table: what it takes from the host, and sprites that hold each shape.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import {
  MARKER_FORMS, markerShape, markerShapesVersion, setMarkerShapes, spriteSize,
} from '../../app/web/page/marker_shapes.mjs';

test('the host table is taken entry by entry; codes it lacks, and bad entries, draw its first shape', () => {
  assert.deepEqual(markerShape(1), { code: 0, form: 'dot', radius: 0.5 }, 'before any table');
  setMarkerShapes([{ code: 0, form: 'dot', radius: 0.5 }, { code: 1, form: 'box', radius: 3.5 },
                   { code: 2, form: 'star', radius: 3 }, { code: 3, form: 'ring', radius: 1e9 },
                   { code: 4, form: 'cross', radius: NaN }, { code: 256, form: 'box', radius: 3 },
                   { code: 14, form: 'disc', radius: 2.5 }]);
  const cases = [[1, 'box', 3.5], [14, 'disc', 2.5], [2, 'dot', 0.5], [3, 'dot', 0.5], [4, 'dot', 0.5],
                 [256, 'dot', 0.5], [99, 'dot', 0.5]];
  for (const [code, form, radius] of cases) {
    assert.deepEqual([markerShape(code).form, markerShape(code).radius], [form, radius], `code ${code}`);
  }
  const version = markerShapesVersion();
  setMarkerShapes([{ code: 0, form: 'dot', radius: 0.5 }, { code: 1, form: 'box', radius: 3.5 },
                   { code: 14, form: 'disc', radius: 2.5 }]);
  assert.equal(markerShapesVersion(), version, 'the same table again changes nothing');
  setMarkerShapes([{ code: 1, form: 'plus', radius: 4 }]);
  assert.notEqual(markerShapesVersion(), version);
  assert.equal(markerShape(7).form, 'plus', 'the first entry stands for the rest');
});

test('every sprite holds all its shape covers and no more than a pixel beyond it', () => {
  // How far from the point each form covers along an axis: half a pixel past the fill or
  // the stroke's middle line, a pixel past the end of a line with its round cap.
  const extent = { dot: (r) => r + 0.5, box: (r) => r + 0.5, plus: (r) => r + 1, cross: (r) => r + 1,
                   ring: (r) => r + 0.5, disc: (r) => r + 0.5 };
  for (const form of MARKER_FORMS) {
    for (const radius of [0.5, 2.5, 3.5, 16]) {
      const half = spriteSize({ form, radius }) / 2;
      assert.ok(half >= extent[form](radius) && half < extent[form](radius) + 1, `${form} of radius ${radius}: ${half}`);
    }
  }
});
