#pragma once
// The objects of the program's classes and the references that keep them.
// Every class the program defines derives from vel_object, which counts the
// references to the object; a variable, attribute, parameter or result of a
// class type is a vel_ref, and a dyn (a var, an element of an array, a
// typed array of objects or a dict) that holds an object counts as one too.
// The object is freed when its last reference goes. Included by
// foundations.hpp (part of libvel.hpp).
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <typeinfo>
#include <utility>

class vel_object;

// An object known as one class, given where a class derived from it is
// expected: it comes through only when it is of that class (or one derived
// from it), and as null otherwise, which a use of a member then reports
// instead of reading an object of another shape. An object of exactly the
// class asked for, the common case, is told by its type's record alone.
template <class U, class T>
inline U *vel_downcast(T *object) {
    if constexpr (std::is_polymorphic<T>::value && std::is_base_of<T, U>::value) {
        if (object == nullptr || &typeid(*object) == &typeid(U)) return static_cast<U *>(object);
        return dynamic_cast<U *>(object);
    } else {
        return static_cast<U *>(object);
    }
}

// What a collection of cycles does with each reference that an object
// holds (vel_object::vel_trace): counts it, follows it, or cuts it.
class vel_tracer {
public:
    // True when the reference is to go: the object it names is freed with
    // the cycle being freed, and the holder sets the reference to null
    // without letting go of it.
    virtual bool visit(vel_object *child) = 0;
    // A container whose elements a copy shares was not followed: its
    // elements count once for all its sharers.
    virtual void passedShared() {}

protected:
    ~vel_tracer() = default;
};

class vel_object {
public:
    // A new object is held by what made it (vel_new) until that hands it
    // over: its constructor may pass `this` around without freeing it.
    vel_object() = default;
    // A copy of an object is another object, with references of its own.
    vel_object(const vel_object &) {}
    vel_object &operator=(const vel_object &) { return *this; }
    virtual ~vel_object() {
        if (vel_place_in_cycles != vel_untracked) vel_forget(this);
    }
    // Small objects are made in blocks of their size, without the C
    // library's header in front of each (object_blocks.cpp).
    static void *operator new(std::size_t size);
    static void operator delete(void *object, std::size_t size) noexcept;

    void vel_retain() const { ++vel_references; }
    // A count that falls to zero frees the object. One that falls and stays
    // above it may have left a cycle that nothing else holds: the object
    // becomes a candidate of the next collection of cycles. An object that
    // never loses a reference but its last is never looked at.
    void vel_release() const {
        if (--vel_references == 0)
            vel_free(this);
        else if (vel_place_in_cycles == vel_untracked)
            vel_suspect(this);
    }

    // Hands each reference the object's attributes hold to the tracer
    // (written by velc for every class of the program).
    virtual void vel_trace(vel_tracer &) {}

    // The name of the object's class in the program, which a printed
    // dynamic value shows in place of an address that differs from run to
    // run (written by velc for every class of the program).
    virtual const char *vel_class_name() const { return nullptr; }

    // The candidates of the next collection of cycles.
    static std::size_t vel_tracked();
    // Frees every cycle of objects that nothing outside it holds and that
    // a candidate reaches.
    static void vel_collect_cycles();

private:
    friend class vel_cycles;

    // Frees the object; the objects that its freeing frees in turn are
    // freed inside it down to a fixed depth, then one after the other, so
    // that dropping a long list does not exhaust the stack.
    static void vel_free(const vel_object *object);
    // Makes the object a candidate; when enough are, a collection runs.
    static void vel_suspect(const vel_object *object);
    // Takes a candidate out of the candidates.
    static void vel_forget(const vel_object *object);

    // The references to the object.
    mutable std::uint32_t vel_references = 1;
    // Its place among the candidates of collections of cycles (or, while
    // one runs, among the objects it looks at), or vel_untracked.
    mutable std::uint32_t vel_place_in_cycles = vel_untracked;
    static constexpr std::uint32_t vel_untracked = 0xffffffffu;
};

template <class T>
class vel_ref {
public:
    vel_ref() = default;
    // Null (NULL, nullptr, 0) or an object, which this reference then keeps.
    vel_ref(T *object) : object(object) { retain(); }
    vel_ref(const vel_ref &other) : object(other.object) { retain(); }
    vel_ref(vel_ref &&other) noexcept : object(other.object) { other.object = nullptr; }
    template <class U, std::enable_if_t<std::is_convertible<U *, T *>::value, int> = 0>
    vel_ref(const vel_ref<U> &other) : object(other.get()) {
        retain();
    }
    // The object that was held is let go after the new one is kept: it may
    // be what keeps the new one alive.
    vel_ref &operator=(vel_ref other) noexcept {
        std::swap(object, other.object);
        return *this;
    }
    ~vel_ref() {
        if (object != nullptr) object->vel_release();
    }

