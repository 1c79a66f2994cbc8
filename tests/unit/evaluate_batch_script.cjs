// Runs a batch script in a real JavaScript engine against a stand-in page and
// prints what addTracksBatch received: a line per record, each field as the
// hex of its UTF-8 bytes, so the C++ side compares exact bytes.
'use strict';
const fs = require('fs');
const vm = require('vm');

const received = [];
const page = { window: { sonabel: { addTracksBatch: (records) => received.push(records) } } };
vm.runInNewContext(fs.readFileSync(process.argv[2], 'utf8'), page);

if (received.length !== 1) throw new Error(`addTracksBatch called ${received.length} times`);
for (const record of received[0]) {
  const keys = Object.keys(record).join(',');
  if (keys !== 'title,artist,url,format') throw new Error(`unexpected keys ${keys}`);
  console.log(Object.values(record).map((v) => Buffer.from(v, 'utf8').toString('hex')).join(' '));
}
