// Reading the host's drawing: chunk parts, the message that makes them the drawing, and
// what a view then shows in its pixels.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { projection } from '../../app/web/page/camera.mjs';
import {
  CHUNK_MAGIC, ChunkStore, describeDrawing, HOST_NODE, PATCH_MAGIC, PLACED_MAGIC, POLYLINE_CLOSED, POLYLINE_START,
} from '../../app/web/page/frame_decoding.mjs';

// One part as the host writes it (app/web/frame_encoding.h): lines are
// [ax, ay, az, bx, by, bz, color, style, nodeWord], markers [x, y, z, color, code, nodeWord].
function part(id, revision, node, lines, markers, { totals, first = [0, 0] } = {}) {
  const buffer = new ArrayBuffer(40 + 32 * lines.length + 20 * markers.length);
  const [allLines, allMarkers] = totals || [lines.length, markers.length];
  new Uint32Array(buffer, 0, 10).set([CHUNK_MAGIC, id, revision, node, allLines, allMarkers, first[0], lines.length,
                                      first[1], markers.length]);
  const dv = new DataView(buffer);
  lines.forEach((l, i) => {
    const at = 40 + 32 * i;
    l.slice(0, 6).forEach((v, k) => dv.setFloat32(at + 4 * k, v, true));
    dv.setUint32(at + 24, (l[6] | (l[7] << 24)) >>> 0, true);
    dv.setUint32(at + 28, l[8] >>> 0, true);
  });
  markers.forEach((m, i) => {
    const at = 40 + 32 * lines.length + 20 * i;
    m.slice(0, 3).forEach((v, k) => dv.setFloat32(at + 4 * k, v, true));
    dv.setUint32(at + 12, (m[3] | (m[4] << 24)) >>> 0, true);
    dv.setUint32(at + 16, m[5] >>> 0, true);
  });
  return buffer;
}

// A top view 10 units across on a 100 x 100 image: world (x, y) is pixel (50 + 10x, 50 - 10y).
const TOP = projection({ center: [0, 0, 0], width: 10, right: [1, 0, 0], up: [0, 1, 0] }, 100, 100);

test('a view shows its chunks once they are made its drawing, as items in its pixels', () => {
  const store = new ChunkStore();
  const start = POLYLINE_START << 24;
  store.receive(part(1, 1, HOST_NODE, [[-5, 0, 0, 5, 0, 0, 0x404040, 0, HOST_NODE]], []));
  store.receive(part(2, 1, 3, [
    [0, 0, 0, 1, 0, 0, 0xff, 1, 3 | start | (POLYLINE_CLOSED << 24)], [1, 0, 0, 1, 1, 0, 0xff, 1, 3],
    [1, 1, 0, 0, 0, 0, 0xff, 1, 3], [0, 0, 0, 0, 2, 0, 0xff, 2, 3], [1, 0, 0, 1, 2, 0, 0xff, 2, 3],
  ], [[2, 2, 0, 0xff, 14, 3], [3, 2, 0, 0xff, 14, 3], [4, 4, 0, 0xff, 10, 3]], { totals: [5, 4] }));
  assert.equal(store.chunksOf(0).length, 0, 'nothing shows before the drawing message');
  assert.deepEqual(store.commit({ views: [[1, 2]], drop: [], nodes: [[3, 'Viewer']] }), [0]);
  assert.deepEqual(store.chunksOf(0).map((c) => c.id), [1], 'a chunk still missing a part stays out');

  store.receive(part(2, 1, 3, [], [[9, 9, 0, 0xff, 14, 3]], { totals: [5, 4], first: [5, 3] }));
  assert.deepEqual(store.commit({ views: [[1, 2]], drop: [], nodes: [] }), [0]);
  const items = describeDrawing(store, 0, TOP).items.map(({ kind, node, code, closed, points }) => [kind, node, code, closed, points]);
  assert.deepEqual(items, [
    ['polyline', null, 0, false, [0, 50, 100, 50]],
    ['polyline', 'Viewer', 0, true, [50, 50, 60, 50, 60, 40]],
    ['segments', 'Viewer', 0, false, [50, 50, 50, 30, 60, 50, 60, 30]],
    ['markers', 'Viewer', 14, false, [70, 30, 80, 30]],
    ['markers', 'Viewer', 10, false, [90, 10]],
    ['markers', 'Viewer', 14, false, [140, -40]],
  ]);

  assert.deepEqual(store.commit({ views: [[1, 2]], drop: [], nodes: [] }), [], 'nothing changed');
  store.commit({ views: [[2]], drop: [1], nodes: [] });
  assert.equal(store.chunks.has(1), false);
  assert.deepEqual(store.idsOf(['Viewer', 'Other']), [3]);
});

