// The page: takes files from the picker or a drop, unpacks ZIP and gzip
// files (archives.js), hands the disk images to the engine and shows what it found in the
// reader's language; saves the files d88cut would write, one by one or as
// one zip.
'use strict';

const languageKey = 'd88web.language';
const results = document.getElementById('results');
const damagedBox = document.getElementById('damaged');
const announcer = document.getElementById('announce');
const grouped = new Intl.NumberFormat('en-US');
const jobs = [];
let t = strings[chooseLanguage()];

function chooseLanguage() {
  let saved = null;
  try {
    saved = localStorage.getItem(languageKey);
  } catch (e) { /* storage refused: follow the browser */ }
  if (Object.hasOwn(strings, saved || '')) return saved;
  return (navigator.language || '').toLowerCase().startsWith('ja') ? 'ja' : 'en';
}

function element(tag, attributes = {}, ...children) {
  const node = document.createElement(tag);
  for (const [key, value] of Object.entries(attributes)) {
    if (key === 'class') node.className = value;
    else if (key.startsWith('on')) node.addEventListener(key.slice(2), value);
    else node.setAttribute(key, value);
  }
  return appendAll(node, children);
}

// Appends nodes and texts, lists of them, and leaves out null and false.
function appendAll(node, children) {
  node.append(...children.flat().filter((c) => c !== null && c !== undefined && c !== false));
  return node;
}

function bytes(count) {
  return t.bytes(grouped.format(count));
}

function listWords(parts) {
  return new Intl.ListFormat(t.locale, { type: 'conjunction' }).format(parts);
}

// The engine runs in a worker started from the page's own script, so the
// page works opened from disk; where no worker starts, on the page itself.
const engine = (() => {
  const waiting = new Map();
  let nextId = 1;
  let worker = null;
  let started = false;
  let onPage = null;

  function pageEngine() {
    if (!onPage) {
      onPage = new Function(`${d88webEngineSource}\nreturn d88webEngine;`)();
      document.getElementById('no-worker').hidden = false;
    }
    return onPage;
  }

  // A worker that never started hands its requests to the page; one that
  // failed later fails them.
  function failed(event) {
    if (started) {
      for (const request of waiting.values()) request.reject(new Error(event.message));
      waiting.clear();
      return;
    }
    worker.terminate();
    worker = null;
    for (const request of waiting.values()) {
      pageEngine().cut(request.images).then(request.resolve, request.reject);
    }
    waiting.clear();
  }

  function answer(event) {
    if (event.data.ready) {
      started = true;
      return;
    }
    const request = waiting.get(event.data.id);
    waiting.delete(event.data.id);
    if (event.data.error) request.reject(new Error(event.data.error));
    else request.resolve(event.data);
  }

  try {
    const source = new Blob([d88webEngineSource], { type: 'text/javascript' });
    worker = new Worker(URL.createObjectURL(source));
    worker.onmessage = answer;
    worker.onerror = failed;
  } catch (e) {
    worker = null;
  }

  return {
    mode: () => (worker ? 'worker' : 'page'),
    cut: (images) => new Promise((resolve, reject) => {
      if (!worker) {
        pageEngine().cut(images).then(resolve, reject);
        return;
      }
      const id = nextId++;
      waiting.set(id, { images, resolve, reject });
      worker.postMessage({ id, images });
    }),
  };
})();

// Names in their table's order, runs of neighbours as ranges:
// "MUS00, MUS05–MUS08".
function nameList(chosen, order) {
  const runs = [];
  for (const name of chosen) {
    const run = runs[runs.length - 1];
    if (run && order.indexOf(name) === order.indexOf(run[run.length - 1]) + 1) run.push(name);
    else runs.push([name]);
  }
  return runs.map((run) => (run.length === 1 ? run[0] : `${run[0]}${t.rangeJoin}${run[run.length - 1]}`))
    .join(t.nameJoin);
}

// What became of a region of a recognised disk, as d88cut wrote it.
function regionState(region) {
  if (!region.file_written) return 'unread';
  if (!region.complete) return 'partial';
  return region.damaged ? 'errors' : 'complete';
}

const stateClass = { complete: 'ok', partial: 'warn', errors: 'warn', unread: 'bad' };

function worstClass(states) {
  if (states.includes('unread')) return 'bad';
  return states.every((s) => s === 'complete') ? 'ok' : 'warn';
}

