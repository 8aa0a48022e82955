import { inFront, projectLine, toView, viewToPixel } from './camera.mjs';

// The views' drawing as the host sends it (app/web/page_drawing.h): chunks of
// world-space records, each arriving in one or more binary parts
// (app/web/frame_encoding.h) and made the page's drawing by a "drawing" message. Until
// that message comes the page keeps what it had, so a view never shows half a change.

export const CHUNK_MAGIC = 0x3246475a;
// A patch: the runs of records that changed in a chunk since the revision the page holds.
export const PATCH_MAGIC = 0x3250475a;
// Markers placed on the start points of another chunk's lines.
export const PLACED_MAGIC = 0x3241475a;
const PLACED_HEADER_BYTES = 44;
const HEADER_BYTES = 40;
const PATCH_HEADER_BYTES = 28;
export const LINE_BYTES = 32;
export const MARKER_BYTES = 20;
export const HOST_NODE = 0xffffff;
// Flags of a record's node word (its top byte).
export const DRAWN_IN_NODE_COLOR = 1;
export const POLYLINE_START = 2;
export const POLYLINE_CLOSED = 4;
// Line styles: the host's lines, an object's polylines, its force segments, the host's
// segments.
export const STYLE_HOST_LINE = 0;
export const STYLE_OBJECT_LINE = 1;
export const STYLE_FORCE = 2;

// One part of a chunk; throws on a buffer that is not one.
export function decodePart(buffer) {
  if (buffer.byteLength < HEADER_BYTES) throw new Error('not a drawing part');
  const w = new Uint32Array(buffer, 0, HEADER_BYTES / 4);
  if (w[0] !== CHUNK_MAGIC) throw new Error('not a drawing part');
  const [, id, revision, node, lines, markers, firstLine, lineCount, firstMarker, markerCount] = w;
  const lineBytes = lineCount * LINE_BYTES;
  if (HEADER_BYTES + lineBytes + markerCount * MARKER_BYTES !== buffer.byteLength ||
      firstLine + lineCount > lines || firstMarker + markerCount > markers) {
    throw new Error('a drawing part of the wrong length');
  }
  return {
    id, revision, node, lines, markers, firstLine, firstMarker,
    lineData: { buffer, offset: HEADER_BYTES, count: lineCount },
    markerData: { buffer, offset: HEADER_BYTES + lineBytes, count: markerCount },
  };
}

// A patch; throws on a buffer that is not one.
export function decodePatch(buffer) {
  const bad = () => new Error('not a drawing patch');
  if (buffer.byteLength < PATCH_HEADER_BYTES) throw bad();
  const [magic, id, revision, base, node, lineRuns, markerRuns] = new Uint32Array(buffer, 0, 7);
  if (magic !== PATCH_MAGIC) throw bad();
  const runBytes = (lineRuns + markerRuns) * 8;
  if (PATCH_HEADER_BYTES + runBytes > buffer.byteLength) throw new Error('a drawing patch of the wrong length');
  const words = new Uint32Array(buffer, PATCH_HEADER_BYTES, runBytes / 4);
  let offset = PATCH_HEADER_BYTES + runBytes;
  const runs = (first, count, bytes) => {
    const list = [];
    for (let r = first; r < first + count; r++) {
      list.push({ first: words[2 * r], count: words[2 * r + 1], offset });
      offset += words[2 * r + 1] * bytes;
    }
    return list;
  };
  const lines = runs(0, lineRuns, LINE_BYTES);
  const markers = runs(lineRuns, markerRuns, MARKER_BYTES);
  if (offset !== buffer.byteLength) throw new Error('a drawing patch of the wrong length');
  return { id, revision, base, node, buffer, lines, markers };
}

