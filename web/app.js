'use strict';
// The page: takes the chosen or dropped file, has the worker convert it with
// the programs' own code (bomtables-wasm.js), and shows, copies and
// downloads every table with exactly the bytes the programs write.

// Each kind of file and the tables its program writes, in the converter's
// order (its page_output numbers).
const KINDS = {
  bom: {
    converter: 0,
    tables: [
      { label: 'HTML table (bomtab --html)', file: 'parts.html' },
      { label: 'Wiki table (bomtab --wiki)', file: 'parts.wiki' },
      { label: 'Markdown table (bomtab --md)', file: 'parts.md' },
      { label: 'HTML table in a division (bomgrid)', file: 'parts-grid.html' },
    ],
    noHeader: 'The HTML and wiki tables hold only their ends and the Markdown table is empty: is this a CSV file?',
  },
  csv: {
    converter: 1,
    tables: [
      { label: 'HTML table (rowcast --html)', file: 'parts.html' },
      { label: 'Wiki table (rowcast --wiki)', file: 'parts.wiki' },
      { label: 'Markdown table (rowcast --md)', file: 'parts.md' },
    ],
    noHeader: 'The file holds no row (it is empty or has only empty lines), so the HTML and wiki tables hold only their ends and the Markdown table is empty.',
  },
};
// What the text boxes and the preview show of a large table; Copy and
// Download always take all of it.
const SHOWN_BYTES = 1 << 20;

// Runs in the worker, made from this function's text: a page opened from
// disk may not start a worker from a file. The converter reads the file a
// piece at a time, and every piece read is reported, so the progress bar
// moves while the page stays free. Its notes on how the file was read are
// gathered and sent with the tables.
function converterWorker() {
  let module = null;
  self.onmessage = (event) => {
    const { wasm, file, kind, job } = event.data;
    if (wasm) {
      module = new WebAssembly.Module(wasm);
      return;
    }
    const reader = new FileReaderSync();
    const tables = [[], [], [], []];
    const pending = [[], [], [], []];
    const pendingBytes = [0, 0, 0, 0];
    let memory = null;
    let position = 0;
    let reported = 0;
    let notes = '';
    // Pieces of a table are gathered into a Blob now and then, which the
    // browser may keep outside the page's memory.
    const gather = (output) => {
      tables[output] = [new Blob(tables[output].concat(pending[output]))];
      pending[output] = [];
      pendingBytes[output] = 0;
    };
    const host = {
      read(into, most) {
        try {
          const piece = new Uint8Array(reader.readAsArrayBuffer(file.slice(position, position + most)));
          new Uint8Array(memory.buffer, into, piece.length).set(piece);
          position += piece.length;
          if (position - reported >= (1 << 20) || piece.length === 0) {
            reported = position;
            self.postMessage({ job, progress: position, size: file.size });
          }
          return piece.length;
        } catch (error) {
          return -1;
        }
      },
      write(output, bytes, length) {
        pending[output].push(new Uint8Array(memory.buffer, bytes, length).slice());
        pendingBytes[output] += length;
        if (pendingBytes[output] >= (8 << 20)) gather(output);
      },
      note(line, length) {
        notes += new TextDecoder().decode(new Uint8Array(memory.buffer, line, length));
      },
    };
    // The C library's console streams are never written to, and the module
    // never exits (the page's tables report their failures): these only
    // satisfy its imports. An exit would leave the tables unfinished.
    const unused = () => 52;
    const exited = () => { throw new Error('the converter exited'); };
    try {
      const instance = new WebAssembly.Instance(module, {
        host,
        wasi_snapshot_preview1: {
          fd_write: unused, fd_seek: unused, fd_close: unused, fd_fdstat_get: unused, proc_exit: exited,
        },
      });
      memory = instance.exports.memory;
      const status = instance.exports.convert(kind);
      for (let output = 0; output < tables.length; output++) gather(output);
      self.postMessage({ job, status, notes, tables: tables.map((parts) => parts[0]) });
    } catch (error) {
      // The tables are not whole: memory ran out, or something else failed.
      self.postMessage({ job, status: error instanceof RangeError ? -2 : -3 });
    }
  };
}

const page = {
  fileInput: document.getElementById('file-input'),
  dropZone: document.getElementById('drop-zone'),
  fileName: document.getElementById('file-name'),
  guess: document.getElementById('guess'),
  progress: document.getElementById('progress'),
  status: document.getElementById('status'),
  results: document.getElementById('results'),
  note: document.getElementById('note'),
  preview: document.getElementById('preview'),
  outputs: document.getElementById('outputs'),
  template: document.getElementById('output-template'),
};

let worker = null;
// The file being converted, and the encoding its text is read in to guess
// its kind.
let file = null;
let encoding = 'utf-8';
let converting = 0;  // the newest conversion: the worker's answers name theirs
let busy = false;
let picked = 0;  // the newest file chosen or dropped

