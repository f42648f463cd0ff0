#pragma once
// Everything one translation works on: made by translateStream for its
// source, handed the run's tables, and gone when the source's files are
// written. A new source starts from a new object, so that nothing one
// source leaves open reaches the next.
#include "semantics/source_semantics.hpp"
#include "translator/output.hpp"
#include "translator/translation_job.hpp"

struct SourceTranslation : SourceSemantics {
    SourceTranslation(const SourceToTranslate &source, RunTables &run) : SourceSemantics(run), source(source) {}

    const SourceToTranslate source;
    OutputState output;
};

// The translation in progress (translateStream makes it current).
SourceTranslation &translation();