function verdictLine(image) {
  if (!image.verdict.disk) return element('p', { class: 'verdict bad' }, t.neitherDisk);
  const order = image.regions.map((r) => r.name);
  const states = image.regions.map(regionState);
  const named = (state) => order.filter((_, i) => states[i] === state);
  const complete = named('complete').length;
  const parts = [complete === order.length ? t.allComplete(complete)
    : t.someComplete(complete, order.length)];
  for (const [state, words] of [['partial', t.readInPart], ['errors', t.recordedErrors],
    ['unread', t.notRead]]) {
    if (named(state).length) parts.push(words(nameList(named(state), order)));
  }
  return element('p', { class: `verdict ${worstClass(states)}` },
    t.verdict(t.diskOfTitle(image.verdict.disk), t.outcome(parts)));
}

// Why an image is or is not one of the title's disks, in plain words.
function signatureWords(signature) {
  const where = t.sectorAt(signature.sector, signature.offset);
  const lookedFor = (finding) => t.signatureLookedFor(signature.disk, where, finding);
  switch (signature.finding) {
    case 'present': return t.signatureFound(signature.disk, signature.expected.text, where);
    case 'missing': return lookedFor(t.missing);
    case 'short': return lookedFor(t.short(bytes(signature.bytes_read)));
    default: {
      const found = signature.found || { text: '', hex: '' };
      return lookedFor(t.different(signature.expected.text, found.text, found.hex));
    }
  }
}

function imageBlock(image, count, level) {
  const disk = image.verdict.disk;
  // A recognised disk needs only its own signature as a reason.
  const reasons = image.verdict.signatures.filter((s) => !disk || s.disk === disk);
  return element('div', { class: 'image' },
    element(`h${level}`, {}, t.imageHeading(image.number, count, image.name.text)),
    verdictLine(image),
    reasons.map((s) => element('p', { class: 'why' }, signatureWords(s))),
    element('p', { class: 'facts' }, t.imageFacts(
      image.media_type.byte.toString(16).padStart(2, '0'), image.media_type.meaning,
      bytes(image.disk_size), image.tracks.length)));
}

// Sectors of a flux track read right in fewer revolutions than the track
// had: weak when some read them right, bad when none did.
function unsteadySectors(track) {
  const listed = (test) => track.sectors.filter(test)
    .map((s) => t.fluxSector(s.r, s.good_reads, track.revolutions));
  return {
    weak: listed((s) => s.good_reads > 0 && s.good_reads < track.revolutions),
    bad: listed((s) => s.good_reads === 0 && track.revolutions > 0),
  };
}

// How well a flux dump read: one line for the dump, and one per track in a
// list that opens, as d88info shows them.
function fluxDetails(flux) {
  const tracks = flux.tracks.map((track) => ({ track, ...unsteadySectors(track) }));
  const weak = tracks.reduce((sum, entry) => sum + entry.weak.length, 0);
  const bad = tracks.reduce((sum, entry) => sum + entry.bad.length, 0);
  return element('details', { class: 'flux' },
    element('summary', {}, t.fluxSummary(flux.tracks.length, weak, bad)),
    element('ul', {}, tracks.map(({ track, weak: weakOnes, bad: badOnes }) => element('li', {},
      t.fluxTrack(track.index, track.revolutions, track.cell_ns.toFixed(1),
        track.revolution_ns > 0 ? (60e9 / track.revolution_ns).toFixed(1) : '—',
        track.sectors.length),
      weakOnes.length > 0 && element('span', { class: 'warn' }, t.fluxWeak(weakOnes.join(t.nameJoin))),
      badOnes.length > 0 && element('span', { class: 'bad' }, t.fluxBad(badOnes.join(t.nameJoin)))))));
}

function formatParts(member) {
  const report = member.report;
  const count = (report.images || []).length;
  return [report.format, bytes(member.size),
    t.images(count) + (report.images_past_limit ? ` (${t.pastLimit})` : '')];
}

function consoleDetails(member) {
  return element('details', {},
    element('summary', {}, t.consoleHeading),
    element('pre', { class: 'console' }, shiftJis.decode(member.console) || t.consoleEmpty));
}

