// The work of the page: the C++ library compiled to WebAssembly cuts and
// analyses each disk image given, as d88cut and d88info would. The build
// puts Emscripten's glue (createD88Web, the WebAssembly inside it) before
// this script, and the page runs the two as its worker, or, where no worker
// can start, on the page itself.
const d88webEngine = (() => {
  let modulePromise = null;

  function loaded() {
    // The glue's own messages (none are expected) stay out of the results.
    modulePromise = modulePromise || createD88Web({ print: () => {}, printErr: () => {} });
    return modulePromise;
  }

  function hex(buffer) {
    return Array.from(new Uint8Array(buffer), (b) => b.toString(16).padStart(2, '0')).join('');
  }

  function bytesAt(module, address, size) {
    // A copy: the module's memory is reused by the next run.
    return module.HEAPU8.slice(address, address + size);
  }

  // Calls `use` with the bytes copied into the module's memory.
  function withBytes(module, bytes, use) {
    const address = module._malloc(Math.max(bytes.length, 1));
    try {
      module.HEAPU8.set(bytes, address);
      return use(address);
    } finally {
      module._free(address);
    }
  }

  function member(module, name, size, answer) {
    const result = JSON.parse(answer);
    const printed = module.ccall('d88web_console_data', 'number', [], []);
    return { name, size, report: result.report, complete: result.complete,
      console: bytesAt(module, printed, result.console_size) };
  }

  // One disk image.
  function runOne(module, image) {
    return member(module, image.name, image.bytes.length, withBytes(module, image.bytes,
      (address) => module.ccall('d88web_run', 'string', ['number', 'number', 'string'],
        [address, image.bytes.length, image.name])));
  }

  // A KryoFlux dump's track files, read as one file; when none of them is
  // a stream, each file on its own.
  function runStreams(module, image) {
    module.ccall('d88web_begin_streams', null, [], []);
    for (const stream of image.streams) {
      withBytes(module, stream.bytes, (address) => module.ccall('d88web_add_stream', null,
        ['number', 'number', 'string'], [address, stream.bytes.length, stream.name]));
    }
    const answer = module.ccall('d88web_run_streams', 'string', ['string'], [image.name]);
    if (!answer) return image.streams.map((stream) => runOne(module, stream));
    return [member(module, image.name,
      image.streams.reduce((sum, stream) => sum + stream.bytes.length, 0), answer)];
  }

  function keptFiles(module) {
    return JSON.parse(module.ccall('d88web_files', 'string', [], [])).map((file) => {
      const address = module.ccall('d88web_file_data', 'number', ['string'], [file.name]);
      return { ...file, data: bytesAt(module, address, file.size) };
    });
  }

  // The images of one given file (one, or those inside an archive), cut
  // into one set of files; SHA-256 from the browser's own cryptography, of
  // the bytes a save gives.
  async function cut(images) {
    const module = await loaded();
    module.ccall('d88web_begin', null, [], []);
    const members = images.flatMap((image) => (image.streams ? runStreams(module, image)
      : [runOne(module, image)]));
    const files = keptFiles(module);
    for (const file of files) {
      file.sha256 = hex(await crypto.subtle.digest('SHA-256', file.data));
    }
    return { members, files };
  }

  return { cut };
})();

if (typeof WorkerGlobalScope !== 'undefined' && self instanceof WorkerGlobalScope) {
  // Requests are answered in the order they come; each answer names its own.
  let queue = Promise.resolve();
  self.onmessage = (event) => {
    const { id, images } = event.data;
    queue = queue.then(async () => {
      try {
        const answer = await d88webEngine.cut(images);
        self.postMessage({ id, ...answer }, answer.files.map((f) => f.data.buffer));
      } catch (error) {
        self.postMessage({ id, error: String((error && error.message) || error) });
      }
    });
  };
  self.postMessage({ ready: true });
}
