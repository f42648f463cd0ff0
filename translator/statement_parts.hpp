#pragma once
// What the files of the control statements share (statements.cpp and
// loops.cpp): the statement state, the branch chains that a do loop opens
// too, and the block scopes of the control structures.
#include <string>

#include "semantics/spellings.hpp"
#include "translator/source_translation.hpp"
#include "translator/statements.hpp"

inline StatementState &statements() { return translation().statements; }

inline void pushBranches() { statements().branches.push(BranchFrame()); }
inline void popBranches() { statements().branches.pop(); }

// Opens the block scope of a control structure; one past the symbol table's
// block scopes ends the translation (NestingTooDeep).
void enterNestedBlock();

// The C++ spelling under which a variable of this type that a control
// structure declares (a loop variable, a switch's subject) is declared.
inline std::string loopVariableSpelling(int type) {
    std::string spelling = cppTypeSpelling(type);
    return spelling.empty() ? "dyn " : spelling;
}
