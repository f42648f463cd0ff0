// The program's function main: called after the statements of the
// generated main, or made the program itself when there are none.
#include <string>

#include "semantics/functions.hpp"
#include "semantics/types.hpp"
#include "translator/functions.hpp"
#include "translator/output.hpp"
#include "translator/source_inits.hpp"
#include "translator/source_translation.hpp"
#include "translator/translator.hpp"

// A program with statements of its own runs them in the generated main;
// its function main, when no statement calls it, runs after them.
namespace {

// A main of one int, byte or bool result gives the program's exit status.
bool resultIsStatus(const FunctionRecord &main) {
    return main.returnTypes.size() == 1 && (main.returnTypes[0] == T_INTEGER || main.returnTypes[0] == T_BYTE ||
                                            main.returnTypes[0] == T_BOOLEAN);
}

}  // namespace

bool callProgramMainIfUncalled() {
    int index = translation().sourceFunctions.mainRecord;
    if (index < 0 || translation().sourceFunctions.mainCalled)
        return false;
    const FunctionRecord &main = functionRecord(index);
    // The C++ main that runs the statements takes no arguments (unless
    // the source declared argv) and a later part of it has none at all:
    // libvel keeps the program's arguments for them.
    std::string arguments;
    if (main.mode == 4)
        arguments = output().mainHasArgv && output().mainParts == 0 ? "_A_1" : "vel_program_arguments()";
    std::string call = main.emittedName + "(" + arguments + ")";
    newlineOnce();
    if (!resultIsStatus(main)) {
        emitIndented(call + ";\n");
        return false;
    }
    // A later part of main is a function of its own, whose return would
    // not end the program.
    emitIndented((output().mainParts == 0 ? "return " : "std::exit(") + call + (output().mainParts == 0 ? ";\n" : ");\n"));
    return output().mainParts == 0;
}

void writeMainForProgramFunction() {
    int index = translation().sourceFunctions.mainRecord;
    translation().sourceFunctions.mainRecord = -1;
    if (output().mainWritten)
        return;
    if (index < 0) {
        // Declarations and definitions alone: a program that does nothing.
        if (output().topLevelItemsSeen) {
            emit("\nint main()\n{\n");
            writeMainStart(false);
            emit("return 0;\n}\n");
        }
        return;
    }
    const FunctionRecord &main = functionRecord(index);
    std::string arguments = main.mode == 4 ? "argv" : "";
    std::string call = main.emittedName + "(" + arguments + ")";
    emit("\nint main(int argc, char *argv[])\n{\n");
    writeMainStart(false);
    if (resultIsStatus(main))
        emit("    return " + call + ";\n}\n");
    else
        emit("    " + call + ";\n    return 0;\n}\n");
}

