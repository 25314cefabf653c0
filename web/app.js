// The page: takes files from the picker or a drop, hands each to the worker,
// and shows what it found; saves the files d88cut would write, one by one
// or as one zip.
'use strict';

const worker = new Worker('worker.js');
const results = document.getElementById('results');
const damagedBox = document.getElementById('damaged');
const pending = new Map();
let nextId = 1;

// What the browser tests read: how many files are still being worked on.
window.d88web = { pending: () => pending.size };

const shiftJis = new TextDecoder('shift_jis');
const grouped = new Intl.NumberFormat('en-US');

function element(tag, attributes = {}, ...children) {
  const node = document.createElement(tag);
  for (const [key, value] of Object.entries(attributes)) {
    if (key === 'class') node.className = value;
    else if (key.startsWith('on')) node.addEventListener(key.slice(2), value);
    else node.setAttribute(key, value);
  }
  node.append(...children.filter((c) => c !== null && c !== undefined));
  return node;
}

function bytes(count) {
  return `${grouped.format(count)} bytes`;
}

function sectorWords(s) {
  return `track ${s.track} (C ${s.c} H ${s.h} R ${s.r} N ${s.n})`;
}

// Why an image is or is not one of the title's disks, in plain words.
function signatureWords(signature) {
  const where = `Disk ${signature.disk} signature looked for in ${sectorWords(signature.sector)} ` +
    `at byte ${signature.offset}`;
  switch (signature.finding) {
    case 'present': return `${where}: present.`;
    case 'missing': return `${where}: the sector is not on this disk.`;
    case 'short': return `${where}: the sector holds only ${bytes(signature.bytes_read)}.`;
    default:
      return `${where}: different text. Expected “${signature.expected.text}”, ` +
        `found “${signature.found ? signature.found.text : ''}” (${signature.found ? signature.found.hex : ''}).`;
  }
}

function verdictWords(image) {
  if (image.verdict.disk) return `Disk ${image.verdict.disk} of the title.`;
  return 'Neither disk of the title.';
}

function imageSection(image, count) {
  const disk = image.verdict.disk;
  const section = element('section', { class: 'image' },
    element('h3', {}, `Image ${image.number} of ${count}: “${image.name.text}”`),
    element('p', {}, `Media type 0x${image.media_type.byte.toString(16).padStart(2, '0')} ` +
      `(${image.media_type.meaning}), ${bytes(image.disk_size)}, ${image.tracks.length} tracks recorded.`),
    element('p', { class: disk ? 'ok verdict' : 'bad verdict' }, `Verdict: ${verdictWords(image)}`));
  // A recognised disk needs only its own signature as a reason.
  const reasons = image.verdict.signatures.filter((s) => !disk || s.disk === disk);
  for (const signature of reasons) {
    section.append(element('p', { class: 'why' }, signatureWords(signature)));
  }
  if (image.regions.length) {
    const rows = image.regions.map((r) => element('tr', {},
      element('td', { class: 'mono' }, r.name),
      element('td', { class: 'num' }, bytes(r.length)),
      element('td', { class: r.complete ? 'ok' : 'bad' },
        !r.file_written ? 'not readable: no file' :
          r.complete ? 'complete' : `damaged: ${bytes(r.bytes_read)} read`)));
    section.append(element('table', {},
      element('caption', { class: 'visually-hidden' }, `Regions of image ${image.number}`),
      element('tr', {}, element('th', {}, 'Region'), element('th', {}, 'Size'), element('th', {}, 'Read')),
      ...rows));
  }
  return section;
}

