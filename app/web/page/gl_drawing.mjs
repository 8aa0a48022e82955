// Drawing a view on WebGL2: the records of its chunks go to the GPU as they arrived
// (app/web/frame_encoding.h) and stay there while the camera moves; each frame is the
// view's background, one draw of every line and one of every marker. Lines are read by
// the vertex shader from a texture of their records, one triangle each, and markers
// are one point each: no instancing, which software renderers run instance by
// instance.
//
// Lines are stroked as the renderer strokes them: a triangle around each line, each pixel
// covered by the distance to the line with round caps, 1 pixel wide for the host's own
// lines, 1.3 for an object's polylines, 1.5 for force segments, which fade from their
// base to their tip. Markers are point sprites shaped in the fragment shader after
// the host's marker table, at the renderer's sizes. Records drawn in their node's
// colour take the selection colour while the node is selected, from a small texture
// of node states, so a selection change draws again without touching the buffers.
//
// A moving frame on a renderer too slow for all of it may be thinned: of each long run
// of force segments, and of each chunk's many markers, it draws every n-th only, in one
// draw call per run.
import { eachRunPiece, LINE_BYTES, MARKER_BYTES, STYLE_FORCE } from './frame_decoding.mjs';
import { viewMatrix } from './camera.mjs';
import { MARKER_FORMS, markerShapesVersion, markerTable, spriteSize } from './marker_shapes.mjs';

// The renderer's view background: a gradient from top to bottom.
export const SKY_TOP = [0.155, 0.172, 0.2];
export const SKY_BOTTOM = [0.085, 0.095, 0.112];
// A force segment's opacity at its base.
export const FORCE_BASE_ALPHA = 0.28;
const STATE_ROW = 1024;
// How far a hovered node's colour goes towards white.
export const HOVER_LIGHTEN = 0.5;
// Line records per row of the line texture: two texels of four words each.
const LINE_ROW = 1024;
// Runs of fewer records than this are drawn whole in thinned frames: a few force
// segments, and every polyline, keep their shape.
export const THIN_MIN = 4096;

const PROJECT = `
uniform mat4 uView;
uniform float uScale;
uniform vec2 uSize;
uniform float uNear;
uniform bool uPerspective;
uniform float uDpr;
// View space to device pixels, y down.
vec2 toPixel(vec3 v) {
  float k = uPerspective ? uScale / -v.z : uScale;
  return vec2(uSize.x * 0.5 + v.x * k, uSize.y * 0.5 - v.y * k) * uDpr;
}
vec4 toClip(vec2 pixel) {
  return vec4(pixel.x / (uSize.x * uDpr) * 2.0 - 1.0, 1.0 - pixel.y / (uSize.y * uDpr) * 2.0, 0.0, 1.0);
}
uniform highp usampler2D uStates;
uniform vec3 uSelection;
vec3 nodeColor(uvec3 rgb, uint word) {
  uint id = word & 0xFFFFFFu;
  if ((word >> 24 & 1u) == 1u && id != 0xFFFFFFu) {
    uint state = texelFetch(uStates, ivec2(int(id % ${STATE_ROW}u), int(id / ${STATE_ROW}u)), 0).r;
    if (state == 1u) return uSelection;
    if (state == 2u) return mix(vec3(rgb) / 255.0, vec3(1.0), ${HOVER_LIGHTEN});
  }
  return vec3(rgb) / 255.0;
}
`;

