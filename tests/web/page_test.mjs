// Drives the web page in headless Chromium, opened from disk as a person
// would open it, and checks it against the native programs: every table of
// the samples, the real exports and generated exports byte for byte (through
// the Download buttons), the notes in the status line line for line as the
// programs print them, the status line's kind and rows, the downloads' names,
// the preview cell for cell as a browser shows the program's HTML, markup in
// cells running nothing and reaching no host (and in the Markdown box escaped
// as the programs escape it), the drop and choose paths, Copy (over a local
// web server, where the clipboard may be granted), a large export with a
// moving progress bar, the labels, and pictures at a desktop's and a phone's
// width with nothing scrolling inside the page.
//
// node page_test.mjs --page DIR --programs DIR --examples DIR --corpus DIR
//                    --modules DIR --out DIR [--large-mib N]
import { execFileSync, spawnSync } from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import http from 'node:http';
import { createRequire } from 'node:module';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';

const args = {};
for (let i = 2; i + 1 < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
for (const need of ['page', 'programs', 'examples', 'corpus', 'modules', 'out']) {
  if (!args[need]) throw new Error(`missing --${need}`);
  args[need] = path.resolve(args[need]);
}
const largeMiB = Number(args['large-mib'] ?? 100);
const puppeteer = createRequire(path.resolve(args.modules, 'x.js'))('puppeteer-core');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'page-test-'));
const downloads = path.join(work, 'downloads');
fs.mkdirSync(downloads);
let failures = 0;
function check(ok, what) {
  if (!ok) {
    failures += 1;
    console.log(`FAIL: ${what}`);
  }
  return ok;
}

// ---- The native programs' tables for a file, and the notes the first
// program prints on standard error. The page names them after the file.
const TABLES = {
  bom: ['parts.html', 'parts.wiki', 'parts.md', 'parts-grid.html'],
  csv: ['parts.html', 'parts.wiki', 'parts.md'],
};
const KIND_NAMES = { bom: 'column-aligned BOM export', csv: 'CSV file' };
function tableNames(file, kind) {
  return TABLES[kind].map((table) => table.replace('parts', path.parse(file).name));
}
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
function nativeTables(file, kind) {
  const dir = fs.mkdtempSync(path.join(work, 'native-'));
  const run = (program, argv) => {
    const done = spawnSync(path.join(args.programs, program), argv, { cwd: dir, stdio: ['ignore', 'ignore', 'pipe'] });
    if (done.status !== 0) throw new Error(`${program} ${argv.join(' ')}: exit ${done.status}`);
    return done.stderr.toString('utf8');
  };
  let notes;
  if (kind === 'bom') {
    notes = run('bomtab', ['--i', file, '--html', 'parts.html', '--wiki', 'parts.wiki', '--md', 'parts.md']);
    run('bomgrid', [file, 'parts-grid.html']);
  } else {
    notes = run('rowcast', ['--i', file, '--html', 'parts.html', '--wiki', 'parts.wiki', '--md', 'parts.md']);
  }
  return { tables: TABLES[kind].map((name) => fs.readFileSync(path.join(dir, name))), notes };
}
// The programs write UTF-8 whatever they read, and the page shows it so.
function decode(bytes) {
  return new TextDecoder('utf-8').decode(bytes);
}

