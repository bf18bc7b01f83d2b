'use strict';
// The page: takes the chosen or dropped file, has the worker convert it with
// the programs' own code (bomtables-wasm.js), and shows, copies and
// downloads every table with exactly the bytes the programs write.

// Each kind of file and the tables its program writes, in the converter's
// order (its page_output numbers). A table is named after the file: board.txt
// gives board.html, board.wiki, board.md and board-grid.html.
const KINDS = {
  bom: {
    name: 'column-aligned BOM export',
    converter: 0,
    tables: [
      { label: 'HTML table (bomtab --html)', ending: '.html' },
      { label: 'Wiki table (bomtab --wiki)', ending: '.wiki' },
      { label: 'Markdown table (bomtab --md)', ending: '.md' },
      { label: 'HTML table in a division (bomgrid)', ending: '-grid.html' },
    ],
    noRows: 'no header line, so no rows',
    noHeader: 'The HTML and wiki tables hold only their ends and the Markdown table is empty: is this a CSV file?',
  },
  csv: {
    name: 'CSV file',
    converter: 1,
    tables: [
      { label: 'HTML table (rowcast --html)', ending: '.html' },
      { label: 'Wiki table (rowcast --wiki)', ending: '.wiki' },
      { label: 'Markdown table (rowcast --md)', ending: '.md' },
    ],
    noRows: 'no rows, as the file is empty or has only empty lines',
    noHeader: 'The file holds no row (it is empty or has only empty lines), so the HTML and wiki tables hold only their ends and the Markdown table is empty.',
  },
};
// The rows are counted in the Markdown table, which is a line for each row
// converted after the heading row and the `| --- |` row: a line break in a
// cell is written <br> there.
const MARKDOWN = KINDS.bom.tables.findIndex((table) => table.ending === '.md');
const MARKDOWN_HEAD_LINES = 2;
// What the text boxes and the preview show of a large table; Copy and
// Download always take all of it.
const SHOWN_BYTES = 1 << 20;

// Runs in the worker, made from this function's text: a page opened from
// disk may not start a worker from a file. The converter reads the file a
// piece at a time, and every piece read is reported, so the progress bar
// moves while the page stays free. Its notes on how the file was read are
// gathered and sent with the tables, and the lines of one table counted.
function converterWorker() {
  let module = null;
  self.onmessage = (event) => {
    const { wasm, file, kind, job, countLinesOf } = event.data;
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
    let lines = 0;
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
        const piece = new Uint8Array(memory.buffer, bytes, length).slice();
        if (output === countLinesOf) {
          for (let at = piece.indexOf(10); at !== -1; at = piece.indexOf(10, at + 1)) lines += 1;
        }
        pending[output].push(piece);
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
      self.postMessage({ job, status, notes, lines, tables: tables.map((parts) => parts[0]) });
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
  previewSmaller: document.getElementById('preview-smaller'),
  outputs: document.getElementById('outputs'),
  template: document.getElementById('output-template'),
};

let worker = null;
// The file being converted, the encoding its text is read in to guess its
// kind, that guess, and whether the person has chosen a kind since.
let file = null;
let encoding = 'utf-8';
let guessed = 'bom';
let chosen = false;
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

// The tables are named after the file, without its last ending: board.txt
// gives board.html; a name that is only an ending, or none, gives parts.html.
function baseName(name) {
  const dot = name.lastIndexOf('.');
  return (dot > 0 ? name.slice(0, dot) : name) || 'parts';
}

function say(text, failed = false) {
  page.status.textContent = text;
  page.status.classList.toggle('failed', failed);
}

// A conversion that fails leaves nothing of the file before it on show.
function fail(text) {
  page.progress.value = 0;
  page.results.hidden = true;
  measureRoot.replaceChildren();
  say(`Not converted: ${text}`, true);
}

async function takeFile(given) {
  picked += 1;
  const pick = picked;
  page.fileName.textContent = `${given.name} (${given.size.toLocaleString('en')} bytes)`;
  let head;
  try {
    head = new Uint8Array(await given.slice(0, 1 << 16).arrayBuffer());
  } catch (error) {
    if (pick === picked) {
      converting += 1;
      fail(`${given.name} could not be read.`);
    }
    return;
  }
  if (pick !== picked) return;
  file = given;
  encoding = encodingOf(head);
  guessed = guessKind(head, encoding);
  chosen = false;
  document.getElementById(`kind-${guessed}`).checked = true;
  page.guess.textContent = `This looks like a ${KINDS[guessed].name}.`;
  convert();
}

function chooseKind() {
  if (file === null) return;
  chosen = true;
  const kind = selectedKind();
  page.guess.textContent = kind === guessed
    ? `This looks like a ${KINDS[guessed].name}.`
    : `This looks like a ${KINDS[guessed].name}; it is read as a ${KINDS[kind].name}, as you chose.`;
  convert();
}

function convert() {
  // A conversion still running is of a file or kind no longer wanted: its
  // worker is dropped rather than waited for.
  if (busy) {
    worker.terminate();
    worker = null;
  }
  const kind = selectedKind();
  const job = { number: converting + 1, file, kind, how: chosen ? 'as you chose' : 'as the page guessed' };
  converting = job.number;
  if (worker === null) startWorker();
  busy = true;
  page.progress.value = 0;
  say(`Converting ${file.name} as a ${KINDS[kind].name}…`);
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
    fail('the converter could not run in this browser.');
  };
  worker.postMessage({ file, kind: KINDS[kind].converter, job: job.number, countLinesOf: MARKDOWN });
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
  '-2': (name) => `the tables of ${name} could not be kept, as the browser ran out of memory.`,
  '-3': (name) => `the conversion of ${name} failed in this browser.`,
};

