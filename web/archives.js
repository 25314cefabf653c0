// The disk images inside the files the page is given: the members of a ZIP
// file, the file inside a gzip file, unpacked with fflate.
'use strict';

const shiftJis = new TextDecoder('shift_jis');
// An archive's member larger than this stays packed: no disk image comes
// near it, and unpacking allocates what the archive claims.
const unpackLimit = 64 * 1024 * 1024;

// A name's bytes as an archive records them: UTF-8, or else CP932, as
// archivers on Japanese machines write them.
function nameFromBytes(raw) {
  try {
    return new TextDecoder('utf-8', { fatal: true }).decode(raw);
  } catch (e) {
    return shiftJis.decode(raw);
  }
}

// fflate reads a ZIP member's name without the UTF-8 flag as Latin-1: its
// characters are the name's bytes.
function zippedName(name) {
  if (!/[\x80-\xff]/.test(name) || /[^\x00-\xff]/.test(name)) return name;
  return nameFromBytes(Uint8Array.from(name, (c) => c.charCodeAt(0)));
}

function memberName(archive, member) {
  return `${archive} › ${member}`;
}

function startsWith(data, magic) {
  return magic.every((b, i) => data[i] === b);
}

function unzip(name, data) {
  const skipped = [];
  const members = fflate.unzipSync(data, {
    filter: (entry) => {
      if (entry.name.endsWith('/')) return false;
      if (entry.originalSize <= unpackLimit) return true;
      skipped.push(memberName(name, zippedName(entry.name)));
      return false;
    },
  });
  const images = Object.entries(members).map(
    ([member, contents]) => ({ name: memberName(name, zippedName(member)), bytes: contents }));
  return { kind: 'zip', images, skipped };
}

// The name a gzip header records (FNAME), or the file's own less ".gz".
function gzippedName(name, data) {
  const flags = data[3];
  const at = 10 + (flags & 0x04 ? 2 + (data[10] | (data[11] << 8)) : 0);
  const end = flags & 0x08 ? data.indexOf(0, at) : -1;
  return end < 0 ? name.replace(/\.gz$/i, '') : nameFromBytes(data.subarray(at, end));
}

function gunzip(name, data) {
  const member = memberName(name, gzippedName(name, data));
  // The size the trailer records, modulo 4 GiB.
  const size = data.length < 18 ? 0 : new DataView(data.buffer, data.byteOffset + data.length - 4)
    .getUint32(0, true);
  if (size > unpackLimit) return { kind: 'gzip', images: [], skipped: [member] };
  return { kind: 'gzip', images: [{ name: member, bytes: fflate.gunzipSync(data) }], skipped: [] };
}

// The disk images a file given holds: itself, the members of a ZIP file,
// or the file inside a gzip file; and the members left packed.
function unpack(name, data) {
  if (startsWith(data, [0x50, 0x4b, 0x03, 0x04]) || startsWith(data, [0x50, 0x4b, 0x05, 0x06])) {
    return unzip(name, data);
  }
  if (startsWith(data, [0x1f, 0x8b])) return gunzip(name, data);
  return { kind: null, images: [{ name, bytes: data }], skipped: [] };
}