function save(name, data, type = 'application/octet-stream') {
  const url = URL.createObjectURL(new Blob([data], { type }));
  const link = element('a', { href: url, download: name });
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

function savable(file) {
  return file.complete || damagedBox.checked;
}

// A save button holding only damaged files waits for "Include damaged files".
function applyDamagedChoice(root) {
  for (const button of root.querySelectorAll('button[data-complete]')) {
    button.disabled = button.dataset.empty === 'true' ||
      (button.dataset.complete === 'false' && !damagedBox.checked);
  }
}

function filesSection(answer, baseName) {
  const section = element('section', { class: 'files' }, element('h3', {}, 'Files d88cut writes'));
  if (!answer.files.length) {
    section.append(element('p', {}, 'None: no image is one of the title\'s disks.'));
    return section;
  }
  const rows = answer.files.map((file) => {
    const button = element('button', { class: 'small', type: 'button',
      'data-complete': String(file.complete),
      'aria-label': `Save ${file.name}`, onclick: () => save(file.name, file.data) }, 'Save');
    return element('tr', {},
      element('td', { class: 'mono' }, file.name),
      element('td', { class: 'num' }, bytes(file.size)),
      element('td', { class: file.complete ? 'ok' : 'bad' }, file.complete ? 'complete' : 'damaged'),
      element('td', { class: 'mono hash' }, file.sha256),
      element('td', {}, button));
  });
  const zipName = `${baseName.replace(/\.[^.]*$/, '') || 'd88cut'}-files.zip`;
  const saveAll = element('button', { type: 'button', class: 'save-all',
    'data-complete': String(answer.files.some((f) => f.complete)),
    'data-empty': String(answer.files.length === 0),
    onclick: () => {
      const entries = {};
      for (const file of answer.files.filter(savable)) entries[file.name] = file.data;
      save(zipName, fflate.zipSync(entries, { level: 6 }), 'application/zip');
    } }, `Save all as ${zipName}`);
  section.append(element('table', {},
    element('caption', { class: 'visually-hidden' }, 'Files d88cut writes'),
    element('tr', {}, element('th', {}, 'File'), element('th', {}, 'Size'), element('th', {}, 'State'),
      element('th', {}, 'SHA-256'), element('th', {}, element('span', { class: 'visually-hidden' }, 'Action'))),
    ...rows), element('p', {}, saveAll));
  applyDamagedChoice(section);
  if (answer.files.some((f) => !f.complete)) {
    section.append(element('p', { class: 'hint' },
      'A damaged file is saved (with zeros for what could not be read) only when you tick ' +
      '“Include damaged files”.'));
  }
  return section;
}

function show(article, file, answer, milliseconds) {
  article.replaceChildren(element('h2', {}, file.name));
  if (answer.error) {
    article.append(element('p', { class: 'bad' }, `Could not be read: ${answer.error}`));
    return;
  }
  const report = answer.report;
  const count = report.images.length;
  article.append(element('p', { class: 'format' },
    `${report.format}, ${bytes(file.size)}, ${count} image${count === 1 ? '' : 's'}` +
    (report.images_past_limit ? ' (and more past the 64th, not read)' : '') +
    ` — analysed and cut in ${Math.round(milliseconds)} ms.`));
  for (const image of report.images) article.append(imageSection(image, count));
  article.append(filesSection(answer, file.name));
  article.append(element('h3', {}, 'What d88cut prints'),
    element('pre', { class: 'console' }, shiftJis.decode(answer.console) || '(nothing)'));
}

function take(fileList) {
  for (const file of fileList) {
    const id = nextId++;
    const article = element('article', { 'data-state': 'working', 'aria-busy': 'true' },
      element('h2', {}, file.name), element('p', {}, 'Reading…'));
    results.append(article);
    const started = performance.now();
    pending.set(id, (answer) => {
      const milliseconds = performance.now() - started;
      show(article, file, answer, milliseconds);
      article.dataset.state = answer.error ? 'failed' : 'done';
      article.dataset.milliseconds = String(milliseconds);
      article.removeAttribute('aria-busy');
    });
    file.arrayBuffer().then(
      (buffer) => worker.postMessage({ id, name: file.name, buffer }, [buffer]),
      (error) => pending.get(id)({ error: String(error) }));
  }
}

worker.onmessage = (event) => {
  const done = pending.get(event.data.id);
  pending.delete(event.data.id);
  if (done) done(event.data);
};

damagedBox.addEventListener('change', () => applyDamagedChoice(results));

const input = document.getElementById('files');
input.addEventListener('change', () => {
  take(input.files);
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
  take(event.dataTransfer.files);
});
