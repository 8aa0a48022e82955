// Reading the host's binary frames.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { decodeFrame, describeFrame, FRAME_MAGIC } from '../../app/web/page/frame_decoding.mjs';

// A frame laid out as the host writes it: header words, names, items, points.
function encode({ view, width, height, names, items }) {
  const nameBytes = new TextEncoder().encode(JSON.stringify(names));
  const padded = (nameBytes.length + 3) & ~3;
  const points = items.flatMap((i) => i.points);
  const buffer = new ArrayBuffer(24 + padded + 4 + 16 * items.length + 4 + 4 * points.length);
  const dv = new DataView(buffer);
  let at = 0;
  const word = (v) => { dv.setUint32(at, v >>> 0, true); at += 4; };
  [FRAME_MAGIC, view, width, height, 7, nameBytes.length].forEach(word);
  new Uint8Array(buffer, at, nameBytes.length).set(nameBytes);
  at += padded;
  word(items.length);
  for (const i of items) [i.kind | (i.closed << 8) | (i.code << 16), i.node, i.color, i.points.length / 2].forEach(word);
  word(points.length / 2);
  for (const v of points) { dv.setFloat32(at, v, true); at += 4; }
  return buffer;
}

test('a frame decodes to its items, each with its kind, node, colour and own points', () => {
  const buffer = encode({
    view: 1, width: 640, height: 480, names: ['Viewer', 'Pull'],
    items: [
      { kind: 0, closed: 1, code: 0, node: -1, color: 0x404040, points: [0, 0, 10, 0, 10, 10] },
      { kind: 1, closed: 0, code: 0, node: 0, color: 0x00a5ff, points: [1, 2, 3, 4] },
      { kind: 2, closed: 0, code: 14, node: 1, color: 0xffffff, points: [5.5, 6.5] },
    ],
  });
  const frame = decodeFrame(buffer);
  assert.deepEqual([frame.view, frame.width, frame.height, frame.revision], [1, 640, 480, 7]);
  assert.deepEqual(describeFrame(frame).items, [
    { kind: 'polyline', node: null, code: 0, color: 0x404040, closed: true, points: [0, 0, 10, 0, 10, 10] },
    { kind: 'segments', node: 'Viewer', code: 0, color: 0x00a5ff, closed: false, points: [1, 2, 3, 4] },
    { kind: 'markers', node: 'Pull', code: 14, color: 0xffffff, closed: false, points: [5.5, 6.5] },
  ]);
});

test('a buffer that is not a frame is refused', () => {
  assert.throws(() => decodeFrame(new ArrayBuffer(8)), /not a frame/);
  assert.throws(() => decodeFrame(new ArrayBuffer(2)));
});
