// Peer measurement: busboy parses the same body read from disk with 1 MiB
// stream buffers and writes the file part to a temporary file.
//   node busboy_bench.js BODY BOUNDARY OUTDIR [REPEATS]
// Prints busboy_mbps=<best of the repeats>.
'use strict';
const fs = require('fs');
const path = require('path');
const busboy = require('busboy');

const [bodyPath, boundary, outDir, repeatsArg] = process.argv.slice(2);
const repeats = Number(repeatsArg || 3);
const size = fs.statSync(bodyPath).size;
const MiB = 1024 * 1024;

function once() {
  return new Promise((resolve, reject) => {
    const start = process.hrtime.bigint();
    const bb = busboy({
      headers: { 'content-type': `multipart/form-data; boundary=${boundary}` },
      highWaterMark: MiB,
      fileHwm: MiB,
      limits: { fileSize: Infinity },
    });
    const writes = [];
    bb.on('file', (name, stream) => {
      const target = path.join(outDir, `busboy-${name}.tmp`);
      const out = fs.createWriteStream(target, { highWaterMark: MiB });
      writes.push(new Promise((done) => out.on('close', done)));
      stream.pipe(out);
    });
    bb.on('field', () => {});
    bb.on('error', reject);
    bb.on('close', async () => {
      await Promise.all(writes);
      const seconds = Number(process.hrtime.bigint() - start) / 1e9;
      resolve(size / 1e6 / seconds);
    });
    fs.createReadStream(bodyPath, { highWaterMark: MiB }).pipe(bb);
  });
}

(async () => {
  let best = 0;
  for (let i = 0; i < repeats; ++i) best = Math.max(best, await once());
  console.log(`busboy_mbps=${best.toFixed(0)}`);
})();
