// Binary trees of depth 4 to 16: many short-lived trees made, checked and
// dropped, beside one long-lived tree of depth 16.
class Node {
  left: Node | null = null;
  right: Node | null = null;
}

function make(depth: i32): Node {
  const node = new Node();
  if (depth > 0) {
    node.left = make(depth - 1);
    node.right = make(depth - 1);
  }
  return node;
}

function check(node: Node): i32 {
  const left = node.left;
  if (left === null) return 1;
  return 1 + check(left) + check(node.right!);
}

const maxDepth: i32 = 16, minDepth: i32 = 4, stretch: i32 = maxDepth + 1;
console.log("stretch tree of depth " + stretch.toString() + " check: " + check(make(stretch)).toString());
const longLived = make(maxDepth);
for (let depth = minDepth; depth <= maxDepth; depth += 2) {
  const iterations = 1 << (maxDepth - depth + minDepth);
  let total: i32 = 0;
  for (let i = 0; i < iterations; i++) total += check(make(depth));
  console.log(iterations.toString() + " trees of depth " + depth.toString() + " check: " + total.toString());
}
console.log("long lived tree of depth " + maxDepth.toString() + " check: " + check(longLived).toString());