// A line record from the texture, in view space, cut at the near plane.
const LINE_RECORD = `
uniform highp usampler2D uLines;
struct Line { vec3 a; vec3 b; vec3 color; uint style; };
// False when the line lies wholly behind the near plane.
bool lineAt(int line, out Line l) {
  ivec2 at = ivec2(2 * (line % ${LINE_ROW}), line / ${LINE_ROW});
  uvec4 w0 = texelFetch(uLines, at, 0);
  uvec4 w1 = texelFetch(uLines, at + ivec2(1, 0), 0);
  l.a = (uView * vec4(uintBitsToFloat(w0.xyz), 1.0)).xyz;
  l.b = (uView * vec4(uintBitsToFloat(uvec3(w0.w, w1.xy)), 1.0)).xyz;
  l.color = nodeColor(uvec3(w1.z & 255u, (w1.z >> 8) & 255u, (w1.z >> 16) & 255u), w1.w);
  l.style = w1.z >> 24;
  if (uPerspective) {
    bool aIn = l.a.z <= -uNear;
    bool bIn = l.b.z <= -uNear;
    if (!aIn && !bIn) return false;
    if (!aIn) l.a = mix(l.a, l.b, (-uNear - l.a.z) / (l.b.z - l.a.z));
    if (!bIn) l.b = mix(l.b, l.a, (-uNear - l.b.z) / (l.a.z - l.b.z));
  }
  return true;
}
`;

const LINE_VERTEX = `#version 300 es
${PROJECT}
${LINE_RECORD}
out vec2 vPixel;
flat out vec2 vA;
flat out vec2 vB;
flat out vec3 vColor;
flat out float vHalf;
flat out float vFade;
void main() {
  Line l;
  if (!lineAt(gl_VertexID / 3, l)) { gl_Position = vec4(2.0, 2.0, 2.0, 1.0); return; }
  vec2 pa = toPixel(l.a);
  vec2 pb = toPixel(l.b);
  float width = l.style == 1u ? 1.3 : (l.style == 2u ? 1.5 : 1.0);
  vHalf = 0.5 * width * uDpr;
  float reach = vHalf + uDpr;
  vec2 d = pb - pa;
  float len = length(d);
  vec2 u = len > 1e-6 ? d / len : vec2(1.0, 0.0);
  vec2 n = vec2(-u.y, u.x);
  // One triangle around the line's stroke: its base across the start, twice as wide as
  // the stroke, its apex twice the stroke's length on, so the stroke lies inside it.
  vec2 start = pa - u * reach;
  int corner = gl_VertexID % 3;
  vec2 p = corner == 2 ? start + u * 2.0 * (len + 2.0 * reach) : start + n * (corner == 0 ? -2.0 : 2.0) * reach;
  vPixel = p;
  vA = pa;
  vB = pb;
  vColor = l.color;
  vFade = l.style == 2u && len >= uDpr ? 1.0 : 0.0;
  gl_Position = toClip(p);
}`;

// The same lines while the camera moves on a renderer too slow for the strokes above:
// one-pixel lines, force segments still fading from base to tip; every uStride-th
// record from uFirst on.
const FAST_LINE_VERTEX = `#version 300 es
${PROJECT}
${LINE_RECORD}
uniform int uFirst;
uniform int uStride;
flat out vec3 vColor;
out float vAlpha;
void main() {
  Line l;
  if (!lineAt(uFirst + gl_VertexID / 2 * uStride, l)) { gl_Position = vec4(2.0, 2.0, 2.0, 1.0); return; }
  bool tip = gl_VertexID % 2 == 1;
  vColor = l.color;
  vAlpha = l.style == 2u && !tip ? ${FORCE_BASE_ALPHA} : 1.0;
  gl_Position = toClip(toPixel(tip ? l.b : l.a));
}`;

const FAST_LINE_FRAGMENT = `#version 300 es
precision highp float;
flat in vec3 vColor;
in float vAlpha;
out vec4 color;
void main() { color = vec4(vColor, vAlpha); }`;

const LINE_FRAGMENT = `#version 300 es
precision highp float;
in vec2 vPixel;
flat in vec2 vA;
flat in vec2 vB;
flat in vec3 vColor;
flat in float vHalf;
flat in float vFade;
out vec4 color;
void main() {
  vec2 d = vB - vA;
  float len2 = dot(d, d);
  float t = len2 > 0.0 ? clamp(dot(vPixel - vA, d) / len2, 0.0, 1.0) : 0.0;
  float distance = length(vPixel - (vA + d * t));
  float cover = clamp(vHalf + 0.5 - distance, 0.0, 1.0);
  if (cover <= 0.0) discard;
  float alpha = vFade > 0.5 ? mix(${FORCE_BASE_ALPHA}, 1.0, t) : 1.0;
  color = vec4(vColor, cover * alpha);
}`;