    // Takes over the hold of an object that vel_new made.
    static vel_ref adopt(T *made) {
        vel_ref reference;
        reference.object = made;
        return reference;
    }

    T *get() const { return object; }
    // For collections of cycles: the object held, which the tracer may cut.
    void vel_trace(vel_tracer &tracer) {
        if (object != nullptr && tracer.visit(object)) object = nullptr;
    }
    T *operator->() const { return object; }
    T &operator*() const { return *object; }
    operator T *() const { return object; }
    // The casts of generated code: to a derived class checked, as
    // vel_downcast does it, to a base as it is.
    template <class U, std::enable_if_t<!std::is_same<U, T>::value, int> = 0>
    explicit operator U *() const {
        return vel_downcast<U>(object);
    }

private:
    void retain() const {
        if (object != nullptr) object->vel_retain();
    }

    T *object = nullptr;
};

template <class U, class T>
inline U *vel_downcast(const vel_ref<T> &object) {
    return vel_downcast<U>(object.get());
}

// Two references, or a reference and a pointer, are equal when they name
// the same object (without these, a dyn made of each would be compared too).
template <class T, class U>
inline bool operator==(const vel_ref<T> &a, const vel_ref<U> &b) { return a.get() == b.get(); }
template <class T, class U>
inline bool operator!=(const vel_ref<T> &a, const vel_ref<U> &b) { return a.get() != b.get(); }
template <class T, class U>
inline bool operator==(const vel_ref<T> &a, U *b) { return a.get() == b; }
template <class T, class U>
inline bool operator!=(const vel_ref<T> &a, U *b) { return a.get() != b; }
template <class T, class U>
inline bool operator==(T *a, const vel_ref<U> &b) { return a == b.get(); }
template <class T, class U>
inline bool operator!=(T *a, const vel_ref<U> &b) { return a != b.get(); }

// A parameter of a function that lets go of no object while it runs: the
// reference that held the object when the call began (the caller's
// variable, an attribute, a temporary of the caller's expression) still
// holds it when the call returns, so the parameter is a plain pointer and
// the call counts nothing. What the body stores it in counts as usual.
template <class T>
using vel_arg = T *;

// A function passed as the value of a function type made from another
// function's head. Their object parameters may be spelt differently (one
// borrowed, the other counted), so the value passed is a function with the
// type's own head that calls the one named.
#if __cplusplus >= 201703L
template <class Type, auto function>
struct _vel_function_as;
template <class Result, class... Parameters, auto function>
struct _vel_function_as<Result (*)(Parameters...), function> {
    static Result call(Parameters... arguments) { return function(static_cast<Parameters &&>(arguments)...); }
};
#endif

// What a call of a class's name gives: the new object, held by the result.
template <class T>
vel_ref<T> vel_new(T *made) {
    return vel_ref<T>::adopt(made);
}

// The references an attribute holds, for collections of cycles: none in a
// number or a text; containers and dyn values have their own (cycles.hpp).
template <class Value>
inline void vel_trace_field(vel_tracer &, Value &) {}
template <class T>
inline void vel_trace_field(vel_tracer &tracer, vel_ref<T> &reference) {
    reference.vel_trace(tracer);
}

// The object a method is called on, kept until the call returns: the
// method, or what it calls, may drop every other reference to it (set the
// variable that held it to null, remove it from its array) and then read
// its own attributes. A temporary of the call's expression, so it lives
// exactly as long as the call.
template <class T>
class vel_receiver {
public:
    explicit vel_receiver(T *object) noexcept : object(object) { object->vel_retain(); }
    vel_receiver(const vel_receiver &) = delete;
    vel_receiver &operator=(const vel_receiver &) = delete;
    ~vel_receiver() { object->vel_release(); }
    T *operator->() const noexcept { return object; }

private:
    T *object;
};

template <class T>
inline vel_receiver<T> _vel_receiver(T *object, const vel_place &where = vel_place()) {
    return vel_receiver<T>(_vel_obj(object, where));
}
template <class T>
inline vel_receiver<T> _vel_receiver(const vel_ref<T> &object, const vel_place &where = vel_place()) {
    return vel_receiver<T>(_vel_obj(object.get(), where));
}

// A held object through a reference, as through a pointer.
template <class T>
inline T *_vel_obj(const vel_ref<T> &object, const vel_place &where = vel_place()) {
    return _vel_obj(object.get(), where);
}