// ---- Exports no one here has seen: generated, the same on every run.
function random(seed) {
  return () => {
    seed = (seed + 0x6d2b79f5) | 0;
    let t = Math.imul(seed ^ (seed >>> 15), 1 | seed);
    t = (t + Math.imul(t ^ (t >>> 7), 61 | t)) ^ t;
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}
const PIECES = ['R1', 'C12', '100nF', '4k7', 'µ', '\xb5', ' ', '  ', '<b>', '&amp;', '|', '||', '!!', 'é', ',', '"', '""', 'x'];
function text(next, most) {
  let s = '';
  while (s.length < most * next()) s += PIECES[Math.floor(next() * PIECES.length)];
  return s;
}
function generatedExport(seed) {
  const next = random(seed);
  const names = ['Part', 'Value', 'Device', 'Package', 'Library', 'Sheet'];
  const widths = names.map((name) => name.length + 1 + Math.floor(next() * 12));
  const pad = (cells) => cells.map((c, i) => c.padEnd(widths[i])).join('');
  const lines = ['Partlist exported from a board', '', pad(names), ''];
  for (let i = 0; i < 300; i++) {
    const roll = next();
    if (roll < 0.05) lines.push(text(next, 60000));  // longer than one read
    else if (roll < 0.1) lines.push(` ${text(next, 40)}`);
    else lines.push(pad(names.map((_, c) => (c === 0 ? 'R' : '') + text(next, widths[c]))));
  }
  const eol = next() < 0.5 ? '\r\n' : '\n';
  return Buffer.from(lines.join(eol) + eol, 'latin1');
}
function generatedCsv(seed) {
  const next = random(seed);
  const field = () => `"${text(next, 12).replace(/"/g, next() < 0.5 ? '""' : '"')}"`;
  const lines = ['"Part","Value","Package","Note"'];
  for (let i = 0; i < 300; i++) {
    const fields = Array.from({ length: 1 + Math.floor(next() * 6) }, field);
    if (next() < 0.03) fields.push(`"${'w'.repeat(5000)}"`);  // longer than one read
    lines.push(fields.join(next() < 0.9 ? ',' : ',,'));
  }
  return Buffer.from(lines.join('\n') + (next() < 0.5 ? '\n' : ''), 'utf8');
}
// Semicolons, fields quoted or not, in UTF-16 big-endian: only its byte-order
// mark says it is text.
function utf16Csv() {
  const text = '\ufeffPart;"Value";Note\r\n"R1";4k7;"a ""µ"" and ;"\r\nC1;100nF;\r\n';
  return Buffer.from(text, 'utf16le').swap16();
}
function junk(seed) {
  const next = random(seed);
  return Buffer.from(Array.from({ length: 50000 }, () => Math.floor(next() * 256)));
}

// ---- The page.
const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--window-size=1000,1400'],
  defaultViewport: { width: 1000, height: 1400 },
  userDataDir: path.join(work, 'profile'),
});
const browserSession = await browser.target().createCDPSession();
await browserSession.send('Browser.setDownloadBehavior',
  { behavior: 'allowAndName', downloadPath: downloads, eventsEnabled: true });
const page = await browser.newPage();
const pageUrl = `file://${path.resolve(args.page)}/index.html`;
const pageDir = `file://${path.resolve(args.page)}/`;
// What the page loads, and whatever runs where it should not.
const PAGE_FILES = ['index.html', 'style.css', 'app.js', 'bomtables-wasm.js'];
const stray = [];
const ran = [];
function watch(target, base) {
  target.on('requestfinished', (request) => {
    const url = request.url();
    if (!url.startsWith('blob:') && !PAGE_FILES.some((name) => url === base + name)) stray.push(url);
  });
  target.on('dialog', async (dialog) => {
    ran.push(`dialog: ${dialog.message()}`);
    await dialog.dismiss();
  });
  target.on('pageerror', (error) => ran.push(`error: ${error.message}`));
}
watch(page, pageDir);
await page.goto(pageUrl);