// A number as GLSL float text.
const glFloat = (v) => (Number.isInteger(v) ? `${v}.0` : `${v}`);

// The marker shaders, written from the host's marker table (app/web/page/marker_shapes.mjs):
// the vertex shader looks each code's form, radius and sprite size up, the fragment
// shader covers each pixel of the sprite by its distance to the form's stroke, or its
// fill, in pixels from the marker's point.
function markerShaders() {
  const { shapes, fallback } = markerTable();
  const form = (shape) => `${MARKER_FORMS.indexOf(shape.form)}u`;
  const assign = (shape) => `vForm = ${form(shape)}; vRadius = ${glFloat(shape.radius)}; vSize = ${glFloat(spriteSize(shape))};`;
  const lookup = shapes.map((shape) => `if (code == ${shape.code}u) { ${assign(shape)} }`).join('\n  else ');
  const vertex = `#version 300 es
layout(location = 0) in vec3 aAt;
layout(location = 1) in uvec4 aRgbCode;
layout(location = 2) in uint aNode;
${PROJECT}
flat out vec3 vColor;
flat out uint vForm;
flat out float vRadius;
flat out float vSize;
// While the camera moves on a slow renderer: a two-pixel square for every marker.
uniform bool uFast;
void main() {
  vec3 v = (uView * vec4(aAt, 1.0)).xyz;
  uint code = aRgbCode.w;
  ${assign(fallback)}
  ${lookup}
  gl_PointSize = (uFast ? 2.0 : vSize) * uDpr;
  if (uPerspective && v.z > -uNear) { gl_Position = vec4(2.0, 2.0, 2.0, 1.0); return; }
  gl_Position = toClip(toPixel(v));
  vColor = nodeColor(aRgbCode.rgb, aNode);
}`;
  const fragment = `#version 300 es
precision highp float;
flat in vec3 vColor;
flat in uint vForm;
flat in float vRadius;
flat in float vSize;
uniform bool uFast;
out vec4 color;
float segment(vec2 p, vec2 a, vec2 b) {
  vec2 d = b - a;
  float t = clamp(dot(p - a, d) / dot(d, d), 0.0, 1.0);
  return length(p - a - d * t);
}
void main() {
  if (uFast) { color = vec4(vColor, 1.0); return; }
  vec2 p = (gl_PointCoord - 0.5) * vSize;
  float r = vRadius;
  float cover;
  if (vForm == ${MARKER_FORMS.indexOf('box')}u) {
    vec2 q = abs(p) - (r - 0.5);
    float edge = max(q.x, q.y) > 0.0 ? length(max(q, 0.0)) : -max(q.x, q.y);
    cover = clamp(1.0 - edge, 0.0, 1.0);
  } else if (vForm == ${MARKER_FORMS.indexOf('plus')}u) {
    cover = clamp(1.0 - min(segment(p, vec2(-r, 0.0), vec2(r, 0.0)), segment(p, vec2(0.0, -r), vec2(0.0, r))), 0.0, 1.0);
  } else if (vForm == ${MARKER_FORMS.indexOf('cross')}u) {
    cover = clamp(1.0 - min(segment(p, vec2(-r), vec2(r)), segment(p, vec2(-r, r), vec2(r, -r))), 0.0, 1.0);
  } else if (vForm == ${MARKER_FORMS.indexOf('ring')}u) {
    cover = clamp(1.0 - abs(length(p) - (r - 0.5)), 0.0, 1.0);
  } else if (vForm == ${MARKER_FORMS.indexOf('disc')}u) {
    cover = clamp(r + 0.5 - length(p), 0.0, 1.0);
  } else {
    vec2 q = clamp(r + 0.5 - abs(p), 0.0, min(2.0 * r, 1.0));
    cover = q.x * q.y;
  }
  if (cover <= 0.0) discard;
  color = vec4(vColor, cover);
}`;
  return [vertex, fragment];
}