// A part of placed markers; throws on a buffer that is not one.
export function decodePlaced(buffer) {
  if (buffer.byteLength < PLACED_HEADER_BYTES) throw new Error('not a placed-marker part');
  const [magic, id, revision, node, markers, first, count, source, sourceRevision, firstLine, word] =
    new Uint32Array(buffer, 0, PLACED_HEADER_BYTES / 4);
  if (magic !== PLACED_MAGIC) throw new Error('not a placed-marker part');
  if (PLACED_HEADER_BYTES + 4 * count !== buffer.byteLength || first + count > markers) {
    throw new Error('a placed-marker part of the wrong length');
  }
  return { id, revision, node, markers, first, source, sourceRevision, firstLine, word,
           codes: new Uint32Array(buffer, PLACED_HEADER_BYTES, count) };
}

// The marker records of a chunk of placed markers, from the lines of `source`; null
// when the source lacks the lines they sit on.
function placedMarkers(placed, count, source) {
  if (!source || source.revision !== placed.sourceRevision || placed.firstLine + count > source.lineCount) return null;
  const buffer = new ArrayBuffer(count * MARKER_BYTES);
  const out = new Uint32Array(buffer);
  eachRunPiece(source.lines, { first: placed.firstLine, count }, (part, from, to, start) => {
    const lines = new Uint32Array(part.buffer, part.offset + (from - start) * LINE_BYTES, (to - from) * (LINE_BYTES / 4));
    const { codes, word } = placed;
    for (let i = 0, k = from - placed.firstLine; i < to - from; i++, k++) {
      const o = k * 5;
      const l = i * 8;
      out[o] = lines[l];
      out[o + 1] = lines[l + 1];
      out[o + 2] = lines[l + 2];
      out[o + 3] = codes[k];
      out[o + 4] = word;
    }
  });
  return { buffer, offset: 0, count };
}

const runsFit = (runs, total) => runs.every((run) => run.first + run.count <= total);

// Calls `visit(part, from, to)` for each piece of the run of records [first, first +
// count) that lies in one of a chunk's parts of one kind, `from` and `to` counted in
// the chunk's records; `start` is where the part starts.
export function eachRunPiece(parts, { first, count }, visit) {
  let start = 0;
  for (const part of parts) {
    const from = Math.max(first, start);
    const to = Math.min(first + count, start + part.count);
    if (from < to) visit(part, from, to, start);
    start += part.count;
  }
}

// Writes the patch's runs of one kind into the chunk's parts of that kind.
function applyRuns(parts, runs, buffer, bytes) {
  for (const run of runs) {
    eachRunPiece(parts, run, (part, from, to, start) => {
      new Uint8Array(part.buffer, part.offset + (from - start) * bytes, (to - from) * bytes)
        .set(new Uint8Array(buffer, run.offset + (from - run.first) * bytes, (to - from) * bytes));
    });
  }
}

// Typed views of a run of line or marker records, for drawing on the CPU.
export function recordViews({ buffer, offset, count }, bytes) {
  return {
    count,
    f32: new Float32Array(buffer, offset, (count * bytes) / 4),
    u8: new Uint8Array(buffer, offset, count * bytes),
    u32: new Uint32Array(buffer, offset, (count * bytes) / 4),
  };
}

export class ChunkStore {
  constructor() {
    this.chunks = new Map();   // id -> {id, revision, node, lines: [part data], markers: [...]}
    this.pending = new Map();  // id -> the chunk being received
    this.patches = [];         // patches received, in order, for the next commit
    this.layouts = [];         // per view: chunk ids in drawing order
    this.names = new Map();    // node id -> name
    this.faults = [];          // what could not be made part of the drawing, for the user
  }

  // Forgets everything: a new connection's host numbers its chunks afresh.
  clear() {
    this.chunks.clear();
    this.pending.clear();
    this.patches = [];
    this.layouts = [];
    this.names.clear();
  }

