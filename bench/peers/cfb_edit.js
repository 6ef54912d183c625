// One-byte edit with the cfb package: read the file, change the byte, write the whole file
// out again (cfb has no in-place update). Prints the bytes the process wrote.
const fs = require('fs');
const CFB = require('cfb');
const io = () => Object.fromEntries(fs.readFileSync('/proc/self/io', 'utf8').trim().split('\n')
  .map((line) => line.split(': ')).map(([k, v]) => [k, Number(v)]));
const [input, path, offset, output] = process.argv.slice(2);
const before = io();
const start = process.hrtime.bigint();
const file = CFB.read(input, { type: 'file' });
const entry = CFB.find(file, path);
entry.content[Number(offset)] ^= 0x5a;
CFB.writeFile(file, output);
const seconds = Number(process.hrtime.bigint() - start) / 1e9;
const after = io();
console.log(`seconds=${seconds} wchar=${after.wchar - before.wchar} ` +
  `write_bytes=${after.write_bytes - before.write_bytes} syscw=${after.syscw - before.syscw}`);