const SKY_VERTEX = `#version 300 es
out float vDown;
void main() {
  vec2 p = vec2(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0);
  vDown = 0.5 - 0.5 * p.y;
  gl_Position = vec4(p, 0.0, 1.0);
}`;

const SKY_FRAGMENT = `#version 300 es
precision highp float;
in float vDown;
out vec4 color;
void main() { color = vec4(mix(vec3(${SKY_TOP}), vec3(${SKY_BOTTOM}), vDown), 1.0); }`;

// A program, compiled and linked by the browser while the page goes on: its status is
// asked, and its uniforms looked up, when it is first used (`use()` makes it current and
// answers its uniforms), since asking waits for the compiler.
function compile(gl, vertex, fragment) {
  const program = gl.createProgram();
  const shaders = [[gl.VERTEX_SHADER, vertex], [gl.FRAGMENT_SHADER, fragment]].map(([type, source]) => {
    const shader = gl.createShader(type);
    gl.shaderSource(shader, source);
    gl.compileShader(shader);
    gl.attachShader(program, shader);
    return shader;
  });
  gl.linkProgram(program);
  let uniforms = null;
  const ready = () => {
    if (uniforms) return uniforms;
    if (!gl.getProgramParameter(program, gl.LINK_STATUS)) {
      const failed = shaders.find((shader) => !gl.getShaderParameter(shader, gl.COMPILE_STATUS));
      throw new Error(failed ? gl.getShaderInfoLog(failed) : gl.getProgramInfoLog(program));
    }
    uniforms = {};
    for (let i = 0; i < gl.getProgramParameter(program, gl.ACTIVE_UNIFORMS); i++) {
      const { name } = gl.getActiveUniform(program, i);
      uniforms[name] = gl.getUniformLocation(program, name);
    }
    return uniforms;
  };
  return {
    program,
    use() {
      const u = ready();
      gl.useProgram(program);
      return u;
    },
  };
}

// Vertex attributes over `buffer`: [location, size, type, integer, offset] each, set in
// `vao` (a new one by default).
function attributes(gl, buffer, stride, list, vao = gl.createVertexArray()) {
  gl.bindVertexArray(vao);
  gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
  for (const [location, size, type, integer, offset] of list) {
    gl.enableVertexAttribArray(location);
    if (integer) gl.vertexAttribIPointer(location, size, type, stride, offset);
    else gl.vertexAttribPointer(location, size, type, false, stride, offset);
  }
  gl.bindVertexArray(null);
  return vao;
}

// The records of one kind for all the view's chunks, on the GPU in drawing order. A
// chunk that comes back with as many records is written over in place, and one patched
// once since it was written gets the patch's runs alone; anything else lays them out
// anew. Also keeps the runs of records a thinned frame may thin.
class Records {
  constructor(pick, bytes, store, thinnable) {
    this.pick = pick;    // chunk -> its parts of this kind
    this.bytes = bytes;  // of a record
    this.store = store;  // {resize(count), write(first record, part)}
    this.thinnable = thinnable;  // (parts, count) -> [[first, count], ...] in the chunk
    this.count = 0;
    this.chunks = [];
    this.counts = [];
    this.versions = [];
    this.runs = new WeakMap();  // chunk -> {version, runs}
    this.thin = [];  // [first, count] runs over all records
  }

  // The chunk's thinnable runs, looked for once per revision.
  thinRuns(chunk, count) {
    const known = this.runs.get(chunk);
    if (known && known.version === (chunk.version || 0)) return known.runs;
    const runs = count >= THIN_MIN ? this.thinnable(this.pick(chunk), count) : [];
    this.runs.set(chunk, { version: chunk.version || 0, runs });
    return runs;
  }

