// Counting: 1,000,000 updates of a Map over 1,000 text keys, eight rounds.
const names = new Array<string>();
for (let i: i32 = 0; i < 1000; i++) names.push("key" + i.toString());
let total: i32 = 0;
let counts = new Map<string, i64>();
for (let round = 0; round < 8; round++) {
  counts = new Map<string, i64>();
  for (let i: i32 = 0; i < 1000000; i++) {
    const name = names[(i * 7) % 1000];
    counts.set(name, (counts.has(name) ? counts.get(name) : 0) + 1);
  }
  total += counts.size;
}
console.log(total.toString() + " " + counts.get("key7").toString());
