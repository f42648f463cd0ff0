#pragma once
// Object parameters that take no reference of their own.
//
// A parameter of a class type is a vel_ref: the call counts one more
// reference to the object and drops it on return. When the function's body
// lets go of no object (it writes no place that can hold one and calls
// nothing that may, mayReleaseObjects in its record), every reference that
// held an object when the call began still holds it when the call returns:
// the caller's argument, a variable, an attribute or a temporary of the
// caller's expression, keeps the object for the whole call. Such a
// parameter is then written vel_arg<Class>, a plain pointer, and the call
// counts nothing. The body does not assign the parameter (an assignment of
// an object is a write that may let go of one), and a parameter given on as
// an alias argument keeps its vel_ref, which the alias binds to.
//
// The decision needs the whole body, and the head is written before it:
// "vel_ref" and "vel_arg" have the same length, so the head in the
// definition and the prototype in the header are rewritten in place and no
// offset recorded into either text moves.
#include <string>

// Where the definition's head (a method's too) starts, written next in the
// current output as `head`.
void noteHeadWritten(const std::string &head);
// The prototype line about to be written into the header.
void notePrototypeWritten(const std::string &prototype);
// An argument naming `name` was given to an alias parameter.
void keepParameterReference(const std::string &name);
// At the end of a definition that lets go of no object: its object
// parameters become borrowed in the head and the prototype.
void borrowObjectParameters();
