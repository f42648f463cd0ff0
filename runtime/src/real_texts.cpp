// The texts of the reals that are no finite numbers. The C libraries of the
// tool chains differ (glibc writes "-nan" for a NaN whose sign bit is set,
// the WebAssembly one "nan"), so every stream of a program writes "nan",
// "inf" and "-inf" through a facet of its own, and a zero as "0" whatever
// its sign, as print writes it.
#include "velmora/libvel.hpp"

#include <cmath>
#include <locale>

namespace {

class RealTexts : public std::num_put<char> {
protected:
    iter_type do_put(iter_type out, std::ios_base &format, char fill, double value) const override {
        if (value == 0) value = 0.0;
        if (std::isfinite(value)) return std::num_put<char>::do_put(out, format, fill, value);
        return putWord(out, format, fill, std::isnan(value) ? "nan" : value < 0 ? "-inf" : "inf");
    }
    iter_type do_put(iter_type out, std::ios_base &format, char fill, long double value) const override {
        if (value == 0) value = 0.0L;
        if (std::isfinite(value)) return std::num_put<char>::do_put(out, format, fill, value);
        return putWord(out, format, fill, std::isnan(value) ? "nan" : value < 0 ? "-inf" : "inf");
    }

private:
    static iter_type putWord(iter_type out, std::ios_base &format, char fill, const std::string &word) {
        std::streamsize width = format.width(0);
        std::string padding(width > static_cast<std::streamsize>(word.size()) ? width - word.size() : 0, fill);
        bool left = (format.flags() & std::ios_base::adjustfield) == std::ios_base::left;
        for (char c : left ? word + padding : padding + word) *out++ = c;
        return out;
    }
};

}  // namespace

void vel_use_real_texts() {
    static const std::locale withRealTexts(std::locale::classic(), new RealTexts);
    static bool done = false;
    if (done) return;
    done = true;
    // Streams made from now on take the global locale; the standard ones
    // exist already.
    std::locale::global(withRealTexts);
    std::cout.imbue(withRealTexts);
    std::cerr.imbue(withRealTexts);
}