function startWorker() {
  const source = new Blob([`(${converterWorker.toString()})();`], { type: 'text/javascript' });
  const url = URL.createObjectURL(source);
  worker = new Worker(url);
  URL.revokeObjectURL(url);
  const wasm = Uint8Array.from(atob(BOMTABLES_WASM), (c) => c.charCodeAt(0));
  worker.postMessage({ wasm });
}

function selectedKind() {
  return document.querySelector('input[name="kind"]:checked').value;
}

// A BOM export has a header line naming its columns in order, as bomtab
// finds it; without one, a file whose first lines hold a quote or are split
// by commas, semicolons or tabs is CSV, wherever its heading is. Only rowcast
// reads UTF-16. The person can always choose otherwise.
function guessKind(bytes, encoding) {
  if ((bytes[0] === 0xff && bytes[1] === 0xfe) || (bytes[0] === 0xfe && bytes[1] === 0xff)) return 'csv';
  const lines = new TextDecoder(encoding).decode(bytes).split('\n');
  const header = /^(?=[A-Za-z]).*Part .*Value .*Device .*Package .*Library .*Sheet|^Part[ \t](.*[ \t])?Value[ \t\r](.*[ \t])?Package([ \t\r]|$)/;
  if (lines.some((line) => header.test(line))) return 'bom';
  const first = lines.filter((line) => line.trim() !== '').slice(0, 20);
  return first.some((line) => /^\s*"|[,;\t]/.test(line)) ? 'csv' : 'bom';
}

// Exports are UTF-8 or, from older editors, Latin-1; what is not UTF-8 is
// read as Windows-1252 (Latin-1's superset) to guess the file's kind. A
// character cut at the end of the bytes looked at does not count against
// UTF-8. The tables are always UTF-8, whatever the file was.
function encodingOf(bytes) {
  try {
    new TextDecoder('utf-8', { fatal: true }).decode(bytes, { stream: true });
    return 'utf-8';
  } catch (error) {
    return 'windows-1252';
  }
}

function say(text) {
  page.status.textContent = text;
}

// A file that cannot be read leaves nothing of the one before it on show.
function cannotRead(name) {
  converting += 1;
  page.progress.value = 0;
  page.results.hidden = true;
  say(`${name} could not be read.`);
}

async function takeFile(chosen) {
  picked += 1;
  const pick = picked;
  page.fileName.textContent = `${chosen.name} (${chosen.size.toLocaleString('en')} bytes)`;
  let head;
  try {
    head = new Uint8Array(await chosen.slice(0, 1 << 16).arrayBuffer());
  } catch (error) {
    if (pick === picked) cannotRead(chosen.name);
    return;
  }
  if (pick !== picked) return;
  file = chosen;
  encoding = encodingOf(head);
  const kind = guessKind(head, encoding);
  document.getElementById(`kind-${kind}`).checked = true;
  page.guess.textContent = kind === 'bom'
    ? 'This looks like a column-aligned BOM export.'
    : 'This looks like a CSV file.';
  convert();
}

function convert() {
  if (file === null) return;
  // A conversion still running is of a file or kind no longer wanted: its
  // worker is dropped rather than waited for.
  if (busy) {
    worker.terminate();
    worker = null;
  }
  const kind = selectedKind();
  const job = { number: converting + 1, file, kind };
  converting = job.number;
  if (worker === null) startWorker();
  busy = true;
  page.progress.value = 0;
  say(`Converting ${file.name}…`);
  const started = performance.now();
  worker.onmessage = (event) => {
    const message = event.data;
    if (message.job !== job.number) return;
    if (message.progress !== undefined) {
      page.progress.value = message.size > 0 ? (100 * message.progress) / message.size : 100;
      return;
    }
    busy = false;
    showTables(job, message, performance.now() - started);
  };
  worker.onerror = (event) => {
    event.preventDefault();
    busy = false;
    worker = null;
    page.progress.value = 0;
    say('The converter could not run in this browser.');
  };
  worker.postMessage({ file, kind: KINDS[kind].converter, job: job.number });
}

// Text of the first `most` bytes of a table; a character cut at the end is
// left out.
async function textOf(blob, most) {
  const bytes = new Uint8Array(await blob.slice(0, most).arrayBuffer());
  return new TextDecoder('utf-8').decode(bytes, { stream: most < blob.size });
}

function sizeText(bytes) {
  if (bytes < 1 << 20) return `${bytes.toLocaleString('en')} bytes`;
  return `${(bytes / (1 << 20)).toFixed(1)} MiB`;
}

const FAILURES = {
  '-1': (name) => `${name} could not be read.`,
  '-2': () => 'The tables could not be kept: the browser ran out of memory.',
  '-3': () => 'The conversion failed in this browser.',
};

// Shows the tables of a conversion, unless a newer one has begun.
async function showTables(job, message, milliseconds) {
  if (FAILURES[message.status]) {
    page.progress.value = 0;
    page.results.hidden = true;
    say(FAILURES[message.status](job.file.name));
    return;
  }
  page.progress.value = 100;
  const tables = KINDS[job.kind].tables.map((table, i) => ({ ...table, blob: message.tables[i] }));
  const texts = await Promise.all(tables.map((table) => textOf(table.blob, SHOWN_BYTES)));
  if (job.number !== converting) return;
  const note = message.status === 0 ? KINDS[job.kind].noHeader : '';
  page.note.hidden = note === '';
  page.note.textContent = note;
  page.outputs.replaceChildren(...tables.map(outputBox));
  texts.forEach((text, i) => { page.outputs.children[i].querySelector('.output-text').value = text; });
  page.results.hidden = false;
  await showPreview(tables[0]);
  if (job.number !== converting) return;
  // The converter's notes follow, one line each.
  const done = `Converted ${job.file.name} in ${(milliseconds / 1000).toFixed(1)} s. ${page.guess.textContent} ${note}`;
  say(`${done.trim()}\n${message.notes}`.trim());
}

function outputBox(table, i) {
  const box = page.template.content.firstElementChild.cloneNode(true);
  const id = `output-${i}`;
  const label = box.querySelector('.output-label');
  label.textContent = table.label;
  label.htmlFor = id;
  const text = box.querySelector('.output-text');
  text.id = id;
  const size = table.blob.size;
  box.querySelector('.output-size').textContent = size > SHOWN_BYTES
    ? `${sizeText(size)}; the first ${sizeText(SHOWN_BYTES)} is shown here. Copy and Download take all of it.`
    : sizeText(size);
  const copy = box.querySelector('.copy');
  copy.textContent = `Copy ${table.file}`;
  copy.addEventListener('click', () => copyText(table, copy));
  const download = box.querySelector('.download');
  download.textContent = `Download ${table.file}`;
  download.addEventListener('click', () => downloadFile(table));
  return box;
}

async function copyText(table, button) {
  const text = await textOf(table.blob, table.blob.size);
  let copied = true;
  try {
    await navigator.clipboard.writeText(text);
  } catch (error) {
    // Without the clipboard's permission (a page opened from disk, in some
    // browsers) a selected text box is copied instead.
    const box = document.createElement('textarea');
    box.value = text;
    document.body.append(box);
    box.select();
    copied = document.execCommand('copy');
    box.remove();
  }
  say(copied ? `${table.file} copied.` : `${table.file} could not be copied: select its text and copy it, or download it.`);
  button.focus();
}

function downloadFile(table) {
  const url = URL.createObjectURL(new Blob([table.blob], { type: 'application/octet-stream' }));
  const link = document.createElement('a');
  link.href = url;
  link.download = table.file;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

// The table as a browser shows it, in a frame that runs no script and may
// load nothing: the cells are not escaped, so markup in them is markup. The
// frame's policy stops loads and connections; links and meta elements, which
// may still ask the browser to reach a host ahead of time, are taken out.
async function showPreview(table) {
  let html = await textOf(table.blob, SHOWN_BYTES);
  if (table.blob.size > SHOWN_BYTES) {
    html = `${html.slice(0, html.lastIndexOf('</tr>') + 5)}\n</table>\n`;
  }
  const shown = new DOMParser().parseFromString(html, 'text/html');
  for (const element of shown.querySelectorAll('link, meta, base')) element.remove();
  const loaded = new Promise((resolve) => page.preview.addEventListener('load', resolve, { once: true }));
  page.preview.srcdoc = '<!DOCTYPE html><html><head><meta charset="utf-8">' +
    '<meta http-equiv="Content-Security-Policy" content="default-src \'none\'; style-src \'unsafe-inline\'">' +
    '<style>body{font-family:system-ui,sans-serif;margin:0.5rem}table{border-collapse:collapse}' +
    'th,td{border:1px solid #a2a9b1;padding:0.2rem 0.4rem;text-align:left}th{background:#eaecf0}</style>' +
    `</head><body>${shown.head.innerHTML}${shown.body.innerHTML}</body></html>`;
  await loaded;
}

page.fileInput.addEventListener('change', () => {
  if (page.fileInput.files.length > 0) takeFile(page.fileInput.files[0]);
});
for (const radio of document.querySelectorAll('input[name="kind"]')) {
  radio.addEventListener('change', convert);
}
page.dropZone.addEventListener('dragover', (event) => {
  event.preventDefault();
  page.dropZone.classList.add('dragging');
});
page.dropZone.addEventListener('dragleave', () => page.dropZone.classList.remove('dragging'));
page.dropZone.addEventListener('drop', (event) => {
  event.preventDefault();
  page.dropZone.classList.remove('dragging');
  if (event.dataTransfer.files.length > 0) takeFile(event.dataTransfer.files[0]);
});
// A file dropped beside the zone would otherwise replace the page.
window.addEventListener('dragover', (event) => event.preventDefault());
window.addEventListener('drop', (event) => event.preventDefault());
