// Installable and offline: after one visit the service worker controls the
// page and keeps its files in a cache named for this build, every file the
// page fetched from its own site among them; chromium finds
// nothing that keeps it from installing the page; and with the network
// gone the page reloads, boots and shows the open ROM's picture.
'use strict';
const lib = require('./web_lib.cjs');
const { check } = lib;

lib.runTest(async () => {
  const { browser, page } = await lib.openPage();
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 20000 });
  const caches = await page.evaluate(() => caches.keys());
  check(caches.length === 1 && /^tessel-page-\d+\.\d+\.\d+-[0-9a-f]{16}$/.test(caches[0]), 'caches ' + caches);
  const notKept = await page.evaluate(async (name) => {
    const kept = (await (await caches.open(name)).keys()).map((request) => new URL(request.url).pathname);
    return performance.getEntriesByType('resource').map((entry) => new URL(entry.name))
      .filter((url) => url.origin === location.origin && !kept.includes(url.pathname)).map((url) => url.pathname);
  }, caches[0]);
  check(notKept.length === 0, 'fetched, not kept: ' + notKept);
  const devtools = await browser.newCDPSession(page);
  const { installabilityErrors } = await devtools.send('Page.getInstallabilityErrors');
  check(installabilityErrors.length === 0, 'not installable: ' + JSON.stringify(installabilityErrors));
  const { errors } = await devtools.send('Page.getAppManifest');
  check(errors.length === 0, 'manifest: ' + JSON.stringify(errors));
  console.log('the worker controls the page, cache ' + caches[0] + '; installable, the manifest without errors');

  await browser.setOffline(true);
  await page.reload();
  await lib.waitForRestart(page);
  check(await page.evaluate(() => fetch('not-kept').then(() => 'online', () => 'offline')) === 'offline',
        'the network is still there');
  await lib.waitForPicture(page, lib.referencesBothPhases([], 150), 'the open ROM booted offline');
  await lib.screenshot(page, 'offline');
  console.log('offline: booted, first frame ' + (await lib.figures(page)).firstFrameAt.toFixed(0) +
              ' ms after the page began loading');
});
