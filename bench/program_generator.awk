# A generated Velmora program of `blocks` blocks of 20 lines (awk -v blocks=N):
# a new global in every block, long expressions over earlier globals, a
# condition, two loops, a container and prints. With -v functions=1 each
# block also defines a function of 10 lines that its last statement calls
# (blocks of 31 lines).
BEGIN {
        print "int total = 0"
        print "int g0 = 1"
        print "array items = [1, \"two\", 3.5]"
        for (n = 0; n < blocks; n++) {
            i = n + 1
            p = n
            printf "int g%d = %d * 2 + g%d - (%d mod 7) * (g%d + 3) / 2\n", i, i, p, i, p
            printf "real r%d = g%d * 1.5 + (g%d - 4) * (g%d + 2) - total / 3\n", i, i, i, p
            printf "text t%d = \"block %d\"\n", i, i
            printf "dict d%d = {\"k\": %d, \"v\": g%d}\n", i, i, i
            printf "if g%d mod 3 = 0 and r%d > 2.5 or not (g%d < 10)\n", i, i, p
            printf "    total + g%d\n", i
            print  "else"
            print  "    total = total - 1"
            print  "/if"
            printf "for k%d in 1..3\n", i
            printf "    echo k%d, \" \", t%d\n", i, i
            print  "/for"
            printf "while g%d > 100\n", i
            printf "    g%d = g%d / 2\n", i, i
            print  "/while"
            printf "items[0] = g%d + 1\n", i
            printf "print t%d, total, items[0], d%d[\"k\"], r%d\n", i, i, i
            printf "g%d = g%d + g%d * 2 - 1\n", p, p, i
            printf "total = total + g%d - g%d\n", i, p
            printf "print \"line\", g%d, g%d, g%d + g%d\n", i, p, i, p
            if (functions) {
                printf "int h%d(int v)\n", i
                print  "    int s = v"
                print  "    for j in 1..4"
                printf "        s = s + j * %d\n", i
                print  "    /for"
                print  "    if s mod 2 = 0"
                print  "        s = s / 2"
                print  "    /if"
                print  "return s"
                print  ""
                printf "total = total + h%d(g%d mod 10)\n", i, i
            }
        }
    }
