// Opens a compound file with the cfb package and walks every element path.
const CFB = require('cfb');
const file = CFB.read(process.argv[2], { type: 'file' });
let count = 0;
// FileIndex also holds the root (type 5) and unused directory slots (type 0).
file.FullPaths.forEach((path, i) => {
  const type = file.FileIndex[i].type;
  if (type === 1 || type === 2) ++count;
});
console.log(`elements=${count}`);