function memberSection(member, archived) {
  const images = member.report.images || [];
  const section = element('section', { class: 'member' }, archived && element('h3', {}, member.name));
  if (!images.length) {
    const what = member.report.not_a_disk_image || { container: null, reason: '' };
    section.append(element('p', { class: 'note' },
      t.notImage(member.report.format, what.reason, what.container)));
    // d88cut still reads such a file as D88 and may say so, image by image.
    if (member.console && member.console.length) section.append(consoleDetails(member));
    return section;
  }
  if (archived) section.append(element('p', { class: 'format' }, t.parts(formatParts(member))));
  if (member.report.flux) section.append(fluxDetails(member.report.flux));
  section.append(...images.map((image) => imageBlock(image, images.length, archived ? 4 : 3)),
    consoleDetails(member));
  return section;
}

// One row per name d88cut would write: the kept file, if any, and the
// region its bytes came from.
function fileRows(answer) {
  const regions = answer.members.flatMap((m) => (m.report.images || [])
    .filter((image) => image.verdict.disk).flatMap((image) => image.regions));
  const names = [...new Set([...regions.map((r) => r.name), ...answer.files.map((f) => f.name)])];
  return names.sort().map((name) => {
    const file = answer.files.find((f) => f.name === name) || null;
    const own = regions.filter((r) => r.name === name);
    const region = (file && own.find((r) => r.sha256 === file.sha256)) || own[own.length - 1];
    return { name, file, region };
  });
}

function rowState(row) {
  if (!row.file) return 'unread';
  if (row.file.complete) return 'complete';
  return row.region && !row.region.complete ? 'partial' : 'errors';
}

function stateWords(row, state) {
  switch (state) {
    case 'complete': return t.complete;
    case 'partial': return t.damagedInPart(bytes(row.region.bytes_read), bytes(row.region.length));
    case 'errors': return t.damagedErrors;
    default: return t.unread;
  }
}