  // Writes the records of `chunk`, laid out from record `at`: only the runs of its last
  // patch when the GPU holds the version before it.
  write(chunk, at, written, version) {
    const parts = this.pick(chunk);
    const runs = written && version === (chunk.version || 0) - 1 && chunk.patched && this.pick(chunk.patched);
    if (!runs) {
      let first = at;
      for (const part of parts) {
        this.store.write(first, part);
        first += part.count;
      }
      return;
    }
    for (const run of runs) {
      eachRunPiece(parts, run, (part, from, to, start) => this.store.write(at + from, {
        buffer: part.buffer, offset: part.offset + (from - start) * this.bytes, count: to - from }));
    }
  }

  update(chunks) {
    const counts = chunks.map((c) => this.pick(c).reduce((n, part) => n + part.count, 0));
    const same = this.chunks.length === chunks.length &&
      this.chunks.every((c, i) => c.id === chunks[i].id && this.counts[i] === counts[i]);
    if (!same) {
      this.count = counts.reduce((a, b) => a + b, 0);
      this.store.resize(this.count);
    }
    let at = 0;
    chunks.forEach((chunk, i) => {
      const written = same && this.chunks[i] === chunk;
      if (!written || this.versions[i] !== (chunk.version || 0)) this.write(chunk, at, written, this.versions[i]);
      at += counts[i];
    });
    this.chunks = chunks;
    this.counts = counts;
    this.versions = chunks.map((c) => c.version || 0);
    this.thin = [];
    at = 0;
    chunks.forEach((chunk, i) => {
      for (const [first, count] of this.thinRuns(chunk, counts[i])) this.thin.push([at + first, count]);
      at += counts[i];
    });
  }
}

// Markers as a vertex buffer, one vertex a marker.
function markerStore(gl, buffer) {
  return {
    resize(count) {
      gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
      gl.bufferData(gl.ARRAY_BUFFER, Math.max(1, count) * MARKER_BYTES, gl.STATIC_DRAW);
    },
    write(first, part) {
      gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
      gl.bufferSubData(gl.ARRAY_BUFFER, first * MARKER_BYTES, new Uint8Array(part.buffer, part.offset, part.count * MARKER_BYTES));
    },
  };
}

// Lines as a texture of LINE_ROW records a row, two texels of unsigned words each.
function lineStore(gl, texture) {
  const rowWords = LINE_ROW * (LINE_BYTES / 4);
  return {
    resize(count) {
      gl.bindTexture(gl.TEXTURE_2D, texture);
      gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA32UI, 2 * LINE_ROW, Math.max(1, Math.ceil(count / LINE_ROW)), 0,
                    gl.RGBA_INTEGER, gl.UNSIGNED_INT, null);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.NEAREST);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.NEAREST);
    },
    // A run of records goes in as its part of a first row, whole rows, and the part of a
    // last row.
    write(first, part) {
      gl.bindTexture(gl.TEXTURE_2D, texture);
      gl.pixelStorei(gl.UNPACK_ALIGNMENT, 4);
      const words = new Uint32Array(part.buffer, part.offset, part.count * (LINE_BYTES / 4));
      let record = first;
      let done = 0;
      while (done < part.count) {
        const column = record % LINE_ROW;
        const rows = column === 0 ? Math.floor((part.count - done) / LINE_ROW) : 0;
        const take = rows > 0 ? rows * LINE_ROW : Math.min(LINE_ROW - column, part.count - done);
        const from = done * (LINE_BYTES / 4);
        gl.texSubImage2D(gl.TEXTURE_2D, 0, 2 * column, Math.floor(record / LINE_ROW), rows > 0 ? 2 * LINE_ROW : 2 * take,
                         rows > 0 ? rows : 1, gl.RGBA_INTEGER, gl.UNSIGNED_INT,
                         words.subarray(from, from + (rows > 0 ? rows * rowWords : take * (LINE_BYTES / 4))));
        record += take;
        done += take;
      }
    },
  };
}

