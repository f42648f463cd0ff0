#pragma once
// The state of a translation for tests that call the checks and the
// translating rules directly: each test that holds one starts from a new
// source of a new run.
#include "semantics/source_semantics.hpp"
#include "translator/source_translation.hpp"

struct TranslationUnderTest {
    RunTables run;
    SourceTranslation state{SourceToTranslate(), run};
    SourceInProgress active{state};
};
