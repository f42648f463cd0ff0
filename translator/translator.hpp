#pragma once
// Everything the grammar's actions call.
#include <string>
#include <vector>
#include "diagnostics/diagnostics.hpp"
#include "semantics/types.hpp"
#include "translator/output.hpp"
#include "translator/values.hpp"
#include "translator/frame.hpp"
#include "translator/statements.hpp"
#include "translator/declarations.hpp"
#include "translator/console.hpp"
#include "translator/assignments.hpp"
#include "translator/calls.hpp"
#include "translator/expressions.hpp"
#include "translator/names.hpp"
#include "translator/functions.hpp"
#include "translator/classes.hpp"
