// The work of the page, off its main thread: the C++ library compiled to
// WebAssembly cuts and analyses each file given, as d88cut and d88info would.
'use strict';
importScripts('d88web.js');

const modulePromise = createD88Web({
  // The glue's own messages (none are expected) stay out of the results.
  print: () => {},
  printErr: () => {},
});

function hex(buffer) {
  return Array.from(new Uint8Array(buffer), (b) => b.toString(16).padStart(2, '0')).join('');
}

async function run(module, name, bytes) {
  // One file at a time: the in-memory file system holds it while it is read.
  module.FS.writeFile('/input', bytes);
  let result;
  let console;
  const files = [];
  try {
    const json = module.ccall('d88web_run', 'string', ['string', 'string'], ['/input', name]);
    result = JSON.parse(json);
    const printed = module.ccall('d88web_console_data', 'number', [], []);
    console = module.HEAPU8.slice(printed, printed + result.console_size);
    for (const file of result.files) {
      const address = module.ccall('d88web_file_data', 'number', ['string'], [file.name]);
      // A copy: the module's memory is reused by the next run.
      const data = module.HEAPU8.slice(address, address + file.size);
      files.push({ ...file, data });
    }
  } finally {
    try { module.FS.unlink('/input'); } catch (e) { /* not made */ }
  }
  // SHA-256 from the browser's own cryptography, of the bytes a save gives.
  for (const file of files) {
    file.sha256 = hex(await crypto.subtle.digest('SHA-256', file.data));
  }
  return { report: result.report, complete: result.complete, console, files };
}

// Files are taken in the order they come; each answer names its request.
let queue = Promise.resolve();
self.onmessage = (event) => {
  const { id, name, buffer } = event.data;
  queue = queue.then(async () => {
    try {
      const module = await modulePromise;
      const answer = await run(module, name, new Uint8Array(buffer));
      self.postMessage({ id, ...answer }, answer.files.map((f) => f.data.buffer));
    } catch (error) {
      self.postMessage({ id, error: String(error && error.message || error) });
    }
  });
};
