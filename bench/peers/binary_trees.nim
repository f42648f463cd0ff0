# Binary trees of depth 4 to 16: many short-lived trees made, checked and
# dropped, beside one long-lived tree of depth 16.
type Node = ref object
  left, right: Node

proc make(depth: int): Node =
  result = Node()
  if depth > 0:
    result.left = make(depth - 1)
    result.right = make(depth - 1)

proc check(node: Node): int =
  if node.left == nil: return 1
  1 + check(node.left) + check(node.right)

const maxDepth = 16
const minDepth = 4
const stretch = maxDepth + 1
echo "stretch tree of depth ", stretch, " check: ", check(make(stretch))
let longLived = make(maxDepth)
var depth = minDepth
while depth <= maxDepth:
  let iterations = 1 shl (maxDepth - depth + minDepth)
  var total = 0
  for i in 0 ..< iterations:
    total += check(make(depth))
  echo iterations, " trees of depth ", depth, " check: ", total
  depth += 2
echo "long lived tree of depth ", maxDepth, " check: ", check(longLived)
