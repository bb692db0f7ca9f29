// The panel page in headless chromium against a running `keelvane serve`: an edit
// redraws the preview, the double arrow greys the shaft fields, Make Extrude changes the
// tree and Undo brings it back, a saved preset loads back after a reset.
// Usage: node panel.test.mjs URL [SCREENSHOT]
import { chromium } from 'playwright-core';
import { mkdtempSync, rmSync } from 'node:fs';
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
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const steps = [];
const step = async (name, body) => {
  await body();
  steps.push(name);
  console.log(`ok: ${name}`);
};

try {
  const page = context.pages()[0] ?? await context.newPage();
  page.setDefaultTimeout(10000);
  await page.goto(url);
  const outline = page.locator('#preview path');
  const topNode = page.locator('#tree > li > .node').first();

  await step('the page shows the arrow, its panel and its preview', async () => {
    await page.locator('#p-ARROW_HEAD_LENGTH').waitFor();
    assert.equal(await page.locator('#p-ARROW_HEAD_LENGTH').inputValue(), '100');
    assert.match(await topNode.textContent(), /^Arrow #/);
    await outline.waitFor();
  });

  await step('a longer head redraws the preview', async () => {
    const before = await outline.getAttribute('d');
    await page.locator('#p-ARROW_HEAD_LENGTH').fill('260');
    await page.locator('#p-ARROW_HEAD_LENGTH').press('Enter');
    await page.waitForFunction((d) => document.querySelector('#preview path')?.getAttribute('d') !== d, before);
    assert.equal(await page.locator('#p-ARROW_HEAD_LENGTH').inputValue(), '260');
  });

  await step('a value out of range is refused with a message', async () => {
    await page.locator('#p-ARROW_TAPER_HEAD').fill('150');
    await page.locator('#p-ARROW_TAPER_HEAD').press('Enter');
    await page.locator('#error:not([hidden])').waitFor();
    assert.match(await page.locator('#error-text').textContent(), /ARROW_TAPER_HEAD: 150 is outside/);
    assert.equal(await page.locator('#p-ARROW_TAPER_HEAD').inputValue(), '0');
  });

  await step('the double arrow greys the shaft fields', async () => {
    assert.equal(await page.locator('#p-ARROW_SHAFT_LENGTH').isDisabled(), false);
    await page.locator('#p-ARROW_DOUBLE').check();
    await page.waitForFunction(() => document.querySelector('#p-ARROW_SHAFT_LENGTH').disabled);
    for (const id of ['ARROW_SHAFT', 'ARROW_SHAFT_WIDTH', 'ARROW_TAIL_NOTCH', 'ARROW_FLETCHING']) {
      assert.equal(await page.locator(`#p-${id}`).isDisabled(), true, id);
    }
    assert.equal(await page.locator('#p-ARROW_DOUBLE_SHAFT_LENGTH').isDisabled(), false);
    await page.locator('#p-ARROW_DOUBLE').uncheck();
    await page.waitForFunction(() => !document.querySelector('#p-ARROW_SHAFT_LENGTH').disabled);
  });

  await step('Make Extrude puts the arrow into an Extrude, Undo takes it out', async () => {
    await page.locator('#b-ARROW_MAKE_EXTRUDE').click();
    await page.waitForFunction(() => /^Extrude/.test(document.querySelector('#tree > li > .node').textContent));
    assert.match(await page.locator('#tree > li > ul .node').first().textContent(), /^Arrow #/);
    await page.locator('#undo').click();
    await page.waitForFunction(() => /^Arrow/.test(document.querySelector('#tree > li > .node').textContent));
    assert.equal(await page.locator('#tree .node').count(), 1);
  });

  await step('a saved preset loads back after a reset', async () => {
    await page.locator('#p-ARROW_HEAD_WIDTH').fill('175');
    await page.locator('#p-ARROW_HEAD_WIDTH').press('Enter');
    await page.waitForFunction(() => document.querySelector('#p-ARROW_HEAD_WIDTH').value === '175');
    const [download] = await Promise.all([page.waitForEvent('download'), page.locator('#b-ARROW_PRESET_SAVE').click()]);
    const file = join(profile, download.suggestedFilename());
    await download.saveAs(file);
    await page.locator('#b-ARROW_RESET').click();
    await page.waitForFunction(() => document.querySelector('#p-ARROW_HEAD_WIDTH').value === '50');
    await page.locator('#preset-file').setInputFiles(file);
    await page.waitForFunction(() => document.querySelector('#p-ARROW_HEAD_WIDTH').value === '175');
    assert.equal(await page.locator('#p-ARROW_HEAD_LENGTH').inputValue(), '260');
  });

  await step('a file that is no preset is refused and says so', async () => {
    await page.locator('#preset-file').setInputFiles({ name: 'notes.txt', mimeType: 'text/plain', buffer: Buffer.from('hello') });
    await page.locator('#error:not([hidden])').waitFor();
    assert.match(await page.locator('#error-text').textContent(), /cannot load preset 'notes.txt'/);
    assert.equal(await page.locator('#p-ARROW_HEAD_WIDTH').inputValue(), '175');
    await page.locator('#error-close').click();
  });

  await step('the information button shows its text in a box', async () => {
    await page.locator('#b-ARROW_INFO').click();
    await page.locator('#modal:not([hidden])').waitFor();
    assert.match(await page.locator('#modal-text').textContent(), /spline generator/);
    await page.locator('#modal-ok').click();
    await page.locator('#modal').waitFor({ state: 'hidden' });
  });

  if (screenshot) {
    await page.locator('#p-ARROW_FLETCHING').check();
    await page.waitForFunction(() => !document.querySelector('#p-ARROW_FLETCHING_LENGTH').disabled);
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
