// Writes engine.js: Emscripten's glue (the WebAssembly inside it) and the
// worker's script as one string, from which the page starts its worker
// through a Blob. Nothing is fetched, so the page works opened from disk.
//   node make_engine.js GLUE WORKER OUTPUT
'use strict';
const fs = require('fs');

const [glue, worker, output] = process.argv.slice(2);
const source = `${fs.readFileSync(glue, 'utf8')}\n${fs.readFileSync(worker, 'utf8')}`;
fs.writeFileSync(output, `const d88webEngineSource = ${JSON.stringify(source)};\n`);
