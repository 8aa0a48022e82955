// The page's marker table: what it takes from the host.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import {
  markerShape, markerShapesVersion, setMarkerShapes,
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
  assert.equal(setMarkerShapes([{ code: 0, form: 'dot', radius: 0.5 }, { code: 1, form: 'box', radius: 3.5 },
                                { code: 14, form: 'disc', radius: 2.5 }]), false);
  assert.equal(markerShapesVersion(), version, 'the same table again changes nothing');
  assert.equal(setMarkerShapes([{ code: 1, form: 'plus', radius: 4 }]), true);
  assert.notEqual(markerShapesVersion(), version);
  assert.equal(markerShape(7).form, 'plus', 'the first entry stands for the rest');
});
