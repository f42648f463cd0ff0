#pragma once
// How Velmora types are spelled in the generated C++, the wrappers and casts
// that convert values between types, the nil value of each type, the names
// of temporaries, the swap block and interpolated strings.
#include <functional>
#include <string>
#include <vector>

// Temporaries are numbered across the sources of a run.
struct EmissionState {
    int temporaryCounter = 0;
};


// Declaration spelling of a type, with its trailing blank or star: "int ",
// "text ", "FILE *", "_intArr "...
std::string cppTypeSpelling(int type);

// Prefix that converts a value to target: "intval(", "dyn("... A var target
// first applies the element cast of a typed-array source. Close it with
// closingFor(prefix).
std::string castTo(int target, int source = 0);
std::string castElement(int typedArrayType);   // reading an element of a typed array
std::string castPlain(int type);               // C cast: "(double)", "(int)"...
// The ")" that balance the parentheses a prefix leaves open.
std::string closingFor(const std::string &prefix);
// value wrapped in castTo(target, source).
std::string convertTo(int target, int source, const std::string &value);

// An "in" item converted to the element type of a typed array.
std::string convertInItem(int elementType, const std::string &item);

std::string typeTag(int type);   // "TYPE_NUMBER", "TYPE_INT"...
// The class of a typed array of numbers of 64 bits by its element type:
// "_natArr" for naturals, "_array64" for reals and numbers.
std::string numberArrayOf(int elementType);

// Value of a dynamic expression converted to target: "dyn::toInt(v)"...;
// objects are cast to a pointer to className. Other targets take the value
// unchanged.
std::string fromDyn(int target, const std::string &value, const std::string &className = "");

// What a comparison with nil compares a value of the given type with.
std::string nilFor(int type);
// The null of an object: a class object is a pointer, so the null pointer;
// a plain `object` is held in an array, so the empty array.
std::string nullObject(int classIndex);

// A fresh temporary name: "_I_1", "_I_2"...
std::string newTemp();


// The swap of two variables. When the types agree, the C++ block; otherwise
// the assignment of the second to the first is reported and the result is
// empty.
std::string swapText(const std::string &first, int firstType, const std::string &second,
                     int secondType);

// The C++ builder call for a double-quoted literal holding "$name"
// references; literal includes its quotes.
// resolveName gives the C++ name of each referenced variable (and reports
// a name that is not declared); without it names are written as they are.
std::string phpString(const std::string &literal,
                      const std::function<std::string(const std::string &)> &resolveName = nullptr);
