// The binary frame of one view (app/web/frame_encoding.h): what the view draws, as
// items in pixels with the node each belongs to.

export const FRAME_MAGIC = 0x3146475a;
export const ITEM_KINDS = ['polyline', 'segments', 'markers'];

// Reads a frame; throws on a buffer that is not one.
export function decodeFrame(buffer) {
  const dv = new DataView(buffer);
  let at = 0;
  const word = () => { const v = dv.getUint32(at, true); at += 4; return v; };
  if (word() !== FRAME_MAGIC) throw new Error('not a frame');
  const view = word();
  const width = word();
  const height = word();
  const revision = word();
  const nameBytes = word();
  const names = JSON.parse(new TextDecoder().decode(new Uint8Array(buffer, at, nameBytes)));
  at = (at + nameBytes + 3) & ~3;
  const count = word();
  const items = new Array(count);
  for (let i = 0; i < count; i++) {
    const head = word();
    const node = dv.getInt32(at, true); at += 4;
    const color = word();
    const points = word();
    items[i] = { kind: head & 0xff, closed: (head >> 8) & 1, code: head >>> 16, node, color, points };
  }
  const total = word();
  const xy = new Float32Array(buffer, at, total * 2);
  return { view, width, height, revision, names, items, xy };
}

// A frame as plain data for scripts and tests: each item with its kind's name, its
// node's name and its own points.
export function describeFrame(frame) {
  let p = 0;
  const items = frame.items.map((item) => {
    const points = Array.from(frame.xy.subarray(p, p + 2 * item.points));
    p += 2 * item.points;
    return {
      kind: ITEM_KINDS[item.kind], node: item.node >= 0 ? frame.names[item.node] : null,
      code: item.code, color: item.color, closed: !!item.closed, points,
    };
  });
  return { width: frame.width, height: frame.height, items };
}
