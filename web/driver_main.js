// zolm-driver.js: the test driver's JSON Lines protocol on standard input and
// output, one answer line per request line, over the engine in WebAssembly.
// Lines are handled as bytes, so every byte reaches the engine as sent.
Module["onRuntimeInitialized"] = function () {
  let pending = Buffer.alloc(0);
  const answer = (line) => {
    if (line.length > 0 && line[line.length - 1] === 13) line = line.subarray(0, line.length - 1);
    const at = Module["_zolm_driver_request"](line.length);
    HEAPU8.set(line, at);
    const text = Module["_zolm_driver_answer"]();
    const length = Module["_zolm_driver_answer_length"]();
    return Buffer.concat([Buffer.from(HEAPU8.subarray(text, text + length)), Buffer.from("\n")]);
  };
  process.stdin.on("data", (chunk) => {
    pending = Buffer.concat([pending, chunk]);
    const answers = [];
    for (let end; (end = pending.indexOf(10)) >= 0; pending = pending.subarray(end + 1)) {
      answers.push(answer(pending.subarray(0, end)));
    }
    if (answers.length > 0) process.stdout.write(Buffer.concat(answers));
  });
  process.stdin.on("end", () => {
    if (pending.length > 0) process.stdout.write(answer(pending));
  });
};
