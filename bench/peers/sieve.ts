// Sieve of Eratosthenes over 2,000,000 numbers in an Array<i32>, sixteen rounds.
const limit: i32 = 2000000;
let found: i32 = 0;
for (let round = 0; round < 16; round++) {
  const composite = new Array<i32>();
  for (let n: i32 = 0; n < limit; n++) composite.push(0);
  found = 0;
  for (let p: i32 = 2; p < limit; p++) {
    if (unchecked(composite[p]) == 0) {
      found++;
      if (p < 1415)
        for (let multiple = p * p; multiple < limit; multiple += p) unchecked(composite[multiple] = 1);
    }
  }
}
console.log(found.toString());
