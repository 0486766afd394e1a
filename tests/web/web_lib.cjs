// Shared by the web tests: the page of this build served on localhost,
// Debian's chromium driven by playwright-core with a profile of the test's
// own, the canvas read back, tessel-run's pictures of the same machine
// state, keys held the way a user holds them, and screenshots kept for
// looking at. A test whose tools are missing is skipped (exit status 77).
//
// Set by CTest: WEB_PAGE (the page's folder), TESSEL_RUN, TEST_PROGRAMS,
// SCREENSHOTS and TESSEL_SOFTWARE (real VZ200 software, where there is
// some); NODE_PATH finds playwright-core.
'use strict';
const childProcess = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const { decodePng } = require('./png.cjs');

const SKIPPED = 77;
const CHROMIUM = '/usr/bin/chromium';
const CHROMIUM_FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                        '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const VIEWPORT = { width: 1024, height: 768 };
// The client area: the 320x240 picture at (1, 1) on black.
const CLIENT_WIDTH = 322;
const CLIENT_HEIGHT = 242;
const KEY_HOLD_MS = 120;  // several frames, fewer than a key repeat

const env = process.env;
const testName = path.basename(process.argv[1]).replace(/(_test)?\.cjs$/, '');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'tessel-web-' + testName + '-'));
const started = [];  // browsers and servers, closed at the end whatever happens

function skip(why) {
  console.log('SKIP: ' + why);
  process.exit(SKIPPED);
}

for (const name of ['WEB_PAGE', 'TESSEL_RUN', 'TEST_PROGRAMS', 'SCREENSHOTS']) {
  if (!env[name]) throw new Error(name + ' is not set');
}
if (!fs.existsSync(CHROMIUM)) skip('chromium is not installed');
if (!fs.existsSync(path.join(env.WEB_PAGE, 'tessel.wasm'))) skip('the page is not built (web_setup)');
let chromium;
try {
  ({ chromium } = require('playwright-core'));
} catch (error) {
  skip('playwright-core is not installed (web_setup)');
}
fs.mkdirSync(env.SCREENSHOTS, { recursive: true });

// ---- The page ------------------------------------------------------------------

const CONTENT_TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
                        '.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json',
                        '.png': 'image/png', '.ico': 'image/x-icon' };
// The test programs, and the files a test writes, are served beside the
// page, for ?load=; so is the real VZ200 software.
const PROGRAMS_PATH = '/programs/';
const SOFTWARE_PATH = '/software/';

function programFile(name) {
  const program = path.join(env.TEST_PROGRAMS, path.basename(name));
  return fs.existsSync(program) ? program : path.join(work, path.basename(name));
}

// A file of the real VZ200 software (machine/vzrom.v20, programs/...); the
// test is skipped where there is none.
function softwareFile(name) {
  const file = path.join(env.TESSEL_SOFTWARE || '', path.normalize('/' + name));
  if (!env.TESSEL_SOFTWARE || !fs.existsSync(file)) skip('no ' + file + ': the real VZ200 software is needed');
  return file;
}

function servePage() {
  return new Promise((resolve) => {
    const server = http.createServer((request, response) => {
      let name = new URL(request.url, 'http://localhost').pathname;
      if (name.endsWith('/')) name += 'index.html';
      const file = name.startsWith(PROGRAMS_PATH) ? programFile(name)
        : name.startsWith(SOFTWARE_PATH) ? path.join(env.TESSEL_SOFTWARE || '', path.normalize(name.slice(SOFTWARE_PATH.length - 1)))
          : path.join(env.WEB_PAGE, path.normalize(name));
      fs.readFile(file, (error, data) => {
        if (error) {
          response.writeHead(404);
          response.end();
          return;
        }
        response.writeHead(200, { 'Content-Type': CONTENT_TYPES[path.extname(file)] || 'application/octet-stream' });
        response.end(data);
      });
    });
    server.listen(0, '127.0.0.1', () => {
      started.push({ close: () => new Promise((done) => server.close(done)) });
      resolve('http://localhost:' + server.address().port + '/');
    });
  });
}

let pageAddress = null;

