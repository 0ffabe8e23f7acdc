// The page host as a browser sees it: keyed cookies and the session cookie
// kept by Chromium, a form posted in UTF-8, a redirect followed, session
// pages of one browser run one after the other while a sessionless page does
// not wait, and unbuffered output arriving before the page ends.
// Usage: node host.mjs BASE_URL   (prints one JSON object)
import { chromium } from 'playwright-core';

const [base] = process.argv.slice(2);
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const result = {};
try {
  const context = await browser.newContext();
  const page = await context.newPage();

  await page.goto(base + '/cookies.asp');
  await page.goto(base + '/cookies.asp');
  result.cookieEcho = (await page.textContent('body')).trim();
  result.cookieNames = (await context.cookies()).map((c) => c.name).sort();

  await page.goto(base + '/counter.asp');
  await page.goto(base + '/counter.asp');
  result.counter = (await page.textContent('body')).trim();

  await page.goto(base + '/form.asp');
  await page.fill('input[name=t]', '한국어 テキスト');
  await Promise.all([page.waitForNavigation(), page.click('button')]);
  result.posted = (await page.textContent('body')).trim();

  await page.goto(base + '/redirect.asp');
  result.redirectedTo = new URL(page.url()).pathname;

  // Timings are taken inside the page, so both requests share the
  // browser's cookies and connections exactly as a real page's would.
  result.timing = await page.evaluate(async () => {
    const t0 = performance.now();
    const timed = (url) => fetch(url).then((r) => r.text()).then(() => performance.now() - t0);
    const slow = timed('slow_session.asp');
    await new Promise((r) => setTimeout(r, 300));
    const [fast, second] = await Promise.all([timed('nosession.asp'), timed('counter.asp')]);
    return { slow: await slow, fast, second };
  });

  result.streaming = await page.evaluate(async () => {
    const t0 = performance.now();
    const reader = (await fetch('stream.asp')).body.getReader();
    const first = await reader.read();
    const firstAt = performance.now() - t0;
    let text = new TextDecoder().decode(first.value);
    for (let c = await reader.read(); !c.done; c = await reader.read()) {
      text += new TextDecoder().decode(c.value);
    }
    return { firstAt, endAt: performance.now() - t0, text };
  });
} finally {
  await browser.close();
}
console.log(JSON.stringify(result));