test('a part that is not one, or of the wrong length, is refused', () => {
  const store = new ChunkStore();
  assert.throws(() => store.receive(new ArrayBuffer(8)), /not a drawing part/);
  assert.throws(() => store.receive(new ArrayBuffer(40)), /not a drawing part/);
  const cut = part(1, 1, 0, [[0, 0, 0, 1, 1, 1, 0, 1, 0]], []).slice(0, 60);
  assert.throws(() => store.receive(cut), /wrong length/);
});

// A patch of markers only: runs [first, [x, y, z, color, code, nodeWord], ...].
function patch(id, revision, base, node, runs) {
  const records = runs.flatMap(([, ...markers]) => markers);
  const buffer = new ArrayBuffer(28 + 8 * runs.length + 20 * records.length);
  new Uint32Array(buffer, 0, 7 + 2 * runs.length).set([PATCH_MAGIC, id, revision, base, node, 0, runs.length,
    ...runs.flatMap(([first, ...markers]) => [first, markers.length])]);
  new Uint8Array(buffer, 28 + 8 * runs.length).set(new Uint8Array(part(id, 0, node, [], records)).subarray(40));
  return buffer;
}

test('a patch changes the runs of the chunk it names at the commit, and only of the revision the page holds', () => {
  const store = new ChunkStore();
  const marker = (x, code) => [x, 0, 0, 0xff, code, 3];
  store.receive(part(5, 1, 3, [], [marker(0, 14), marker(1, 14)], { totals: [0, 3] }));
  store.receive(part(5, 1, 3, [], [marker(2, 14)], { totals: [0, 3], first: [0, 2] }));
  store.commit({ views: [[5]], drop: [], nodes: [] });
  const codes = () => describeDrawing(store, 0, TOP).items.map((i) => [i.code, i.points.length / 2]);

  store.receive(patch(5, 2, 1, 3, [[1, marker(1, 10), marker(2, 10)]]));  // across both parts
  store.receive(patch(5, 9, 7, 3, [[0, marker(0, 10)]]));                  // of a revision not held
  assert.deepEqual(codes(), [[14, 3]], 'nothing changes before the commit');
  assert.deepEqual(store.commit({ views: [[5]], drop: [], nodes: [] }), [0]);
  assert.deepEqual(codes(), [[14, 1], [10, 2]]);
  const chunk = store.chunks.get(5);
  assert.deepEqual([chunk.revision, chunk.version, chunk.patched.markers.map((r) => [r.first, r.count])], [2, 1, [[1, 2]]]);

  store.receive(patch(5, 3, 2, 3, [[2, marker(2, 14), marker(3, 14)]]));  // past the chunk's end
  store.commit({ views: [[5]], drop: [], nodes: [] });
  assert.equal(chunk.revision, 2, 'a patch that does not fit is let go whole');
  assert.throws(() => store.receive(patch(5, 4, 2, 3, [[0, marker(0, 1)]]).slice(0, 40)), /wrong length/);
});

// Placed markers (app/web/frame_encoding.h): [color | code << 24] words on the lines of
// chunk `source` from `firstLine` on.
function placed(id, revision, node, words, { source, sourceRevision, firstLine, word, total = words.length, first = 0 }) {
  const buffer = new ArrayBuffer(44 + 4 * words.length);
  new Uint32Array(buffer).set([PLACED_MAGIC, id, revision, node, total, first, words.length, source, sourceRevision,
                               firstLine, word, ...words]);
  return buffer;
}

test('placed markers take the start points of their source lines as the commit leaves them', () => {
  const store = new ChunkStore();
  const line = (x) => [x, 1, 0, x, 2, 0, 0xff, 2, 3];
  store.receive(part(1, 4, 3, [[0, 0, 0, 9, 9, 0, 0xff, 1, 3], line(1)], [], { totals: [4, 0] }));
  store.receive(part(1, 4, 3, [line(2), line(3)], [], { totals: [4, 0], first: [2, 0] }));
  const at = { source: 1, sourceRevision: 4, firstLine: 1, word: 3 };
  store.receive(placed(2, 7, 3, [0xff | (14 << 24)], { ...at, total: 3 }));
  store.receive(placed(2, 7, 3, [0xff | (10 << 24), 0xff | (10 << 24)], { ...at, total: 3, first: 1 }));
  store.receive(placed(5, 7, 3, [0xff], { ...at, firstLine: 4 }));  // past the source's end
  store.commit({ views: [[1, 2, 5]], drop: [], nodes: [] });
  const markers = describeDrawing(store, 0, TOP).items.filter((i) => i.kind === 'markers');
  assert.deepEqual(markers.map(({ code, points }) => [code, points]), [[14, [60, 40]], [10, [70, 40, 80, 40]]]);
  assert.equal(store.chunks.has(5), false);
  assert.match(store.faults.join(), /chunk 5 sit on lines of chunk 1 that the page lacks/);
  assert.throws(() => store.receive(placed(6, 1, 3, [1, 2], at).slice(0, 48)), /wrong length/);
});