// A phone held upright, as the browser emulates one: its screen, touch.
const PHONE = { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true };

// A browser on a profile (a fresh one unless given), with the page open and
// its first frame shown; contextOptions for playwright (PHONE), search for
// the page's address ('?load=...'), init a script run in the page before
// its own. { browser, page, profile, messages, address }
async function openPage(profile, { contextOptions = {}, search = '', init = null } = {}) {
  pageAddress = pageAddress || await servePage();
  profile = profile || fs.mkdtempSync(path.join(work, 'profile-'));
  const browser = await chromium.launchPersistentContext(profile, {
    executablePath: CHROMIUM, headless: true, viewport: VIEWPORT, args: CHROMIUM_FLAGS, ...contextOptions,
  });
  started.push(browser);
  const page = browser.pages()[0] || await browser.newPage();
  const messages = [];
  page.on('console', (message) => messages.push(message.text()));
  page.on('pageerror', (error) => messages.push('page error: ' + error.message));
  if (init) await page.addInitScript(init);
  await page.goto(pageAddress + search);
  await waitForFrames(page, 1);
  return { browser, page, profile, messages, address: pageAddress };
}

async function closeBrowser(session) {
  started.splice(started.indexOf(session.browser), 1);
  await session.browser.close();
}

async function figures(page) {
  return page.evaluate(() => ({ ...Module.page.figures }));
}

async function waitForFrames(page, count) {
  await page.waitForFunction((n) => window.Module && Module.page.figures.framesPresented >= n, count,
                             { timeout: 20000 });
}

// After a reload the count starts again.
async function waitForRestart(page) {
  await page.waitForLoadState('load');
  await waitForFrames(page, 1);
}

// ---- Pictures --------------------------------------------------------------------

async function canvasPicture(page) {
  const url = await page.evaluate(() => document.getElementById('screen').toDataURL('image/png'));
  return decodePng(Buffer.from(url.slice(url.indexOf(',') + 1), 'base64'));
}

function samePicture(a, b) {
  return a.width === b.width && a.height === b.height && a.rgba.equals(b.rgba);
}

// tessel-run's picture after its arguments, run in a folder holding the
// given machine files ({ 'vzrom.v20': path, ... }), as the client area
// shows it: on black at (1, 1).
function reference(args, machineFiles = {}) {
  const folder = fs.mkdtempSync(path.join(work, 'run-'));
  for (const [name, file] of Object.entries(machineFiles)) fs.copyFileSync(file, path.join(folder, name));
  const shot = path.join(folder, 'screenshot.png');
  childProcess.execFileSync(env.TESSEL_RUN, ['--fast', ...args, '--screenshot', shot],
                            { cwd: folder, stdio: ['ignore', 'ignore', 'ignore'] });
  const picture = decodePng(fs.readFileSync(shot));
  const rgba = Buffer.alloc(CLIENT_WIDTH * CLIENT_HEIGHT * 4);
  for (let i = 3; i < rgba.length; i += 4) rgba[i] = 0xff;
  for (let y = 0; y < picture.height; ++y) {
    picture.rgba.copy(rgba, ((y + 1) * CLIENT_WIDTH + 1) * 4, y * picture.width * 4, (y + 1) * picture.width * 4);
  }
  return { width: CLIENT_WIDTH, height: CLIENT_HEIGHT, rgba, args, file: shot };
}

// The open ROM's cursor blinks every 16 frames: a picture in each phase.
function referencesBothPhases(args, frames, machineFiles) {
  return [reference([...args, '--frames', String(frames)], machineFiles),
          reference([...args, '--frames', String(frames + 16)], machineFiles)];
}

// Waits up to 15 s until the canvas equals one of the references; the index
// of the one it equals.
async function waitForPicture(page, references, what) {
  for (let tries = 0; tries < 60; ++tries) {
    const picture = await canvasPicture(page);
    const found = references.findIndex((expected) => samePicture(picture, expected));
    if (found >= 0) return found;
    await page.waitForTimeout(250);
  }
  await screenshot(page, 'failure');
  throw new Error('the canvas does not show ' + what + ' (tessel-run ' + references[0].args.join(' ') + ')');
}

