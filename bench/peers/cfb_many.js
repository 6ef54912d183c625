// N streams of 100 bytes in storages of 1000 with the cfb package, then one file write.
// cfb_add runs with unsafe:true, which skips its per-add duplicate scan (quadratic here).
const CFB = require('cfb');
const [output, countText] = process.argv.slice(2);
const count = Number(countText);
const payload = Buffer.alloc(100);
for (let i = 0; i < 100; ++i) payload[i] = (i * 7 + 1) & 0xff;
const start = process.hrtime.bigint();
const file = CFB.utils.cfb_new();
for (let i = 0; i < count; ++i)
  CFB.utils.cfb_add(file, `/d${Math.floor(i / 1000)}/s${i}`, payload, { unsafe: true });
CFB.writeFile(file, output);
console.log(`seconds=${Number(process.hrtime.bigint() - start) / 1e9}`);
