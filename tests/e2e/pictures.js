// Pictures for the browser tests: PNG files read into pixels, and a comparison of two
// pictures of the same drawing that forgives what antialiasing does differently.
import { inflateSync } from 'node:zlib';

// The pixels of an 8-bit RGB or RGBA PNG (not interlaced), as {width, height, rgba}.
export function readPng(bytes) {
  const chunks = [];
  let width = 0;
  let height = 0;
  let channels = 0;
  for (let at = 8; at < bytes.length;) {
    const length = bytes.readUInt32BE(at);
    const type = bytes.toString('latin1', at + 4, at + 8);
    const data = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = data.readUInt32BE(0);
      height = data.readUInt32BE(4);
      if (data[8] !== 8 || data[12] !== 0 || ![2, 6].includes(data[9])) throw new Error('an unsupported PNG');
      channels = data[9] === 6 ? 4 : 3;
    } else if (type === 'IDAT') {
      chunks.push(data);
    }
    at += 12 + length;
  }
  const raw = inflateSync(Buffer.concat(chunks));
  const stride = width * channels;
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; x++) {
      const left = x >= channels ? rows[y * stride + x - channels] : 0;
      const up = y > 0 ? rows[(y - 1) * stride + x] : 0;
      const corner = x >= channels && y > 0 ? rows[(y - 1) * stride + x - channels] : 0;
      let v = line[x];
      if (filter === 1) v += left;
      else if (filter === 2) v += up;
      else if (filter === 3) v += (left + up) >> 1;
      else if (filter === 4) {
        const p = left + up - corner;
        const [pa, pb, pc] = [Math.abs(p - left), Math.abs(p - up), Math.abs(p - corner)];
        v += pa <= pb && pa <= pc ? left : pb <= pc ? up : corner;
      }
      rows[y * stride + x] = v & 0xff;
    }
  }
  const rgba = Buffer.alloc(width * height * 4, 255);
  for (let i = 0; i < width * height; i++) {
    for (let c = 0; c < 3; c++) rgba[i * 4 + c] = rows[i * channels + c];
  }
  return { width, height, rgba };
}

// The share of the pixels inside `region` ({left, top, right, bottom}, minus the
// rectangles of `skip`) on which two pictures agree: a pixel agrees when some pixel of
// the other picture within one pixel of it has every channel within `tolerance`, in
// both directions.
export function agreement(a, b, region, skip = [], tolerance = 48) {
  const near = (p, q, x, y) => {
    const i = (y * p.width + x) * 4;
    for (let dy = -1; dy <= 1; dy++) {
      for (let dx = -1; dx <= 1; dx++) {
        const j = ((y + dy) * q.width + x + dx) * 4;
        if (Math.abs(p.rgba[i] - q.rgba[j]) <= tolerance && Math.abs(p.rgba[i + 1] - q.rgba[j + 1]) <= tolerance &&
            Math.abs(p.rgba[i + 2] - q.rgba[j + 2]) <= tolerance) return true;
      }
    }
    return false;
  };
  let total = 0;
  let agreeing = 0;
  for (let y = Math.max(1, region.top); y < Math.min(a.height - 1, region.bottom); y++) {
    for (let x = Math.max(1, region.left); x < Math.min(a.width - 1, region.right); x++) {
      if (skip.some((r) => x >= r.left && x < r.right && y >= r.top && y < r.bottom)) continue;
      total++;
      if (near(a, b, x, y) && near(b, a, x, y)) agreeing++;
    }
  }
  return agreeing / total;
}
