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
#include <utility>

class vel_object {
public:
    // A new object is held by what made it (vel_new) until that hands it
    // over: its constructor may pass `this` around without freeing it.
    vel_object() = default;
    // A copy of an object is another object, with references of its own.
    vel_object(const vel_object &) {}
    vel_object &operator=(const vel_object &) { return *this; }
    virtual ~vel_object() = default;

    void vel_retain() const { ++vel_references; }
    void vel_release() const {
        if (--vel_references == 0) vel_free(this);
    }

private:
    // Frees the object; the objects that its freeing frees in turn are
    // freed one after the other, not inside each other, so that dropping
    // a long list does not exhaust the stack.
    static void vel_free(const vel_object *object);

    // The references to the object; once it is let go, the next object
    // waiting to be freed.
    mutable std::uintptr_t vel_references = 1;
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
    T *operator->() const { return object; }
    T &operator*() const { return *object; }
    operator T *() const { return object; }
    // The casts of generated code, to a derived class among others.
    template <class U, std::enable_if_t<!std::is_same<U, T>::value, int> = 0>
    explicit operator U *() const {
        return static_cast<U *>(object);
    }

private:
    void retain() const {
        if (object != nullptr) object->vel_retain();
    }

    T *object = nullptr;
};

// What a call of a class's name gives: the new object, held by the result.
template <class T>
vel_ref<T> vel_new(T *made) {
    return vel_ref<T>::adopt(made);
}

// A held object through a reference, as through a pointer.
template <class T>
inline T *_vel_obj(const vel_ref<T> &object, const vel_place &where = vel_place()) {
    return _vel_obj(object.get(), where);
}
