// Fannkuch-redux of 10: every permutation of 10 items, the pancake flips
// each takes to bring its first item to 1, their checksum and the most.
const n: i32 = 10;
const perm1 = new StaticArray<i32>(n), perm = new StaticArray<i32>(n), count = new StaticArray<i32>(n);
for (let i = 0; i < n; i++) perm1[i] = i;
let checksum: i32 = 0, maxFlips: i32 = 0, permCount: i32 = 0, r: i32 = n;
let running = true;
while (running) {
  while (r != 1) {
    count[r - 1] = r;
    r--;
  }
  for (let i = 0; i < n; i++) unchecked(perm[i] = perm1[i]);
  let flips: i32 = 0;
  for (let k = perm[0]; k != 0; k = perm[0]) {
    for (let i = 0, j = k; i < j; i++, j--) {
      const t = unchecked(perm[i]);
      unchecked(perm[i] = perm[j]);
      unchecked(perm[j] = t);
    }
    flips++;
  }
  if (flips > maxFlips) maxFlips = flips;
  checksum += permCount % 2 == 0 ? flips : -flips;
  for (;;) {
    if (r == n) {
      running = false;
      break;
    }
    const first = perm1[0];
    for (let i = 0; i < r; i++) unchecked(perm1[i] = perm1[i + 1]);
    perm1[r] = first;
    count[r]--;
    if (count[r] > 0) break;
    r++;
  }
  permCount++;
}
console.log(checksum.toString());
console.log("Pfannkuchen(" + n.toString() + ") = " + maxFlips.toString());
