// Text building: 100,000 pieces joined, 150 rounds. AssemblyScript's
// strings are immutable (s += piece would copy the whole text each time):
// its own way of building one is an array of pieces joined once.
let total: i32 = 0;
const piece = "abcdefgh";
for (let round = 0; round < 150; round++) {
  const parts = new Array<string>();
  for (let i = 0; i < 100000; i++) parts.push(piece);
  const s = parts.join("");
  total += s.length;
}
console.log(total.toString());
