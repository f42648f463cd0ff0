// Operations that end the program with a run-time error: status 1 and the
// message on stderr, checked in a child process each.
#include <velmora/libvel.hpp>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <new>
#include <string>
#include <vector>

namespace {

const natural NATURAL_MAX = ULLONG_MAX;

// The loop velc writes for an inclusive range with a step, run to the end.
template <class T, class S, class E>
void inclusiveUp(T start, S step, E end) {
    int go = _vel_for_step(step);
    for (T v = start; go && v <= end; go = _vel_for_next(v, step, end, 1)) {
    }
}

// What operator new calls when the memory cannot be had: every program that
// includes libvel has it, and it ends the program as any run-time error.
TEST(OutOfMemoryDeathTest, AFailedAllocationEndsTheProgram) {
    std::new_handler handler = std::get_new_handler();
    ASSERT_NE(handler, nullptr);
    EXPECT_EXIT(handler(), ::testing::ExitedWithCode(1), "^Run-time error: out of memory\n$");
}

TEST(VelModDeathTest, ModuloByZeroEndsTheProgram) {
    const char *message = "^Run-time error: modulo by zero\n$";
    volatile int zero = 0;
    EXPECT_EXIT(_vel_mod(5, zero), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_mod(static_cast<unsigned char>(5), static_cast<unsigned char>(zero)), ::testing::ExitedWithCode(1),
                message);
    EXPECT_EXIT(_vel_mod('a', static_cast<char>(zero)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_mod(NATURAL_MAX, static_cast<natural>(zero)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_mod(LLONG_MIN, static_cast<long long>(zero)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_mod(5ULL, zero), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_mod(dyn(5), dyn(0)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_mod(dyn(5), zero), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_mod(5, dyn(0ULL)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_mod(dyn(5ULL), dyn(0ULL)), ::testing::ExitedWithCode(1), message);
}

TEST(VelDivDeathTest, IntegerDivisionByZeroEndsTheProgram) {
    const char *message = "^Run-time error: division by zero\n$";
    volatile int zero = 0;
    EXPECT_EXIT(_vel_div(1, zero), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_div(0, zero), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_div(NATURAL_MAX, static_cast<natural>(zero)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_div(static_cast<unsigned char>(1), static_cast<unsigned char>(zero)),
                ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_div('a', static_cast<char>(zero)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_div(1LL, zero), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(dyn(1) / dyn(0), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(dyn(1ULL) / dyn(0ULL), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(dyn(true) / dyn(false), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT({ dyn d(4); d /= dyn(0); }, ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_div(dyn(1), dyn(0)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_div(dyn(1), zero), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_div(1, dyn(0ULL)), ::testing::ExitedWithCode(1), message);
}

TEST(VelForDeathTest, ZeroStepEndsTheProgram) {
    const char *message = "^Run-time error: for loop step is 0\n$";
    volatile int zero = 0;
    EXPECT_EXIT(_vel_for_step(zero), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_for_step(0.0), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_for_step(natural(zero)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_for_step(dyn(0)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_for_step(dyn(-0.0)), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(_vel_for_step(dyn(0ULL)), ::testing::ExitedWithCode(1), message);
    // A step that becomes 0 while the loop runs, and a fraction that cannot
    // move an integer variable.
    EXPECT_EXIT({ int i = 0; _vel_for_next(i, zero, 10, 1); }, ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT({ double x = 0; _vel_for_next(x, 0.0, 10, 1); }, ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT({ dyn v(1); _vel_for_next(v, dyn(0), 10, 1); }, ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(inclusiveUp(0, 0.5, 3), ::testing::ExitedWithCode(1), message);
    EXPECT_EXIT(inclusiveUp(0, zero, 3), ::testing::ExitedWithCode(1), message);
}

TEST(ContainerDeath, NegativeIndexAndBadKeysEndTheProgram) {
    EXPECT_EXIT({ velarray a; a[-1] = 1; }, ::testing::ExitedWithCode(1), "Run-time error: negative index -1");
    EXPECT_EXIT({ velarray a; a.setAt(dyn("x"), 1); }, ::testing::ExitedWithCode(1), "array index must be a number");
    EXPECT_EXIT({ dict d; d[dyn(velarray())] = 1; }, ::testing::ExitedWithCode(1), "dict key must be a text or a number");
    EXPECT_EXIT({ _intArr a; a.setAt(-2, 1); }, ::testing::ExitedWithCode(1), "negative index -2");
}

TEST(SliceAssignment, DynHoldsTheContainerOrFails) {
    dyn nothing;
    nothing.setSlice(0, -1, 1, velarray{1, 2});
    EXPECT_EQ(nothing.toString(), "[1, 2]");
    dyn word("word");
    word.setSlice(0, 0, 1, "s");
    EXPECT_EQ(word, "sord");
    EXPECT_EXIT({ dyn(5).setSlice(0, 1, 1, dyn(1)); }, ::testing::ExitedWithCode(1),
                "Run-time error: slice assignment to a value that is no container \\(integer\\)");
}

TEST(TextSubscript, WritesThroughTheSubscriptOfAVariable) {
    text t("abc");
    t[1] = "X";
    t[dyn(4)] = dyn(7);
    EXPECT_EQ(t, "aXc 7");
    text copy = t[0];
    EXPECT_EQ(copy, "a");
    EXPECT_TRUE(t[0] == t[0]);
    const text &readOnly = t;
    EXPECT_EQ(readOnly[dyn("x")], "");
    EXPECT_EQ(dyn(t[1] + dyn(2)), "X2");
    t.setAt(dyn(0), 5);
    EXPECT_EQ(t, "5Xc 7");
    EXPECT_EXIT({ text u("a"); u[dyn("k")] = "b"; }, ::testing::ExitedWithCode(1), "text index must be a number");
}

// Counting the bytes of a text longer than the largest integer must not
// wrap to a negative length; the text is made in the child only.
TEST(TextDeath, ALengthBeyondTheIntegersEndsTheProgram) {
    const std::size_t beyond = static_cast<std::size_t>(INT_MAX) + 1;
    const char *message = "Run-time error: a text of 2147483648 bytes is too long for an integer length";
    EXPECT_EXIT({ text t(std::string(beyond, 'x')); std::printf("%d", t.length()); }, ::testing::ExitedWithCode(1),
                message);
    EXPECT_EQ(text(std::string(1000, 'x')).length(), 1000);
}

TEST(DynMethods, AddingAnElementToAScalarIsARunTimeError) {
    EXPECT_EXIT(dyn(5).push(dyn(1)), ::testing::ExitedWithCode(1), "cannot push an element into a value");
    EXPECT_EXIT(dyn("t").unshift(dyn(1)), ::testing::ExitedWithCode(1), "cannot unshift an element into a text");
    EXPECT_EXIT(dyn(true).merge(dyn(1)), ::testing::ExitedWithCode(1), "cannot merge");
    EXPECT_EXIT(dyn(2.5).concat(dict{}), ::testing::ExitedWithCode(1), "cannot concat");
}

TEST(GlobalFunctions, DieAndExitEndTheProgram) {
    EXPECT_EXIT(die("stopped"), ::testing::ExitedWithCode(1), "");
    EXPECT_EXIT(exit(), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(exit(3), ::testing::ExitedWithCode(3), "");
}

TEST(DynDeath, BadWritesEndTheProgramWithAMessage) {
    EXPECT_EXIT({ dyn(3).setAt(0, 1); }, ::testing::ExitedWithCode(1), "Run-time error: cannot put an element into a integer");
    EXPECT_EXIT({ dyn(1) % 0; }, ::testing::ExitedWithCode(1), "Run-time error: modulo by zero");
    EXPECT_EXIT({ text t("a"); t.setAt(-1, "x"); }, ::testing::ExitedWithCode(1), "negative index -1");
}

// What a child that printed a line without its end and was then stopped by
// `signal` wrote into a pipe, and how it ended. The unfinished line stays in
// the buffer of the standard output, whether that is full or line buffered.
struct Stopped {
    std::string output;
    int signal = 0;
};
Stopped printThenStop(int signal) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {};
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        dup2(pipeEnds[1], STDOUT_FILENO);
        vel_out << "kept";
        raise(signal);
        _exit(0);
    }
    close(pipeEnds[1]);
    Stopped stopped;
    char bytes[64];
    for (ssize_t got; (got = read(pipeEnds[0], bytes, sizeof bytes)) > 0;)
        stopped.output.append(bytes, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    stopped.signal = WIFSIGNALED(status) ? WTERMSIG(status) : -1;
    return stopped;
}

TEST(Interrupts, AStoppedProgramWritesWhatItPrinted) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        Stopped stopped = printThenStop(signal);
        EXPECT_EQ(stopped.output, "kept") << "signal " << signal;
        EXPECT_EQ(stopped.signal, signal) << "the program ends by the signal it got";
    }
}

}  // namespace
