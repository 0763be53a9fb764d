// Runs the Khronos glTF validator on each file named; prints a RESULT line a
// file and every error and warning. Exit status 1 when any file has one.
// Usage: node validate.js VALIDATOR_MODULE_FOLDER FILE...
const fs = require('fs'), path = require('path');
const validator = require(process.argv[2]);
(async () => {
  let bad = 0;
  for (const file of process.argv.slice(3)) {
    const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
      uri: file, maxIssues: 0, 
      externalResourceFunction: (uri) => new Promise((ok, fail) => fs.readFile(path.resolve(path.dirname(file), decodeURIComponent(uri)), (e, d) => e ? fail(e.toString()) : ok(new Uint8Array(d))))});
    const i = report.issues;
    console.log(`RESULT ${file} errors ${i.numErrors} warnings ${i.numWarnings} infos ${i.numInfos}`);
    for (const m of i.messages) if (m.severity <= 2) console.log(`  ${m.severity} ${m.code} ${m.pointer||''} ${m.message}`);
    if (i.numErrors || i.numWarnings) bad++;
  }
  process.exit(bad ? 1 : 0);
})();
