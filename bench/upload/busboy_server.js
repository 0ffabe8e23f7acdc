// Peer server: node's http module with busboy, saving every file part of a
// multipart POST into OUTDIR under its file name (without folders) and
// answering the number of files saved, once they are all on disk.
//   node busboy_server.js OUTDIR
// Prints "http://127.0.0.1:PORT/" once it listens.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const busboy = require('busboy');

const outDir = process.argv[2];
const MiB = 1024 * 1024;

const server = http.createServer((req, res) => {
  const fail = (err) => {
    res.writeHead(500, { 'content-type': 'text/plain' });
    res.end(String(err && err.message));
  };
  let bb;
  try {
    bb = busboy({ headers: req.headers, highWaterMark: MiB, fileHwm: MiB, limits: { fileSize: Infinity } });
  } catch (err) {
    fail(err);
    return;
  }
  const writes = [];
  bb.on('file', (name, stream, info) => {
    const target = path.join(outDir, path.basename(info.filename || `${name}.bin`));
    const out = fs.createWriteStream(target, { highWaterMark: MiB });
    writes.push(new Promise((done, failed) => {
      out.on('close', done);
      out.on('error', failed);
    }));
    stream.pipe(out);
  });
  bb.on('field', () => {});
  bb.on('error', fail);
  bb.on('close', () => {
    Promise.all(writes).then(() => {
      res.writeHead(200, { 'content-type': 'text/plain' });
      res.end(String(writes.length));
    }, fail);
  });
  req.pipe(bb);
});
server.listen(0, '127.0.0.1', () => {
  console.log(`http://127.0.0.1:${server.address().port}/`);
});