function save(name, data, type = 'application/octet-stream') {
  const url = URL.createObjectURL(new Blob([data], { type }));
  const link = element('a', { href: url, download: name });
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

function hashCell(row) {
  const full = row.file.sha256;
  const short = `${full.slice(0, 12)}…`;
  const shown = element('code', {}, short);
  const label = element('span', {}, t.fullHash);
  const button = element('button', { type: 'button', class: 'small quiet', 'aria-expanded': 'false',
    onclick: () => {
      const open = button.getAttribute('aria-expanded') !== 'true';
      button.setAttribute('aria-expanded', String(open));
      shown.textContent = open ? full : short;
      label.textContent = open ? t.shortHash : t.fullHash;
      if (open && navigator.clipboard) navigator.clipboard.writeText(full).catch(() => {});
    } }, label, element('span', { class: 'visually-hidden' }, t.hashOf(row.name)));
  return [shown, ' ', button];
}

function fileRow(row) {
  const state = rowState(row);
  return element('tr', {},
    element('td', { class: 'name' }, row.name),
    element('td', { class: 'size' }, row.file ? bytes(row.file.size) : t.noSize),
    element('td', { class: `state ${stateClass[state]}` }, stateWords(row, state)),
    element('td', { class: 'hash' }, row.file && hashCell(row)),
    element('td', { class: 'action' }, row.file && element('button', {
      type: 'button', class: 'small save', 'data-complete': String(row.file.complete),
      onclick: () => save(row.name, row.file.data) },
    t.save, element('span', { class: 'visually-hidden' }, ` ${row.name}`))));
}

function filesTable(rows) {
  return element('table', {},
    element('caption', { class: 'visually-hidden' }, t.filesHeading),
    element('thead', {}, element('tr', {},
      t.columns.map((column) => element('th', { scope: 'col' }, column)))),
    element('tbody', {}, rows.map(fileRow)));
}

function savePlan(rows) {
  const kept = rows.filter((r) => r.file);
  return {
    saved: kept.filter((r) => r.file.complete || damagedBox.checked),
    damaged: kept.filter((r) => !r.file.complete),
    unread: rows.filter((r) => !r.file),
  };
}

// "Saves 12 files; leaves out MUS05 (damaged) and MUS06–MUS08 (not read)."
function planWords(rows) {
  const plan = savePlan(rows);
  const order = rows.map((r) => r.name);
  const names = (list) => nameList(list.map((r) => r.name), order);
  const left = [];
  if (plan.damaged.length && !damagedBox.checked) left.push(t.leftDamaged(names(plan.damaged)));
  if (plan.unread.length) left.push(t.leftUnread(names(plan.unread)));
  const included = damagedBox.checked && plan.damaged.length ? names(plan.damaged) : '';
  return t.saves(plan.saved.length, included) + (left.length ? t.leavesOut(listWords(left)) : '') +
    t.sentenceEnd;
}

// A damaged file waits for "Include damaged files"; so does a "Save all"
// that would save nothing.
function updateSaving(job) {
  for (const button of job.article.querySelectorAll('button.save')) {
    button.disabled = button.dataset.complete === 'false' && !damagedBox.checked;
  }
  const saveAll = job.article.querySelector('.save-all');
  if (!saveAll) return;
  saveAll.disabled = savePlan(job.rows).saved.length === 0;
  job.article.querySelector('.save-note').textContent = planWords(job.rows);
}

function zipOf(rows) {
  const entries = {};
  for (const row of savePlan(rows).saved) entries[row.name] = row.file.data;
  return fflate.zipSync(entries, { level: 6 });
}

function filesSection(job) {
  const zipName = `${job.input.name.replace(/(\.[^.]*)?(\.gz)?$/i, '') || 'd88cut'}-files.zip`;
  const noteId = `save-note-${job.id}`;
  return element('div', { class: 'files' },
    element('div', { class: 'save-bar' },
      element('button', { type: 'button', class: 'save-all', 'aria-describedby': noteId,
        onclick: () => save(zipName, zipOf(job.rows), 'application/zip') }, t.saveAll(zipName)),
      element('p', { class: 'save-note', id: noteId })),
    filesTable(job.rows),
    job.rows.some((r) => r.file && !r.file.complete) && element('p', { class: 'hint' }, t.damagedHint));
}

function summaryWords(job) {
  const answer = job.answer;
  const took = t.took(Math.round(job.ms));
  if (!answer.kind) return t.summary(formatParts(answer.members[0]), took);
  const kind = answer.kind === 'zip' ? t.zipArchive : t.gzipFile;
  return t.summary([kind, bytes(job.input.size),
    t.inside(answer.members.length + answer.skipped.length)], took);
}

function render(job) {
  const { article, answer } = job;
  article.replaceChildren(element('h2', {}, job.input.streams
    ? t.streamSet(job.input.name, job.input.streams.length) : job.input.name));
  if (!answer) {
    article.append(element('p', {}, t.reading));
    return;
  }
  if (answer.error) {
    article.append(element('p', { class: 'bad' }, t.couldNotRead(answer.error)));
    return;
  }
  const anyImage = answer.members.some((m) => (m.report.images || []).length);
  const { words, worst } = outcome(job);
  appendAll(article, [element('p', { class: 'summary' }, summaryWords(job)),
    element('p', { class: `outcome ${worst}` }, words),
    job.rows.length ? filesSection(job) : anyImage && element('p', { class: 'note' }, t.noFiles),
    answer.members.map((member) => memberSection(member, Boolean(answer.kind))),
    answer.skipped.map((name) => element('p', { class: 'note' }, t.tooLarge(name, bytes(unpackLimit))))]);
  updateSaving(job);
}

// One short line on what became of a file, in the colour of the worst:
// at the top of its result, and what the live region says of it.
function outcome(job) {
  const { answer, rows } = job;
  if (answer.error) return { words: t.outcomeFailed, worst: 'bad' };
  const images = answer.members.flatMap((m) => m.report.images || []);
  if (!images.length) return { words: t.outcomeNotImage, worst: '' };
  const letters = [...new Set(images.map((i) => i.verdict.disk).filter(Boolean))].sort();
  if (!letters.length) return { words: t.outcomeNeither, worst: 'bad' };
  const states = rows.map(rowState);
  const complete = states.filter((s) => s === 'complete').length;
  const unread = states.filter((s) => s === 'unread').length;
  const files = complete === rows.length ? t.outcomeComplete(complete)
    : t.outcomeSome(complete, rows.length, rows.length - complete - unread, unread);
  return { words: t.outcomeFiles(listWords(letters.map(t.disk)), files), worst: worstClass(states) };
}

// KryoFlux names each track's stream NAMEcc.h.raw: cylinder cc, head h.
const streamName = /^(.*)\d\d\.[01]\.raw$/i;

// The files of one drop or choice, each as its folder within the drop and
// its File: a KryoFlux dump's streams of one folder and NAME become one
// input, read together; every other file is an input of its own.
function inputsOf(found) {
  const dumps = new Map();
  const inputs = [];
  for (const { folder, file } of found) {
    const match = streamName.exec(file.name);
    if (!match) {
      inputs.push({ name: file.name, size: file.size, file });
      continue;
    }
    const key = `${folder}/${match[1]}`;
    if (!dumps.has(key)) {
      const dump = { streams: [] };
      dumps.set(key, dump);
      inputs.push(dump);
    }
    dumps.get(key).streams.push(file);
  }
  for (const dump of dumps.values()) {
    dump.streams.sort((a, b) => a.name.localeCompare(b.name));
    dump.name = dump.streams[0].name;
    dump.size = dump.streams.reduce((sum, file) => sum + file.size, 0);
  }
  return inputs;
}

async function readInput(input) {
  if (!input.streams) return unpack(input.name, new Uint8Array(await input.file.arrayBuffer()));
  const streams = await Promise.all(input.streams.map(async (file) =>
    ({ name: file.name, bytes: new Uint8Array(await file.arrayBuffer()) })));
  return { kind: null, images: [{ name: input.name, streams }], skipped: [] };
}

async function take(input, id) {
  const job = { id, input, answer: null, ms: 0, rows: [],
    article: element('article', { 'data-state': 'working', 'aria-busy': 'true' }) };
  jobs.push(job);
  results.append(job.article);
  render(job);
  const started = performance.now();
  try {
    const unpacked = await readInput(input);
    job.answer = { ...unpacked, ...(await engine.cut(unpacked.images)) };
    job.rows = fileRows(job.answer);
  } catch (error) {
    job.answer = { error: String((error && error.message) || error) };
  }
  job.ms = performance.now() - started;
  job.article.dataset.state = job.answer.error ? 'failed' : 'done';
  job.article.dataset.milliseconds = String(job.ms);
  job.article.removeAttribute('aria-busy');
  render(job);
  announcer.append(element('p', {}, t.announce(job.input.name, outcome(job).words)));
}

function takeAll(found) {
  for (const input of inputsOf(found)) take(input, jobs.length + 1);
}

function folderOf(path) {
  return path.replace(/\/?[^/]*$/, '');
}

// Every file of a drop, those inside dropped folders too. The entries are
// taken while the drop lasts; their files are read after.
async function droppedFiles(transfer) {
  const entries = [...transfer.items].map((item) => item.webkitGetAsEntry && item.webkitGetAsEntry())
    .filter(Boolean);
  if (!entries.length) return [...transfer.files].map((file) => ({ folder: '', file }));
  const found = [];
  const walk = async (entry) => {
    if (entry.isFile) {
      found.push({ folder: folderOf(entry.fullPath),
        file: await new Promise((resolve, reject) => entry.file(resolve, reject)) });
      return;
    }
    const reader = entry.createReader();
    for (;;) {
      const batch = await new Promise((resolve, reject) => reader.readEntries(resolve, reject));
      if (!batch.length) return;
      for (const inner of batch) await walk(inner);
    }
  };
  for (const entry of entries) await walk(entry);
  return found;
}

function applyLanguage() {
  document.documentElement.lang = t.locale;
  document.title = t.pageTitle;
  for (const node of document.querySelectorAll('[data-text]')) node.textContent = t[node.dataset.text];
  results.setAttribute('aria-label', t.results);
  const button = document.getElementById('language');
  button.textContent = t.switchTo;
  button.lang = t.switchToLocale;
  jobs.forEach(render);
}

// What the browser tests read: how many files are still being worked on,
// and where the engine runs.
window.d88web = { pending: () => jobs.filter((job) => !job.answer).length, engine: engine.mode };

document.getElementById('language').addEventListener('click', () => {
  t = strings[t.switchToLocale];
  try {
    localStorage.setItem(languageKey, t.locale);
  } catch (e) { /* not remembered */ }
  applyLanguage();
});
damagedBox.addEventListener('change', () => jobs.filter((job) => job.answer).forEach(updateSaving));
const input = document.getElementById('files');
input.addEventListener('change', () => {
  takeAll([...input.files].map((file) => ({ folder: folderOf(file.webkitRelativePath), file })));
  input.value = '';
});
const drop = document.getElementById('drop');
drop.addEventListener('dragover', (event) => {
  event.preventDefault();
  drop.classList.add('over');
});
drop.addEventListener('dragleave', () => drop.classList.remove('over'));
drop.addEventListener('drop', (event) => {
  event.preventDefault();
  drop.classList.remove('over');
  droppedFiles(event.dataTransfer).then(takeAll);
});
applyLanguage();