  // Takes one binary part or patch; throws when it is neither.
  receive(buffer) {
    const magic = buffer.byteLength >= 4 ? new Uint32Array(buffer, 0, 1)[0] : 0;
    if (magic === PATCH_MAGIC) {
      this.patches.push(decodePatch(buffer));
      return;
    }
    if (magic === PLACED_MAGIC) {
      this.receivePlaced(decodePlaced(buffer));
      return;
    }
    const part = decodePart(buffer);
    let chunk = this.pending.get(part.id);
    if (!chunk || chunk.revision !== part.revision) {
      chunk = { id: part.id, revision: part.revision, node: part.node, lineCount: part.lines,
                markerCount: part.markers, lines: [], markers: [], got: 0 };
      this.pending.set(part.id, chunk);
    }
    if (part.lineData.count) chunk.lines.push(part.lineData);
    if (part.markerData.count) chunk.markers.push(part.markerData);
    chunk.got += part.lineData.count + part.markerData.count;
  }

  // A part of placed markers: the chunk's codes gather until the commit places them.
  receivePlaced(part) {
    let chunk = this.pending.get(part.id);
    if (!chunk || chunk.revision !== part.revision || !chunk.placed) {
      chunk = { id: part.id, revision: part.revision, node: part.node, lineCount: 0, markerCount: part.markers,
                lines: [], markers: [], got: 0,
                placed: { ...part, codes: new Uint32Array(part.markers) } };
      this.pending.set(part.id, chunk);
    }
    chunk.placed.codes.set(part.codes, part.first);
    chunk.got += part.codes.length;
  }

  // Makes the chunks received the drawing, as the "drawing" message says; answers the
  // indices of the views whose drawing changed. Placed markers take their positions
  // from their source as it stands after the chunks and patches that came with them.
  commit(message) {
    const changed = new Set();
    for (const [id, chunk] of this.pending) {
      if (chunk.placed || chunk.got !== chunk.lineCount + chunk.markerCount) continue;
      this.chunks.set(id, chunk);
      this.pending.delete(id);
      changed.add(id);
    }
    // A patch changes its chunk in place: the chunk's version counts the patches, and
    // `patched` holds the runs of the last, so a drawing that holds the version before
    // writes those runs alone. A patch of a revision the page does not hold is let go.
    for (const patch of this.patches) {
      const chunk = this.chunks.get(patch.id);
      if (!chunk || chunk.revision !== patch.base || !runsFit(patch.lines, chunk.lineCount) ||
          !runsFit(patch.markers, chunk.markerCount)) continue;
      applyRuns(chunk.lines, patch.lines, patch.buffer, LINE_BYTES);
      applyRuns(chunk.markers, patch.markers, patch.buffer, MARKER_BYTES);
      chunk.revision = patch.revision;
      chunk.version = (chunk.version || 0) + 1;
      chunk.patched = { lines: patch.lines, markers: patch.markers };
      changed.add(patch.id);
    }
    this.patches = [];
    for (const [id, chunk] of this.pending) {
      if (!chunk.placed || chunk.got !== chunk.markerCount) continue;
      const markers = placedMarkers(chunk.placed, chunk.markerCount, this.chunks.get(chunk.placed.source));
      this.pending.delete(id);
      if (!markers) {
        this.faults.push(`markers of chunk ${id} sit on lines of chunk ${chunk.placed.source} that the page lacks`);
        continue;
      }
      const { placed, ...whole } = chunk;
      this.chunks.set(id, { ...whole, markers: [markers] });
      changed.add(id);
    }
    for (const id of message.drop || []) {
      this.chunks.delete(id);
      this.pending.delete(id);
    }
    for (const [id, name] of message.nodes || []) this.names.set(id, name);
    const views = [];
    message.views.forEach((ids, i) => {
      const before = this.layouts[i];
      if (!before || before.length !== ids.length || ids.some((id, k) => id !== before[k] || changed.has(id))) {
        views.push(i);
      }
    });
    this.layouts = message.views;
    return views;
  }

  // The chunks view `index` draws, in order.
  chunksOf(index) {
    return (this.layouts[index] || []).map((id) => this.chunks.get(id)).filter(Boolean);
  }

