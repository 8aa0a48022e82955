// Which records a thinned moving frame thins: long runs of force segments only, across
// the parts a chunk came in, and everything else whole.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { forceRuns, THIN_MIN, thinPieces } from '../../app/web/page/gl_drawing.mjs';
import { LINE_BYTES, STYLE_FORCE, STYLE_OBJECT_LINE } from '../../app/web/page/frame_decoding.mjs';

// Line parts of records of the given styles, split into parts of `split` records.
function partsOf(styles, split) {
  const parts = [];
  for (let first = 0; first < styles.length; first += split) {
    const slice = styles.slice(first, first + split);
    const bytes = new Uint8Array(slice.length * LINE_BYTES);
    slice.forEach((style, i) => { bytes[i * LINE_BYTES + 27] = style; });
    parts.push({ buffer: bytes.buffer, offset: 0, count: slice.length });
  }
  return parts;
}

test('only runs of many force segments are thinned, and every record is drawn once or thinned', () => {
  const run = (style, n) => Array(n).fill(style);
  // A box, a long run of force segments, a polyline, a run just long enough, one too short.
  const styles = [...run(STYLE_OBJECT_LINE, 12), ...run(STYLE_FORCE, 5000), ...run(STYLE_OBJECT_LINE, 3),
                  ...run(STYLE_FORCE, THIN_MIN), ...run(STYLE_OBJECT_LINE, 1), ...run(STYLE_FORCE, THIN_MIN - 1)];
  const runs = [[12, 5000], [5015, THIN_MIN]];
  for (const split of [styles.length, 1000, 7]) assert.deepEqual(forceRuns(partsOf(styles, split)), runs, `parts of ${split}`);
  const records = { thin: runs, count: styles.length };
  assert.deepEqual(thinPieces(records, 1), [[0, styles.length, 1]]);
  assert.deepEqual(thinPieces(records, 3), [[0, 12, 1], [12, 5000, 3], [5012, 3, 1], [5015, THIN_MIN, 3],
                                            [5015 + THIN_MIN, THIN_MIN, 1]]);
});
