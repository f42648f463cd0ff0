// Programs of the guide (docs/guide.md) the playground offers to start from.
export const examples = [
  {
    title: 'A first program',
    source: `# greet the world
print "Hello,", "world"
echo "no line end", "; "
echo 42
print            // an empty print only ends the line
print 1, 2.5, true
`,
  },
  {
    title: 'Functions',
    source: `print factorial(5)

int factorial(int n)
    if n <= 1
        return 1
    /if
return n * factorial(n - 1)

void greet(text who)
    print "hello", who
return

greet("Ann")
`,
  },
  {
    title: 'Reading input',
    source: `text name
int age
input "Your name? ", name
input "Your age? ", age
print name, "is", age + 1, "next year"
`,
    input: 'Ann\n31\n',
  },
  {
    title: 'A run-time error and its callers',
    source: `int ratio(int a, int b)
return a / b

int share(int total, int parts)
return ratio(total, parts)

print share(10, 2)
print share(10, 0)
`,
  },
];