async function settled(target) {
  await target.waitForFunction(() => /^(Converted |Not converted:)/.test(document.getElementById('status').textContent),
    { timeout: 120000, polling: 50 });
  return target.$eval('#status', (e) => e.textContent);
}
async function clearStatus(target) {
  await target.$eval('#status', (e) => { e.textContent = ''; });
}
// Hands the file to the page by the file chooser or by a drop, and sets the
// kind by its radio button when the page guessed otherwise.
async function convertOnPage(target, file, kind, how) {
  await clearStatus(target);
  if (how === 'choose') {
    await (await target.$('#file-input')).uploadFile(file);
  } else {
    const bytes = fs.readFileSync(file).toString('base64');
    await target.evaluate((b64, name) => {
      const data = Uint8Array.from(atob(b64), (c) => c.charCodeAt(0));
      const transfer = new DataTransfer();
      transfer.items.add(new File([data], name));
      document.getElementById('drop-zone').dispatchEvent(
        new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }, bytes, path.basename(file));
  }
  await settled(target);
  const guessed = await target.$eval('input[name="kind"]:checked', (e) => e.value);
  if (guessed !== kind) {
    await clearStatus(target);
    await target.click(`#kind-${kind}`);
    await settled(target);
  }
  return guessed;
}
async function clickButton(target, label) {
  for (const button of await target.$$('button')) {
    if ((await button.evaluate((e) => e.textContent)) === label) return button.click();
  }
  throw new Error(`no button ${label}`);
}
// The bytes of a download, which must be offered under the name its button
// gives.
function downloaded(name, target = page) {
  return new Promise((resolve, reject) => {
    let guid = null;
    const onBegin = (event) => {
      guid = event.guid;
      check(event.suggestedFilename === name, `Download ${name} offers ${event.suggestedFilename}`);
    };
    const onProgress = (event) => {
      if (event.guid !== guid || event.state === 'inProgress') return;
      browserSession.off('Browser.downloadWillBegin', onBegin);
      browserSession.off('Browser.downloadProgress', onProgress);
      if (event.state !== 'completed') return reject(new Error(`download of ${name} ${event.state}`));
      const file = path.join(downloads, guid);
      const bytes = fs.readFileSync(file);
      fs.rmSync(file);
      return resolve(bytes);
    };
    browserSession.on('Browser.downloadWillBegin', onBegin);
    browserSession.on('Browser.downloadProgress', onProgress);
    clickButton(target, `Download ${name}`).catch(reject);
  });
}
async function previewRows(target) {
  const frame = target.frames().find((f) => f.url() === 'about:srcdoc');
  return frame.evaluate(() => [...document.querySelectorAll('tr')].map((tr) => [...tr.cells].map((c) => `${c.tagName}:${c.textContent}`)));
}
// The status line's first line says what was done: the kind, whether the
// page guessed it or the person chose it, and the rows, as many as the
// program's HTML table has data rows.
function checkStatus(name, status, kind, how, html) {
  const first = status.split('\n')[0].replace(/ in \d+\.\d s /, ' ');
  const rows = html.split('\n').filter((line) => line.startsWith('<tr><td')).length;
  const said = html.includes('<th') ? `${rows.toLocaleString('en')} row${rows === 1 ? '' : 's'}.` : 'no ';
  check(first.startsWith(`Converted ${name} as a ${KIND_NAMES[kind]}, ${how}: ${said}`),
    `${name}: the status says "${first}", not ${KIND_NAMES[kind]} ${how} and ${rows} rows`);
}
// The page at a desktop's and a phone's width, with a file and with the
// widest table of the real lists: every control inside the width, and
// nothing that scrolls inside the page, the preview's frame included. The
// pictures of the file are kept.
async function pictures(target, file) {
  const widest = path.join(args.corpus, 'csv', '14-distributor-list-utf8-bom-crlf-disclaimer-rows.csv');
  const views = [[1366, 'web-page.png', false], [390, 'web-page-phone.png', true]];
  for (const [[width, picture, mobile], [shown, kind]] of views.flatMap((view) => [[view, [widest, 'csv']], [view, [file, 'bom']]])) {
    // (A change to or from a phone's view reloads the page.)
    await target.setViewport({ width, height: 900, isMobile: mobile, hasTouch: mobile });
    await target.goto(pageUrl);
    await convertOnPage(target, shown, kind, 'choose');
    const height = await target.evaluate(() => document.documentElement.scrollHeight);
    // Headless Chromium paints a frame only while it is in view.
    await target.setViewport({ width, height, isMobile: mobile, hasTouch: mobile });
    await sleep(500);
    const where = `${path.basename(shown)} at ${width} px`;
    const scrolling = await target.evaluate(() => [document.documentElement, ...document.querySelectorAll('body *')]
      .filter((e) => e.clientWidth > 1 && (e.scrollHeight > e.clientHeight + 1 || e.scrollWidth > e.clientWidth + 1)
        && (e === document.documentElement ? e.scrollWidth > innerWidth : getComputedStyle(e).overflow !== 'visible'))
      .map((e) => e.id || e.className || e.tagName));
    check(scrolling.length === 0, `${where}, these scroll inside the page: ${scrolling.join(', ')}`);
    const frame = target.frames().find((f) => f.url() === 'about:srcdoc');
    const [inner, outer] = await frame.evaluate(() => [[document.documentElement.scrollWidth, document.documentElement.scrollHeight],
      [innerWidth, innerHeight]]);
    check(inner[0] <= outer[0] && inner[1] <= outer[1], `${where}, the preview's ${inner.join('×')} scrolls in its ${outer.join('×')} frame`);
    const smaller = await target.$eval('#preview-smaller', (e) => !e.hidden);
    if (mobile || shown === file) {
      check(smaller === (shown === widest), `${where}: the note that the table is drawn smaller is ${smaller ? 'shown' : 'missing'}`);
    }
    const outside = await target.evaluate(() => [...document.querySelectorAll('button, label, input:not([type=file]), textarea, progress')]
      .filter((e) => { const box = e.getBoundingClientRect(); return box.width === 0 || box.left < 0 || box.right > innerWidth; })
      .map((e) => e.textContent.trim() || e.id));
    check(outside.length === 0, `${where}, these controls are not in the page's width: ${outside.join(', ')}`);
    if (shown === file) await target.screenshot({ path: path.join(args.out, picture), fullPage: true });
  }
  await target.setViewport({ width: 1000, height: 1400 });
}
async function renderedRows(html) {
  return page.evaluate((text) => [...new DOMParser().parseFromString(text, 'text/html').querySelectorAll('tr')]
    .map((tr) => [...tr.cells].map((c) => `${c.tagName}:${c.textContent}`)), html);
}

// ---- Every input: samples, real exports, generated ones.
const cases = [
  [path.join(args.examples, 'board.txt'), 'bom', true],
  [path.join(args.examples, 'parts.csv'), 'csv', true],
];
// A hand-made list with no Part column is of neither kind: no guess is wrong.
const NEITHER = new Set(['19-grouped-slash-list-cp1252-euro.txt']);
for (const [folder, kind] of [['partlist', 'bom'], ['csv', 'csv']]) {
  for (const name of fs.readdirSync(path.join(args.corpus, folder)).sort()) {
    cases.push([path.join(args.corpus, folder, name), kind, !NEITHER.has(name)]);
  }
}
const generated = [['export-1.txt', generatedExport(1), 'bom'], ['export-2.txt', generatedExport(2), 'bom'],
  ['list-1.csv', generatedCsv(1), 'csv'], ['list-2.csv', generatedCsv(2), 'csv'],
  ['junk.txt', junk(3), 'bom'], ['junk.csv', junk(4), 'csv'], ['utf-16.csv', utf16Csv(), 'csv']];
for (const [name, bytes, kind] of generated) {
  fs.writeFileSync(path.join(work, name), bytes);
  cases.push([path.join(work, name), kind, name === 'utf-16.csv']);
}
let compared = 0;
let notedFiles = 0;
for (const [index, [file, kind, known]] of cases.entries()) {
  const name = path.basename(file);
  console.log(`${name} (${kind}, ${index % 2 === 0 ? 'chosen' : 'dropped'})`);
  // A fresh page for each file, as a person would open it: a browser lets a
  // page start only so many downloads.
  await page.goto(pageUrl);
  const guessed = await convertOnPage(page, file, kind, index % 2 === 0 ? 'choose' : 'drop');
  if (known) check(guessed === kind, `${name}: guessed ${guessed}, not ${kind}`);
  const { tables: native, notes } = nativeTables(file, kind);
  // The status line's first line is the page's; the notes follow it.
  const status = await page.$eval('#status', (e) => e.textContent);
  checkStatus(name, status, kind, guessed === kind ? 'as the page guessed' : 'as you chose', decode(native[0]));
  const shownNotes = status.split('\n').slice(1).join('\n');
  check(shownNotes === notes.trimEnd(), `${name}: the status line shows the notes "${shownNotes}", not "${notes.trimEnd()}"`);
  if (notes !== '') notedFiles += 1;
  if (name === 'utf-16.csv') {
    check(status.split('\n').includes('rowcast: fields are separated by semicolons'), `${name}: no note on the semicolons in "${status}"`);
  }
  for (const [i, table] of tableNames(file, kind).entries()) {
    const bytes = await downloaded(table);
    if (check(bytes.equals(native[i]), `${name}: ${table} differs from the program's`)) compared += 1;
  }
  // The preview shows every row as a browser shows the program's HTML.
  // (Random bytes may hold tags that make the surrounding page part of the
  // table.)
  const html = decode(native[0]);
  const noted = await page.$eval('#note', (e) => !e.hidden);
  check(noted === !html.includes('<th'), `${name}: the note on a missing header is ${noted ? 'shown' : 'missing'}`);
  if (!name.startsWith('junk')) {
    const shown = JSON.stringify(await previewRows(page));
    check(shown === JSON.stringify(await renderedRows(html)), `${name}: the preview shows other rows than the program's HTML`);
  }
  if (name === 'board.txt') {
    // The other kind chosen: the status tells of it, and of rowcast's rows.
    await clearStatus(page);
    await page.click('#kind-csv');
    checkStatus(name, await settled(page), 'csv', 'as you chose', decode(nativeTables(file, 'csv').tables[0]));
    const names = await page.$$eval('.download', (buttons) => buttons.map((b) => b.textContent).join(', '));
    check(names === 'Download board.html, Download board.wiki, Download board.md', `board.txt as CSV: the buttons are ${names}`);
    await pictures(page, file);
  }
}
console.log(`${cases.length} files, ${compared} tables identical to the programs', ${notedFiles} with notes`);

// A folder chosen after a file: nothing of that file's tables stays on show.
fs.mkdirSync(path.join(work, 'folder'));
await clearStatus(page);
await (await page.$('#file-input')).uploadFile(path.join(work, 'folder'));
check(await settled(page) === 'Not converted: folder could not be read.' && await page.$eval('#results', (e) => e.hidden),
  'a folder chosen after a file leaves that file\'s tables on show');

// ---- Markup in cells runs nothing and reaches no host, from disk or a web
// host: the preview holds only tables and, in cells, text and a few inline
// elements without attributes. The Markdown box holds the markup escaped as
// the programs escape it.
const payload = `document.title='ran';parent.document.title='ran';fetch('https://example.org/x')`;
fs.writeFileSync(path.join(work, 'markup.csv'), '"Part","Value","Package"\n'
  + `"R1","<img src=x onerror=""${payload}"">","<script>${payload}</script>"\n`
  + `"R2","<svg onload=""${payload}""></svg>","<iframe src=""javascript:${payload}""></iframe>"\n`
  + '"R3","<link rel=""preconnect"" href=""http://127.0.0.1:9/"">","<meta http-equiv=""refresh"" content=""0;url=http://127.0.0.1:9/"">"\n'
  + '"R4","a|b *c* [d](e) <b class=x>bold</b>"," two\nlines "\n');
const wide = (cells) => cells.map((c) => c.padEnd(200)).join('');
fs.writeFileSync(path.join(work, 'markup.txt'), `${wide(['Part', 'Value', 'Device', 'Package', 'Library', 'Sheet'])}\n`
  + `${wide(['R1', `<img src=x onerror="${payload}">`, 'd', `<script>${payload}</script>`, 'l', '1'])}\n`);
// Every way a browser has to reach a host from markup, each cell naming a
// listener of its own on 127.0.0.1 that counts connections (a preconnect
// opens one and sends nothing).
const HOSTILE = {
  'link in a nested srcdoc': (u) => `<iframe srcdoc='<link rel=preconnect href=${u}>'></iframe>`,
  'image in a nested srcdoc': (u) => `<iframe srcdoc="<img src=${u}>"></iframe>`,
  'frame in a nested srcdoc': (u) => `<iframe srcdoc="<frameset><frame src=${u}></frameset>"></iframe>`,
  'refresh in a nested srcdoc': (u) => `<iframe srcdoc="<meta http-equiv=refresh content='0;url=${u}'>"></iframe>`,
  iframe: (u) => `<iframe src=${u}></iframe>`,
  'lazy iframe': (u) => `<iframe loading=lazy src=${u}></iframe>`,
  frame: (u) => `<frame src=${u}>`,
  object: (u) => `<object data=${u} type=text/html>object</object>`,
  embed: (u) => `<embed src=${u}>`,
  img: (u) => `<img src=${u} alt=img>`,
  'img srcset': (u) => `<img srcset="${u} 1x" alt=srcset>`,
  picture: (u) => `<picture><source srcset=${u}><img alt=picture></picture>`,
  'input image': (u) => `<input type=image src=${u} alt=input>`,
  'video poster': (u) => `<video poster=${u} width=40 height=20></video>`,
  'video src': (u) => `<video src=${u} controls></video>`,
  'video source and track': (u) => `<video controls><source src=${u}><track default src=${u}a></video>`,
  audio: (u) => `<audio src=${u} controls></audio>`,
  script: (u) => `<script src=${u}></script>`,
  ...Object.fromEntries(['preconnect', 'dns-prefetch', 'prefetch', 'preload', 'modulepreload', 'stylesheet', 'icon',
    'manifest', 'prerender', 'next', 'alternate', 'apple-touch-icon', 'compression-dictionary']
    .map((rel) => [`link rel=${rel}`, (u) => `<link rel=${rel} href=${u} as=image>`])),
  'link imagesrcset': (u) => `<link rel=preload as=image imagesrcset="${u} 1x">`,
  'meta refresh': (u) => `<meta http-equiv=refresh content="0;url=${u}">`,
  'meta Link header': (u) => `<meta http-equiv=Link content="<${u}>; rel=preconnect">`,
  base: (u) => `<base href=${u}><a href=x>base</a>`,
  form: (u) => `<form action=${u}><button>form</button><input type=submit value=submit></form>`,
  formaction: (u) => `<button formaction=${u}>formaction</button>`,
  'a href with ping': (u) => `<a href=${u} ping=${u}p>a</a>`,
  'a to a new window': (u) => `<a href=${u} target=_blank>blank</a>`,
  'area href with ping': (u) => `<map name=m><area shape=default href=${u} ping=${u}p></map><img usemap=#m alt=area width=40 height=20>`,
  'svg image': (u) => `<svg width=20 height=20><image href=${u} width=20 height=20 /></svg>`,
  'svg xlink image': (u) => `<svg width=20 height=20><image xlink:href=${u} width=20 height=20 /></svg>`,
  'svg use': (u) => `<svg width=20 height=20><use href="${u}#x" /></svg>`,
  'svg a': (u) => `<svg width=40 height=20><a href=${u}><text y=15>svg a</text></a></svg>`,
  'svg feImage': (u) => `<svg width=20 height=20><filter id=f><feImage href=${u} /></filter><rect filter=url(#f) width=20 height=20 /></svg>`,
  'style url()': (u) => `<span style="background:url(${u})">style</span>`,
  'style image-set()': (u) => `<span style="background-image:image-set(url(${u}) 1x)">image-set</span>`,
  'style cursor': (u) => `<span style="cursor:url(${u}),auto">cursor</span>`,
  'style list image': (u) => `<ul><li style="list-style-image:url(${u})">list</li></ul>`,
  'style element url()': (u) => `<style>td{background:url(${u})}</style>`,
  'style @import': (u) => `<style>@import url(${u});</style>`,
  'style @font-face': (u) => `<style>@font-face{font-family:f;src:url(${u})}td{font-family:f}</style>`,
  'table background': (u) => `<table background=${u}><tr><td>table</td></tr></table>`,
  'cell background': (u) => `</td><td background=${u}>cell`,
  'body background': (u) => `<body background=${u}>`,
  'named host': (u) => `<a href=${u.replace('127.0.0.1', 'localhost')}>localhost</a>`,
};
const listen = async (name) => {
  const listener = { name, connections: 0 };
  listener.server = net.createServer((socket) => { listener.connections += 1; socket.destroy(); });
  await new Promise((resolve) => listener.server.listen(0, '127.0.0.1', resolve));
  listener.url = `http://127.0.0.1:${listener.server.address().port}/`;
  return listener;
};
const listeners = await Promise.all(Object.keys(HOSTILE).map(listen));
const csvField = (text) => `"${text.replace(/"/g, '""')}"`;
fs.writeFileSync(path.join(work, 'hostile.csv'), '"Part","Cell"\n'
  + listeners.map((l, i) => `"H${i}",${csvField(HOSTILE[l.name](l.url))}\n`).join(''));
const connected = () => listeners.filter((l) => l.connections > 0).map((l) => `${l.name} (${l.connections})`);
const ALLOWED = new Set(['TABLE', 'TBODY', 'TR', 'TH', 'TD', 'B', 'I', 'EM', 'STRONG', 'SUB', 'SUP', 'BR', 'SPAN']);
async function markupRunsNothing(target) {
  const where = target.url().slice(0, 4) === 'file' ? 'disk' : 'a web host';
  for (const [file, kind] of [['markup.csv', 'csv'], ['markup.txt', 'bom'], ['hostile.csv', 'csv']]) {
    console.log(`${file} (from ${where})`);
    await convertOnPage(target, path.join(work, file), kind, 'choose');
    const frame = target.frames().find((f) => f.url() === 'about:srcdoc');
    const foreign = await frame.$$eval('body *', (all, allowed) => all
      .filter((e) => !allowed.includes(e.tagName) || e.attributes.length > 0).map((e) => e.outerHTML.slice(0, 60)), [...ALLOWED]);
    check(foreign.length === 0, `${file}: the preview holds ${foreign.slice(0, 10).join(', ')}`);
    if (file === 'markup.csv') check(await frame.$('td b') !== null, `${file}: the cell's bold text is not bold in the preview`);
    check(await frame.evaluate(() => document.title) !== 'ran' && await target.title() !== 'ran', `${file}: a cell's script ran`);
    const markdown = await target.$$eval('.output', (boxes) => boxes
      .find((box) => box.querySelector('.download').textContent.endsWith('.md'))
      .querySelector('.output-text').value);
    const md = TABLES[kind].indexOf('parts.md');
    check(markdown === decode(nativeTables(path.join(work, file), kind).tables[md]),
      `${file}: the Markdown box shows other text than the program's "${markdown}"`);
    if (file !== 'hostile.csv') continue;
    // A connection may come when the file is opened or when something in the
    // preview is clicked (or pointed at on the way).
    await sleep(1500);
    const opened = connected();
    let clicked = 0;
    for (const element of await frame.$$('body *')) clicked += await element.click().then(() => 1, () => 0);
    await sleep(1500);
    const afterClicks = connected();
    check(opened.length === 0, `${file} from ${where}: opening it connected to the listeners of ${opened.join(', ')}`);
    check(afterClicks.length === 0, `${file} from ${where}: after clicks, connections to the listeners of ${afterClicks.join(', ')}`);
    console.log(`${file} from ${where}: ${listeners.length} hostile cells, ${clicked} elements of the preview clicked, `
      + `connections to their listeners: ${listeners.reduce((sum, l) => sum + l.connections, 0)}`);
    for (const listener of listeners) listener.connections = 0;
  }
}
await page.goto(pageUrl);
await markupRunsNothing(page);

// ---- Labels: every control has one name a screen reader can say.
const unlabelled = await page.evaluate(() => [...document.querySelectorAll('input, textarea, progress, button, iframe')]
  .filter((e) => ((e.labels ? e.labels.length === 0 : true) && !e.title && !e.textContent.trim()) || e.labels?.length > 1)
  .map((e) => e.id || e.outerHTML.slice(0, 60)));
check(unlabelled.length === 0, `controls without a label, or with more than one: ${unlabelled.join(', ')}`);

// ---- Copy, from a local web server, where the clipboard may be granted.
const servedPaths = [];
const server = http.createServer((request, response) => {
  servedPaths.push(request.url);
  const name = path.basename(new URL(request.url, 'http://x').pathname) || 'index.html';
  const file = path.join(args.page, name);
  if (!fs.existsSync(file)) return response.writeHead(404).end();
  const type = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css' }[path.extname(name)];
  return response.writeHead(200, { 'Content-Type': type }).end(fs.readFileSync(file));
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}`;
await browser.defaultBrowserContext().overridePermissions(origin, ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']);
const served = await browser.newPage();
watch(served, `${origin}/`);
await served.goto(`${origin}/index.html`);
await markupRunsNothing(served);
const board = path.join(args.examples, 'board.txt');
await convertOnPage(served, board, 'bom', 'choose');
for (const [i, table] of tableNames(board, 'bom').entries()) {
  await clickButton(served, `Copy ${table}`);
  await served.waitForFunction((t) => document.getElementById('status').textContent === `${t} copied.`, {}, table);
  const copied = await served.evaluate(() => navigator.clipboard.readText());
  check(copied === nativeTables(board, 'bom').tables[i].toString('utf8'), `Copy ${table} copied other text`);
}
server.close();
await served.close();
// The listeners hear a browser that does connect.
const control = await listen('control');
const probe = await browser.newPage();
await probe.goto(control.url).catch(() => {});
await probe.close();
check(control.connections > 0, 'the control listener heard no connection: the hostile cells\' listeners prove nothing');
for (const listener of [...listeners, control]) listener.server.close();
await page.bringToFront();
check(servedPaths.every((url) => PAGE_FILES.includes(url.slice(1))), `the web host was asked for ${servedPaths.join(', ')}`);
check(ran.length === 0, `the page ran or reported something: ${ran.join('; ')}`);
check(stray.length === 0, `the page loaded ${stray.join(', ')}`);

// ---- A large export: the bar moves, the page answers, the tables are whole.
if (largeMiB > 0) {
  const large = path.join(work, 'large.txt');
  const header = 'Part     Value          Device            Package         Library   Sheet\n';
  const line = 'R1       10k            R-EU_R0603        R0603           rcl       1\n';
  const block = Buffer.from(line.repeat(16384));
  const out = fs.openSync(large, 'w');
  fs.writeSync(out, header);
  for (let written = header.length; written < largeMiB << 20; written += block.length) fs.writeSync(out, block);
  fs.closeSync(out);
  const seen = new Set();
  let peak = 0;
  const memory = () => {
    const tree = execFileSync('ps', ['-o', 'rss=', '--ppid', String(browser.process().pid), '-p', String(browser.process().pid)]);
    return tree.toString().split('\n').filter(Boolean).reduce((sum, kib) => sum + Number(kib), 0) / 1024;
  };
  await page.goto(pageUrl);
  await (await page.$('#file-input')).uploadFile(large);
  for (;;) {
    const [status, value] = await page.evaluate(() => [document.getElementById('status').textContent,
      document.getElementById('progress').value]);
    peak = Math.max(peak, memory());
    if (/^Converted/.test(status)) break;
    if (value > 0 && value < 100) seen.add(Math.round(value));
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  const status = await page.$eval('#status', (e) => e.textContent);
  console.log(`${largeMiB} MiB export: "${status}"`);
  check(seen.size >= 3, `the progress bar showed only ${[...seen].join(', ')} while converting ${largeMiB} MiB`);
  const native = nativeTables(large, 'bom').tables;
  for (const [i, table] of tableNames(large, 'bom').entries()) {
    const bytes = await downloaded(table);
    const digest = (b) => crypto.createHash('sha256').update(b).digest('hex');
    check(digest(bytes) === digest(native[i]), `${largeMiB} MiB: ${table} differs from the program's`);
  }
  console.log(`${largeMiB} MiB export: progress seen at ${seen.size} values, `
    + `peak memory of the browser's processes ${peak.toFixed(0)} MiB`);
}

await browser.close();
fs.rmSync(work, { recursive: true, force: true });
if (failures > 0) {
  console.log(`${failures} check(s) failed`);
  process.exit(1);
}
console.log('the page gives the programs\' bytes');