  // The node ids of the nodes named.
  idsOf(names) {
    const wanted = new Set(names);
    const ids = [];
    for (const [id, name] of this.names) if (wanted.has(name)) ids.push(id);
    return ids;
  }
}

// The page's drawing: one store for every view.
export const store = new ChunkStore();

// Every line record of `chunks`, in order, as
// (a, b, rgb, style, nodeWord) with a and b world points; then every marker as
// (at, rgb, code, nodeWord). For drawing and describing on the CPU.
export function eachLine(chunks, visit) {
  eachRecord(chunks, (c) => c.lines, LINE_BYTES, ({ f32, u8, u32 }, i) => {
    const f = i * 8;
    const b = i * 32;
    visit([f32[f], f32[f + 1], f32[f + 2]], [f32[f + 3], f32[f + 4], f32[f + 5]],
          (u8[b + 24] | (u8[b + 25] << 8) | (u8[b + 26] << 16)) >>> 0, u8[b + 27], u32[f + 7]);
  });
}

export function eachMarker(chunks, visit) {
  eachRecord(chunks, (c) => c.markers, MARKER_BYTES, ({ f32, u8, u32 }, i) => {
    const f = i * 5;
    const b = i * 20;
    visit([f32[f], f32[f + 1], f32[f + 2]], (u8[b + 12] | (u8[b + 13] << 8) | (u8[b + 14] << 16)) >>> 0, u8[b + 15],
          u32[f + 4]);
  });
}

function eachRecord(chunks, pick, bytes, visit) {
  for (const chunk of chunks) {
    for (const data of pick(chunk)) {
      const views = recordViews(data, bytes);
      for (let i = 0; i < views.count; i++) visit(views, i);
    }
  }
}

// What a view shows, as plain data for scripts and tests: items in pixels of the
// projection `p`, in drawing order, each with its kind ("polyline", "segments" or
// "markers"), node name (null for the host's own), marker code, colour (0x00BBGGRR),
// whether it is closed, and its points. Polylines are whole again; a run of segments,
// or of markers, of one node and colour is one item, as the host drew them.
export function describeDrawing(store, index, p) {
  const chunks = store.chunksOf(index);
  const items = [];
  const nameOf = (word) => {
    const id = word & HOST_NODE;
    return id === HOST_NODE ? null : store.names.get(id) ?? null;
  };
  let last = null;
  eachLine(chunks, (a, b, color, style, word) => {
    const node = nameOf(word);
    const flags = word >>> 24;
    const pixels = projectLine(p, a, b);
    if (style === STYLE_FORCE || style === 3) {
      if (!last || last.kind !== 'segments' || last.node !== node || last.color !== color) {
        last = { kind: 'segments', node, code: 0, color, closed: false, points: [] };
        items.push(last);
      }
      if (pixels) last.points.push(...pixels[0], ...pixels[1]);
      return;
    }
    if (flags & POLYLINE_START || !last || last.kind !== 'polyline' || last.node !== node) {
      last = { kind: 'polyline', node, code: 0, color, closed: !!(flags & POLYLINE_CLOSED), points: [] };
      items.push(last);
      if (pixels) last.points.push(...pixels[0]);
    }
    if (pixels) last.points.push(...pixels[1]);
  });
  for (const item of items) {
    if (item.kind === 'polyline' && item.closed) item.points.splice(-2, 2);
  }
  last = null;
  eachMarker(chunks, (at, color, code, word) => {
    const node = nameOf(word);
    const v = toView(p, at);
    if (!inFront(p, v)) return;
    if (!last || last.node !== node || last.color !== color || last.code !== code) {
      last = { kind: 'markers', node, code, color, closed: false, points: [] };
      items.push(last);
    }
    last.points.push(...viewToPixel(p, v));
  });
  return { width: p.width, height: p.height, items };
}
