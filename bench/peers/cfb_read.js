// Reads one stream with the cfb package: the whole file is parsed, the entry's content
// is a buffer in memory.
const CFB = require('cfb');
const file = CFB.read(process.argv[2], { type: 'file' });
const entry = CFB.find(file, process.argv[3]);
if (!entry) throw new Error(`no stream ${process.argv[3]}`);
console.log(`bytes=${entry.content.length}`);
