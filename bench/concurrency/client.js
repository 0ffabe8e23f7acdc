// Load client of the concurrency benchmark, bounded in connections and time
// and aimed only at 127.0.0.1. Prints one JSON line of figures.
//
//   node client.js hold N URL HOLD_S
//     N connections at once, each sends one GET and keeps the connection
//     open; first-response latency per connection. Prints the figures once
//     every connection was answered (or 30 s passed), then holds the
//     connections HOLD_S seconds before closing them.
//   node client.js uploads N RATE FILE URL POLL_URL
//     N multipart uploads of FILE at once, each sent at RATE bytes/s, while
//     POLL_URL is fetched every 100 ms until the last upload finished.
'use strict';
const net = require('net');
const http = require('http');
const fs = require('fs');

const kAnswerLimitMs = 30000;
const kUploadLimitMs = 600000;

function target(url) {
  const u = new URL(url);
  if (u.hostname !== '127.0.0.1') throw new Error('loopback only: ' + url);
  return { port: Number(u.port), path: u.pathname + u.search };
}

function percentile(sorted, p) {
  if (!sorted.length) return null;
  return sorted[Math.min(sorted.length - 1, Math.ceil((p / 100) * sorted.length) - 1)];
}

function summary(ms) {
  const s = [...ms].sort((a, b) => a - b);
  const r = (v) => (v === null ? null : Math.round(v * 10) / 10);
  return { count: s.length, p50: r(percentile(s, 50)), p99: r(percentile(s, 99)), max: r(s[s.length - 1] ?? null) };
}

function hold(n, url, holdSeconds) {
  const { port, path } = target(url);
  const sockets = [];
  const latencies = [];
  let failed = 0;
  let reported = false;
  const report = () => {
    if (reported) return;
    reported = true;
    console.log(JSON.stringify({ clients: n, answered: latencies.length, failed, ...summary(latencies) }));
    setTimeout(() => { sockets.forEach((s) => s.destroy()); process.exit(0); }, holdSeconds * 1000);
  };
  const settle = () => { if (latencies.length + failed === n) report(); };
  setTimeout(report, kAnswerLimitMs);
  for (let i = 0; i < n; i++) {
    const start = process.hrtime.bigint();
    const socket = net.connect(port, '127.0.0.1');
    sockets.push(socket);
    let got = '';
    let done = false;
    socket.on('connect', () => socket.write(`GET ${path} HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n`));
    socket.on('data', (d) => {
      if (done) return;
      got += d.toString('latin1');
      const end = got.indexOf('\r\n\r\n');
      if (end < 0) return;
      const length = /content-length:\s*(\d+)/i.exec(got.slice(0, end));
      if (length && got.length < end + 4 + Number(length[1])) return;
      done = true;
      latencies.push(Number(process.hrtime.bigint() - start) / 1e6);
      settle();
    });
    socket.on('error', () => { if (!done) { done = true; failed++; settle(); } });
    socket.on('close', () => { if (!done) { done = true; failed++; settle(); } });
  }
}

function upload(port, path, file, rate, name) {
  return new Promise((resolve) => {
    const boundary = '----bench' + name;
    const head = Buffer.from(`--${boundary}\r\nContent-Disposition: form-data; name="f"; filename="${name}"\r\n` +
      'Content-Type: application/octet-stream\r\n\r\n');
    const tail = Buffer.from(`\r\n--${boundary}--\r\n`);
    const body = Buffer.concat([head, file, tail]);
    const req = http.request({ host: '127.0.0.1', port, path, method: 'POST', agent: false, headers: {
      'Content-Type': `multipart/form-data; boundary=${boundary}`, 'Content-Length': body.length } });
    let answer = '';
    let status = 0;
    req.on('response', (res) => {
      status = res.statusCode;
      res.on('data', (d) => { answer += d; });
      res.on('end', () => resolve({ ok: status === 200, status, answer }));
    });
    req.on('error', (e) => resolve({ ok: false, status, answer: String(e) }));
    const piece = Math.max(1, Math.floor(rate / 10));
    let at = 0;
    const timer = setInterval(() => {
      const next = Math.min(body.length, at + piece);
      req.write(body.subarray(at, next));
      at = next;
      if (at >= body.length) { clearInterval(timer); req.end(); }
    }, 100);
  });
}

function poll(port, path) {
  const agent = new http.Agent({ keepAlive: true, maxSockets: 1 });
  return () => new Promise((resolve) => {
    const start = process.hrtime.bigint();
    http.get({ host: '127.0.0.1', port, path, agent }, (res) => {
      res.resume();
      res.on('end', () => resolve(res.statusCode === 200 ? Number(process.hrtime.bigint() - start) / 1e6 : null));
    }).on('error', () => resolve(null));
  });
}

// Fetches URL every 100 ms until SIGTERM, then prints the latencies. Runs
// as a process of its own so the uploads' sending never delays a poll.
function pollUntilStopped(url) {
  const { port, path } = target(url);
  const fetchOnce = poll(port, path);
  const polls = [];
  let failures = 0;
  let running = true;
  process.on('SIGTERM', () => { running = false; });
  (async () => {
    while (running) {
      const started = Date.now();
      const ms = await fetchOnce();
      if (ms === null) failures++; else polls.push(ms);
      await new Promise((r) => setTimeout(r, Math.max(0, 100 - (Date.now() - started))));
    }
    console.log(JSON.stringify({ pollFailures: failures, ...summary(polls) }));
    process.exit(0);
  })();
}

async function uploads(n, rate, filePath, url, pollUrl) {
  const { port, path } = target(url);
  target(pollUrl);
  const file = fs.readFileSync(filePath);
  setTimeout(() => { console.log(JSON.stringify({ error: 'time limit' })); process.exit(1); }, kUploadLimitMs);
  const poller = require('child_process').spawn(process.execPath, [__filename, 'poll', pollUrl],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  let polled = '';
  poller.stdout.on('data', (d) => { polled += d; });
  const pollerDone = new Promise((r) => poller.on('exit', r));
  await new Promise((r) => setTimeout(r, 300));  // the poller is up before the uploads start
  const results = await Promise.all(Array.from({ length: n }, (_, i) => upload(port, path, file, rate, `u${i}.bin`)));
  poller.kill('SIGTERM');
  await pollerDone;
  const bad = results.filter((r) => !r.ok);
  const polls = JSON.parse(polled || '{}');
  console.log(JSON.stringify({ uploads: n, saved: n - bad.length, firstFailure: bad[0] ?? null, ...polls }));
  process.exit(0);
}

const [mode, ...args] = process.argv.slice(2);
if (mode === 'hold') hold(Number(args[0]), args[1], Number(args[2] || 0));
else if (mode === 'poll') pollUntilStopped(args[0]);
else if (mode === 'uploads') uploads(Number(args[0]), Number(args[1]), args[2], args[3], args[4]);
else { console.error('usage: client.js hold N URL HOLD_S | uploads N RATE FILE URL POLL_URL'); process.exit(2); }
