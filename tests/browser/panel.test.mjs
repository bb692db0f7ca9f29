// The panel page in headless chromium against a running `keelvane serve`: an edit
// redraws the preview, the double arrow greys the shaft fields, Make Extrude changes the
// tree and Undo brings it back, a saved preset loads back after a reset, all under the
// server's content policy; a page of another local port can neither change the document
// nor show the panel in a frame, nor slow it down with hundreds of preconnections; and
// two tabs both show the server's document. axe-core finds no accessibility fault in the
// page as it starts, with an error shown, with the message box open and with a host
// object selected; a whole session runs from the keyboard alone; and at 700 px wide and
// up the preview and the messages stay in view wherever the attributes are scrolled.
// Usage: node panel.test.mjs URL [SCREENSHOT]
import { chromium } from 'playwright-core';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { createRequire } from 'node:module';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import assert from 'node:assert/strict';

const [url, screenshot] = process.argv.slice(2);
if (!url) {
  console.error('usage: node panel.test.mjs URL [SCREENSHOT]');
  process.exit(2);
}

const profile = mkdtempSync(join(tmpdir(), 'keelvane-chromium-'));
const context = await chromium.launchPersistentContext(profile, {
  executablePath: '/usr/bin/chromium',
  headless: true,
  acceptDownloads: true,
  viewport: { width: 1280, height: 820 },
  // Under --enable-automation Chromium makes no preconnections, which a step needs.
  ignoreDefaultArgs: ['--enable-automation'],
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
// Another local page that tries what a hostile one would: no-cors requests that change
// the document (one with a whole second request as its body), and the panel in a frame
// almost transparent, to make the user click in it unknowingly.
function attackerPage(panel, serial, preset) {
  return `<!doctype html><title>waiting</title>
<iframe id="frame" src="${panel}" style="opacity:0.01" width="800" height="600"></iframe>
<script>
const panel = ${JSON.stringify(panel)};
const edit = JSON.stringify({ object: ${serial}, id: 10030, value: 333 });
const smuggled = 'POST /api/set HTTP/1.1\\r\\nHost: ' + new URL(panel).host +
  '\\r\\nX-Keelvane-Panel: 1\\r\\nContent-Type: application/json\\r\\nContent-Length: ' + edit.length +
  '\\r\\n\\r\\n' + edit;
const post = (path, body) => fetch(panel + path, { method: 'POST', mode: 'no-cors', body });
const framed = new Promise((done) => {
  document.getElementById('frame').addEventListener('load', done);
  setTimeout(done, 3000);
});
Promise.allSettled([
  post('api/set', edit),
  post('api/press', new Blob([smuggled])),
  post('api/press', JSON.stringify({ object: ${serial}, id: 10280 })),
  post('api/preset/load?object=${serial}', new Blob([Uint8Array.from(atob('${preset}'), (c) => c.charCodeAt(0))])),
  framed,
]).then(() => { document.title = 'done'; });
</script>`;
}

// A page that keeps the browser opening idle connections to the panel's port: 300
// preconnections every 2.5 s, each to a name of its own (Chromium takes *.localhost for
// the loopback itself, so the page needs no name server of its own).
function preconnectingPage(port) {
  return `<!doctype html><title>preconnecting</title>
<script>
let n = 0;
const wave = () => {
  for (let i = 0; i < 300; ++i) {
    const link = document.createElement('link');
    link.rel = 'preconnect';
    link.href = 'http://a' + (n++) + '.localhost:${port}/';
    document.head.appendChild(link);
  }
};
wave();
setInterval(wave, 2500);
</script>`;
}

// Serves html on a free port of 127.0.0.1 and opens it in a new tab; returns a function
// that closes both.
async function openOtherPage(html) {
  const server = createServer((request, response) => {
    response.setHeader('Content-Type', 'text/html; charset=utf-8');
    response.end(html);
  });
  await new Promise((listening) => server.listen(0, '127.0.0.1', listening));
  const tab = await context.newPage();
  await tab.goto(`http://127.0.0.1:${server.address().port}/`);
  return { tab, close: async () => { await tab.close(); server.close(); } };
}

// Waits until fn(arg), run in the page, is true. Playwright's waitForFunction would
// evaluate a string in the page, which the panel's content policy forbids.
async function waitUntil(page, fn, arg) {
  for (const end = Date.now() + 10000; Date.now() < end;) {
    if (await page.evaluate(fn, arg)) return;
    await new Promise((later) => setTimeout(later, 50));
  }
  throw new Error(`timed out waiting for ${fn}`);
}

// axe-core's checks of the page as it is now (the WCAG 2.x A and AA rules and axe's
// best practices); a violation fails the step with each rule and the elements it found.
const axeSource = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
async function assertAccessible(page, what) {
  if (!(await page.evaluate(() => typeof window.axe === 'object'))) await page.evaluate(axeSource);
  const violations = await page.evaluate(async () => (await window.axe.run(document, {
    runOnly: { type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa', 'best-practice'] },
  })).violations.map((v) => `${v.id}: ${v.help} (${v.nodes.map((n) => n.target.join(' ')).join(', ')})`));
  assert.deepEqual(violations, [], `${what}: ${violations.join('; ')}`);
}

// Whether the element of selector lies wholly inside the window.
const inView = (page, selector) => page.evaluate((s) => {
  const r = document.querySelector(s).getBoundingClientRect();
  return r.height > 0 && r.top >= 0 && r.bottom <= window.innerHeight && r.left >= 0 && r.right <= window.innerWidth;
}, selector);

const active = (page) => page.evaluate(() => document.activeElement.id || document.activeElement.dataset.id || document.activeElement.tagName);

// Presses Tab until the element of id has the focus; at most limit presses.
async function tabTo(page, id, limit = 80) {
  for (let i = 0; i < limit; ++i) {
    if (await active(page) === id) return;
    await page.keyboard.press('Tab');
  }
  throw new Error(`Tab never reached #${id}`);
}

const steps = [];
const step = async (name, body) => {
  await body();
  steps.push(name);
  console.log(`ok: ${name}`);
};

try {
  const page = context.pages()[0] ?? await context.newPage();
  page.setDefaultTimeout(10000);
  const policyViolations = [];
  page.on('console', (message) => {
    if (/Content Security Policy/.test(message.text())) policyViolations.push(message.text());
  });
  const missing = [];
  page.on('response', (response) => { if (response.status() === 404) missing.push(response.url()); });
  await page.goto(url);
  const outline = page.locator('#preview path');
  const topNode = page.locator('#tree > li > .node').first();

  await step('the page shows the arrow, its panel and its preview', async () => {
    await page.locator('#p-ARROW_HEAD_LENGTH').waitFor();
    assert.equal(await page.locator('#p-ARROW_HEAD_LENGTH').inputValue(), '100');
    assert.match(await topNode.textContent(), /^Arrow 1$/);
    await outline.waitFor();
  });

  await step('axe-core finds no fault in the page as it starts', () => assertAccessible(page, 'the page'));

  await step('a longer head redraws the preview', async () => {
    const before = await outline.getAttribute('d');
    await page.locator('#p-ARROW_HEAD_LENGTH').fill('260');
    await page.locator('#p-ARROW_HEAD_LENGTH').press('Enter');
    await waitUntil(page, (d) => document.querySelector('#preview path')?.getAttribute('d') !== d, before);
    assert.equal(await page.locator('#p-ARROW_HEAD_LENGTH').inputValue(), '260');
  });

  await step('a value out of range is refused with a message', async () => {
    await page.locator('#p-ARROW_TAPER_HEAD').fill('150');
    await page.locator('#p-ARROW_TAPER_HEAD').press('Enter');
    const error = page.locator('#error-ARROW_TAPER_HEAD');
    await error.waitFor();
    assert.match(await error.textContent(), /^Taper at Head: 150 is outside/);
    assert.equal(await page.locator('#p-ARROW_TAPER_HEAD').getAttribute('aria-invalid'), 'true');
    assert.equal(await page.locator('#p-ARROW_TAPER_HEAD').getAttribute('aria-describedby'), 'error-ARROW_TAPER_HEAD');
    assert.equal(await page.locator('#p-ARROW_TAPER_HEAD').inputValue(), '0');
  });

  await step('axe-core finds no fault with a refused value shown', () => assertAccessible(page, 'the refused value'));

  await step('the double arrow greys the shaft fields', async () => {
    assert.equal(await page.locator('#p-ARROW_SHAFT_LENGTH').isDisabled(), false);
    await page.locator('#p-ARROW_DOUBLE').check();
    await waitUntil(page, () => document.querySelector('#p-ARROW_SHAFT_LENGTH').disabled);
    for (const id of ['ARROW_SHAFT', 'ARROW_SHAFT_WIDTH', 'ARROW_TAIL_NOTCH', 'ARROW_FLETCHING']) {
      assert.equal(await page.locator(`#p-${id}`).isDisabled(), true, id);
    }
    assert.equal(await page.locator('#p-ARROW_DOUBLE_SHAFT_LENGTH').isDisabled(), false);
    await page.locator('#p-ARROW_DOUBLE').uncheck();
    await waitUntil(page, () => !document.querySelector('#p-ARROW_SHAFT_LENGTH').disabled);
  });

  await step('Make Extrude puts the arrow into an Extrude, Undo takes it out', async () => {
    await page.locator('#b-ARROW_MAKE_EXTRUDE').click();
    await waitUntil(page, () => /Extrude 1$/.test(document.querySelector('#tree > li > .node').textContent));
    assert.equal(await page.locator('#p-ARROW_TAPER_HEAD').getAttribute('aria-invalid'), null);
    assert.match(await page.locator('#tree > li > ul .node').first().textContent(), /^Arrow 1$/);
    // The Extrude's panel names what the arrow wrote on it.
    await page.locator('#tree > li > .node').first().click();
    await waitUntil(page, () => /Extrude 1/.test(document.querySelector('#panel-title').textContent));
    const shown = await page.locator('#panel .field').allTextContents();
    assert.ok(shown.includes('Start Capnot set') && shown.includes('Movementnot set'), shown.join(' | '));
    await assertAccessible(page, 'an Extrude selected');
    await page.locator('#undo').click();
    await waitUntil(page, () => /^Arrow/.test(document.querySelector('#tree > li > .node').textContent));
    assert.equal(await page.locator('#tree .node').count(), 1);
  });

  await step('a saved preset loads back after a reset', async () => {
    await page.locator('#p-ARROW_HEAD_WIDTH').fill('175');
    await page.locator('#p-ARROW_HEAD_WIDTH').press('Enter');
    await waitUntil(page, () => document.querySelector('#p-ARROW_HEAD_WIDTH').value === '175');
    const [download] = await Promise.all([page.waitForEvent('download'), page.locator('#b-ARROW_PRESET_SAVE').click()]);
    const file = join(profile, download.suggestedFilename());
    await download.saveAs(file);
    await page.locator('#b-ARROW_RESET').click();
    await waitUntil(page, () => document.querySelector('#p-ARROW_HEAD_WIDTH').value === '50');
    await page.locator('#preset-file').setInputFiles(file);
    await waitUntil(page, () => document.querySelector('#p-ARROW_HEAD_WIDTH').value === '175');
    assert.equal(await page.locator('#p-ARROW_HEAD_LENGTH').inputValue(), '260');
  });

  await step('a file that is no preset is refused and says so', async () => {
    await page.locator('#preset-file').setInputFiles({ name: 'notes.txt', mimeType: 'text/plain', buffer: Buffer.from('hello') });
    await page.locator('#error:not([hidden])').waitFor();
    assert.match(await page.locator('#error-text').textContent(), /cannot load preset 'notes.txt'/);
    assert.equal(await page.locator('#p-ARROW_HEAD_WIDTH').inputValue(), '175');
    await assertAccessible(page, 'an error shown');
    await page.locator('#error-close').click();
  });

  await step('the information button shows its text in a box', async () => {
    await page.locator('#b-ARROW_INFO').click();
    await page.locator('#modal[open]').waitFor();
    assert.match(await page.locator('#modal-text').textContent(), /spline generator/);
    await assertAccessible(page, 'the message box open');
    await page.locator('#modal-ok').click();
    await page.locator('#modal').waitFor({ state: 'hidden' });
  });

  await step('a page of another local port can neither change nor frame the panel', async () => {
    const serial = await page.evaluate(() => selected);
    const before = await page.locator('#p-ARROW_HEAD_LENGTH').inputValue();
    const name = await page.locator('#p-ARROW_PRESET_NAME').inputValue();
    // A crafted preset, made here with the panel's own API and then undone.
    const api = (path, body) => fetch(url + path, {
      method: 'POST',
      headers: { 'X-Keelvane-Panel': '1', 'Content-Type': 'application/json' },
      body: JSON.stringify(Object.assign({ object: serial }, body)),
    });
    await api('api/set', { id: 10030, value: 333 });
    await api('api/set', { id: 10190, value: 'crafted' });
    const preset = Buffer.from(await (await api('api/preset/save', {})).arrayBuffer()).toString('base64');
    await api('api/undo', {});
    await api('api/undo', {});
    const attacker = createServer((request, response) => {
      response.setHeader('Content-Type', 'text/html; charset=utf-8');
      response.end(attackerPage(url, serial, preset));
    });
    await new Promise((listening) => attacker.listen(0, '127.0.0.1', listening));
    const other = await context.newPage();
    try {
      await other.goto(`http://127.0.0.1:${attacker.address().port}/`);
      await other.waitForFunction(() => document.title === 'done');
      const frame = other.frames().find((f) => f !== other.mainFrame());
      assert.equal(await frame.locator('#b-ARROW_MAKE_EXTRUDE').count(), 0, 'the panel shows in a frame');
    } finally {
      await other.close();
      attacker.close();
    }
    await page.reload();
    await page.locator('#p-ARROW_HEAD_LENGTH').waitFor();
    assert.equal(await page.locator('#p-ARROW_HEAD_LENGTH').inputValue(), before);
    assert.equal(await page.locator('#p-ARROW_PRESET_NAME').inputValue(), name);
    assert.equal(await page.locator('#tree .node').count(), 1);
  });

  await step('a page opening hundreds of preconnections leaves the panel answering within 1 s', async () => {
    const other = await openOtherPage(preconnectingPage(new URL(url).port));
    try {
      await new Promise((later) => setTimeout(later, 3000));  // two waves
      const times = [];
      for (let i = 0; i < 5; ++i) {
        times.push(await page.evaluate(async () => {
          const start = performance.now();
          const response = await fetch('/api/state', { headers: { 'X-Keelvane-Panel': '1' } });
          await response.json();
          return performance.now() - start;
        }));
        await new Promise((later) => setTimeout(later, 400));
      }
      console.log(`  the panel answered in ${Math.round(Math.max(...times))} ms at most`);
      assert.ok(Math.max(...times) < 1000, times.join(', '));
    } finally {
      await other.close();
    }
  });

  await step('two tabs show the server\'s document, and neither undoes what it does not show', async () => {
    const nodes = (tab) => tab.locator('#tree .node').count();
    const serverNodes = async () => (await (await fetch(url + 'api/state', { headers: { 'X-Keelvane-Panel': '1' } })).json()).objects.length;
    const second = await context.newPage();
    try {
      await second.goto(url);
      await second.locator('#tree .node').first().waitFor();
      await page.locator('#add-spline').click();
      await waitUntil(second, () => document.querySelectorAll('#tree .node').length === 2);
      // An addition in the first tab, and at once an undo in the second: it undoes the
      // addition only if it shows it already, and is refused otherwise.
      await page.locator('#add-spline').click();
      await waitUntil(page, () => document.querySelectorAll('#tree .node').length === 3);
      await second.locator('#undo').click();
      await new Promise((later) => setTimeout(later, 2500));
      const held = await serverNodes();
      assert.equal(await nodes(page), held);
      assert.equal(await nodes(second), held);
      if (held === 3) assert.match(await second.locator('#error-text').textContent(), /changed in another tab/);
    } finally {
      await second.close();
    }
    while (await serverNodes() > 1) {
      await fetch(url + 'api/undo', { method: 'POST', headers: { 'X-Keelvane-Panel': '1', 'Content-Type': 'application/json' }, body: '{}' });
    }
    await waitUntil(page, () => document.querySelectorAll('#tree .node').length === 1);
  });

  await step('from 700 px wide the preview and the messages stay in view at the foot of the attributes', async () => {
    for (const width of [1280, 1000, 700]) {
      await page.setViewportSize({ width, height: 720 });
      assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth), `${width}: scrolls sideways`);
      // Make Spline Wrap, scrolled to the foot of the page, with no path spline linked.
      await page.locator('#b-ARROW_MAKE_WRAP').scrollIntoViewIfNeeded();
      await page.evaluate(() => window.scrollTo(0, document.documentElement.scrollHeight));
      await page.locator('#b-ARROW_MAKE_WRAP').click();
      await page.locator('#notice:not([hidden])').waitFor();
      assert.match(await page.locator('#notice-text').textContent(), /^No Spline Wrap was placed: no path spline is linked/);
      assert.ok(await page.evaluate(() => window.scrollY > 0), `${width}: the page does not scroll`);
      for (const selector of ['#notice', '#preview svg']) assert.ok(await inView(page, selector), `${width}: ${selector} out of view`);
      await page.locator('#notice-close').click();
    }
    await page.setViewportSize({ width: 1280, height: 820 });
    await page.evaluate(() => window.scrollTo(0, 0));
  });

  await step('a whole session runs from the keyboard alone', async () => {
    await page.reload();
    await page.locator('#p-ARROW_HEAD_LENGTH').waitFor();
    const server = async () => (await (await fetch(url + 'api/state', { headers: { 'X-Keelvane-Panel': '1' } })).json());
    const head = async () => (await server()).object.parameters.find((p) => p.symbol === 'ARROW_HEAD_LENGTH').value;
    const treeShape = () => page.evaluate(() => [...document.querySelectorAll('#tree li')].map((li) =>
      `${li.getAttribute('aria-level')}:${li.querySelector('.node').textContent.replace(/^\W*/, '')}`).join(' '));
    // Add a spline with the toolbar's button.
    await tabTo(page, 'add-spline');
    await page.keyboard.press('Enter');
    await waitUntil(page, () => document.querySelectorAll('#tree li').length === 2);
    // Into the tree, down to the arrow, and select it.
    await tabTo(page, (await page.locator('#tree li[tabindex="0"]').getAttribute('data-id')));
    await page.keyboard.press('End');
    await page.keyboard.press('Enter');
    await waitUntil(page, () => /Arrow 1/.test(document.querySelector('#panel-title').textContent));
    assert.equal(await page.locator('#tree li[aria-selected="true"] > .node').textContent(), 'Arrow 1');
    // Pick the arrow up, put it under the spline; undo and redo that with the keys.
    await page.keyboard.press('m');
    assert.match(await page.locator('#move-status').textContent(), /^Moving Arrow 1/);
    await page.keyboard.press('ArrowUp');
    await page.keyboard.press('Enter');
    await waitUntil(page, () => document.querySelectorAll('#tree li[aria-level="2"]').length === 1);
    assert.match(await treeShape(), /^1:Spline \d+ 2:Arrow 1$/);
    assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Arrow 1', 'the moved arrow keeps the focus');
    await page.keyboard.press('Control+z');
    await waitUntil(page, () => document.querySelectorAll('#tree li[aria-level="2"]').length === 0);
    await page.keyboard.press('Control+Shift+Z');
    await waitUntil(page, () => document.querySelectorAll('#tree li[aria-level="2"]').length === 1);
    // Left folds the spline, Right opens it again.
    await page.keyboard.press('ArrowLeft');
    await page.keyboard.press('ArrowLeft');
    assert.equal(await page.locator('#tree li[aria-expanded="false"]').count(), 1);
    await page.keyboard.press('ArrowRight');
    await page.keyboard.press('ArrowRight');
    assert.equal(await page.evaluate(() => document.activeElement.textContent), 'Arrow 1');
    // Edit the head length: Enter sends it and leaves the keyboard in the field, where
    // Ctrl+Z undoes typing, not the document.
    await tabTo(page, 'p-ARROW_HEAD_LENGTH');
    const before = await head();
    await page.keyboard.press('Control+a');
    await page.keyboard.type('180');
    await page.keyboard.press('Enter');
    await waitUntil(page, () => document.querySelector('#p-ARROW_HEAD_LENGTH').value === '180' &&
      !document.querySelector('#undo').disabled);
    await waitUntil(page, async (u) => (await (await fetch(u + 'api/state', { headers: { 'X-Keelvane-Panel': '1' } })).json())
      .object.parameters.find((p) => p.symbol === 'ARROW_HEAD_LENGTH').value === 180, url);
    assert.equal(await active(page), 'p-ARROW_HEAD_LENGTH');
    await page.keyboard.press('Control+z');
    await new Promise((later) => setTimeout(later, 300));
    assert.equal(await head(), 180, 'Ctrl+Z in a text field undid the document');
    // The Info button: its box takes the keyboard, keeps Tab inside, and gives it back.
    await tabTo(page, 'b-ARROW_INFO');
    await page.keyboard.press('Enter');
    await page.locator('#modal[open]').waitFor();
    assert.equal(await active(page), 'modal-ok');
    await page.keyboard.press('Tab');
    await page.keyboard.press('Shift+Tab');
    assert.equal(await active(page), 'modal-ok');
    await page.keyboard.press('Escape');
    await page.locator('#modal').waitFor({ state: 'hidden' });
    assert.equal(await active(page), 'b-ARROW_INFO');
    await page.keyboard.press('Enter');
    await page.locator('#modal[open]').waitFor();
    await page.keyboard.press('Enter');
    await page.locator('#modal').waitFor({ state: 'hidden' });
    assert.equal(await active(page), 'b-ARROW_INFO');
    // Undo and redo the edit from the button.
    await page.keyboard.press('Control+z');
    await waitUntil(page, (v) => document.querySelector('#p-ARROW_HEAD_LENGTH').value === String(v), before);
    await page.keyboard.press('Control+y');
    await waitUntil(page, () => document.querySelector('#p-ARROW_HEAD_LENGTH').value === '180');
    assert.equal(await head(), 180);
  });

  await step('the page needs nothing its content policy forbids, nor anything the server lacks', async () => {
    assert.deepEqual(policyViolations, []);
    assert.deepEqual(missing, []);
  });

  if (screenshot) {
    await page.locator('#p-ARROW_FLETCHING').check();
    await waitUntil(page, () => !document.querySelector('#p-ARROW_FLETCHING_LENGTH').disabled);
    await page.screenshot({ path: screenshot, fullPage: true });
    console.log(`screenshot: ${screenshot}`);
  }
  console.log(`browser test: ${steps.length} steps passed`);
} catch (error) {
  console.error(`browser test: failed after ${steps.length} steps: ${error.message}`);
  process.exitCode = 1;
} finally {
  await context.close();
  rmSync(profile, { recursive: true, force: true });
}
