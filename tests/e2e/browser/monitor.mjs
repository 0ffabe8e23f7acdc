// The sample upload form in headless Chromium: submitting a large file opens
// the monitor window, whose bar advances while the upload runs, and which
// closes itself when the upload is done. With "refused", the file is larger
// than the page accepts: the window must say so and close.
// Usage: node monitor.mjs BASE_URL FILE [refused]
import { chromium } from 'playwright-core';

const [base, file, mode] = process.argv.slice(2);
const refused = mode === 'refused';
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const result = { percents: [], monitorClosed: false, refusedShown: false, saved: '' };
try {
  const context = await browser.newContext();
  const page = await context.newPage();
  // Slow the upload down so the monitor refreshes several times meanwhile.
  const cdp = await context.newCDPSession(page);
  await cdp.send('Network.enable');
  await cdp.send('Network.emulateNetworkConditions', {
    offline: false, latency: 0, downloadThroughput: -1,
    uploadThroughput: (refused ? 4 : 12) * 1024 * 1024,
  });
  // Every refresh of the monitor window is read as it arrives.
  context.on('response', async (response) => {
    if (!/\/upload\/(monitor\.asp|refused\.htm)/.test(response.url())) return;
    try {
      const text = await response.text();
      const m = text.match(/\((\d+)%\)/);
      if (m) result.percents.push(Number(m[1]));
      if (text.includes("id='refused'")) result.refusedShown = true;
    } catch { /* the window closed before the body was read */ }
  });
  await page.goto(base + '/upload/default.asp');
  await page.setInputFiles('input[name=file1]', file);
  const popupPromise = page.waitForEvent('popup');
  const navigation = page.waitForNavigation({ timeout: 120000 });
  await page.click('button');
  const popup = await popupPromise;
  const closed = popup.waitForEvent('close', { timeout: 120000 }).then(() => true, () => false);
  result.monitorClosed = await closed;
  await navigation;
  result.saved = await page.content();
} finally {
  await browser.close();
}
console.log(JSON.stringify(result));