// Shows the tables of a conversion, unless a newer one has begun, and says
// what was done: the kind, how it was taken, the rows, and the programs'
// notes, one a line.
async function showTables(job, message, milliseconds) {
  if (FAILURES[message.status]) {
    fail(FAILURES[message.status](job.file.name));
    return;
  }
  page.progress.value = 100;
  const base = baseName(job.file.name);
  const tables = KINDS[job.kind].tables.map((table, i) => ({ ...table, file: base + table.ending, blob: message.tables[i] }));
  const texts = await Promise.all(tables.map((table) => textOf(table.blob, SHOWN_BYTES)));
  if (job.number !== converting) return;
  const note = message.status === 0 ? KINDS[job.kind].noHeader : '';
  page.note.hidden = note === '';
  page.note.textContent = note;
  page.outputs.replaceChildren(...tables.map(outputBox));
  page.results.hidden = false;
  texts.forEach((text, i) => { page.outputs.children[i].querySelector('.output-text').value = text; });
  await showPreview(tables[0]);
  if (job.number !== converting) return;
  fitToContent();
  const rows = Math.max(0, message.lines - MARKDOWN_HEAD_LINES);
  const converted = message.status === 0 ? KINDS[job.kind].noRows : `${rows.toLocaleString('en')} ${rows === 1 ? 'row' : 'rows'}`;
  const done = `Converted ${job.file.name} in ${(milliseconds / 1000).toFixed(1)} s as a ${KINDS[job.kind].name}, ${job.how}: ${converted}.`;
  say(`${done}\n${message.notes}`.trim());
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
  if (copied) say(`${table.file} copied.`);
  else say(`${table.file} could not be copied: select its text and copy it, or download it.`, true);
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

// ---- The preview. The program's HTML is parsed in a document that has no
// window, which loads and runs nothing, and the preview is made anew from
// what that holds: the tables, their rows, their heading and data cells, and
// in a cell its text and these inline elements, without any attribute. No
// frame, link, image, medium, form, object, style, script or address of a
// cell reaches the preview; what a browser shows of their content as text is
// shown as text. The frame, sandboxed and with a policy that loads nothing, is
// the second wall. Copy and Download still give the programs' bytes.
const HTML_SPACE = 'http://www.w3.org/1999/xhtml';
const INLINE = new Set(['b', 'i', 'em', 'strong', 'sub', 'sup', 'br', 'span']);
// Elements whose content a browser does not show as text.
const UNSHOWN = new Set(['script', 'style', 'template', 'iframe', 'noembed', 'noframes', 'title', 'video', 'audio',
  'datalist', 'desc', 'metadata']);
const PREVIEW_STYLE = 'table{border-collapse:collapse;zoom:var(--zoom,1)}'
  + 'th,td{border:1px solid #a2a9b1;padding:0.2rem 0.4rem;text-align:left}th{background:#eaecf0}';
const built = document.implementation.createHTMLDocument('');

function copyShown(from, into) {
  for (const node of from.childNodes) {
    if (node.nodeType === Node.TEXT_NODE || node.nodeType === Node.CDATA_SECTION_NODE) {
      into.append(node.data);
    } else if (node.nodeType === Node.ELEMENT_NODE && !UNSHOWN.has(node.localName) && !node.hasAttribute('hidden')) {
      const inline = node.namespaceURI === HTML_SPACE && INLINE.has(node.localName);
      copyShown(node, inline ? into.appendChild(built.createElement(node.localName)) : into);
    }
  }
}

// The tables not inside a cell, in the order a browser shows them.
function previewTables(html) {
  const parsed = new DOMParser().parseFromString(html, 'text/html');
  return [...parsed.querySelectorAll('table')].filter((table) => !table.parentElement.closest('table')).map((source) => {
    const table = built.createElement('table');
    const body = table.appendChild(built.createElement('tbody'));
    for (const row of source.querySelectorAll('tr')) {
      if (row.closest('table') !== source) continue;
      const tr = body.appendChild(built.createElement('tr'));
      for (const cell of row.cells) copyShown(cell, tr.appendChild(built.createElement(cell.localName)));
    }
    return table;
  });
}

// The frame is as tall as its table, so that nothing scrolls inside the
// page. Its document cannot be looked into, so the same table with the same
// style is laid out, unseen, in a shadow root as wide as the frame.
const measure = document.createElement('div');
measure.className = 'measure';
measure.setAttribute('aria-hidden', 'true');
measure.inert = true;
document.body.append(measure);
const measureRoot = measure.attachShadow({ mode: 'closed' });
const measureStyle = new CSSStyleSheet();
measureStyle.replaceSync(':host{all:initial;display:flow-root;font-family:system-ui,sans-serif}div{margin:0.5rem}'
  + `.break-word td,.break-word th{overflow-wrap:break-word}.anywhere td,.anywhere th{overflow-wrap:anywhere}${PREVIEW_STYLE}`);
measureRoot.adoptedStyleSheets = [measureStyle];
let framed = '';  // the layout the frame shows

// Cells break their text between words; where the tables are too wide for
// the frame so, anywhere; where they are too wide even so, between words
// again and drawn smaller to fit, for a phone's reader to zoom in on.
function previewLayout(shown) {
  const room = shown.clientWidth;
  shown.style.removeProperty('--zoom');
  for (const breaks of ['break-word', 'anywhere']) {
    shown.className = breaks;
    if (shown.scrollWidth <= room) return { breaks, zoom: 1 };
  }
  // Text and borders do not shrink quite in step with the zoom.
  shown.className = 'break-word';
  let zoom = 1;
  for (let tries = 0; tries < 8 && shown.scrollWidth > room; tries++) {
    zoom = Math.floor((1000 * zoom * room) / shown.scrollWidth) / 1000;
    shown.style.setProperty('--zoom', zoom);
  }
  return { breaks: 'break-word', zoom };
}

function layOutPreview() {
  const frame = page.preview;
  const shown = measureRoot.firstElementChild;
  if (shown === null) return;
  measure.style.width = `${frame.clientWidth}px`;
  const { breaks, zoom } = previewLayout(shown);
  page.previewSmaller.hidden = zoom === 1;
  frame.style.height = `${Math.ceil(measure.getBoundingClientRect().height) + frame.offsetHeight - frame.clientHeight}px`;
  if (framed === `${breaks} ${zoom}`) return;
  framed = `${breaks} ${zoom}`;
  frame.srcdoc = '<!DOCTYPE html><html><head><meta charset="utf-8">'
    + '<meta http-equiv="Content-Security-Policy" content="default-src \'none\'; style-src \'unsafe-inline\'; form-action \'none\'; base-uri \'none\'">'
    + `<style>body{font-family:system-ui,sans-serif;margin:0.5rem;--zoom:${zoom}}th,td{overflow-wrap:${breaks}}${PREVIEW_STYLE}</style>`
    + `</head><body>${shown.innerHTML}</body></html>`;
}

async function showPreview(table) {
  let html = await textOf(table.blob, SHOWN_BYTES);
  if (table.blob.size > SHOWN_BYTES) html = html.slice(0, html.lastIndexOf('</tr>') + 5);
  const shown = document.createElement('div');
  shown.append(...previewTables(html).map((made) => document.importNode(made, true)));
  measureRoot.replaceChildren(shown);
  const loaded = new Promise((resolve) => page.preview.addEventListener('load', resolve, { once: true }));
  framed = '';
  layOutPreview();
  await loaded;
}

// The text boxes and the preview take the height of what they hold, at the
// page's width; again when that width changes.
function fitToContent() {
  fittedWidth = page.results.clientWidth;
  for (const box of page.outputs.querySelectorAll('.output-text')) {
    box.style.height = 'auto';
    box.style.height = `${box.scrollHeight + box.offsetHeight - box.clientHeight}px`;
  }
  layOutPreview();
}
let fittedWidth = 0;
new ResizeObserver(() => {
  if (page.results.hidden || page.results.clientWidth === fittedWidth) return;
  // Later than the observer's own turn, whose sizes the fitting changes.
  requestAnimationFrame(fitToContent);
}).observe(page.results);

page.fileInput.addEventListener('change', () => {
  if (page.fileInput.files.length > 0) takeFile(page.fileInput.files[0]);
});
for (const radio of document.querySelectorAll('input[name="kind"]')) {
  radio.addEventListener('change', chooseKind);
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