// The whole page into SCREENSHOTS, for looking at; the path.
async function screenshot(page, name) {
  const file = path.join(env.SCREENSHOTS, 'web-' + testName + '-' + name + '.png');
  await page.screenshot({ path: file });
  return file;
}

// ---- The user's side --------------------------------------------------------------

async function holdKey(page, code) {
  await page.keyboard.down(code);
  await page.waitForTimeout(KEY_HOLD_MS);
  await page.keyboard.up(code);
  await page.waitForTimeout(KEY_HOLD_MS);
}

// Letters, digits, space and Return ("\n"): the keys that need no Shift.
async function typeText(page, text) {
  for (const c of text) {
    const code = c === ' ' ? 'Space' : c === '\n' ? 'Enter' : /[0-9]/.test(c) ? 'Digit' + c : 'Key' + c.toUpperCase();
    await holdKey(page, code);
  }
}

async function chooseMenuItem(page, menu, item) {
  await page.click('#menubar .menu-title >> text="' + menu + '"');
  await page.click('#menubar .menu.open .menu-item >> text="' + item + '"');
}

// Clicks the button and answers the file chooser it opens with the file.
async function chooseFile(page, clickButton, file) {
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), clickButton()]);
  await chooser.setFiles(file);
  return chooser;
}

// The machine's own ROM and character set given on the page, which keeps
// them and starts again with each: BASIC, and the machine's letters.
async function useMachineRom(page) {
  for (const [button, name] of [['#rom-button', 'machine/vzrom.v20'], ['#font-button', 'machine/vz200.fnt']]) {
    const file = softwareFile(name);
    await Promise.all([page.waitForNavigation(), chooseFile(page, () => page.click(button), file)]);
    await waitForRestart(page);
  }
}

// The machine's text screen, 16 lines of 32 (tessel-run --print-screen).
async function textScreen(page) {
  return page.evaluate(() => Module.UTF8ToString(Module._webTextScreen()));
}

// Waits up to 20 s until the text screen matches.
async function waitForText(page, pattern, what) {
  for (let tries = 0; tries < 80; ++tries) {
    if (pattern.test(await textScreen(page))) return;
    await page.waitForTimeout(250);
  }
  await screenshot(page, 'failure');
  throw new Error('the screen does not show ' + what + ':\n' + await textScreen(page));
}

// Drops the file onto the picture, as the browser delivers a dropped file.
async function dropFile(page, file) {
  const bytes = [...fs.readFileSync(file)];
  const transfer = await page.evaluateHandle(([name, content]) => {
    const data = new DataTransfer();
    data.items.add(new File([new Uint8Array(content)], name));
    return data;
  }, [path.basename(file), bytes]);
  await page.dispatchEvent('#screen', 'dragover', { dataTransfer: transfer });
  await page.dispatchEvent('#screen', 'drop', { dataTransfer: transfer });
}

function writeFile(name, content) {
  const file = path.join(work, name);
  fs.writeFileSync(file, content);
  return file;
}

// Runs the test; closes what it started and removes the work folder.
async function runTest(body) {
  let status = 0;
  try {
    await body();
    console.log('PASS: web ' + testName);
  } catch (error) {
    console.error('FAIL: ' + (error && error.stack ? error.stack : error));
    status = 1;
  }
  for (const thing of started.reverse()) await thing.close().catch(() => {});
  fs.rmSync(work, { recursive: true, force: true });
  process.exit(status);
}

function check(condition, what) {
  if (!condition) throw new Error(what);
}

module.exports = {
  CLIENT_WIDTH, CLIENT_HEIGHT, VIEWPORT, PHONE, PROGRAMS_PATH, SOFTWARE_PATH, env,
  openPage, closeBrowser, figures, waitForFrames, waitForRestart, softwareFile, useMachineRom,
  canvasPicture, samePicture, reference, referencesBothPhases, waitForPicture, screenshot, textScreen, waitForText,
  holdKey, typeText, chooseMenuItem, chooseFile, dropFile, writeFile, runTest, check,
};
