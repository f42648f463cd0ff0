#pragma once
// Members of dynamic values (a var, an element of an array, a value of a
// dict) that more than one class defines: the member is taken from the
// class of the object the value holds, chosen when the program runs. Where
// a single class defines the member, the value is cast to that class as
// before (objectHeldBy), and none of this is written.
#include <string>

#include "translator/calls.hpp"
#include "translator/values.hpp"

// A method call on a dynamic value: true, with the call pending, when the
// method is chosen at run time; the receiver stays the call's value until
// its arguments are closed.
bool beginDispatchedCall(const std::string &method);
// The same for a method that var has built in: when the value holds an
// object of a class that defines the method, the class's method is called,
// otherwise the built-in one (on the variable itself when it changes it,
// which takes a receiver that is a variable).
bool beginDispatchedCallOrBuiltin(const std::string &method, int builtinRow, bool receiverIsVariable);
// The call, written with its arguments for each class that defines the
// method; its result is a var when the classes' results differ in type.
ExprValue closeDispatchedCall(const CallDescriptor &call, const ArgumentLevel &level);

// An attribute read from a dynamic value: true, with `value` filled, when
// the attribute is chosen at run time.
bool dispatchedAttribute(const ExprValue &owner, const std::string &member, ExprValue &value);
// An attribute of a dynamic value assigned: true when the attribute is
// chosen at run time (or refused, reported, when its classes give it
// different types); the target is then the attribute itself.
bool dispatchedAttributeTarget(AssignTarget &target, const std::string &member);