// Pieces covering records 0 to `count` in order, [first, count, stride] each: the runs
// of `thin` ([first, count] each, in order) at `stride`, the rest whole.
export function thinPieces({ thin, count }, stride) {
  const pieces = [];
  let at = 0;
  for (const [first, n] of stride > 1 ? thin : []) {
    if (first > at) pieces.push([at, first - at, 1]);
    pieces.push([first, n, stride]);
    at = first + n;
  }
  if (at < count) pieces.push([at, count - at, 1]);
  return pieces;
}

// The runs of at least THIN_MIN force segments among a chunk's line parts.
export function forceRuns(parts) {
  const runs = [];
  let index = 0;
  let start = -1;
  const close = () => {
    if (start >= 0 && index - start >= THIN_MIN) runs.push([start, index - start]);
    start = -1;
  };
  for (const part of parts) {
    const bytes = new Uint8Array(part.buffer, part.offset, part.count * LINE_BYTES);
    for (let i = 0; i < part.count; i++, index++) {
      if (bytes[i * LINE_BYTES + 27] === STYLE_FORCE) {
        if (start < 0) start = index;
      } else {
        close();
      }
    }
  }
  close();
  return runs;
}

// A view's WebGL2 drawing; null when the canvas cannot have WebGL2.
export function createGlDrawing(canvas) {
  const gl = canvas.getContext('webgl2', { antialias: false, alpha: false, depth: false, stencil: false,
                                           premultipliedAlpha: false, preserveDrawingBuffer: false });
  if (!gl) return null;
  return new GlDrawing(gl);
}

class GlDrawing {
  constructor(gl) {
    this.gl = gl;
    this.lines = compile(gl, LINE_VERTEX, LINE_FRAGMENT);
    this.sky = compile(gl, SKY_VERTEX, SKY_FRAGMENT);
    this.lineTexture = gl.createTexture();
    this.markerBuffer = gl.createBuffer();
    this.lineRecords = new Records((c) => c.lines, LINE_BYTES, lineStore(gl, this.lineTexture), forceRuns);
    this.markerRecords = new Records((c) => c.markers, MARKER_BYTES, markerStore(gl, this.markerBuffer),
                                     (parts, count) => [[0, count]]);
    this.lineRecords.store.resize(0);
    this.lineVao = gl.createVertexArray();
    this.markerVao = this.markerAttributes(0, 1);
    this.skyVao = gl.createVertexArray();
    this.states = gl.createTexture();
    this.setSelected([], [0, 0, 0]);
    // Compiled now, while the host draws, rather than at the first drawing that holds markers.
    void this.markers;
  }

  // A marker vertex array (`vao`, else a new one) reading every `stride`-th marker from
  // record `first` on.
  markerAttributes(first, stride, vao = undefined) {
    const { gl } = this;
    const at = first * MARKER_BYTES;
    return attributes(gl, this.markerBuffer, stride * MARKER_BYTES, [
      [0, 3, gl.FLOAT, false, at], [1, 4, gl.UNSIGNED_BYTE, true, at + 12], [2, 1, gl.UNSIGNED_INT, true, at + 16]], vao);
  }

  // The marker shaders of the marker table the page holds, compiled anew when it changes.
  get markers() {
    const version = markerShapesVersion();
    if (this.markerShader?.version !== version) {
      if (this.markerShader) this.gl.deleteProgram(this.markerShader.program);
      this.markerShader = compile(this.gl, ...markerShaders());
      this.markerShader.version = version;
    }
    return this.markerShader;
  }

  // The one-pixel lines of a moving camera, compiled when first needed.
  get fastLines() {
    this.fastLineShader ||= compile(this.gl, FAST_LINE_VERTEX, FAST_LINE_FRAGMENT);
    return this.fastLineShader;
  }

  setChunks(chunks) {
    this.lineRecords.update(chunks);
    this.markerRecords.update(chunks);
  }

  // The node ids drawn as selected, in `color` (red, green, blue from 0 to 1), and those
  // drawn lightened as the pointer rests on them.
  setSelected(ids, color, hovered = []) {
    const { gl } = this;
    const rows = Math.max(1, Math.ceil((Math.max(-1, ...ids, ...hovered) + 1) / STATE_ROW));
    const states = new Uint8Array(rows * STATE_ROW);
    for (const id of hovered) states[id] = 2;
    for (const id of ids) states[id] = 1;
    gl.bindTexture(gl.TEXTURE_2D, this.states);
    gl.pixelStorei(gl.UNPACK_ALIGNMENT, 1);
    gl.texImage2D(gl.TEXTURE_2D, 0, gl.R8UI, STATE_ROW, rows, 0, gl.RED_INTEGER, gl.UNSIGNED_BYTE, states);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.NEAREST);
    gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.NEAREST);
    this.selection = color;
  }

  // Draws the view through the projection `p` (app/web/page/camera.mjs) at `dpr`
  // device pixels per pixel. `motion` 0 draws the full picture; a frame of a moving
  // camera that the full strokes would hold back draws one-pixel lines and markers
  // (`motion` 1), and thins the long runs of force samples to every `motion`-th.
  draw(p, dpr, motion = 0) {
    const { gl } = this;
    const fast = motion > 0;
    gl.viewport(0, 0, gl.drawingBufferWidth, gl.drawingBufferHeight);
    gl.disable(gl.BLEND);
    this.sky.use();
    gl.bindVertexArray(this.skyVao);
    gl.drawArrays(gl.TRIANGLES, 0, 3);
    gl.enable(gl.BLEND);
    gl.blendFuncSeparate(gl.SRC_ALPHA, gl.ONE_MINUS_SRC_ALPHA, gl.ONE, gl.ONE_MINUS_SRC_ALPHA);
    const view = viewMatrix(p);
    const use = (shader) => {
      const u = shader.use();
      gl.uniformMatrix4fv(u.uView, false, view);
      gl.uniform1f(u.uScale, p.scale);
      gl.uniform2f(u.uSize, p.width, p.height);
      gl.uniform1f(u.uNear, p.near);
      gl.uniform1i(u.uPerspective, p.perspective ? 1 : 0);
      gl.uniform1f(u.uDpr, dpr);
      gl.uniform3fv(u.uSelection, this.selection);
      if (u.uFast) gl.uniform1i(u.uFast, fast ? 1 : 0);
      gl.activeTexture(gl.TEXTURE0);
      gl.bindTexture(gl.TEXTURE_2D, this.states);
      gl.uniform1i(u.uStates, 0);
      gl.activeTexture(gl.TEXTURE1);
      gl.bindTexture(gl.TEXTURE_2D, this.lineTexture);
      gl.uniform1i(u.uLines, 1);
      return u;
    };
    if (this.lineRecords.count && !fast) {
      use(this.lines);
      gl.bindVertexArray(this.lineVao);
      gl.drawArrays(gl.TRIANGLES, 0, 3 * this.lineRecords.count);
    } else if (this.lineRecords.count) {
      const u = use(this.fastLines);
      gl.bindVertexArray(this.lineVao);
      for (const [first, count, stride] of thinPieces(this.lineRecords, motion)) {
        gl.uniform1i(u.uFirst, first);
        gl.uniform1i(u.uStride, stride);
        gl.drawArrays(gl.LINES, 0, 2 * Math.ceil(count / stride));
      }
    }
    if (this.markerRecords.count) {
      use(this.markers);
      for (const [first, count, stride] of thinPieces(this.markerRecords, motion)) {
        if (stride === 1) {
          gl.bindVertexArray(this.markerVao);
          gl.drawArrays(gl.POINTS, first, count);
          continue;
        }
        this.thinVao = this.markerAttributes(first, stride, this.thinVao);
        gl.bindVertexArray(this.thinVao);
        gl.drawArrays(gl.POINTS, 0, Math.ceil(count / stride));
      }
    }
    gl.bindVertexArray(null);
  }
}
